// SPDX-License-Identifier: GPL-2.0-or-later
#include "gamedata/LargeArray.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace {

size_t roundedUp(size_t bytes, size_t unit)
{
    return (bytes + unit - 1) / unit * unit;
}

} // namespace

namespace LargeMemory {

void *take(size_t bytes, bool hugePages)
{
    if (bytes == 0)
        bytes = 1;
    if (!hugePages) {
        // The C library takes large sizes from the system as they are.
        void *memory = std::malloc(bytes);
        if (!memory)
            throw std::bad_alloc();
        return memory;
    }
    // Huge pages must begin on a boundary of their size: a huge page more is
    // asked for, and what lies outside the boundaries given back.
    const size_t length = roundedUp(bytes, hugePageSize);
    void *mapped =
        ::mmap(nullptr, length + hugePageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    char *const first = static_cast<char *>(mapped);
    char *const aligned = reinterpret_cast<char *>(roundedUp(reinterpret_cast<size_t>(first), hugePageSize));
    if (aligned > first)
        ::munmap(first, size_t(aligned - first));
    if (const size_t after = size_t(first + length + hugePageSize - (aligned + length)))
        ::munmap(aligned + length, after);
    // Only advice: without huge pages the memory is as any other.
    ::madvise(aligned, length, MADV_HUGEPAGE);
    return aligned;
}

void give(void *memory, size_t bytes, bool hugePages)
{
    if (hugePages)
        ::munmap(memory, roundedUp(std::max<size_t>(bytes, 1), hugePageSize));
    else
        std::free(memory);
}

} // namespace LargeMemory
