#include "app/ServerConfiguration.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Arguments are ignored, Qt's own options (-style, -reverse, ...) too:
    // the tool always looks and works the same, on the files of the current
    // working directory.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication application(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("kez-server-config"));
    ServerConfiguration window;
    QObject::connect(&window, &ServerConfiguration::released, &application,
                     [] { QCoreApplication::exit(0); });
    window.setVisible(true);
    return QApplication::exec();
}
