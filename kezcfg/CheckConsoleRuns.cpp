// SPDX-License-Identifier: GPL-2.0-or-later
// What the game's console would run beyond the lines themselves: stored
// texts through vstr, toggle and reset, and the files exec reads.
#include "Checker.h"
#include "Commands.h"

#include "configfiles/ConfigurationLines.h"
#include "files/RegularFileReading.h"

namespace {

bool isSetCommand(const QString &lowerCase)
{
    return lowerCase == u"set" || lowerCase == u"seta" || lowerCase == u"sets" || lowerCase == u"setu";
}

// Whether variable is one the form writes, as the console spells it.
bool isFormSetting(const QString &variable)
{
    return KeptLines::formSettingOf(QStringLiteral("set \"%1\" 0").arg(variable)).has_value();
}

} // namespace

// The form settings that text sets when the console runs it, each with how:
// through vstr of a variable the file stored, toggle or reset of the
// setting, or exec of a file of the game folders; with direct, also by set
// or "variable value" (the lines of server.cfg itself are judged for that
// by the line ownership). Stored variables are learnt as text runs.
QStringList Checker::settingsRun(QStringView text, int depth, bool direct)
{
    QStringList found;
    // Each setting once, with the first way it is reached.
    const auto add = [&found](const QString &setting, const QString &how) {
        for (const QString &known : std::as_const(found)) {
            if (known == setting || known.startsWith(setting + QStringLiteral(" (")))
                return;
        }
        found.append(how.isEmpty() ? setting : QStringLiteral("%1 (%2)").arg(setting, how));
    };
    for (const QStringList &words : KeptLines::commandWords(text)) {
        const QString first = words[0].toLower();
        if (isSetCommand(first) && words.size() >= 3) {
            if (direct && isFormSetting(words[1]))
                add(words[1], QString());
            m_variables.insert(words[1], words[2]);
        } else if (first == u"vstr" && words.size() >= 2 && depth < execDepth && m_vstrsLeft > 0) {
            --m_vstrsLeft;
            const QString stored = m_variables.value(words[1]);
            for (const QString &setting : settingsRun(stored, depth + 1, true))
                add(setting.section(u' ', 0, 0), QStringLiteral("vstr %1 runs \"%2\"").arg(words[1], stored));
        } else if ((first == u"toggle" || first == u"reset") && words.size() >= 2 &&
                   isFormSetting(words[1])) {
            add(words[1], first + u' ' + words[1]);
        } else if (first == u"exec" && words.size() >= 2 && depth < execDepth) {
            QStringList executed;
            followExec(words[1], depth + 1, executed);
            for (const QString &how : std::as_const(executed))
                add(how.section(u' ', 0, 0), how.section(u' ', 1));
        } else if (direct && words.size() >= 2 && isFormSetting(words[0])) {
            add(words[0], QString());
        }
    }
    return found;
}

// The game server looks for an exec'd file in the mod folder, then in
// baseq2. Only loose files are followed, and only names that stay inside
// those folders.
void Checker::followExec(const QString &name, int depth, QStringList &found)
{
    if (name.isEmpty() || name.startsWith(u'/') || name.contains(u"..") || name.contains(u'\\') ||
        m_execsLeft <= 0)
        return;
    for (const QString &path : {name, QStringLiteral("../baseq2/") + name}) {
        const RegularFileRead file = readRegularFile(path, serverCfgSizeLimit);
        if (file.outcome == RegularFileRead::Outcome::Missing)
            continue;
        if (file.outcome != RegularFileRead::Outcome::Read)
            return;
        --m_execsLeft;
        const QStringList lines = ConfigurationLines::splitLines(QString::fromUtf8(file.bytes));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            for (const QString &setting : settingsRun(lines[i], depth, true))
                found.append(QStringLiteral("%1 exec %2: %3 line %4")
                                 .arg(setting.section(u' ', 0, 0), name, path, QString::number(i + 1)));
        }
        return;
    }
}
