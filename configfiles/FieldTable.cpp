// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/FieldTable.h"

namespace FieldTable {

// The tables are in the order of the enumerations: a control is its place.
static_assert([] {
    for (std::size_t i = 0; i < textFields.size(); ++i) {
        if (std::size_t(textFields[i].control) != i)
            return false;
    }
    for (std::size_t i = 0; i < numberFields.size(); ++i) {
        if (std::size_t(numberFields[i].spinner) != i)
            return false;
    }
    return true;
}());

const TextField &textField(TextControl control)
{
    return textFields[std::size_t(control)];
}

const NumberField &numberField(SpinnerControl spinner)
{
    return numberFields[std::size_t(spinner)];
}

} // namespace FieldTable
