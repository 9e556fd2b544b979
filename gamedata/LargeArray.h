// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QtGlobal>

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <utility>

namespace LargeMemory {
constexpr size_t hugePageSize = size_t(2) << 20;
// Memory of its own from the system, untouched until used; in huge pages
// where asked and where the system has them. Throws std::bad_alloc.
void *take(size_t bytes, bool hugePages);
void give(void *memory, size_t bytes, bool hugePages);
} // namespace LargeMemory

// An array of a fixed capacity of plain values, for the map names of a game
// folder. Its memory comes from the system, a page at a time as it is
// filled, and where asked in huge pages: on a virtual machine each page
// fault costs about 10 us, so that a million names filled into 4 KiB pages
// cost more than reading them.
template <typename T> class LargeArray
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    LargeArray() = default;
    LargeArray(size_t capacity, bool hugePages)
        : m_data(static_cast<T *>(LargeMemory::take(capacity * sizeof(T), hugePages))), m_capacity(capacity),
          m_hugePages(hugePages)
    {
        // The address sanitizer sees no bounds in memory of the system's:
        // what is not yet in use is marked for it.
        ASAN_POISON_MEMORY_REGION(m_data, m_capacity * sizeof(T));
    }
    ~LargeArray()
    {
        if (m_data) {
            ASAN_UNPOISON_MEMORY_REGION(m_data, m_capacity * sizeof(T));
            LargeMemory::give(m_data, m_capacity * sizeof(T), m_hugePages);
        }
    }
    LargeArray(LargeArray &&other) noexcept
        : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)),
          m_capacity(std::exchange(other.m_capacity, 0)), m_hugePages(other.m_hugePages)
    {}
    LargeArray &operator=(LargeArray &&other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_hugePages, other.m_hugePages);
        return *this;
    }
    LargeArray(const LargeArray &) = delete;
    LargeArray &operator=(const LargeArray &) = delete;

    size_t size() const { return m_size; }
    size_t room() const { return m_capacity - m_size; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T *begin() { return m_data; }
    T *end() { return m_data + m_size; }
    const T *begin() const { return m_data; }
    const T *end() const { return m_data + m_size; }
    T &operator[](size_t i) { return m_data[i]; }
    const T &operator[](size_t i) const { return m_data[i]; }

    // The caller has made sure of the room.
    void push_back(const T &value)
    {
        Q_ASSERT(room() > 0);
        ASAN_UNPOISON_MEMORY_REGION(m_data + m_size, sizeof(T));
        m_data[m_size++] = value;
    }
    template <typename From> void append(const From *first, const From *last)
    {
        Q_ASSERT(size_t(last - first) <= room());
        ASAN_UNPOISON_MEMORY_REGION(m_data + m_size, size_t(last - first) * sizeof(T));
        m_size = size_t(std::copy(first, last, m_data + m_size) - m_data);
    }
    // Every place in use, to be written by the caller.
    void fill()
    {
        ASAN_UNPOISON_MEMORY_REGION(m_data, m_capacity * sizeof(T));
        m_size = m_capacity;
    }

private:
    T *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
    bool m_hugePages = false;
};
