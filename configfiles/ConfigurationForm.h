// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/FormFields.h"
#include "flags/FlagMove.h"
#include "text/TextLines.h"

#include <QStringList>

// The form as File / Open sets it: values by control, the map rotation, the
// flag families and the status line. The main window lends its controls to
// this; kezcfg and tests can stand in plain objects.
class ConfigurationForm
{
public:
    virtual ~ConfigurationForm() = default;

    virtual void setText(TextControl control, const QString &text) = 0;
    // value lies between spinnerMinimum and spinnerMaximum; the enabled state stays.
    virtual void setNumber(SpinnerControl spinner, int value) = 0;
    // Runs none of the checkbox's own commands.
    virtual void setChecked(CheckboxControl checkbox, bool ticked) = 0;

    virtual void removeAllMapItems() = 0;
    // Appends the maps, in order, after the current items.
    virtual void addMapItems(TextLines maps) = 0;
    // A form whose rotation is about to be replaced whole has no use for the
    // maps of maplist.txt. The file is still looked at, so that Open stops
    // where it would have stopped.
    virtual bool wantsMapItems() const { return true; }
    virtual void enableAddButton() = 0;
    virtual void enableRemoveButton() = 0;

    // The family's set-method: moves the flag called name into the banned
    // list and adds its value to the mask field.
    virtual FlagMove setFlag(std::size_t family, const QString &name) = 0;

    // The message of the day, as motd.txt holds it before its banner.
    virtual void setMessageOfTheDay(const QString &text) = 0;

    virtual void setStatusText(const QString &text) = 0;

    // The lines of server.cfg that the form does not own, for the next Save
    // to keep; they replace those of an earlier Open.
    virtual void setKeptLines(const QStringList &lines) = 0;
};
