#include "configfiles/ConfigurationLines.h"

#include "configfiles/ContactDetails.h"

namespace ConfigurationLines {

namespace {

struct IdentityFormat
{
    TextControl control;
    QStringView key;
    QStringView placeholder;
    // The game's console takes the rest of a set line as further arguments,
    // and the administrator, e-mail and web page lines have always ended in
    // " s"; readers cut values by position and count on it.
    bool trailingS;
};

constexpr IdentityFormat identityFormats[] = {
    {TextControl::ServerName, u"set hostname", u"<your server name here>", false},
    {TextControl::AdminName, u"set ServerAdmin", u"<server admin name here>", true},
    {TextControl::Email, u"set email", u"<admin email address goes here>", true},
    {TextControl::Webpage, u"set webpage", u"<webpage address goes here>", true},
};

constexpr QStringView rconPasswordKey = u"set rcon_password";
constexpr QStringView startingMapKey = u"map";
constexpr QStringView mapListKey = u"set maplist";

// Indexed by SpinnerControl.
constexpr QStringView spinnerKeys[] = {
    u"set maxclients",   u"set fraglimit",        u"set timelimit",
    u"set revengeaward", u"set highfraggeraward", u"set daynighttime",
};

// Indexed by FlagFamilyId.
constexpr QStringView maskKeys[] = {
    u"set dmflags",    u"set weaponban",     u"set kezweaponban", u"set kezsweeperban", u"set kezgrenadeban",
    u"set featureban", u"set kezfeatureban", u"set kezarmorban",  u"set fragban",
};

// The order in which server.cfg carries the masks: dmflags before the
// spinners, the other eight after them. It is not the order of the tabs.
constexpr FlagFamilyId maskLinesAfterSpinners[] = {
    FlagFamilyId::Weapons,     FlagFamilyId::Features,    FlagFamilyId::FragBan,     FlagFamilyId::KezWeapons,
    FlagFamilyId::KezSweepers, FlagFamilyId::KezGrenades, FlagFamilyId::KezFeatures, FlagFamilyId::KezArmors,
};

const IdentityFormat *identityFormat(TextControl control)
{
    for (const IdentityFormat &format : identityFormats) {
        if (format.control == control)
            return &format;
    }
    return nullptr;
}

QString quotedIdentity(const IdentityFormat &format, QStringView value)
{
    QString line = format.key.toString();
    line += u" \"";
    line += value;
    line += u'"';
    if (format.trailingS)
        line += u" s";
    return line;
}

QString setLine(QStringView key, QStringView value)
{
    QString line = key.toString();
    line += u' ';
    line += value;
    return line;
}

constexpr ServerKey plainKey(QStringView key, KeyTarget target)
{
    return {key, false, key.size() + 1, 0, target};
}

constexpr ServerKey quotedKey(const IdentityFormat &format)
{
    // The key, its space and the opening quote; the closing quote and " s".
    return {format.key, false, format.key.size() + 2, format.trailingS ? 3 : 1, format.control};
}

// In the order in which they are tried. No prefix key is a prefix of another
// and no whole-line key begins with a prefix key, so at most one matches.
const ServerKey serverKeys[] = {
    {u"set public 0", true, 0, 0, PublicGameSetting{false}},
    {u"set public 1", true, 0, 0, PublicGameSetting{true}},
    quotedKey(identityFormats[0]),
    quotedKey(identityFormats[1]),
    quotedKey(identityFormats[2]),
    quotedKey(identityFormats[3]),
    plainKey(rconPasswordKey, TextControl::RconPassword),
    plainKey(spinnerKeys[0], SpinnerControl::MaxClients),
    plainKey(spinnerKeys[1], SpinnerControl::FragLimit),
    plainKey(spinnerKeys[2], SpinnerControl::TimeLimit),
    plainKey(spinnerKeys[3], SpinnerControl::RevengeAward),
    plainKey(spinnerKeys[4], SpinnerControl::HighFraggerAward),
    plainKey(spinnerKeys[5], SpinnerControl::DayNightTime),
    plainKey(startingMapKey, TextControl::StartingMap),
    {mapListKey, false, 0, 0, MapListSetting{}},
    plainKey(maskKeys[0], FlagFamilyId::DMFLAGS),
    plainKey(maskKeys[1], FlagFamilyId::Weapons),
    plainKey(maskKeys[2], FlagFamilyId::KezWeapons),
    plainKey(maskKeys[3], FlagFamilyId::KezSweepers),
    plainKey(maskKeys[4], FlagFamilyId::KezGrenades),
    plainKey(maskKeys[5], FlagFamilyId::Features),
    plainKey(maskKeys[6], FlagFamilyId::KezFeatures),
    plainKey(maskKeys[7], FlagFamilyId::KezArmors),
    plainKey(maskKeys[8], FlagFamilyId::FragBan),
};

QString equalsSigns()
{
    return QString(53, u'=');
}

} // namespace

QString lineSeparator()
{
#ifdef Q_OS_WIN
    return QStringLiteral("\r\n");
#else
    return QStringLiteral("\n");
#endif
}

QStringList splitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\n' && c != u'\r')
            continue;
        lines.append(text.sliced(start, i - start).toString());
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.sliced(start).toString());
    return lines;
}

std::optional<QString> identityLine(TextControl control, const QString &value)
{
    const IdentityFormat *format = identityFormat(control);
    if (!format)
        return std::nullopt;
    return quotedIdentity(*format, value.isEmpty() ? format->placeholder : QStringView(value));
}

QStringList serverCfgLines(const ServerSettings &settings)
{
    QStringList lines = {
        QStringLiteral("// This file was generated by Vask:KEZ Server Configuration Program"),
        QStringLiteral("// Version .9b for Vask:KEZ version 1.10. If you find any bugs or"),
        QStringLiteral("// problems please email me at ") + ContactDetails::authorEmail(),
        QString(),
        QString(),
        QStringLiteral("set deathmatch 1"),
        // setmaster makes the server public, so the operator's choice has to
        // come after it to be the last word.
        QStringLiteral("setmaster ") + ContactDetails::masterServers().join(u' '),
        settings.publicGame ? QStringLiteral("set public 1") : QStringLiteral("set public 0"),
    };
    for (const IdentityFormat &format : identityFormats)
        lines.append(quotedIdentity(format, settings.text(format.control).isEmpty()
                                                ? format.placeholder
                                                : QStringView(settings.text(format.control))));
    if (const QString &password = settings.text(TextControl::RconPassword); !password.isEmpty())
        lines.append(setLine(rconPasswordKey, password));
    lines.append(setLine(maskKeys[std::size_t(FlagFamilyId::DMFLAGS)], settings.mask(FlagFamilyId::DMFLAGS)));
    for (SpinnerControl spinner : allSpinnerControls)
        lines.append(setLine(spinnerKeys[std::size_t(spinner)], QString::number(settings.number(spinner))));
    for (FlagFamilyId family : maskLinesAfterSpinners)
        lines.append(setLine(maskKeys[std::size_t(family)], settings.mask(family)));
    lines.append(settings.mapList ? QStringLiteral("set maplist 1") : QStringLiteral("set maplist 0"));
    if (const QString &map = settings.text(TextControl::StartingMap); !map.isEmpty())
        lines.append(setLine(startingMapKey, map));
    return lines;
}

QStringList motdMessageLines(const QString &message)
{
    QStringList lines;
    QStringView rest = message;
    while (!rest.isEmpty()) {
        const qsizetype lineFeed = rest.indexOf(u'\n');
        if (lineFeed < 0) {
            lines.append(rest.toString());
            break;
        }
        lines.append(rest.first(lineFeed).toString());
        rest = rest.sliced(lineFeed + 1);
    }
    return lines;
}

QStringList motdBanner()
{
    return {
        QString(),
        equalsSigns(),
        QStringLiteral("Official Vask:KEZ, Kezmodular Homepage"),
        ContactDetails::homepage(),
        QStringLiteral("Comments and bug reports to: ") + ContactDetails::teamEmail() + QStringLiteral(" or"),
        ContactDetails::authorEmail(),
        equalsSigns(),
    };
}

const ServerKey *matchKey(QStringView line)
{
    for (const ServerKey &key : serverKeys) {
        const bool matches = key.wholeLine ? line.compare(key.key, Qt::CaseInsensitive) == 0
                                           : line.startsWith(key.key, Qt::CaseSensitive);
        if (matches)
            return &key;
    }
    return nullptr;
}

std::optional<QString> cutValue(QStringView line, const ServerKey &key)
{
    if (line.size() < key.dropFromStart + key.dropFromEnd)
        return std::nullopt;
    return line.sliced(key.dropFromStart, line.size() - key.dropFromStart - key.dropFromEnd).toString();
}

bool isPlaceholderLine(TextControl control, QStringView line)
{
    const IdentityFormat *format = identityFormat(control);
    return format && line.compare(quotedIdentity(*format, format->placeholder), Qt::CaseInsensitive) == 0;
}

MapListSwitch mapListSwitch(QStringView line)
{
    if (line.compare(u"set maplist 0", Qt::CaseInsensitive) == 0)
        return MapListSwitch::Off;
    if (line.compare(u"set maplist 1", Qt::CaseInsensitive) == 0)
        return MapListSwitch::On;
    return MapListSwitch::Neither;
}

} // namespace ConfigurationLines
