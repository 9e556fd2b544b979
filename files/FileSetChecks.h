// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/DescriptorIo.h"
#include "files/FileSetWriter.h"
#include "files/UniqueFd.h"
#include "files/WriteTarget.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/stat.h>

// One file of the set on its way.
struct SetEntry
{
    const FileToWrite *file = nullptr;
    WriteTarget target;
    bool inPlace = false;
    QByteArray temporary; // replace: beside the file; in place: a copy in the working folder
    UniqueFd temporaryFd;
    UniqueFd fileFd; // in place: the file itself
    std::optional<QByteArray> previous;
    std::optional<struct stat> ownership; // of the file named by ownershipOf
};

// The checks that can be made before anything is written, from the working
// folder working: what the name leads to, whether it may be written, and
// how (entry.inPlace). Why not, in plain words, where it may not.
std::optional<QString> checkEntry(SetEntry &entry, int working, const FileId &workingId);
