// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg apply: lays the values of a JSON object over the configuration of a
// folder and writes what changed, with the window's writer and its rules.
#include "ApplySteps.h"
#include "Commands.h"

#include "configfiles/ConfigurationWriter.h"
#include "configfiles/FieldTable.h"
#include "configfiles/JsonForm.h"
#include "files/FolderLock.h"
#include "text/OutsideText.h"

namespace Commands {

int apply(const ApplyOptions &options)
{
    const bool check = options.check;
    const std::chrono::milliseconds wait = options.wait;
    const bool force = options.force;
    const QString &input = options.input;
    const QString &folder = options.folder;

    ApplyInputFile in;
    if (const std::optional<int> refused = readApplyInput(input, in))
        return *refused;
    if (const std::optional<int> refused = enterFolder(folder))
        return *refused;
    // One apply at a time in a folder, so that two never mix their files.
    FolderLock lock;
    if (const std::optional<int> refused = holdFolderForWriting(QStringLiteral("apply"), lock, check, wait))
        return *refused;

    QFile mapListFile(QStringLiteral("maplist.txt"));
    const std::optional<QByteArray> mapListNow = currentBytes(mapListFile);
    ParsedApplyInput parsed;
    if (const std::optional<int> refused = parseApplyInput(in, mapListNow.value_or(QByteArray()), parsed))
        return *refused;
    const QJsonObject &object = parsed.object;
    ServerForm form;
    form.mapItemsWanted = !object.contains(QLatin1String(FieldTable::rotationKey));
    if (const std::optional<int> refused = readCurrentConfiguration(form))
        return *refused;
    QList<std::size_t> families;
    if (const std::optional<QString> refusal = JsonForm::layOver(form, object, families))
        return refuseApply(*refusal);
    if (const std::optional<int> refused = refuseMasksTheGameReadsOtherwise(form, families, force))
        return *refused;
    // The rotation kept is the one maplist.txt holds: where that cannot be
    // read, writing the list would empty it.
    if (form.values.mapList && !object.contains(QLatin1String(FieldTable::rotationKey)) && !mapListNow) {
        if (const std::optional<QString> why = whyUnreadable(QStringLiteral("maplist.txt")))
            return refuseApply(
                QStringLiteral("maplist.txt cannot be read (%1), so its rotation cannot be kept; give "
                               "\"rotation\" or let this user read it")
                    .arg(*why));
    }
    if (const std::optional<int> refused =
            refuseMapsNoEngineFinds(form.values, parsed.plain, mapListNow.value_or(QByteArray()), force))
        return *refused;

    const std::optional<QByteArrayList> plainMapList =
        parsed.plain ? std::optional(parsed.plain->mapListPieces(mapListNow.value_or(QByteArray())))
                     : std::nullopt;
    const QList<FileToWrite> files =
        configurationFiles(form.values, object.contains(QLatin1String(FieldTable::motdKey)), plainMapList);
    QByteArray diffs;
    const QStringList changed = changedFiles(files, mapListNow, check ? &diffs : nullptr);
    const QString outcome =
        changed.isEmpty() ? QStringLiteral("unchanged") : QStringLiteral("changed: ") + changed.join(u' ');
    // Nothing is written when nothing changed, not even the previous generation.
    if (!check && !changed.isEmpty()) {
        if (const std::optional<int> stopped = writeChanged(files, changed, mapListNow))
            return *stopped;
    }
    printOut(outcome + u'\n');
    if (check)
        printOut(printableLines(diffs));
    return 0;
}

} // namespace Commands
