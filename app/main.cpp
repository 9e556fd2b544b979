#include "app/ServerConfiguration.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kez-server-config"));
    // Arguments are not used: the tool always works on the files of the
    // current working directory.
    ServerConfiguration window;
    QObject::connect(&window, &ServerConfiguration::released, &application,
                     [] { QCoreApplication::exit(0); });
    window.setVisible(true);
    return QApplication::exec();
}
