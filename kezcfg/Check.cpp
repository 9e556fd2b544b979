// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg check: what File / Open and the game's console would make of a
// configuration, line by line, without changing anything.
#include "Checker.h"
#include "Commands.h"

#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConsoleRules.h"
#include "configfiles/FieldTable.h"
#include "files/FileSetWriter.h"
#include "files/RegularFileReading.h"
#include "gamedata/GameFolders.h"
#include "text/DecimalText.h"
#include "text/OutsideText.h"

#include <algorithm>

using namespace ConfigurationLines;

namespace {

// The game console's command line holds this many characters.
constexpr qsizetype consoleLineLength = 1024;

// How a sentence names the field a text control holds.
QString nameOf(TextControl control)
{
    return QLatin1String(FieldTable::textField(control).noun);
}

// The lines that the writer writes the same for every form, which File /
// Open has no need to read back.
const QStringList &writersOwnLines()
{
    static const QStringList lines = serverCfgLines(ServerSettings());
    return lines;
}

} // namespace

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
                 .arg(setting, QString::number(first),
                      std::holds_alternative<MaskSetting>(key->target)
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

namespace Commands {

int check(const CheckOptions &options)
{
    const QString &folder = options.folder;
    if (const std::optional<int> refused = enterFolder(folder))
        return *refused;
    return Checker().run();
}

} // namespace Commands
