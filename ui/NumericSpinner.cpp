#include "ui/NumericSpinner.h"

NumericSpinner::NumericSpinner(QWidget *parent) : QSpinBox(parent)
{
    setRange(0, 0);
    setValue(0);
    setAccelerated(true);
}

bool NumericSpinner::setCurrent(int value)
{
    if (value < minimum() || value > maximum())
        return false;
    setValue(value);
    return true;
}
