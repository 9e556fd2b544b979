// SPDX-License-Identifier: GPL-2.0-or-later
// The references: an empty Qt main window of the same size, built the same
// way. With the argument "menu" it also has a menu bar with one menu, the
// least a window can show that makes Qt load its font database; with "label"
// a menu bar and one line of text, the reference that start-up is aimed at.
#include "FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.resize(612, 582);
    const QByteArray kind = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (kind == "menu" || kind == "label")
        window.menuBar()->addMenu(QStringLiteral("File"));
    if (kind == "label")
        window.setCentralWidget(new QLabel(QStringLiteral("Kez Server Configuration")));
    FirstPaint firstPaint(&window);
    window.show();
    return QApplication::exec();
}
