// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg: the Kez server configuration on a terminal, for the game server's
// own machine, where the window cannot start. It reads with the window's own
// catalogues and line rules; only apply writes, with the window's writer.
#include "Commands.h"

#include <QCoreApplication>
#include <clocale>

namespace {

const char usage[] = R"(Usage: kezcfg COMMAND [ARGUMENTS]

Reads a Kez server configuration as the Kez Server Configuration window does,
with its catalogues and line rules; only apply and restore change files,
and only reload changes what a running server runs.

Commands:
  flags [FAMILY]          list each family's flags: bit, value and name
  decode FAMILY MASK      the flags of MASK, and the bits no flag carries
  encode FAMILY NAME...   the mask of the named flags (letter case ignored)
  show [--json] [DIR]     server.cfg, motd.txt and maplist.txt of DIR
                          (default: the working directory) as File / Open
                          lays them over a form fresh from start-up
  check [DIR]             what File / Open, the game's console and the game's
                          maps would make of DIR's configuration: errors and
                          warnings with file and line
  apply [--check] [--force] [--wait SECONDS] [DIR] FILE|-
                          lay the keys of a JSON object (those of show --json,
                          each optional, and "motd") over DIR's configuration
                          and write the files that change with File / Save's
                          writer; prints "unchanged" or "changed: FILES";
                          --check writes nothing and prints a unified diff;
                          maps the game data beside DIR lacks are refused
                          with check's lines unless --force is given;
                          waits at most --wait seconds (60) for another apply
  status [--json] [--timeout SECONDS] [--against DIR] [--rcon] [--remote]
         HOST[:PORT]...   what running servers announce (the game's status
                          query only; PORT 27910 unless given), all queried at
                          once; with --against, where it differs from DIR's
                          server.cfg; with --rcon too, every setting the
                          server's console prints (masks, awards, map list),
                          asked with DIR's rcon_password
  reload [--check] [--timeout SECONDS] [--remote] DIR HOST[:PORT]...
                          each server runs its server.cfg again through its
                          console (rcon exec server.cfg), then compares as
                          status --rcon --against DIR; the level restarts and
                          players reconnect to it; nothing is sent when check
                          finds an error; --check sends no reload
  maps [--json] [DIR]     every map the game server can load from DIR and
                          ../baseq2 beside it, with the file it comes from
  restore [--check] [DIR] put the previous generation that Save and apply
                          keep (server.cfg~, motd.txt~, maplist.txt~) back
                          in place, all or none, keeping what it replaces as
                          the new one: a second restore undoes the first;
                          prints "unchanged" or "changed: FILES"; --check
                          writes nothing and prints a unified diff

FAMILY is a server.cfg variable (dmflags, weaponban, kezweaponban,
kezsweeperban, kezgrenadeban, featureban, kezfeatureban, kezarmorban,
fragban) or its tab caption, letter case ignored.

Exit status: 0 on success, 1 when check finds warnings only or a server
differs from --against DIR, 2 on an error (for maps: also when DIR and
../baseq2 hold no game data; for status: also when a server did not answer;
for restore: also when DIR holds no previous generation).
reload: 0 when every server runs DIR's settings afterwards, 1 when one still
differs, 2 when nothing was sent, a password was refused or a server did not
answer.

The rcon password crosses the network in clear, as the game's console has it:
--rcon and reload take loopback addresses only, unless --remote is given.

Options:
  -h, --help              show this text
  --version               show the version
)";

// One call for each thing the command line may ask for.
template <class... Calls> struct Each : Calls...
{
    using Calls::operator()...;
};

} // namespace

int main(int argc, char *argv[])
{
    // No QCoreApplication: no command needs an event loop (servers are asked
    // over plain sockets, and diff(1) is waited for), and making one (logging
    // rules, the program's own path) took a tenth of a check beside a large
    // game folder. The locale it would set is set here, for the system's
    // messages.
    std::setlocale(LC_ALL, "");
    QCoreApplication::setApplicationName(QStringLiteral("kezcfg"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KEZ_VERSION));
    // File / Open's own diagnostic lines are for the window; every command
    // here says what went wrong in its own words.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg || type == QtCriticalMsg)
            failure(message);
    });

    // As QCoreApplication would read them.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return std::visit(Each{
                          [](const Refused &refused) { return refused.status; },
                          [](UsageWanted) {
                              printOut(QByteArrayView(usage, qsizetype(sizeof usage) - 1));
                              return 0;
                          },
                          [](VersionWanted) {
                              printOut(QByteArrayView("kezcfg " KEZ_VERSION "\n"));
                              return 0;
                          },
                          [](const FlagsOptions &options) { return Commands::flags(options); },
                          [](const DecodeOptions &options) { return Commands::decode(options); },
                          [](const EncodeOptions &options) { return Commands::encode(options); },
                          [](const ShowOptions &options) { return Commands::show(options); },
                          [](const CheckOptions &options) { return Commands::check(options); },
                          [](const MapsOptions &options) { return Commands::maps(options); },
                          [](const ApplyOptions &options) { return Commands::apply(options); },
                          [](const StatusOptions &options) { return Commands::status(options); },
                          [](const ReloadOptions &options) { return Commands::reload(options); },
                          [](const RestoreOptions &options) { return Commands::restore(options); },
                      },
                      readCommandLine(arguments));
}
