// The reference: an empty Qt main window of the same size, built the same way.
#include "FirstPaint.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.resize(612, 582);
    FirstPaint firstPaint(&window);
    window.show();
    return QApplication::exec();
}
