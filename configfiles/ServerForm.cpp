// SPDX-License-Identifier: GPL-2.0-or-later
#include "configfiles/ServerForm.h"

ServerForm::ServerForm()
{
    families.reserve(familyCount);
    for (const FlagTable *table : FlagTables::families)
        families.emplace_back(*table);
    values.masks.fill(QStringLiteral("0"));
}

void ServerForm::setChecked(CheckboxControl checkbox, bool ticked)
{
    (checkbox == CheckboxControl::PublicGame ? values.publicGame : values.mapList) = ticked;
}

FlagMove ServerForm::setFlag(std::size_t family, const QString &name)
{
    const FlagMove move = families[family].set(name);
    values.masks[family] = families[family].maskText();
    return move;
}
