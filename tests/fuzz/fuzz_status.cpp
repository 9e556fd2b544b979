// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer entry point for a game server's answer to the status query.
#include "OpenHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkStatusAnswer(data, size);
    return 0;
}
