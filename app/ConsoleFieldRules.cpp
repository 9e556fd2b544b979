// SPDX-License-Identifier: GPL-2.0-or-later
// The console's rules on the fields of ServerConfiguration.
#include "app/FormTables.h"
#include "app/ServerConfiguration.h"

#include "configfiles/ConsoleRules.h"
#include "configfiles/FieldTable.h"

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
    // Every text field the configuration files carry keeps the rule of the
    // value it is written as.
    for (const MainPageControl &row : mainPageControls()) {
        if (const auto *control = std::get_if<TextControl>(&row.value))
            static_cast<TextField *>(row.control(*this))
                ->setRule(consoleRule(FieldTable::textField(*control).kind));
    }
    mapField->setRule(consoleRule(ConsoleRules::ValueKind::Unquoted));
}
