// SPDX-License-Identifier: GPL-2.0-or-later
#include "high/high.h"
