// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyle>

// The form's fonts are given in pixels rather than points, so that a caption
// fits its 18- or 24-pixel row whatever the screen's resolution. The fixed
// caption widths were laid out for Arial/Helvetica metrics, so only faces with
// those metrics are named: a desktop's own font would win over fontconfig's
// substitutes and clip the captions.
inline QFont dialogFont(int pixelSize, bool bold)
{
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Helvetica"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Nimbus Sans L")});
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
