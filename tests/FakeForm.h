// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/ConfigurationForm.h"

#include <QStringList>
#include <optional>

// A form without widgets for the reader: plain values, every status text in
// order, and a log of the set-method calls ("weaponban:shotgun"), since what
// a set-method does is the window's business, tested there.
class FakeForm : public ConfigurationForm
{
public:
    void setText(TextControl control, const QString &text) override { texts[std::size_t(control)] = text; }
    void setNumber(SpinnerControl spinner, int value) override { numbers[std::size_t(spinner)] = value; }
    void setChecked(CheckboxControl checkbox, bool ticked) override
    {
        (checkbox == CheckboxControl::PublicGame ? publicGame : mapListTicked) = ticked;
    }
    void removeAllMapItems() override { maps.clear(); }
    void addMapItems(TextLines added) override { maps.append(added.toStringList()); }
    void enableAddButton() override { addEnabled = true; }
    void enableRemoveButton() override { removeEnabled = true; }
    FlagMove setFlag(std::size_t family, const QString &name) override
    {
        // The families in tab order, by the variables that hold their masks.
        static const char *const variables[] = {"dmflags",       "weaponban",     "kezweaponban",
                                                "kezsweeperban", "kezgrenadeban", "featureban",
                                                "kezfeatureban", "kezarmorban",   "fragban"};
        flagCalls.append(QLatin1String(variables[family]) + u':' + name);
        return family == unreadableFamily ? FlagMove::MaskUnreadable : FlagMove::Moved;
    }
    void setMessageOfTheDay(const QString &text) override { messageOfTheDay = text; }
    void setStatusText(const QString &text) override { statusTexts.append(text); }
    void setKeptLines(const QStringList &lines) override { keptLines = lines; }

    QString text(TextControl control) const { return texts[std::size_t(control)]; }
    int number(SpinnerControl spinner) const { return numbers[std::size_t(spinner)]; }

    std::array<QString, textControlCount> texts;
    std::array<int, spinnerControlCount> numbers{};
    bool publicGame = false;
    bool mapListTicked = false;
    QStringList maps;
    bool addEnabled = false;
    bool removeEnabled = false;
    QStringList flagCalls;
    std::optional<std::size_t> unreadableFamily; // whose set-method finds its mask field unreadable
    QStringList statusTexts;
    QStringList keptLines;
    std::optional<QString> messageOfTheDay; // none until set
};
