#pragma once

#include "configfiles/FormFields.h"

#include <functional>

// File / Save: writes server.cfg, motd.txt and, with the map list ticked,
// maplist.txt into the working directory, reporting each stage through
// setStatusText. A file that cannot be written stops the save at its stage:
// that file and the later ones are left as they were, and the status line
// keeps the last stage reached. Returns true when every file was written
// completely.
bool writeConfigurationSet(const ServerSettings &settings,
                           const std::function<void(const QString &)> &setStatusText);
