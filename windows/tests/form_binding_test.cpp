// The dictionary binding of a window resolved against its Qt controls, and the section
// window's show and close steps.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "core/settings/ini_file.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/cp1251.h"
#include "kit/controls.h"
#include "kit/convert.h"
#include "kit/message.h"
#include "kit/recolour.h"
#include "windows/section_window.h"

using namespace pomix;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A section window with one control of each kind the dictionary reaches.
class SampleWindow : public TSectionWindow {
public:
    explicit SampleWindow(QWidget* parent = nullptr)
        : TSectionWindow(kRecolourNotes, "NoteBookForm",
                         ExpandItems({"Button1-2.Caption,Hint", "Text1.Caption", "N1.Caption", "TabSheet2.Caption",
                                      "ComboBox1.Items", "Edit1.Caption", "Ghost.Caption"}),
                         parent) {
        Button1 = Make<TButton>(this, "Button1", {0, 0, 80, 20}, QStringLiteral("Добавить"));
        Button1->setToolTip(QStringLiteral("Добавить запись"));
        Make<TButton>(this, "Button2", {0, 30, 80, 20}, QStringLiteral("Удалить"));
        Text1 = Make<TStaticButton>(this, "Text1", {0, 60, 80, 20}, QStringLiteral("  Заметки  "));
        N1 = new QAction(QStringLiteral("Добавить"), this);
        N1->setObjectName("N1");
        Tabs = Make<QTabWidget>(this, "PageControl1", {100, 0, 200, 100});
        Tabs->addTab(new QWidget, QStringLiteral("Основные"));
        auto* second = new QWidget;
        second->setObjectName("TabSheet2");
        Tabs->addTab(second, QStringLiteral("Ежедневник"));
        ComboBox1 = Make<TComboBox>(this, "ComboBox1", {0, 90, 80, 20});
        Make<TEdit>(this, "Edit1", {0, 120, 80, 20});
    }
    int reInits = 0;
    int closes = 0;
    bool failClose = false;
    TButton* Button1;
    TStaticButton* Text1;
    QAction* N1;
    QTabWidget* Tabs;
    TComboBox* ComboBox1;

protected:
    void ReInit() override {
        ++reInits;
        TSectionWindow::ReInit();
    }
    void FormClose() override {
        ++closes;
        if (failClose) throw std::runtime_error("Cannot create file x");
    }
};

}  // namespace

class FormBindingTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void expandItemsFollowsTheListOrder();
    void showReadsTheDictionaryThenReInit();
    void closeWritesEveryItemBack();
    void neverShownWindowWritesNothing();
    void unwritableDictionaryIsReportedAndTheCloseGoesOn();
    void failingCloseHandlerStopsBeforeTheWriteBack();

private:
    QTemporaryDir dir_;
    QStringList messages_;
    MessagePresenter previous_;
    QString Dictionary() const { return dir_.filePath(QStringLiteral("Lang/Test.lng")); }
};

void FormBindingTest::init() {
    QVERIFY(dir_.isValid());
    QDir(dir_.path()).mkpath(QStringLiteral("Lang"));
    SetProgramDir(dir_.path().toStdString());
    SettingsRecord = TSettingsRecord{};
    SettingsRecord.LanguageFile = "Test.lng";
    messages_.clear();
    previous_ = SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_ << text;
        return MessageAnswer::Ok;
    });
}

void FormBindingTest::cleanup() {
    SetMessagePresenter(previous_);
    QFile::setPermissions(Dictionary(), QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(Dictionary());
    SetProgramDir("");
}

void FormBindingTest::expandItemsFollowsTheListOrder() {
    const std::vector<std::string> expected = {"Button1.Caption", "Button1.Hint", "Button2.Caption", "Button2.Hint",
                                               "Label8.Caption",  "Label9.Caption", "Label10.Caption", "ComboBox1.Items"};
    QCOMPARE(ExpandItems({"Button1-2.Caption,Hint", "Label8-10.Caption", "ComboBox1.Items"}), expected);
}

void FormBindingTest::showReadsTheDictionaryThenReInit() {
    WriteFile(Dictionary(), Utf8ToCp1251("[NoteBookForm]\r\n"
                                         "button1_caption=  Add  \r\n"
                                         "Button1_Hint=Add a note\r\n"
                                         "Text1_Caption=Notes\r\n"
                                         "N1_Caption=New\r\n"
                                         "TabSheet2_Caption=Planner\r\n"
                                         "Edit1_Caption=ignored\r\n"
                                         "[NoteBookForm.ComboBox1_Items]\r\nCount=2\r\nItem0=Стальная\r\nItem1=Серая\r\n")
                                 .c_str());
    SampleWindow window;
    window.Binding().BindDictionary();
    QVERIFY(window.Binding().FormStorage1.Active());
    QCOMPARE(window.Button1->text(), QStringLiteral("Добавить"));  // nothing read before the show
    RecolourPending.fill(1);
    window.show();
    QCOMPARE(window.reInits, 1);
    QCOMPARE(window.Button1->text(), QStringLiteral("Add"));
    QCOMPARE(window.Button1->toolTip(), QStringLiteral("Add a note"));
    QCOMPARE(window.Text1->text(), QStringLiteral("Notes"));
    QCOMPARE(window.N1->text(), QStringLiteral("New"));
    QCOMPARE(window.Tabs->tabText(1), QStringLiteral("Planner"));
    QCOMPARE(window.ComboBox1->count(), 2);
    QCOMPARE(window.ComboBox1->itemText(0), QStringLiteral("Стальная"));
    QCOMPARE(RecolourPending[kRecolourNotes], std::uint8_t(0));
    window.hide();
    window.show();
    QCOMPARE(window.reInits, 2);
}

void FormBindingTest::closeWritesEveryItemBack() {
    WriteFile(Dictionary(), "; kept\r\n[NoteBookForm]\r\nFormVersion=3\r\n");
    SampleWindow window;
    window.Binding().BindDictionary();
    window.show();
    window.ComboBox1->addItems({QStringLiteral("Один"), QStringLiteral("Два")});
    window.CloseForm();
    QCOMPARE(window.closes, 1);
    QVERIFY(!window.isVisible());
    const IniFile file(Dictionary().toStdString());
    QCOMPARE(file.ReadString("NoteBookForm", "FormVersion", "?"), std::string("0"));
    QCOMPARE(ToQt(file.ReadString("NoteBookForm", "Button1_Caption", "?")), QStringLiteral("Добавить"));
    QCOMPARE(ToQt(file.ReadString("NoteBookForm", "Button1_Hint", "?")), QStringLiteral("Добавить запись"));
    QCOMPARE(ToQt(file.ReadString("NoteBookForm", "Button2_Caption", "?")), QStringLiteral("Удалить"));
    QCOMPARE(ToQt(file.ReadString("NoteBookForm", "Text1_Caption", "?")), QStringLiteral("Заметки"));  // trimmed
    QCOMPARE(ToQt(file.ReadString("NoteBookForm", "TabSheet2_Caption", "?")), QStringLiteral("Ежедневник"));
    QCOMPARE(ToQt(file.ReadString("NoteBookForm", "N1_Caption", "?")), QStringLiteral("Добавить"));
    QCOMPARE(file.ReadString("NoteBookForm", "Edit1_Caption", "?"), std::string("?"));  // no such property
    QCOMPARE(file.ReadString("NoteBookForm", "Ghost_Caption", "?"), std::string("?"));  // no such control
    QCOMPARE(file.ReadString("NoteBookForm.ComboBox1_Items", "Count", "?"), std::string("2"));
    QCOMPARE(ToQt(file.ReadString("NoteBookForm.ComboBox1_Items", "Item1", "?")), QStringLiteral("Два"));
    QVERIFY(file.Text().find("; kept") != std::string::npos);
    QVERIFY(messages_.isEmpty());
}

void FormBindingTest::neverShownWindowWritesNothing() {
    WriteFile(Dictionary(), "[Other]\r\nk=v\r\n");
    SampleWindow window;
    window.Binding().BindDictionary();
    window.CloseForm();
    QFile file(Dictionary());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[Other]\r\nk=v\r\n"));
}

void FormBindingTest::unwritableDictionaryIsReportedAndTheCloseGoesOn() {
    WriteFile(Dictionary(), "");
    SampleWindow window;
    window.Binding().BindDictionary();
    window.show();
    // A folder where the file was: the write fails for every user, the superuser included.
    QFile::remove(Dictionary());
    QDir().mkpath(Dictionary());
    window.CloseForm();
    QDir().rmdir(Dictionary());
    QCOMPARE(window.closes, 1);
    QVERIFY(!window.isVisible());
    QCOMPARE(messages_, QStringList{MessageString("DictionaryWriteFailed").arg(Dictionary())});
}

void FormBindingTest::failingCloseHandlerStopsBeforeTheWriteBack() {
    WriteFile(Dictionary(), "");
    SampleWindow window;
    window.Binding().BindDictionary();
    window.show();
    window.failClose = true;
    window.FileName = "/data/x.dat";
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, window.CloseForm());
    QVERIFY(window.isVisible());
    QCOMPARE(QFile(Dictionary()).size(), qint64(0));
    // A close request from elsewhere shows the failure instead of passing it into Qt.
    QVERIFY(!window.close());
    // The system's English text stays out of the message; a failure of no known kind is
    // worded by the dictionary.
    QCOMPARE(messages_, QStringList{MessageString("FileWriteFailed")
                                        .arg("/data/x.dat", MessageString("ReasonOther"))});
}

QTEST_MAIN(FormBindingTest)
#include "form_binding_test.moc"
