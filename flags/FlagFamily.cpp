// SPDX-License-Identifier: GPL-2.0-or-later
#include "flags/FlagFamily.h"

#include "flags/DecimalText.h"
#include "flags/Diagnostics.h"
#include "ui/ListBox.h"
#include "ui/TextField.h"

FlagFamily::FlagFamily(const FlagTable &table, TextField *maskField) : m_table(table), m_maskField(maskField) {}

void FlagFamily::attachLists(ListBox *available, ListBox *banned)
{
    m_available = available;
    m_banned = banned;
    for (ListBox *list : {available, banned})
        list->setItemToolTips([this](const QString &name) { return toolTipOf(name); });
    available->setItems(&m_availableItems);
    banned->setItems(&m_bannedItems);
}

void FlagFamily::ensureLists() const
{
    if (!hasLists() && m_buildPage)
        m_buildPage();
}

ListBox *FlagFamily::availableList() const
{
    ensureLists();
    return m_available;
}

ListBox *FlagFamily::bannedList() const
{
    ensureLists();
    return m_banned;
}

QString FlagFamily::toolTipOf(const QString &name) const
{
    const QuakeFlag *flag = findFlag(m_catalogue, name);
    if (!flag)
        return QString();
    QString tip = QObject::tr("value %1, bit %2")
                      .arg(flag->getFlagValue())
                      .arg(qCountTrailingZeroBits(quint32(flag->getFlagValue())));
    if (const QString description = flagDescription(m_table, name); !description.isEmpty())
        tip += u'\n' + description;
    return tip;
}

void FlagFamily::build()
{
    m_catalogue = buildCatalogue(m_table);
    m_availableItems.clear();
    m_bannedItems.clear();
    m_maskField->setText(QStringLiteral("0"));
    TextLines names;
    for (const QuakeFlag &flag : std::as_const(m_catalogue))
        names.append(flag.getFlagName());
    m_availableItems.append(names);
    explainMask(0);
}

void FlagFamily::explainMask(qint32 mask)
{
    QString tip = QObject::tr("In server.cfg: set %1 %2").arg(QString::fromUtf16(m_table.variable)).arg(mask);
    const qint32 seen = maskAsTheGameSeesIt(mask);
    if (seen != mask) {
        const QStringList names = flagNamesIn(m_catalogue, seen);
        tip += u'\n' +
               QObject::tr("The server holds settings as 32-bit floats, so the game reads this mask as %1 "
                           "and sees these flags instead: %2.")
                   .arg(seen)
                   .arg(names.isEmpty() ? QObject::tr("none") : names.join(QStringLiteral(", ")));
    }
    m_maskField->setToolTip(tip);
    m_maskField->setAccessibleDescription(tip);
}

FlagMove FlagFamily::set(const QString &name)
{
    const QuakeFlag *flag = findFlag(m_catalogue, name);
    // Only a flag that is still available moves: this is what keeps a value
    // from being added to the mask twice.
    if (!flag || !m_availableItems.removeFirst(name))
        return FlagMove::Unchanged;
    m_bannedItems.append(name);
    return changeMask(*flag, true);
}

FlagMove FlagFamily::availableListClicked(int clickCount)
{
    if (clickCount != 2 || !m_available)
        return FlagMove::Unchanged;
    const std::optional<QString> selected = m_available->selectedItem();
    const int row = m_available->selectedIndex();
    const FlagMove move = selected ? set(*selected) : FlagMove::Unchanged;
    selectInPlaceOf(m_available, row, move);
    return move;
}

FlagMove FlagFamily::bannedListClicked(int clickCount)
{
    if (clickCount != 2 || !m_banned)
        return FlagMove::Unchanged;
    const std::optional<QString> selected = m_banned->selectedItem();
    const QuakeFlag *flag = selected ? findFlag(m_catalogue, *selected) : nullptr;
    if (!flag)
        return FlagMove::Unchanged;
    const int row = m_banned->selectedIndex();
    m_bannedItems.removeAt(row);
    m_availableItems.append(*selected);
    const FlagMove move = changeMask(*flag, false);
    selectInPlaceOf(m_banned, row, move);
    return move;
}

void FlagFamily::selectInPlaceOf(ListBox *list, int row, FlagMove move)
{
    // The flag that took the moved one's place is selected, so that Enter,
    // or a double click without aiming, moves the next one.
    if (move != FlagMove::Unchanged && list->count() > 0)
        list->select(qMin(row, list->count() - 1));
}

FlagMove FlagFamily::changeMask(const QuakeFlag &flag, bool banned)
{
    const QString text = m_maskField->text();
    const std::optional<QString> newMask = maskTextAfterMove(text, flag.getFlagValue(), banned);
    if (!newMask) {
        Diagnostics::warn(
            QStringLiteral("the %1 mask field holds %2, which is not a decimal integer; the mask "
                           "was left as it was.")
                .arg(caption(), Diagnostics::quoted(text)));
        return FlagMove::MaskUnreadable;
    }
    m_maskField->setText(*newMask);
    explainMask(parseDecimalInteger(*newMask).value_or(0));
    if (m_moveHook)
        m_moveHook(flag.getFlagName(), banned);
    return FlagMove::Moved;
}
