// SPDX-License-Identifier: GPL-2.0-or-later
#include "gamedata/SearchOrder.h"

#include "gamedata/FolderListing.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// pak0.pak to pak99.pak, the archives a server reads by number.
bool isNumberedPak(QStringView name)
{
    if (!name.startsWith(u"pak") || !name.endsWith(u".pak"))
        return false;
    const QStringView number = name.sliced(3, name.size() - 7);
    const bool digits =
        std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit() && c.unicode() < 0x80; });
    return digits && (number.size() == 1 || (number.size() == 2 && number.front() != u'0'));
}

} // namespace

QList<std::pair<QString, QString>> SearchOrder::searchedFolders(const QString &folder)
{
    QList<std::pair<QString, QString>> folders = {{folder, QStringLiteral(".")}};
    if (QFileInfo(QFileInfo(folder).canonicalFilePath()).fileName() != u"baseq2")
        folders.append({folder + QStringLiteral("/../baseq2"), QStringLiteral("../baseq2")});
    return folders;
}

QString SearchOrder::joined(const QString &shownAs, const QString &name)
{
    return shownAs == u"." ? name : shownAs + u'/' + name;
}

UniqueFd SearchOrder::openFolder(const QString &path)
{
    return UniqueFd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// Read with readdir rather than QDir, which looks at every file by name and
// makes a QFileInfo of it: in a folder of a thousand paks that was a fifth of
// what reading their directories costs.
std::vector<SearchOrder::ArchiveEntry> SearchOrder::archivesIn(int folder)
{
    std::vector<ArchiveEntry> archives;
    // A descriptor of its own for the listing, which closedir takes; folder
    // stays open for the looks below.
    const FolderListing dir =
        listFolder(UniqueFd(folder < 0 ? -1 : ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!dir)
        return archives;
    while (const dirent *entry = ::readdir(dir.get())) {
        const QByteArray bytes(entry->d_name);
        if (!bytes.endsWith(".pak") && !bytes.endsWith(".pk3") && !bytes.endsWith(".pkz"))
            continue;
        if (entry->d_type == DT_DIR)
            continue;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info = {};
            if (::fstatat(folder, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode))
                continue;
        }
        archives.push_back({QFile::decodeName(bytes), bytes, entry->d_type == DT_REG});
    }
    std::sort(archives.begin(), archives.end(),
              [](const ArchiveEntry &a, const ArchiveEntry &b) { return a.name < b.name; });
    return archives;
}

void SearchOrder::putInSearchOrder(std::vector<ArchiveEntry> &archives)
{
    const auto others =
        std::stable_partition(archives.begin(), archives.end(),
                              [](const ArchiveEntry &entry) { return isNumberedPak(entry.name); });
    std::stable_sort(archives.begin(), others, [](const ArchiveEntry &a, const ArchiveEntry &b) {
        return a.name.size() < b.name.size();
    });
    for (auto entry = archives.begin(); entry != others; ++entry)
        entry->readByEveryEngine = entry->name.size() == 8;
}
