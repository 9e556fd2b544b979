// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/ConsoleRules.h"
#include "configfiles/FormFields.h"

#include <array>

// The fields of the configuration in one table: the key each has in the JSON
// form, how show labels it and check names it, and what it may hold. show,
// apply, check and the window's fields all read them from here, so that a
// field renamed or added cannot leave one of them behind.
namespace FieldTable {

struct TextField
{
    const char *key;   // in the JSON form
    const char *label; // in show's listing
    const char *noun;  // in check's sentences
    TextControl control;
    ConsoleRules::ValueKind kind;
};

struct NumberField
{
    const char *key;
    const char *label;
    SpinnerControl spinner;
    int minimum;
    int maximum;
};

struct SwitchField
{
    const char *key;
    const char *label;
    CheckboxControl checkbox;
    const char *on; // how show says it is ticked
    const char *off;
};

using enum ConsoleRules::ValueKind;

// In the order of the controls, as show lists them.
inline constexpr std::array<TextField, textControlCount> textFields = {{
    {"serverName", "Server name", "the server name", TextControl::ServerName, PublicInfo},
    {"adminName", "Admin name", "the admin name", TextControl::AdminName, PublicInfo},
    {"email", "E-mail", "the e-mail address", TextControl::Email, PublicInfo},
    {"webpage", "Web page", "the web page", TextControl::Webpage, PublicInfo},
    {"rconPassword", "Rcon password", "the rcon password", TextControl::RconPassword, Unquoted},
    {"startingMap", "Starting map", "the starting map", TextControl::StartingMap, Unquoted},
}};

inline constexpr std::array<NumberField, spinnerControlCount> numberFields = {{
    {"maxClients", "Max clients", SpinnerControl::MaxClients, spinnerMinimum, spinnerMaximum},
    {"fragLimit", "Frag limit", SpinnerControl::FragLimit, spinnerMinimum, spinnerMaximum},
    {"timeLimit", "Time limit", SpinnerControl::TimeLimit, spinnerMinimum, spinnerMaximum},
    {"revengeAward", "Revenge award", SpinnerControl::RevengeAward, spinnerMinimum, spinnerMaximum},
    {"highFraggerAward", "High fragger award", SpinnerControl::HighFraggerAward, spinnerMinimum,
     spinnerMaximum},
    {"dayNightTime", "Day-night time", SpinnerControl::DayNightTime, spinnerMinimum, spinnerMaximum},
}};

inline constexpr std::array<SwitchField, 2> switchFields = {{
    {"publicGame", "Public game", CheckboxControl::PublicGame, "yes", "no"},
    {"mapList", "Map list", CheckboxControl::MapList, "on", "off"},
}};

// The keys of the JSON form beside the fields above.
inline constexpr char rotationKey[] = "rotation";
inline constexpr char familiesKey[] = "families";
inline constexpr char motdKey[] = "motd";
// Printed by show: whether File / Open read the whole configuration.
inline constexpr char completeKey[] = "complete";

const TextField &textField(TextControl control);
const NumberField &numberField(SpinnerControl spinner);

} // namespace FieldTable
