// Keyboard and screen-reader access: clickable static texts as focusable, pressable buttons,
// captions and title strips left as text, fields named by their captions.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include "kit/accessibility.h"
#include "kit/controls.h"
#include "kit/form_parts.h"
#include "kit/month_grid.h"

using namespace pomix;

namespace {

QAccessibleInterface* Accessible(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    if (face == nullptr) qFatal("no accessible interface");
    return face;
}

QStringList Actions(QObject* object) {
    QAccessibleActionInterface* actions = Accessible(object)->actionInterface();
    return actions != nullptr ? actions->actionNames() : QStringList();
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallAccessibility(); }
    void clickableStaticTextIsAKeyboardButton();
    void titleStripStaysPlainText();
    void screenReaderPressesAStaticButtonByItsCaption();
    void doubleClickLabelIsPressableToo();
    void tabOrderVisitsTheButtonsAndSkipsTitles();
    void fieldsAreNamedByTheirCaptions();
    void namesFollowADictionaryChange();
    void namesGivenByTheWindowAreKept();
    void buttonsPressOnEnterAndMemosLetTheFocusGo();
    void pictureButtonIsNamedByItsHint();
    void checkBoxNamesTheFieldBesideIt();
    void monthGridIsATableOfNamedDays();
    void tabsArePageTabsWithOneSelected();
    void emptyLinkIsNoTabStop();
    void popupMenuOpensFromTheKeyboardIntoTheTree();
    void tabFollowsTheReadingOrder();
};

void AccessibilityTest::clickableStaticTextIsAKeyboardButton() {
    TStaticButton button(QStringLiteral("Заметки"));
    QVERIFY(!button.Pressable());  // nobody listens yet: a plain text
    QCOMPARE(button.focusPolicy(), Qt::NoFocus);

    int pressed = 0;
    QObject::connect(&button, &TStaticButton::clicked, [&pressed] { ++pressed; });
    QVERIFY(button.Pressable());
    QCOMPARE(button.focusPolicy(), Qt::StrongFocus);
    QTest::keyClick(&button, Qt::Key_Space);
    QTest::keyClick(&button, Qt::Key_Return);
    QTest::keyClick(&button, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(pressed, 3);
    QTest::keyClick(&button, Qt::Key_A);
    QTest::keyClick(&button, Qt::Key_Space, Qt::ControlModifier);
    QTest::keyClick(&button, Qt::Key_Return, Qt::AltModifier);
    QCOMPARE(pressed, 3);
}

void AccessibilityTest::titleStripStaysPlainText() {
    QWidget window;
    auto* title = Make<TStaticButton>(&window, "Text2", {0, 0, 200, 18}, QStringLiteral("Введите пароль"));
    QAccessibleInterface* face = Accessible(title);
    QCOMPARE(face->role(), QAccessible::StaticText);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Введите пароль"));
    QVERIFY(!Actions(title).contains(QAccessibleActionInterface::pressAction()));
    QCOMPARE(title->focusPolicy(), Qt::NoFocus);
}

void AccessibilityTest::screenReaderPressesAStaticButtonByItsCaption() {
    QWidget window;
    auto* button = Make<TStaticButton>(&window, "StaticButton3", {0, 0, 100, 15}, QStringLiteral("Заметки"));
    button->setToolTip(QStringLiteral("Заметки с датой изменения"));
    QSignalSpy clicks(button, &TStaticButton::clicked);
    QObject::connect(button, &TStaticButton::clicked, &window, [] {});

    QAccessibleInterface* face = Accessible(button);
    QCOMPARE(face->role(), QAccessible::Button);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Заметки"));
    QCOMPARE(face->text(QAccessible::Description), QStringLiteral("Заметки с датой изменения"));
    QVERIFY(face->state().focusable);
    QVERIFY(Actions(button).contains(QAccessibleActionInterface::pressAction()));
    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), 1);

    // A dictionary renames the section: the reader hears the new caption.
    button->setText(QStringLiteral("Notes"));
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Notes"));

    button->setEnabled(false);
    QVERIFY(!Actions(button).contains(QAccessibleActionInterface::pressAction()));
    face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicks.count(), 1);
}

void AccessibilityTest::doubleClickLabelIsPressableToo() {
    QWidget window;
    auto* plain = Make<TLabel>(&window, "Label1", {0, 0, 100, 15}, QStringLiteral("Имя"));
    auto* web = Make<TLabel>(&window, "Label2", {0, 20, 100, 15}, QStringLiteral("example.org"));
    QSignalSpy opened(web, &TLabel::doubleClicked);
    QObject::connect(web, &TLabel::doubleClicked, &window, [] {});

    QCOMPARE(Accessible(plain)->role(), QAccessible::StaticText);
    QCOMPARE(plain->focusPolicy(), Qt::NoFocus);
    QCOMPARE(Accessible(web)->role(), QAccessible::Button);
    QCOMPARE(Accessible(web)->text(QAccessible::Name), QStringLiteral("example.org"));
    QTest::keyClick(web, Qt::Key_Return);
    Accessible(web)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(opened.count(), 2);
}

void AccessibilityTest::tabOrderVisitsTheButtonsAndSkipsTitles() {
    QWidget window;
    auto* first = Make<TStaticButton>(&window, "StaticButton1", {0, 0, 100, 15}, QStringLiteral("Один"));
    Make<TStaticButton>(&window, "Text1", {0, 20, 100, 15}, QStringLiteral("Заголовок"));
    auto* second = Make<TStaticButton>(&window, "StaticButton2", {0, 40, 100, 15}, QStringLiteral("Два"));
    auto* edit = Make<TEdit>(&window, "Edit1", {0, 60, 100, 20});
    for (TStaticButton* button : {first, second}) QObject::connect(button, &TStaticButton::clicked, [] {});
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    first->setFocus();
    QCOMPARE(QApplication::focusWidget(), first);
    QTest::keyClick(first, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), second);
    QTest::keyClick(second, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit);
    QTest::keyClick(edit, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), second);

    // The focus is drawn: the focused button's picture differs from the unfocused one.
    const QImage focused = second->grab().toImage();
    first->setFocus();
    QVERIFY(second->grab().toImage() != focused);
}

void AccessibilityTest::fieldsAreNamedByTheirCaptions() {
    QWidget window;
    window.resize(500, 400);
    Make<TLabel>(&window, "Label1", {10, 12, 60, 15}, QStringLiteral("Фамилия"));
    auto* surname = Make<TEdit>(&window, "Edit1", {80, 10, 150, 20});
    Make<TLabel>(&window, "Label2", {10, 42, 60, 15}, QStringLiteral("Имя"));
    auto* name = Make<TEdit>(&window, "Edit2", {80, 40, 150, 20});
    Make<TLabel>(&window, "Label3", {10, 80, 100, 15}, QStringLiteral("Примечание"));
    auto* memo = Make<TMemo>(&window, "Memo1", {10, 96, 220, 60});
    Make<TLabel>(&window, "Label4", {250, 12, 80, 15}, QStringLiteral("Категория"));
    auto* category = Make<TComboBox>(&window, "ComboBox1", {250, 30, 120, 22});
    category->setEditable(true);
    auto* lonely = Make<TEdit>(&window, "Edit3", {300, 300, 100, 20});  // no caption near it

    // A panel laid over the window: its caption belongs to its field, and the window's
    // captions under it name nothing inside it.
    auto* panel = Make<TPanel>(&window, "Panel1", {0, 0, 500, 400});
    Make<TLabel>(panel, "Label5", {10, 200, 60, 15}, QStringLiteral("Название"));
    auto* title = Make<TEdit>(panel, "Edit4", {80, 198, 150, 20});
    auto* inPanel = Make<TEdit>(panel, "Edit5", {80, 10, 150, 20});  // where Edit1 sits below

    NameFieldsByCaptions(&window);
    QCOMPARE(surname->accessibleName(), QStringLiteral("Фамилия"));
    QCOMPARE(name->accessibleName(), QStringLiteral("Имя"));
    QCOMPARE(memo->accessibleName(), QStringLiteral("Примечание"));
    QCOMPARE(category->accessibleName(), QStringLiteral("Категория"));
    QCOMPARE(title->accessibleName(), QStringLiteral("Название"));
    QVERIFY(lonely->accessibleName().isEmpty());
    QVERIFY(inPanel->accessibleName().isEmpty());
    // The edit line inside the drop-down is part of it: it is read with the drop-down's name.
    QCOMPARE(category->lineEdit()->accessibleName(), QStringLiteral("Категория"));
    // What a screen reader reads.
    QCOMPARE(Accessible(surname)->text(QAccessible::Name), QStringLiteral("Фамилия"));
    QCOMPARE(Accessible(memo)->text(QAccessible::Name), QStringLiteral("Примечание"));
    QCOMPARE(Accessible(category)->text(QAccessible::Name), QStringLiteral("Категория"));
    // A caption beside its field is its buddy: the "labelled by" link.
    auto* label1 = window.findChild<QLabel*>("Label1");
    QCOMPARE(label1->buddy(), surname);
}

void AccessibilityTest::namesFollowADictionaryChange() {
    QWidget window;
    auto* caption = Make<TLabel>(&window, "Label1", {10, 12, 60, 15}, QStringLiteral("Фамилия"));
    auto* edit = Make<TEdit>(&window, "Edit1", {80, 10, 150, 20});
    NameFieldsByCaptions(&window);
    caption->setText(QStringLiteral("Surname"));
    NameFieldsByCaptions(&window);
    QCOMPARE(edit->accessibleName(), QStringLiteral("Surname"));

    // Shown, the window names its fields by itself (after its show has applied a dictionary).
    QWidget shown;
    Make<TLabel>(&shown, "Label1", {10, 12, 60, 15}, QStringLiteral("Сумма"));
    auto* sum = Make<TEdit>(&shown, "Edit1", {80, 10, 150, 20});
    shown.show();
    QTRY_COMPARE(sum->accessibleName(), QStringLiteral("Сумма"));
}

void AccessibilityTest::namesGivenByTheWindowAreKept() {
    QWidget window;
    Make<TLabel>(&window, "Label1", {10, 12, 60, 15}, QStringLiteral("Пароль"));
    auto* edit = Make<TEdit>(&window, "Edit1", {80, 10, 150, 20});
    edit->setAccessibleName(QStringLiteral("Пароль для входа"));
    // A clickable text is a button, never a caption.
    auto* button = Make<TStaticButton>(&window, "StaticButton1", {10, 42, 60, 15}, QStringLiteral("Поиск"));
    QObject::connect(button, &TStaticButton::clicked, [] {});
    auto* search = Make<TEdit>(&window, "Edit2", {80, 40, 150, 20});
    NameFieldsByCaptions(&window);
    QCOMPARE(edit->accessibleName(), QStringLiteral("Пароль для входа"));
    QVERIFY(search->accessibleName().isEmpty());
}

void AccessibilityTest::buttonsPressOnEnterAndMemosLetTheFocusGo() {
    QWidget window;
    auto* memo = Make<TMemo>(&window, "Memo1", {0, 0, 200, 60});
    auto* save = Make<TButton>(&window, "Button1", {0, 70, 80, 22}, QStringLiteral("Сохранить"));
    QSignalSpy saved(save, &QPushButton::clicked);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("ab"));
    QTest::keyClick(memo, Qt::Key_Tab);
    QCOMPARE(memo->toPlainText(), QStringLiteral("ab"));  // no tab typed: a keyboard trap
    QCOMPARE(QApplication::focusWidget(), save);
    QTest::keyClick(save, Qt::Key_Return);
    QTest::keyClick(save, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(save, Qt::Key_Space);
    QTest::keyClick(save, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(saved.count(), 3);
}

void AccessibilityTest::pictureButtonIsNamedByItsHint() {
    QWidget window;
    auto* load = Make<TButton>(&window, "SpeedButton1", {0, 0, 24, 24}, QString());
    load->setToolTip(QStringLiteral("Загрузить из файла"));
    auto* bare = Make<TButton>(&window, "SpeedButton2", {30, 0, 24, 24}, QString());
    auto* picker = Make<TButton>(&window, "Button12", {60, 0, 24, 24}, QStringLiteral("..."));
    picker->setToolTip(QStringLiteral("Открыть календарь"));
    auto* plus = Make<TButton>(&window, "Button3", {90, 0, 24, 24}, QStringLiteral("+1"));
    plus->setToolTip(QStringLiteral("Прибавить"));
    NameFieldsByCaptions(&window);
    QCOMPARE(Accessible(picker)->text(QAccessible::Name), QStringLiteral("Открыть календарь"));
    QCOMPARE(Accessible(plus)->text(QAccessible::Name), QStringLiteral("+1"));  // says something itself
    QCOMPARE(Accessible(load)->text(QAccessible::Name), QStringLiteral("Загрузить из файла"));
    QVERIFY(bare->accessibleName().isEmpty());
    load->setToolTip(QStringLiteral("Load from a file"));  // a dictionary's hint
    NameFieldsByCaptions(&window);
    QCOMPARE(load->accessibleName(), QStringLiteral("Load from a file"));
}

void AccessibilityTest::checkBoxNamesTheFieldBesideIt() {
    QWidget window;
    auto* confirm = new QCheckBox(QStringLiteral("Подтверждать удаление"), &window);
    confirm->setGeometry(6, 38, 272, 18);
    auto* check = new QCheckBox(QStringLiteral("Проверять пароль"), &window);
    check->setGeometry(6, 60, 136, 18);
    auto* password = Make<TEdit>(&window, "Edit2", {144, 58, 132, 22});
    auto* under = Make<TEdit>(&window, "Edit3", {6, 80, 132, 22});  // a box above names nothing
    // A colour swatch: a pressable text without a caption, named by its hint.
    auto* swatch = Make<TStaticButton>(&window, "Color1", {6, 134, 25, 25}, QString());
    swatch->setToolTip(QStringLiteral("Настройка цветов"));
    QObject::connect(swatch, &TStaticButton::clicked, [] {});
    // A text-colour sample shows a letter, which says nothing of what pressing it does.
    auto* sample = Make<TStaticButton>(&window, "Color4", {6, 164, 25, 25}, QStringLiteral("R"));
    sample->setToolTip(QStringLiteral("Настройка цвета шрифта"));
    QObject::connect(sample, &TStaticButton::clicked, [] {});
    NameFieldsByCaptions(&window);
    QCOMPARE(password->accessibleName(), QStringLiteral("Проверять пароль"));
    QVERIFY(under->accessibleName().isEmpty());
    QCOMPARE(Accessible(swatch)->text(QAccessible::Name), QStringLiteral("Настройка цветов"));
    QCOMPARE(Accessible(sample)->text(QAccessible::Name), QStringLiteral("Настройка цвета шрифта"));
}

void AccessibilityTest::monthGridIsATableOfNamedDays() {
    TMonthGrid grid;
    grid.resize(246, 176);
    grid.SetSelectedDate(QDate(2026, 12, 8));
    grid.SetMarkedDays({QDate(2026, 12, 15)});
    QAccessibleInterface* face = Accessible(&grid);
    QCOMPARE(face->role(), QAccessible::Table);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Декабрь 2026"));
    QAccessibleTableInterface* table = face->tableInterface();
    QVERIFY(table != nullptr);
    QCOMPARE(table->rowCount(), 6);
    QCOMPARE(table->columnCount(), 7);
    // December 2026 begins on a Tuesday: the first row starts on Monday 30 November.
    const auto cell = [table](int row, int column) { return table->cellAt(row, column); };
    QCOMPARE(cell(0, 0)->text(QAccessible::Name), QStringLiteral("понедельник, 30 ноября 2026"));
    QAccessibleInterface* eighth = cell(1, 1);
    QCOMPARE(eighth->role(), QAccessible::Cell);
    QCOMPARE(eighth->text(QAccessible::Name), QStringLiteral("вторник, 8 декабря 2026"));
    QVERIFY(eighth->state().selected);
    QVERIFY(!cell(1, 2)->state().selected);
    QCOMPARE(table->selectedCells(), QList<QAccessibleInterface*>{eighth});
    QCOMPARE(cell(2, 1)->text(QAccessible::Description), QStringLiteral("есть события"));
    QVERIFY(eighth->text(QAccessible::Description).isEmpty());
    // The header row: the weekdays as column headers, the table's first children.
    QList<QAccessibleInterface*> headers = eighth->tableCellInterface()->columnHeaderCells();
    QCOMPARE(headers.size(), 1);
    QCOMPARE(headers[0]->role(), QAccessible::ColumnHeader);
    QCOMPARE(headers[0]->text(QAccessible::Name), QStringLiteral("вторник"));
    QCOMPARE(face->child(6)->text(QAccessible::Name), QStringLiteral("воскресенье"));
    QCOMPARE(face->indexOfChild(eighth), 7 + 8);
    QCOMPARE(eighth->parent(), face);
    QVERIFY(grid.DayRect(QDate(2026, 12, 8)).contains(grid.mapFromGlobal(eighth->rect().center())));

    // The keys move the selection; a step into January renames the same cells.
    grid.show();
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Right);
    QVERIFY(cell(1, 2)->state().selected && !eighth->state().selected);
    grid.SetSelectedDate(QDate(2027, 1, 1));
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Январь 2027"));
    QCOMPARE(cell(0, 4)->text(QAccessible::Name), QStringLiteral("пятница, 1 января 2027"));
    QVERIFY(cell(0, 4)->state().selected);
    QVERIFY(cell(2, 1)->text(QAccessible::Description).isEmpty());  // the mark stayed in December

    // The header's painted step buttons: push buttons named in the grid's words and pressed by
    // the reader's action; gone from the tree where the grid shows none.
    QCOMPARE(face->childCount(), 7 + 42 + 4);
    QStringList steps;
    for (int b = 0; b < 4; ++b) {
        QAccessibleInterface* step = face->child(7 + 42 + b);
        QCOMPARE(step->role(), QAccessible::Button);
        QCOMPARE(face->childAt(step->rect().center().x(), step->rect().center().y()), step);
        QCOMPARE(grid.mapFromGlobal(step->rect().center()), grid.StepButtonRect(b).center());
        steps << step->text(QAccessible::Name);
    }
    QCOMPARE(steps, (QStringList{"Предыдущий месяц", "Следующий месяц", "Предыдущий год",
                                 "Следующий год"}));
    QAccessibleActionInterface* yearOn = face->child(7 + 42 + 3)->actionInterface();
    QCOMPARE(yearOn->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    yearOn->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(grid.SelectedDate(), QDate(2028, 1, 1));
    face->child(7 + 42)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(grid.SelectedDate(), QDate(2027, 12, 1));
    grid.SetStepButtonsShown(false);
    QCOMPARE(face->childCount(), 7 + 42);
    yearOn->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(grid.SelectedDate(), QDate(2027, 12, 1));
}

void AccessibilityTest::tabsArePageTabsWithOneSelected() {
    QWidget window;
    std::vector<TStaticButton*> tabs;
    for (int i = 0; i < 3; ++i) {
        auto* tab = Make<TStaticButton>(&window, "Tab", {4 + i * 62, 4, 60, 20}, QString::number(i));
        QObject::connect(tab, &TStaticButton::clicked, &window, [&tabs, tab] {
            for (TStaticButton* other : tabs) other->SetBorder(other == tab);
        });
        tabs.push_back(tab);
    }
    tabs[0]->SetBorder(true);
    auto* cover = Make<TPanel>(&window, "Panel1", {0, 0, 300, 100});  // laid over the tabs later
    TTabList* list = GroupAsTabs(tabs);
    QCOMPARE(Accessible(list)->role(), QAccessible::PageTabList);
    QCOMPARE(list->geometry(), QRect(4, 4, 184, 20));
    QCOMPARE(tabs[1]->mapTo(&window, QPoint(0, 0)), QPoint(66, 4));  // they stay where they stood
    window.show();
    QCOMPARE(window.childAt(70, 10), cover);  // and under what covered them
    cover->hide();
    QCOMPARE(window.childAt(70, 10), tabs[1]);
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    const auto selected = [&tabs] {
        QStringList names;
        for (TStaticButton* tab : tabs) {
            QAccessibleInterface* face = Accessible(tab);
            if (face->role() != QAccessible::PageTab) return QStringList{"not a page tab"};
            if (face->state().selected) names << face->text(QAccessible::Name);
        }
        return names;
    };
    QCOMPARE(selected(), QStringList{"0"});
    tabs[0]->setFocus();
    QTest::keyClick(tabs[0], Qt::Key_Right);
    QCOMPARE(selected(), QStringList{"1"});
    QCOMPARE(QApplication::focusWidget(), tabs[1]);
    QTest::keyClick(tabs[1], Qt::Key_Right);
    QTest::keyClick(tabs[2], Qt::Key_Right);  // the last stays
    QCOMPARE(selected(), QStringList{"2"});
    QTest::keyClick(tabs[2], Qt::Key_Left);
    QCOMPARE(selected(), QStringList{"1"});
}

void AccessibilityTest::emptyLinkIsNoTabStop() {
    QWidget window;
    auto* before = Make<TEdit>(&window, "Edit1", {0, 0, 100, 20});
    auto* link = Make<TLabel>(&window, "Lemail", {0, 30, 100, 20}, QString());
    QObject::connect(link, &TLabel::doubleClicked, &window, [] {});
    auto* after = Make<TEdit>(&window, "Edit2", {0, 60, 100, 20});
    link->SetLinkText(QString());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), after);
    QVERIFY(Accessible(link)->state().invisible);
    link->SetLinkText(QStringLiteral("ivanov@example.org"));
    QTest::keyClick(after, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), link);
    QCOMPARE(Accessible(link)->text(QAccessible::Name), QStringLiteral("ivanov@example.org"));
}

void AccessibilityTest::popupMenuOpensFromTheKeyboardIntoTheTree() {
    QWidget window;
    window.resize(514, 360);
    auto* list = Make<TSortedListBox>(&window, "ListBox1", {4, 4, 200, 200});
    for (const char* line : {"a", "b", "c"}) list->AddItem(line, 0);
    QMenu* menu = MakePopupMenu(&window, "PopupMenu1", list, "Меню записей");
    int edited = 0;
    QObject::connect(AddMenuItem(menu, "N1", "Редактировать"), &QAction::triggered, [&edited] { ++edited; });
    AddMenuItem(menu, "N2", "Удалить");
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    list->setFocus();
    list->setCurrentRow(1);
    QAccessibleInterface* face = Accessible(qApp);
    const int closed = face->childCount();

    for (const auto& [key, modifiers] : {std::pair{Qt::Key_F10, Qt::ShiftModifier}, {Qt::Key_Menu, Qt::NoModifier}}) {
        QTest::keyClick(list, key, modifiers);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->activeAction()->text(), QStringLiteral("Редактировать"));
        QVERIFY(menu->geometry().top() >=
                list->viewport()->mapToGlobal(list->RowRect(1).bottomLeft()).y());
        QCOMPARE(face->childCount(), closed + 1);
        QAccessibleInterface* open = face->child(closed);
        QCOMPARE(open->role(), QAccessible::PopupMenu);
        QCOMPARE(open->parent(), face);
        QCOMPARE(face->indexOfChild(open), closed);
        QStringList items;
        for (int i = 0; i < open->childCount(); ++i) {
            QCOMPARE(open->child(i)->role(), QAccessible::MenuItem);
            items << open->child(i)->text(QAccessible::Name);
        }
        QCOMPARE(items, (QStringList{"Редактировать", "Удалить"}));
        QCOMPARE(open->text(QAccessible::Name), QStringLiteral("Меню записей"));
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_VERIFY(!menu->isVisible());
        QCOMPARE(face->childCount(), closed);
    }
    QCOMPARE(edited, 2);
}

void AccessibilityTest::tabFollowsTheReadingOrder() {
    QWidget window;
    auto* panel = Make<TPanel>(&window, "Panel1", {0, 0, 400, 300});
    // Made in another order than they stand, as a window adds fields to a line later.
    Make<TButton>(panel, "Save", {300, 260, 80, 22}, QStringLiteral("Сохранить"));
    Make<TEdit>(panel, "Name", {90, 40, 200, 22});
    Make<TButton>(panel, "Cancel", {10, 260, 80, 22}, QStringLiteral("Отмена"));
    Make<TButton>(panel, "Pick", {194, 72, 28, 22}, QStringLiteral("..."));
    auto* category = Make<TComboBox>(panel, "Category", {90, 10, 200, 22});
    category->setEditable(true);
    Make<TEdit>(panel, "Date", {90, 73, 100, 20});  // a pixel lower, the same line
    Make<TMemo>(panel, "Memo", {10, 100, 380, 150});
    SetReadingTabOrder(panel);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    category->setFocus();
    QStringList visited;
    for (int i = 0; i < 7; ++i) {
        QWidget* focus = QApplication::focusWidget();
        visited << (focus->parentWidget() == category ? category->objectName() : focus->objectName());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(visited, (QStringList{"Category", "Name", "Date", "Pick", "Memo", "Cancel", "Save"}));
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
