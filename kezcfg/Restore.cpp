// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg restore: puts the previous generation (server.cfg~, motd.txt~,
// maplist.txt~) back in the place of the configuration set, with apply's
// lock and the window's writer, and keeps what it replaces as the new
// previous generation, so that a second restore undoes the first.
#include "Commands.h"

#include "configfiles/PreviousGeneration.h"
#include "files/FileSetWriter.h"
#include "files/FolderLock.h"
#include "text/OutsideText.h"

#include <algorithm>

namespace {

constexpr std::chrono::milliseconds lockWait = std::chrono::minutes(1);

int refuse(const QString &message)
{
    return failure(QStringLiteral("restore refused: %1; no file was changed").arg(message));
}

} // namespace

namespace Commands {

int restore(const RestoreOptions &options)
{
    const bool check = options.check;
    const QString &folder = options.folder;
    if (const std::optional<int> refused = enterFolder(folder))
        return *refused;

    FolderLock lock;
    if (const std::optional<int> refused =
            holdFolderForWriting(QStringLiteral("restore"), lock, check, lockWait))
        return *refused;

    QStringList keptNames;
    for (const QString &name : PreviousGeneration::setNames())
        keptNames.append(PreviousGeneration::nameOf(name));
    const PreviousGeneration::FoundSet kept = PreviousGeneration::readSet(keptNames);
    if (!kept.unreadable.isEmpty())
        return refuse(QStringLiteral("the previous generation cannot be read (%1)")
                          .arg(kept.unreadable.join(QStringLiteral("; "))));
    if (std::none_of(kept.files.begin(), kept.files.end(),
                     [](const PreviousGeneration::FoundFile &file) { return file.bytes.has_value(); }))
        return failure(QStringLiteral("there is no previous generation (%1) to restore in \"%2\"")
                           .arg(keptNames.join(QStringLiteral(", ")), folder));
    const PreviousGeneration::FoundSet now = PreviousGeneration::readSet();
    QList<FileToWrite> toWrite;
    QStringList changed;
    QByteArray diffs;
    for (const PreviousGeneration::FoundFile &copy : kept.files) {
        if (!copy.bytes)
            continue;
        const QString name = copy.name.chopped(1);
        const PreviousGeneration::FoundFile *current = now.find(name);
        if (!current)
            return refuse(QStringLiteral("%1 cannot be read, so what it holds cannot be kept as %2")
                              .arg(name, copy.name));
        if (current->bytes == copy.bytes)
            continue;
        changed.append(name);
        // A file that is not there any more comes back as its copy is.
        toWrite.append({name, {*copy.bytes}, current->bytes ? QString() : copy.name});
        if (check)
            diffs += unifiedDiff(name, current->bytes, *copy.bytes);
    }
    const QString outcome =
        changed.isEmpty() ? QStringLiteral("unchanged") : QStringLiteral("changed: ") + changed.join(u' ');
    if (check || changed.isEmpty()) {
        printOut(outcome + u'\n');
        printOut(printableLines(diffs));
        return 0;
    }
    // What is replaced becomes the previous generation: a second restore
    // puts it back.
    toWrite += PreviousGeneration::entriesKeeping(now);
    const FileSetOutcome written = FileSetWriter::write(toWrite);
    if (!written.complete)
        return failure(QStringLiteral("restore stopped: %1").arg(written.message()));
    printOut(outcome + u'\n');
    return 0;
}

} // namespace Commands
