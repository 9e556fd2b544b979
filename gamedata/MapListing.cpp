// SPDX-License-Identifier: GPL-2.0-or-later
// Every map the server can load, each once, in order by name.
#include "gamedata/GameFolders.h"

#include "gamedata/LargeArray.h"
#include "gamedata/MapNames.h"
#include "gamedata/SearchOrder.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

using MapNames::compareLowerCase;

QString GameFolders::sourceOf(qsizetype map) const
{
    const Source &source = m_sources[m_names.entry(map).source];
    if (source.kind != SourceKind::Loose)
        return source.shownAs;
    return SearchOrder::joined(source.shownAs, QStringLiteral("maps/%1.bsp").arg(m_names.name(map)));
}

namespace {

struct Sorted
{
    quint64 prefix;
    quint32 map;
};

// Room for the listing's sort, one item a map: in huge pages from a
// mebibyte on, as the names are.
LargeArray<Sorted> sortRoom(size_t size)
{
    LargeArray<Sorted> room(size, size * sizeof(Sorted) >= (size_t(1) << 20));
    room.fill();
    return room;
}

// Sorts by prefix and keeps the order of equal ones: a digit of eleven bits
// at a time, least significant first, each a count and a move of every
// item, so that a million names take a few passes over memory rather than
// twenty million comparisons. A digit that every key shares is skipped.
void sortByPrefix(LargeArray<Sorted> &items)
{
    if (items.size() < 64) {
        std::stable_sort(items.begin(), items.end(),
                         [](const Sorted &a, const Sorted &b) { return a.prefix < b.prefix; });
        return;
    }
    constexpr int digitBits = 11;
    constexpr size_t digits = size_t(1) << digitBits;
    LargeArray<Sorted> moved = sortRoom(items.size());
    std::vector<size_t> starts(digits);
    for (int shift = 0; shift < 64; shift += digitBits) {
        std::fill(starts.begin(), starts.end(), 0);
        for (const Sorted &item : items)
            ++starts[(item.prefix >> shift) & (digits - 1)];
        if (std::find(starts.cbegin(), starts.cend(), items.size()) != starts.cend())
            continue;
        size_t start = 0;
        for (size_t &count : starts)
            start += std::exchange(count, start);
        for (const Sorted &item : items)
            moved[starts[(item.prefix >> shift) & (digits - 1)]++] = item;
        std::swap(items, moved);
    }
}

} // namespace

void GameFolders::forEachMap(const std::function<void(QStringView name, QStringView source)> &visit) const
{
    // A loose file is found by its exact name, so "Dm" and "dm" are two maps;
    // an archived map is one whatever its letter case (the first archive
    // read gives it), and none where a loose file has its name in any case.
    // Sorted by the name in lower case, then loose before archived, then by
    // the name itself, then in the order read, which leaves each run of one
    // name in lower case with what to list at its front. The block is read
    // in order here, and no table is made.
    //
    // Each map goes with its first eight characters in lower case as one
    // number, which settles most of the order; a character past Latin-1 ends
    // the number there, and the runs of equal numbers are then sorted by
    // their whole names.
    LargeArray<Sorted> sorted = sortRoom(size_t(m_names.size()));
    for (qsizetype map = 0; map < m_names.size(); ++map) {
        const QStringView name = m_names.name(map);
        quint64 prefix = 0;
        for (qsizetype i = 0; i < 8; ++i) {
            const char16_t c = i < name.size() ? MapNames::foldAscii(name[i].unicode()) : 0;
            prefix = (prefix << 8) | qMin<char16_t>(c, 255);
            if (c >= 255) {
                prefix <<= 8 * (7 - i);
                break;
            }
        }
        sorted[size_t(map)] = {prefix, quint32(map)};
    }
    sortByPrefix(sorted);
    const auto units = [](QStringView text) {
        return std::u16string_view(text.utf16(), size_t(text.size()));
    };
    const auto byWholeName = [&](const Sorted &a, const Sorted &b) {
        const QStringView x = m_names.name(a.map);
        const QStringView y = m_names.name(b.map);
        if (const int order = compareLowerCase(x, y))
            return order < 0;
        const bool looseA = isLoose(a.map);
        if (looseA != isLoose(b.map))
            return looseA;
        if (const int order = units(x).compare(units(y)))
            return order < 0;
        return a.map < b.map;
    };
    for (auto run = sorted.begin(); run != sorted.end();) {
        const auto end = std::find_if(run + 1, sorted.end(),
                                      [&run](const Sorted &item) { return item.prefix != run->prefix; });
        if (end - run > 1)
            std::sort(run, end, byWholeName);
        run = end;
    }

    for (size_t run = 0; run < sorted.size();) {
        // The run of one name in lower case.
        const QStringView key = m_names.name(sorted[run].map);
        size_t end = run + 1;
        while (end < sorted.size() && sorted[end].prefix == sorted[run].prefix &&
               compareLowerCase(m_names.name(sorted[end].map), key) == 0)
            ++end;
        if (isLoose(sorted[run].map)) {
            // Each exact name once, from the folder searched first.
            for (size_t i = run; i < end && isLoose(sorted[i].map); ++i) {
                if (i == run || units(m_names.name(sorted[i - 1].map)) != units(m_names.name(sorted[i].map)))
                    visit(m_names.name(sorted[i].map), sourceOf(sorted[i].map));
            }
        } else {
            const auto first =
                std::min_element(sorted.begin() + run, sorted.begin() + end,
                                 [](const Sorted &a, const Sorted &b) { return a.map < b.map; });
            visit(m_names.name(first->map), sourceOf(first->map));
        }
        run = end;
    }
}

qsizetype GameFolders::longestMapName() const
{
    qsizetype longest = 0;
    for (qsizetype i = 0; i < m_names.size(); ++i)
        longest = qMax(longest, qsizetype(m_names.entry(i).size));
    return longest;
}

QList<GameFolders::Map> GameFolders::maps() const
{
    QList<Map> maps;
    forEachMap([&maps](QStringView name, QStringView source) {
        maps.append({name.toString(), source.toString()});
    });
    return maps;
}
