// SPDX-License-Identifier: GPL-2.0-or-later
// The reference: an empty Qt main window of the same size, built the same way.
// With the argument "menu" it also has a menu bar with one menu, the least a
// window can show that makes Qt load its font database.
#include "FirstPaint.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.resize(612, 582);
    if (argc > 1 && QByteArray(argv[1]) == "menu")
        window.menuBar()->addMenu(QStringLiteral("File"));
    FirstPaint firstPaint(&window);
    window.show();
    return QApplication::exec();
}
