// SPDX-License-Identifier: GPL-2.0-or-later
#include "flags/FlagFamily.h"

#include "text/DecimalText.h"
#include "text/Diagnostics.h"
#include "ui/ListBox.h"
#include "ui/TextField.h"

FlagFamily::FlagFamily(const FlagTable &table, TextField *maskField)
    : m_table(table), m_selection(table), m_maskField(maskField)
{
    // The field is read-only to the operator, but code may still give it any
    // text; the next move starts from what it shows.
    QObject::connect(maskField, &QLineEdit::textChanged, maskField,
                     [this](const QString &text) { m_selection.setMaskText(text); });
}

void FlagFamily::attachLists(ListBox *available, ListBox *banned)
{
    m_available = available;
    m_banned = banned;
    for (ListBox *list : {available, banned})
        list->setItemToolTips([this](const QString &name) { return toolTipOf(name); });
    available->setItems(&m_selection.availableNames());
    banned->setItems(&m_selection.bannedNames());
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
    const QuakeFlag *flag = findFlag(catalogue(), name);
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
    m_selection.build();
    m_maskField->setText(m_selection.maskText());
    explainMask(0);
}

void FlagFamily::explainMask(qint32 mask)
{
    QString tip = QObject::tr("In server.cfg: set %1 %2").arg(QString::fromUtf16(m_table.variable)).arg(mask);
    const qint32 seen = maskAsTheGameSeesIt(mask);
    if (seen != mask) {
        const QStringList names = flagNamesIn(catalogue(), seen);
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
    return showMove(m_selection.set(name), name, true);
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
    const int row = m_banned->selectedIndex();
    const std::optional<QString> selected = m_banned->selectedItem();
    const FlagMove move = selected ? showMove(m_selection.unset(row), *selected, false) : FlagMove::Unchanged;
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

FlagMove FlagFamily::showMove(FlagMove move, const QString &flagName, bool banned)
{
    if (move == FlagMove::MaskUnreadable) {
        Diagnostics::warn(
            QStringLiteral("the %1 mask field holds %2, which is not a decimal integer; the mask "
                           "was left as it was.")
                .arg(caption(), Diagnostics::quoted(m_selection.maskText())));
    } else if (move == FlagMove::Moved) {
        m_maskField->setText(m_selection.maskText());
        explainMask(parseDecimalInteger(m_selection.maskText()).value_or(0));
        if (m_moveHook)
            m_moveHook(flagName, banned);
    }
    return move;
}
