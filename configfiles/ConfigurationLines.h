// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/FormFields.h"

#include <QStringList>
#include <optional>
#include <variant>

// The line rules of the configuration set, free of widgets: how server.cfg,
// motd.txt and maplist.txt are laid out line by line, and how a line of
// server.cfg is recognised and its value cut out again. The writer and the
// reader apply these to the form; everything here can be checked on its own.
namespace ConfigurationLines {

// The platform's line separator, which ends every line written.
QString lineSeparator();

// Splits text at CR LF, a lone LF or a lone CR. A last line without a
// terminator is still a line; an empty text has no lines. Nothing is trimmed.
QStringList splitLines(QStringView text);

// --- Writing ---------------------------------------------------------------

// The lines of server.cfg, in file order: 28 to 30 of the form's own, and
// the kept lines of settings before the starting map's line.
QStringList serverCfgLines(const ServerSettings &settings);

// The comment lines with which server.cfg begins.
QStringList serverCfgHeader();

// The message of the day as motd.txt lines: split at each line feed, which
// alone is consumed; a final line feed gives no extra empty line.
QStringList motdMessageLines(const QString &message);

// The fixed banner that follows the message in motd.txt.
QStringList motdBanner();

// --- Reading ---------------------------------------------------------------

struct PublicGameSetting
{
    bool ticked;
};
struct MapListSetting
{};
struct MaskSetting
{
    std::size_t family; // the place in FlagTables::families
};
using KeyTarget = std::variant<PublicGameSetting, TextControl, SpinnerControl, MapListSetting, MaskSetting>;

// A key of server.cfg: a whole-line key matches a line equal to it ignoring
// letter case; a prefix key matches a line that begins with exactly its
// characters. The value of a line is what is left after dropping a fixed
// number of characters from each end, whatever those characters are.
struct ServerKey
{
    QStringView key;
    bool wholeLine;
    qsizetype dropFromStart;
    qsizetype dropFromEnd;
    KeyTarget target;
};

// The key that matches line, or nullptr for a line that is to be skipped.
const ServerKey *matchKey(QStringView line);

// The key that would match line if letter case did not count; the game's
// console reads such a line, File / Open skips it.
const ServerKey *matchKeyIgnoringCase(QStringView line);

// The value of a line that key matched; nothing when the line is shorter than
// the characters the key drops.
std::optional<QString> cutValue(QStringView line, const ServerKey &key);

// Whether line is the placeholder form of an identity line (letter case
// ignored), which leaves its field as it was.
bool isPlaceholderLine(TextControl control, QStringView line);

// What a line beginning with "set maplist" says about the map-list checkbox.
enum class MapListSwitch { Off, On, Neither };
MapListSwitch mapListSwitch(QStringView line);

} // namespace ConfigurationLines
