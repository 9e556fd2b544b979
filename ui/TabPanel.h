// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QWidget>

class QTabBar;
class QFrame;

// A row of tab captions above a page area. Unlike QTabWidget it does not lay
// its pages out: each page keeps the bounds it is given, so that the controls
// on a page sit at the same place whatever the style's tab metrics are.
class TabPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TabPanel(QWidget *parent = nullptr);

    void setPanelLabels(const QStringList &captions);
    QStringList panelLabels() const;
    void addPanel(QWidget *page, const QRect &bounds);
    // Returns false, changing nothing, when there is no page with that index.
    bool setCurrentPanelNdx(int index);
    int currentPanelNdx() const;
    int panelCount() const { return m_pages.size(); }
    QWidget *panel(int index) const { return m_pages.value(index); }
    QTabBar *tabBar() const { return m_tabs; }

signals:
    // Emitted just before a page is shown, so that it can be built first.
    void aboutToShowPanel(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showOnly(int index);
    void namePages();
    void placeFrame();

    QTabBar *m_tabs;
    QFrame *m_frame;
    QList<QWidget *> m_pages;
};
