// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer entry point for the plain reading of an apply input's rotation.
#include "OpenHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkPlainRotation(data, size);
    checkApplyInput(data, size);
    return 0;
}
