// SPDX-License-Identifier: GPL-2.0-or-later
// kezcfg apply: lays the values of a JSON object over the configuration of a
// folder and writes what changed, with the window's writer and its rules.
#include "CheckFindings.h"
#include "Commands.h"

#include "Families.h"

#include "configfiles/ApplyInput.h"
#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ConsoleRules.h"
#include "configfiles/PlainRotation.h"
#include "configfiles/PreviousGeneration.h"
#include "configfiles/ServerForm.h"
#include "files/FileSetWriter.h"
#include "files/FolderLock.h"
#include "files/RegularFileReading.h"
#include "gamedata/GameFolders.h"
#include "text/DecimalText.h"
#include "text/InputBounds.h"
#include "text/OutsideText.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct TextKey
{
    const char *key;
    TextControl control;
};
constexpr TextKey textKeys[] = {
    {"serverName", TextControl::ServerName},
    {"adminName", TextControl::AdminName},
    {"email", TextControl::Email},
    {"webpage", TextControl::Webpage},
    {"rconPassword", TextControl::RconPassword},
    {"startingMap", TextControl::StartingMap},
};
struct NumberKey
{
    const char *key;
    SpinnerControl spinner;
};
constexpr NumberKey numberKeys[] = {
    {"maxClients", SpinnerControl::MaxClients},
    {"fragLimit", SpinnerControl::FragLimit},
    {"timeLimit", SpinnerControl::TimeLimit},
    {"revengeAward", SpinnerControl::RevengeAward},
    {"highFraggerAward", SpinnerControl::HighFraggerAward},
    {"dayNightTime", SpinnerControl::DayNightTime},
};

// A value the window would refuse: the message names the key and the rule.
struct Refusal
{
    QString message;
};

QString typeName(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("a boolean");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("text");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

void expectType(const QString &key, const QJsonValue &value, QJsonValue::Type type, const char *wanted)
{
    if (value.type() != type)
        throw Refusal{
            QStringLiteral("\"%1\" must be %2, not %3").arg(key, QLatin1String(wanted), typeName(value))};
}

QString textOf(const QString &key, const QJsonValue &value)
{
    expectType(key, value, QJsonValue::String, "text");
    return value.toString();
}

void checkConsoleRule(const QString &key, ConsoleRules::ValueKind kind, const QString &value)
{
    if (const std::optional<QString> fault = ConsoleRules::breach(kind, value))
        throw Refusal{QStringLiteral("\"%1\" %2 (%3)").arg(key, *fault, ConsoleRules::statement(kind))};
}

std::optional<qint32> wholeNumber(const QJsonValue &value)
{
    if (value.isString())
        return parseDecimalInteger(value.toString());
    const double number = value.toDouble();
    if (!value.isDouble() || number != std::floor(number) || number < -2147483648.0 || number > 2147483647.0)
        return std::nullopt;
    return qint32(number);
}

// The family an entry names by "variable" or "caption", each taking either
// the server.cfg variable or the tab caption, as the command line does.
std::size_t familyOfEntry(const QJsonObject &object)
{
    std::optional<std::size_t> family;
    for (const char16_t *key : {u"variable", u"caption"}) {
        if (!object.contains(key))
            continue;
        const QString name =
            textOf(QStringLiteral("families: ") + QString::fromUtf16(key), object.value(key));
        const std::optional<std::size_t> named = familyNamed(name);
        if (!named) {
            const QString nearest = didYouMean(name, familyNames());
            throw Refusal{nearest.isEmpty()
                              ? QStringLiteral(
                                    "no family has the %1 \"%2\"; the families are %3, or their tab captions")
                                    .arg(QString::fromUtf16(key), name, familyVariables())
                              : QStringLiteral("no family has the %1 \"%2\"%3")
                                    .arg(QString::fromUtf16(key), name, nearest)};
        }
        if (family && *family != *named)
            throw Refusal{
                QStringLiteral("the \"variable\" and \"caption\" of a families entry name two families")};
        family = named;
    }
    if (!family)
        throw Refusal{QStringLiteral("a families entry names no family: give \"variable\" (or \"caption\")")};
    return *family;
}

// A family given replaces that family's flags: by name, by mask, or both
// when they agree.
void applyFamily(ServerForm &form, const QJsonValue &entry)
{
    expectType(QStringLiteral("families"), entry, QJsonValue::Object, "a list of objects");
    const QJsonObject object = entry.toObject();
    const std::size_t family = familyOfEntry(object);
    FlagSelection &selection = form.families[family];
    const QString caption = QString::fromUtf16(selection.table().caption);
    const QString variable = QString::fromUtf16(selection.table().variable);
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() != u"variable" && it.key() != u"caption" && it.key() != u"mask" && it.key() != u"flags")
            throw Refusal{QStringLiteral("the %1 entry has an unknown key \"%2\"").arg(variable, it.key())};
    }
    // An entry that gives neither would clear the family without a word.
    if (!object.contains(u"flags") && !object.contains(u"mask"))
        throw Refusal{
            QStringLiteral("the %1 (%2) entry gives neither \"flags\" nor \"mask\"; \"flags\": [] clears "
                           "the family")
                .arg(caption, variable)};

    selection.build();
    if (object.contains(u"flags")) {
        expectType(variable + QStringLiteral(": flags"), object.value(u"flags"), QJsonValue::Array, "a list");
        for (const QJsonValue &name : object.value(u"flags").toArray()) {
            const QString text = textOf(variable + QStringLiteral(": flags"), name);
            const QuakeFlag *flag = findFlag(selection.catalogue(), text);
            if (!flag)
                throw Refusal{QStringLiteral("%1 has no flag \"%2\"%3")
                                  .arg(caption, text, didYouMean(text, flagNamesOf(selection.catalogue())))};
            selection.set(flag->getFlagName());
        }
    }
    if (object.contains(u"mask")) {
        const std::optional<qint32> mask = wholeNumber(object.value(u"mask"));
        if (!mask)
            throw Refusal{
                QStringLiteral("the %1 mask must be a whole number or decimal integer text").arg(variable)};
        const quint32 unknown = quint32(*mask) & ~carriedBits(selection.catalogue());
        if (unknown)
            throw Refusal{QStringLiteral("the %1 mask %2 has bits that no %3 flag carries")
                              .arg(variable)
                              .arg(*mask)
                              .arg(caption)};
        if (object.contains(u"flags")) {
            if (selection.maskText() != QString::number(*mask))
                throw Refusal{QStringLiteral("the %1 mask %2 and its flags (mask %3) disagree")
                                  .arg(variable)
                                  .arg(*mask)
                                  .arg(selection.maskText())};
        } else {
            for (const QString &name : flagNamesIn(selection.catalogue(), *mask))
                selection.set(name);
        }
    }
    form.values.masks[family] = selection.maskText();
}

void applyKey(ServerForm &form, const QString &key, const QJsonValue &value)
{
    ServerSettings &values = form.values;
    for (const TextKey &text : textKeys) {
        if (key == QLatin1String(text.key)) {
            const QString given = textOf(key, value);
            checkConsoleRule(key, ConsoleRules::kindOf(text.control), given);
            values.text(text.control) = given;
            return;
        }
    }
    for (const NumberKey &number : numberKeys) {
        if (key == QLatin1String(number.key)) {
            expectType(key, value, QJsonValue::Double, "a number");
            const std::optional<qint32> given = wholeNumber(value);
            if (!given || *given < spinnerMinimum || *given > spinnerMaximum)
                throw Refusal{QStringLiteral("\"%1\" must be a whole number from %2 to %3")
                                  .arg(key)
                                  .arg(spinnerMinimum)
                                  .arg(spinnerMaximum)};
            values.number(number.spinner) = *given;
            return;
        }
    }
    if (key == u"publicGame" || key == u"mapList") {
        expectType(key, value, QJsonValue::Bool, "true or false");
        (key == u"publicGame" ? values.publicGame : values.mapList) = value.toBool();
    } else if (key == u"rotation") {
        expectType(key, value, QJsonValue::Array, "a list");
        TextLines maps;
        const QJsonArray names = value.toArray();
        for (const QJsonValueConstRef map : names) {
            // Asked first, so that a name is not copied into a value only to be checked.
            if (!map.isString())
                expectType(key, map, QJsonValue::String, "text");
            const QString name = map.toString();
            if (name.isEmpty())
                throw Refusal{QStringLiteral("\"rotation\" holds an empty map name")};
            // The rule is asked first: a million names each put into a message
            // that is never shown cost more than the rest of the check.
            if (ConsoleRules::breach(ConsoleRules::ValueKind::Unquoted, name))
                checkConsoleRule(QStringLiteral("rotation: ") + name, ConsoleRules::ValueKind::Unquoted,
                                 name);
            maps.append(name);
        }
        values.maps = std::move(maps);
    } else if (key == u"families") {
        expectType(key, value, QJsonValue::Array, "a list");
        // Two entries for one family would leave the earlier one lost unseen.
        QSet<QString> given;
        for (const QJsonValue &entry : value.toArray()) {
            const QString variable = entry.toObject().value(u"variable").toString().toLower();
            if (familyOfVariable(variable)) {
                if (given.contains(variable))
                    throw Refusal{QStringLiteral("\"families\" has two entries for %1").arg(variable)};
                given.insert(variable);
            }
            applyFamily(form, entry);
        }
    } else if (key == u"motd") {
        values.messageOfTheDay = textOf(key, value);
        if (const std::optional<QString> fault = messageOfTheDayFault(values.messageOfTheDay))
            throw Refusal{*fault};
    } else if (key != u"complete") { // printed by show --json, and meaningless here
        QStringList keys = {QStringLiteral("publicGame"), QStringLiteral("mapList"),
                            QStringLiteral("rotation"), QStringLiteral("families"), QStringLiteral("motd")};
        for (const TextKey &text : textKeys)
            keys.append(QLatin1String(text.key));
        for (const NumberKey &number : numberKeys)
            keys.append(QLatin1String(number.key));
        throw Refusal{QStringLiteral("unknown key \"%1\"%2").arg(key, didYouMean(key, keys))};
    }
}

QByteArray bytesOf(const QStringList &lines)
{
    return lines.isEmpty() ? QByteArray() : (lines.join(u'\n') + u'\n').toUtf8();
}

// A file as apply would write it, in pieces that are written one after
// another; each piece is shared, never copied.
struct NewFile
{
    QString name;
    QByteArrayList pieces;
};

// The files as File / Save would write them; motd.txt only when given.
QList<NewFile> filesOf(const ServerSettings &settings, bool withMotd,
                       const std::optional<QByteArrayList> &mapList)
{
    using namespace ConfigurationLines;
    QList<NewFile> files = {{QStringLiteral("server.cfg"), {bytesOf(serverCfgLines(settings))}}};
    if (withMotd)
        files.append({QStringLiteral("motd.txt"),
                      {bytesOf(motdMessageLines(settings.messageOfTheDay) + motdBanner())}});
    if (settings.mapList)
        files.append(
            {QStringLiteral("maplist.txt"), mapList.value_or(QByteArrayList{settings.maps.text().toUtf8()})});
    return files;
}

bool sameBytes(QByteArrayView before, const QByteArrayList &pieces)
{
    qsizetype offset = 0;
    for (const QByteArray &piece : pieces) {
        if (before.size() - offset < piece.size())
            return false;
        // A piece that is a view of the current file is the same by being it.
        if (piece.constData() != before.data() + offset &&
            std::memcmp(piece.constData(), before.data() + offset, size_t(piece.size())) != 0)
            return false;
        offset += piece.size();
    }
    return offset == before.size();
}

} // namespace

// The bytes of an open file, mapped into memory where it can be: the bytes
// of a million-map rotation read into fresh memory cost a process more than
// all it does with them. They last as long as the file object.
QByteArray mappedBytes(QFile &file)
{
    if (!file.isSequential() && file.size() > 0) {
        if (uchar *mapped = file.map(0, file.size())) {
            // Entered into the process at once rather than by a fault for
            // every few pages, which on a virtual machine costs more.
            madvise(mapped, size_t(file.size()), MADV_POPULATE_READ);
            return QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), file.size());
        }
    }
    return file.readAll();
}

// A file's bytes as File / Open would take them: none where it is not a
// regular file of at most the size File / Open reads.
std::optional<QByteArray> currentBytes(QFile &file)
{
    const RegularFileOpening opening = openRegularFile(file.fileName());
    if (opening.fd < 0)
        return std::nullopt;
    if (opening.size > mapListSizeLimit ||
        !file.open(opening.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opening.fd);
        return std::nullopt;
    }
    return mappedBytes(file);
}

// A unified diff from diff(1), which every Debian system has.
QByteArray unifiedDiff(const QString &name, const std::optional<QByteArray> &before, const QByteArray &after)
{
    QTemporaryDir scratch;
    const QString old = scratch.filePath(QStringLiteral("old"));
    const QString now = scratch.filePath(QStringLiteral("new"));
    for (const auto &[path, bytes] : {std::pair(old, before.value_or(QByteArray())), std::pair(now, after)}) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QByteArray();
    }
    QProcess diff;
    diff.start(QStringLiteral("diff"),
               {QStringLiteral("-u"), QStringLiteral("--label"), before ? name : QStringLiteral("/dev/null"),
                QStringLiteral("--label"), name, old, now});
    diff.waitForFinished(-1);
    return diff.readAllStandardOutput();
}

namespace {

int refuse(const QString &message)
{
    return failure(QStringLiteral("apply refused: %1; no file was changed").arg(message));
}

// The "map" line of server.cfg as File / Save would write it; 0 without one.
int startingMapLine(const ServerSettings &settings)
{
    const QStringList lines = ConfigurationLines::serverCfgLines(settings);
    for (qsizetype i = lines.size(); i-- > 0;) {
        const ConfigurationLines::ServerKey *key = ConfigurationLines::matchKey(lines[i]);
        const auto *control = key ? std::get_if<TextControl>(&key->target) : nullptr;
        if (control && *control == TextControl::StartingMap)
            return int(i + 1);
    }
    return 0;
}

// A configuration that names a map no engine finds takes the server down:
// it runs no level at start-up, or drops every player at the change of
// level. Judged as check judges the files apply would leave, where there is
// game data to judge by. Nothing when apply may go on; with force it always
// may, and says what it writes anyway.
std::optional<int> refuseMapsNoEngineFinds(const ServerSettings &settings,
                                           const std::optional<PlainRotation> &plain,
                                           QByteArrayView mapListNow, bool force)
{
    const GameFolders game = GameFolders::read(QStringLiteral("."));
    if (!game.hasGameData())
        return std::nullopt;
    TextLines plainMaps;
    const TextLines *rotation = nullptr;
    if (settings.mapList) {
        if (plain)
            plainMaps = TextLines::split(QString::fromUtf8(plain->mapListPieces(mapListNow).join()));
        rotation = plain ? &plainMaps : &settings.maps;
    }
    const MapJudgement judged =
        judgeMaps(game, settings.text(TextControl::StartingMap), startingMapLine(settings), rotation);
    if (!judged.hasErrorInMaps())
        return std::nullopt;
    for (const Finding &finding : judged.maps) {
        if (finding.level == Finding::Level::Error)
            std::fprintf(stderr, "%s\n", qPrintable(findingLine(finding)));
    }
    if (force) {
        std::fprintf(stderr,
                     "kezcfg: --force: written although the game server cannot load the maps above\n");
        return std::nullopt;
    }
    return refuse(QStringLiteral("the game server cannot load the maps above (--force writes them anyway)"));
}

} // namespace

namespace Commands {

int apply(const ApplyOptions &options)
{
    const bool check = options.check;
    const std::chrono::milliseconds wait = options.wait;
    const bool force = options.force;
    const QString &input = options.input;
    const QString &folder = options.folder;

    QByteArray json;
    QFile in(input);
    const QString inputName =
        input == u"-" ? QStringLiteral("standard input") : QStringLiteral("\"%1\"").arg(input);
    if (input == u"-" ? !in.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered)
                      : !in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failure(QStringLiteral("cannot read \"%1\": %2").arg(input, in.errorString()));
    const QString tooLarge =
        QStringLiteral("the input %1 holds more than %2, the most File / Open takes for a rotation")
            .arg(inputName, InputBounds::sizeText(InputBounds::applyInput));
    if (!in.isSequential()) {
        if (in.size() > InputBounds::applyInput)
            return refuse(tooLarge);
        json = mappedBytes(in);
    } else if (std::optional<QByteArray> bytes = readAtMost(in, InputBounds::applyInput)) {
        json = std::move(*bytes);
    } else {
        return refuse(tooLarge);
    }
    if (const std::optional<int> refused = enterFolder(folder))
        return *refused;

    // One apply at a time in a folder, so that two never mix their files.
    FolderLock lock;
    if (const std::optional<int> refused = holdFolderForWriting(QStringLiteral("apply"), lock, check, wait))
        return *refused;

    // Named apart from the file object: a QFile opened on a descriptor
    // forgets its name.
    const QString mapListName = QStringLiteral("maplist.txt");
    QFile mapListFile(mapListName);
    const std::optional<QByteArray> mapListNow = currentBytes(mapListFile);
    std::optional<PlainRotation> plain = readPlainRotation(json, mapListNow.value_or(QByteArray()));
    // The JSON reader holds ten times what it reads and more: past its own
    // bound, only a rotation read plainly can make an input that large.
    const QString tooLargeForJson =
        QStringLiteral(
            "the input %1 holds more than %2 besides a rotation of plain map names (printable ASCII "
            "without escapes), the most that is read as JSON")
            .arg(inputName, InputBounds::sizeText(InputBounds::jsonReaderInput));
    if ((plain ? plain->rest.size() : json.size()) > InputBounds::jsonReaderInput)
        return refuse(tooLargeForJson);
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(plain ? plain->rest : json, &error);
    // Where the rest does not read as the same keys (a key given twice), the
    // input is read as JSON whole, which also says what is wrong with it.
    if (plain && (error.error != QJsonParseError::NoError || !document.isObject() ||
                  document.object().size() != plain->keyCount)) {
        if (json.size() > InputBounds::jsonReaderInput)
            return refuse(jsonInputFault(plain->rest).value_or(tooLargeForJson));
        plain.reset();
        document = QJsonDocument::fromJson(json, &error);
    }
    if (error.error != QJsonParseError::NoError)
        return refuse(QStringLiteral("the input is not JSON (%1 at offset %2)")
                          .arg(error.errorString())
                          .arg(error.offset));
    if (!document.isObject())
        return refuse(QStringLiteral("the input must be one JSON object"));
    // The rotation read plainly holds neither keys nor escapes: its rest says all.
    if (const std::optional<QString> fault = jsonInputFault(plain ? QByteArrayView(plain->rest) : json))
        return refuse(*fault);

    const QJsonObject object = document.object();
    ServerForm form;
    form.mapItemsWanted = !object.contains(u"rotation");
    // Whether there is a server.cfg to start from; the reader judges what it
    // opens on its own descriptor.
    if (::faccessat(AT_FDCWD, "server.cfg", F_OK, 0) == 0) {
        const ConfigurationReadResult result = readConfiguration(form);
        using Outcome = ConfigurationReadResult::Outcome;
        if (result.outcome == Outcome::StoppedAtLine)
            return refuse(QStringLiteral("server.cfg line %1 %2, so File / Open stops there and its settings "
                                         "cannot all be read")
                              .arg(result.lineNumber)
                              .arg(result.reason));
        if (result.outcome != Outcome::Done)
            return refuse(result.reason.isEmpty() ? form.statusText : result.reason);
    }

    try {
        for (auto it = object.begin(); it != object.end(); ++it)
            applyKey(form, it.key(), it.value());
    } catch (const Refusal &refusal) {
        return refuse(refusal.message);
    }
    // A mask the game reads as another would run other flags than were asked.
    for (const QJsonValue &entry : object.value(u"families").toArray()) {
        const std::size_t family = familyOfEntry(entry.toObject()); // known good: applied above
        const qint32 mask = parseDecimalInteger(form.values.masks[family]).value_or(0);
        const qint32 seen = maskAsTheGameSeesIt(mask);
        if (seen == mask)
            continue;
        const QString variable = QString::fromUtf16(FlagTables::families[family]->variable);
        const QStringList applied = flagNamesIn(buildCatalogue(*FlagTables::families[family]), seen);
        const QString why =
            QStringLiteral("the game reads the %1 mask %2 as %3 (settings are 32-bit floats) and "
                           "applies: %4")
                .arg(variable)
                .arg(mask)
                .arg(seen)
                .arg(applied.isEmpty() ? QStringLiteral("no flag") : applied.join(QStringLiteral(", ")));
        if (!force)
            return refuse(why + QStringLiteral(" (--force writes it anyway)"));
        std::fprintf(stderr, "kezcfg: --force: %s\n", qPrintable(printable(why)));
    }
    // The rotation kept is the one maplist.txt holds: where that cannot be
    // read, writing the list would empty it.
    if (form.values.mapList && !object.contains(u"rotation") && !mapListNow) {
        const RegularFileOpening opening = openRegularFile(mapListName);
        if (opening.fd >= 0)
            ::close(opening.fd);
        if (opening.outcome != RegularFileRead::Outcome::Missing)
            return refuse(
                QStringLiteral("maplist.txt cannot be read (%1), so its rotation cannot be kept; give "
                               "\"rotation\" or let this user read it")
                    .arg(opening.fd >= 0 ? QStringLiteral("it is larger than File / Open reads")
                                         : opening.reason));
    }
    if (const std::optional<int> refused =
            refuseMapsNoEngineFinds(form.values, plain, mapListNow.value_or(QByteArray()), force))
        return *refused;

    QStringList changed;
    QByteArray diffs;
    const std::optional<QByteArrayList> plainMapList =
        plain ? std::optional(plain->mapListPieces(mapListNow.value_or(QByteArray()))) : std::nullopt;
    const auto files = filesOf(form.values, object.contains(u"motd"), plainMapList);
    for (const auto &[name, pieces] : files) {
        QFile current(name);
        const std::optional<QByteArray> before = name == mapListName ? mapListNow : currentBytes(current);
        if (before && sameBytes(*before, pieces))
            continue;
        changed.append(name);
        if (check)
            diffs += unifiedDiff(name, before, pieces.join());
    }

    const QString outcome =
        changed.isEmpty() ? QStringLiteral("unchanged") : QStringLiteral("changed: ") + changed.join(u' ');
    if (check) {
        QTextStream(stdout) << outcome << '\n' << printableLines(diffs);
        return 0;
    }
    // Nothing is written, not even the previous generation.
    if (changed.isEmpty()) {
        QTextStream(stdout) << outcome << '\n';
        return 0;
    }
    QList<FileToWrite> toWrite;
    for (const auto &[name, pieces] : files) {
        if (changed.contains(name))
            toWrite.append({name, pieces});
    }
    // The set as it was before this apply is kept, in the same write, as
    // the previous generation that kezcfg restore puts back.
    PreviousGeneration::FoundSet before =
        PreviousGeneration::readSet({QStringLiteral("server.cfg"), QStringLiteral("motd.txt")});
    if (mapListNow) {
        before.files.append({mapListName, mapListNow});
    } else {
        const RegularFileOpening opening = openRegularFile(mapListName);
        if (opening.fd >= 0)
            ::close(opening.fd);
        if (opening.outcome == RegularFileRead::Outcome::Missing)
            before.files.append({mapListName, std::nullopt});
        else
            before.unreadable.append(
                mapListName + QStringLiteral(": ") +
                (opening.fd >= 0 ? QStringLiteral("it is larger than File / Open reads") : opening.reason));
    }
    // What the writer would refuse anyway is refused in its words first.
    if (const FileSetOutcome checked = FileSetWriter::preflight(toWrite); !checked.complete)
        return failure(QStringLiteral("apply stopped: %1").arg(checked.message()));
    for (const QString &unreadable : std::as_const(before.unreadable)) {
        const QString name = unreadable.section(u':', 0, 0);
        if (changed.contains(name))
            return refuse(QStringLiteral("%1 cannot be read (%2), so it cannot be kept as %3")
                              .arg(name, unreadable.section(QStringLiteral(": "), 1),
                                   PreviousGeneration::nameOf(name)));
    }
    toWrite += PreviousGeneration::entriesKeeping(before);
    const FileSetOutcome written = FileSetWriter::write(toWrite);
    if (!written.complete)
        return failure(QStringLiteral("apply stopped: %1").arg(written.message()));
    QTextStream(stdout) << outcome << '\n';
    return 0;
}

} // namespace Commands
