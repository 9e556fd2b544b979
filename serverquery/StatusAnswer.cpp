// SPDX-License-Identifier: GPL-2.0-or-later
#include "serverquery/StatusAnswer.h"

#include "text/InputBounds.h"
#include "text/OutsideText.h"

namespace {

const QByteArray header("\xff\xff\xff\xffprint\n");

std::optional<int> integer(QByteArrayView text)
{
    bool ok = false;
    const int value = QByteArray(text.data(), text.size()).toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<StatusAnswer::Player> parsePlayer(QByteArrayView line)
{
    const qsizetype firstSpace = line.indexOf(' ');
    const qsizetype secondSpace = firstSpace < 0 ? -1 : line.indexOf(' ', firstSpace + 1);
    if (secondSpace < 0)
        return std::nullopt;
    const std::optional<int> score = integer(line.first(firstSpace));
    const std::optional<int> ping = integer(line.sliced(firstSpace + 1, secondSpace - firstSpace - 1));
    const QByteArrayView name = line.sliced(secondSpace + 1);
    if (!score || !ping || name.size() < 2 || name.front() != '"' || name.back() != '"')
        return std::nullopt;
    return StatusAnswer::Player{*score, *ping, printable(name.sliced(1, name.size() - 2))};
}

} // namespace

std::optional<QString> StatusAnswer::value(QStringView key) const
{
    for (const auto &[name, value] : info) {
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QByteArray statusQuery()
{
    return QByteArray("\xff\xff\xff\xffstatus\n");
}

std::optional<StatusAnswer> parseStatusAnswer(const QByteArray &datagram)
{
    if (!datagram.startsWith(header))
        return std::nullopt;
    StatusAnswer answer;
    QByteArrayView rest = QByteArrayView(datagram).sliced(header.size());
    const qsizetype end = rest.indexOf('\n');
    if (end < 0)
        answer.problems.append(QStringLiteral("the info string has no end"));
    const QByteArrayView infoString = end < 0 ? rest : rest.first(end);
    rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);

    if (!infoString.startsWith('\\')) {
        answer.problems.append(QStringLiteral("the info string does not begin with a backslash"));
    } else {
        const QList<QByteArray> fields = QByteArray(infoString.data(), infoString.size()).mid(1).split('\\');
        if (fields.size() % 2 != 0)
            answer.problems.append(QStringLiteral("the info string has a key without a value (\"%1\")")
                                       .arg(printable(fields.last())));
        for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
            answer.info.append({printable(fields[i]), printable(fields[i + 1])});
    }

    int number = 0;
    while (!rest.isEmpty()) {
        const qsizetype lineEnd = rest.indexOf('\n');
        const QByteArrayView line = lineEnd < 0 ? rest : rest.first(lineEnd);
        rest = lineEnd < 0 ? QByteArrayView() : rest.sliced(lineEnd + 1);
        ++number;
        if (line.isEmpty())
            continue;
        if (const std::optional<StatusAnswer::Player> player = parsePlayer(line))
            answer.players.append(*player);
        else
            answer.problems.append(
                QStringLiteral("player line %1 does not parse: \"%2\"")
                    .arg(number)
                    .arg(printable(line.first(qMin(line.size(), InputBounds::quotedPlayerLine)))));
    }
    return answer;
}

std::optional<QStringList> parseConsoleAnswer(const QByteArray &datagram)
{
    if (!datagram.startsWith(header))
        return std::nullopt;
    QStringList lines;
    QByteArrayView rest = QByteArrayView(datagram).sliced(header.size());
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        lines.append(printable(end < 0 ? rest : rest.first(end)));
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
    }
    return lines;
}

std::optional<QString> consoleValue(QStringView line, QStringView variable)
{
    // The value may hold quotes of its own: only the ends are the console's.
    const QString head = u'"' + variable.toString() + QStringLiteral("\" is \"");
    if (!line.startsWith(head) || line.size() <= head.size() || !line.endsWith(u'"'))
        return std::nullopt;
    return line.sliced(head.size(), line.size() - head.size() - 1).toString();
}
