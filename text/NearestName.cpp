// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/NearestName.h"

#include <QList>
#include <algorithm>

std::optional<QString> nearestOf(const QString &given, const QStringList &candidates)
{
    // Edit distance: letters left out, added, changed or swapped count one each.
    const auto distance = [](QStringView a, QStringView b) {
        QList<qsizetype> previous(b.size() + 1), current(b.size() + 1), before(b.size() + 1);
        for (qsizetype j = 0; j <= b.size(); ++j)
            current[j] = j;
        for (qsizetype i = 1; i <= a.size(); ++i) {
            before = previous;
            previous = current;
            current[0] = i;
            for (qsizetype j = 1; j <= b.size(); ++j) {
                const qsizetype change = a[i - 1].toLower() == b[j - 1].toLower() ? 0 : 1;
                current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
                if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                    current[j] = std::min(current[j], before[j - 2] + 1);
            }
        }
        return current[b.size()];
    };
    std::optional<QString> nearest;
    qsizetype best = 0;
    for (const QString &candidate : candidates) {
        const qsizetype d = distance(given, candidate);
        if (!nearest || d < best) {
            nearest = candidate;
            best = d;
        }
    }
    // Beyond a third of the word it is no longer a slip of the finger.
    if (!nearest || best > std::max<qsizetype>(2, nearest->size() / 3))
        return std::nullopt;
    return nearest;
}

QString didYouMean(const QString &given, const QStringList &candidates)
{
    const std::optional<QString> nearest = nearestOf(given, candidates);
    return nearest ? QStringLiteral("; did you mean %1?").arg(*nearest) : QString();
}
