// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QPalette>
#include <QStyle>

// The form's fonts are given in pixels rather than points, so that a caption
// fits its 18- or 24-pixel row whatever the screen's resolution. The fixed
// caption widths were laid out for Arial/Helvetica metrics, so only faces with
// those metrics are named: a desktop's own font would win over fontconfig's
// substitutes and clip the captions.
//
// Given several families, Qt asks fontconfig for every substitute of the first
// as soon as the first is missing, before it tries the others, which costs
// about as much as loading a face; naming only the first installed one gives
// the same face without that.
inline QStringList arialMetricFamilies()
{
    static const QStringList chosen = [] {
        const QStringList wanted{QStringLiteral("Arial"),           QStringLiteral("Helvetica"),
                                 QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                 QStringLiteral("Nimbus Sans"),     QStringLiteral("Nimbus Sans L")};
        const QStringList installed = QFontDatabase::families();
        for (const QString &family : wanted) {
            // A family made by several foundries is listed once for each, as
            // "Family [Foundry]".
            const QString byFoundry = family + QStringLiteral(" [");
            for (const QString &one : installed) {
                if (one.compare(family, Qt::CaseInsensitive) == 0 ||
                    one.startsWith(byFoundry, Qt::CaseInsensitive))
                    return QStringList{family};
            }
        }
        return wanted;
    }();
    return chosen;
}

inline QFont dialogFont(int pixelSize, bool bold)
{
    QFont font = QApplication::font();
    font.setFamilies(arialMetricFamilies());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// The form was designed as dark text on light grey. A complete light palette
// of its own keeps that look under a dark desktop theme, whose colours would
// put white captions on the fixed grey.
inline QPalette formPalette()
{
    QPalette light = QApplication::style()->standardPalette();
    // Setting each colour marks it as the form's own, so that none is
    // filled in from the desktop's palette.
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = QPalette::ColorGroup(group);
            const auto r = QPalette::ColorRole(role);
            light.setBrush(g, r, light.brush(g, r));
        }
    }
    light.setColor(QPalette::Window, QColor(192, 192, 192));
    return light;
}
