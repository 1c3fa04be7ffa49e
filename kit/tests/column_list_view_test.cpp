// The on-demand column list: rows come from the window's cell function, only when asked; the
// current row and its signal follow the user and the window, and a refill leaves no row current.
#include <QSignalSpy>
#include <QTest>

#include "storage/cp1251.h"
#include "kit/column_list_view.h"

using namespace pomix;

class ColumnListViewTest : public QObject {
    Q_OBJECT
private slots:
    void cellsComeFromTheWindowWhenAsked() {
        TColumnListView list;
        list.SetColumnWidths({60, 40});
        int asked = 0;
        list.SetRows(100'000, [&asked](int row, int column) {
            ++asked;
            return column == 0 ? Utf8ToCp1251("строка ") + std::to_string(row) : "x;y";
        });
        QCOMPARE(asked, 0);  // filling asks for nothing
        QCOMPARE(list.Count(), 100'000);
        QCOMPARE(list.Cell(99'999, 0), QString::fromUtf8("строка 99999"));
        QCOMPARE(list.Cell(5, 1), QString("x;y"));  // a cell is never split
        QCOMPARE(list.Cell(100'000, 0), QString());
        QVERIFY(asked <= 2);
    }

    void currentRowFollowsTheUserAndTheWindow() {
        TColumnListView list;
        list.SetColumnWidths({60, 40});
        list.resize(200, 200);
        list.SetRows(3, [](int row, int) { return std::to_string(row); });
        QSignalSpy changed(&list, &TColumnListView::currentRowChanged);
        QSignalSpy doubled(&list, &TColumnListView::rowDoubleClicked);
        QCOMPARE(list.CurrentRow(), -1);
        list.SetCurrentRow(2);
        QCOMPARE(list.CurrentRow(), 2);
        QCOMPARE(changed.takeLast().at(0).toInt(), 2);
        list.SetCurrentRow(7);  // outside: none
        QCOMPARE(list.CurrentRow(), -1);
        QCOMPARE(changed.takeLast().at(0).toInt(), -1);

        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QRect second = list.visualRect(list.model()->index(1, 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(list.CurrentRow(), 1);
        QCOMPARE(changed.takeLast().at(0).toInt(), 1);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(doubled.size(), 1);
        QCOMPARE(doubled.at(0).at(0).toInt(), 1);

        // A refill leaves no row current and says nothing.
        changed.clear();
        list.SetRows(2, [](int, int) { return std::string("z"); });
        QCOMPARE(list.CurrentRow(), -1);
        QVERIFY(changed.isEmpty());
    }
};

QTEST_MAIN(ColumnListViewTest)
#include "column_list_view_test.moc"
