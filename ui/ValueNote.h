// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// What a check says of a value the operator may keep, such as a map the game
// server cannot find: the control marks the value and shows the text as its
// tooltip.
struct ValueNote
{
    enum class Level { Warning, Error };
    Level level;
    QString text;
};
