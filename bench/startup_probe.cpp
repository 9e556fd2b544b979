// SPDX-License-Identifier: GPL-2.0-or-later
// The program's own start-up, ending once its window has first painted.
#include "FirstPaint.h"
#include "app/FormStyle.h"
#include "app/ServerConfiguration.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setStyle(new FormStyle);
    ServerConfiguration window;
    FirstPaint firstPaint(&window);
    window.setVisible(true);
    return QApplication::exec();
}
