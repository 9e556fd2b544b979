// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "text/InputBounds.h"

#include <QString>

class ConfigurationForm;

// How a File / Open came to its end.
struct ConfigurationReadResult
{
    enum class Outcome {
        Done,              // every line of server.cfg was applied
        ServerCfgNotFound, // server.cfg could not be opened; nothing changed
        ReadFailed,        // a file was opened but could not be read
        StoppedAtLine,     // a bad value or a short line ended the command
    };
    Outcome outcome;
    int lineNumber = 0; // the line of server.cfg where it stopped, from 1
    // Why it did not read to the end: for a stop at a line, what is wrong with
    // the line ("holds no decimal integer"); otherwise the diagnostic line.
    QString reason = {};
    QString diagnostic = {}; // the line written to the error stream about it, if any
};

using InputBounds::mapListSizeLimit;
using InputBounds::motdSizeLimit;
using InputBounds::serverCfgSizeLimit;

// File / Open: reads server.cfg, motd.txt and, at each of server.cfg's
// map-list lines, maplist.txt from the working directory and lays what it
// recognises over the form as it stands. Nothing is reset first: a control
// whose line is missing keeps its contents, flags already set stay set, and
// without a motd.txt the message of the day stays as it is.
ConfigurationReadResult readConfiguration(ConfigurationForm &form);
