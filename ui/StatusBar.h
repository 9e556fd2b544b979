// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLabel>

// One line of status text in a sunken box; each text replaces the previous one.
// A screen reader hears the text a command leaves, once: a command that
// passes through several texts without returning to the event loop is one
// change, told when it is done.
class StatusBar : public QLabel
{
    Q_OBJECT

public:
    enum class Bevel { None, Lowered, Raised };

    explicit StatusBar(QWidget *parent = nullptr);

    void setStatusText(const QString &text);
    QString statusText() const { return text(); }

    // The three style settings of the bar.
    void setBevelStyle(Bevel bevel);
    void setTextAlignment(Qt::Alignment alignment) { setAlignment(alignment); }
    void setInsetWidth(int pixels) { setMargin(pixels); }

private:
    void reportChange();

    bool m_reportPending = false;
};
