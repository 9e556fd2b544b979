#include "configfiles/ConfigurationWriter.h"

#include "configfiles/ConfigurationForm.h"
#include "configfiles/ConfigurationLines.h"
#include "configfiles/SafeTextFile.h"

#include "flags/Diagnostics.h"

namespace {

ServerSettings settingsOf(const ConfigurationForm &form)
{
    ServerSettings settings;
    for (TextControl control : allTextControls)
        settings.text(control) = form.text(control);
    for (SpinnerControl spinner : allSpinnerControls)
        settings.number(spinner) = form.number(spinner);
    for (FlagFamilyId family : allFlagFamilies)
        settings.mask(family) = form.maskText(family);
    settings.publicGame = form.isChecked(CheckboxControl::PublicGame);
    settings.mapList = form.isChecked(CheckboxControl::MapList);
    return settings;
}

// The window shows no message for a failed save; its status line tells how
// far the save came, and this line on the error stream tells why.
bool stopped(const SafeTextFile &file)
{
    Diagnostics::warn(QStringLiteral("could not write %1: %2; the save stopped there.")
                          .arg(file.fileName(), file.errorString()));
    return false;
}

} // namespace

bool writeConfigurationSet(ConfigurationForm &form)
{
    using namespace ConfigurationLines;

    form.setStatusText(QStringLiteral("Generating Files"));

    SafeTextFile serverCfg(QStringLiteral("server.cfg"));
    if (!serverCfg.open())
        return stopped(serverCfg);
    form.setStatusText(QStringLiteral("Generating server.cfg"));
    serverCfg.writeLines(serverCfgLines(settingsOf(form)));
    if (!serverCfg.commit())
        return stopped(serverCfg);

    SafeTextFile motd(QStringLiteral("motd.txt"));
    if (!motd.open())
        return stopped(motd);
    motd.writeLines(motdMessageLines(form.messageOfTheDay()));
    form.setStatusText(QStringLiteral("Generating motd.txt"));
    motd.writeLines(motdBanner());
    if (!motd.commit())
        return stopped(motd);

    // With the box unticked maplist.txt is not touched at all: "set maplist 0"
    // is the only record of the choice, and an older list stays as it was.
    if (form.isChecked(CheckboxControl::MapList)) {
        form.setStatusText(QStringLiteral("Generating maplist.txt"));
        SafeTextFile mapList(QStringLiteral("maplist.txt"));
        if (!mapList.open())
            return stopped(mapList);
        mapList.writeLines(form.mapItems());
        if (!mapList.commit())
            return stopped(mapList);
    }

    form.setStatusText(QStringLiteral("Finished generating files"));
    return true;
}
