// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "flags/FlagCatalogues.h"
#include "text/TextLines.h"

#include <QStringList>
#include <array>
#include <cstddef>

// The controls of the form that the configuration files carry, named by what
// they hold. The writer and the reader address the form through these, so
// that neither needs to know which widget holds a value. A flag family is
// known by its place in FlagTables::families.
enum class TextControl { ServerName, AdminName, Email, Webpage, RconPassword, StartingMap };
enum class SpinnerControl { MaxClients, FragLimit, TimeLimit, RevengeAward, HighFraggerAward, DayNightTime };
enum class CheckboxControl { PublicGame, MapList };

inline constexpr std::size_t textControlCount = 6;
inline constexpr std::size_t spinnerControlCount = 6;
using FlagTables::familyCount;

// Every spinner of the form holds a whole number in this range.
inline constexpr int spinnerMinimum = 0;
inline constexpr int spinnerMaximum = 255;

inline constexpr std::array<TextControl, textControlCount> allTextControls = {
    TextControl::ServerName, TextControl::AdminName,    TextControl::Email,
    TextControl::Webpage,    TextControl::RconPassword, TextControl::StartingMap,
};
inline constexpr std::array<SpinnerControl, spinnerControlCount> allSpinnerControls = {
    SpinnerControl::MaxClients,   SpinnerControl::FragLimit,        SpinnerControl::TimeLimit,
    SpinnerControl::RevengeAward, SpinnerControl::HighFraggerAward, SpinnerControl::DayNightTime,
};

// What File / Save writes, taken from the form once, as it stands.
struct ServerSettings
{
    std::array<QString, textControlCount> texts;
    std::array<int, spinnerControlCount> numbers{};
    std::array<QString, familyCount> masks; // by family, in tab order
    bool publicGame = false;
    bool mapList = false;
    QString messageOfTheDay;
    TextLines maps;
    // Lines of the opened server.cfg that the form does not own, written
    // again as they stood.
    QStringList keptLines;

    QString &text(TextControl c) { return texts[std::size_t(c)]; }
    const QString &text(TextControl c) const { return texts[std::size_t(c)]; }
    int &number(SpinnerControl c) { return numbers[std::size_t(c)]; }
    int number(SpinnerControl c) const { return numbers[std::size_t(c)]; }
};
