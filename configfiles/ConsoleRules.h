// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/FormFields.h"

#include <QString>
#include <optional>

// The game server executes server.cfg as console commands, so a value is
// right only when the console ends with exactly the text the form shows.
// These are the console's rules for the values the form writes there, in
// one place for the window's fields and for kezcfg's checks.
namespace ConsoleRules {

enum class ValueKind {
    // Quoted identity values (server name, admin name, e-mail, web page):
    // the server keeps them in its public info, which refuses \ " and ; and
    // values of 64 characters or more.
    PublicInfo,
    // Values written without quotes (rcon password, starting map, map
    // names): a space ends the word, ; the command, " starts a quoted word,
    // $ expands a variable, and // starts a comment.
    Unquoted,
};

// The kind of value a text control's text is written as.
ValueKind kindOf(TextControl control);

// The rule of a kind in one sentence, for tooltips and documentation.
QString statement(ValueKind kind);

// The first way in which value breaks the rule of its kind, as a phrase that
// follows "The value" ("holds ;, which ends a console command"); nothing
// when it keeps the rule.
std::optional<QString> breach(ValueKind kind, QStringView value);

// How badly value breaks its rule: each refused character counts one, a
// leading // one, and each character beyond the length limit one. An edit
// that does not raise this never adds a new fault to a value.
int breachCount(ValueKind kind, QStringView value);

// The longest value a kind may hold.
qsizetype maximumLength(ValueKind kind);

} // namespace ConsoleRules
