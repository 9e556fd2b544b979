#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs a command with DISPLAY set to a private Xvfb server of its own.
exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -nolisten tcp" "$@"
