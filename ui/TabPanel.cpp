// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/TabPanel.h"

#include <QFrame>
#include <QTabBar>
#include <QToolButton>

TabPanel::TabPanel(QWidget *parent) : QWidget(parent), m_tabs(new QTabBar(this)), m_frame(new QFrame(this))
{
    m_tabs->setUsesScrollButtons(true);
    m_tabs->setExpanding(false);
    m_tabs->setElideMode(Qt::ElideNone);
    m_tabs->setDrawBase(false);
    // The arrow keys on the tab row already do what its scroll buttons do, so
    // Tab goes straight from the tab row to the page instead of stopping twice
    // on the buttons.
    for (QToolButton *scrollButton : m_tabs->findChildren<QToolButton *>())
        scrollButton->setFocusPolicy(Qt::NoFocus);
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_frame->setFrameShadow(QFrame::Raised);
    m_frame->lower();
    connect(m_tabs, &QTabBar::currentChanged, this, &TabPanel::showOnly);
}

void TabPanel::setPanelLabels(const QStringList &captions)
{
    const QSignalBlocker blocker(m_tabs);
    while (m_tabs->count() > 0)
        m_tabs->removeTab(0);
    for (const QString &caption : captions)
        m_tabs->addTab(caption);
    namePages();
    showOnly(m_tabs->currentIndex());
}

QStringList TabPanel::panelLabels() const
{
    QStringList captions;
    for (int i = 0; i < m_tabs->count(); ++i)
        captions.append(m_tabs->tabText(i));
    return captions;
}

void TabPanel::addPanel(QWidget *page, const QRect &bounds)
{
    page->setParent(this);
    page->setGeometry(bounds);
    m_pages.append(page);
    namePages();
    placeFrame();
    showOnly(m_tabs->currentIndex());
}

bool TabPanel::setCurrentPanelNdx(int index)
{
    if (index < 0 || index >= m_pages.size() || index >= m_tabs->count())
        return false;
    m_tabs->setCurrentIndex(index);
    showOnly(index);
    return true;
}

int TabPanel::currentPanelNdx() const
{
    return m_tabs->currentIndex();
}

void TabPanel::showOnly(int index)
{
    if (index >= 0 && index < m_pages.size())
        emit aboutToShowPanel(index);
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setVisible(i == index);
}

void TabPanel::namePages()
{
    // A screen reader that meets a page's controls names the page they are
    // on after its tab, as the operator who sees the tab does.
    for (int i = 0; i < m_pages.size() && i < m_tabs->count(); ++i)
        m_pages[i]->setAccessibleName(m_tabs->tabText(i));
}

void TabPanel::placeFrame()
{
    if (m_pages.isEmpty())
        return;
    // The tab row sits directly above the page area and the frame around it.
    const QRect area = m_pages.first()->geometry();
    m_frame->setGeometry(area.adjusted(-2, -2, 2, 2));
    const int tabHeight = m_tabs->sizeHint().height();
    m_tabs->setGeometry(area.left() - 2, area.top() - 2 - tabHeight, area.width() + 4, tabHeight);
}

void TabPanel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeFrame();
}
