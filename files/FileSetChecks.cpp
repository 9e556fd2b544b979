// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/FileSetChecks.h"

#include "files/SystemErrors.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A name to take away: only a name of the working folder itself, whatever
// it is (a link is removed, never followed), except a folder.
std::optional<QString> checkRemoval(SetEntry &entry, int working, const FileId &workingId)
{
    const QByteArray base = QFile::encodeName(entry.file->name);
    if (base.isEmpty() || base.contains('/') || base == "." || base == "..")
        return QStringLiteral("only a name in the working folder can be removed");
    entry.target.folder.reset(::fcntl(working, F_DUPFD_CLOEXEC, 0));
    if (entry.target.folder.get() < 0)
        return plainReason(errno, ErrorContext::Folder);
    entry.target.folderPath = ".";
    entry.target.base = base;
    entry.target.folderId = workingId;
    struct stat info = {};
    if (::fstatat(working, base.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? std::nullopt : std::optional(plainReason(errno, ErrorContext::File));
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder");
    if (::faccessat(working, ".", W_OK | X_OK, AT_EACCESS) != 0)
        return plainReason(errno, ErrorContext::Folder);
    return std::nullopt;
}

} // namespace

std::optional<QString> checkEntry(SetEntry &entry, int working, const FileId &workingId)
{
    if (entry.file->remove)
        return checkRemoval(entry, working, workingId);
    if (!entry.file->ownershipOf.isEmpty()) {
        // Looked at by the same rules as any file of the set, so that no
        // link lends a kept copy the owner of a file outside it.
        auto source =
            resolveWriteTarget(QFile::encodeName(entry.file->ownershipOf), working, TargetUse::Reading);
        if (const WriteTarget *found = std::get_if<WriteTarget>(&source); found && found->existing)
            entry.ownership = found->existing;
    }
    auto resolved = resolveWriteTarget(QFile::encodeName(entry.file->name), working);
    if (const QString *refusal = std::get_if<QString>(&resolved))
        return *refusal;
    entry.target = std::move(std::get<WriteTarget>(resolved));
    const int folder = entry.target.folder.get();
    struct stat folderInfo = {};
    if (::fstat(folder, &folderInfo) != 0)
        return plainReason(errno, ErrorContext::Folder);
    if (folderInfo.st_nlink == 0)
        return plainReason(ENOENT, ErrorContext::Folder);
    const bool folderWritable = ::faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) == 0;
    if (!entry.target.existing) {
        if (!folderWritable)
            return plainReason(errno, ErrorContext::Folder);
        return std::nullopt;
    }
    const struct stat &old = *entry.target.existing;
    // A second name of a file can be made by whoever may write in the folder
    // (and, without the kernel's protection, for any file): in a folder of
    // another user, a file with more than one name is written only when it
    // is that user's own, so that nobody can aim this write at a file of the
    // writer's by naming it here.
    if (old.st_nlink > 1 && folderInfo.st_uid != ::geteuid() && folderInfo.st_uid != 0 &&
        old.st_uid != folderInfo.st_uid)
        return QStringLiteral(
                   "it has %1 names and belongs to %2, while its folder belongs to %3; a file with a "
                   "second name is written only in a folder of yours or of its owner")
            .arg(old.st_nlink)
            .arg(userName(old.st_uid), userName(folderInfo.st_uid));
    if (::faccessat(folder, entry.target.base.constData(), W_OK, AT_EACCESS) != 0)
        return errno == EACCES ? QStringLiteral("it is read-only for this user")
                               : plainReason(errno, ErrorContext::File);
    // A replacement must be able to keep the old file's owner, group and
    // mode, and a second name would go on showing the old text; otherwise
    // the file is rewritten in place.
    const bool keepsOwnership =
        ::geteuid() == 0 ||
        (old.st_uid == ::geteuid() && (old.st_gid == ::getegid() || ::group_member(old.st_gid)));
    entry.inPlace = !(folderWritable && keepsOwnership && old.st_nlink == 1);
    return std::nullopt;
}
