// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer entry point for File / Open.
#include "OpenHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    openAndCheck(data, size);
    return 0;
}
