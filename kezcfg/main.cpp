// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg: the Kez server configuration on a terminal, for the game server's
// own machine, where the window cannot start. It reads with the window's own
// catalogues and line rules; only apply writes, with the window's writer.
#include "Commands.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

const char usage[] = R"(Usage: kezcfg COMMAND [ARGUMENTS]

Reads a Kez server configuration as the Kez Server Configuration window does,
with its catalogues and line rules; only apply changes anything.

Commands:
  flags [FAMILY]          list each family's flags: bit, value and name
  decode FAMILY MASK      the flags of MASK, and the bits no flag carries
  encode FAMILY NAME...   the mask of the named flags (letter case ignored)
  show [--json] [DIR]     server.cfg and maplist.txt of DIR (default: the
                          working directory) as File / Open lays them over a
                          form fresh from start-up
  check [DIR]             what File / Open, the game's console and the game's
                          maps would make of DIR's configuration: errors and
                          warnings with file and line
  apply [--check] [DIR] FILE|-
                          lay the keys of a JSON object (those of show --json,
                          each optional, and "motd") over DIR's configuration
                          and write the files that change with File / Save's
                          writer; prints "unchanged" or "changed: FILES";
                          --check writes nothing and prints a unified diff
  status [--json] [--timeout SECONDS] [--against DIR] HOST[:PORT]...
                          what running servers announce (the game's status
                          query only; PORT 27910 unless given), all queried at
                          once; with --against, where it differs from DIR's
                          server.cfg
  maps [--json] [DIR]     every map the game server can load from DIR and
                          ../baseq2 beside it, with the file it comes from

FAMILY is a server.cfg variable (dmflags, weaponban, kezweaponban,
kezsweeperban, kezgrenadeban, featureban, kezfeatureban, kezarmorban,
fragban) or its tab caption, letter case ignored.

Exit status: 0 on success, 1 when check finds warnings only or a server
differs from --against DIR, 2 on an error (for maps: also when DIR and
../baseq2 hold no game data; for status: also when a server did not answer).

Options:
  -h, --help              show this text
  --version               show the version
)";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kezcfg"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KEZ_VERSION));
    // File / Open's own diagnostic lines are for the window; every command
    // here says what went wrong in its own words.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg || type == QtCriticalMsg)
            failure(message);
    });

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty())
        return failure(QStringLiteral("a command is needed; kezcfg --help lists them"));
    const QString command = arguments.takeFirst();
    if (command == u"-h" || command == u"--help") {
        std::fputs(usage, stdout);
        return 0;
    }
    if (command == u"--version") {
        std::printf("kezcfg %s\n", KEZ_VERSION);
        return 0;
    }
    if (command == u"flags")
        return Commands::flags(arguments);
    if (command == u"decode")
        return Commands::decode(arguments);
    if (command == u"encode")
        return Commands::encode(arguments);
    if (command == u"show")
        return Commands::show(arguments);
    if (command == u"check")
        return Commands::check(arguments);
    if (command == u"maps")
        return Commands::maps(arguments);
    if (command == u"apply")
        return Commands::apply(arguments);
    if (command == u"status")
        return Commands::status(arguments);
    return failure(QStringLiteral("unknown command \"%1\"; kezcfg --help lists them").arg(command));
}
