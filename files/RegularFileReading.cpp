// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/RegularFileReading.h"

#include "files/DescriptorIo.h"
#include "files/SystemErrors.h"
#include "files/WriteTarget.h"
#include "text/InputBounds.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Outcome = RegularFileRead::Outcome;

RegularFileRead failed(Outcome outcome, const QString &reason)
{
    return {outcome, {}, reason};
}

RegularFileRead failedWithErrno(int error)
{
    const QString reason = systemError(error);
    return failed(error == ENOENT ? Outcome::Missing : Outcome::NotOpened, reason);
}

// A name that is a link is followed as the writer follows links, so that a
// folder's owner cannot have a privileged reader take in a file of another
// user (and a later save write it out into theirs).
RegularFileOpening openThroughLink(const QByteArray &path)
{
    auto resolved = resolveWriteTarget(path, AT_FDCWD, TargetUse::Reading);
    if (const QString *refusal = std::get_if<QString>(&resolved))
        return {Outcome::NotOpened, -1, 0, *refusal};
    const WriteTarget &target = std::get<WriteTarget>(resolved);
    if (!target.existing)
        return {Outcome::Missing, -1, 0, systemError(ENOENT)};
    const struct stat &found = *target.existing;
    if (S_ISDIR(found.st_mode))
        return {Outcome::NotOpened, -1, 0, QStringLiteral("it is a folder")};
    if (!S_ISREG(found.st_mode))
        return {Outcome::NotRead, -1, 0, QStringLiteral("it is not a regular file")};
    UniqueFd fd(
        ::openat(target.folder.get(), target.base.constData(), O_RDONLY | O_NOFOLLOW | safeOpenFlags));
    if (fd.get() < 0) {
        const RegularFileRead failure = failedWithErrno(errno);
        return {failure.outcome, -1, 0, failure.reason};
    }
    struct stat info = {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || !(FileId::of(info) == FileId::of(found)))
        return {Outcome::NotRead, -1, 0, QStringLiteral("it is not a regular file")};
    return {Outcome::Read, fd.release(), qint64(info.st_size), {}};
}

} // namespace

RegularFileOpening openRegularFile(const QString &fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    const qsizetype slash = path.lastIndexOf('/');
    UniqueFd folder;
    if (slash >= 0) {
        // The folders on the way are walked one name at a time too: a link
        // among them is followed only under the link rule.
        FolderOpening opening = openFolderStepwise(AT_FDCWD, slash == 0 ? "/" : path.left(slash), false);
        if (!opening.refusal.isEmpty())
            return {Outcome::NotOpened, -1, 0, opening.refusal};
        if (opening.folder.get() < 0) {
            const RegularFileRead failure = failedWithErrno(opening.error);
            return {failure.outcome, -1, 0, failure.reason};
        }
        folder = std::move(opening.folder);
    }
    const int from = slash >= 0 ? folder.get() : AT_FDCWD;
    const QByteArray base = slash >= 0 ? path.sliced(slash + 1) : path;
    // What the name is, looked at on a handle that opens nothing: a FIFO
    // would block open(), a device may act on being opened, and a link is
    // followed only under the link rule. Every later step works on what
    // this handle holds, never on a second look-up of the name, so that a
    // name swapped meanwhile for a link changes nothing that is read.
    const UniqueFd handle(
        ::openat(from, base.isEmpty() ? "." : base.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat info = {};
    if (handle.get() < 0 || ::fstat(handle.get(), &info) != 0) {
        const RegularFileRead failure = failedWithErrno(errno);
        return {failure.outcome, -1, 0, failure.reason};
    }
    if (S_ISLNK(info.st_mode))
        return openThroughLink(path);
    if (S_ISDIR(info.st_mode))
        return {Outcome::NotOpened, -1, 0, QStringLiteral("it is a folder")};
    if (!S_ISREG(info.st_mode))
        return {Outcome::NotRead, -1, 0, QStringLiteral("it is not a regular file")};

    UniqueFd fd(::openat(from, base.constData(), O_RDONLY | O_NOFOLLOW | safeOpenFlags));
    if (fd.get() < 0 && errno == ELOOP)
        return {Outcome::NotRead, -1, 0, QStringLiteral("it was replaced by a link while it was opened")};
    if (fd.get() < 0) {
        const RegularFileRead failure = failedWithErrno(errno);
        return {failure.outcome, -1, 0, failure.reason};
    }
    // The name may have been replaced since it was looked at: only the file
    // that was judged is read.
    struct stat opened = {};
    if (::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        !(FileId::of(opened) == FileId::of(info)))
        return {Outcome::NotRead, -1, 0, QStringLiteral("it was replaced while it was opened")};
    return {Outcome::Read, fd.release(), qint64(opened.st_size), {}};
}

RegularFileOpening openListedRegularFile(int folder, const QByteArray &name, const QString &fileName)
{
    UniqueFd fd(::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | safeOpenFlags));
    if (fd.get() < 0 && errno == ELOOP)
        return openRegularFile(fileName);
    if (fd.get() < 0) {
        const RegularFileRead failure = failedWithErrno(errno);
        return {failure.outcome, -1, 0, failure.reason};
    }
    struct stat info = {};
    const bool looked = ::fstat(fd.get(), &info) == 0;
    if (!looked || !S_ISREG(info.st_mode)) {
        if (looked && S_ISDIR(info.st_mode))
            return {Outcome::NotOpened, -1, 0, QStringLiteral("it is a folder")};
        return {Outcome::NotRead, -1, 0, QStringLiteral("it is not a regular file")};
    }
    return {Outcome::Read, fd.release(), qint64(info.st_size), {}};
}

RegularFileRead checkRegularFile(const QString &fileName, qint64 sizeLimit)
{
    const RegularFileOpening opening = openRegularFile(fileName);
    if (opening.fd < 0)
        return failed(opening.outcome, opening.reason);
    const UniqueFd file(opening.fd);
    if (opening.size > sizeLimit)
        return failed(Outcome::NotRead,
                      QStringLiteral("it is larger than %1").arg(InputBounds::sizeText(sizeLimit)));
    return {Outcome::Read, {}, {}};
}

RegularFileRead readRegularFile(const QString &fileName, qint64 sizeLimit)
{
    const RegularFileOpening opening = openRegularFile(fileName);
    if (opening.fd < 0)
        return failed(opening.outcome, opening.reason);
    const UniqueFd file(opening.fd);
    std::optional<QByteArray> bytes = readAll(file.get(), sizeLimit);
    if (!bytes && errno == EFBIG)
        return failed(Outcome::NotRead,
                      QStringLiteral("it is larger than %1").arg(InputBounds::sizeText(sizeLimit)));
    if (!bytes)
        return failed(Outcome::NotRead, systemError(errno));
    return {Outcome::Read, std::move(*bytes), {}};
}
