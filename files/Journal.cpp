// SPDX-License-Identifier: GPL-2.0-or-later
#include "files/Journal.h"

#include "files/TemporaryFiles.h"

#include <QByteArrayList>
#include <QFile>

namespace {

constexpr char header[] = "kezcfg-journal 1";

} // namespace

namespace Journal {

QByteArray text(const QList<JournalEntry> &entries, const FileId &workingFolder)
{
    QByteArray text = QByteArray(header) + ' ' + fileIdText(workingFolder) + '\n';
    for (const JournalEntry &entry : entries) {
        if (entry.remove) {
            text += "remove " + entry.folder.toPercentEncoding() + ' ' + entry.base.toPercentEncoding() +
                    " - " + entry.id + '\n';
            continue;
        }
        text += (entry.inPlace ? "inplace " : "replace ") + entry.folder.toPercentEncoding() + ' ' +
                entry.base.toPercentEncoding() + ' ' + entry.temporary.toPercentEncoding() + ' ' + entry.id +
                '\n';
    }
    return text + "end\n";
}

std::optional<QList<JournalEntry>> parse(const QByteArray &text, const FileId &workingFolder)
{
    const QByteArrayList lines = text.split('\n');
    if (lines.size() < 3 || lines.first() != QByteArray(header) + ' ' + fileIdText(workingFolder) ||
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
        if (!entry.remove && (entry.base.contains('/') || !TemporaryFiles::isTemporaryName(entry.temporary) ||
                              entry.temporary.contains('/')))
            return std::nullopt;
        entries.append(entry);
    }
    return entries;
}

QString nameOf(const JournalEntry &entry)
{
    return QFile::decodeName(entry.folder == "." ? entry.base : entry.folder + '/' + entry.base);
}

} // namespace Journal
