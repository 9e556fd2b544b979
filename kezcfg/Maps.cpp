// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg maps: every map the game server can load from a folder, with the
// file it comes from.
#include "Commands.h"
#include "Output.h"

#include "gamedata/GameFolders.h"
#include "text/OutsideText.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

void printJson(const GameFolders &game)
{
    QJsonArray folders;
    for (qsizetype i = 0; i < game.folders().size(); ++i)
        folders.append(QJsonObject{{QStringLiteral("folder"), game.folders()[i]},
                                   {QStringLiteral("maps"), game.mapCounts()[i]}});
    QJsonArray maps;
    game.forEachMap([&maps](QStringView name, QStringView source) {
        maps.append(QJsonObject{{QStringLiteral("name"), name.toString()},
                                {QStringLiteral("source"), source.toString()}});
    });
    QJsonArray problems;
    for (const GameFolders::Problem &problem : game.problems())
        problems.append(QJsonObject{{QStringLiteral("file"), problem.file},
                                    {QStringLiteral("error"), problem.error},
                                    {QStringLiteral("message"), problem.sentence}});
    const QJsonObject document{{QStringLiteral("folders"), folders},
                               {QStringLiteral("gameData"), game.hasGameData()},
                               {QStringLiteral("maps"), maps},
                               {QStringLiteral("problems"), problems}};
    printOut(printableJson(QJsonDocument(document).toJson(QJsonDocument::Indented)));
}

bool isPlainAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u' ' && c < u'\x7f'; });
}

void printText(const GameFolders &game)
{
    // Each line is printed as the sorted listing reaches it, not after all,
    // gathered into writes of 64 KiB: a game folder may hold a million maps.
    constexpr qsizetype writeSize = 64 * 1024;
    const qsizetype width = game.longestMapName();
    QByteArray lines;
    lines.reserve(writeSize + 1024);
    const auto write = [&lines] {
        printOut(lines);
        lines.clear();
    };
    game.forEachMap([&](QStringView name, QStringView source) {
        // Names of plain ASCII, nearly all of them, need neither escapes nor
        // a conversion of their own.
        if (isPlainAscii(name) && isPlainAscii(source)) {
            const qsizetype gap = qMax<qsizetype>(width - name.size(), 0) + 2;
            const qsizetype at = lines.size();
            lines.resize(at + name.size() + gap + source.size() + 1);
            char *line = lines.data() + at;
            line = std::transform(name.begin(), name.end(), line, [](QChar c) { return char(c.unicode()); });
            line = std::fill_n(line, gap, ' ');
            line =
                std::transform(source.begin(), source.end(), line, [](QChar c) { return char(c.unicode()); });
            *line = '\n';
        } else {
            lines +=
                (printable(name).leftJustified(width) + QStringLiteral("  ") + printable(source)).toUtf8();
            lines += '\n';
        }
        if (lines.size() >= writeSize)
            write();
    });
    write();
}

void printProblems(const GameFolders &game)
{
    for (const GameFolders::Problem &problem : game.problems()) {
        const QByteArray line = QStringLiteral("kezcfg: %1: %2: %3\n")
                                    .arg(printable(problem.file),
                                         problem.error ? QStringLiteral("error") : QStringLiteral("warning"),
                                         printable(problem.sentence))
                                    .toUtf8();
        printErr(line);
    }
}

} // namespace

namespace Commands {

int maps(const MapsOptions &options)
{
    const bool json = options.json;
    const QString &folder = options.folder;
    if (const std::optional<int> refused = enterFolder(folder))
        return *refused;
    const GameFolders game = GameFolders::read(QStringLiteral("."));
    if (json)
        printJson(game);
    else
        printText(game);
    if (!json)
        printProblems(game);
    if (!game.hasGameData())
        return failure(QStringLiteral("no game data (a maps/ folder, .pak, .pk3 or .pkz) in %1 or ../baseq2")
                           .arg(QDir::currentPath()));
    const bool serverStops = std::any_of(game.problems().cbegin(), game.problems().cend(),
                                         [](const GameFolders::Problem &problem) { return problem.error; });
    return serverStops ? 2 : 0;
}

} // namespace Commands
