// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// What a move between the two lists of a flag family came to.
enum class FlagMove {
    Unchanged,      // no such flag, no selection, or not where the move starts
    Moved,          // lists and mask field both changed
    MaskUnreadable, // the flag moved, but the mask field held no decimal integer text
};
