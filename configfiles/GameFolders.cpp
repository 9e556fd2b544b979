// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/GameFolders.h"

#include "configfiles/ArchiveDirectories.h"
#include "configfiles/RegularFileReading.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The game compares names in archives letter for letter in ASCII only.
void foldAscii(QStringView from, QString &to)
{
    to.resize(from.size());
    QChar *out = to.data();
    for (const QChar c : from)
        *out++ = (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
}

QString lowerAscii(const QString &text)
{
    // Most names are in lower case already, and then share their text.
    const bool lower =
        std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    if (lower)
        return text;
    QString folded;
    foldAscii(text, folded);
    return folded;
}

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

QString joined(const QString &shownAs, const QString &name)
{
    return shownAs == u"." ? name : shownAs + u'/' + name;
}

// The folders the game server searches, each with the name it is shown by.
QList<std::pair<QString, QString>> searchedFolders(const QString &folder)
{
    QList<std::pair<QString, QString>> folders = {{folder, QStringLiteral(".")}};
    if (QFileInfo(QFileInfo(folder).canonicalFilePath()).fileName() != u"baseq2")
        folders.append({folder + QStringLiteral("/../baseq2"), QStringLiteral("../baseq2")});
    return folders;
}

constexpr QDir::Filters fileFilter = QDir::Files | QDir::System | QDir::Hidden;

bool isArchive(const QString &name)
{
    return name.endsWith(u".pak") || name.endsWith(u".pk3") || name.endsWith(u".pkz");
}

// The folder's archives by name. Matched here rather than with QDir's name
// filters, which compile regular expressions: that alone costs every start
// of the window, in a folder without game data, a few hundred KiB.
QStringList archivesIn(const QDir &dir)
{
    QStringList archives = dir.entryList(fileFilter, QDir::Name);
    archives.removeIf([](const QString &name) { return !isArchive(name); });
    return archives;
}

} // namespace

GameFolders GameFolders::read(const QString &folder)
{
    GameFolders folders;
    for (const auto &[path, shownAs] : searchedFolders(folder))
        folders.readFolder(path, shownAs);
    return folders;
}

QByteArray GameFolders::stamp(const QString &folder)
{
    QByteArray stamp = QFile::encodeName(QFileInfo(folder).absoluteFilePath()) + '\n';
    // stat() rather than QFileInfo's times, which are local times and would
    // load the time-zone database into every start of the window.
    const auto note = [&stamp](const QString &file) {
        const QByteArray path = QFile::encodeName(file);
        struct stat status = {};
        ::stat(path.constData(), &status);
        stamp += path + ' ' + QByteArray::number(qint64(status.st_size)) + ' ' +
                 QByteArray::number(qint64(status.st_mtim.tv_sec)) + '.' +
                 QByteArray::number(qint64(status.st_mtim.tv_nsec)) + '\n';
    };
    for (const auto &[path, shownAs] : searchedFolders(folder)) {
        const QDir dir(path);
        for (const QString &archive : archivesIn(dir))
            note(dir.filePath(archive));
        // A loose map that comes or goes changes its folder's time.
        const QFileInfo maps(dir.filePath(QStringLiteral("maps")));
        if (!maps.isDir())
            continue;
        note(maps.filePath());
        QDirIterator folders(maps.filePath(), QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                             QDirIterator::Subdirectories);
        while (folders.hasNext())
            note(folders.next());
    }
    return stamp;
}

void GameFolders::readFolder(const QString &folder, const QString &shownAs)
{
    m_folders.append(shownAs);
    const QDir dir(folder);
    qsizetype count = 0;
    if (dir.exists(QStringLiteral("maps"))) {
        m_hasGameData = true;
        count += readLooseMaps(folder, shownAs);
    }

    // pak0.pak to pak99.pak in number order, then every other archive by name.
    QStringList numbered;
    QStringList others;
    const QStringList archives = archivesIn(dir);
    for (const QString &name : archives)
        (isNumberedPak(name) ? numbered : others).append(name);
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const QString &a, const QString &b) { return a.size() < b.size(); });
    m_hasGameData = m_hasGameData || !archives.isEmpty();
    for (const QString &name : std::as_const(numbered))
        count += readArchive(dir.filePath(name), joined(shownAs, name), name.size() == 8);
    for (const QString &name : std::as_const(others))
        count += readArchive(dir.filePath(name), joined(shownAs, name), false);
    m_mapCounts.append(count);
}

qsizetype GameFolders::readLooseMaps(const QString &folder, const QString &shownAs)
{
    const QString maps = folder + QStringLiteral("/maps/");
    qsizetype count = 0;
    // Links to folders are not followed, so a loop of links cannot hold the reader.
    QDirIterator files(maps, fileFilter, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        if (!path.endsWith(u".bsp"))
            continue;
        const QString name = path.mid(maps.size()).chopped(4);
        if (name.isEmpty())
            continue;
        ++count;
        if (!m_loose.contains(name))
            m_loose.insert(name, joined(shownAs, QStringLiteral("maps/") + name + QStringLiteral(".bsp")));
    }
    return count;
}

qsizetype GameFolders::readArchive(const QString &path, const QString &shownAs, bool numbered)
{
    const RegularFileOpening file = openRegularFile(path);
    if (file.fd < 0) {
        problem(shownAs, false, QStringLiteral("cannot be read: %1").arg(file.reason));
        return 0;
    }
    const bool pack = path.endsWith(QStringLiteral(".pak"));
    ArchiveListing listing;
    if (pack) {
        listing = listPackMaps(file.fd, file.size);
        ::close(file.fd);
    } else {
        listing = listZipMaps(file.fd);
    }

    if (!listing.recognised) {
        if (!pack)
            problem(shownAs, false, QStringLiteral("is not a zip archive; no engine can load its maps"));
        else if (numbered)
            problem(
                shownAs, true,
                QStringLiteral(
                    "is not a pack file (it does not begin with PACK): the game server stops at start-up"));
        else
            problem(shownAs, false,
                    QStringLiteral("is not a pack file (it does not begin with PACK): engines that read "
                                   "every .pak stop at start-up"));
    }
    for (const QString &phrase : std::as_const(listing.problems))
        problem(shownAs, false, phrase + QStringLiteral("; its other maps were read"));

    for (const QString &name : std::as_const(listing.maps)) {
        Archived &entry = m_archived[lowerAscii(name)];
        if (entry.source.isEmpty()) {
            entry.name = name;
            entry.source = shownAs;
        }
        entry.everyEngine = entry.everyEngine || numbered;
    }
    return listing.maps.size();
}

QList<GameFolders::Map> GameFolders::maps() const
{
    // A loose file is found by its exact name, so "Dm" and "dm" are two maps;
    // an archived map is one whatever its letter case. Sorted by the name in
    // lower case, which is the archived maps' key already.
    struct Sorted
    {
        QString key;
        Map map;
    };
    std::vector<Sorted> sorted;
    sorted.reserve(size_t(m_loose.size() + m_archived.size()));
    QSet<QString> looseInLowerCase;
    for (auto it = m_loose.cbegin(); it != m_loose.cend(); ++it) {
        sorted.push_back({lowerAscii(it.key()), {it.key(), it.value()}});
        looseInLowerCase.insert(sorted.back().key);
    }
    for (auto it = m_archived.cbegin(); it != m_archived.cend(); ++it) {
        if (!looseInLowerCase.contains(it.key()))
            sorted.push_back({it.key(), {it->name, it->source}});
    }
    // Compared as plain code units, inline: a hundred thousand names make
    // two million comparisons.
    const auto units = [](const QString &text) {
        return std::u16string_view(reinterpret_cast<const char16_t *>(text.constData()), size_t(text.size()));
    };
    std::sort(sorted.begin(), sorted.end(), [&units](const Sorted &a, const Sorted &b) {
        const int order = units(a.key).compare(units(b.key));
        return order != 0 ? order < 0 : units(a.map.name) < units(b.map.name);
    });
    QList<Map> maps;
    maps.reserve(qsizetype(sorted.size()));
    for (Sorted &entry : sorted)
        maps.append(std::move(entry.map));
    return maps;
}

std::optional<GameFolders::Verdict> GameFolders::verdict(QStringView map) const
{
    if (!m_hasGameData)
        return std::nullopt;
    const QStringView name = map.endsWith(u".bsp") ? map.chopped(4) : map;
    m_exactKey.resize(name.size());
    std::copy(name.begin(), name.end(), m_exactKey.begin());
    foldAscii(name, m_lowerKey);

    const auto archived = m_archived.constFind(m_lowerKey);
    if (m_loose.contains(m_exactKey) || (archived != m_archived.cend() && archived->everyEngine))
        return Verdict{Verdict::Level::EveryEngine, {}};
    const QString file = QStringLiteral("maps/%1.bsp").arg(name);
    if (archived != m_archived.cend())
        return Verdict{
            Verdict::Level::SomeEngines,
            QStringLiteral("%1 is only in %2, which engines that read pak0.pak to pak9.pak alone do not read")
                .arg(file, archived->source)};
    if (const auto lower = m_loose.constFind(m_lowerKey); lower != m_loose.cend())
        return Verdict{
            Verdict::Level::SomeEngines,
            QStringLiteral(
                "%1 is only there as %2, which only engines that also try a name in lower case find")
                .arg(file, lower.value())};
    return Verdict{Verdict::Level::NoEngine, QStringLiteral("the game server cannot find %1").arg(file)};
}
