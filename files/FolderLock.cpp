// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/FolderLock.h"

#include "files/DescriptorIo.h"
#include "text/InputBounds.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned long pollInterval = 20; // milliseconds

QString seconds(std::chrono::milliseconds wait)
{
    return QString::number(double(wait.count()) / 1000.0);
}

// The process that holds a lock on the folder, from the kernel's table of
// locks: "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF".
QString folderHolder(int folder)
{
    struct stat info = {};
    if (::fstat(folder, &info) != 0)
        return QString();
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return QString();
    // The table names the file as "MAJOR:MINOR:INODE", the device as the
    // file system knows it, which is not always the one stat() tells (a
    // btrfs subvolume has a device of its own): only the inodes are compared.
    const FileId folderId = FileId::of(info);
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QByteArrayList fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields[1] != "FLOCK")
            continue;
        const QByteArrayList file = fields[5].split(':');
        if (file.size() == 3 && file[2] == QByteArray::number(quint64(folderId.inode))) {
            const QByteArray pid = fields[4];
            QFile command(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
            const QString name = command.open(QIODevice::ReadOnly)
                                     ? QString::fromLocal8Bit(command.readAll().trimmed())
                                     : QString();
            return name.isEmpty() ? QStringLiteral("process %1").arg(QString::fromLatin1(pid))
                                  : QStringLiteral("process %1 (%2)").arg(QString::fromLatin1(pid), name);
        }
    }
    return QString();
}

// What a lock file says of its holder, as QLockFile writes it: process,
// program and host, a line each. regular is false when something else than
// a regular file has the name; a file that is gone says nothing.
struct LockFileInfo
{
    bool regular = true;
    qint64 pid = 0;
    QString host;
    QDateTime since;
};

LockFileInfo lockFileInfo(const QString &name)
{
    LockFileInfo info;
    const UniqueFd fd(
        ::openat(AT_FDCWD, QFile::encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | safeOpenFlags));
    if (fd.get() < 0) {
        info.regular = errno == ENOENT;
        return info;
    }
    struct stat status = {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        info.regular = false;
        return info;
    }
    char buffer[InputBounds::lockFileRead];
    ssize_t length = 0;
    do
        length = ::read(fd.get(), buffer, sizeof buffer);
    while (length < 0 && errno == EINTR);
    const QByteArrayList lines = QByteArray(buffer, length > 0 ? length : 0).split('\n');
    info.pid = lines.value(0).toLongLong();
    info.host = QString::fromUtf8(lines.value(2)).left(InputBounds::lockFileHost);
    info.since = QDateTime::fromMSecsSinceEpoch(qint64(status.st_mtim.tv_sec) * 1000 +
                                                status.st_mtim.tv_nsec / 1000000);
    return info;
}

} // namespace

FolderLock::~FolderLock() = default;

std::optional<QString> FolderLock::lock(std::chrono::milliseconds wait,
                                        const std::function<void(const QString &)> &say)
{
    if (m_method == Method::LockFile)
        return lockFile(wait, say);
    m_folder.reset(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (m_folder.get() < 0)
        return lockFile(wait, say);
    const QDeadlineTimer deadline(wait);
    bool told = false;
    for (;;) {
        if (::flock(m_folder.get(), LOCK_EX | LOCK_NB) == 0)
            return std::nullopt;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK) {
            // This file system cannot lock a folder.
            m_folder.reset();
            return lockFile(wait, say);
        }
        const QString holder = folderHolder(m_folder.get());
        const QString who = holder.isEmpty() ? QStringLiteral("another apply") : holder;
        if (deadline.hasExpired())
            return QStringLiteral("%1 still holds the folder %2 after %3 s; nothing was written")
                .arg(who, QDir::currentPath(), seconds(wait));
        if (!told) {
            say(QStringLiteral("waiting for %1, which holds the folder %2 (at most %3 s)")
                    .arg(who, QDir::currentPath(), seconds(wait)));
            told = true;
        }
        QThread::msleep(pollInterval);
    }
}

std::optional<QString> FolderLock::lockFile(std::chrono::milliseconds wait,
                                            const std::function<void(const QString &)> &say)
{
    const QString name = QStringLiteral(".kezcfg-apply.lock");
    // QLockFile opens the name as it finds it: a FIFO or a link put there by
    // the folder's owner would hang the apply or open a device.
    if (!lockFileInfo(name).regular)
        return QStringLiteral("the lock file %1 in %2 is not a regular file; nothing was written")
            .arg(name, QDir::currentPath());
    m_file.emplace(name);
    // A lock file of this host whose process is gone is taken over at once;
    // QLockFile asks the system whether that process still runs.
    m_file->setStaleLockTime(0);
    const QDeadlineTimer deadline(wait);
    bool told = false;
    for (;;) {
        if (m_file->tryLock(0))
            return std::nullopt;
        if (m_file->error() != QLockFile::LockFailedError)
            return QStringLiteral("cannot make the lock file %1 in %2").arg(name, QDir::currentPath());
        // Read here rather than by QLockFile, which follows a link that
        // may have taken the file's place since and would print what it
        // leads to.
        const LockFileInfo info = lockFileInfo(name);
        if (!info.regular)
            return QStringLiteral("the lock file %1 in %2 is not a regular file; nothing was written")
                .arg(name, QDir::currentPath());
        const QString &host = info.host;
        const QString holder = QStringLiteral("process %1 of host %2")
                                   .arg(info.pid)
                                   .arg(host.isEmpty() ? QStringLiteral("?") : host);
        const QDateTime &since = info.since;
        const bool foreign = !host.isEmpty() && host != QSysInfo::machineHostName();
        if (foreign && since.isValid() &&
            since.secsTo(QDateTime::currentDateTime()) > std::chrono::seconds(staleAge).count())
            return QStringLiteral(
                       "the lock file %1 in %2 is stale: %3 left it %4 minutes ago; remove it once no "
                       "apply runs there; nothing was written")
                .arg(name, QDir::currentPath(), holder,
                     QString::number(since.secsTo(QDateTime::currentDateTime()) / 60));
        if (deadline.hasExpired())
            return QStringLiteral("%1 still holds the lock file %2 in %3 after %4 s; nothing was written")
                .arg(holder, name, QDir::currentPath(), seconds(wait));
        if (!told) {
            say(QStringLiteral("waiting for %1, which holds the lock file %2 in %3 (at most %4 s)")
                    .arg(holder, name, QDir::currentPath(), seconds(wait)));
            told = true;
        }
        QThread::msleep(pollInterval);
    }
}
