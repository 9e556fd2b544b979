// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QSpinBox>

// An integer spinner with arrows, a lower bound of 0 and an upper bound set by
// the form. A value outside the bounds is refused, not clamped, so that the
// caller decides what to do with it.
class NumericSpinner : public QSpinBox
{
    Q_OBJECT

public:
    explicit NumericSpinner(QWidget *parent = nullptr);

    void setMax(int upperBound) { setMaximum(upperBound); }
    // Returns false, changing nothing, when value is outside the bounds.
    bool setCurrent(int value);
    int current() const { return value(); }
    QString currentText() const { return QString::number(value()); }

protected:
    bool event(QEvent *event) override;
};
