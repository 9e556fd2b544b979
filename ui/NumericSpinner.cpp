// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/NumericSpinner.h"

#include <QKeyEvent>

NumericSpinner::NumericSpinner(QWidget *parent) : QSpinBox(parent)
{
    setRange(0, 0);
    setValue(0);
    setAccelerated(true);
}

bool NumericSpinner::event(QEvent *event)
{
    // The spinner's inner line edit would claim the copy key for itself; a
    // spinner is not a text field, so the window's own Ctrl+C keeps working.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        event->ignore();
        return false;
    }
    return QSpinBox::event(event);
}

bool NumericSpinner::setCurrent(int value)
{
    if (value < minimum() || value > maximum())
        return false;
    setValue(value);
    return true;
}
