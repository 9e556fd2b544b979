// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/ConfigurationForm.h"
#include "flags/FlagSelection.h"

#include <vector>

// The form as plain data, in the state the window starts in, for programs
// without a display: File / Open lays a configuration over it exactly as it
// does over the window.
class ServerForm final : public ConfigurationForm
{
public:
    ServerForm();

    void setText(TextControl control, const QString &text) override { values.text(control) = text; }
    void setNumber(SpinnerControl spinner, int value) override { values.number(spinner) = value; }
    void setChecked(CheckboxControl checkbox, bool ticked) override;
    void removeAllMapItems() override { values.maps.clear(); }
    void addMapItems(TextLines maps) override { values.maps.append(std::move(maps)); }
    bool wantsMapItems() const override { return mapItemsWanted; }
    void enableAddButton() override {}
    void enableRemoveButton() override {}
    FlagMove setFlag(std::size_t family, const QString &name) override;
    void setMessageOfTheDay(const QString &text) override
    {
        values.messageOfTheDay = text;
        messageOfTheDayRead = true;
    }
    void setStatusText(const QString &text) override { statusText = text; }
    void setKeptLines(const QStringList &lines) override { values.keptLines = lines; }

    // The values as File / Save would write them; each mask is its family's.
    ServerSettings values;
    std::vector<FlagSelection> families; // in tab order
    QString statusText;
    bool mapItemsWanted = true;
    bool messageOfTheDayRead = false; // whether File / Open found a motd.txt to read
};
