// SPDX-License-Identifier: GPL-2.0-or-later
// The main window under what a desktop may impose before any window is
// made: "dark" sets a dark colour scheme, "font" a desktop font of other
// metrics than the form was drawn for. For screenshots of the form's look.
#include "app/ServerConfiguration.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.contains(QStringLiteral("dark"))) {
        QPalette dark;
        for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase})
            dark.setColor(role, QColor(40, 40, 40));
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(235, 235, 235));
        QApplication::setPalette(dark);
    }
    if (arguments.contains(QStringLiteral("font")))
        QApplication::setFont(QFont(QStringLiteral("DejaVu Serif"), 11));
    ServerConfiguration window;
    QObject::connect(&window, &ServerConfiguration::released, &application,
                     [] { QCoreApplication::exit(0); });
    window.setVisible(true);
    return QApplication::exec();
}
