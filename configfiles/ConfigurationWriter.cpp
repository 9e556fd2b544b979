// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ConfigurationWriter.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/SafeTextFile.h"

#include "flags/Diagnostics.h"

namespace {

// The window shows no message for a failed save; its status line tells how
// far the save came, and this line on the error stream tells why.
ConfigurationWriteResult stopped(const SafeTextFile &file)
{
    const QString diagnostic = QStringLiteral("could not write %1: %2; the save stopped there.")
                                   .arg(file.fileName(), file.errorString());
    Diagnostics::warn(diagnostic);
    return {false, diagnostic};
}

} // namespace

ConfigurationWriteResult writeConfigurationSet(const ServerSettings &settings,
                                               const std::function<void(const QString &)> &setStatusText)
{
    using namespace ConfigurationLines;

    setStatusText(QStringLiteral("Generating Files"));

    SafeTextFile serverCfg(QStringLiteral("server.cfg"));
    if (!serverCfg.open())
        return stopped(serverCfg);
    setStatusText(QStringLiteral("Generating server.cfg"));
    serverCfg.writeLines(serverCfgLines(settings));
    if (!serverCfg.commit())
        return stopped(serverCfg);

    SafeTextFile motd(QStringLiteral("motd.txt"));
    if (!motd.open())
        return stopped(motd);
    setStatusText(QStringLiteral("Generating motd.txt"));
    motd.writeLines(motdMessageLines(settings.messageOfTheDay) + motdBanner());
    if (!motd.commit())
        return stopped(motd);

    // With the box unticked maplist.txt is not touched at all: "set maplist 0"
    // is the only record of the choice, and an older list stays as it was.
    if (settings.mapList) {
        setStatusText(QStringLiteral("Generating maplist.txt"));
        SafeTextFile mapList(QStringLiteral("maplist.txt"));
        if (!mapList.open())
            return stopped(mapList);
        mapList.writeLines(settings.maps);
        if (!mapList.commit())
            return stopped(mapList);
    }

    setStatusText(QStringLiteral("Finished generating files"));
    return {true, {}};
}
