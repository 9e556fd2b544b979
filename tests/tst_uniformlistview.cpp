// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/UniformListView.h"

#include <QScrollBar>
#include <QStringListModel>
#include <QTest>

// The view must pass for Qt's own list view; each case puts the two side by
// side on one model and compares what an operator would see and get.
class TestUniformListView : public QObject
{
    Q_OBJECT

private slots:
    void drawsAndScrollsLikeQListView_data();
    void drawsAndScrollsLikeQListView();
    void keysAndClicksMoveLikeQListView();
    void scrollsToARowLikeQListView();
};

namespace {

struct Pair
{
    explicit Pair(const QStringList &rows, QSize size = QSize(140, 113)) : model(rows)
    {
        for (QListView *view : {static_cast<QListView *>(&reference), static_cast<QListView *>(&uniform)}) {
            view->setUniformItemSizes(true);
            view->setModel(&model);
            view->resize(size);
            view->show();
        }
        reference.move(0, 0);
        uniform.move(200, 0);
        QVERIFY(QTest::qWaitForWindowExposed(&reference));
        QVERIFY(QTest::qWaitForWindowExposed(&uniform));
    }

    QStringListModel model;
    QListView reference;
    UniformListView uniform;
};

QStringList numbered(int count, const QString &longest = QString())
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << QStringLiteral("map%1").arg(i);
    if (!longest.isEmpty() && count > 0)
        rows.last() = longest;
    return rows;
}

QList<int> barState(const QScrollBar *bar)
{
    return {bar->minimum(),    bar->maximum(), bar->pageStep(),
            bar->singleStep(), bar->value(),   bar->isVisible()};
}

// Each drawn with the keyboard focus, which only one window has at a time.
QImage lookOf(QListView &view)
{
    view.activateWindow();
    view.setFocus();
    if (!QTest::qWaitForWindowActive(&view))
        return QImage();
    return view.grab().toImage();
}

void compareLook(QListView &reference, QListView &uniform)
{
    QCOMPARE(barState(uniform.verticalScrollBar()), barState(reference.verticalScrollBar()));
    QCOMPARE(barState(uniform.horizontalScrollBar()), barState(reference.horizontalScrollBar()));
    const QImage expected = lookOf(reference);
    QVERIFY(!expected.isNull());
    QCOMPARE(lookOf(uniform), expected);
}

} // namespace

void TestUniformListView::drawsAndScrollsLikeQListView_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("scrollValue");
    QTest::newRow("empty") << QStringList() << 0;
    QTest::newRow("fits") << numbered(3) << 0;
    QTest::newRow("exactly a page") << numbered(5) << 0;
    QTest::newRow("long, at the top") << numbered(50) << 0;
    QTest::newRow("long, in the middle") << numbered(50) << 20;
    QTest::newRow("long, at the end") << numbered(50) << 50;
    QTest::newRow("wider than the view")
        << numbered(30, QStringLiteral("a_map_name_wider_than_the_list")) << 10;
}

void TestUniformListView::drawsAndScrollsLikeQListView()
{
    QFETCH(QStringList, rows);
    QFETCH(int, scrollValue);
    Pair pair(rows);
    pair.reference.setCurrentIndex(pair.model.index(std::min(2, int(rows.size()) - 1)));
    pair.uniform.setCurrentIndex(pair.model.index(std::min(2, int(rows.size()) - 1)));
    pair.reference.verticalScrollBar()->setValue(scrollValue);
    pair.uniform.verticalScrollBar()->setValue(scrollValue);
    pair.reference.horizontalScrollBar()->setValue(15);
    pair.uniform.horizontalScrollBar()->setValue(15);
    compareLook(pair.reference, pair.uniform);
    for (int y : {0, 10, 40, 111}) {
        const QPoint point(20, y);
        QCOMPARE(pair.uniform.indexAt(point), pair.reference.indexAt(point));
        QCOMPARE(pair.uniform.visualRect(pair.uniform.indexAt(point)),
                 pair.reference.visualRect(pair.reference.indexAt(point)));
    }
}

void TestUniformListView::keysAndClicksMoveLikeQListView()
{
    Pair pair(numbered(40));
    // The window with the focus would otherwise start with a current row.
    pair.reference.setCurrentIndex(pair.model.index(0));
    pair.uniform.setCurrentIndex(pair.model.index(0));
    const QList<Qt::Key> keys{Qt::Key_Down,   Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_Left,
                              Qt::Key_PageUp, Qt::Key_End,      Qt::Key_PageUp,   Qt::Key_Up,
                              Qt::Key_Home,   Qt::Key_PageUp,   Qt::Key_Right,    Qt::Key_Down};
    for (Qt::Key key : keys) {
        QTest::keyClick(&pair.reference, key);
        QTest::keyClick(&pair.uniform, key);
        QCOMPARE(pair.uniform.currentIndex(), pair.reference.currentIndex());
        QCOMPARE(pair.uniform.selectionModel()->selectedIndexes(),
                 pair.reference.selectionModel()->selectedIndexes());
        compareLook(pair.reference, pair.uniform);
        if (QTest::currentTestFailed())
            return;
    }
    for (const QPoint point : {QPoint(30, 50), QPoint(130, 5), QPoint(10, 112)}) {
        QTest::mouseClick(pair.reference.viewport(), Qt::LeftButton, {}, point);
        QTest::mouseClick(pair.uniform.viewport(), Qt::LeftButton, {}, point);
        QCOMPARE(pair.uniform.selectionModel()->selectedIndexes(),
                 pair.reference.selectionModel()->selectedIndexes());
    }
}

void TestUniformListView::scrollsToARowLikeQListView()
{
    Pair pair(numbered(60));
    using Hint = QAbstractItemView::ScrollHint;
    const QList<std::pair<int, Hint>> steps{{30, Hint::EnsureVisible},    {28, Hint::EnsureVisible},
                                            {10, Hint::EnsureVisible},    {45, Hint::PositionAtTop},
                                            {45, Hint::PositionAtBottom}, {2, Hint::PositionAtCenter},
                                            {40, Hint::PositionAtCenter}, {59, Hint::PositionAtTop}};
    for (const auto &[row, hint] : steps) {
        pair.reference.scrollTo(pair.model.index(row), hint);
        pair.uniform.scrollTo(pair.model.index(row), hint);
        QCOMPARE(pair.uniform.verticalScrollBar()->value(), pair.reference.verticalScrollBar()->value());
    }
    // Rows added or taken away behave as in Qt's view after its layout.
    pair.model.insertRows(60, 5);
    pair.model.removeRows(0, 20);
    pair.reference.scrollTo(pair.model.index(44), Hint::EnsureVisible);
    pair.uniform.scrollTo(pair.model.index(44), Hint::EnsureVisible);
    compareLook(pair.reference, pair.uniform);
}

QTEST_MAIN(TestUniformListView)
#include "tst_uniformlistview.moc"
