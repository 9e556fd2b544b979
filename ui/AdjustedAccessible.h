// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QAccessibleInterface>

// The accessible interface Qt makes for one of its own widgets, with a few of
// its answers changed. Qt keeps the classes of those interfaces to itself, so
// a control that must say a little more (a list naming its caption) or a
// little less (a read-only field that is not editable) cannot derive from
// them; it asks Qt for its interface and wraps it, and every other answer
// stays Qt's.
class AdjustedAccessible : public QAccessibleInterface
{
public:
    // Makes Qt's interface for object, or returns null when Qt has none.
    static QAccessibleInterface *qtInterfaceOf(QObject *object);

    explicit AdjustedAccessible(QAccessibleInterface *qts);
    ~AdjustedAccessible() override;

    bool isValid() const override { return m_qts->isValid(); }
    QObject *object() const override { return m_qts->object(); }
    QWindow *window() const override { return m_qts->window(); }
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        return m_qts->relations(match);
    }
    QAccessibleInterface *focusChild() const override { return m_qts->focusChild(); }
    QAccessibleInterface *childAt(int x, int y) const override { return m_qts->childAt(x, y); }
    QAccessibleInterface *parent() const override { return m_qts->parent(); }
    QAccessibleInterface *child(int index) const override { return m_qts->child(index); }
    int childCount() const override { return m_qts->childCount(); }
    int indexOfChild(const QAccessibleInterface *child) const override { return m_qts->indexOfChild(child); }
    QString text(QAccessible::Text kind) const override { return m_qts->text(kind); }
    void setText(QAccessible::Text kind, const QString &text) override { m_qts->setText(kind, text); }
    QRect rect() const override { return m_qts->rect(); }
    QAccessible::Role role() const override { return m_qts->role(); }
    QAccessible::State state() const override { return m_qts->state(); }
    QColor foregroundColor() const override { return m_qts->foregroundColor(); }
    QColor backgroundColor() const override { return m_qts->backgroundColor(); }
    void *interface_cast(QAccessible::InterfaceType type) override { return m_qts->interface_cast(type); }
    void virtual_hook(int id, void *data) override { m_qts->virtual_hook(id, data); }

private:
    QAccessibleInterface *m_qts;
    QAccessible::Id m_qtsId;
};
