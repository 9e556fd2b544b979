// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/JournalRecovery.h"

#include "files/DescriptorIo.h"
#include "files/Journal.h"
#include "files/SystemErrors.h"
#include "files/TemporaryFiles.h"
#include "files/WriteTarget.h"
#include "text/InputBounds.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace {

// Puts one file of a journal in place; none when it is there (also when an
// earlier run had already done so), else why not.
std::optional<QString> carryOut(const JournalEntry &entry, int workingFolder)
{
    const UniqueFd folder(
        ::openat(workingFolder, entry.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info = {};
    if (folder.get() < 0 || ::fstat(folder.get(), &info) != 0)
        return plainReason(errno, ErrorContext::Folder);
    if (entry.inPlace) {
        const UniqueFd copy(
            ::openat(workingFolder, entry.temporary.constData(), O_RDONLY | O_NOFOLLOW | safeOpenFlags));
        if (copy.get() < 0)
            return errno == ENOENT ? std::nullopt : std::optional(plainReason(errno, ErrorContext::File));
        // The copy lies in a folder that others may own: only a copy that
        // this user made and nobody else could change is copied in.
        struct stat copyInfo = {};
        if (::fstat(copy.get(), &copyInfo) != 0 || !S_ISREG(copyInfo.st_mode) ||
            copyInfo.st_uid != ::geteuid() || (copyInfo.st_mode & 022) || copyInfo.st_nlink != 1)
            return QStringLiteral("its copy %1 is not one this user made")
                .arg(QFile::decodeName(entry.temporary));
        const UniqueFd file(
            ::openat(folder.get(), entry.base.constData(), O_WRONLY | O_NOFOLLOW | safeOpenFlags));
        if (file.get() < 0 || ::fstat(file.get(), &info) != 0)
            return plainReason(errno, ErrorContext::File);
        if (fileIdText(FileId::of(info)) != entry.id)
            return QStringLiteral("it is no longer the file that was being written");
        const std::optional<QByteArray> bytes = readAll(copy.get());
        if (!bytes || !overwrite(file.get(), {*bytes}))
            return plainReason(errno, ErrorContext::File);
        ::unlinkat(workingFolder, entry.temporary.constData(), 0);
        return std::nullopt;
    }
    if (fileIdText(FileId::of(info)) != entry.id)
        return QStringLiteral("its folder is no longer the one that was being written");
    if (entry.remove) {
        if (::unlinkat(folder.get(), entry.base.constData(), 0) != 0 && errno != ENOENT)
            return plainReason(errno, ErrorContext::File);
        syncFolder(folder.get());
        return std::nullopt;
    }
    if (::renameat(folder.get(), entry.temporary.constData(), folder.get(), entry.base.constData()) != 0 &&
        errno != ENOENT)
        return plainReason(errno, ErrorContext::File);
    syncFolder(folder.get());
    return std::nullopt;
}

struct OpenJournal
{
    UniqueFd fd;
    QList<JournalEntry> entries;
};

// The journal of an interrupted write, if there is one. Only a journal of
// the user's own, that no one else may change, is trusted: a folder's owner
// must not be able to have a privileged recovery move files of their choosing.
std::variant<std::monostate, OpenJournal, Recovery> findJournal(int workingFolder, const FileId &workingId)
{
    // Opened for writing as well: a file system that emulates flock with
    // record locks (NFS) takes an exclusive lock only on such a descriptor.
    UniqueFd fd(::openat(workingFolder, Journal::fileName, O_RDWR | O_NOFOLLOW | safeOpenFlags));
    if (fd.get() < 0 && errno == EACCES)
        fd.reset(::openat(workingFolder, Journal::fileName, O_RDONLY | O_NOFOLLOW | safeOpenFlags));
    if (fd.get() < 0 && errno == ENOENT)
        return std::monostate();
    const QString where =
        QStringLiteral("the journal %1 of an interrupted save").arg(QLatin1String(Journal::fileName));
    struct stat info = {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0)
        return Recovery{
            Recovery::Outcome::Failed,
            {},
            QStringLiteral("%1 cannot be read: %2").arg(where, plainReason(errno, ErrorContext::File))};
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 022) ||
        info.st_size > InputBounds::journalSize)
        return Recovery{
            Recovery::Outcome::Failed,
            {},
            QStringLiteral("%1 was not made by this user (%2); it was left untouched: remove it once "
                           "the files are as they should be")
                .arg(where, userName(info.st_uid))};
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return Recovery{
            Recovery::Outcome::Busy, {}, QStringLiteral("another save or apply is writing in this folder")};
    const std::optional<QByteArray> text = readAll(fd.get(), InputBounds::journalSize);
    const auto entries = text ? Journal::parse(*text, workingId) : std::nullopt;
    if (!entries)
        return Recovery{
            Recovery::Outcome::Failed,
            {},
            QStringLiteral("%1 cannot be understood; it was left untouched: remove it once the files "
                           "are as they should be")
                .arg(where)};
    return OpenJournal{std::move(fd), *entries};
}

} // namespace

Recovery recoverIn(int workingFolder, bool change)
{
    struct stat info = {};
    if (::fstat(workingFolder, &info) != 0)
        return {Recovery::Outcome::Failed, {}, plainReason(errno, ErrorContext::Folder)};
    auto found = findJournal(workingFolder, FileId::of(info));
    if (std::holds_alternative<std::monostate>(found)) {
        if (change)
            TemporaryFiles::removeLeftovers(workingFolder);
        return {};
    }
    if (Recovery *problem = std::get_if<Recovery>(&found))
        return *problem;
    const OpenJournal &journal = std::get<OpenJournal>(found);
    Recovery recovery{Recovery::Outcome::Completed, {}, {}};
    for (const JournalEntry &entry : journal.entries)
        recovery.files.append(Journal::nameOf(entry));
    if (!change) {
        recovery.message =
            QStringLiteral("a save or apply was interrupted while it put %1 in place; the next "
                           "Save, Open or apply completes it")
                .arg(recovery.files.join(QStringLiteral(", ")));
        return recovery;
    }
    for (const JournalEntry &entry : journal.entries) {
        if (const std::optional<QString> failure = carryOut(entry, workingFolder))
            return {
                Recovery::Outcome::Failed, recovery.files,
                QStringLiteral("an interrupted save could not put %1 in place: %2; the journal %3 stays for "
                               "the next try")
                    .arg(Journal::nameOf(entry), *failure, QLatin1String(Journal::fileName))};
    }
    ::unlinkat(workingFolder, Journal::fileName, 0);
    syncFolder(workingFolder);
    TemporaryFiles::removeLeftovers(workingFolder);
    recovery.message = QStringLiteral("an interrupted save was completed: %1 put in place")
                           .arg(recovery.files.join(QStringLiteral(", ")));
    return recovery;
}
