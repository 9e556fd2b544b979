// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "configfiles/FormFields.h"

#include <functional>

// File / Save: writes server.cfg, motd.txt and, with the map list ticked,
// maplist.txt into the working directory, reporting each stage through
// setStatusText. A file that cannot be written stops the save at its stage:
// that file and the later ones are left as they were, and the status line
// keeps the last stage reached.
struct ConfigurationWriteResult
{
    bool complete;      // every file was written completely
    QString diagnostic; // otherwise the line written to the error stream about it
};
ConfigurationWriteResult writeConfigurationSet(const ServerSettings &settings,
                                               const std::function<void(const QString &)> &setStatusText);
