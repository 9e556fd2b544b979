// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "files/DescriptorIo.h"
#include "files/LinkRule.h"
#include "files/SystemErrors.h"
#include "files/UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <variant>
#include <vector>

// Where a write of a name lands: the folder that holds the regular file the
// name leads to, held open so that no folder renamed on the way later can
// send the write elsewhere, and the file's name in that folder.
struct WriteTarget
{
    UniqueFd folder;
    QByteArray folderPath; // as reached from the working folder: "." or a path
    QByteArray base;
    std::optional<struct stat> existing; // none when the file is still to be made
    FileId folderId;
};

// Follows name, from the folder workingFolder, to the file that writing it
// would change, one link at a time under the link rule (LinkRule.h), which
// trusts only the writer's own links as they stand. What is not a regular
// file, and any link the rule refuses, is refused with a sentence that says
// why (naming the link, its owner and what it leads to).
//
// For reading, the same links are followed and refused, and a file that is
// not a regular one is given back for the reader to judge.
enum class TargetUse { Writing, Reading };
std::variant<WriteTarget, QString> resolveWriteTarget(const QByteArray &name, int workingFolder,
                                                      TargetUse use = TargetUse::Writing);

// What a file that is not a regular one is: "a FIFO", "a folder", "a device" ...
QString kindOfFile(mode_t mode);

// A game folder opened from "/", one name at a time, each on the folder
// held before it, so that no name swapped along the way can lead the opening
// elsewhere. A link on the way is followed one step at a time under the
// link rule, which trusts the opener's own links and root's, and a step from a
// folder of a user other than root and the opener into one of a third user
// is refused: that user could have put it there. folder is -1 when the
// folder was not opened: error holds the system's reason, or refusal says
// why the way there is not followed, naming the link, its owner and where
// it leads.
struct FolderOpening
{
    UniqueFd folder;
    int error = 0;
    QString refusal;
};
FolderOpening openFolderFromRoot(const QByteArray &absolutePath);
// The same walk from the folder start (from "/" for an absolute path);
// judgeSteps adds the rule on steps between folders of different users to
// the rule on links.
FolderOpening openFolderStepwise(int start, const QByteArray &path, bool judgeSteps);

// The working folder as the operator reached it: the shell's logical path
// when it still names the working folder, else the physical one.
QByteArray workingFolderPath();
