// SPDX-License-Identifier: GPL-2.0-or-later
int low()
{
    return 0;
}
