// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/ListBox.h"
#include "ui/NumericSpinner.h"
#include "ui/TabPanel.h"
#include "ui/TextArea.h"
#include "ui/TextField.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void listAddressesItemsByIndexAndText();
    void listRemovingUnknownTextFails();
    void listKeepsItsTextThroughInsertsAndRemoves();
    void listRemovingSelectedItemSelectsNothing();
    void listCountsClicksOfABurst();
    void listReportsEnterApartFromClicks();
    void textFieldNeverHoldsLineBreaks_data();
    void textFieldNeverHoldsLineBreaks();
    void textFieldHoldsLongTextWhole();
    void textAreaKeepsItsTextAsTyped();
    void textFieldPasteReplacesLineBreaks();
    void readOnlyFieldRefusesTypingButTakesText();
    void spinnerRefusesValuesOutsideItsBounds();
    void tabPanelShowsOnlyTheSelectedPage();
};

void TestWidgets::listAddressesItemsByIndexAndText()
{
    ListBox list;
    QCOMPARE(list.selectedIndex(), -1);
    QVERIFY(!list.selectedItem());
    list.add(QStringLiteral("a"));
    list.add(QStringLiteral("c"));
    list.insert(QStringLiteral("b"), 1);
    QCOMPARE(list.items(), QStringList({"a", "b", "c"}));
    list.select(2);
    QCOMPARE(list.selectedIndex(), 2);
    QCOMPARE(list.selectedItem(), std::optional<QString>(QStringLiteral("c")));
    list.select(7); // out of range: selection unchanged
    QCOMPARE(list.selectedIndex(), 2);
    list.removeAll();
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.selectedIndex(), -1);
}

void TestWidgets::listRemovingUnknownTextFails()
{
    ListBox list;
    list.add(QStringLiteral("railgun"));
    list.add(QStringLiteral("railgun"));
    QVERIFY(!list.remove(QStringLiteral("Railgun"))); // letter case counts
    QVERIFY(!list.remove(QStringLiteral("rail")));
    QCOMPARE(list.count(), 2);
    QVERIFY(list.remove(QStringLiteral("railgun")));
    QCOMPARE(list.items(), QStringList({"railgun"}));
}

void TestWidgets::listKeepsItsTextThroughInsertsAndRemoves()
{
    // The items are one text with an end offset each; every edit in the
    // middle moves the later offsets.
    TextLinesModel shared;
    ListBox list;
    ListBox other;
    list.setItems(&shared);
    other.setItems(&shared);
    list.add(QStringList{"q2dm1", "q2dm22", "base1"});
    list.insert(QStringLiteral("first"), -3);
    list.insert(QStringLiteral("middle"), 2);
    list.insert(QStringLiteral("last"), 99);
    list.remove(3);
    QVERIFY(list.remove(QStringLiteral("first")));
    list.insert(QString(), 1);
    QCOMPARE(other.items(), QStringList({"q2dm1", "", "middle", "base1", "last"}));
    QCOMPARE(list.lines().text(), QStringLiteral("q2dm1\n\nmiddle\nbase1\nlast\n"));
    QCOMPARE(other.itemText(3), QStringLiteral("base1"));
    QCOMPARE(other.itemText(5), QString());

    QCOMPARE(TextLines::split(QStringLiteral("a\r\nb\rc\n\nd")).toStringList(),
             QStringList({"a", "b", "c", "", "d"}));
    QCOMPARE(TextLines::split(QStringLiteral("a\nb\n")).text(), QStringLiteral("a\nb\n"));
    QCOMPARE(TextLines::split(QStringLiteral("\r")).toStringList(), QStringList({""}));
}

void TestWidgets::listRemovingSelectedItemSelectsNothing()
{
    ListBox list;
    list.add(QStringList{"q2dm1", "q2dm2", "q2dm3"});
    list.select(1);
    list.remove(1);
    QCOMPARE(list.items(), QStringList({"q2dm1", "q2dm3"}));
    QCOMPARE(list.selectedIndex(), -1);

    // Removing another item keeps the selection on the same text.
    list.select(1);
    list.remove(0);
    QCOMPARE(list.selectedItem(), std::optional<QString>(QStringLiteral("q2dm3")));
}

void TestWidgets::listCountsClicksOfABurst()
{
    ListBox list;
    list.add(QStringList{"one", "two"});
    list.resize(200, 100);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy clicks(&list, &ListBox::mouseClicked);
    const QPoint second = list.visualRect(list.model()->index(1, 0)).center();
    QWindow *window = list.window()->windowHandle();
    const QPoint inWindow = list.viewport()->mapTo(list.window(), second);

    QTest::mouseClick(window, Qt::LeftButton, {}, inWindow);
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.last().at(0).toInt(), 1);
    QCOMPARE(list.selectedIndex(), 1);

    QTest::mouseDClick(window, Qt::LeftButton, {}, inWindow);
    QCOMPARE(clicks.size(), 3);
    QCOMPARE(clicks.at(1).at(0).toInt(), 1);
    QCOMPARE(clicks.at(2).at(0).toInt(), 2);

    // Qt reports a third quick press as a plain press; it still belongs to the
    // burst and must not count as a new single click. QTest spaces its clicks
    // apart, so this burst is sent with explicit timestamps.
    clicks.clear();
    const auto send = [&](QEvent::Type type, quint64 timestamp) {
        QMouseEvent event(type, second, list.viewport()->mapToGlobal(second), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        event.setTimestamp(timestamp);
        QApplication::sendEvent(list.viewport(), &event);
    };
    const quint64 start = 10'000'000;
    send(QEvent::MouseButtonPress, start);
    send(QEvent::MouseButtonRelease, start + 20);
    send(QEvent::MouseButtonDblClick, start + 100);
    send(QEvent::MouseButtonRelease, start + 120);
    send(QEvent::MouseButtonPress, start + 200);
    send(QEvent::MouseButtonRelease, start + 220);
    QCOMPARE(clicks.size(), 3);
    QCOMPARE(clicks.at(2).at(0).toInt(), 3);
    // A press well after the burst starts a new one.
    send(QEvent::MouseButtonPress, start + 5000);
    send(QEvent::MouseButtonRelease, start + 5020);
    QCOMPARE(clicks.last().at(0).toInt(), 1);
}

void TestWidgets::listReportsEnterApartFromClicks()
{
    ListBox list;
    list.add(QStringList{"one", "two", "three"});
    list.show();
    list.setFocus();
    QSignalSpy enters(&list, &ListBox::enterPressed);
    QSignalSpy clicks(&list, &ListBox::mouseClicked);

    list.select(0);
    QTest::keyClick(&list, Qt::Key_Return);
    QTest::keyClick(&list, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(enters.size(), 2);
    // Enter with Ctrl, Alt or Shift is left to the view and to shortcuts.
    QTest::keyClick(&list, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(&list, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(enters.size(), 2);
    QCOMPARE(clicks.size(), 0);

    // The other keys still move the selection.
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(list.selectedIndex(), 1);
}

void TestWidgets::textFieldNeverHoldsLineBreaks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("held");

    QTest::newRow("line feed") << "set\nrcon"
                               << "set rcon";
    QTest::newRow("carriage return") << "a\rb"
                                     << "a b";
    QTest::newRow("CR LF is one break") << "a\r\nb"
                                        << "a b";
    QTest::newRow("two breaks") << "a\n\nb"
                                << "a  b";
    QTest::newRow("plain text untouched") << "  My \"Server\" "
                                          << "  My \"Server\" ";
}

void TestWidgets::textFieldNeverHoldsLineBreaks()
{
    QFETCH(QString, text);
    QFETCH(QString, held);

    TextField field;
    field.setText(text);
    QCOMPARE(field.text(), held);
}

void TestWidgets::textFieldHoldsLongTextWhole()
{
    TextField field;
    const QString longName(40'000, u'x');
    field.setText(longName);
    QCOMPARE(field.text().size(), longName.size());
}

void TestWidgets::textAreaKeepsItsTextAsTyped()
{
    TextArea area;
    area.setPlainText(QString::fromUtf8("a\u00a0b\tc\n\nd"));
    QCOMPARE(area.text(), QString::fromUtf8("a\u00a0b\tc\n\nd"));
    area.show();
    area.setFocus();
    area.moveCursor(QTextCursor::End);
    QTest::keyClick(&area, Qt::Key_Return, Qt::ShiftModifier); // a line break within the paragraph
    QTest::keyClicks(&area, QStringLiteral("e"));
    QCOMPARE(area.text(), QString::fromUtf8("a\u00a0b\tc\n\nd\ne"));
}

void TestWidgets::textFieldPasteReplacesLineBreaks()
{
    TextField field;
    field.show();
    QGuiApplication::clipboard()->setText(QStringLiteral("one\ntwo\r\nthree"));
    if (QGuiApplication::clipboard()->text() != QStringLiteral("one\ntwo\r\nthree"))
        QSKIP("this platform has no clipboard");
    field.setFocus();
    field.paste();
    QCOMPARE(field.text(), QStringLiteral("one two three"));
}

void TestWidgets::readOnlyFieldRefusesTypingButTakesText()
{
    TextField mask;
    mask.setEditable(false);
    mask.setText(QStringLiteral("0"));
    mask.show();
    mask.setFocus();
    QTest::keyClicks(&mask, QStringLiteral("123"));
    QCOMPARE(mask.text(), QStringLiteral("0"));
    mask.setText(QStringLiteral("524288"));
    QCOMPARE(mask.text(), QStringLiteral("524288"));
}

void TestWidgets::spinnerRefusesValuesOutsideItsBounds()
{
    NumericSpinner spinner;
    spinner.setMax(255);
    QCOMPARE(spinner.current(), 0);
    QVERIFY(spinner.setCurrent(255));
    QVERIFY(!spinner.setCurrent(256));
    QVERIFY(!spinner.setCurrent(-1));
    QCOMPARE(spinner.currentText(), QStringLiteral("255"));
}

void TestWidgets::tabPanelShowsOnlyTheSelectedPage()
{
    TabPanel panel;
    panel.resize(504, 534);
    panel.setPanelLabels({"Main", "DMFLAGS"});
    auto *first = new QWidget;
    auto *second = new QWidget;
    panel.addPanel(first, QRect(12, 33, 480, 490));
    panel.addPanel(second, QRect(12, 33, 480, 490));
    panel.show();
    QVERIFY(panel.setCurrentPanelNdx(1));
    QVERIFY(!first->isVisible());
    QVERIFY(second->isVisible());
    QCOMPARE(second->geometry(), QRect(12, 33, 480, 490));
    QVERIFY(!panel.setCurrentPanelNdx(2));
    QCOMPARE(panel.currentPanelNdx(), 1);
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
