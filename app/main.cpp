// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/FormStyle.h"
#include "app/ServerConfiguration.h"

#include "files/WriteTarget.h"
#include "text/OutsideText.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

QtMessageHandler defaultHandler = nullptr;
bool started = false;
QList<std::pair<QtMsgType, QString>> heldBack;

// Qt ends the process with a core dump, after several lines about platform
// plugins, when no windowing system can be reached; one plain line and
// status 1 serve the operator better. Until the application is up, messages
// are held back and shown only if it comes up.
void explainFatal(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (started) {
        defaultHandler(type, context, message);
        return;
    }
    if (type != QtFatalMsg) {
        heldBack.append({type, message});
        return;
    }
    std::fputs("kez-server-config needs a graphical display: start it from a desktop session or set DISPLAY. "
               "On a machine without one, kezcfg shows and checks the configuration.\n",
               stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char *argv[])
{
    // Arguments are ignored, Qt's own options (-style, -reverse, ...) too:
    // the tool always looks and works the same, on the files of the current
    // working directory.
    int qtArgc = argc > 0 ? 1 : 0;
    // The working folder is opened once, from "/", under the link rule, and
    // held: a folder swapped by name later changes nothing the window reads
    // or writes.
    const QByteArray working = workingFolderPath();
    const FolderOpening folder = openFolderFromRoot(working);
    if (!folder.refusal.isEmpty()) {
        const QByteArray line = "kez-server-config: will not work in the folder " +
                                printable(QFile::decodeName(working)).toUtf8() + ": " +
                                printable(folder.refusal).toUtf8() + "; nothing was read or written\n";
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        return 2;
    }
    // Where it cannot be opened (a folder deleted since), the window works
    // on as it always did, and says so when it reads or writes.
    const bool held = folder.folder.get() >= 0 && ::fchdir(folder.folder.get()) == 0;
    Q_UNUSED(held);
    defaultHandler = qInstallMessageHandler(explainFatal);
    QApplication application(qtArgc, argv);
    started = true;
    for (const auto &[type, message] : std::as_const(heldBack))
        defaultHandler(type, QMessageLogContext(), message);
    QApplication::setApplicationName(QStringLiteral("kez-server-config"));
    // Wayland matches the window to its menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.KezServerConfig"));
    QApplication::setStyle(new FormStyle);
    ServerConfiguration window;
    QObject::connect(&window, &ServerConfiguration::released, &application,
                     [] { QCoreApplication::exit(0); });
    window.setVisible(true);
    // Decoding the icons would delay the first showing of the form.
    QTimer::singleShot(0, &application, [] {
        QIcon icon;
        for (const char *size : {"16", "32", "48", "64"})
            icon.addFile(QStringLiteral(":/icons/%1.png").arg(QLatin1String(size)));
        QApplication::setWindowIcon(icon);
    });
    return QApplication::exec();
}
