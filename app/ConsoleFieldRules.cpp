// SPDX-License-Identifier: GPL-2.0-or-later
// The console's rules on the fields of ServerConfiguration.
#include "app/ServerConfiguration.h"

#include "configfiles/ConsoleRules.h"

namespace {

TextField::Rule consoleRule(ConsoleRules::ValueKind kind)
{
    return {ConsoleRules::statement(kind),
            [kind](QStringView text) { return ConsoleRules::breach(kind, text); },
            [kind](QStringView text) {
                return ConsoleRules::breachCount(kind, text);
            }};
}

} // namespace

void ServerConfiguration::applyConsoleRules()
{
    const std::pair<TextField *, TextControl> fields[] = {
        {serverNameField, TextControl::ServerName},
        {adminNameField, TextControl::AdminName},
        {emailField, TextControl::Email},
        {webpageField, TextControl::Webpage},
        {rconPasswdField, TextControl::RconPassword},
        {startingMapField, TextControl::StartingMap},
    };
    for (auto [field, control] : fields)
        field->setRule(consoleRule(ConsoleRules::kindOf(control)));
    mapField->setRule(consoleRule(ConsoleRules::ValueKind::Unquoted));
}
