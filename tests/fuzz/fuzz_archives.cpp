// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer entry point for the directories of the game's archives: each
// input is read as a .pak and as a zip archive.
#include "OpenHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkArchives(data, size);
    return 0;
}
