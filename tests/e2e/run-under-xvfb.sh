#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server of its own.
exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -nolisten tcp" "$@"
