// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/TemporaryFiles.h"

#include "files/DescriptorIo.h"

#include <QByteArrayList>
#include <QRandomGenerator>

#include <cctype>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char temporaryMark[] = ".kezcfg-";
constexpr int suffixLength = 6;

QByteArray randomSuffix()
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(suffixLength, '\0');
    for (char &c : suffix)
        c = alphabet[QRandomGenerator::global()->bounded(int(sizeof alphabet - 1))];
    return suffix;
}

} // namespace

namespace TemporaryFiles {

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

UniqueFd create(int folder, const QByteArray &base, QByteArray &name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = '.' + base + temporaryMark + randomSuffix();
        UniqueFd fd(
            ::openat(folder, name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | safeOpenFlags, 0600));
        if (fd.get() < 0 && errno == EEXIST)
            continue;
        if (fd.get() >= 0)
            ::flock(fd.get(), LOCK_EX | LOCK_NB);
        return fd;
    }
    errno = EEXIST;
    return UniqueFd(-1);
}

void removeLeftovers(int folder)
{
    UniqueFd listing(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (listing.get() < 0)
        return;
    DIR *dir = ::fdopendir(listing.get());
    if (!dir)
        return;
    // The listing now belongs to dir, which closes it.
    listing.release();
    QByteArrayList names;
    while (const dirent *entry = ::readdir(dir)) {
        if (isTemporaryName(QByteArrayView(entry->d_name)))
            names.append(QByteArray(entry->d_name));
    }
    ::closedir(dir);
    for (const QByteArray &name : std::as_const(names)) {
        const UniqueFd fd(::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | safeOpenFlags));
        struct stat info = {};
        if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folder, name.constData(), 0);
    }
}

} // namespace TemporaryFiles
