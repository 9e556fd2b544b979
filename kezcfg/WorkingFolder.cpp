// SPDX-License-Identifier: GPL-2.0-or-later
#include "WorkingFolder.h"

#include "Output.h"

#include "files/FileSetWriter.h"
#include "files/WriteTarget.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

int folderFailure(const QString &folder)
{
    const QFileInfo info(folder);
    QString why;
    if (!info.exists())
        why = info.isSymLink() ? QStringLiteral("it is a link to nothing")
                               : QStringLiteral("there is no such folder");
    else if (!info.isDir())
        why = QStringLiteral("it is not a folder");
    else
        why = QStringLiteral("you may not enter it");
    return failure(QStringLiteral("cannot go into the folder \"%1\": %2").arg(folder, why));
}

std::optional<int> holdFolderForWriting(const QString &command, FolderLock &lock, bool check,
                                        std::chrono::milliseconds wait)
{
    if (!check) {
        if (const std::optional<QString> refusal = lock.lock(wait, [](const QString &text) { notice(text); }))
            return failure(QStringLiteral("%1 refused: %2").arg(command, *refusal));
    }
    const Recovery recovery = check ? FileSetWriter::inspect() : FileSetWriter::recover();
    if (recovery.outcome == Recovery::Outcome::Failed || recovery.outcome == Recovery::Outcome::Busy)
        return failure(QStringLiteral("%1 refused: %2; no file was changed").arg(command, recovery.message));
    if (recovery.outcome == Recovery::Outcome::Completed)
        notice(recovery.message);
    return std::nullopt;
}

std::optional<int> enterFolder(const QString &folder)
{
    // The folder is opened once, from "/", under the link rule, and held as
    // the working folder: every file after it is named from there, so a
    // folder swapped by name later changes nothing.
    QByteArray path = QFile::encodeName(folder);
    if (!path.startsWith('/')) {
        const QByteArray working = workingFolderPath();
        if (working.isEmpty())
            return folderFailure(folder);
        path = working + '/' + path;
    }
    path = QFile::encodeName(QDir::cleanPath(QFile::decodeName(path)));
    const FolderOpening opening = openFolderFromRoot(path);
    if (!opening.refusal.isEmpty())
        return failure(QStringLiteral("will not go into the folder \"%1\": %2; nothing was read or written")
                           .arg(folder, opening.refusal));
    if (opening.folder.get() < 0 || ::fchdir(opening.folder.get()) != 0)
        return folderFailure(folder);
    return std::nullopt;
}
