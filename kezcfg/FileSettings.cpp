// SPDX-License-Identifier: GPL-2.0-or-later
#include "FileSettings.h"

#include "flags/FamilyNames.h"

#include <algorithm>

#include "configfiles/ConfigurationLines.h"
#include "configfiles/ConfigurationReader.h"
#include "configfiles/ConsoleRules.h"
#include "configfiles/KeptLines.h"
#include "files/RegularFileReading.h"
#include "text/DecimalText.h"

QHash<QString, FileSetting> settingsOf(const QStringList &lines)
{
    using namespace ConfigurationLines;
    QHash<QString, FileSetting> settings;
    for (int i = 0; i < lines.size(); ++i) {
        const ServerKey *key = matchKey(lines[i]);
        if (!key || !key->key.startsWith(u"set ") || key->wholeLine)
            continue;
        std::optional<QString> value = cutValue(lines[i], *key);
        // The map-list key is the whole "set maplist" line, of which the
        // console keeps only the word after the variable.
        if (std::holds_alternative<MapListSetting>(key->target)) {
            const MapListSwitch mapList = mapListSwitch(lines[i]);
            if (mapList == MapListSwitch::Neither)
                continue;
            value = mapList == MapListSwitch::On ? QStringLiteral("1") : QStringLiteral("0");
        }
        const QString variable = key->key.mid(4).toString().section(u' ', 0, 0);
        if (value)
            settings.insert(variable.toLower(), {*value, i + 1, variable});
    }
    return settings;
}

bool sameNumber(const QString &a, const QString &b)
{
    bool okA = false;
    bool okB = false;
    const double x = a.toDouble(&okA);
    const double y = b.toDouble(&okB);
    return okA && okB && x == y;
}

bool runsAs(QStringView variable, const QString &running, const QString &fileValue)
{
    if (running == fileValue || sameNumber(running, fileValue))
        return true;
    bool fileNumber = false;
    bool runningNumber = false;
    const double file = fileValue.toDouble(&fileNumber);
    const double run = running.toDouble(&runningNumber);
    if (!fileNumber || !runningNumber)
        return false;
    if (variable.compare(u"maxclients", Qt::CaseInsensitive) == 0) {
        constexpr double deathmatchDefault = 8;
        constexpr double mostClients = 256;
        return run == (file <= 1 ? deathmatchDefault : file > mostClients ? mostClients : file);
    }
    if (familyOfVariable(variable)) {
        const std::optional<qint32> fileMask = parseDecimalInteger(fileValue);
        const std::optional<qint32> runningMask = parseDecimalInteger(running);
        return fileMask && runningMask && maskAsTheGameSeesIt(*fileMask) == maskAsTheGameSeesIt(*runningMask);
    }
    return false;
}

QHash<QString, StartingValue> startingValues(const QStringList &lines,
                                             const QHash<QString, FileSetting> &file)
{
    QHash<QString, StartingValue> values;
    // A file that runs other text (another file, a stored variable, an
    // alias) may set any of these where this cannot see them: then nothing
    // is assumed, so that such a server does not differ on every run.
    for (const QString &line : lines) {
        for (const QStringList &words : KeptLines::commandWords(line)) {
            const QString first = words.constFirst().toLower();
            if (first == u"exec" || first == u"vstr" || first == u"alias")
                return values;
        }
    }
    // The game announces needpass 1 while a join password is set (not
    // empty, not "none"), 2 for a spectator password, 3 for both.
    const auto isSet = [](const std::optional<QString> &password) {
        return password && !password->isEmpty() && password->compare(u"none", Qt::CaseInsensitive) != 0;
    };
    const std::optional<QString> password = KeptLines::lastValueSet(lines, u"password");
    const std::optional<QString> spectator = KeptLines::lastValueSet(lines, u"spectator_password");
    const int needpass = (isSet(password) ? 1 : 0) | (isSet(spectator) ? 2 : 0);
    values.insert(QStringLiteral("needpass"),
                  {QString::number(needpass),
                   needpass == 0   ? QStringLiteral("server.cfg sets no join password (set password)")
                   : needpass == 1 ? QStringLiteral("server.cfg sets a join password")
                   : needpass == 2 ? QStringLiteral("server.cfg sets a spectator password only")
                                   : QStringLiteral("server.cfg sets a join and a spectator password")});
    // What the game server starts with when nothing sets these.
    const std::pair<const char16_t *, const char16_t *> defaults[] = {{u"hostname", u"noname"},
                                                                      {u"fraglimit", u"0"},
                                                                      {u"timelimit", u"0"},
                                                                      {u"dmflags", u"0"},
                                                                      {u"maxclients", u"8"}};
    for (const auto &[variable, value] : defaults) {
        const QString name = QString::fromUtf16(variable);
        if (!file.contains(name))
            values.insert(
                name, {QString::fromUtf16(value), QStringLiteral("server.cfg does not set %1").arg(name)});
    }
    return values;
}

std::optional<QString> rconPasswordFault(const QString &password)
{
    if (password.isEmpty())
        return QStringLiteral("server.cfg sets no rcon_password, and the console answers none");
    // The server keeps only the first word of an unquoted value, and the
    // password travels as one word of the command line.
    if (const std::optional<QString> fault =
            ConsoleRules::breach(ConsoleRules::ValueKind::Unquoted, password))
        return QStringLiteral(
                   "the rcon password of server.cfg %1, so it cannot be sent as the server holds it")
            .arg(*fault);
    return std::nullopt;
}

QStringList consoleVariables(const QHash<QString, FileSetting> &file)
{
    QList<const FileSetting *> settings;
    for (auto it = file.cbegin(); it != file.cend(); ++it) {
        if (it.key() != u"rcon_password")
            settings.append(&it.value());
    }
    std::sort(settings.begin(), settings.end(),
              [](const FileSetting *a, const FileSetting *b) { return a->line < b->line; });
    QStringList variables;
    for (const FileSetting *setting : settings)
        variables.append(setting->variable);
    return variables;
}

QString previousRconPassword()
{
    const RegularFileRead previous = readRegularFile(QStringLiteral("server.cfg~"), serverCfgSizeLimit);
    if (previous.outcome != RegularFileRead::Outcome::Read)
        return {};
    const QString password = settingsOf(ConfigurationLines::splitLines(QString::fromUtf8(previous.bytes)))
                                 .value(QStringLiteral("rcon_password"))
                                 .value;
    return rconPasswordFault(password) ? QString() : password;
}
