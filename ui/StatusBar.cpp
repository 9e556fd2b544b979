// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/StatusBar.h"

#include <QAccessibleWidget>

namespace {

// Screen readers announce a status bar's changes as status, which a plain
// label would not get.
class StatusBarAccessible : public QAccessibleWidget
{
public:
    explicit StatusBarAccessible(StatusBar *bar) : QAccessibleWidget(bar, QAccessible::StatusBar) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return static_cast<const StatusBar *>(widget())->statusText();
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
