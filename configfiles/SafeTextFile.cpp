// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/SafeTextFile.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/FileSystemWords.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <variant>

namespace {

// Tested a block of 32 characters at a time, which the compiler turns into a
// few vector instructions: a save reads a million-map rotation through here.
bool isAscii(QStringView text)
{
    const char16_t *chars = text.utf16();
    const qsizetype size = text.size();
    qsizetype i = 0;
    for (; i + 32 <= size; i += 32) {
        char16_t bits = 0;
        for (int k = 0; k < 32; ++k)
            bits |= chars[i + k];
        if (bits >= 0x80)
            return false;
    }
    for (; i < size; ++i) {
        if (chars[i] >= 0x80)
            return false;
    }
    return true;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("not a regular file");
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

struct Target
{
    QByteArray path;
    std::optional<struct stat> existing;
};

// Follows the links from path to the file a save would write, refusing what
// is not a regular file and links that the kernel would not follow for an
// open in a sticky folder that everyone may write.
std::variant<Target, QString> resolve(QByteArray path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info = {};
        if (::lstat(path.constData(), &info) != 0) {
            if (errno == ENOENT)
                return Target{path, std::nullopt};
            return systemError(errno);
        }
        if (!S_ISLNK(info.st_mode)) {
            if (!S_ISREG(info.st_mode))
                return QStringLiteral("it leads to %1, and only regular files are written")
                    .arg(kindOf(info.st_mode));
            return Target{path, info};
        }
        const QByteArray folder = folderOf(path);
        struct stat folderInfo = {};
        if (::stat(folder.constData(), &folderInfo) != 0)
            return systemError(errno);
        const bool sharedSticky = (folderInfo.st_mode & S_ISVTX) && (folderInfo.st_mode & S_IWOTH);
        if (sharedSticky && info.st_uid != ::geteuid() && info.st_uid != folderInfo.st_uid)
            return QStringLiteral("it is a link of another user in a shared sticky folder");
        QByteArray link(qsizetype(info.st_size > 0 ? info.st_size : PATH_MAX) + 1, '\0');
        const ssize_t length = ::readlink(path.constData(), link.data(), size_t(link.size()));
        if (length < 0)
            return systemError(errno);
        link.truncate(length);
        path = link.startsWith('/') ? link : folder + '/' + link;
    }
    return systemError(ELOOP);
}

bool writeAll(int fd, const QByteArrayList &pieces)
{
    off_t offset = 0;
    for (const QByteArray &bytes : pieces) {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), offset);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += n;
            offset += n;
        }
    }
    return true;
}

qsizetype sizeOf(const QByteArrayList &pieces)
{
    qsizetype size = 0;
    for (const QByteArray &bytes : pieces)
        size += bytes.size();
    return size;
}

std::optional<QByteArray> readAll(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        bytes.append(buffer, n);
        offset += n;
    }
}

} // namespace

SafeTextFile::SafeTextFile(const QString &fileName) : m_fileName(fileName) {}

SafeTextFile::~SafeTextFile()
{
    if (m_inPlace >= 0)
        ::close(m_inPlace);
}

bool SafeTextFile::fail(const QString &reason)
{
    m_error = fileErrorInPlainWords(m_target.isEmpty() ? QFile::encodeName(m_fileName) : m_target, reason);
    m_replacement.reset(); // an uncommitted replacement removes itself
    if (m_inPlace >= 0) {
        ::close(m_inPlace);
        m_inPlace = -1;
    }
    return false;
}

bool SafeTextFile::open()
{
    auto resolved = resolve(QFile::encodeName(m_fileName));
    if (const QString *refusal = std::get_if<QString>(&resolved))
        return fail(*refusal);
    const Target &target = std::get<Target>(resolved);
    m_target = target.path;
    if (!target.existing)
        return openReplacement(false, 0, 0, 0);
    const struct stat &old = *target.existing;
    // A second name would keep the old text; rewriting in place serves both.
    if (old.st_nlink == 1 && openReplacement(true, old.st_uid, old.st_gid, old.st_mode & 07777))
        return true;
    return openInPlace();
}

bool SafeTextFile::openReplacement(bool keepOwnership, uint ownerId, uint groupId, uint mode)
{
    m_replacement = std::make_unique<QSaveFile>(QFile::decodeName(m_target));
    if (!m_replacement->open(QIODevice::WriteOnly))
        return fail(m_replacement->errorString());
    if (!keepOwnership)
        return true;
    const int fd = m_replacement->handle();
    struct stat made = {};
    const bool owned = ::fstat(fd, &made) == 0 && ((made.st_uid == ownerId && made.st_gid == groupId) ||
                                                   ::fchown(fd, ownerId, groupId) == 0);
    // Setting the mode comes after the owner, which would clear set-id bits.
    if (!owned || ::fchmod(fd, mode) != 0)
        return fail(systemError(errno));
    return true;
}

bool SafeTextFile::openInPlace()
{
    const int flags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    m_inPlace = ::open(m_target.constData(), O_RDWR | flags);
    if (m_inPlace < 0 && errno == EACCES)
        m_inPlace = ::open(m_target.constData(), O_WRONLY | flags); // no way back then
    if (m_inPlace < 0)
        return fail(systemError(errno));
    struct stat info = {};
    if (::fstat(m_inPlace, &info) != 0)
        return fail(systemError(errno));
    if (!S_ISREG(info.st_mode))
        return fail(
            QStringLiteral("it leads to %1, and only regular files are written").arg(kindOf(info.st_mode)));
    if ((::fcntl(m_inPlace, F_GETFL) & O_ACCMODE) == O_RDWR)
        m_previous = readAll(m_inPlace);
    m_error.clear();
    return true;
}

void SafeTextFile::write(const QString &text)
{
    // Plain ASCII, what configuration files nearly always hold, is its own
    // UTF-8, and Qt converts to Latin-1 several times faster than to UTF-8:
    // for a million-map rotation that is a good part of a save.
    m_text.append(isAscii(text) ? text.toLatin1() : text.toUtf8());
}

void SafeTextFile::writeLines(const QStringList &lines)
{
    // One conversion for the whole text: a map rotation can have a million lines.
    if (lines.isEmpty())
        return;
    const QString separator = ConfigurationLines::lineSeparator();
    write(lines.join(separator) + separator);
}

void SafeTextFile::writeLines(const TextLines &lines)
{
    if (ConfigurationLines::lineSeparator() == u"\n")
        write(lines.text());
    else
        writeLines(lines.toStringList());
}

bool SafeTextFile::commit()
{
    if (m_replacement)
        return commitReplacement();
    if (m_inPlace >= 0)
        return commitInPlace();
    return fail(QStringLiteral("it was not opened"));
}

bool SafeTextFile::commitReplacement()
{
    // QSaveFile::commit() renames even after its buffered bytes failed to
    // reach the disk, so the bytes go past its buffer, each write checked,
    // and are synced before the rename. The data and what it takes to read
    // it back are synced; the file's times need not force a journal commit.
    const int fd = m_replacement->handle();
    if (!writeAll(fd, m_text) || ::fdatasync(fd) != 0)
        return fail(systemError(errno));
    if (!m_replacement->commit())
        return fail(m_replacement->errorString());
    m_replacement.reset();
    return true;
}

bool SafeTextFile::commitInPlace()
{
    // The new text goes over the old one before the file is cut to length,
    // so that a failure never leaves less than the old text's room to put it
    // back into.
    const bool written = writeAll(m_inPlace, m_text) && ::ftruncate(m_inPlace, off_t(sizeOf(m_text))) == 0 &&
                         ::fsync(m_inPlace) == 0;
    if (!written) {
        const QString reason = systemError(errno);
        const bool restored = m_previous && writeAll(m_inPlace, {*m_previous}) &&
                              ::ftruncate(m_inPlace, off_t(m_previous->size())) == 0 &&
                              ::fsync(m_inPlace) == 0;
        return fail(restored ? reason + QStringLiteral("; its old contents were put back")
                             : reason + QStringLiteral("; it may be incomplete"));
    }
    const int fd = std::exchange(m_inPlace, -1);
    if (::close(fd) != 0)
        return fail(systemError(errno));
    return true;
}
