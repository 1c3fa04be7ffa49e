#include "windows/settings/setup_form.h"

#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>
#include <charconv>
#include <cmath>
#include <memory>

#include "windows/settings/backup_dialog.h"
#include "core/settings/program_files.h"
#include "storage/dates.h"
#include "storage/report.h"
#include "storage/text.h"
#include "sync/state.h"
#include "kit/convert.h"
#include "kit/desktop.h"
#include "kit/file_dialog.h"
#include "kit/form_parts.h"
#include "kit/message.h"
#include "kit/program_state.h"
#include "kit/recolour.h"
#include "kit/secret_store.h"

namespace pomix {

namespace {

constexpr TColor kWhite = 0xFFFFFF, kBlack = 0x000000, kSilver = 0xC0C0C0;
constexpr int kMaxLead = 24 * 60 - 1, kMaxHorizon = 999, kOverdueWidth = 5;

// The minutes of a reminder time "HH:MM", by the rules of the time routine; false (and no
// report) for an impossible one.
bool LeadMinutes(const std::string& text, std::int32_t& minutes) {
    DateTime value;
    if (!TryTextToTime(text, value)) return false;
    const TimeParts time = DecodeTime(value);
    minutes = time.hour * 60 + time.minute;
    return true;
}

bool WholeNumber(const std::string& text, std::int32_t& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return first != last && error == std::errc() && end == last;
}

constexpr const char* kShownText = "pomixShownText";

// What the field showed when the record was put into it.
void MarkShown(QLineEdit* field) { field->setProperty(kShownText, field->text()); }

// Whether the user (by keyboard, mouse or an assistive tool) changed the field since then.
bool Changed(const QLineEdit* field) { return field->text() != field->property(kShownText).toString(); }

// A text field takes over the record's value only when it was changed: a stored value the
// field cannot show as it is (too long, odd characters) survives a save.
void TakeText(const TEdit* field, std::string& value) {
    if (Changed(field)) value = field->Text();
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QRect& at, const char* caption) {
    return Make<QCheckBox>(parent, name, at, U(caption));
}

TLabel* MakeLabel(QWidget* parent, const char* name, const QRect& at, const char* caption) {
    return Make<TLabel>(parent, name, at, U(caption));
}

TEdit* MakeTextField(QWidget* parent, const char* name, const QRect& at) {
    auto* field = Make<TEdit>(parent, name, at);
    AcceptOnlyCp1251(field);
    return field;
}

}  // namespace

TColourSwatch::TColourSwatch(const QString& caption, QWidget* parent) : TStaticButton(caption, parent) {
    SetBorder(true);
    // The window paints its swatches itself from the values they hold.
    KeepOwnColours(this);
    Paint();
}

void TColourSwatch::SetBackground(TColor colour) {
    background_ = colour;
    Paint();
}

void TColourSwatch::SetTextColour(TColor colour) {
    text_ = colour;
    Paint();
}

void TColourSwatch::Paint() { SetColours(this, ToQColor(background_), ToQColor(text_)); }

TLinkLabel::TLinkLabel(const QString& caption, QWidget* parent) : TLabel(caption, parent) {
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    MakePressable();
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    TLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

const std::array<TSettingsWindow::ColourScheme, 7> TSettingsWindow::kColourSchemes = {{
    {0xB09880, 0x806450, 0x0000FF},
    {0xC0C0C0, 0x808080, 0x0000FF},
    {0xC8B8A0, 0x988058, 0xFF8000},
    {0xD8A8B0, 0xB05058, 0x0000FF},
    {0xB8B0D0, 0x7060A0, 0x0000FF},
    {0xB8CCD8, 0x808000, 0x0000FF},
    {0xA8B090, 0x788058, 0x0000FF},
}};

TSettingsWindow::TSettingsWindow(QWidget* parent)
    : TSectionWindow(kRecolourSettings, "SetupForm",
                     ExpandItems({"Label1-6.Caption",
                                  "Text1.Caption",
                                  "TabSheet1-6.Caption",
                                  "ComboBox1.Items",
                                  "Label8.Caption",
                                  "Label9.Caption",
                                  "CheckBox1.Caption",
                                  "CheckBox2.Caption",
                                  "CheckBox3.Caption",
                                  "Label10.Caption",
                                  "Label11.Caption",
                                  "Label12.Caption",
                                  "Button2.Caption",
                                  "Button3.Caption",
                                  "Button1.Caption",
                                  "CheckBox4.Caption",
                                  "Label13.Caption",
                                  "CheckBox5.Caption",
                                  "Label14.Caption",
                                  "Label15.Caption",
                                  "Color1-8.Hint,AccessibleName",
                                  "MaskEdit2.Hint",
                                  "TabSheet7.Caption",
                                  "Label16-21.Caption",
                                  "CheckBox6.Caption,Hint",
                                  "Button6.Caption,Hint",
                                  "MaskEdit3.Hint",
                                  "SyncRunningText.Caption",
                                  "SyncDoneText.Caption",
                                  "SyncConflictsText.Caption",
                                  "SyncSkippedText.Caption",
                                  "SyncRefusedItemsText.Caption",
                                  "SyncNoServerText.Caption",
                                  "SyncNoPasswordText.Caption",
                                  "SyncNoStoreText.Caption",
                                  "SyncStoredText.Caption",
                                  "SyncWaitingText.Caption",
                                  "SyncFailedText.Caption",
                                  "SyncUnreachableText.Caption",
                                  "SyncRefusedText.Caption",
                                  "SyncUnauthorizedText.Caption",
                                  "SyncBadAnswerText.Caption",
                                  "SyncBadAddressText.Caption",
                                  "SyncMissingText.Caption",
                                  "SyncFileErrorText.Caption",
                                  "SyncTitleText.Caption",
                                  "Button7.Caption",
                                  "BackupTitleText.Caption",
                                  "BackupColumnsText.Caption",
                                  "BackupYesText.Caption",
                                  "BackupNoText.Caption",
                                  "BackupRestoreText.Caption",
                                  "BackupCloseText.Caption",
                                  "BackupQuestionText.Caption",
                                  "BackupNoneText.Caption",
                                  "BackupLoadingText.Caption"}),
                     parent) {
    setObjectName("Form7");
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    BuildInfoPanel();
    // Six tabs do not fit one row of the narrow side: two rows of three.
    pages = Make<TPageControl>(this, "PageControl1", {228, 0, 286, 328}, 3);
    pages->AddPage(BuildMainPage(), U("Основные"));
    pages->AddPage(BuildPlannerPage(), U("Ежедневник"));
    pages->AddPage(BuildAddressBookPage(), U("Записная книжка"));
    auto* notesPage = new TPanel;  // the notes have no settings yet
    notesPage->setObjectName("TabSheet4");
    pages->AddPage(notesPage, U("Заметки"));
    pages->AddPage(BuildCatalogPage(), U("Каталог"));
    pages->AddPage(BuildDebtsPage(), U("Долговая книга"));
    pages->AddPage(BuildSyncPage(), U("Синхронизация"));
    QFont tabFont = small;
    tabFont.setPixelSize(10);
    for (int i = 0; i < pages->Count(); ++i) pages->Tab(i)->setFont(tabFont);

    bottomPanel = Make<TPanel>(this, "Panel2", {0, 328, kWidth, kHeight - 328});
    saveButton = MakeButton(bottomPanel, "Button1", {kWidth - 112, 4, 106, 24}, "Сохранить");
    connect(saveButton, &QPushButton::clicked, this, [this] { SaveSettings(); });

    // FormCreate: colours and swatches, then every control from the record, then the dictionary.
    ApplyColours();
    LoadControls();
    LoadSyncControls();
    binding_.BindDictionary();
}

void TSettingsWindow::BuildInfoPanel() {
    infoPanel = Make<TPanel>(this, "Panel1", {0, 0, 229, 328});
    aboutTitle = Make<TStaticButton>(infoPanel, "Text1", {0, 0, 229, 20}, U("О Программе"));
    auto* name = MakeLabel(infoPanel, "Label1", {10, 28, 209, 30}, "Pomix");
    QFont large = name->font();
    large.setPixelSize(22);
    large.setBold(true);
    name->setFont(large);
    MakeLabel(infoPanel, "Label2", {10, 60, 209, 16}, "Версия 1.1 BETA");
    MakeLabel(infoPanel, "Label3", {10, 92, 209, 16}, "Страница программы в Интернете:");
    webLink = Make<TLinkLabel>(infoPanel, "Label4", {10, 110, 209, 16}, QString::fromLatin1(kWebAddress));
    auto* wishes = MakeLabel(infoPanel, "Label5", {10, 144, 209, 96},
                             "Все пожелания, просьбы, ошибки по работе данной программы отправлять на мой "
                             "email. Этим Вы внесете вклад в развитие программы.");
    wishes->setWordWrap(true);
    wishes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mailLink = Make<TLinkLabel>(infoPanel, "Label6", {10, 244, 209, 16}, QString::fromLatin1(kMailAddress));
    connect(webLink, &TLinkLabel::clicked, this, &TSettingsWindow::OpenWebPage);
    connect(mailLink, &TLinkLabel::clicked, this, &TSettingsWindow::WriteToMaker);
}

QWidget* TSettingsWindow::BuildMainPage() {
    auto* page = new TPanel;
    page->setObjectName("TabSheet1");
    // The longest caption of the window: it may take two lines.
    hintsBox = Make<TWrapCheckBox>(page, "CheckBox1", {6, 6, 272, 30}, U("Показывать подсказки всплывающие подсказки hints"));
    confirmDeleteBox = MakeCheckBox(page, "CheckBox3", {6, 38, 272, 18}, "Подтверждать удаление");
    passwordBox = MakeCheckBox(page, "CheckBox2", {6, 60, 136, 18}, "Проверять пароль");
    passwordEdit = MakeTextField(page, "Edit2", {144, 58, 132, 22});
    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));

    MakeLabel(page, "Label8", {6, 86, 200, 16}, "Цветовые схемы");
    schemeBox = Make<TComboBox>(page, "ComboBox1", {6, 104, 270, 22});
    connect(schemeBox, &QComboBox::currentIndexChanged, this, &TSettingsWindow::ApplyScheme);

    const auto swatch = [page](const char* name, int x, int y, const char* caption, const char* hint) {
        auto* s = Make<TColourSwatch>(page, name, {x, y, 25, 25}, U(caption));
        s->setToolTip(U(hint));
        return s;
    };
    const char* colours = "Настройка цветов";
    const char* fonts = "Настройка цвета шрифта";
    windowSwatch = swatch("Color1", 6, 134, "", colours);
    accentSwatch = swatch("Color2", 36, 134, "", colours);
    editSwatch = swatch("Color3", 66, 134, "", colours);
    plannedDaySwatch = swatch("Color7", 96, 134, "", colours);
    labelTextSample = swatch("Color4", 6, 164, "R", fonts);
    buttonTextSample = swatch("Color5", 36, 164, "R", fonts);
    editTextSample = swatch("Color6", 66, 164, "R", fonts);
    doneEventSample = swatch("Color8", 96, 164, "R", colours);
    // The hints are shared; a listener hears which colour each one sets.
    const std::pair<TColourSwatch*, const char*> names[] = {
        {windowSwatch, "Цвет окон"},
        {accentSwatch, "Цвет кнопок и заголовков"},
        {editSwatch, "Цвет полей ввода"},
        {plannedDaySwatch, "Цвет дней с событиями"},
        {labelTextSample, "Цвет текста надписей"},
        {buttonTextSample, "Цвет текста кнопок"},
        {editTextSample, "Цвет текста полей ввода"},
        {doneEventSample, "Цвет выполненных событий"}};
    for (const auto& [sample, name] : names) sample->setAccessibleName(U(name));
    for (TColourSwatch* s : {windowSwatch, accentSwatch, editSwatch}) {
        connect(s, &TStaticButton::clicked, this, [this, s] { PickBackgroundColour(s); });
    }
    for (TColourSwatch* s : {labelTextSample, buttonTextSample, editTextSample}) {
        connect(s, &TStaticButton::clicked, this, [this, s] { PickTextColour(s); });
    }
    connect(plannedDaySwatch, &TStaticButton::clicked, this,
            &TSettingsWindow::PickPlannedDayColour);
    connect(doneEventSample, &TStaticButton::clicked, this, &TSettingsWindow::PickDoneEventColour);

    MakeLabel(page, "Label9", {6, 200, 200, 16}, "Язык");
    languageEdit = MakeTextField(page, "Edit5", {6, 218, 238, 22});
    languageButton = MakeButton(page, "Button4", {248, 218, 28, 22}, "...");
    connect(languageButton, &QPushButton::clicked, this, &TSettingsWindow::ChooseDictionary);
    backupsButton = MakeButton(page, "Button7", {130, 134, 146, 24}, "Резервные копии…");
    connect(backupsButton, &QPushButton::clicked, this, &TSettingsWindow::ShowBackups);
    backupTitleText = new TText(this, "BackupTitleText", "Резервные копии файлов данных");
    backupColumnsText = new TText(this, "BackupColumnsText", "Файл|Дата|Записей|Читается");
    backupYesText = new TText(this, "BackupYesText", "да");
    backupNoText = new TText(this, "BackupNoText", "нет");
    backupRestoreText = new TText(this, "BackupRestoreText", "Восстановить");
    backupCloseText = new TText(this, "BackupCloseText", "Закрыть");
    backupQuestionText = new TText(this, "BackupQuestionText",
                                   "Восстановить %1 из копии от %2 (записей: %3)? Текущий файл "
                                   "сохраняется как резервная копия, раздел загружается заново.");
    backupNoneText = new TText(this, "BackupNoneText", "Резервных копий пока нет.");
    backupLoadingText = new TText(this, "BackupLoadingText", "Копии проверяются…");
    return page;
}

QWidget* TSettingsWindow::BuildPlannerPage() {
    auto* page = new TPanel;
    page->setObjectName("TabSheet2");
    highlightBox = Make<TWrapCheckBox>(page, "CheckBox4", {6, 6, 272, 30}, U("Выделять дни с запланированными делами"));
    eventNamesGrid = Make<TStringGrid>(page, "StringGrid1", {6, 38, 200, 128});
    KeepOwnColours(eventNamesGrid);
    connect(eventNamesGrid, &TStringGrid::Edited, this, [this] { eventNamesEdited_ = true; });
    addNameButton = MakeButton(page, "Button2", {210, 38, 66, 24}, "Добавить");
    deleteNameButton = MakeButton(page, "Button3", {210, 66, 66, 24}, "Удалить");
    connect(addNameButton, &QPushButton::clicked, this, &TSettingsWindow::AddEventName);
    connect(deleteNameButton, &QPushButton::clicked, this, &TSettingsWindow::DeleteEventName);

    MakeLabel(page, "Label12", {6, 172, 200, 16}, "Оповещать о событиях");
    MakeLabel(page, "Label10", {6, 194, 80, 16}, "За время");
    leadEdit = Make<TMaskEdit>(page, "MaskEdit2", {90, 192, 60, 22}, TMaskEdit::Kind::Time);
    leadEdit->setToolTip(U("Время события: Часы.Минуты"));
    KeepOwnColours(leadEdit);
    MakeLabel(page, "Label11", {6, 220, 200, 16}, "Звуковой файл");
    soundEdit = MakeTextField(page, "Edit3", {6, 238, 238, 22});
    soundButton = MakeButton(page, "Button5", {248, 238, 28, 22}, "...");
    connect(soundButton, &QPushButton::clicked, this, &TSettingsWindow::ChooseSound);
    return page;
}

QWidget* TSettingsWindow::BuildAddressBookPage() {
    auto* page = new TPanel;
    page->setObjectName("TabSheet3");
    MakeLabel(page, "Label13", {6, 8, 228, 16}, "Проверка дней рождений за ( дней )");
    horizonEdit = Make<TDigitsEdit>(page, "MaskEdit1", {236, 6, 40, 22});
    KeepOwnColours(horizonEdit);
    showAgeBox = MakeCheckBox(page, "CheckBox5", {6, 36, 272, 18}, "Показывать возраст");
    return page;
}

QWidget* TSettingsWindow::BuildCatalogPage() {
    auto* page = new TPanel;
    page->setObjectName("TabSheet5");
    MakeLabel(page, "Label14", {6, 6, 200, 16}, "Названия категорий");
    for (int i = 0; i < 6; ++i) {
        const std::string name = "CatCap" + std::to_string(i + 1);
        categoryEdits[static_cast<std::size_t>(i)] = MakeTextField(page, name.c_str(), {6, 26 + 28 * i, 270, 22});
    }
    return page;
}

QWidget* TSettingsWindow::BuildDebtsPage() {
    auto* page = new TPanel;
    page->setObjectName("TabSheet6");
    MakeLabel(page, "Label15", {6, 8, 200, 16}, "Символ для просроченных долгов");
    overdueEdit = MakeTextField(page, "Edit4", {210, 6, 66, 22});
    overdueEdit->setMaxLength(kOverdueWidth);
    return page;
}

QWidget* TSettingsWindow::BuildSyncPage() {
    auto* page = new TPanel;
    page->setObjectName("TabSheet7");
    // Addresses, names and the password are any Unicode text: no code page 1251 filter.
    const auto field = [page](const char* labelName, const char* name, int y,
                              const char* caption) {
        MakeLabel(page, labelName, {6, y + 3, 96, 16}, caption);
        return Make<TEdit>(page, name, {104, y, 172, 22});
    };
    syncServerEdit = field("Label16", "Edit6", 6, "Сервер");
    syncUserEdit = field("Label17", "Edit7", 32, "Пользователь");
    syncPasswordEdit = field("Label18", "Edit8", 58, "Пароль");
    syncPasswordEdit->setEchoMode(QLineEdit::Password);
    syncCalendarEdit = field("Label19", "Edit9", 84, "Календарь");
    syncBookEdit = field("Label20", "Edit10", 110, "Адресная книга");
    MakeLabel(page, "Label21", {6, 139, 220, 16}, "Каждые ( минут, 0 - нет )");
    syncIntervalEdit = Make<TDigitsEdit>(page, "MaskEdit3", {236, 136, 40, 22});
    syncIntervalEdit->setToolTip(U("Синхронизировать каждые столько минут; 0 - только по команде"));
    KeepOwnColours(syncIntervalEdit);
    // Off: plain http only to this machine, so the password never travels readable.
    syncPlainHttpBox = MakeCheckBox(page, "CheckBox6", {6, 162, 272, 18},
                                    "Разрешить соединение без шифрования");
    syncPlainHttpBox->setToolTip(
        U("Пароль и данные пойдут по сети открытым текстом; только для своей локальной сети"));
    syncButton = MakeButton(page, "Button6", {126, 186, 150, 24}, "Синхронизировать",
                            "Синхронизировать ежедневник и записную книжку с сервером");
    syncStatus = MakeLabel(page, "Label22", {6, 214, 270, 48}, "");
    syncStatus->setWordWrap(true);
    syncStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    connect(syncButton, &QPushButton::clicked, this, &TSettingsWindow::RequestSync);

    syncTexts.running = new TText(this, "SyncRunningText", "Синхронизация…");
    syncTexts.done = new TText(this, "SyncDoneText",
                               "Синхронизировано %1. Здесь: +%2, изменено %3, удалено %4; "
                               "на сервере: +%5, изменено %6, удалено %7.");
    syncTexts.conflicts =
        new TText(this, "SyncConflictsText", "Конфликтов: %1, сохранены обе версии.");
    syncTexts.skipped = new TText(this, "SyncSkippedText",
                                  "Пропущено (слишком велико или не читается): %1.");
    syncTexts.refusedItems = new TText(this, "SyncRefusedItemsText",
                                       "Не принято сервером: %1, будет отправлено снова.");
    syncTexts.noServer = new TText(this, "SyncNoServerText", "Не указан адрес сервера.");
    syncTexts.noPassword = new TText(this, "SyncNoPasswordText",
                                     "Введите пароль на странице «Синхронизация».");
    syncTexts.noStore = new TText(this, "SyncNoStoreText",
                                  "Хранилище паролей недоступно: пароль хранится только до "
                                  "закрытия программы.");
    syncTexts.stored = new TText(this, "SyncStoredText", "Пароль сохранён в хранилище паролей.");
    syncTexts.waiting = new TText(this, "SyncWaitingText",
                                  "Данные изменились во время синхронизации: повтор.");
    syncTexts.failed = new TText(this, "SyncFailedText", "Синхронизация %1 не удалась: %2");
    syncTexts.unreachable = new TText(this, "SyncUnreachableText", "сервер недоступен.");
    syncTexts.refused = new TText(this, "SyncRefusedText", "сервер ответил ошибкой %1.");
    syncTexts.unauthorized =
        new TText(this, "SyncUnauthorizedText", "неверное имя пользователя или пароль.");
    syncTexts.badAnswer = new TText(this, "SyncBadAnswerText", "сервер прислал неверный ответ.");
    syncTexts.badAddress = new TText(this, "SyncBadAddressText",
                                     "адрес сервера должен начинаться с https://.");
    syncTexts.missing = new TText(this, "SyncMissingText",
                                  "на сервере нет календаря или адресной книги с таким именем.");
    syncTexts.fileError = new TText(this, "SyncFileErrorText", "файл не записан (%1).");
    syncTexts.title = new TText(this, "SyncTitleText", "Pomix: синхронизация");
    return page;
}

void TSettingsWindow::LoadSyncControls() {
    const sync::SyncSettings s = sync::LoadSyncSettings(DataDir());
    syncServerEdit->setText(QString::fromStdString(s.Server));
    syncUserEdit->setText(QString::fromStdString(s.User));
    syncCalendarEdit->setText(QString::fromStdString(s.Calendar));
    syncBookEdit->setText(QString::fromStdString(s.AddressBook));
    syncIntervalEdit->SetText(std::to_string(s.IntervalMinutes));
    syncPlainHttpBox->setChecked(s.AllowPlainHttp);
    syncPasswordEdit->clear();
}

bool TSettingsWindow::SaveSyncOptions() {
    const sync::SyncSettings stored = sync::LoadSyncSettings(DataDir());
    sync::SyncSettings s = stored;
    s.Server = syncServerEdit->text().trimmed().toStdString();
    s.User = syncUserEdit->text().trimmed().toStdString();
    s.Calendar = syncCalendarEdit->text().trimmed().toStdString();
    s.AddressBook = syncBookEdit->text().trimmed().toStdString();
    std::int32_t interval = 0;
    s.IntervalMinutes = WholeNumber(syncIntervalEdit->Text(), interval) ? interval : 0;
    s.AllowPlainHttp = syncPlainHttpBox->isChecked();
    const bool changed = s.Server != stored.Server || s.User != stored.User ||
                         s.Calendar != stored.Calendar || s.AddressBook != stored.AddressBook ||
                         s.IntervalMinutes != stored.IntervalMinutes ||
                         s.AllowPlainHttp != stored.AllowPlainHttp;
    // No Sync.ini for who never fills the page.
    if (changed) {
        try {
            sync::SaveSyncSettings(DataDir(), s);
        } catch (const std::exception& e) {
            ShowError(e.what());
            return false;
        }
    }
    const QString password = syncPasswordEdit->text();
    if (!password.isEmpty()) {
        const QString key = QString::fromStdString(sync::PasswordKey(s.Server, s.User));
        // The run has it at once; the store keeps it for the next runs, if there is one.
        KeepForRun(key, password);
        QPointer<TSettingsWindow> self(this);
        WriteSecret(key, password, [self](SecretOutcome outcome, const QString&) {
            if (!self) return;
            emit self->passwordStoreAnswered(outcome != SecretOutcome::Done);
            self->ShowSyncStatus(outcome == SecretOutcome::Done ? self->syncTexts.stored->Text
                                                                : self->syncTexts.noStore->Text);
        });
        syncPasswordEdit->clear();
    }
    emit syncOptionsSaved();
    return true;
}

void TSettingsWindow::RequestSync() {
    if (SaveSyncOptions()) emit syncRequested();
}

void TSettingsWindow::ShowSyncStatus(const QString& text) {
    syncStatus->setText(text);
}

void TSettingsWindow::LoadControls() {
    const TSettingsRecord& s = SettingsRecord;
    hintsBox->setChecked(s.ShowHints);
    passwordBox->setChecked(s.CheckPassword);
    confirmDeleteBox->setChecked(s.ConfirmDelete);
    passwordEdit->SetText(s.Password);
    languageEdit->SetText(s.LanguageFile);
    eventNamesGrid->SetRows(s.EventNames);
    eventNamesEdited_ = false;
    plannedDaySwatch->SetBackground(s.PlannedDayColor);
    doneEventSample->SetTextColour(s.DoneEventColor);
    highlightBox->setChecked(s.HighlightPlannedDays);
    if (s.ReminderLead >= 0 && s.ReminderLead <= kMaxLead) {
        leadEdit->SetText(TimeToText(EncodeTime(s.ReminderLead / 60, s.ReminderLead % 60)));
    } else {
        leadEdit->Clear();
    }
    soundEdit->SetText(s.AlarmSound);
    if (s.BirthdayDays >= 0 && s.BirthdayDays <= kMaxHorizon) horizonEdit->SetText(std::to_string(s.BirthdayDays));
    else horizonEdit->clear();
    showAgeBox->setChecked(s.ShowAge);
    for (std::size_t i = 0; i < categoryEdits.size(); ++i) categoryEdits[i]->SetText(s.CategoryNames[i]);
    overdueEdit->SetText(s.OverdueMark);
    for (QLineEdit* field : findChildren<QLineEdit*>()) MarkShown(field);
}

void TSettingsWindow::ShowSwatches() {
    const TSettingsRecord& s = SettingsRecord;
    windowSwatch->SetBackground(s.WindowColor);
    accentSwatch->SetBackground(s.AccentColor);
    editSwatch->SetBackground(s.EditColor);
    labelTextSample->SetBackground(s.WindowColor);
    labelTextSample->SetTextColour(s.LabelTextColor);
    buttonTextSample->SetBackground(s.AccentColor);
    buttonTextSample->SetTextColour(s.ButtonTextColor);
    editTextSample->SetBackground(s.EditColor);
    editTextSample->SetTextColour(s.EditTextColor);
    plannedDaySwatch->SetBackground(s.PlannedDayColor);
    doneEventSample->SetBackground(s.EditColor);
    doneEventSample->SetTextColour(s.DoneEventColor);
}

void TSettingsWindow::ApplyColours() {
    binding_.ApplyColours([this] {
        const QColor window = ToQColor(SettingsRecord.WindowColor);
        const QColor text = ToQColor(SettingsRecord.LabelTextColor);
        SetColours(pages, window, text);
        for (int i = 0; i < pages->Count(); ++i) SetColours(pages->Page(i), window, text);
        ShowSwatches();
    });
}

void TSettingsWindow::ReInit() {
    ApplyColours();
    ShowMatchingScheme();
}

void TSettingsWindow::ShowMatchingScheme() {
    if (schemeBox->currentIndex() >= 0) return;
    for (std::size_t i = 0; i < kColourSchemes.size() && static_cast<int>(i) < schemeBox->count(); ++i) {
        const ColourScheme& scheme = kColourSchemes[i];
        if (windowSwatch->Background() == scheme.window && accentSwatch->Background() == scheme.accent &&
            plannedDaySwatch->Background() == scheme.plannedDay && editSwatch->Background() == kWhite &&
            labelTextSample->TextColour() == kBlack && buttonTextSample->TextColour() == kWhite &&
            editTextSample->TextColour() == kBlack && doneEventSample->TextColour() == kSilver) {
            const QSignalBlocker quiet(schemeBox);
            schemeBox->setCurrentIndex(static_cast<int>(i));
            return;
        }
    }
}

bool TSettingsWindow::SaveSettings() {
    TSettingsRecord& s = SettingsRecord;
    // Both checks come first: a refused save changes nothing. An unchanged field holding a
    // value it could not show keeps the stored value and needs no check.
    std::int32_t lead = s.ReminderLead;
    if (Changed(leadEdit) || (s.ReminderLead >= 0 && s.ReminderLead <= kMaxLead)) {
        if (!LeadMinutes(leadEdit->Text(), lead)) {
            Report(kIncorrectTimeMessage);
            return false;
        }
    }
    std::int32_t horizon = s.BirthdayDays;
    if (Changed(horizonEdit) || (s.BirthdayDays >= 0 && s.BirthdayDays <= kMaxHorizon)) {
        const std::string text = horizonEdit->Text();
        if (!WholeNumber(text, horizon)) {
            ShowError(MessageString("NotWholeNumber").arg(ToQt(text)));
            return false;
        }
    }

    s.ShowHints = hintsBox->isChecked();
    s.CheckPassword = passwordBox->isChecked();
    s.ConfirmDelete = confirmDeleteBox->isChecked();
    TakeText(passwordEdit, s.Password);
    TakeText(languageEdit, s.LanguageFile);
    s.WindowColor = windowSwatch->Background();
    s.AccentColor = accentSwatch->Background();
    s.EditColor = editSwatch->Background();
    s.LabelTextColor = labelTextSample->TextColour();
    s.ButtonTextColor = buttonTextSample->TextColour();
    s.EditTextColor = editTextSample->TextColour();
    if (eventNamesEdited_) {
        StrList names = eventNamesGrid->Rows();
        // The grid always shows a row; alone and empty it stands for no names at all.
        if (names.size() == 1 && names.front().empty()) names.clear();
        s.EventNames = std::move(names);
    }
    s.PlannedDayColor = plannedDaySwatch->Background();
    s.DoneEventColor = doneEventSample->TextColour();
    s.HighlightPlannedDays = highlightBox->isChecked();
    s.ReminderLead = lead;
    TakeText(soundEdit, s.AlarmSound);
    s.BirthdayDays = horizon;
    s.ShowAge = showAgeBox->isChecked();
    for (std::size_t i = 0; i < categoryEdits.size(); ++i) TakeText(categoryEdits[i], s.CategoryNames[i]);
    TakeText(overdueEdit, s.OverdueMark);
    SaveSyncOptions();

    SetAllRecolourPending();
    RecolourMainWindow();
    ApplyColours();
    LoadControls();
    Modified = true;  // the settings file is written within seconds
    return true;
}

void TSettingsWindow::AddEventName() {
    eventNamesGrid->InsertRow();
    // The new row is there to be typed into.
    eventNamesGrid->setFocus();
    eventNamesGrid->editItem(eventNamesGrid->item(eventNamesGrid->Row(), 0));
}

void TSettingsWindow::DeleteEventName() {
    eventNamesGrid->DeleteRow();
}

void TSettingsWindow::ApplyScheme(int index) {
    if (index < 0 || index >= static_cast<int>(kColourSchemes.size())) return;
    const ColourScheme& scheme = kColourSchemes[static_cast<std::size_t>(index)];
    windowSwatch->SetBackground(scheme.window);
    labelTextSample->SetBackground(scheme.window);
    accentSwatch->SetBackground(scheme.accent);
    buttonTextSample->SetBackground(scheme.accent);
    plannedDaySwatch->SetBackground(scheme.plannedDay);
    editSwatch->SetBackground(kWhite);
    editTextSample->SetBackground(kWhite);
    editTextSample->SetTextColour(kBlack);
    labelTextSample->SetTextColour(kBlack);
    buttonTextSample->SetTextColour(kWhite);
    doneEventSample->SetBackground(kWhite);
    doneEventSample->SetTextColour(kSilver);
}

void TSettingsWindow::PickBackgroundColour(TColourSwatch* swatch) {
    TColor colour = swatch->Background();
    if (!ChooseColour(this, colour)) return;
    swatch->SetBackground(colour);
    // Each text sample stands on the background it is read against.
    labelTextSample->SetBackground(windowSwatch->Background());
    buttonTextSample->SetBackground(accentSwatch->Background());
    editTextSample->SetBackground(editSwatch->Background());
}

void TSettingsWindow::PickTextColour(TColourSwatch* sample) {
    TColor colour = sample->TextColour();
    if (ChooseColour(this, colour)) sample->SetTextColour(colour);
}

void TSettingsWindow::PickPlannedDayColour() {
    TColor colour = plannedDaySwatch->Background();
    if (ChooseColour(this, colour)) plannedDaySwatch->SetBackground(colour);
}

void TSettingsWindow::PickDoneEventColour() {
    TColor colour = doneEventSample->TextColour();
    if (ChooseColour(this, colour)) doneEventSample->SetTextColour(colour);
}

void TSettingsWindow::TakeFileName(TEdit* field, const std::string& path) {
    if (path.empty()) return;
    const QString name = QString::fromLocal8Bit(FileNameOnly(path));
    if (!FitsCp1251(name)) {
        ShowError(MessageString("BadFileName"));
        return;
    }
    field->setText(name);
    field->setCursorPosition(0);
}

void TSettingsWindow::ChooseSound() {
    TakeFileName(soundEdit, ChooseFileToOpen(this, FilePurpose::Sound, MessageString("FilterAllFiles") + QStringLiteral("|*|") + MessageString("FilterSounds") + QStringLiteral("|*.wav"), QString::fromLocal8Bit(ProgramDir() + "Media")));
}

void TSettingsWindow::ChooseDictionary() {
    TakeFileName(languageEdit,
                 ChooseFileToOpen(this, FilePurpose::Dictionary, MessageString("FilterAllFiles") + QStringLiteral("|*|") + MessageString("FilterDictionaries") + QStringLiteral("|*.lng"), QString::fromLocal8Bit(ProgramDir() + "Lang")));
}

void TSettingsWindow::ShowBackups() {
    const BackupDialogTexts texts{
        backupTitleText->Text,    backupColumnsText->Text, backupYesText->Text,
        backupNoText->Text,       backupRestoreText->Text, backupCloseText->Text,
        backupQuestionText->Text, backupNoneText->Text,    backupLoadingText->Text};
    TBackupDialog dialog(texts, this);
    // The check reads every copy: beside the interface. A dialog closed before it ends is gone
    // when the check is handed back, and what it found is dropped.
    auto copies = std::make_shared<std::vector<CheckedCopy>>();
    const QPointer<TBackupDialog> shown(&dialog);
    backupChecks_.Add(++backupCheckKey_,
                      {[copies, dataDir = DataDir()] { *copies = CheckBackupCopies(dataDir); },
                       [copies, shown] {
                           if (shown) shown->ShowCopies(std::move(*copies));
                       }});
    backupChecks_.Run();
    if (dialog.exec() != QDialog::Accepted || !dialog.Chosen()) return;
    const TProgramState& program = TProgramState::Instance();
    if (program.RestoreBackup) program.RestoreBackup(dialog.Chosen()->file, dialog.Chosen()->tag);
}

void TSettingsWindow::OpenWebPage() {
    ShellOpen(kWebAddress);
}

void TSettingsWindow::WriteToMaker() {
    ShellOpen(std::string("mailto:") + kMailAddress);
}

}  // namespace pomix
