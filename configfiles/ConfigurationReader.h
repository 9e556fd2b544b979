#pragma once

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
};

// File / Open: reads server.cfg and, at each of its map-list lines,
// maplist.txt from the working directory and lays what it recognises over
// the form as it stands. Nothing is reset first: a control whose line is
// missing keeps its contents, and flags already set stay set.
ConfigurationReadResult readConfiguration(ConfigurationForm &form);
