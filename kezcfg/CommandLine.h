// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/FolderLock.h"

#include <QStringList>
#include <chrono>
#include <optional>
#include <variant>

// What each command is asked to do, read from its command line once: the
// commands take these and never look at an argument themselves.
struct FlagsOptions
{
    std::optional<QString> family; // none: every family
};
struct DecodeOptions
{
    QString family;
    QString mask;
};
struct EncodeOptions
{
    QString family;
    QStringList flags;
};
struct ShowOptions
{
    bool json = false;
    QString folder;
};
struct CheckOptions
{
    QString folder;
};
struct MapsOptions
{
    bool json = false;
    QString folder;
};
struct ApplyOptions
{
    bool check = false;
    bool force = false;
    std::chrono::milliseconds wait = FolderLock::defaultWait; // for another writer of the folder
    QString folder;
    QString input; // a file, or "-" for standard input
};
struct StatusOptions
{
    bool json = false;
    bool rcon = false;
    bool remote = false;
    double timeout = 2.0; // seconds
    QString against;      // empty: compared with no folder
    QStringList targets;  // HOST[:PORT] each
};
struct ReloadOptions
{
    bool check = false;
    bool remote = false;
    double timeout = 5.0; // seconds
    QString folder;
    QStringList targets;
};
struct RestoreOptions
{
    bool check = false;
    QString folder;
};

// The command line asks for the usage text or the version.
struct UsageWanted
{};
struct VersionWanted
{};
// The command line was refused, with a message on standard error; the exit
// status.
struct Refused
{
    int status;
};

using CommandLine =
    std::variant<Refused, UsageWanted, VersionWanted, FlagsOptions, DecodeOptions, EncodeOptions, ShowOptions,
                 CheckOptions, MapsOptions, ApplyOptions, StatusOptions, ReloadOptions, RestoreOptions>;

// Reads kezcfg's arguments (those after the program's name). An option a
// command does not know is named, never taken for a folder or a name; the
// nearest one it knows is offered.
CommandLine readCommandLine(QStringList arguments);
