// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg check: what File / Open and the game's console would make of a
// configuration, line by line, without changing anything.
#include "CheckFindings.h"
#include "Commands.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ConsoleRules.h"
#include "configfiles/FieldTable.h"
#include "configfiles/KeptLines.h"
#include "configfiles/ServerForm.h"
#include "files/FileSetWriter.h"
#include "files/RegularFileReading.h"
#include "gamedata/GameFolders.h"
#include "text/DecimalText.h"
#include "text/OutsideText.h"

#include <QDir>
#include <QHash>
#include <algorithm>
#include <cstdio>

using namespace ConfigurationLines;

namespace {

// The game console's command line holds this many characters.
constexpr qsizetype consoleLineLength = 1024;

// How a sentence names the field a text control holds.
QString nameOf(TextControl control)
{
    return QLatin1String(FieldTable::textField(control).noun);
}

// exec runs a file that may exec another: followed this deep, this many
// files in all, each read as server.cfg is, within its size bound.
constexpr int execDepth = 4;
constexpr int execFilesFollowed = 16;
// A stored text may vstr itself many times over: expansions are counted for
// the whole check, so that no file can make it run for hours.
constexpr int vstrsFollowed = 64;

bool isSetCommand(const QString &lowerCase)
{
    return lowerCase == u"set" || lowerCase == u"seta" || lowerCase == u"sets" || lowerCase == u"setu";
}

// Whether variable is one the form writes, as the console spells it.
bool isFormSetting(const QString &variable)
{
    return KeptLines::formSettingOf(QStringLiteral("set \"%1\" 0").arg(variable)).has_value();
}

// The lines that the writer writes the same for every form, which File /
// Open has no need to read back.
const QStringList &writersOwnLines()
{
    static const QStringList lines = serverCfgLines(ServerSettings());
    return lines;
}

class Checker
{
public:
    int run();

private:
    void warn(const QString &file, int line, const QString &sentence)
    {
        m_findings.append({file, line, Finding::Level::Warning, sentence});
    }
    void fail(const QString &file, int line, const QString &sentence)
    {
        m_findings.append({file, line, Finding::Level::Error, sentence});
    }
    void note(const QString &file, int line, const QString &sentence)
    {
        m_findings.append({file, line, Finding::Level::Note, sentence});
    }
    void checkLine(int number, const QString &line);
    QStringList settingsRun(QStringView text, int depth, bool direct);
    void followExec(const QString &name, int depth, QStringList &found);
    void checkMask(int number, std::size_t family, qint32 mask);
    void checkForm(const ServerForm &form, const ConfigurationReadResult &result, int lineCount);
    void checkMaps(const ServerSettings &values);
    int report();

    QList<Finding> m_findings;
    KeptLines::LineOwnership m_ownership; // sees the lines in order, for aliases
    QHash<QString, int> m_firstLineOfKey;
    QHash<QString, int> m_lastLineOfKey;
    int m_lastPrivateLine = 0; // the last "set public 0"
    int m_lastPublicLine = 0;  // the last "set public 1"
    int m_lastSetmasterLine = 0;
    QHash<QString, QString> m_variables; // what set lines stored, for vstr: by name as written
    int m_execsLeft = execFilesFollowed;
    int m_vstrsLeft = vstrsFollowed;
};

void Checker::checkMask(int number, std::size_t family, qint32 mask)
{
    const FlagTable &table = *FlagTables::families[family];
    const FlagCatalogue catalogue = buildCatalogue(table);
    const quint32 unknown = quint32(mask) & ~carriedBits(catalogue);
    if (unknown) {
        QStringList bits;
        for (int bit = 0; bit < 32; ++bit) {
            if (unknown & (quint32(1) << bit))
                bits.append(QString::number(bit));
        }
        warn(QStringLiteral("server.cfg"), number,
             QStringLiteral("the mask %1 has bits that no %2 flag carries (bit %3); File / Open drops them")
                 .arg(mask)
                 .arg(QString::fromUtf16(table.caption), bits.join(QStringLiteral(", "))));
    }
    const qint32 seen = maskAsTheGameSeesIt(mask);
    if (seen != mask) {
        const QStringList names = flagNamesIn(catalogue, seen);
        warn(QStringLiteral("server.cfg"), number,
             QStringLiteral("the server holds settings as 32-bit floats, so the game reads the mask %1 as %2 "
                            "and sees these flags instead: %3")
                 .arg(mask)
                 .arg(seen)
                 .arg(names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "))));
    }
}

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
        const QStringList lines = splitLines(QString::fromUtf8(file.bytes));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            for (const QString &setting : settingsRun(lines[i], depth, true))
                found.append(QStringLiteral("%1 exec %2: %3 line %4")
                                 .arg(setting.section(u' ', 0, 0), name, path)
                                 .arg(i + 1));
        }
        return;
    }
}

void Checker::checkLine(int number, const QString &line)
{
    const QString file = QStringLiteral("server.cfg");
    // What the console runs through other commands; server.cfg's own set
    // lines are seen below.
    const QStringList run = settingsRun(line, 0, false);
    if (!run.isEmpty())
        warn(file, number,
             QStringLiteral(
                 "when the console runs this line, it sets %1, which File / Open and show do not see")
                 .arg(run.join(QStringLiteral(", "))));
    if (line.size() > consoleLineLength)
        warn(file, number,
             QStringLiteral("the line is %1 characters long; the game's console cuts it at %2")
                 .arg(line.size())
                 .arg(consoleLineLength));
    if (line.startsWith(QStringLiteral("setmaster"), Qt::CaseInsensitive))
        m_lastSetmasterLine = number;

    const ServerKey *key = matchKey(line);
    if (!key) {
        const std::optional<QString> setting = m_ownership.formSettingOf(line);
        if (const ServerKey *near = matchKeyIgnoringCase(line); near && setting)
            warn(file, number,
                 QStringLiteral("\"%1\" is written in another letter case: File / Open skips the line, the "
                                "game's console does not; Save and apply replace it")
                     .arg(near->key));
        else if (near)
            warn(file, number,
                 QStringLiteral("\"%1\" is written in another letter case: the game's console takes it for a "
                                "variable of its own and File / Open skips the line; Save and apply keep it")
                     .arg(near->key));
        else if (setting && !writersOwnLines().contains(line))
            warn(file, number,
                 QStringLiteral("Save and apply replace this line: it sets \"%1\", which the form writes")
                     .arg(*setting));
        return;
    }

    // The same setting twice: "set public 0" and "set public 1" are one.
    const QString setting = std::holds_alternative<PublicGameSetting>(key->target)
                                ? QStringLiteral("set public")
                                : key->key.toString();
    if (const int first = m_firstLineOfKey.value(setting)) {
        warn(file, number,
             QStringLiteral("\"%1\" comes again (first at line %2): %3")
                 .arg(setting)
                 .arg(first)
                 .arg(std::holds_alternative<MaskSetting>(key->target)
                          ? QStringLiteral("the flags of both lines are set")
                          : QStringLiteral("the later line counts")));
    } else {
        m_firstLineOfKey.insert(setting, number);
    }
    m_lastLineOfKey.insert(setting, number);

    if (const auto *publicGame = std::get_if<PublicGameSetting>(&key->target)) {
        (publicGame->ticked ? m_lastPublicLine : m_lastPrivateLine) = number;
        return;
    }
    const std::optional<QString> value = cutValue(line, *key);
    if (!value)
        return; // Open stops here; the reader's own reason is reported
    if (const auto *control = std::get_if<TextControl>(&key->target)) {
        if (isPlaceholderLine(*control, line)) {
            warn(file, number, QStringLiteral("%1 is still the placeholder").arg(nameOf(*control)));
            return;
        }
        if (const std::optional<QString> fault =
                ConsoleRules::breach(FieldTable::textField(*control).kind, *value))
            warn(file, number, QStringLiteral("%1 %2").arg(nameOf(*control), *fault));
        return;
    }
    const std::optional<qint32> number32 = parseDecimalInteger(*value);
    if (!number32)
        return;
    if (const auto *spinner = std::get_if<SpinnerControl>(&key->target)) {
        const FieldTable::NumberField &field = FieldTable::numberField(*spinner);
        if (*number32 < field.minimum || *number32 > field.maximum)
            warn(file, number,
                 QStringLiteral("%1 is outside %2 to %3; File / Open sets the nearest of them")
                     .arg(*number32)
                     .arg(field.minimum)
                     .arg(field.maximum));
    }
    if (const auto *mask = std::get_if<MaskSetting>(&key->target))
        checkMask(number, mask->family, *number32);
    // The dedicated server plays deathmatch, where it starts a game of no
    // more than one player with eight places instead.
    if (const auto *spinner = std::get_if<SpinnerControl>(&key->target);
        spinner && *spinner == SpinnerControl::MaxClients && *number32 <= 1)
        warn(file, number,
             QStringLiteral("maxclients %1 runs as 8: the game server takes 1 or less as 8 in deathmatch")
                 .arg(*number32));
}

void Checker::checkForm(const ServerForm &form, const ConfigurationReadResult &result, int lineCount)
{
    using Outcome = ConfigurationReadResult::Outcome;
    if (result.outcome == Outcome::StoppedAtLine) {
        QString sentence = QStringLiteral("the line %1, so File / Open stops here").arg(result.reason);
        if (result.lineNumber + 1 == lineCount)
            sentence += QStringLiteral(" and does not read line %1").arg(lineCount);
        else if (result.lineNumber < lineCount)
            sentence +=
                QStringLiteral(" and does not read lines %1 to %2").arg(result.lineNumber + 1).arg(lineCount);
        fail(QStringLiteral("server.cfg"), result.lineNumber, sentence);
    } else if (result.outcome == Outcome::ReadFailed) {
        fail(QStringLiteral("maplist.txt"), 0, result.reason);
    }

    const ServerSettings &values = form.values;
    const int mapListLine = m_lastLineOfKey.value(QStringLiteral("set maplist"));
    if (values.mapList && values.maps.isEmpty()) {
        const RegularFileRead mapList = checkRegularFile(QStringLiteral("maplist.txt"), mapListSizeLimit);
        if (mapList.outcome == RegularFileRead::Outcome::NotOpened)
            fail(QStringLiteral("maplist.txt"), 0,
                 QStringLiteral("maplist.txt cannot be read (%1): File / Open leaves the map list empty, and "
                                "apply refuses to write it without a rotation")
                     .arg(mapList.reason));
        else
            warn(QStringLiteral("server.cfg"), mapListLine,
                 mapList.outcome == RegularFileRead::Outcome::Missing
                     ? QStringLiteral("the map list is on, but there is no maplist.txt")
                     : QStringLiteral("the map list is on, but maplist.txt is empty"));
    }
    const QString &startingMap = values.text(TextControl::StartingMap);
    if (values.mapList && !values.maps.isEmpty() && !startingMap.isEmpty() &&
        !values.maps.contains(startingMap))
        warn(
            QStringLiteral("server.cfg"), m_lastLineOfKey.value(QStringLiteral("map")),
            QStringLiteral("the starting map \"%1\" is not in the rotation of maplist.txt").arg(startingMap));
    if (values.mapList) {
        for (qsizetype i = 0; i < values.maps.size(); ++i) {
            if (const auto fault = ConsoleRules::breach(ConsoleRules::ValueKind::Unquoted, values.maps[i]))
                warn(QStringLiteral("maplist.txt"), int(i + 1),
                     QStringLiteral("the map name %1").arg(*fault));
        }
    } else if (!values.maps.isEmpty()) {
        note(QStringLiteral("maplist.txt"), 0,
             QStringLiteral(
                 "not judged: the map list is off (server.cfg line %1), so the game server does not "
                 "read it")
                 .arg(mapListLine));
    }
    // Without a "map" line the server starts no level, unless its own command
    // line names one, which a check of the folder cannot see.
    if (!m_lastLineOfKey.contains(QStringLiteral("map")))
        warn(QStringLiteral("server.cfg"), 0,
             QStringLiteral("there is no \"map\" line, so the game server starts no level unless its command "
                            "line names one (+map NAME)"));

    const QStringList set = form.families.front().banned();
    const auto awardWithoutFlag = [&](SpinnerControl spinner, const char *key, const char *flag) {
        if (values.number(spinner) != 0 && !set.contains(QLatin1String(flag), Qt::CaseInsensitive))
            warn(QStringLiteral("server.cfg"), m_lastLineOfKey.value(QLatin1String(key)),
                 QStringLiteral("\"%1\" is set, but DMFLAGS lacks %2, which switches it on")
                     .arg(QLatin1String(key), QLatin1String(flag)));
    };
    awardWithoutFlag(SpinnerControl::RevengeAward, "set revengeaward", "DF_REVENGE_FACTOR");
    awardWithoutFlag(SpinnerControl::HighFraggerAward, "set highfraggeraward", "DF_REVENGE_FACTOR");
    awardWithoutFlag(SpinnerControl::DayNightTime, "set daynighttime", "DF_DAYNIGHT");

    // setmaster makes a server public, whatever came before it.
    if (m_lastPrivateLine && m_lastSetmasterLine > m_lastPrivateLine && m_lastPublicLine < m_lastPrivateLine)
        warn(
            QStringLiteral("server.cfg"), m_lastPrivateLine,
            QStringLiteral("\"set public 0\" comes before setmaster (line %1), which makes the server public "
                           "again: this server is public")
                .arg(m_lastSetmasterLine));
}

// Whether the game server can load the starting map and every map of the
// rotation, from the game data beside the configuration.
void Checker::checkMaps(const ServerSettings &values)
{
    // Only the names judged here are kept from the game folders.
    QList<QStringView> names;
    names.reserve(values.maps.size() + 1);
    names.append(values.text(TextControl::StartingMap));
    for (qsizetype i = 0; i < values.maps.size(); ++i)
        names.append(values.maps.at(i));
    const GameFolders game = GameFolders::read(QStringLiteral("."), names);
    const MapJudgement judged =
        judgeMaps(game, values.text(TextControl::StartingMap), m_lastLineOfKey.value(QStringLiteral("map")),
                  values.mapList ? &values.maps : nullptr);
    m_findings += judged.gameData;
    m_findings += judged.maps;
    if (!game.hasGameData())
        m_findings.append(mapsNotChecked(game));
}

int Checker::report()
{
    // Notes on what was left out come after what was found.
    std::stable_sort(m_findings.begin(), m_findings.end(), [](const Finding &a, const Finding &b) {
        const bool aNote = a.level == Finding::Level::Note;
        const bool bNote = b.level == Finding::Level::Note;
        return std::tie(aNote, a.file, a.line) < std::tie(bNote, b.file, b.line);
    });
    bool errors = false;
    bool warnings = false;
    for (const Finding &finding : std::as_const(m_findings)) {
        errors |= finding.level == Finding::Level::Error;
        warnings |= finding.level == Finding::Level::Warning;
        printOut(findingLine(finding) + u'\n');
    }
    return errors ? 2 : warnings ? 1 : 0;
}

int Checker::run()
{
    const Recovery interrupted = FileSetWriter::inspect();
    if (interrupted.outcome == Recovery::Outcome::Completed ||
        interrupted.outcome == Recovery::Outcome::Failed)
        fail(FileSetWriter::journalName(), 0, interrupted.message);
    const RegularFileRead file = readRegularFile(QStringLiteral("server.cfg"), serverCfgSizeLimit);
    switch (file.outcome) {
    case RegularFileRead::Outcome::Read:
        break;
    case RegularFileRead::Outcome::Missing:
        fail(QStringLiteral("server.cfg"), 0, QStringLiteral("server.cfg file not found"));
        return report();
    case RegularFileRead::Outcome::NotOpened:
        fail(QStringLiteral("server.cfg"), 0, QStringLiteral("server.cfg cannot be opened: ") + file.reason);
        return report();
    case RegularFileRead::Outcome::NotRead:
        fail(QStringLiteral("server.cfg"), 0, QStringLiteral("server.cfg cannot be read: ") + file.reason);
        return report();
    }
    const QStringList lines = splitLines(QString::fromUtf8(file.bytes));
    for (int i = 0; i < lines.size(); ++i)
        checkLine(i + 1, lines[i]);
    // The game server puts off what follows a level change: at start-up and
    // through exec alike, the lines after "map" are not run.
    if (const int mapLine = m_lastLineOfKey.value(QStringLiteral("map"))) {
        QList<int> after;
        for (int i = mapLine; i < lines.size(); ++i) {
            const QString command = lines[i].trimmed();
            if (!command.isEmpty() && !command.startsWith(u"//"))
                after.append(i + 1);
        }
        if (!after.isEmpty())
            warn(
                QStringLiteral("server.cfg"), after.first(),
                QStringLiteral("the game server does not run %1 after the \"map\" line (line %2), which puts "
                               "off what follows it; Save and apply write such lines before it")
                    .arg(after.size() == 1
                             ? QStringLiteral("this line")
                             : QStringLiteral("this line and the %1 more").arg(after.size() - 1))
                    .arg(mapLine));
    }

    ServerForm form;
    const ConfigurationReadResult result = readConfiguration(form);
    checkForm(form, result, int(lines.size()));
    checkMaps(form.values);
    return report();
}

} // namespace

QString findingLine(const Finding &finding)
{
    QString where = finding.file;
    if (finding.line)
        where += QStringLiteral(":%1").arg(finding.line);
    const char *level = finding.level == Finding::Level::Error     ? "error: "
                        : finding.level == Finding::Level::Warning ? "warning: "
                                                                   : "note: ";
    // Names of maps, archives and files come from the folder: never raw to a terminal.
    return printable((where.isEmpty() ? QString() : where + QStringLiteral(": ")) + QLatin1String(level) +
                     finding.sentence);
}

bool MapJudgement::hasErrorInMaps() const
{
    return std::any_of(maps.cbegin(), maps.cend(),
                       [](const Finding &finding) { return finding.level == Finding::Level::Error; });
}

MapJudgement judgeMaps(const GameFolders &game, QStringView startingMap, int startingMapLine,
                       const TextLines *rotation)
{
    MapJudgement judged;
    for (const GameFolders::Problem &problem : game.problems())
        judged.gameData.append({problem.file, 0,
                                problem.error ? Finding::Level::Error : Finding::Level::Warning,
                                problem.sentence});
    if (!game.hasGameData())
        return judged;
    const auto judge = [&](const QString &file, int line, QStringView map) {
        const std::optional<GameFolders::Verdict> verdict = game.verdict(map);
        if (verdict && verdict->level == GameFolders::Verdict::Level::NoEngine)
            judged.maps.append({file, line, Finding::Level::Error, verdict->sentence});
        else if (verdict && verdict->level == GameFolders::Verdict::Level::SomeEngines)
            judged.maps.append({file, line, Finding::Level::Warning, verdict->sentence});
    };
    if (!startingMap.isEmpty())
        judge(QStringLiteral("server.cfg"), startingMapLine, startingMap);
    if (rotation) {
        for (qsizetype i = 0; i < rotation->size(); ++i)
            judge(QStringLiteral("maplist.txt"), int(i + 1), rotation->at(i));
    }
    return judged;
}

Finding mapsNotChecked(const GameFolders &game)
{
    return {QString(), 0, Finding::Level::Note,
            QStringLiteral("the maps were not checked: there is no game data (a maps folder, .pak, .pk3 or "
                           ".pkz) in %1")
                .arg(game.folders().join(QStringLiteral(" or ")))};
}

namespace Commands {

int check(const QStringList &arguments)
{
    if (arguments.size() > 1)
        return failure(QStringLiteral("check takes at most one folder"));
    const QString folder = arguments.value(0, QStringLiteral("."));
    if (const std::optional<int> refused = enterFolder(folder))
        return *refused;
    return Checker().run();
}

} // namespace Commands
