// SPDX-License-Identifier: GPL-2.0-or-later
// The main window in a process of its own that hides and shows it again
// whenever a file named "reshow" appears in the working directory (the file
// is removed first), so that a test can check from outside where the window
// lands on a later showing. The program itself never shows its window twice.
#include "app/ServerConfiguration.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ServerConfiguration window;
    QObject::connect(&window, &ServerConfiguration::released, &application,
                     [] { QCoreApplication::exit(0); });
    window.setVisible(true);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &window, [&window] {
        if (!QFile::remove(QStringLiteral("reshow")))
            return;
        window.setVisible(false);
        window.setVisible(true);
    });
    poll.start(50);
    return QApplication::exec();
}
