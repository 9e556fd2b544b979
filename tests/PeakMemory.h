// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace TestSupport {

// AddressSanitizer's shadow memory and quarantine multiply a process's
// resident size, so bounds on peak memory are checked in a plain build only.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool peakMemoryIsMeaningful = false;
#else
inline constexpr bool peakMemoryIsMeaningful = true;
#endif

} // namespace TestSupport
