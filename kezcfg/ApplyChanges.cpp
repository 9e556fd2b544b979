// SPDX-License-Identifier: GPL-2.0-or-later
// What apply would change: the files it makes, against the folder's bytes.
#include "ApplySteps.h"
#include "Commands.h"

#include "configfiles/PreviousGeneration.h"
#include "files/RegularFileReading.h"
#include "files/UniqueFd.h"
#include "text/InputBounds.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <sys/mman.h>

namespace {

bool sameBytes(QByteArrayView before, const QByteArrayList &pieces)
{
    qsizetype offset = 0;
    for (const QByteArray &piece : pieces) {
        if (before.size() - offset < piece.size())
            return false;
        // A piece that is a view of the current file is the same by being it.
        if (piece.constData() != before.data() + offset &&
            std::memcmp(piece.constData(), before.data() + offset, size_t(piece.size())) != 0)
            return false;
        offset += piece.size();
    }
    return offset == before.size();
}

} // namespace

// The bytes of a million-map rotation read into fresh memory cost a process
// more than all it does with them.
QByteArray mappedBytes(QFile &file)
{
    if (!file.isSequential() && file.size() > 0) {
        if (uchar *mapped = file.map(0, file.size())) {
            // Entered into the process at once rather than by a fault for
            // every few pages, which on a virtual machine costs more.
            madvise(mapped, size_t(file.size()), MADV_POPULATE_READ);
            return QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), file.size());
        }
    }
    return file.readAll();
}

std::optional<QByteArray> currentBytes(QFile &file)
{
    const RegularFileOpening opening = openRegularFile(file.fileName());
    // Closed when the bytes are taken: a mapping outlasts its descriptor.
    const UniqueFd fd(opening.fd);
    if (fd.get() < 0)
        return std::nullopt;
    if (opening.size > InputBounds::mapListSizeLimit ||
        !file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return std::nullopt;
    return mappedBytes(file);
}

// A unified diff from diff(1), which every Debian system has.
QByteArray unifiedDiff(const QString &name, const std::optional<QByteArray> &before, const QByteArray &after)
{
    QTemporaryDir scratch;
    const QString old = scratch.filePath(QStringLiteral("old"));
    const QString now = scratch.filePath(QStringLiteral("new"));
    for (const auto &[path, bytes] : {std::pair(old, before.value_or(QByteArray())), std::pair(now, after)}) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QByteArray();
    }
    QProcess diff;
    diff.start(QStringLiteral("diff"),
               {QStringLiteral("-u"), QStringLiteral("--label"), before ? name : QStringLiteral("/dev/null"),
                QStringLiteral("--label"), name, old, now});
    diff.waitForFinished(-1);
    return diff.readAllStandardOutput();
}

QStringList changedFiles(const QList<FileToWrite> &files, const std::optional<QByteArray> &mapListNow,
                         QByteArray *diffs)
{
    QStringList changed;
    for (const FileToWrite &file : files) {
        QFile current(file.name);
        const std::optional<QByteArray> before =
            file.name == u"maplist.txt" ? mapListNow : currentBytes(current);
        if (before && sameBytes(*before, file.pieces))
            continue;
        changed.append(file.name);
        if (diffs)
            *diffs += unifiedDiff(file.name, before, file.pieces.join());
    }
    return changed;
}

std::optional<int> writeChanged(const QList<FileToWrite> &files, const QStringList &changed,
                                const std::optional<QByteArray> &mapListNow)
{
    const QString mapListName = QStringLiteral("maplist.txt");
    QList<FileToWrite> toWrite;
    for (const FileToWrite &file : files) {
        if (changed.contains(file.name))
            toWrite.append(file);
    }
    // The set as it was before this apply is kept, in the same write, as
    // the previous generation that kezcfg restore puts back.
    PreviousGeneration::FoundSet before =
        PreviousGeneration::readSet({QStringLiteral("server.cfg"), QStringLiteral("motd.txt")});
    if (mapListNow)
        before.files.append({mapListName, mapListNow});
    else if (const std::optional<QString> why = whyUnreadable(mapListName))
        before.unreadable.append(mapListName + QStringLiteral(": ") + *why);
    else
        before.files.append({mapListName, std::nullopt});
    // What the writer would refuse anyway is refused in its words first.
    if (const FileSetOutcome checked = FileSetWriter::preflight(toWrite); !checked.complete)
        return failure(QStringLiteral("apply stopped: %1").arg(checked.message()));
    for (const QString &unreadable : std::as_const(before.unreadable)) {
        const QString name = unreadable.section(u':', 0, 0);
        if (changed.contains(name))
            return refuseApply(QStringLiteral("%1 cannot be read (%2), so it cannot be kept as %3")
                                   .arg(name, unreadable.section(QStringLiteral(": "), 1),
                                        PreviousGeneration::nameOf(name)));
    }
    toWrite += PreviousGeneration::entriesKeeping(before);
    const FileSetOutcome written = FileSetWriter::write(toWrite);
    if (!written.complete)
        return failure(QStringLiteral("apply stopped: %1").arg(written.message()));
    return std::nullopt;
}
