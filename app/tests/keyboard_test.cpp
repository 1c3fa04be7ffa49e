// The main window driven from the keyboard and through its accessibility tree, as a user
// without a mouse or with a screen reader drives it.
#include <QAccessible>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include "app/main_form.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/stream.h"
#include "storage/stream_container.h"
#include "kit/accessibility.h"
#include "kit/message.h"

using namespace pomix;

namespace {

// A section with one captioned field, enough to see the focus arrive in it.
class FieldSection : public TSectionWindow {
public:
    explicit FieldSection(int index) : TSectionWindow(index, "Section" + std::to_string(index), {}) {
        Make<TLabel>(this, "Label1", {10, 12, 60, 15}, QStringLiteral("Поиск"));
        Field = Make<TEdit>(this, "Edit1", {80, 10, 150, 20});
    }
    TEdit* Field;
};

QAccessibleInterface* Accessible(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

}  // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallAccessibility(); }
    void init();
    void cleanup();
    void tabAndSpaceOrEnterSelectSections();
    void screenReaderFindsAndPressesEverySectionButton();
    void lockedSectionsIgnoreTheKeyboardAndThePasswordFieldIsNamed();

private:
    void WriteSettingsFile(bool checkPassword);
    static TMainForm::SectionFactory Sections() {
        return [](int index, StreamContainer&, SectionLoad) -> TSectionWindow* {
            return new FieldSection(index);
        };
    }
    static void ShowActive(QWidget& window) {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }

    std::unique_ptr<QTemporaryDir> dir_;
    QStringList messages_;
};

void KeyboardTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QDir(dir_->path()).mkpath(QStringLiteral("Data"));
    SetProgramDir(dir_->path().toStdString());
    SettingsRecord = TSettingsRecord{};
    messages_.clear();
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_ << text;
        return MessageAnswer::Ok;
    });
}

void KeyboardTest::cleanup() {
    SetMessagePresenter({});
    SetProgramDir("");
}

void KeyboardTest::WriteSettingsFile(bool checkPassword) {
    TSettingsRecord record;
    record.CheckPassword = checkPassword;
    MemoryStream stream;
    pomix::WriteSettings(record, stream);
    StreamContainer container;
    container.AddStream(kSettingsStreamName, &stream);
    container.SaveToFile(DataDir() + "Pomix.ini");
}

void KeyboardTest::tabAndSpaceOrEnterSelectSections() {
    WriteSettingsFile(false);
    TMainForm form(Sections());
    QVERIFY(form.SectionsUnlocked);
    ShowActive(form);

    form.SectionButtons[0]->setFocus();
    for (int i = 1; i < kSectionCount; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.SectionButtons[std::size_t(i)]);
    }
    QTest::keyClick(form.SectionButtons[1], Qt::Key_Space);
    QCOMPARE(form.Display->Shown(), 1);
    QVERIFY(form.SectionButtons[1]->HasBorder());
    QTest::keyClick(form.SectionButtons[3], Qt::Key_Return);
    QCOMPARE(form.Display->Shown(), 3);
    QVERIFY(!form.SectionButtons[1]->HasBorder());

    // From the last section button the Tab key goes on into the section shown.
    auto* section = static_cast<FieldSection*>(form.Display->Window(3));
    form.SectionButtons[5]->setFocus();
    QTest::keyClick(form.SectionButtons[5], Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), section->Field);
    QTRY_COMPARE(section->Field->accessibleName(), QStringLiteral("Поиск"));
    QVERIFY(form.close());
}

void KeyboardTest::screenReaderFindsAndPressesEverySectionButton() {
    WriteSettingsFile(false);
    TMainForm form(Sections());
    ShowActive(form);
    for (int i = kSectionCount - 1; i >= 0; --i) {
        TStaticButton* button = form.SectionButtons[std::size_t(i)];
        QAccessibleInterface* face = Accessible(button);
        QVERIFY(face != nullptr);
        QCOMPARE(face->role(), QAccessible::Button);
        QCOMPARE(face->text(QAccessible::Name), button->text());
        QVERIFY(!face->text(QAccessible::Name).isEmpty());
        face->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(form.Display->Shown(), i);
    }
    // The password title is a title, not a button.
    QCOMPARE(Accessible(form.passwordTitle)->role(), QAccessible::StaticText);
    QVERIFY(form.close());
}

void KeyboardTest::lockedSectionsIgnoreTheKeyboardAndThePasswordFieldIsNamed() {
    WriteSettingsFile(true);
    TMainForm form(Sections());
    ShowActive(form);
    QVERIFY(!form.SectionsUnlocked);
    QTest::keyClick(form.SectionButtons[2], Qt::Key_Space);
    Accessible(form.SectionButtons[2])->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(form.Display->Shown(), -1);
    QTRY_COMPARE(form.passwordEdit->accessibleName(), QStringLiteral("Введите пароль"));
    // The empty password opens from the keyboard alone.
    form.passwordEdit->setFocus();
    QTest::keyClick(form.passwordEdit, Qt::Key_Return);
    QVERIFY(form.SectionsUnlocked);
    QTest::keyClick(form.SectionButtons[2], Qt::Key_Space);
    QCOMPARE(form.Display->Shown(), 2);
    QVERIFY(form.close());
}

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
