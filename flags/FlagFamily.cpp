#include "flags/FlagFamily.h"

#include "flags/DecimalText.h"
#include "flags/Diagnostics.h"
#include "ui/ListBox.h"
#include "ui/TextField.h"

FlagFamily::FlagFamily(const FlagTable &table, ListBox *available, ListBox *banned, TextField *maskField)
    : m_table(table), m_available(available), m_banned(banned), m_maskField(maskField)
{}

void FlagFamily::build()
{
    m_catalogue = buildCatalogue(m_table);
    m_available->removeAll();
    m_banned->removeAll();
    m_maskField->setText(QStringLiteral("0"));
    for (const QuakeFlag &flag : std::as_const(m_catalogue))
        m_available->add(flag.getFlagName());
    explainMask(0);
}

void FlagFamily::explainMask(qint32 mask)
{
    const qint32 seen = maskAsTheGameSeesIt(mask);
    if (seen == mask) {
        m_maskField->setToolTip(QString());
        return;
    }
    const QStringList names = flagNamesIn(m_catalogue, seen);
    m_maskField->setToolTip(
        QObject::tr("The server holds settings as 32-bit floats, so the game reads this mask as %1 and sees "
                    "these flags instead: %2.")
            .arg(seen)
            .arg(names.isEmpty() ? QObject::tr("none") : names.join(QStringLiteral(", "))));
}

FlagMove FlagFamily::set(const QString &name)
{
    const QuakeFlag *flag = findFlag(m_catalogue, name);
    // Only a flag that is still available moves: this is what keeps a value
    // from being added to the mask twice.
    if (!flag || !m_available->remove(name))
        return FlagMove::Unchanged;
    m_banned->add(name);
    return changeMask(*flag, true);
}

FlagMove FlagFamily::availableListClicked(int clickCount)
{
    if (clickCount != 2)
        return FlagMove::Unchanged;
    const std::optional<QString> selected = m_available->selectedItem();
    return selected ? set(*selected) : FlagMove::Unchanged;
}

FlagMove FlagFamily::bannedListClicked(int clickCount)
{
    if (clickCount != 2)
        return FlagMove::Unchanged;
    const std::optional<QString> selected = m_banned->selectedItem();
    const QuakeFlag *flag = selected ? findFlag(m_catalogue, *selected) : nullptr;
    if (!flag)
        return FlagMove::Unchanged;
    m_banned->remove(m_banned->selectedIndex());
    m_available->add(*selected);
    return changeMask(*flag, false);
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
