#pragma once

#include <cstddef>
#include <cstdint>

// Runs File / Open on a main window in its start-up state, with server.cfg
// and maplist.txt made from one input: the bytes before the first NUL byte
// are server.cfg, the bytes after it maplist.txt (no NUL: no maplist.txt).
// Aborts when the form breaks one of its invariants afterwards.
void openAndCheck(const uint8_t *data, size_t size);
