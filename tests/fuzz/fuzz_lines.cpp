// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer entry point for the line rules of server.cfg alone.
#include "OpenHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkLineRules(data, size);
    return 0;
}
