// SPDX-License-Identifier: GPL-2.0-or-later
// The map-rotation editor of ServerConfiguration. The rotation is the items
// of mapList and nothing else.
#include "app/ServerConfiguration.h"

#include "configfiles/ConsoleRules.h"

void ServerConfiguration::mapListCheckbox_ItemStateChanged()
{
    const bool ticked = mapListCheckbox->isChecked();
    mapList->setEnabled(ticked);
    addButton->setEnabled(ticked);
    removeButton->setEnabled(ticked);
}

void ServerConfiguration::addButton_ActionPerformed()
{
    if (mapField->text().isEmpty()) {
        addButton_ActionPerformed_Interaction1();
    } else {
        mapList->add(mapField->text());
        mapField->setText(QString());
    }
    removeButton->setEnabled(true);
}

void ServerConfiguration::addButton_ActionPerformed_Interaction1()
{
    const std::optional<QString> fileName = OpenFileDialog->chooseFileName();
    if (!fileName || fileName->size() < 4)
        return;
    // Three letters are compared but four characters cut, so that the full
    // stop before "bsp" goes too. A name the console would not read as one
    // word is refused as the map field refuses it.
    if (!fileName->endsWith(QStringLiteral("bsp"), Qt::CaseInsensitive))
        return;
    const QString map = fileName->chopped(4);
    if (!ConsoleRules::breach(ConsoleRules::ValueKind::Unquoted, map))
        mapList->add(map);
}

void ServerConfiguration::removeButton_ActionPerformed()
{
    const int selected = mapList->selectedIndex();
    if (selected >= 0)
        mapList->remove(selected);
}

void ServerConfiguration::mapDirectionButtonUp_actionPerformed()
{
    const int selected = mapList->selectedIndex();
    if (selected < 0)
        return;
    const QString map = mapList->itemText(selected);
    mapList->remove(selected);
    const int target = std::max(selected - 1, 0);
    mapList->insert(map, target);
    mapList->select(target);
}

void ServerConfiguration::mapDirectionButtonDown_actionPerformed()
{
    const int selected = mapList->selectedIndex();
    if (selected < 0)
        return;
    const QString map = mapList->itemText(selected);
    mapList->remove(selected);
    if (mapList->count() > selected + 1) {
        mapList->insert(map, selected + 1);
        mapList->select(selected + 1);
    } else {
        mapList->add(map);
        mapList->select(mapList->count() - 1);
    }
}
