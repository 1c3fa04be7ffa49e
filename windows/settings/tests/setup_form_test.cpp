// The settings window driven headless: what "Сохранить" takes and refuses, the colour schemes
// and swatches, the colour dialog, the event-name grid, the file choosers and the recolouring.
#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "windows/settings/backup_dialog.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "windows/settings/setup_form.h"
#include "storage/cp1251.h"
#include "storage/report.h"
#include "storage/stream.h"
#include "kit/convert.h"
#include "kit/desktop.h"
#include "kit/file_dialog.h"
#include "kit/message.h"
#include "kit/recolour.h"

using namespace pomix;

namespace {

std::string W(const char* utf8) { return Utf8ToCp1251(utf8); }

// Types text key by key, as a keyboard with any layout would.
void Type(QWidget* field, const char* utf8) {
    for (const QChar c : QString::fromUtf8(utf8)) {
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

std::vector<std::uint8_t> RecordBytes(const TSettingsRecord& record) {
    MemoryStream stream;
    WriteSettings(record, stream);
    return std::vector<std::uint8_t>(stream.Data().begin(), stream.Data().end());
}

TSettingsRecord Ordinary() {
    TSettingsRecord r;
    r.ShowHints = true;
    r.ConfirmDelete = true;
    r.Password = W("секрет");
    r.EditColor = 0xFFFFFF;
    r.WindowColor = 0xC0C0C0;
    r.AccentColor = 0x808080;
    r.ButtonTextColor = 0xFFFFFF;
    r.CategoryNames = {"Soft CD", "Music CD", "Video", W("Книги"), W("Разное"), "Game CD"};
    r.OverdueMark = "!!!";
    r.BirthdayDays = 10;
    r.EventNames = {W("Встреча"), W("Звонок")};
    r.PlannedDayColor = 0x0000FF;
    r.DoneEventColor = 0xC0C0C0;
    r.ReminderLead = 75;
    r.AlarmSound = "alarm.wav";
    return r;
}

// Values the controls cannot show as they are.
TSettingsRecord Odd() {
    TSettingsRecord r = Ordinary();
    r.ReservedText = std::string("\x00\x01\xFF", 3);
    r.Password = std::string("  p\x98w\td  ", 10);
    r.EditColor = 0xFF123456;
    r.WindowColor = 0x01C0C0C0;
    r.AccentColor = 0x80808080;
    r.EditTextColor = 0xAA000000;
    r.LabelTextColor = 0x10000001;
    r.ButtonTextColor = 0xFFFFFFFF;
    r.CategoryNames[2] = "line\r\nbreak";
    r.OverdueMark = "overdue!";
    r.BirthdayDays = 5000;
    r.EventNames = {"", "a;b", "", std::string(300, 'x')};
    r.PlannedDayColor = 0xFF0000FF;
    r.DoneEventColor = 0x7FC0C0C0;
    r.ReminderLead = 100000;
    r.AlarmSound = "../x.wav";
    r.LanguageFile = "";
    return r;
}

}  // namespace

class SetupFormTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void saveAtOnceKeepsTheRecordByteForByte_data();
    void saveAtOnceKeepsTheRecordByteForByte();
    void controlsShowTheRecord();
    void everySchemeSetsItsSwatchesAndIsStoredOnSave();
    void schemeWithoutSaveChangesNothing();
    void refillingTheSchemeListShowsTheSavedSchemeAndAppliesNothing();
    void badReminderTimeOrHorizonChangesNothing_data();
    void badReminderTimeOrHorizonChangesNothing();
    void saveSetsAllFlagsAndRecoloursMainWindowAndItself();
    void colourDialogOkAndCancel();
    void eventNameGridAddsDeletesAndSaves();
    void soundAndDictionaryKeepOnlyTheFileName();
    void fieldsRefuseCharactersOutsideCodePage();
    void masksAndGridKeepTheirColoursPagesTakeWindowColour();
    void linksOpenTheWebAddressAndANewMessage();
    void textSetWithoutKeysIsTakenAndChangingBackKeepsTheStoredValue();
    void backupDialogOpensAtOnceAndFillsWhenTheCheckArrives();

private:
    std::unique_ptr<QTemporaryDir> folder_;
    std::vector<QString> messages_;
    int reports_ = 0;
    std::string lastReport_;
};

void SetupFormTest::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    SetProgramDir(folder_->path().toStdString());
    messages_.clear();
    reports_ = 0;
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_.push_back(text);
        return MessageAnswer::Ok;
    });
    SetReportHook([this](const std::string& report) {
        ++reports_;
        lastReport_ = report;
    });
    SettingsRecord = Ordinary();
    SetAllRecolourPending();
}

void SetupFormTest::cleanup() {
    SetMessagePresenter({});
    SetReportHook({});
    SetColourChooser({});
    SetFileChooser({});
    SetMainWindowRecolour({});
    SetProgramDir("");
    SettingsRecord = TSettingsRecord{};
}

void SetupFormTest::saveAtOnceKeepsTheRecordByteForByte_data() {
    QTest::addColumn<int>("which");
    QTest::newRow("ordinary") << 0;
    QTest::newRow("odd values") << 1;
    QTest::newRow("negative numbers") << 2;
    QTest::newRow("empty") << 3;
}

void SetupFormTest::saveAtOnceKeepsTheRecordByteForByte() {
    QFETCH(int, which);
    TSettingsRecord record = which == 0 ? Ordinary() : Odd();
    if (which == 2) {
        record.ReminderLead = -1;
        record.BirthdayDays = -7;
    }
    if (which == 3) record = TSettingsRecord{};
    SettingsRecord = record;
    const auto before = RecordBytes(record);
    TSettingsWindow form;
    form.show();
    QVERIFY(form.SaveSettings());
    QCOMPARE(RecordBytes(SettingsRecord), before);
    // And a second save after the window reloaded its controls.
    QVERIFY(form.SaveSettings());
    QCOMPARE(RecordBytes(SettingsRecord), before);
    QVERIFY(messages_.empty());
    QCOMPARE(reports_, 0);
}

void SetupFormTest::controlsShowTheRecord() {
    TSettingsWindow form;
    QCOMPARE(form.passwordEdit->text(), QString::fromUtf8("секрет"));
    QCOMPARE(form.leadEdit->Text(), std::string("01:15"));
    QCOMPARE(form.horizonEdit->Text(), std::string("10"));
    QCOMPARE(form.eventNamesGrid->Rows(), SettingsRecord.EventNames);
    QCOMPARE(form.categoryEdits[3]->text(), QString::fromUtf8("Книги"));
    QVERIFY(form.hintsBox->isChecked());
    QVERIFY(!form.passwordBox->isChecked());
    QCOMPARE(form.windowSwatch->Background(), TColor{0xC0C0C0});
    QCOMPARE(form.labelTextSample->Background(), TColor{0xC0C0C0});
    QCOMPARE(form.buttonTextSample->TextColour(), TColor{0xFFFFFF});
    QCOMPARE(form.doneEventSample->Background(), TColor{0xFFFFFF});
    QCOMPARE(form.doneEventSample->TextColour(), TColor{0xC0C0C0});

    // A lead or horizon the fields cannot hold is shown as nothing rather than a wrong value.
    SettingsRecord = Odd();
    SetAllRecolourPending();
    TSettingsWindow odd;
    QCOMPARE(odd.leadEdit->Text(), std::string(TMaskEdit::EmptyText(TMaskEdit::Kind::Time)));
    QCOMPARE(odd.horizonEdit->Text(), std::string());
    QCOMPARE(odd.eventNamesGrid->rowCount(), 4);
}

void SetupFormTest::everySchemeSetsItsSwatchesAndIsStoredOnSave() {
    struct Scheme {
        TColor window, accent, planned;
    };
    const Scheme schemes[7] = {
        {0xB09880, 0x806450, 0x0000FF}, {0xC0C0C0, 0x808080, 0x0000FF}, {0xC8B8A0, 0x988058, 0xFF8000},
        {0xD8A8B0, 0xB05058, 0x0000FF}, {0xB8B0D0, 0x7060A0, 0x0000FF}, {0xB8CCD8, 0x808000, 0x0000FF},
        {0xA8B090, 0x788058, 0x0000FF},
    };
    for (int i = 0; i < 7; ++i) {
        TSettingsRecord start = Odd();
        start.ReminderLead = 10;
        start.BirthdayDays = 3;
        SettingsRecord = start;
        SetAllRecolourPending();
        TSettingsWindow form;
        form.schemeBox->SetItems({"1", "2", "3", "4", "5", "6", "7"});
        form.schemeBox->setCurrentIndex(i);
        const Scheme& s = schemes[i];
        QCOMPARE(form.windowSwatch->Background(), s.window);
        QCOMPARE(form.labelTextSample->Background(), s.window);
        QCOMPARE(form.accentSwatch->Background(), s.accent);
        QCOMPARE(form.buttonTextSample->Background(), s.accent);
        QCOMPARE(form.plannedDaySwatch->Background(), s.planned);
        QCOMPARE(form.editSwatch->Background(), TColor{0xFFFFFF});
        QCOMPARE(form.editTextSample->Background(), TColor{0xFFFFFF});
        QCOMPARE(form.doneEventSample->Background(), TColor{0xFFFFFF});
        QVERIFY(form.SaveSettings());
        const TSettingsRecord& r = SettingsRecord;
        QCOMPARE(r.WindowColor, s.window);
        QCOMPARE(r.AccentColor, s.accent);
        QCOMPARE(r.PlannedDayColor, s.planned);
        QCOMPARE(r.EditColor, TColor{0xFFFFFF});
        QCOMPARE(r.EditTextColor, TColor{0x000000});
        QCOMPARE(r.LabelTextColor, TColor{0x000000});
        QCOMPARE(r.ButtonTextColor, TColor{0xFFFFFF});
        QCOMPARE(r.DoneEventColor, TColor{0xC0C0C0});
        // Nothing else moved.
        TSettingsRecord rest = r;
        rest.WindowColor = start.WindowColor;
        rest.AccentColor = start.AccentColor;
        rest.PlannedDayColor = start.PlannedDayColor;
        rest.EditColor = start.EditColor;
        rest.EditTextColor = start.EditTextColor;
        rest.LabelTextColor = start.LabelTextColor;
        rest.ButtonTextColor = start.ButtonTextColor;
        rest.DoneEventColor = start.DoneEventColor;
        QVERIFY(rest == start);
    }
}

void SetupFormTest::schemeWithoutSaveChangesNothing() {
    TSettingsWindow form;
    form.show();
    RecolourPending.fill(0);
    const TSettingsRecord before = SettingsRecord;
    form.schemeBox->SetItems({"1", "2", "3", "4", "5", "6", "7"});
    form.schemeBox->setCurrentIndex(0);
    QCOMPARE(form.windowSwatch->Background(), TColor{0xB09880});
    form.hide();
    form.show();  // as when the user comes back from another section
    QVERIFY(SettingsRecord == before);
    for (std::uint8_t flag : RecolourPending) QCOMPARE(flag, std::uint8_t{0});
    QCOMPARE(form.windowSwatch->Background(), TColor{0xB09880});  // the edit stays in the window
}

void SetupFormTest::refillingTheSchemeListShowsTheSavedSchemeAndAppliesNothing() {
    std::filesystem::create_directories(folder_->filePath("Lang").toStdString());
    {
        std::ofstream dictionary(folder_->filePath("Lang/d.lng").toStdString(), std::ios::binary);
        dictionary << "[SetupForm.ComboBox1_Items]\r\nCount=7\r\n";
        for (int i = 0; i < 7; ++i) dictionary << "Item" << i << "=S" << i << "\r\n";
    }
    SettingsRecord.LanguageFile = "d.lng";
    {
        // Colours of no scheme: none is shown.
        SettingsRecord.AccentColor = 0x808081;
        TSettingsWindow form;
        form.show();
        QCOMPARE(form.schemeBox->currentIndex(), -1);
        SettingsRecord.AccentColor = 0x808080;
    }
    SetAllRecolourPending();
    TSettingsWindow form;
    QSignalSpy changes(form.schemeBox, &QComboBox::currentIndexChanged);
    for (int shown = 0; shown < 3; ++shown) {
        form.show();
        QCOMPARE(form.schemeBox->count(), 7);
        QCOMPARE(form.schemeBox->currentIndex(), 1);  // the saved colours are the silver scheme's
        form.hide();
    }
    QCOMPARE(changes.count(), 0);
    QCOMPARE(form.windowSwatch->Background(), TColor{0xC0C0C0});
    // A scheme the user chose stays chosen over later refills.
    form.schemeBox->setCurrentIndex(4);
    form.show();
    QCOMPARE(form.schemeBox->currentIndex(), 4);
    QCOMPARE(changes.count(), 1);
}

void SetupFormTest::badReminderTimeOrHorizonChangesNothing_data() {
    QTest::addColumn<QString>("lead");
    QTest::addColumn<QString>("horizon");
    QTest::addColumn<bool>("timeMessage");
    QTest::newRow("hour 24") << "24:00" << "10" << true;
    QTest::newRow("minute 60") << "10:60" << "10" << true;
    QTest::newRow("blank time") << "" << "10" << true;
    QTest::newRow("half a time") << "1" << "10" << true;
    QTest::newRow("empty horizon") << "00:30" << "" << false;
}

void SetupFormTest::badReminderTimeOrHorizonChangesNothing() {
    QFETCH(QString, lead);
    QFETCH(QString, horizon);
    QFETCH(bool, timeMessage);
    TSettingsWindow form;
    form.show();
    RecolourPending.fill(0);
    const TSettingsRecord before = SettingsRecord;
    form.hintsBox->setChecked(false);
    QTest::keyClick(form.passwordEdit, Qt::Key_End);  // a filled field opens at its start
    QTest::keyClicks(form.passwordEdit, "x");
    form.leadEdit->selectAll();
    form.leadEdit->del();
    QTest::keyClicks(form.leadEdit, lead);
    form.horizonEdit->selectAll();
    form.horizonEdit->del();
    QTest::keyClicks(form.horizonEdit, horizon);
    form.schemeBox->SetItems({"1", "2", "3", "4", "5", "6", "7"});
    form.schemeBox->setCurrentIndex(2);

    QVERIFY(!form.SaveSettings());
    QVERIFY(SettingsRecord == before);
    for (std::uint8_t flag : RecolourPending) QCOMPARE(flag, std::uint8_t{0});
    if (timeMessage) {
        QCOMPARE(reports_, 1);
        QCOMPARE(lastReport_, std::string(kIncorrectTimeMessage));
        QVERIFY(messages_.empty());
    } else {
        QCOMPARE(reports_, 0);
        QCOMPARE(messages_.size(), std::size_t{1});
        QCOMPARE(messages_[0], MessageString("NotWholeNumber").arg(QString()));
    }
    // Mended, the same edits are taken.
    form.leadEdit->setText("02:05");
    form.leadEdit->setModified(true);
    form.horizonEdit->setText("365");
    form.horizonEdit->setModified(true);
    QVERIFY(form.SaveSettings());
    QCOMPARE(SettingsRecord.ReminderLead, 125);
    QCOMPARE(SettingsRecord.BirthdayDays, 365);
    QCOMPARE(SettingsRecord.ShowHints, false);
    QCOMPARE(SettingsRecord.Password, W("секретx"));
    QCOMPARE(SettingsRecord.WindowColor, TColor{0xC8B8A0});
}

void SetupFormTest::saveSetsAllFlagsAndRecoloursMainWindowAndItself() {
    TSettingsWindow form;
    form.show();
    int mainRecolours = 0;
    SetMainWindowRecolour([&] {
        ++mainRecolours;
        QCOMPARE(RecolourPending[kRecolourMain], std::uint8_t{1});
        RecolourPending[kRecolourMain] = 0;
    });
    RecolourPending.fill(0);
    form.schemeBox->SetItems({"1", "2", "3", "4", "5", "6", "7"});
    form.schemeBox->setCurrentIndex(0);
    QVERIFY(form.SaveSettings());
    QCOMPARE(mainRecolours, 1);
    for (int i : {kRecolourPlanner, kRecolourAddressBook, kRecolourNotes, kRecolourCatalog, kRecolourDebts,
                  kRecolourDatePicker}) {
        QCOMPARE(RecolourPending[i], std::uint8_t{1});
    }
    QCOMPARE(RecolourPending[kRecolourSettings], std::uint8_t{0});
    QCOMPARE(RecolourPending[kRecolourMain], std::uint8_t{0});
    // This window took the new colours at once.
    QCOMPARE(form.saveButton->palette().color(QPalette::Button), ToQColor(0x806450));
    QCOMPARE(form.palette().color(QPalette::Window), ToQColor(0xB09880));
}

void SetupFormTest::colourDialogOkAndCancel() {
    TSettingsWindow form;
    std::vector<TColor> presets;
    bool accept = false;
    TColor answer = 0;
    SetColourChooser([&](QWidget*, TColor& colour) {
        presets.push_back(colour);
        if (accept) colour = answer;
        return accept;
    });
    const auto click = [](TColourSwatch* swatch) { QTest::mouseClick(swatch, Qt::LeftButton); };
    const TSettingsRecord before = SettingsRecord;

    // Cancel: nothing changes, whatever swatch.
    for (TColourSwatch* s : {form.windowSwatch, form.accentSwatch, form.editSwatch, form.labelTextSample,
                             form.buttonTextSample, form.editTextSample, form.plannedDaySwatch,
                             form.doneEventSample}) {
        const TColor background = s->Background(), text = s->TextColour();
        click(s);
        QCOMPARE(s->Background(), background);
        QCOMPARE(s->TextColour(), text);
    }
    QCOMPARE(presets, (std::vector<TColor>{0xC0C0C0, 0x808080, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0x0000FF,
                                           0xC0C0C0}));

    accept = true;
    answer = 0x123456;
    click(form.accentSwatch);
    QCOMPARE(form.accentSwatch->Background(), TColor{0x123456});
    QCOMPARE(form.buttonTextSample->Background(), TColor{0x123456});
    QCOMPARE(form.labelTextSample->Background(), TColor{0xC0C0C0});
    answer = 0x654321;
    click(form.editTextSample);
    QCOMPARE(form.editTextSample->TextColour(), TColor{0x654321});
    QCOMPARE(form.editTextSample->Background(), TColor{0xFFFFFF});
    answer = 0x00FF00;
    click(form.plannedDaySwatch);
    answer = 0x0000AA;
    click(form.doneEventSample);
    QVERIFY(SettingsRecord == before);  // nothing before "Сохранить"
    QVERIFY(form.SaveSettings());
    QCOMPARE(SettingsRecord.AccentColor, TColor{0x123456});
    QCOMPARE(SettingsRecord.EditTextColor, TColor{0x654321});
    QCOMPARE(SettingsRecord.PlannedDayColor, TColor{0x00FF00});
    QCOMPARE(SettingsRecord.DoneEventColor, TColor{0x0000AA});
    QCOMPARE(SettingsRecord.WindowColor, before.WindowColor);
}

void SetupFormTest::eventNameGridAddsDeletesAndSaves() {
    SettingsRecord.EventNames = {"a", "b", "c"};
    TSettingsWindow form;
    TStringGrid* grid = form.eventNamesGrid;
    grid->SetRow(1);
    QTest::mouseClick(form.addNameButton, Qt::LeftButton);
    QCOMPARE(grid->Rows(), (StrList{"a", "", "b", "c"}));
    QCOMPARE(grid->Row(), 1);
    // The new row is open for typing; Escape leaves it empty.
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->model()->index(1, 0)));
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    grid->item(1, 0)->setText(QString::fromUtf8("Обед"));
    grid->SetRow(3);
    QTest::mouseClick(form.deleteNameButton, Qt::LeftButton);
    QCOMPARE(grid->Rows(), (StrList{"a", W("Обед"), "b"}));
    QCOMPARE(grid->Row(), 2);
    QVERIFY(form.SaveSettings());
    QCOMPARE(SettingsRecord.EventNames, (StrList{"a", W("Обед"), "b"}));

    // Deleting everything leaves one empty row, saved as no names at all.
    for (int i = 0; i < 5; ++i) QTest::mouseClick(form.deleteNameButton, Qt::LeftButton);
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->Rows(), StrList{""});
    QVERIFY(form.SaveSettings());
    QVERIFY(SettingsRecord.EventNames.empty());
    QCOMPARE(grid->rowCount(), 1);

    // Empty rows between names are names too.
    grid->item(0, 0)->setText("x");
    form.AddEventName();
    QCOMPARE(grid->Rows(), (StrList{"", "x"}));
    QVERIFY(form.SaveSettings());
    QCOMPARE(SettingsRecord.EventNames, (StrList{"", "x"}));
}

void SetupFormTest::soundAndDictionaryKeepOnlyTheFileName() {
    const std::string media = folder_->filePath("Media").toStdString();
    std::filesystem::create_directories(media);
    const std::string cyrillic = "звонок.wav";  // UTF-8, as the file system names it
    std::ofstream(media + "/" + cyrillic) << "RIFF";
    QString filter, start;
    std::string answer = media + "/" + cyrillic;
    SetFileChooser([&](FileDialogKind, const QString& f, const QString& s) {
        filter = f;
        start = s;
        return answer;
    });
    TSettingsWindow form;
    QTest::mouseClick(form.soundButton, Qt::LeftButton);
    QCOMPARE(filter, QString::fromUtf8("Все файлы|*|Звуки WAV|*.wav"));
    QCOMPARE(start, QString::fromStdString(ProgramDir() + "Media"));
    QCOMPARE(form.soundEdit->text(), QString::fromUtf8("звонок.wav"));

    answer = "/somewhere/else/Deutsch.lng";
    QTest::mouseClick(form.languageButton, Qt::LeftButton);
    QCOMPARE(filter, QString::fromUtf8("Все файлы|*|Файлы словарей|*.lng"));
    QCOMPARE(start, QString::fromStdString(ProgramDir() + "Lang"));
    QCOMPARE(form.languageEdit->text(), QStringLiteral("Deutsch.lng"));

    answer = "";  // cancelled
    QTest::mouseClick(form.languageButton, Qt::LeftButton);
    QCOMPARE(form.languageEdit->text(), QStringLiteral("Deutsch.lng"));
    answer = media + "/\xE2\x98\x83.wav";  // a snowman: no place in code page 1251
    QTest::mouseClick(form.soundButton, Qt::LeftButton);
    QCOMPARE(form.soundEdit->text(), QString::fromUtf8("звонок.wav"));
    QCOMPARE(messages_.size(), std::size_t{1});

    QVERIFY(form.SaveSettings());
    QCOMPARE(SettingsRecord.AlarmSound, W("звонок.wav"));
    QCOMPARE(SettingsRecord.LanguageFile, std::string("Deutsch.lng"));
    // The stored code page 1251 name leads back to the file in Media/.
    QVERIFY(std::filesystem::exists(ProgramDir() + "Media/" + Cp1251ToUtf8(SettingsRecord.AlarmSound)));
}

void SetupFormTest::fieldsRefuseCharactersOutsideCodePage() {
    SettingsRecord.Password.clear();
    TSettingsWindow form;
    Type(form.passwordEdit, "пароль☃");
    QCOMPARE(form.passwordEdit->text(), QString::fromUtf8("пароль"));
    form.categoryEdits[0]->selectAll();
    Type(form.categoryEdits[0], "Ноты♫");
    QCOMPARE(form.categoryEdits[0]->text(), QString::fromUtf8("Ноты"));
    form.soundEdit->selectAll();
    Type(form.soundEdit, "a☃.wav");
    QCOMPARE(form.soundEdit->text(), QStringLiteral("a.wav"));
    QVERIFY(form.SaveSettings());
    QCOMPARE(SettingsRecord.Password, W("пароль"));
    QCOMPARE(SettingsRecord.CategoryNames[0], W("Ноты"));
    // The overdue mark takes at most five characters.
    form.overdueEdit->selectAll();
    QTest::keyClicks(form.overdueEdit, "1234567");
    QVERIFY(form.SaveSettings());
    QCOMPARE(SettingsRecord.OverdueMark, std::string("12345"));
}

void SetupFormTest::masksAndGridKeepTheirColoursPagesTakeWindowColour() {
    SettingsRecord.WindowColor = 0x203040;
    SettingsRecord.EditColor = 0x0A0B0C;
    TSettingsWindow form;
    const QColor window = ToQColor(0x203040), edit = ToQColor(0x0A0B0C);
    for (int i = 0; i < form.pages->Count(); ++i) {
        QCOMPARE(form.pages->Page(i)->palette().color(QPalette::Window), window);
    }
    QCOMPARE(form.passwordEdit->palette().color(QPalette::Base), edit);
    QCOMPARE(form.categoryEdits[5]->palette().color(QPalette::Base), edit);
    for (QWidget* own : std::initializer_list<QWidget*>{form.leadEdit, form.horizonEdit, form.eventNamesGrid}) {
        QVERIFY(own->palette().color(QPalette::Base) != edit);
    }
}

void SetupFormTest::linksOpenTheWebAddressAndANewMessage() {
    QList<QUrl> opened;
    const DesktopOpener previous = SetDesktopOpener([&opened](const QUrl& url) { opened << url; });
    TSettingsWindow form;
    QTest::mouseClick(form.webLink, Qt::LeftButton);
    QTest::mouseClick(form.mailLink, Qt::LeftButton);
    // From the keyboard too: both are Tab stops, and Enter or Space opens them.
    QVERIFY(form.webLink->focusPolicy() & Qt::TabFocus);
    QVERIFY(form.mailLink->focusPolicy() & Qt::TabFocus);
    QTest::keyClick(form.webLink, Qt::Key_Return);
    QTest::keyClick(form.mailLink, Qt::Key_Space);
    SetDesktopOpener(previous);
    QCOMPARE(opened.size(), 4);
    for (int i : {0, 2}) {
        QCOMPARE(opened[i], QUrl(QString::fromLatin1(TSettingsWindow::kWebAddress)));
        QCOMPARE(opened[i + 1].scheme(), QStringLiteral("mailto"));
        QCOMPARE(opened[i + 1].path(), QString::fromLatin1(TSettingsWindow::kMailAddress));
    }
}

void SetupFormTest::textSetWithoutKeysIsTakenAndChangingBackKeepsTheStoredValue() {
    SettingsRecord.OverdueMark = "overdue";  // longer than the field holds
    TSettingsWindow form;
    QCOMPARE(form.overdueEdit->text(), QStringLiteral("overd"));
    // An assistive tool sets the text without any key press.
    form.languageEdit->setText(QStringLiteral("English.lng"));
    form.leadEdit->setText(QStringLiteral("00:45"));
    form.overdueEdit->setText(QStringLiteral("x"));
    form.overdueEdit->setText(QStringLiteral("overd"));  // and back to what was shown
    QVERIFY(form.SaveSettings());
    QCOMPARE(SettingsRecord.LanguageFile, std::string("English.lng"));
    QCOMPARE(SettingsRecord.ReminderLead, 45);
    QCOMPARE(SettingsRecord.OverdueMark, std::string("overdue"));
}

// The copies are checked beside the interface: the dialog is up, showing that it loads, while
// the check is held back; it fills when the check is handed back, and one closed before then
// leaves the check to find no dialog.
void SetupFormTest::backupDialogOpensAtOnceAndFillsWhenTheCheckArrives() {
    std::filesystem::create_directories(DataDir() + "Backup");
    std::ofstream(DataDir() + "Backup/Note.dat.2026-12-06") << "damaged";
    const auto lines = [](const TBackupDialog* dialog) {
        QStringList shown;
        for (int i = 0; i < dialog->copiesList->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* line = dialog->copiesList->topLevelItem(i);
            shown << QStringList{line->text(0), line->text(1), line->text(2), line->text(3)}.join(
                '/');
        }
        return shown;
    };
    TSettingsWindow form;
    form.BackupChecks().HoldArrivals();
    for (const bool closeEarly : {false, true}) {
        QStringList opened, filled;
        bool restorable = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TBackupDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            opened = lines(dialog);
            if (!closeEarly) {
                form.BackupChecks().Release(form.LastBackupCheck());
                filled = lines(dialog);
                dialog->copiesList->setCurrentItem(dialog->copiesList->topLevelItem(0));
                restorable = dialog->restoreButton->isEnabled();
            }
            dialog->reject();
        });
        form.ShowBackups();
        QVERIFY(form.BackupChecks().Waiting(form.LastBackupCheck()) == closeEarly);
        form.BackupChecks().Release(form.LastBackupCheck());
        QVERIFY(!form.BackupChecks().Waiting(form.LastBackupCheck()));
        QCOMPARE(opened, QStringList{QString::fromUtf8("Копии проверяются…///")});
        QCOMPARE(filled, closeEarly ? QStringList{} : QStringList{"Note.dat/06.12.2026//нет"});
        QVERIFY(!restorable);
    }
}

QTEST_MAIN(SetupFormTest)
#include "setup_form_test.moc"
