// SPDX-License-Identifier: GPL-2.0-or-later
// Every flag family behaves the same through FlagFamily; only DMFLAGS also
// switches the award and day-night spinners.
#include "app/ServerConfiguration.h"

void ServerConfiguration::switchDMFLAGSpinners(const QString &flagName, bool set)
{
    if (flagName.compare(QStringLiteral("DF_REVENGE_FACTOR"), Qt::CaseInsensitive) == 0) {
        revengeAwardSpinner->setEnabled(set);
        highFraggerAwardSpinner->setEnabled(set);
    } else if (flagName.compare(QStringLiteral("DF_DAYNIGHT"), Qt::CaseInsensitive) == 0) {
        dayNightTimeSpinner->setEnabled(set);
    }
}
