// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/WriteTarget.h"

#include "files/LinkRule.h"
#include "text/InputBounds.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A folder to write in, opened for reading where that is allowed (so that
// it can be synced) and as a bare path where only passing through is.
int openFolder(int from, const QByteArray &path)
{
    const int fd = ::openat(from, path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 || errno != EACCES)
        return fd;
    return ::openat(from, path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

QByteArray joined(const QByteArray &folder, const QByteArray &path)
{
    if (path.startsWith('/') || folder == ".")
        return path;
    return folder + '/' + path;
}

} // namespace

QString kindOfFile(mode_t mode)
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

std::variant<WriteTarget, QString> resolveWriteTarget(const QByteArray &name, int workingFolder,
                                                      TargetUse use)
{
    WriteTarget target;
    const qsizetype slash = name.lastIndexOf('/');
    target.folderPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : name.left(slash);
    target.base = name.sliced(slash + 1);
    target.folder.reset(openFolder(workingFolder, target.folderPath));
    QByteArray path = name; // for messages: where the links have led so far
    const uid_t me = ::geteuid();
    // After a link of another user: that user, who must own what is found at
    // the next step in the folder actually held, whatever was checked before.
    std::optional<LinkRule::Owed> owed;

    for (int hops = 0; hops < InputBounds::linksInARow; ++hops) {
        struct stat folderInfo = {};
        if (target.folder.get() < 0 || ::fstat(target.folder.get(), &folderInfo) != 0)
            return plainReason(errno, ErrorContext::Folder);
        target.folderId = FileId::of(folderInfo);
        if (target.base.isEmpty() || target.base == "." || target.base == "..")
            return QStringLiteral("%1 is a folder").arg(shownPath(path));

        struct stat info = {};
        if (::fstatat(target.folder.get(), target.base.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT && owed)
                return *LinkRule::settle(*owed, nullptr);
            if (errno == ENOENT)
                return target;
            return plainReason(errno, ErrorContext::File);
        }
        // Checked again here, on the folder that is held: a folder on the
        // link's way may have been swapped since the link was looked at.
        if (owed) {
            if (std::optional<QString> refusal = LinkRule::settle(*owed, &info))
                return *refusal;
        }
        if (!S_ISLNK(info.st_mode)) {
            if (!S_ISREG(info.st_mode) && use == TargetUse::Writing)
                return QStringLiteral("it leads to %1, and only regular files are written")
                    .arg(kindOfFile(info.st_mode));
            target.existing = info;
            return target;
        }

        bool owes = false;
        if (std::optional<QString> refusal =
                LinkRule::judge(folderInfo, info, path, me, LinkRule::Trust::OwnLinks, owes))
            return *refusal;
        QByteArray link(PATH_MAX + 1, '\0');
        const ssize_t length =
            ::readlinkat(target.folder.get(), target.base.constData(), link.data(), size_t(link.size()));
        if (length < 0)
            return plainReason(errno, ErrorContext::File);
        if (length > PATH_MAX)
            return plainReason(ENAMETOOLONG, ErrorContext::File);
        link.truncate(length);

        // Looked at first as the link stands, so that a link of another
        // user to nothing of theirs is refused before any folder is walked.
        owed.reset();
        if (owes) {
            owed = LinkRule::Owed{info.st_uid, path, link};
            struct stat destination = {};
            const bool exists = ::fstatat(target.folder.get(), link.constData(), &destination, 0) == 0;
            if (std::optional<QString> refusal = LinkRule::settle(*owed, exists ? &destination : nullptr))
                return *refusal;
        }
        const qsizetype linkSlash = link.lastIndexOf('/');
        if (linkSlash >= 0) {
            const QByteArray folder = linkSlash == 0 ? QByteArray("/") : link.left(linkSlash);
            // The link's folders are walked one name at a time from the
            // folder held, and a link among them goes under the same rule.
            FolderOpening next = openFolderStepwise(target.folder.get(), folder, false);
            if (!next.refusal.isEmpty())
                return next.refusal;
            errno = next.error;
            target.folder = std::move(next.folder);
            target.folderPath = joined(target.folderPath, folder);
            target.base = link.sliced(linkSlash + 1);
        } else {
            target.base = link;
        }
        path = link;
    }
    return plainReason(ELOOP, ErrorContext::File);
}

namespace {

// From a folder of another user than root and the opener, into something
// of a third user: the folder's owner could have moved it there.
bool unsafeStep(const struct stat &from, const struct stat &to)
{
    return from.st_uid != 0 && from.st_uid != ::geteuid() && to.st_uid != from.st_uid;
}

QByteArray joinedName(const QByteArray &folder, const QByteArray &name)
{
    if (folder == ".")
        return name;
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return path == "." ? QByteArray("..") : QByteArray(".");
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

} // namespace

FolderOpening openFolderFromRoot(const QByteArray &absolutePath)
{
    if (!absolutePath.startsWith('/')) {
        FolderOpening opening;
        opening.error = EINVAL;
        return opening;
    }
    return openFolderStepwise(AT_FDCWD, absolutePath, true);
}

FolderOpening openFolderStepwise(int start, const QByteArray &path, bool judgeSteps)
{
    FolderOpening opening;
    const auto failed = [&opening](int error) {
        opening.folder.reset();
        opening.error = error;
        return std::move(opening);
    };
    const auto refused = [&opening](const QString &why) {
        opening.folder.reset();
        opening.refusal = why;
        return std::move(opening);
    };
    const uid_t me = ::geteuid();
    const bool fromRoot = path.startsWith('/');
    UniqueFd current(fromRoot ? ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)
                              : ::openat(start, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat here = {};
    if (current.get() < 0 || ::fstat(current.get(), &here) != 0)
        return failed(errno);
    QByteArray reached = fromRoot ? "/" : "."; // for messages: the way taken so far
    QByteArrayList todo = path.split('/');
    // A link of another user owes a folder of that user once the names it
    // stood for are used up.
    struct Owed
    {
        LinkRule::Owed link;
        qsizetype leftAfter;
    };
    std::vector<Owed> owed;
    int links = 0;
    for (;;) {
        while (!owed.empty() && todo.size() <= owed.back().leftAfter) {
            if (std::optional<QString> refusal = LinkRule::settle(owed.back().link, &here))
                return refused(*refusal);
            owed.pop_back();
        }
        if (todo.isEmpty())
            break;
        const QByteArray name = todo.takeFirst();
        if (name.isEmpty() || name == ".")
            continue;
        UniqueFd next(::openat(current.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat info = {};
        if (next.get() < 0 || ::fstat(next.get(), &info) != 0)
            return failed(errno);
        const QByteArray step = name == ".." ? parentOf(reached) : joinedName(reached, name);
        if (S_ISLNK(info.st_mode)) {
            if (++links > InputBounds::linksInARow)
                return failed(ELOOP);
            QByteArray target(PATH_MAX + 1, '\0');
            // Read from the link that was opened, not from its name again.
            const ssize_t length = ::readlinkat(next.get(), "", target.data(), size_t(target.size()));
            if (length < 0)
                return failed(errno);
            if (length > PATH_MAX)
                return failed(ENAMETOOLONG);
            target.truncate(length);
            bool owes = false;
            if (std::optional<QString> refusal =
                    LinkRule::judge(here, info, step, me, LinkRule::Trust::OwnAndRootsLinks, owes))
                return refused(*refusal);
            if (owes)
                owed.push_back({{info.st_uid, step, target}, todo.size()});
            todo = target.split('/') + todo;
            if (target.startsWith('/')) {
                current.reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (current.get() < 0 || ::fstat(current.get(), &here) != 0)
                    return failed(errno);
                reached = "/";
            }
            continue;
        }
        if (!S_ISDIR(info.st_mode))
            return failed(ENOTDIR);
        // Going up, only the folder's owner could have moved it into a
        // folder of root's, which writes nothing of theirs.
        const bool upIntoRoots = name == ".." && info.st_uid == 0;
        if (judgeSteps && !upIntoRoots && unsafeStep(here, info))
            return refused(
                QStringLiteral("%1 belongs to %2 and is reached from %3, a folder of %4, who "
                               "could have put it there")
                    .arg(shownPath(step), userName(info.st_uid), shownPath(reached), userName(here.st_uid)));
        current = std::move(next);
        here = info;
        reached = step;
    }
    // Opened for reading where that is allowed, so that it can be listed,
    // locked and synced; a folder that may only be passed through stays a
    // bare handle.
    UniqueFd folder(::openat(current.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0 && errno != EACCES)
        return failed(errno);
    opening.folder = folder.get() >= 0 ? std::move(folder) : std::move(current);
    return opening;
}

QByteArray workingFolderPath()
{
    struct stat working = {};
    struct stat logical = {};
    const char *pwd = std::getenv("PWD");
    if (pwd && pwd[0] == '/' && ::stat(".", &working) == 0 && ::stat(pwd, &logical) == 0 &&
        FileId::of(working) == FileId::of(logical))
        return QByteArray(pwd);
    QByteArray path(PATH_MAX + 1, '\0');
    if (!::getcwd(path.data(), size_t(path.size())))
        return QByteArray();
    path.truncate(qsizetype(std::strlen(path.constData())));
    return path;
}
