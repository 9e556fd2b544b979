// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// One named bit of a flag family's mask.
class QuakeFlag
{
public:
    QuakeFlag(const QString &name, qint32 value) : flagName(name), flagValue(value) {}

    QString getFlagName() const { return flagName; }
    qint32 getFlagValue() const { return flagValue; }
    QString toString() const;

private:
    QString flagName;
    qint32 flagValue;
};
