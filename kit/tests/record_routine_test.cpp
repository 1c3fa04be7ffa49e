// The list routine on a stand-in window of plain lines: commands open and shut the panels,
// the user goes on from the right line, a delete asks first.
#include <QApplication>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <optional>

#include "core/settings/settings_record.h"
#include "kit/controls.h"
#include "kit/message.h"
#include "kit/record_routine.h"

using namespace pomix;

namespace {

// A window listing names, its parts named as the section windows name theirs.
struct StandIn {
    explicit StandIn(std::vector<std::string> lines, int selected = -1) : names(std::move(lines)) {
        list = new TSortedListBox(&window);
        list->setGeometry(0, 40, 200, 200);
        auto* menu = new QMenu(&window);
        for (QAction** item : {&addItem, &editItem, &deleteItem, &searchItem}) {
            *item = menu->addAction(QString());
        }
        const auto buttons = [](std::initializer_list<TButton**> made, QWidget* on) {
            for (TButton** button : made) *button = new TButton(QString(), on);
        };
        buttons({&addButton, &editButton, &deleteButton, &searchButton}, &window);
        editor = new QWidget(&window);
        nameEdit = new TEdit(editor);
        buttons({&saveButton, &cancelButton}, editor);
        editor->hide();
        searchPanel = new QWidget(&window);
        searchEdit = new TEdit(searchPanel);
        buttons({&findButton, &closeSearchButton, &clearSearchButton, &clearResultsButton}, searchPanel);
        firstChoice = new QRadioButton(QStringLiteral("Start"), searchPanel);
        secondChoice = new QRadioButton(QStringLiteral("Anywhere"), searchPanel);
        secondChoice->setChecked(true);
        searchPanel->hide();
        new TEdit(&window);  // where the focus would go by itself when a panel hides
        TRecordRoutine::Parts parts = TRecordRoutine::PartsOf(this, editor, nameEdit, &adding);
        parts.searchPanel.choices = {firstChoice, secondChoice};
        TRecordRoutine::Steps steps;
        steps.selected = [this] { return list->currentRow() >= 0; };
        steps.fill = [this](bool add) {
            filled.push_back(add);
            flagged.push_back(adding);
        };
        steps.save = [this]() -> std::optional<int> {
            if (nameEdit->Text().empty()) return std::nullopt;
            return list->AddItem(nameEdit->Text(), 0);
        };
        steps.remove = [this](int asked) {
            askedRows.push_back(asked);
            names.erase(names.begin() + asked);
            ShowAll();
            return asked;
        };
        steps.find = [this](const std::string& pattern, int choice) {
            patterns.push_back(pattern);
            choices.push_back(choice);
            TSortedListBox::Lines found;
            for (const std::string& name : names) {
                if (name.find(pattern) != std::string::npos) found.emplace_back(name, 0);
            }
            list->SetItems(std::move(found));
        };
        steps.showAll = [this] { ShowAll(); };
        new TRecordRoutine(&window, list, parts, std::move(steps));
        ShowAll();
        list->setCurrentRow(selected);
        window.resize(400, 300);
        window.show();
        window.activateWindow();
    }
    bool Active() { return QTest::qWaitForWindowActive(&window); }
    void ShowAll() {
        TSortedListBox::Lines lines;
        for (const std::string& name : names) lines.emplace_back(name, 0);
        list->SetItems(std::move(lines));
    }
    std::string Current() const {
        return list->currentRow() < 0 ? std::string() : list->Line(list->currentRow());
    }

    std::vector<std::string> names;
    QWidget window;
    TSortedListBox* list;
    QAction *addItem, *editItem, *deleteItem, *searchItem;
    TButton *addButton, *editButton, *deleteButton, *searchButton, *saveButton, *cancelButton;
    TButton *findButton, *closeSearchButton, *clearSearchButton, *clearResultsButton;
    QWidget *editor, *searchPanel;
    TEdit *nameEdit, *searchEdit;
    QRadioButton *firstChoice, *secondChoice;
    bool adding = false;
    std::vector<bool> filled;   // what each fill was asked for: true to add
    std::vector<bool> flagged;  // the window's add flag as each fill found it
    std::vector<int> askedRows;
    std::vector<std::string> patterns;
    std::vector<int> choices;
};

}  // namespace

// How each command is given: a button, a menu item, a double click, Enter on the line.
enum class Way { AddButton, AddItem, EditButton, EditItem, DoubleClick, Enter, SearchButton, SearchItem };
Q_DECLARE_METATYPE(Way)

class RecordRoutineTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void commandsOpenAPanelThatShutsOnTheSelectedLine_data();
    void commandsOpenAPanelThatShutsOnTheSelectedLine();
    void editAndDeleteNeedASelectedLine();
    void saveShutsTheEditorOnTheSavedLineOrKeepsIt();
    void deleteAsksAndSelectsTheLineThatTookItsPlace_data();
    void deleteAsksAndSelectsTheLineThatTookItsPlace();
    void searchFindsClearsAndListsAllAgain();

private:
    std::vector<QString> messages_;
    MessageAnswer answer_ = MessageAnswer::Yes;
};

void RecordRoutineTest::init() {
    SettingsRecord = TSettingsRecord{};
    SettingsRecord.ConfirmDelete = true;
    messages_.clear();
    answer_ = MessageAnswer::Yes;
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_.push_back(text);
        return answer_;
    });
}

void RecordRoutineTest::cleanup() {
    SetMessagePresenter({});
}


void RecordRoutineTest::commandsOpenAPanelThatShutsOnTheSelectedLine_data() {
    QTest::addColumn<Way>("way");
    QTest::addColumn<bool>("editor");  // the editor opens, else the search
    QTest::addColumn<int>("fill");     // -1: none, 1: for an add, 0: for an edit
    QTest::newRow("add button") << Way::AddButton << true << 1;
    QTest::newRow("add item") << Way::AddItem << true << 1;
    QTest::newRow("edit button") << Way::EditButton << true << 0;
    QTest::newRow("edit item") << Way::EditItem << true << 0;
    QTest::newRow("double click") << Way::DoubleClick << true << 0;
    QTest::newRow("enter") << Way::Enter << true << 0;
    QTest::newRow("search button") << Way::SearchButton << false << -1;
    QTest::newRow("search item") << Way::SearchItem << false << -1;
}

void RecordRoutineTest::commandsOpenAPanelThatShutsOnTheSelectedLine() {
    QFETCH(Way, way);
    QFETCH(bool, editor);
    QFETCH(int, fill);
    StandIn window({"a", "b"}, 1);
    QVERIFY(window.Active());
    switch (way) {
        case Way::AddButton: QTest::mouseClick(window.addButton, Qt::LeftButton); break;
        case Way::AddItem: window.addItem->trigger(); break;
        case Way::EditButton: QTest::mouseClick(window.editButton, Qt::LeftButton); break;
        case Way::EditItem: window.editItem->trigger(); break;
        case Way::DoubleClick: {
            const QPoint line = window.list->RowRect(1).center();
            QTest::mouseClick(window.list->viewport(), Qt::LeftButton, {}, line);
            QTest::mouseDClick(window.list->viewport(), Qt::LeftButton, {}, line);
            break;
        }
        case Way::Enter:
            window.list->setFocus();
            QTest::keyClick(window.list, Qt::Key_Return);
            break;
        case Way::SearchButton: QTest::mouseClick(window.searchButton, Qt::LeftButton); break;
        case Way::SearchItem: window.searchItem->trigger(); break;
    }
    QCOMPARE(window.editor->isVisible(), editor);
    QCOMPARE(window.searchPanel->isVisible(), !editor);
    QCOMPARE(QApplication::focusWidget(),
             editor ? static_cast<QWidget*>(window.nameEdit) : window.searchEdit);
    QCOMPARE(window.filled, fill < 0 ? std::vector<bool>{} : std::vector<bool>{fill == 1});
    QCOMPARE(window.flagged, window.filled);

    // Cancel, or the search's Close: back on the line selected.
    QTest::mouseClick(editor ? window.cancelButton : window.closeSearchButton, Qt::LeftButton);
    QVERIFY(window.editor->isHidden() && window.searchPanel->isHidden());
    QCOMPARE(window.Current(), std::string("b"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.list));
}

void RecordRoutineTest::editAndDeleteNeedASelectedLine() {
    StandIn window({"a", "b"});
    QTest::mouseClick(window.editButton, Qt::LeftButton);
    QTest::mouseClick(window.deleteButton, Qt::LeftButton);
    QVERIFY(window.editor->isHidden());
    QVERIFY(window.filled.empty());
    QVERIFY(messages_.empty());
    QCOMPARE(window.list->count(), 2);
}

void RecordRoutineTest::saveShutsTheEditorOnTheSavedLineOrKeepsIt() {
    StandIn window({"a", "c"});
    QVERIFY(window.Active());
    QTest::mouseClick(window.addButton, Qt::LeftButton);
    // Nothing stored: the editor stays, with the typing where it was.
    QTest::mouseClick(window.saveButton, Qt::LeftButton);
    QVERIFY(window.editor->isVisible());
    window.nameEdit->SetText("b");
    QTest::mouseClick(window.saveButton, Qt::LeftButton);
    QVERIFY(window.editor->isHidden());
    QCOMPARE(window.Current(), std::string("b"));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.list));
}

void RecordRoutineTest::deleteAsksAndSelectsTheLineThatTookItsPlace_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("confirmAsked");  // the settings ask before a delete
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("selected");
    const QStringList abc{"a", "b", "c"};
    QTest::newRow("the next line") << abc << 1 << true << true << QStringList{"a", "c"} << "c";
    QTest::newRow("after the last, the one before")
        << abc << 2 << true << true << QStringList{"a", "b"} << "b";
    QTest::newRow("the only line") << QStringList{"a"} << 0 << true << true << QStringList{} << "";
    QTest::newRow("no keeps the line") << abc << 1 << true << false << abc << "b";
    QTest::newRow("settings ask nothing")
        << abc << 0 << false << false << QStringList{"b", "c"} << "b";
}

void RecordRoutineTest::deleteAsksAndSelectsTheLineThatTookItsPlace() {
    QFETCH(QStringList, lines);
    QFETCH(int, row);
    QFETCH(bool, confirmAsked);
    QFETCH(bool, yes);
    QFETCH(QStringList, left);
    QFETCH(QString, selected);
    std::vector<std::string> names;
    for (const QString& line : lines) names.push_back(line.toStdString());
    StandIn window(names, row);
    QVERIFY(window.Active());
    SettingsRecord.ConfirmDelete = confirmAsked;
    answer_ = yes ? MessageAnswer::Yes : MessageAnswer::No;
    window.deleteItem->trigger();
    QCOMPARE(messages_.size(), std::size_t(confirmAsked ? 1 : 0));
    const bool deleted = yes || !confirmAsked;
    QCOMPARE(window.askedRows, deleted ? std::vector<int>{row} : std::vector<int>{});
    QStringList shown;
    for (int i = 0; i < window.list->count(); ++i) shown << QString::fromStdString(window.list->Line(i));
    QCOMPARE(shown, left);
    QCOMPARE(QString::fromStdString(window.Current()), selected);
    if (deleted) QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.list));
}

void RecordRoutineTest::searchFindsClearsAndListsAllAgain() {
    StandIn window({"apple", "banana", "cherry"});
    QTest::mouseClick(window.searchButton, Qt::LeftButton);
    // An empty pattern finds nothing and leaves the list be.
    QTest::mouseClick(window.findButton, Qt::LeftButton);
    QVERIFY(window.patterns.empty());
    window.searchEdit->SetText("an");
    QTest::keyClick(window.searchEdit, Qt::Key_Return);
    QCOMPARE(window.patterns, std::vector<std::string>{"an"});
    QCOMPARE(window.choices, std::vector<int>{1});
    QCOMPARE(window.list->count(), 1);
    window.firstChoice->setChecked(true);
    QTest::mouseClick(window.findButton, Qt::LeftButton);
    QCOMPARE(window.choices, (std::vector<int>{1, 0}));
    QTest::mouseClick(window.clearSearchButton, Qt::LeftButton);
    QVERIFY(window.searchEdit->text().isEmpty());
    QCOMPARE(window.list->count(), 1);  // the finds stay until cleared themselves
    QTest::mouseClick(window.clearResultsButton, Qt::LeftButton);
    QCOMPARE(window.list->count(), 3);
    QVERIFY(window.searchPanel->isVisible());
}

QTEST_MAIN(RecordRoutineTest)
#include "record_routine_test.moc"
