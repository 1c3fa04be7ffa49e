// Keyboard and screen-reader access: clickable static texts as focusable, pressable buttons,
// captions and title strips left as text, fields named by their captions.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include "ui/accessibility.h"
#include "ui/controls.h"

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

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
