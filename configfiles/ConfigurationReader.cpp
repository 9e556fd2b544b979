// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ConfigurationReader.h"

#include "configfiles/ConfigurationForm.h"
#include "configfiles/ConfigurationLines.h"
#include "configfiles/KeptLines.h"
#include "files/RegularFileReading.h"
#include "text/DecimalText.h"
#include "text/Diagnostics.h"

#include <algorithm>

using namespace ConfigurationLines;
using Outcome = ConfigurationReadResult::Outcome;

namespace {

using FileOutcome = RegularFileRead::Outcome;

bool isDigits(QStringView text)
{
    if (text.startsWith(u'-'))
        text = text.sliced(1);
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString spaceName(QChar c)
{
    return c == u'\t' ? QStringLiteral("tab") : QStringLiteral("space");
}

// Why a value is no decimal integer, naming what is in the way, and the line
// as Open would take it where taking out a comment, spaces or quotes leaves
// one: the usual hand edits of a line that the console reads as meant.
QString notAnInteger(const ServerKey &key, QStringView value)
{
    QStringList inTheWay;
    QStringView number = value;
    if (const qsizetype comment = number.indexOf(u"//"); comment >= 0) {
        inTheWay.append(
            QStringLiteral("the comment %1").arg(Diagnostics::quoted(number.sliced(comment).trimmed())));
        number = number.first(comment);
    }
    const QStringView trimmed = number.trimmed();
    if (!trimmed.isEmpty() && number.front().isSpace())
        inTheWay.append(
            QStringLiteral("the %1 before %2").arg(spaceName(number.front()), Diagnostics::quoted(trimmed)));
    if (!trimmed.isEmpty() && number.back().isSpace() && inTheWay.isEmpty())
        inTheWay.append(
            QStringLiteral("the %1 after %2").arg(spaceName(number.back()), Diagnostics::quoted(trimmed)));
    number = trimmed;
    if (number.size() >= 2 && number.startsWith(u'"') && number.endsWith(u'"')) {
        number = number.sliced(1, number.size() - 2);
        inTheWay.append(QStringLiteral("the quotes around %1").arg(number));
    }
    if (isDigits(number)) {
        if (!parseDecimalInteger(number)) {
            const bool negative = number.startsWith(u'-');
            return QStringLiteral("holds %1, which is %2 than %3, the %4 a line of server.cfg takes")
                .arg(number.toString(), negative ? QStringLiteral("smaller") : QStringLiteral("larger"),
                     negative ? QStringLiteral("-2147483648") : QStringLiteral("2147483647"),
                     negative ? QStringLiteral("smallest") : QStringLiteral("largest"));
        }
        return QStringLiteral("holds no decimal integer: %1 %2 in the way (write it as: %3 %4)")
            .arg(inTheWay.join(QStringLiteral(" and ")),
                 inTheWay.size() == 1 && !inTheWay.front().startsWith(u"the quotes") ? QStringLiteral("is")
                                                                                     : QStringLiteral("are"),
                 key.key, number);
    }
    // Nothing to take out: the first character that is no part of a number.
    qsizetype good = value.startsWith(u'-') ? 1 : 0;
    while (good < value.size() && value[good] >= u'0' && value[good] <= u'9')
        ++good;
    if (value.isEmpty())
        return QStringLiteral("holds no decimal integer: the value is empty");
    // The word in the way, up to a space; of a long one its first character,
    // since the line itself is quoted beside the reason.
    constexpr qsizetype longestWordShown = 20;
    QStringView word = value.sliced(good);
    if (const auto space = std::find_if(word.begin(), word.end(), [](QChar c) { return c.isSpace(); });
        space != word.begin())
        word = word.first(space - word.begin());
    const QString inTheWayNow =
        word.size() > longestWordShown
            ? QStringLiteral("the character %1")
                  .arg(Diagnostics::quoted(word.first(word.front().isHighSurrogate() ? 2 : 1)))
            : Diagnostics::quoted(word);
    if (good == 0 || (good == 1 && value.startsWith(u'-')))
        return QStringLiteral("holds no decimal integer: %1 is in the way").arg(inTheWayNow);
    return QStringLiteral("holds no decimal integer: %1 after %2 is in the way")
        .arg(inTheWayNow, Diagnostics::quoted(value.first(good)));
}

class Reader
{
public:
    explicit Reader(ConfigurationForm &form) : m_form(form) {}

    ConfigurationReadResult run();

private:
    // Each apply step returns the reason the command has to end at this line,
    // or nothing when the line was applied (or skipped).
    using Stop = std::optional<QString>;

    Stop apply(const ServerKey &key);
    Stop applyText(const ServerKey &key, TextControl control);
    // Cuts the line's value and reads it as decimal integer text.
    Stop readInteger(const ServerKey &key, qint32 &number) const;
    Stop applyNumber(const ServerKey &key, SpinnerControl spinner);
    Stop applyMask(const ServerKey &key, std::size_t family);
    bool readMapList(MapListSwitch switched);
    void readMessageOfTheDay();

    // Writes a diagnostic line, kept as the reason should the command end.
    void warn(const QString &text)
    {
        m_reason = text;
        m_diagnostic = text;
        Diagnostics::warn(text);
    }
    ConfigurationReadResult ended(Outcome outcome) const
    {
        return {outcome, m_lineNumber, m_reason, m_diagnostic};
    }

    QString where() const
    {
        return QStringLiteral("server.cfg line %1 %2").arg(m_lineNumber).arg(Diagnostics::quoted(m_line));
    }

    ConfigurationForm &m_form;
    int m_lineNumber = 0;
    QString m_line;
    QString m_reason;
    QString m_diagnostic;
    // maplist.txt is read once, at the first map-list line, and the list
    // laid once: every later map-list line would put the same maps back.
    std::optional<RegularFileRead> m_mapFile;
    bool m_mapListLaid = false;
};

ConfigurationReadResult Reader::run()
{
    const RegularFileRead serverCfg = readRegularFile(QStringLiteral("server.cfg"), serverCfgSizeLimit);
    if (serverCfg.outcome == FileOutcome::Missing || serverCfg.outcome == FileOutcome::NotOpened) {
        if (serverCfg.outcome == FileOutcome::NotOpened)
            warn(QStringLiteral("server.cfg cannot be opened: %1.").arg(serverCfg.reason));
        else
            m_reason = QStringLiteral("server.cfg file not found");
        m_form.setStatusText(QStringLiteral("server.cfg file not found"));
        return ended(Outcome::ServerCfgNotFound);
    }
    m_form.setStatusText(QStringLiteral("Opening files"));
    m_form.setStatusText(QStringLiteral("Reading server.cfg"));
    if (serverCfg.outcome == FileOutcome::NotRead) {
        warn(QStringLiteral("server.cfg cannot be read: %1; nothing was changed.").arg(serverCfg.reason));
        return ended(Outcome::ReadFailed);
    }
    const QStringList serverBuff = splitLines(QString::fromUtf8(serverCfg.bytes));
    // Taken from the whole file, also where Open stops at a line: Save keeps
    // them all the same.
    m_form.setKeptLines(KeptLines::keptLines(serverBuff));
    readMessageOfTheDay();

    for (const QString &line : std::as_const(serverBuff)) {
        ++m_lineNumber;
        m_line = line;
        const ServerKey *key = matchKey(line);
        if (!key)
            continue;
        if (const Stop reason = apply(*key)) {
            warn(QStringLiteral("%1 %2; Open stopped at this line.").arg(where(), *reason));
            m_reason = *reason;
            return ended(Outcome::StoppedAtLine);
        }
        if (std::holds_alternative<MapListSetting>(key->target) && !readMapList(mapListSwitch(line)))
            return ended(Outcome::ReadFailed);
    }
    m_form.setStatusText(QStringLiteral("Done Reading"));
    return {Outcome::Done};
}

Reader::Stop Reader::apply(const ServerKey &key)
{
    if (const auto *setting = std::get_if<PublicGameSetting>(&key.target)) {
        m_form.setChecked(CheckboxControl::PublicGame, setting->ticked);
        return std::nullopt;
    }
    if (const auto *control = std::get_if<TextControl>(&key.target))
        return applyText(key, *control);
    if (const auto *spinner = std::get_if<SpinnerControl>(&key.target))
        return applyNumber(key, *spinner);
    if (const auto *mask = std::get_if<MaskSetting>(&key.target))
        return applyMask(key, mask->family);
    if (std::holds_alternative<MapListSetting>(key.target)) {
        switch (mapListSwitch(m_line)) {
        case MapListSwitch::Off:
            m_form.setChecked(CheckboxControl::MapList, false);
            break;
        case MapListSwitch::On:
            m_form.setChecked(CheckboxControl::MapList, true);
            m_form.enableAddButton();
            break;
        case MapListSwitch::Neither:
            break;
        }
    }
    return std::nullopt;
}

Reader::Stop Reader::applyText(const ServerKey &key, TextControl control)
{
    if (isPlaceholderLine(control, m_line))
        return std::nullopt;
    const std::optional<QString> value = cutValue(m_line, key);
    if (!value)
        return QStringLiteral("is too short to hold a value");
    m_form.setText(control, *value);
    return std::nullopt;
}

Reader::Stop Reader::readInteger(const ServerKey &key, qint32 &number) const
{
    const std::optional<QString> value = cutValue(m_line, key);
    if (!value)
        return QStringLiteral("is too short to hold a value");
    const std::optional<qint32> parsed = parseDecimalInteger(*value);
    if (!parsed)
        return notAnInteger(key, *value);
    number = *parsed;
    return std::nullopt;
}

Reader::Stop Reader::applyNumber(const ServerKey &key, SpinnerControl spinner)
{
    qint32 number = 0;
    if (const Stop reason = readInteger(key, number))
        return reason;
    // The spinners cannot show a value outside their bounds; the nearest one
    // keeps the rest of the file readable.
    const int clamped = std::clamp<int>(number, spinnerMinimum, spinnerMaximum);
    if (clamped != number) {
        warn(QStringLiteral("%1 is outside %2 to %3; %4 was used instead.")
                 .arg(where())
                 .arg(spinnerMinimum)
                 .arg(spinnerMaximum)
                 .arg(clamped));
    }
    m_form.setNumber(spinner, clamped);
    return std::nullopt;
}

Reader::Stop Reader::applyMask(const ServerKey &key, std::size_t family)
{
    qint32 mask = 0;
    if (const Stop reason = readInteger(key, mask))
        return reason;
    // Any one bit of a flag's value in the mask sets the flag; bits that no
    // flag carries are dropped, and the mask field changes only through the
    // set-method, one flag at a time.
    static const std::array<FlagCatalogue, familyCount> catalogues = [] {
        std::array<FlagCatalogue, familyCount> built;
        for (std::size_t f = 0; f < familyCount; ++f)
            built[f] = buildCatalogue(*FlagTables::families[f]);
        return built;
    }();
    for (const QuakeFlag &flag : catalogues[family]) {
        if ((mask & flag.getFlagValue()) == 0)
            continue;
        if (m_form.setFlag(family, flag.getFlagName()) == FlagMove::MaskUnreadable)
            return QStringLiteral("could not be added: the family's mask field holds no decimal integer");
    }
    return std::nullopt;
}

bool Reader::readMapList(MapListSwitch switched)
{
    m_form.setStatusText(QStringLiteral("Opening maplist.txt"));
    const bool firstRead = !m_mapFile;
    if (firstRead) {
        const QString name = QStringLiteral("maplist.txt");
        m_mapFile = m_form.wantsMapItems() ? readRegularFile(name, mapListSizeLimit)
                                           : checkRegularFile(name, mapListSizeLimit);
    }
    switch (m_mapFile->outcome) {
    case FileOutcome::Read:
        break;
    case FileOutcome::Missing:
    case FileOutcome::NotOpened:
        // A configuration saved with the map list off has no maplist.txt, and
        // the starting map comes after this line: ending here would drop it.
        // The list stays empty and the remaining lines are read.
        if (firstRead && (m_mapFile->outcome == FileOutcome::NotOpened || switched != MapListSwitch::Off)) {
            const QString verb = m_mapFile->outcome == FileOutcome::Missing ? QStringLiteral("opened")
                                                                            : QStringLiteral("read");
            warn(QStringLiteral("maplist.txt cannot be %1: %2; the map list was left empty.")
                     .arg(verb, m_mapFile->reason));
        }
        m_form.removeAllMapItems();
        return true;
    case FileOutcome::NotRead:
        warn(QStringLiteral("maplist.txt cannot be read: %1; Open stopped at server.cfg line %2.")
                 .arg(m_mapFile->reason, QString::number(m_lineNumber)));
        m_form.removeAllMapItems();
        return false;
    }
    if (!m_mapListLaid && m_form.wantsMapItems()) {
        TextLines maps = TextLines::split(QString::fromUtf8(m_mapFile->bytes));
        const bool anyMap = !maps.isEmpty();
        m_form.removeAllMapItems();
        m_form.addMapItems(std::move(maps));
        if (anyMap)
            m_form.enableRemoveButton();
        m_mapListLaid = true;
    }
    m_form.setStatusText(QStringLiteral("Done reading maplist.txt"));
    return true;
}

// The message is what comes before the banner that File / Save writes after
// it; a file that does not end with that banner was written by hand or by
// another program and is the message whole. The text given back is one that
// File / Save writes as the same lines again.
void Reader::readMessageOfTheDay()
{
    const RegularFileRead motd = readRegularFile(QStringLiteral("motd.txt"), motdSizeLimit);
    switch (motd.outcome) {
    case FileOutcome::Read:
        break;
    case FileOutcome::Missing:
        return; // as for a line missing from server.cfg, the text area stays as it is
    case FileOutcome::NotOpened:
    case FileOutcome::NotRead:
        warn(QStringLiteral("motd.txt cannot be read: %1; the message of the day was left as it was.")
                 .arg(motd.reason));
        return;
    }
    // Split at line feeds alone, as File / Save writes it, so that a carriage
    // return inside a message line comes back as it was; a file with CR LF
    // endings throughout is read as its lines.
    QStringList lines = QString::fromUtf8(motd.bytes).split(u'\n');
    if (lines.constLast().isEmpty())
        lines.removeLast();
    if (!lines.isEmpty() &&
        std::all_of(lines.cbegin(), lines.cend(), [](const QString &line) { return line.endsWith(u'\r'); })) {
        for (QString &line : lines)
            line.chop(1);
    }
    const QStringList banner = motdBanner();
    if (lines.size() >= banner.size() && lines.sliced(lines.size() - banner.size()) == banner)
        lines.resize(lines.size() - banner.size());
    QString message = lines.join(u'\n');
    // A last empty line is written only for a text that ends in two line feeds.
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        message += u'\n';
    m_form.setMessageOfTheDay(message);
}

} // namespace

ConfigurationReadResult readConfiguration(ConfigurationForm &form)
{
    return Reader(form).run();
}
