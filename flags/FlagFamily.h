// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "flags/FlagSelection.h"
#include "ui/TextLinesModel.h"

#include <functional>

class ListBox;
class TextField;

// One flag family on the form: its selection shown as an available list, a
// banned (for DMFLAGS, set) list and a mask field. The selection makes every
// move; the family shows it. All nine families share this behaviour.
//
// The two lists' items live here from the start; the list widgets that show
// them are made with their page, when it is first shown, and attached then.
// Until that, the family changes by its set-method and File / New and Open
// alone, and reaching for a list first builds its page.
class FlagFamily
{
public:
    // Called after a flag has moved and the mask was updated, with the flag's
    // name and whether it is now in the banned list.
    using MoveHook = std::function<void(const QString &flagName, bool banned)>;

    FlagFamily(const FlagTable &table, TextField *maskField);
    FlagFamily(const FlagFamily &) = delete;
    FlagFamily &operator=(const FlagFamily &) = delete;

    void setMoveHook(MoveHook hook) { m_moveHook = std::move(hook); }
    // Builds the family's page; it attaches the lists.
    void setPageBuilder(std::function<void()> buildPage) { m_buildPage = std::move(buildPage); }
    void attachLists(ListBox *available, ListBox *banned);
    bool hasLists() const { return m_available != nullptr; }

    // Builds the catalogue anew and resets the lists and the mask field.
    void build();

    // Moves the flag called name (letter for letter an available item, and a
    // catalogue name ignoring letter case) to the end of the banned list and
    // adds its value to the mask.
    FlagMove set(const QString &name);

    // The double-click handlers of the two lists; only a click count of
    // exactly 2 acts, on the selected item.
    FlagMove availableListClicked(int clickCount);
    FlagMove bannedListClicked(int clickCount);

    const FlagCatalogue &catalogue() const { return m_selection.catalogue(); }
    QString caption() const { return QString::fromUtf16(m_table.caption); }
    ListBox *availableList() const;
    ListBox *bannedList() const;
    const TextLines &availableItems() const { return m_selection.available().lines(); }
    const TextLines &bannedItems() const { return m_selection.banned().lines(); }
    TextField *maskField() const { return m_maskField; }

private:
    // Shows the mask after a move, or says why it could not change.
    FlagMove showMove(FlagMove move, const QString &flagName, bool banned);
    static void selectInPlaceOf(ListBox *list, int row, FlagMove move);
    // A mask the game would read as another one gets a tooltip naming the
    // flags that the game would see.
    void explainMask(qint32 mask);

    QString toolTipOf(const QString &name) const;
    void ensureLists() const;

    const FlagTable &m_table;
    BasicFlagSelection<TextLinesModel> m_selection;
    ListBox *m_available = nullptr;
    ListBox *m_banned = nullptr;
    TextField *m_maskField;
    std::function<void()> m_buildPage;
    MoveHook m_moveHook;
};
