// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ui/TextLinesModel.h"
#include "ui/UniformListView.h"
#include "ui/ValueNote.h"

#include <functional>
#include <optional>

// A single-selection list of text items, addressed the way the form's commands
// think of it: by index and by text, with -1 as the selected index when nothing
// is selected. Mouse clicks are reported with their click count once the button
// is released, so that a handler can tell a double click from a single one.
// Enter (Return or the keypad's Enter) is reported on its own, so that a form can
// give it the meaning of a double click without mistaking it for the mouse.
// The items live in a TextLinesModel, the list's own or one lent to it, so
// that a list of a million items costs little more than their text.
class ListBox : public UniformListView
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    // Shows and edits items that outlive the list; the model stays its owner's.
    void setItems(TextLinesModel *items);
    const TextLines &lines() const { return m_items->lines(); }
    int count() const { return int(m_items->size()); }

    QString itemText(int index) const;
    QStringList items() const;

    int selectedIndex() const;
    std::optional<QString> selectedItem() const;
    void select(int index);

    void add(const QString &text);
    // Appends every text in order, as one change of the list.
    void add(const QStringList &texts);
    void add(TextLines texts);
    void insert(const QString &text, int index);
    void remove(int index);
    // Removes the first item whose text equals text, letter case included.
    // Returns false, changing nothing, when no item has that text.
    bool remove(const QString &text);
    void removeAll();

    // Gives each item a tooltip made from its text when it is asked for;
    // the tooltip (with the item's note) is also the item's accessible
    // description, so that a screen reader says what a pointer shows.
    void setItemToolTips(std::function<QString(const QString &itemText)> toolTipOf);
    QString itemToolTip(int index) const;

    // Marks each item with what noteOf says of its text: amber text for a
    // warning, red for an error, and the note in its tooltip. Asked only for
    // the items being drawn or pointed at, so a long list costs nothing more;
    // refreshNotes() asks again, for when what they depend on has changed.
    using NoteOf = std::function<std::optional<ValueNote>(QStringView itemText)>;
    void setItemNotes(NoteOf noteOf);
    std::optional<ValueNote> itemNote(int index) const;
    void refreshNotes();

signals:
    void mouseClicked(int clickCount);
    void enterPressed();

protected:
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;

private:
    void describeItems();
    void countPress(const QMouseEvent *event, bool toolkitDoubleClick);
    bool onItem(const QMouseEvent *event) const;

    TextLinesModel *m_items;
    std::function<QString(const QString &)> m_toolTipOf;
    NoteOf m_noteOf;
    QMetaObject::Connection m_removalWatch;
    QMetaObject::Connection m_lenderWatch;
    bool m_selectedItemRemoved = false;
    int m_clickCount = 0;
    bool m_pressed = false;
    quint64 m_lastPressTimestamp = 0;
    QPoint m_lastPressPosition;
};
