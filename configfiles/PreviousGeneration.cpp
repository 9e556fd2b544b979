// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/PreviousGeneration.h"

#include "configfiles/ConfigurationReader.h"
#include "files/RegularFileReading.h"

#include <QFile>

#include <cstring>
#include <sys/stat.h>

namespace PreviousGeneration {

namespace {

qint64 sizeLimitOf(const QString &name)
{
    if (name.startsWith(u"maplist.txt"))
        return mapListSizeLimit;
    return name.startsWith(u"motd.txt") ? motdSizeLimit : serverCfgSizeLimit;
}

bool sameBytes(const QByteArray &bytes, const QByteArrayList &pieces)
{
    qsizetype offset = 0;
    for (const QByteArray &piece : pieces) {
        if (bytes.size() - offset < piece.size() ||
            std::memcmp(bytes.constData() + offset, piece.constData(), size_t(piece.size())) != 0)
            return false;
        offset += piece.size();
    }
    return offset == bytes.size();
}

// Whether the name is there at all, a link or anything else.
bool present(const QString &name)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(name).constData(), &info) == 0;
}

} // namespace

QStringList setNames()
{
    return {QStringLiteral("server.cfg"), QStringLiteral("motd.txt"), QStringLiteral("maplist.txt")};
}

QString nameOf(const QString &file)
{
    return file + u'~';
}

const FoundFile *FoundSet::find(const QString &name) const
{
    for (const FoundFile &file : files) {
        if (file.name == name)
            return &file;
    }
    return nullptr;
}

FoundSet readSet(const QStringList &names)
{
    FoundSet set;
    for (const QString &name : names) {
        RegularFileRead read = readRegularFile(name, sizeLimitOf(name));
        if (read.outcome == RegularFileRead::Outcome::Read)
            set.files.append({name, std::move(read.bytes)});
        else if (read.outcome == RegularFileRead::Outcome::Missing)
            set.files.append({name, std::nullopt});
        else
            set.unreadable.append(QStringLiteral("%1: %2").arg(name, read.reason));
    }
    return set;
}

bool changes(const FoundSet &before, const QList<FileToWrite> &files)
{
    for (const FileToWrite &file : files) {
        const FoundFile *found = before.find(file.name);
        if (!found || !found->bytes || !sameBytes(*found->bytes, file.pieces))
            return true;
    }
    return false;
}

QList<FileToWrite> entriesKeeping(const FoundSet &before)
{
    QList<FileToWrite> entries;
    for (const FoundFile &file : before.files) {
        const QString kept = nameOf(file.name);
        if (!file.bytes) {
            if (present(kept))
                entries.append({kept, {}, {}, true});
            continue;
        }
        const RegularFileRead copy = readRegularFile(kept, sizeLimitOf(kept));
        if (copy.outcome == RegularFileRead::Outcome::Read && copy.bytes == *file.bytes)
            continue;
        entries.append({kept, {*file.bytes}, file.name});
    }
    return entries;
}

QStringList namesPresent()
{
    QStringList names;
    for (const QString &name : setNames()) {
        if (present(nameOf(name)))
            names.append(nameOf(name));
    }
    return names;
}

} // namespace PreviousGeneration
