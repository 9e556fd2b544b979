// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/FileSetWriter.h"

#include "files/DescriptorIo.h"
#include "files/WriteTarget.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <vector>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char journalFile[] = ".kezcfg-journal";
constexpr char journalHeader[] = "kezcfg-journal 1";
constexpr char temporaryMark[] = ".kezcfg-";
constexpr int suffixLength = 6;
// A journal names three files; anything longer is not one of ours.
constexpr qint64 journalSizeLimit = 64 * 1024;

// Every open here: no controlling terminal, not inherited, and never blocked
// by a FIFO put where a file was.
constexpr int openFlags = O_NOCTTY | O_CLOEXEC | O_NONBLOCK;

QByteArray fileIdText(const WriteTarget::Id &id)
{
    return fileIdText(FileId{id.device, id.inode});
}

bool fdatasyncOk(int fd)
{
    return ::fdatasync(fd) == 0;
}

qsizetype sizeOf(const QByteArrayList &pieces)
{
    qsizetype size = 0;
    for (const QByteArray &bytes : pieces)
        size += bytes.size();
    return size;
}

// The contents go over the old ones before the file is cut to length, so
// that a failure never leaves less room than the old contents need to be
// put back.
bool overwrite(int fd, const QByteArrayList &pieces)
{
    return writeAll(fd, pieces) && ::ftruncate(fd, off_t(sizeOf(pieces))) == 0 && ::fsync(fd) == 0;
}

QByteArray randomSuffix()
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(suffixLength, '\0');
    for (char &c : suffix)
        c = alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))];
    return suffix;
}

// ".server.cfg.kezcfg-Ab3dE9" and ".kezcfg-journal.kezcfg-Ab3dE9": the names
// of this writer's temporary files, which nothing else makes.
bool isTemporaryName(QByteArrayView name)
{
    const qsizetype markAt = name.size() - suffixLength - qsizetype(sizeof temporaryMark - 1);
    if (!name.startsWith('.') || markAt < 1 ||
        name.sliced(markAt).first(sizeof temporaryMark - 1) != QByteArrayView(temporaryMark))
        return false;
    for (char c : name.last(suffixLength)) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Makes a new temporary file for base in folder, locked for as long as it
// is open so that no other writer takes it for a leftover.
UniqueFd createTemporary(int folder, const QByteArray &base, QByteArray &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = '.' + base + temporaryMark + randomSuffix();
        UniqueFd fd(
            ::openat(folder, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | openFlags, 0600));
        if (fd.get() < 0 && errno == EEXIST)
            continue;
        if (fd.get() >= 0)
            ::flock(fd.get(), LOCK_EX | LOCK_NB);
        return fd;
    }
    errno = EEXIST;
    return UniqueFd(-1);
}

// A leftover of a write that died before its journal: ours by its name, a
// regular file, and locked by nobody.
void removeLeftovers(int folder)
{
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return;
    DIR *dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return;
    }
    QByteArrayList names;
    while (const dirent *entry = ::readdir(dir)) {
        if (isTemporaryName(QByteArrayView(entry->d_name)))
            names.append(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    for (const QByteArray &name : std::as_const(names)) {
        const UniqueFd fd(::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | openFlags));
        struct stat info = {};
        if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folder, name.constData(), 0);
    }
}

void syncFolder(int folder)
{
    // A folder opened only as a path cannot be synced; the files in it are.
    ::fsync(folder);
}

// One file of the set on its way.
struct Entry
{
    const FileToWrite *file = nullptr;
    WriteTarget target;
    bool inPlace = false;
    QByteArray temporary; // replace: beside the file; in place: a copy in the working folder
    UniqueFd temporaryFd;
    UniqueFd fileFd; // in place: the file itself
    std::optional<QByteArray> previous;
    std::optional<struct stat> ownership; // of the file named by ownershipOf
};

// --- The journal ------------------------------------------------------------

// One line per file: how it changes, where, and the identity of what it
// changes, so that a recovery acts on nothing else.
//   replace FOLDER BASE TEMPORARY FOLDER-ID
//   inplace FOLDER BASE COPY FILE-ID
//   remove FOLDER BASE - FOLDER-ID
struct JournalEntry
{
    bool inPlace = false;
    bool remove = false;
    QByteArray folder;
    QByteArray base;
    QByteArray temporary;
    QByteArray id;
};

QByteArray journalText(const std::vector<Entry> &entries, const FileId &workingFolder)
{
    QByteArray text = QByteArray(journalHeader) + ' ' + fileIdText(workingFolder) + '\n';
    for (const Entry &entry : entries) {
        const QByteArray id = entry.inPlace ? fileIdText(FileId::of(*entry.target.existing))
                                            : fileIdText(entry.target.folderId());
        if (entry.file->remove) {
            text += "remove " + entry.target.folderPath.toPercentEncoding() + ' ' +
                    entry.target.base.toPercentEncoding() + " - " + id + '\n';
            continue;
        }
        text += (entry.inPlace ? "inplace " : "replace ") + entry.target.folderPath.toPercentEncoding() +
                ' ' + entry.target.base.toPercentEncoding() + ' ' + entry.temporary.toPercentEncoding() +
                ' ' + id + '\n';
    }
    return text + "end\n";
}

std::optional<QList<JournalEntry>> parseJournal(const QByteArray &text, const FileId &workingFolder)
{
    const QByteArrayList lines = text.split('\n');
    if (lines.size() < 3 || lines.first() != QByteArray(journalHeader) + ' ' + fileIdText(workingFolder) ||
        lines.at(lines.size() - 2) != "end" || !lines.last().isEmpty())
        return std::nullopt;
    QList<JournalEntry> entries;
    for (qsizetype i = 1; i + 2 < lines.size(); ++i) {
        const QByteArrayList fields = lines[i].split(' ');
        if (fields.size() != 5 || (fields[0] != "replace" && fields[0] != "inplace" && fields[0] != "remove"))
            return std::nullopt;
        JournalEntry entry{fields[0] == "inplace",
                           fields[0] == "remove",
                           QByteArray::fromPercentEncoding(fields[1]),
                           QByteArray::fromPercentEncoding(fields[2]),
                           QByteArray::fromPercentEncoding(fields[3]),
                           fields[4]};
        // A name is removed only from the working folder itself.
        if (entry.remove && (entry.folder != "." || fields[3] != "-" || entry.base.contains('/') ||
                             entry.base.isEmpty() || entry.base == "." || entry.base == ".."))
            return std::nullopt;
        if (!entry.remove &&
            (entry.base.contains('/') || !isTemporaryName(entry.temporary) || entry.temporary.contains('/')))
            return std::nullopt;
        entries.append(entry);
    }
    return entries;
}

QString nameOf(const JournalEntry &entry)
{
    return QFile::decodeName(entry.folder == "." ? entry.base : entry.folder + '/' + entry.base);
}

// Puts one file of a journal in place; true when it is there (also when an
// earlier run had already done so).
std::optional<QString> carryOut(const JournalEntry &entry, int workingFolder)
{
    const UniqueFd folder(
        ::openat(workingFolder, entry.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info = {};
    if (folder.get() < 0 || ::fstat(folder.get(), &info) != 0)
        return plainReason(errno, ErrorContext::Folder);
    if (entry.inPlace) {
        const UniqueFd copy(
            ::openat(workingFolder, entry.temporary.constData(), O_RDONLY | O_NOFOLLOW | openFlags));
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
            ::openat(folder.get(), entry.base.constData(), O_WRONLY | O_NOFOLLOW | openFlags));
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
    UniqueFd fd(::openat(workingFolder, journalFile, O_RDWR | O_NOFOLLOW | openFlags));
    if (fd.get() < 0 && errno == EACCES)
        fd.reset(::openat(workingFolder, journalFile, O_RDONLY | O_NOFOLLOW | openFlags));
    if (fd.get() < 0 && errno == ENOENT)
        return std::monostate();
    const QString where =
        QStringLiteral("the journal %1 of an interrupted save").arg(QLatin1String(journalFile));
    struct stat info = {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0)
        return Recovery{
            Recovery::Outcome::Failed,
            {},
            QStringLiteral("%1 cannot be read: %2").arg(where, plainReason(errno, ErrorContext::File))};
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 022) ||
        info.st_size > journalSizeLimit)
        return Recovery{
            Recovery::Outcome::Failed,
            {},
            QStringLiteral("%1 was not made by this user (%2); it was left untouched: remove it once "
                           "the files are as they should be")
                .arg(where, userName(info.st_uid))};
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return Recovery{
            Recovery::Outcome::Busy, {}, QStringLiteral("another save or apply is writing in this folder")};
    const std::optional<QByteArray> text = readAll(fd.get(), journalSizeLimit);
    const auto entries = text ? parseJournal(*text, workingId) : std::nullopt;
    if (!entries)
        return Recovery{
            Recovery::Outcome::Failed,
            {},
            QStringLiteral("%1 cannot be understood; it was left untouched: remove it once the files "
                           "are as they should be")
                .arg(where)};
    return OpenJournal{std::move(fd), *entries};
}

Recovery recoverIn(int workingFolder, bool change)
{
    struct stat info = {};
    if (::fstat(workingFolder, &info) != 0)
        return {Recovery::Outcome::Failed, {}, plainReason(errno, ErrorContext::Folder)};
    auto found = findJournal(workingFolder, FileId::of(info));
    if (std::holds_alternative<std::monostate>(found)) {
        if (change)
            removeLeftovers(workingFolder);
        return {};
    }
    if (Recovery *problem = std::get_if<Recovery>(&found))
        return *problem;
    const OpenJournal &journal = std::get<OpenJournal>(found);
    Recovery recovery{Recovery::Outcome::Completed, {}, {}};
    for (const JournalEntry &entry : journal.entries)
        recovery.files.append(nameOf(entry));
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
                    .arg(nameOf(entry), *failure, QLatin1String(journalFile))};
    }
    ::unlinkat(workingFolder, journalFile, 0);
    syncFolder(workingFolder);
    removeLeftovers(workingFolder);
    recovery.message = QStringLiteral("an interrupted save was completed: %1 put in place")
                           .arg(recovery.files.join(QStringLiteral(", ")));
    return recovery;
}

// --- Writing ------------------------------------------------------------------

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
    std::optional<QString> check(Entry &entry) const;
    // Every file judged before any is written: the failure of the first
    // that is refused.
    std::optional<FileSetOutcome> checkAll(const QList<FileToWrite> &files);
    std::optional<QString> checkRemoval(Entry &entry) const;
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
                         .arg(state, QLatin1String(journalFile)),
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
// leads to, whether it may be written, and how.
std::optional<QString> SetWriter::check(Entry &entry) const
{
    if (entry.file->remove)
        return checkRemoval(entry);
    if (!entry.file->ownershipOf.isEmpty()) {
        // Looked at by the same rules as any file of the set, so that no
        // link lends a kept copy the owner of a file outside it.
        auto source = resolveWriteTarget(QFile::encodeName(entry.file->ownershipOf), m_working.get(),
                                         TargetUse::Reading);
        if (const WriteTarget *found = std::get_if<WriteTarget>(&source); found && found->existing)
            entry.ownership = found->existing;
    }
    auto resolved = resolveWriteTarget(QFile::encodeName(entry.file->name), m_working.get());
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

// A name to take away: only a name of the working folder itself, whatever
// it is (a link is removed, never followed), except a folder.
std::optional<QString> SetWriter::checkRemoval(Entry &entry) const
{
    const QByteArray base = QFile::encodeName(entry.file->name);
    if (base.isEmpty() || base.contains('/') || base == "." || base == "..")
        return QStringLiteral("only a name in the working folder can be removed");
    entry.target.folder.reset(::fcntl(m_working.get(), F_DUPFD_CLOEXEC, 0));
    if (entry.target.folder.get() < 0)
        return plainReason(errno, ErrorContext::Folder);
    entry.target.folderPath = ".";
    entry.target.base = base;
    entry.target.folderDevice = m_workingId.device;
    entry.target.folderInode = m_workingId.inode;
    struct stat info = {};
    if (::fstatat(m_working.get(), base.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? std::nullopt : std::optional(plainReason(errno, ErrorContext::File));
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("it is a folder");
    if (::faccessat(m_working.get(), ".", W_OK | X_OK, AT_EACCESS) != 0)
        return plainReason(errno, ErrorContext::Folder);
    return std::nullopt;
}

std::optional<QString> SetWriter::prepare(Entry &entry)
{
    const QByteArrayList &pieces = entry.file->pieces;
    if (entry.inPlace) {
        const int folder = entry.target.folder.get();
        const QByteArray &base = entry.target.base;
        entry.fileFd.reset(::openat(folder, base.constData(), O_RDWR | O_NOFOLLOW | openFlags));
        if (entry.fileFd.get() < 0 && errno == EACCES)
            entry.fileFd.reset(::openat(folder, base.constData(), O_WRONLY | O_NOFOLLOW | openFlags));
        struct stat info = {};
        if (entry.fileFd.get() < 0 || ::fstat(entry.fileFd.get(), &info) != 0)
            return plainReason(errno, ErrorContext::File);
        if (!(FileId::of(info) == FileId::of(*entry.target.existing)) || !S_ISREG(info.st_mode))
            return QStringLiteral("it was replaced while it was being written");
        if ((::fcntl(entry.fileFd.get(), F_GETFL) & O_ACCMODE) == O_RDWR)
            entry.previous = readAll(entry.fileFd.get());
        if (!m_canJournal)
            return std::nullopt;
        entry.temporaryFd = createTemporary(m_working.get(), base, entry.temporary);
    } else {
        entry.temporaryFd = createTemporary(entry.target.folder.get(), entry.target.base, entry.temporary);
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
        if (!entry.inPlace && !synced.contains(fileIdText(entry.target.folderId()))) {
            syncFolder(entry.target.folder.get());
            synced.insert(fileIdText(entry.target.folderId()));
        }
    }
    QByteArray name;
    UniqueFd fd = createTemporary(m_working.get(), journalFile, name);
    if (fd.get() < 0)
        return plainReason(errno, ErrorContext::Folder);
    bool written = writeAll(fd.get(), {journalText(m_entries, m_workingId)}) && fdatasyncOk(fd.get());
    if (written) {
        written = ::renameat2(m_working.get(), name.constData(), m_working.get(), journalFile,
                              RENAME_NOREPLACE) == 0;
        // A file system without that kind of rename (NFS) still makes a
        // second name only where there is none.
        if (!written && errno == EINVAL) {
            written = ::linkat(m_working.get(), name.constData(), m_working.get(), journalFile, 0) == 0;
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
        return fail(QLatin1String(journalFile), recovery.message);
    m_recovered = recovery.message;
    m_canJournal = ::faccessat(m_working.get(), ".", W_OK | X_OK, AT_EACCESS) == 0;

    if (std::optional<FileSetOutcome> refused = checkAll(files))
        return *refused;
    QSet<QByteArray> cleaned = {fileIdText(m_workingId)};
    for (const Entry &entry : std::as_const(m_entries)) {
        if (!cleaned.contains(fileIdText(entry.target.folderId()))) {
            removeLeftovers(entry.target.folder.get());
            cleaned.insert(fileIdText(entry.target.folderId()));
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
            return fail(QLatin1String(journalFile), *failure);
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
                    ::unlinkat(m_working.get(), journalFile, 0);
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
        renamedIn.insert(fileIdText(entry.target.folderId()));
    }
    for (const Entry &entry : std::as_const(m_entries)) {
        if (!entry.file->remove)
            continue;
        if (::unlinkat(m_working.get(), entry.target.base.constData(), 0) == 0 || errno == ENOENT) {
            renamedIn.insert(fileIdText(entry.target.folderId()));
            continue;
        }
        const QString reason = plainReason(errno, ErrorContext::File);
        if (m_journalWritten)
            return leftToTheJournal(entry, reason, QStringLiteral("the other files are already new"));
        return fail(&entry, reason, m_entries.size() == 1);
    }
    for (const Entry &entry : std::as_const(m_entries)) {
        if (renamedIn.remove(fileIdText(entry.target.folderId())))
            syncFolder(entry.target.folder.get());
    }
    if (m_journalWritten) {
        ::unlinkat(m_working.get(), journalFile, 0);
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
        if (const std::optional<QString> refusal = check(entry))
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
    return QLatin1String(journalFile);
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
