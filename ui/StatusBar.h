// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLabel>

// One line of status text in a sunken box; each text replaces the previous one.
class StatusBar : public QLabel
{
    Q_OBJECT

public:
    enum class Bevel { None, Lowered, Raised };

    explicit StatusBar(QWidget *parent = nullptr);

    void setStatusText(const QString &text) { setText(text); }
    QString statusText() const { return text(); }

    // The three style settings of the bar.
    void setBevelStyle(Bevel bevel);
    void setTextAlignment(Qt::Alignment alignment) { setAlignment(alignment); }
    void setInsetWidth(int pixels) { setMargin(pixels); }
};
