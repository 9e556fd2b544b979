// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/ListBox.h"

#include "ui/AdjustedAccessible.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleHints>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {

// Draws an item in the colour of its note.
class NoteDelegate : public QStyledItemDelegate
{
public:
    NoteDelegate(ListBox *list, const ListBox::NoteOf &noteOf) : QStyledItemDelegate(list), m_noteOf(noteOf)
    {}

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const std::optional<ValueNote> note = m_noteOf(option->text);
        if (!note)
            return;
        const QColor colour = note->level == ValueNote::Level::Error ? QColor(192, 0, 0) : QColor(176, 96, 0);
        option->palette.setColor(QPalette::Text, colour);
        option->palette.setColor(QPalette::HighlightedText, option->palette.color(QPalette::Base));
        option->palette.setColor(QPalette::Highlight, colour);
    }

private:
    const ListBox::NoteOf &m_noteOf;
};

// A list is named by its caption, and Qt's list says so only from the
// caption's side; here the list names its caption too, as Qt's other
// controls do, so that a screen reader finds either from the other.
class CaptionedListAccessible : public AdjustedAccessible
{
public:
    using AdjustedAccessible::AdjustedAccessible;

    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto found = AdjustedAccessible::relations(match);
        const auto *list = static_cast<const QWidget *>(object());
        if (!(match & QAccessible::Label) || !list || !list->parentWidget())
            return found;
        for (QLabel *caption : list->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
            if (caption->buddy() == list) {
                if (QAccessibleInterface *captionInterface = QAccessible::queryAccessibleInterface(caption))
                    found.append({captionInterface, QAccessible::Label});
            }
        }
        return found;
    }
};

QAccessibleInterface *listBoxAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("ListBox") || !object)
        return nullptr;
    QAccessibleInterface *qts = AdjustedAccessible::qtInterfaceOf(object);
    return qts ? new CaptionedListAccessible(qts) : nullptr;
}

} // namespace

ListBox::ListBox(QWidget *parent) : UniformListView(parent), m_items(new TextLinesModel(this))
{
    static const bool accessible = (QAccessible::installFactory(listBoxAccessible), true);
    Q_UNUSED(accessible);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItems(m_items);
}

void ListBox::setItems(TextLinesModel *items)
{
    disconnect(m_removalWatch);
    disconnect(m_lenderWatch);
    TextLinesModel *previous = std::exchange(m_items, items);
    setModel(items);
    if (previous && previous != items && previous->parent() == this)
        delete previous;
    else if (previous && previous != items)
        previous->setDescriptions({});
    describeItems();
    // A lent model may go before the list does; the list is then empty.
    if (items->parent() != this) {
        m_lenderWatch = connect(items, &QObject::destroyed, this, [this] {
            m_items = nullptr;
            setItems(new TextLinesModel(this));
        });
    }
    // Runs after the view's own handling, which has moved the selection.
    m_removalWatch = connect(items, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (std::exchange(m_selectedItemRemoved, false))
            clearSelection();
    });
}

void ListBox::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    const int selected = selectedIndex();
    // The view would otherwise carry the selection over to a neighbour, and a
    // following remove or move would then act on an item the operator never chose.
    m_selectedItemRemoved = selected >= start && selected <= end;
    UniformListView::rowsAboutToBeRemoved(parent, start, end);
}

QString ListBox::itemText(int index) const
{
    return m_items->at(index);
}

QStringList ListBox::items() const
{
    return m_items->lines().toStringList();
}

int ListBox::selectedIndex() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

std::optional<QString> ListBox::selectedItem() const
{
    const int index = selectedIndex();
    if (index < 0)
        return std::nullopt;
    return itemText(index);
}

void ListBox::select(int index)
{
    if (index < 0 || index >= count())
        return;
    selectionModel()->setCurrentIndex(m_items->index(index), QItemSelectionModel::ClearAndSelect);
}

void ListBox::add(const QString &text)
{
    m_items->append(text);
}

void ListBox::add(const QStringList &texts)
{
    m_items->append(TextLines(texts));
}

void ListBox::add(TextLines texts)
{
    m_items->append(std::move(texts));
}

void ListBox::insert(const QString &text, int index)
{
    m_items->insert(index, text);
}

void ListBox::remove(int index)
{
    m_items->removeAt(index);
}

bool ListBox::remove(const QString &text)
{
    return m_items->removeFirst(text);
}

void ListBox::removeAll()
{
    m_items->clear();
}

void ListBox::countPress(const QMouseEvent *event, bool toolkitDoubleClick)
{
    // Qt only knows single and double clicks; further clicks of the same burst
    // are counted here so that a triple click is not taken for a new single one.
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const bool sameBurst = m_clickCount >= 2 &&
                           event->timestamp() - m_lastPressTimestamp <= quint64(interval) &&
                           (event->position().toPoint() - m_lastPressPosition).manhattanLength() <=
                               QApplication::startDragDistance();
    if (toolkitDoubleClick)
        m_clickCount = std::max(m_clickCount + 1, 2);
    else
        m_clickCount = sameBurst ? m_clickCount + 1 : 1;
    m_lastPressTimestamp = event->timestamp();
    m_lastPressPosition = event->position().toPoint();
    m_pressed = true;
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        UniformListView::keyPressEvent(event);
        return;
    }
    // The view would emit activated and pass Enter on to the window; here Enter
    // belongs to the list alone.
    event->accept();
    emit enterPressed();
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    if (onItem(event))
        UniformListView::mousePressEvent(event);
    countPress(event, false);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Let the view update the selection as for a press, but not start editing or
    // emit its own activation: what a double click does is the handler's business.
    if (onItem(event))
        UniformListView::mousePressEvent(event);
    countPress(event, true);
}

bool ListBox::onItem(const QMouseEvent *event) const
{
    // A click below the last item keeps the selection, as native lists do:
    // the handlers act on the selected item wherever the click landed.
    return indexAt(event->position().toPoint()).isValid();
}

void ListBox::mouseReleaseEvent(QMouseEvent *event)
{
    UniformListView::mouseReleaseEvent(event);
    if (!m_pressed)
        return;
    m_pressed = false;
    if (viewport()->rect().contains(event->position().toPoint()))
        emit mouseClicked(m_clickCount);
}

void ListBox::setItemToolTips(std::function<QString(const QString &)> toolTipOf)
{
    m_toolTipOf = std::move(toolTipOf);
    describeItems();
}

void ListBox::describeItems()
{
    if (!m_toolTipOf && !m_noteOf)
        return;
    // A lent model may outlive the list.
    m_items->setDescriptions(
        [list = QPointer<ListBox>(this)](int row) { return list ? list->itemToolTip(row) : QString(); });
}

QString ListBox::itemToolTip(int index) const
{
    if (index < 0 || index >= count())
        return QString();
    QString tip = m_toolTipOf ? m_toolTipOf(itemText(index)) : QString();
    if (const std::optional<ValueNote> note = itemNote(index))
        tip = tip.isEmpty() ? note->text : note->text + u'\n' + tip;
    return tip;
}

void ListBox::setItemNotes(NoteOf noteOf)
{
    if (!m_noteOf)
        setItemDelegate(new NoteDelegate(this, m_noteOf));
    m_noteOf = std::move(noteOf);
    describeItems();
    refreshNotes();
}

std::optional<ValueNote> ListBox::itemNote(int index) const
{
    if (!m_noteOf || index < 0 || index >= count())
        return std::nullopt;
    return m_noteOf(m_items->lines().at(index));
}

void ListBox::refreshNotes()
{
    viewport()->update();
}

bool ListBox::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip && (m_toolTipOf || m_noteOf)) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = indexAt(help->pos());
        if (index.isValid())
            QToolTip::showText(help->globalPos(), itemToolTip(index.row()), viewport(), visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return UniformListView::viewportEvent(event);
}
