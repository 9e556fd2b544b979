// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The one of candidates nearest to given in spelling, when near enough to be
// what was meant.
std::optional<QString> nearestOf(const QString &given, const QStringList &candidates);
// "; did you mean NAME?" with the nearest of candidates, or nothing when none is near.
QString didYouMean(const QString &given, const QStringList &candidates);
