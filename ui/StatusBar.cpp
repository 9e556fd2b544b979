// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/StatusBar.h"

#include <QAccessibleWidget>
#include <QTimer>

namespace {

// Screen readers announce a status bar's changes as status, which a plain
// label would not get.
class StatusBarAccessible : public QAccessibleWidget
{
public:
    explicit StatusBarAccessible(StatusBar *bar) : QAccessibleWidget(bar, QAccessible::StatusBar) {}

    // Before any command has run the bar is empty, and is named for what
    // it is.
    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name) {
            const QString status = static_cast<const StatusBar *>(widget())->statusText();
            return status.isEmpty() ? widget()->accessibleName() : status;
        }
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface *statusBarAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("StatusBar") && object && object->isWidgetType())
        return new StatusBarAccessible(static_cast<StatusBar *>(object));
    return nullptr;
}

} // namespace

StatusBar::StatusBar(QWidget *parent) : QLabel(parent)
{
    static const bool accessible = (QAccessible::installFactory(statusBarAccessible), true);
    Q_UNUSED(accessible);
    setTextFormat(Qt::PlainText);
    setBevelStyle(Bevel::Lowered);
    // A label with no accessible name of its own reports every new text
    // at once; this one reports the text a command leaves, in reportChange().
    setAccessibleName(tr("Status"));
}

void StatusBar::setStatusText(const QString &text)
{
    if (text == statusText())
        return;
    setText(text);
    if (!std::exchange(m_reportPending, true))
        QTimer::singleShot(0, this, &StatusBar::reportChange);
}

void StatusBar::reportChange()
{
    m_reportPending = false;
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void StatusBar::setBevelStyle(Bevel bevel)
{
    switch (bevel) {
    case Bevel::None:
        setFrameStyle(QFrame::NoFrame);
        break;
    case Bevel::Lowered:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case Bevel::Raised:
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    }
}
