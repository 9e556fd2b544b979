// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/AdjustedAccessible.h"

namespace {

// Set while Qt is asked for its own interface, so that the factories that
// wrap it stand aside for that one question.
bool askingQt = false;

} // namespace

QAccessibleInterface *AdjustedAccessible::qtInterfaceOf(QObject *object)
{
    if (askingQt)
        return nullptr;
    askingQt = true;
    QAccessibleInterface *qts = QAccessible::queryAccessibleInterface(object);
    askingQt = false;
    return qts;
}

AdjustedAccessible::AdjustedAccessible(QAccessibleInterface *qts)
    : m_qts(qts), m_qtsId(QAccessible::uniqueId(qts))
{}

AdjustedAccessible::~AdjustedAccessible()
{
    // Qt's interface waits in Qt's cache beside this one, which goes with
    // the widget; Qt's goes with it, unless Qt let it go already.
    if (QAccessible::accessibleInterface(m_qtsId) == m_qts)
        QAccessible::deleteAccessibleInterface(m_qtsId);
}
