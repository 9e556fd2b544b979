// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QHash>
#include <QStringList>
#include <optional>

// The lines of server.cfg that the form does not own. An operator's file
// often holds more than the form sets (a join password, address bans, an
// alias): Save and apply keep such lines, so that writing the form never
// takes them away. A line is the form's when one of its console commands
// sets something the form writes, in any spelling the console accepts
// ("SET FragLimit 5", "seta fraglimit 5", "fraglimit 5", "gamemap q2dm2");
// such a line would undo the form's value, so Save replaces it.
namespace KeptLines {

// What a line sets that the form writes ("fraglimit", "map"), or nothing
// when no command of the line does.
std::optional<QString> formSettingOf(QStringView line);

// The same for the lines of one file, in order: an alias whose commands set
// a form setting ("alias r1 \"fraglimit 20; map q2dm1\"") sets it wherever
// it runs later in the file. The definition itself sets nothing.
class LineOwnership
{
public:
    std::optional<QString> formSettingOf(QStringView line);

private:
    QHash<QString, QString> m_aliases; // by lower-case name: what running it sets
};

// The commands of a line as the console splits them (at ';' outside
// quotes), each as its words (white space separates, quotes hold a word
// together, "//" ends the command); empty commands left out.
QList<QStringList> commandWords(QStringView line);

// The value the last of lines sets variable to (as written: the console
// tells variables apart by letter case), by "set variable value" or
// "variable value"; nothing when no line does.
std::optional<QString> lastValueSet(const QStringList &lines, QStringView variable);

// The lines of a server.cfg that Save writes again after the form's own
// settings, in their order: every line that File / Open skips and that sets
// nothing the form writes, except blank lines and the writer's own header.
QStringList keptLines(const QStringList &serverCfgLines);

} // namespace KeptLines
