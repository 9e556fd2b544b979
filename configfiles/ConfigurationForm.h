#pragma once

#include "configfiles/FormFields.h"
#include "flags/FlagFamily.h"

#include <QStringList>

// The form as the writer and the reader see it: values by control, the map
// rotation, the flag families and the status line. The main window adapts
// its controls to this; tests can stand in a plain object.
class ConfigurationForm
{
public:
    virtual ~ConfigurationForm() = default;

    virtual QString text(TextControl control) const = 0;
    virtual void setText(TextControl control, const QString &text) = 0;

    virtual int number(SpinnerControl spinner) const = 0;
    virtual int minimum(SpinnerControl spinner) const = 0;
    virtual int maximum(SpinnerControl spinner) const = 0;
    // value lies between minimum and maximum; the enabled state stays.
    virtual void setNumber(SpinnerControl spinner, int value) = 0;

    virtual bool isChecked(CheckboxControl checkbox) const = 0;
    // Runs none of the checkbox's own commands.
    virtual void setChecked(CheckboxControl checkbox, bool ticked) = 0;

    virtual QString messageOfTheDay() const = 0;

    virtual QStringList mapItems() const = 0;
    virtual void removeAllMapItems() = 0;
    // Appends the maps, in order, after the current items.
    virtual void addMapItems(const QStringList &maps) = 0;
    virtual void enableAddButton() = 0;
    virtual void enableRemoveButton() = 0;

    virtual QString maskText(FlagFamilyId family) const = 0;
    virtual const FlagCatalogue &catalogue(FlagFamilyId family) const = 0;
    // The family's set-method: moves the flag called name into the banned
    // list and adds its value to the mask field.
    virtual FlagMove setFlag(FlagFamilyId family, const QString &name) = 0;

    virtual void setStatusText(const QString &text) = 0;
};
