#pragma once

#include <QApplication>
#include <QFont>

// The form's fonts are given in pixels rather than points, so that a caption
// fits its 18- or 24-pixel row whatever the screen's resolution. The fixed
// caption widths were laid out for Arial/Helvetica metrics; fontconfig maps
// these names to Liberation Sans or Nimbus Sans, and wider faces would clip.
inline QFont dialogFont(int pixelSize, bool bold)
{
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Helvetica"), font.family()});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}
