// The long-list view: its order, its line-to-record tie and its signals.
#include <QSignalSpy>
#include <QTest>

#include "storage/cp1251.h"
#include "ui/line_list_view.h"

using namespace pomix;

class LineListViewTest : public QObject {
    Q_OBJECT
private slots:
    void keepsCaseInsensitiveOrderAndEqualLinesInTheirOrder();
    void selectionAndItsSignal();
    void doubleClickReportsTheRow();
};

void LineListViewTest::keepsCaseInsensitiveOrderAndEqualLinesInTheirOrder() {
    TLineListView list;
    list.SetItems({{"beta", 1}, {"Alpha", 2}, {"beta", 3}, {Utf8ToCp1251("Ёж"), 4}, {"alpha", 5}});
    QCOMPARE(list.count(), 5);
    const std::pair<std::string, ItemObject> expected[] = {
        {"Alpha", 2}, {"alpha", 5}, {"beta", 1}, {"beta", 3}, {Utf8ToCp1251("Ёж"), 4}};
    for (int row = 0; row < 5; ++row) {
        QCOMPARE(list.Line(row), expected[row].first);
        QCOMPARE(list.Object(row), expected[row].second);
    }
    QCOMPARE(list.model()->data(list.model()->index(4, 0)).toString(), QString::fromUtf8("Ёж"));
    QCOMPARE(list.Line(5), std::string());
    QCOMPARE(list.Object(-1), ItemObject(0));
    list.SetItems({});
    QCOMPARE(list.count(), 0);
}

void LineListViewTest::selectionAndItsSignal() {
    TLineListView list;
    list.SetItems({{"a", 10}, {"b", 20}});
    QCOMPARE(list.currentRow(), -1);
    QSignalSpy changed(&list, &TLineListView::currentRowChanged);
    list.setCurrentRow(1);
    QCOMPARE(list.currentRow(), 1);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().at(0).toInt(), 1);
    list.setCurrentRow(-1);
    QCOMPARE(list.currentRow(), -1);
    QCOMPARE(changed.last().at(0).toInt(), -1);

    // Refilling selects none, and says so when something was selected.
    list.setCurrentRow(0);
    changed.clear();
    list.SetItems({{"c", 30}});
    QCOMPARE(list.currentRow(), -1);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).toInt(), -1);
    list.setCurrentRow(5);  // beyond the end: none
    QCOMPARE(list.currentRow(), -1);
}

void LineListViewTest::doubleClickReportsTheRow() {
    TLineListView list;
    list.resize(200, 200);
    list.SetItems({{"first", 1}, {"second", 2}});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy doubled(&list, &TLineListView::rowDoubleClicked);
    const QRect second = list.visualRect(list.model()->index(1, 0));
    // As the mouse gives it: a press and release, then the second press as a double click.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(doubled.size(), 1);
    QCOMPARE(doubled.first().at(0).toInt(), 1);
}

QTEST_MAIN(LineListViewTest)
#include "line_list_view_test.moc"
