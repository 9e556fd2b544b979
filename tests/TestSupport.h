// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "WorkingDirectory.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <functional>

namespace TestSupport {

// Queues an action for the modal dialog that the next call will open, so that
// a test can act on a dialog while the command that opened it waits.
inline void whenModalOpens(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget *dialog = QApplication::activeModalWidget();
        QVERIFY2(dialog, "no modal dialog was open");
        action(dialog);
    });
}

// Turns to every page and back to the first, as an operator looking the form
// over would: a page's controls are made when it is first shown.
template <typename Window>
void showEveryPage(Window &window)
{
    for (int page = window.serverPanel->panelCount() - 1; page >= 0; --page)
        window.serverPanel->setCurrentPanelNdx(page);
}

} // namespace TestSupport
