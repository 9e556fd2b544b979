// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/KeptLines.h"

#include "configfiles/ConfigurationLines.h"

#include <QHash>
#include <QSet>

namespace KeptLines {

namespace {

// The console ends a command at a line break or at a ';' outside quotes; a
// "//" does not hide a ';' from it, only the words after it from the command.
QList<QStringView> commandsOf(QStringView line)
{
    QList<QStringView> commands;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u'"')
            quoted = !quoted;
        else if (line[i] == u';' && !quoted) {
            commands.append(line.sliced(start, i - start));
            start = i + 1;
        }
    }
    commands.append(line.sliced(start));
    return commands;
}

// The first words of a command as the console parses them: white space
// separates, a quote holds a word together, and "//" ends the command. The
// console compares signed bytes with the space, so every byte of a
// character beyond ASCII (a pasted no-break space) separates words too.
bool separates(QChar c)
{
    return c <= u' ' || c.unicode() >= 0x80;
}

QStringList wordsOf(QStringView command, int count)
{
    QStringList words;
    qsizetype i = 0;
    while (words.size() < count) {
        while (i < command.size() && separates(command[i]))
            ++i;
        if (i >= command.size() || command.sliced(i).startsWith(u"//"))
            break;
        QString word;
        if (command[i] == u'"') {
            for (++i; i < command.size() && command[i] != u'"'; ++i)
                word += command[i];
            ++i;
        } else {
            for (; i < command.size() && !separates(command[i]); ++i)
                word += command[i];
        }
        words.append(word);
    }
    return words;
}

bool isSetCommand(const QString &word)
{
    static const QSet<QString> spellings = {QStringLiteral("set"), QStringLiteral("seta"),
                                            QStringLiteral("sets"), QStringLiteral("setu")};
    return spellings.contains(word);
}

const QSet<QString> &formSettings();

// The console takes the names of its commands and aliases in any letter
// case, but tells variables apart by it: "set FRAGLIMIT 9" makes a variable
// of its own and leaves fraglimit as it was.
bool isStartingCommand(const QString &lowerCase)
{
    return lowerCase == u"map" || lowerCase == u"gamemap" || lowerCase == u"setmaster";
}

// What each command of a line sets: the variable of a set command or of a
// bare "variable value", as written, otherwise the command itself, in lower
// case. With aliases, an alias defined to set a form setting sets it where
// it runs, and definitions are learnt.
QStringList settingsOf(QStringView line, QHash<QString, QString> *aliases = nullptr)
{
    QStringList settings;
    for (QStringView command : commandsOf(line)) {
        const QStringList words = wordsOf(command, 64);
        if (words.isEmpty())
            continue;
        const QString first = words[0].toLower();
        if (aliases && first == u"alias" && words.size() >= 3) {
            const QString body = words.mid(2).join(u' ');
            for (const QString &name : settingsOf(body, aliases)) {
                if (formSettings().contains(name)) {
                    aliases->insert(words[1].toLower(), name);
                    break;
                }
            }
            continue;
        }
        if (aliases && aliases->contains(first))
            settings.append(aliases->value(first));
        else if (isSetCommand(first) && words.size() >= 2)
            settings.append(words[1]);
        else if (isStartingCommand(first))
            settings.append(first);
        else if (words.size() >= 2)
            settings.append(words[0]); // "fraglimit 5" sets fraglimit; "fraglimit" alone prints it
    }
    return settings;
}

// Everything the writer's own lines set, taken from a form that fills every
// optional line, so that the two can never disagree; "gamemap" starts a
// level just as the writer's "map" line does.
const QSet<QString> &formSettings()
{
    static const QSet<QString> settings = [] {
        ServerSettings full;
        full.text(TextControl::RconPassword) = QStringLiteral("x");
        full.text(TextControl::StartingMap) = QStringLiteral("x");
        QSet<QString> names = {QStringLiteral("gamemap")};
        for (const QString &line : ConfigurationLines::serverCfgLines(full)) {
            for (const QString &name : settingsOf(line))
                names.insert(name);
        }
        return names;
    }();
    return settings;
}

bool isBlank(QStringView line)
{
    for (QChar c : line) {
        if (c > u' ')
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> LineOwnership::formSettingOf(QStringView line)
{
    for (const QString &name : settingsOf(line, &m_aliases)) {
        if (formSettings().contains(name))
            return name;
    }
    return std::nullopt;
}

std::optional<QString> formSettingOf(QStringView line)
{
    return LineOwnership().formSettingOf(line);
}

QList<QStringList> commandWords(QStringView line)
{
    QList<QStringList> commands;
    for (QStringView command : commandsOf(line)) {
        QStringList words = wordsOf(command, 64);
        if (!words.isEmpty())
            commands.append(std::move(words));
    }
    return commands;
}

std::optional<QString> lastValueSet(const QStringList &lines, QStringView variable)
{
    std::optional<QString> value;
    for (const QString &line : lines) {
        for (QStringView command : commandsOf(line)) {
            const QStringList words = wordsOf(command, 3);
            if (words.size() >= 3 && isSetCommand(words[0].toLower()) && words[1] == variable)
                value = words[2];
            else if (words.size() >= 2 && words[0] == variable)
                value = words[1];
        }
    }
    return value;
}

QStringList keptLines(const QStringList &serverCfgLines)
{
    const QStringList header = ConfigurationLines::serverCfgHeader();
    LineOwnership ownership;
    QStringList kept;
    for (const QString &line : serverCfgLines) {
        const bool formsOwn = ownership.formSettingOf(line).has_value(); // learns aliases on every line
        if (isBlank(line) || header.contains(line) || ConfigurationLines::matchKey(line) || formsOwn)
            continue;
        kept.append(line);
    }
    return kept;
}

} // namespace KeptLines
