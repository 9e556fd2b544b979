#pragma once

#include <QString>
#include <array>
#include <cstddef>

// The controls of the form that the configuration files carry, named by what
// they hold. The writer and the reader address the form through these, so
// that neither needs to know which widget holds a value.
enum class TextControl { ServerName, AdminName, Email, Webpage, RconPassword, StartingMap };
enum class SpinnerControl { MaxClients, FragLimit, TimeLimit, RevengeAward, HighFraggerAward, DayNightTime };
enum class CheckboxControl { PublicGame, MapList };
// In catalogue order, the order in which the families are built and decoded.
enum class FlagFamilyId {
    DMFLAGS,
    Weapons,
    KezWeapons,
    KezSweepers,
    KezGrenades,
    Features,
    KezFeatures,
    KezArmors,
    FragBan,
};

inline constexpr std::size_t textControlCount = 6;
inline constexpr std::size_t spinnerControlCount = 6;
inline constexpr std::size_t flagFamilyCount = 9;

inline constexpr std::array<TextControl, textControlCount> allTextControls = {
    TextControl::ServerName, TextControl::AdminName,    TextControl::Email,
    TextControl::Webpage,    TextControl::RconPassword, TextControl::StartingMap,
};
inline constexpr std::array<SpinnerControl, spinnerControlCount> allSpinnerControls = {
    SpinnerControl::MaxClients,   SpinnerControl::FragLimit,        SpinnerControl::TimeLimit,
    SpinnerControl::RevengeAward, SpinnerControl::HighFraggerAward, SpinnerControl::DayNightTime,
};
inline constexpr std::array<FlagFamilyId, flagFamilyCount> allFlagFamilies = {
    FlagFamilyId::DMFLAGS,     FlagFamilyId::Weapons,     FlagFamilyId::KezWeapons,
    FlagFamilyId::KezSweepers, FlagFamilyId::KezGrenades, FlagFamilyId::Features,
    FlagFamilyId::KezFeatures, FlagFamilyId::KezArmors,   FlagFamilyId::FragBan,
};

// The values that make up server.cfg, taken from the form as they stand.
struct ServerSettings
{
    std::array<QString, textControlCount> texts;
    std::array<int, spinnerControlCount> numbers{};
    std::array<QString, flagFamilyCount> masks;
    bool publicGame = false;
    bool mapList = false;

    QString &text(TextControl c) { return texts[std::size_t(c)]; }
    const QString &text(TextControl c) const { return texts[std::size_t(c)]; }
    int &number(SpinnerControl c) { return numbers[std::size_t(c)]; }
    int number(SpinnerControl c) const { return numbers[std::size_t(c)]; }
    QString &mask(FlagFamilyId f) { return masks[std::size_t(f)]; }
    const QString &mask(FlagFamilyId f) const { return masks[std::size_t(f)]; }
};
