// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/FileSetWriter.h"

#include "files/DescriptorIo.h"
#include "files/FileSetChecks.h"
#include "files/Journal.h"
#include "files/JournalRecovery.h"
#include "files/TemporaryFiles.h"
#include "files/WriteTarget.h"

#include <QFile>
#include <QSet>

#include <vector>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Entry = SetEntry;

bool fdatasyncOk(int fd)
{
    return ::fdatasync(fd) == 0;
}

// What the journal says of each file of the set.
QList<JournalEntry> journalEntries(const std::vector<Entry> &entries)
{
    QList<JournalEntry> lines;
    for (const Entry &entry : entries) {
        const QByteArray id = entry.inPlace ? fileIdText(FileId::of(*entry.target.existing))
                                            : fileIdText(entry.target.folderId);
        lines.append({entry.inPlace, entry.file->remove, entry.target.folderPath, entry.target.base,
                      entry.temporary, id});
    }
    return lines;
}

class SetWriter
{
public:
    FileSetOutcome run(const QList<FileToWrite> &files, const std::function<void(const QString &)> &stage);
    FileSetOutcome preflight(const QList<FileToWrite> &files);

private:
    FileSetOutcome fail(const Entry *entry, const QString &reason, bool nothingChanged = true);
    FileSetOutcome fail(const QString &file, const QString &reason, bool nothingChanged = true);
    // A failure past the point of return: the journal and its copies stay
    // for the next write to finish the set.
    FileSetOutcome leftToTheJournal(const Entry &entry, const QString &reason, const QString &state) const;
    // Every file judged before any is written: the failure of the first
    // that is refused.
    std::optional<FileSetOutcome> checkAll(const QList<FileToWrite> &files);
    std::optional<QString> prepare(Entry &entry);
    std::optional<QString> writeJournal();
    void removeTemporaries();
    // Gives the files rewritten in place so far their old contents back;
    // false when one could not be.
    bool putBackInPlace(size_t upTo);

    UniqueFd m_working;
    FileId m_workingId;
    bool m_canJournal = false;
    bool m_journalWritten = false;
    UniqueFd m_journalLock;
    QString m_recovered;
    std::vector<Entry> m_entries;
};

FileSetOutcome SetWriter::fail(const QString &file, const QString &reason, bool nothingChanged)
{
    removeTemporaries();
    FileSetOutcome outcome;
    outcome.file = file;
    outcome.reason = reason;
    outcome.nothingChanged = nothingChanged;
    outcome.recovered = m_recovered;
    return outcome;
}

FileSetOutcome SetWriter::leftToTheJournal(const Entry &entry, const QString &reason,
                                           const QString &state) const
{
    return {false, entry.file->name,
            reason + QStringLiteral("; %1, and the next Save, Open or apply completes the set from %2")
                         .arg(state, QLatin1String(Journal::fileName)),
            false, m_recovered};
}

FileSetOutcome SetWriter::fail(const Entry *entry, const QString &reason, bool nothingChanged)
{
    return fail(entry ? entry->file->name : QString(), reason, nothingChanged);
}

void SetWriter::removeTemporaries()
{
    for (Entry &entry : m_entries) {
        if (entry.temporaryFd.get() >= 0) {
            const int folder = entry.inPlace ? m_working.get() : entry.target.folder.get();
            ::unlinkat(folder, entry.temporary.constData(), 0);
            entry.temporaryFd.reset();
        }
    }
}

// The checks that can be made before anything is written: what the name

std::optional<QString> SetWriter::prepare(Entry &entry)
{
    const QByteArrayList &pieces = entry.file->pieces;
    if (entry.inPlace) {
        const int folder = entry.target.folder.get();
        const QByteArray &base = entry.target.base;
        entry.fileFd.reset(::openat(folder, base.constData(), O_RDWR | O_NOFOLLOW | safeOpenFlags));
        if (entry.fileFd.get() < 0 && errno == EACCES)
            entry.fileFd.reset(::openat(folder, base.constData(), O_WRONLY | O_NOFOLLOW | safeOpenFlags));
        struct stat info = {};
        if (entry.fileFd.get() < 0 || ::fstat(entry.fileFd.get(), &info) != 0)
            return plainReason(errno, ErrorContext::File);
        if (!(FileId::of(info) == FileId::of(*entry.target.existing)) || !S_ISREG(info.st_mode))
            return QStringLiteral("it was replaced while it was being written");
        if ((::fcntl(entry.fileFd.get(), F_GETFL) & O_ACCMODE) == O_RDWR)
            entry.previous = readAll(entry.fileFd.get());
        if (!m_canJournal)
            return std::nullopt;
        entry.temporaryFd = TemporaryFiles::create(m_working.get(), base, entry.temporary);
    } else {
        entry.temporaryFd =
            TemporaryFiles::create(entry.target.folder.get(), entry.target.base, entry.temporary);
    }
    const int fd = entry.temporaryFd.get();
    if (fd < 0)
        return plainReason(errno, ErrorContext::Folder);
    if (!entry.inPlace) {
        if (entry.ownership) {
            // As far as this user may: a copy that cannot take the owner
            // still takes the group, and the mode without set-id bits.
            const struct stat &like = *entry.ownership;
            if (::fchown(fd, like.st_uid, like.st_gid) != 0 && errno == EPERM &&
                ::fchown(fd, uid_t(-1), like.st_gid) != 0 && errno != EPERM)
                return plainReason(errno, ErrorContext::File);
            if (::fchmod(fd, like.st_mode & 0777) != 0)
                return plainReason(errno, ErrorContext::File);
        } else if (entry.target.existing) {
            const struct stat &old = *entry.target.existing;
            // The owner first: changing it clears set-id bits of the mode.
            if (::fchown(fd, old.st_uid, old.st_gid) != 0 || ::fchmod(fd, old.st_mode & 07777) != 0)
                return plainReason(errno, ErrorContext::File);
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            if (::fchmod(fd, 0666 & ~mask) != 0)
                return plainReason(errno, ErrorContext::File);
        }
    }
    if (!writeAll(fd, pieces) || !fdatasyncOk(fd))
        return plainReason(errno, ErrorContext::File);
    return std::nullopt;
}

std::optional<QString> SetWriter::writeJournal()
{
    // The temporary files' names must be on disk before a journal names them.
    QSet<QByteArray> synced;
    for (const Entry &entry : std::as_const(m_entries)) {
        if (!entry.inPlace && !synced.contains(fileIdText(entry.target.folderId))) {
            syncFolder(entry.target.folder.get());
            synced.insert(fileIdText(entry.target.folderId));
        }
    }
    QByteArray name;
    UniqueFd fd = TemporaryFiles::create(m_working.get(), Journal::fileName, name);
    if (fd.get() < 0)
        return plainReason(errno, ErrorContext::Folder);
    bool written =
        writeAll(fd.get(), {Journal::text(journalEntries(m_entries), m_workingId)}) && fdatasyncOk(fd.get());
    if (written) {
        written = ::renameat2(m_working.get(), name.constData(), m_working.get(), Journal::fileName,
                              RENAME_NOREPLACE) == 0;
        // A file system without that kind of rename (NFS) still makes a
        // second name only where there is none.
        if (!written && errno == EINVAL) {
            written = ::linkat(m_working.get(), name.constData(), m_working.get(), Journal::fileName, 0) == 0;
            const int error = errno;
            ::unlinkat(m_working.get(), name.constData(), 0);
            errno = error;
        }
    }
    if (!written) {
        const int error = errno;
        ::unlinkat(m_working.get(), name.constData(), 0);
        return error == EEXIST ? QStringLiteral("another save or apply is writing in this folder")
                               : plainReason(error, ErrorContext::Folder);
    }
    syncFolder(m_working.get());
    // The lock goes with the file: a recovery that finds the journal locked
    // knows that this write is still under way.
    m_journalWritten = true;
    m_journalLock = std::move(fd);
    return std::nullopt;
}

bool SetWriter::putBackInPlace(size_t upTo)
{
    bool all = true;
    for (size_t i = 0; i <= upTo; ++i) {
        Entry &entry = m_entries[i];
        if (entry.inPlace)
            all &= entry.previous && overwrite(entry.fileFd.get(), {*entry.previous});
    }
    return all;
}

FileSetOutcome SetWriter::run(const QList<FileToWrite> &files,
                              const std::function<void(const QString &)> &stage)
{
    m_working.reset(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat workingInfo = {};
    if (m_working.get() < 0 || ::fstat(m_working.get(), &workingInfo) != 0)
        return fail(QString(), plainReason(errno, ErrorContext::Folder));
    if (workingInfo.st_nlink == 0)
        return fail(files.isEmpty() ? QString() : files.first().name,
                    plainReason(ENOENT, ErrorContext::Folder));
    m_workingId = FileId::of(workingInfo);

    const Recovery recovery = recoverIn(m_working.get(), true);
    if (recovery.outcome == Recovery::Outcome::Busy || recovery.outcome == Recovery::Outcome::Failed)
        return fail(QLatin1String(Journal::fileName), recovery.message);
    m_recovered = recovery.message;
    m_canJournal = ::faccessat(m_working.get(), ".", W_OK | X_OK, AT_EACCESS) == 0;

    if (std::optional<FileSetOutcome> refused = checkAll(files))
        return *refused;
    QSet<QByteArray> cleaned = {fileIdText(m_workingId)};
    for (const Entry &entry : std::as_const(m_entries)) {
        if (!cleaned.contains(fileIdText(entry.target.folderId))) {
            TemporaryFiles::removeLeftovers(entry.target.folder.get());
            cleaned.insert(fileIdText(entry.target.folderId));
        }
    }

    bool anyInPlace = false;
    for (Entry &entry : m_entries) {
        if (entry.file->remove)
            continue;
        if (stage)
            stage(entry.file->name);
        if (const std::optional<QString> failure = prepare(entry))
            return fail(&entry, *failure);
        anyInPlace |= entry.inPlace;
    }

    // One file replaced by a rename changes in one step and needs no journal.
    if (m_canJournal && (m_entries.size() > 1 || anyInPlace)) {
        if (const std::optional<QString> failure = writeJournal())
            return fail(QLatin1String(Journal::fileName), *failure);
    }

    // Files rewritten in place first: they are the ones that can still fail
    // for want of room, and until the first rename their old contents can be
    // put back, so that nothing changed.
    for (size_t i = 0; i < m_entries.size(); ++i) {
        Entry &entry = m_entries[i];
        if (!entry.inPlace)
            continue;
        if (!overwrite(entry.fileFd.get(), entry.file->pieces)) {
            const QString reason = plainReason(errno, ErrorContext::File);
            if (putBackInPlace(i)) {
                if (m_journalWritten) {
                    ::unlinkat(m_working.get(), Journal::fileName, 0);
                    syncFolder(m_working.get());
                }
                return fail(&entry, reason);
            }
            // What could not be put back is finished from the journal and
            // its copies by the next write; they stay.
            if (m_journalWritten)
                return leftToTheJournal(entry, reason,
                                        QStringLiteral("its old contents could not be put back"));
            return fail(&entry, reason + QStringLiteral("; it may be incomplete"), false);
        }
    }
    QSet<QByteArray> renamedIn;
    for (Entry &entry : m_entries) {
        if (entry.inPlace || entry.file->remove)
            continue;
        const int folder = entry.target.folder.get();
        if (::renameat(folder, entry.temporary.constData(), folder, entry.target.base.constData()) != 0) {
            const QString reason = plainReason(errno, ErrorContext::File);
            // The journal, when there is one, lets the next write finish
            // the set; without one this was the only file.
            if (m_journalWritten)
                return leftToTheJournal(entry, reason, QStringLiteral("some files are already new"));
            return fail(&entry, reason);
        }
        entry.temporaryFd.reset();
        renamedIn.insert(fileIdText(entry.target.folderId));
    }
    for (const Entry &entry : std::as_const(m_entries)) {
        if (!entry.file->remove)
            continue;
        if (::unlinkat(m_working.get(), entry.target.base.constData(), 0) == 0 || errno == ENOENT) {
            renamedIn.insert(fileIdText(entry.target.folderId));
            continue;
        }
        const QString reason = plainReason(errno, ErrorContext::File);
        if (m_journalWritten)
            return leftToTheJournal(entry, reason, QStringLiteral("the other files are already new"));
        return fail(&entry, reason, m_entries.size() == 1);
    }
    for (const Entry &entry : std::as_const(m_entries)) {
        if (renamedIn.remove(fileIdText(entry.target.folderId)))
            syncFolder(entry.target.folder.get());
    }
    if (m_journalWritten) {
        ::unlinkat(m_working.get(), Journal::fileName, 0);
        removeTemporaries(); // the copies of files rewritten in place
        syncFolder(m_working.get());
    }
    return {true, {}, {}, false, m_recovered};
}

std::optional<FileSetOutcome> SetWriter::checkAll(const QList<FileToWrite> &files)
{
    m_entries.resize(size_t(files.size()));
    for (qsizetype i = 0; i < files.size(); ++i) {
        Entry &entry = m_entries[size_t(i)];
        entry.file = &files[i];
        if (const std::optional<QString> refusal = checkEntry(entry, m_working.get(), m_workingId))
            return fail(&entry, *refusal);
    }
    return std::nullopt;
}

FileSetOutcome SetWriter::preflight(const QList<FileToWrite> &files)
{
    m_working.reset(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat workingInfo = {};
    if (m_working.get() < 0 || ::fstat(m_working.get(), &workingInfo) != 0)
        return fail(QString(), plainReason(errno, ErrorContext::Folder));
    m_workingId = FileId::of(workingInfo);
    if (std::optional<FileSetOutcome> refused = checkAll(files))
        return *refused;
    return {true, {}, {}, true, {}};
}

} // namespace

QString FileSetOutcome::message() const
{
    QString text = file.isEmpty() ? QStringLiteral("could not write: %1").arg(reason)
                                  : QStringLiteral("could not write %1: %2").arg(file, reason);
    if (nothingChanged)
        text += QStringLiteral("; no file was changed");
    return text;
}

namespace FileSetWriter {

QString journalName()
{
    return QLatin1String(Journal::fileName);
}

Recovery recover()
{
    const UniqueFd working(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (working.get() < 0)
        return {Recovery::Outcome::Failed, {}, plainReason(errno, ErrorContext::Folder)};
    return recoverIn(working.get(), true);
}

Recovery inspect()
{
    const UniqueFd working(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (working.get() < 0)
        return {Recovery::Outcome::Failed, {}, plainReason(errno, ErrorContext::Folder)};
    return recoverIn(working.get(), false);
}

FileSetOutcome preflight(const QList<FileToWrite> &files)
{
    return SetWriter().preflight(files);
}

FileSetOutcome write(const QList<FileToWrite> &files, const std::function<void(const QString &name)> &stage)
{
    return SetWriter().run(files, stage);
}

} // namespace FileSetWriter
