// SPDX-License-Identifier: GPL-2.0-or-later
// Keyboard use of ServerConfiguration: the order in which Tab visits the
// controls, and turning the pages of serverPanel without the mouse. Enter on a
// flag list is bound with the mouse clicks in connectCommands(), so that both
// reach the same command.
#include "app/FormTables.h"
#include "app/ServerConfiguration.h"

#include <QApplication>
#include <QShortcut>
#include <QTabBar>

namespace {

bool takesTabFocus(const QWidget *widget)
{
    return widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus);
}

} // namespace

void ServerConfiguration::setUpKeyboard()
{
    // A tab character has no use in the message of the day, and typing one would
    // keep Tab from ever leaving the text area.
    motdTextArea->setTabChangesFocus(true);
    orderTabChain();

    // The keys with which tabbed windows elsewhere turn their pages.
    const std::pair<QKeySequence, int> pageKeys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto &pageKey : pageKeys) {
        const int step = pageKey.second;
        connect(new QShortcut(pageKey.first, this), &QShortcut::activated, this,
                [this, step] { turnPage(step); });
    }
}

void ServerConfiguration::orderTabChain()
{
    // Tab reads the window as the operator does: the tab row, then the page in
    // its blocks, then the mask column. The Main page's blocks come in the order
    // of their top left corners, each read top to bottom: the identity fields,
    // the spinner column beside them, the map-rotation editor below them, the
    // public-game box and the message of the day. Controls of hidden pages and
    // disabled controls stay in the chain; Qt skips them.
    QList<QWidget *> order = {
        serverPanel->tabBar(),
        serverNameField,
        adminNameField,
        emailField,
        webpageField,
        rconPasswdField,
        startingMapField,
        maxClientsSpinner,
        timeLimitSpinner,
        fragLimitSpinner,
        dayNightTimeSpinner,
        revengeAwardSpinner,
        highFraggerAwardSpinner,
        mapListCheckbox,
        mapList,
        mapDirectionButtonUp,
        mapDirectionButtonDown,
        mapField,
        addButton,
        removeButton,
        publicGameCheckbox,
        motdTextArea,
    };
    // A flag page's lists join the chain when the page is built.
    for (const FlagFamilyRow &row : flagFamilyRows) {
        if ((this->*row.availableList).isMade())
            order << (this->*row.availableList).get() << (this->*row.bannedList).get();
    }
    for (const FlagFamilyRow &row : flagFamilyRows)
        order << (this->*row.family).maskField();
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void ServerConfiguration::turnPage(int step)
{
    const int pages = serverPanel->panelCount();
    const int target = ((serverPanel->currentPanelNdx() + step) % pages + pages) % pages;
    QWidget *focus = QApplication::focusWidget();
    QWidget *leaving = serverPanel->panel(serverPanel->currentPanelNdx());
    // Focus on the page being hidden would otherwise wander to whatever visible
    // control follows in the chain, usually the mask column; it goes to the new
    // page's first control instead. Focus elsewhere stays where it is.
    const bool focusOnPage = focus && leaving && leaving->isAncestorOf(focus);
    if (focusOnPage)
        serverPanel->tabBar()->setFocus(Qt::OtherFocusReason);
    serverPanel->setCurrentPanelNdx(target);
    if (!focusOnPage)
        return;
    QWidget *page = serverPanel->panel(target);
    for (QWidget *next = serverPanel->tabBar()->nextInFocusChain(); next != serverPanel->tabBar();
         next = next->nextInFocusChain()) {
        if (page->isAncestorOf(next) && takesTabFocus(next)) {
            next->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}
