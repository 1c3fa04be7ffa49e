#include "app/main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShortcut>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <memory>

#include "windows/addressbook/abook_form.h"
#include "windows/catalog/catalog_form.h"
#include "core/backups/backup_copies.h"
#include "windows/debts/credits_form.h"
#include "windows/notes/note_form.h"
#include "windows/planner/calendar_dialog.h"
#include "windows/planner/calendar_form.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "windows/settings/setup_form.h"
#include "kit/convert.h"
#include "kit/desktop.h"
#include "kit/form_parts.h"
#include "kit/interface_language.h"
#include "kit/message.h"
#include "kit/notifier.h"
#include "kit/program_state.h"
#include "kit/recolour.h"

namespace pomix {

namespace {

struct SectionButton {
    const char* caption;
    const char* hint;
};
const SectionButton kSectionButtons[kSectionCount] = {
    {"Ежедневник", "События, дела и напоминания"},
    {"Записная книжка", "Адреса, телефоны и дни рождения"},
    {"Заметки", "Заметки с датой изменения"},
    {"Каталог", "Каталог коллекции по категориям"},
    {"Долговая книга", "Долги: кому и сколько"},
    {"Настройки", "Настройки программы"},
};

constexpr int kLeftWidth = 113;

// The program's icon, drawn as dist/org.pomix.Pomix.svg is (that drawing on a 128 grid):
// a planner page with its rings, a done mark, an open and a marked day. The window and the
// notification area thus show the icon the desktop's menu shows.
QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 128.0, size / 128.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x56, 0x6d, 0x8c));
        painter.drawRoundedRect(QRectF(6, 6, 116, 116), 22, 22);
        painter.setBrush(QColor(0xf4, 0xf6, 0xf9));
        painter.drawRoundedRect(QRectF(22, 19, 80, 88), 8, 8);
        QPainterPath header;
        header.addRoundedRect(QRectF(22, 19, 80, 19), 8, 8);
        header.addRect(QRectF(22, 30, 80, 8));
        painter.setBrush(QColor(0xc0, 0x39, 0x2b));
        painter.drawPath(header.simplified());
        painter.setBrush(QColor(0x3f, 0x50, 0x68));
        for (const double x : {36.0, 60.5, 85.0})
            painter.drawRoundedRect(QRectF(x, 11, 7, 17), 3.5, 3.5);
        painter.setPen(QPen(QColor(0x9a, 0xa7, 0xb8), 4, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QLineF(50, 54, 90, 54));
        painter.drawLine(QLineF(50, 71, 84, 71));
        painter.drawLine(QLineF(50, 88, 88, 88));
        painter.setPen(
            QPen(QColor(0x2e, 0x8b, 0x57), 4.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(
            QPolygonF({QPointF(32, 53), QPointF(36.5, 57.5), QPointF(44.5, 48.5)}));
        painter.setPen(QPen(QColor(0x3f, 0x50, 0x68), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(38, 71), 4.5, 4.5);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xc0, 0x39, 0x2b));
        painter.drawEllipse(QPointF(38, 88), 4.5, 4.5);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

TMainForm::SectionFactory TMainForm::ProgramSections() {
    // The sections are created in index order: the debt book gets the contacts of the address
    // book created before it, to offer their names, and is told when they arrive.
    auto addressBook = std::make_shared<QPointer<TABookForm>>();
    return [addressBook](int index, StreamContainer& container) -> TSectionWindow* {
        switch (index) {
            case 0:
                return new TCalendarForm(container);
            case 1:
                return *addressBook = new TABookForm(container);
            case 2:
                return new TNoteForm(container);
            case 3:
                return new TCatalogForm(container);
            case 4: {
                TABookForm* book = *addressBook;
                auto* debts = new TCreditsForm(container, book ? &book->Data() : nullptr);
                if (book)
                    connect(book, &TSectionWindow::dataLoaded, debts,
                            &TCreditsForm::ContactsChanged);
                return debts;
            }
            default:
                return new TSettingsWindow();
        }
    };
}

std::vector<EarlyRead> TMainForm::ProgramEarlyReads(const std::string& dataDir) {
    return {TABookForm::EarlyReadIn(dataDir), TCalendarForm::EarlyReadIn(dataDir),
            TNoteForm::EarlyReadIn(dataDir), TCatalogForm::EarlyReadIn(dataDir),
            TCreditsForm::EarlyReadIn(dataDir)};
}

TMainForm::TMainForm(SectionFactory sections)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      binding_(this, kRecolourMain, "MainForm",
               ExpandItems({"StaticButton1-6.Caption,Hint", "Button1.Caption,Hint",
                            "Button2.Caption,Hint", "Text2.Caption", "LoadingText.Caption",
                            "UnreadFileText.Caption", "RestoreOfferText.Caption",
                            "RestoreQuestionText.Caption", "RestoreFailedText.Caption",
                            "BackupFolderText.Caption", "BackupCopyText.Caption"})) {
    Container.Compressed = true;
    Container.Encrypted = false;
    BuildControls();
    notices_ = new TDataFileNotices(this);
    // Saves may run off the interface thread; the message is shown on it.
    // The text is made there too: the dictionary belongs to the interface thread.
    SetBackupReportHook([this](const BackupProblem& problem) {
        const auto show = [this, problem] { ShowError(notices_->BackupProblemText(problem)); };
        if (QThread::currentThread() == thread()) {
            show();
        } else {
            saver_.HandBack(show);
        }
    });
    sections_ = sections;
    FormCreate(sections);
    sync_ = new TSyncControl(
        {[this]() -> Planner* {
             auto* window = qobject_cast<TCalendarForm*>(Display->Window(kPlannerSection));
             return window ? &window->Data() : nullptr;
         },
         [this]() -> AddressBook* {
             auto* window = qobject_cast<TABookForm*>(Display->Window(kAddressSection));
             return window ? &window->Data() : nullptr;
         },
         [this](SyncText text) { return SyncTextOf(text); }},
        saver_, this);
    ConnectSyncPage();
    connect(this, &TMainForm::sectionsLoaded, this, &TMainForm::BeginSync);
    auto* syncKey = new QShortcut(QKeySequence(Qt::Key_F9), this);
    syncKey->setContext(Qt::WindowShortcut);
    connect(syncKey, &QShortcut::activated, this, [this] {
        if (SectionsUnlocked) sync_->Synchronize();
    });
    saveTimer_ = new QTimer(this);
    saveTimer_->setInterval(kSaveInterval);
    connect(saveTimer_, &QTimer::timeout, this, &TMainForm::SaveChanges);
    saveTimer_->start();
}

TMainForm::~TMainForm() {
    // A write still out may report a backup problem through the hook.
    saver_.Wait();
    SetBackupReportHook({});
    SetBringForward({});
    SetMainWindowRecolour({});
    SetTrayMessenger({});
    TProgramState::Instance().PasswordPending = {};
    TProgramState::Instance().ShutdownBegun = {};
    TProgramState::Instance().RestoreBackup = {};
}

void TMainForm::BuildControls() {
    setObjectName("MainForm");
    setWindowTitle(QStringLiteral("Pomix"));
    setWindowIcon(ProgramIcon());
    setFixedSize(640, 400);

    LeftPanel = Make<TGradientPanel>(this, "GradientPanel1", {0, 0, kLeftWidth, 400});
    // The longest captions must fit the 100 x 15 buttons.
    QFont buttonFont = font();
    buttonFont.setPixelSize(11);
    for (int i = 0; i < kSectionCount; ++i) {
        const std::string name = "StaticButton" + std::to_string(i + 1);
        auto* button = Make<TStaticButton>(LeftPanel, name.c_str(), {6, 8 + 20 * i, 100, 15},
                                           QString::fromUtf8(kSectionButtons[i].caption));
        button->setToolTip(QString::fromUtf8(kSectionButtons[i].hint));
        button->setFont(buttonFont);
        button->Tag = i;
        connect(button, &TStaticButton::clicked, this, [this, button] { Select(button); });
        SectionButtons[static_cast<std::size_t>(i)] = button;
    }

    Display = Make<TDisplayArea>(this, "Display", {kLeftWidth, 0, 640 - kLeftWidth, 400});

    passwordPanel =
        Make<TPanel>(Display->Background(), "Panel1",
                     {(Display->width() - 309) / 2, (Display->height() - 105) / 2, 309, 105});
    passwordPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    passwordTitle = Make<TStaticButton>(passwordPanel, "Text2", {1, 1, 307, 18},
                                        QStringLiteral("Введите пароль"));
    passwordEdit = Make<TEdit>(passwordPanel, "Edit1", {40, 34, 229, 22});
    passwordEdit->setEchoMode(QLineEdit::Password);
    passwordEdit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    quitButton =
        Make<TButton>(passwordPanel, "Button2", {54, 68, 95, 25}, QStringLiteral("Отмена"));
    quitButton->setToolTip(QStringLiteral("Закрыть программу"));
    passwordButton =
        Make<TButton>(passwordPanel, "Button1", {160, 68, 95, 25}, QStringLiteral("Да"));
    passwordButton->setToolTip(QStringLiteral("Проверить пароль"));
    passwordPanel->hide();
    loadingText = Make<TLabel>(Display, "LoadingText", {0, 0, Display->width(), 20},
                               QStringLiteral("Загрузка…"));
    loadingText->setAlignment(Qt::AlignCenter);
    loadingText->hide();
    connect(passwordButton, &QPushButton::clicked, this, &TMainForm::CheckPassword);
    connect(quitButton, &QPushButton::clicked, this, &TMainForm::QuitProgram);
    connect(passwordEdit, &QLineEdit::returnPressed, this, &TMainForm::CheckPassword);  // Enter

    trayIcon = new QSystemTrayIcon(ProgramIcon(), this);
    trayIcon->setObjectName("RxTrayIcon1");
    trayIcon->setToolTip(QStringLiteral("Pomix"));
    connect(trayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
                    BringForward();
            });
    if (QSystemTrayIcon::isSystemTrayAvailable()) trayIcon->show();
    SetBringForward([this] { BringForward(); });
    SetMainWindowRecolour([this] { ApplyColours(); });
    SetTrayMessenger([this](const QString& title, const QString& text) {
        if (!trayIcon->isVisible() || !QSystemTrayIcon::supportsMessages()) return false;
        trayIcon->showMessage(title, text);
        return true;
    });
    TProgramState::Instance().PasswordPending = [this] { return !passwordPanel->isHidden(); };
    TProgramState::Instance().RestoreBackup =
        [this](const std::string& file, const std::string& tag) { return RestoreCopy(file, tag); };
    TProgramState::Instance().ShutdownBegun = [this] { return shutdownRunning_ || shutdownDone_; };
}

void TMainForm::FormCreate(const SectionFactory& sections) {
    SettingsRecord.EventNames.clear();
    SettingsLoaded = LoadSetting();
    // Every window formats its dates and numbers in the dictionary's language from the start.
    appliedLanguage_ = SettingsRecord.LanguageFile;
    ApplyDictionaryLanguage();
    if (SettingsLoaded) {
        dictionaryChecked_ = SettingsRecord.LanguageFile;
        AnnounceMissingDictionary(dictionaryChecked_);
    }
    SetAllRecolourPending();
    binding_.BindDictionary();
    // The captions are final now, the dictionary's included.
    for (TStaticButton* button : SectionButtons) FitCaption(button);
    for (int i = 0; i < kSectionCount; ++i) {
        loadKeys_[static_cast<std::size_t>(i)] = i;
        TSectionWindow::LoadWith(&loader_, i);
        TSectionWindow* window = sections(i, Container);
        TSectionWindow::LoadWith(nullptr, 0);
        Display->Add(window);
        connect(window, &TSectionWindow::dataLoaded, this, &TMainForm::ShowLoading);
    }
    passwordPanel->raise();
    if (SettingsLoaded) {
        if (SettingsRecord.CheckPassword) {
            passwordPanel->show();
            passwordEdit->setFocus();
        } else {
            SectionsUnlocked = true;
        }
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TMainForm::AnnounceUnreadFiles() {
    if (unreadAnnounced_ || settingsNoticePending_) return;
    std::vector<UnreadDataFile> unread;
    for (int i = 0; i < kSectionCount; ++i) {
        const TSectionWindow* window = Display->Window(i);
        if (!window || !window->Loaded()) return;
        if (window->DataFileUnread()) unread.push_back({i, window->FileName});
    }
    unreadAnnounced_ = true;
    if (unread.empty()) return;
    // Finding the copies reads them: beside the interface.
    auto copies = std::make_shared<std::vector<std::optional<CheckedCopy>>>();
    loader_.Add(nextLoadKey_++,
                {[copies, unread, dataDir = DataDir()] {
                     *copies = TDataFileNotices::FindCopies(unread, dataDir);
                 },
                 [this, copies, unread] {
                     // The notice speaks the dictionary's language also before the window is
                     // first shown.
                     binding_.ReadDictionary();
                     RebuildSections(notices_->AnnounceUnread(unread, *copies, DataDir()));
                 }});
}

void TMainForm::RebuildSections(const std::vector<int>& restored) {
    if (restored.empty()) return;
    std::vector<bool> rebuild(kSectionCount, false);
    for (int section : restored) rebuild[static_cast<std::size_t>(section)] = true;
    // The new reads go beside the interface, under keys of their own: a read of a replaced
    // window may still be out, and is dropped when it ends. A section with a model keeps its
    // window, which follows the records read again.
    sectionsLoaded_ = false;
    // A new window takes its colours when first shown, as at start.
    SetAllRecolourPending();
    for (int i = 0; i < kSectionCount; ++i) {
        if (!rebuild[static_cast<std::size_t>(i)]) continue;
        const int key = nextLoadKey_++;
        loadKeys_[static_cast<std::size_t>(i)] = key;
        if (Display->Window(i)->ReadAgain(loader_, key)) continue;
        TSectionWindow::LoadWith(&loader_, key);
        TSectionWindow* window = sections_(i, Container);
        TSectionWindow::LoadWith(nullptr, 0);
        connect(window, &TSectionWindow::dataLoaded, this, &TMainForm::ShowLoading);
        Display->Replace(i, window)->deleteLater();
    }
    // A settings page made anew is the sync's page again.
    ConnectSyncPage();
    ApplyColours();
    ShowLoading();
}

bool TMainForm::RestoreCopy(const std::string& file, const std::string& tag) {
    const bool settings = file == kSettingsFileName;
    int section = settings ? kSectionCount - 1 : -1;
    for (int i = 0; i < kSectionCount && section < 0; ++i) {
        const TSectionWindow* window = Display->Window(i);
        if (window && !window->FileName.empty() && FileNameOnly(window->FileName) == file)
            section = i;
    }
    if (section < 0) return false;
    // A write that failed before is made again (the disk may have room now); twice: a
    // section whose write was still out when first asked is taken the second time.
    for (int i = 0; i < kSectionCount; ++i) {
        TSectionWindow* window = Display->Window(i);
        if (window && window->SaveFailed()) window->MarkChanged();
    }
    for (int pass = 0; pass < 2; ++pass) {
        saver_.Finish();
        SaveChanges();
    }
    saver_.Finish();
    // The sections built again over the copy (every one for the settings) must hold nothing
    // unsaved: a write that failed keeps its changes only in the window.
    for (int i = 0; i < kSectionCount; ++i) {
        const TSectionWindow* window = Display->Window(i);
        const bool rebuilt = settings || i == section || (section == 1 && i == 4);
        if (rebuilt && window && !window->FileName.empty() &&
            (window->HasChanges() || window->SaveFailed())) {
            ShowError(MessageString("RestoreUnsaved").arg(MessageArg(window->FileName)));
            return false;
        }
    }
    const bool gatePassed = SettingsLoaded && SettingsRecord.CheckPassword && SectionsUnlocked;
    const std::string password = SettingsRecord.Password;
    try {
        RestoreBackupCopy(DataDir(), file, tag);
    } catch (const std::exception& e) {
        ShowError(MessageString("FileWriteFailed")
                      .arg(MessageArg(DataDir() + file), FileFailureReason(e)));
        return false;
    }
    if (settings) {
        TakeRestoredSettings(gatePassed, password);
    } else {
        RebuildSections({section});
    }
    return true;
}

void TMainForm::OfferSettingsCopy(const SettingsCopyOffer& offer) {
    // The notice, and the locked program after a No, speak the language the user last had.
    if (offer.copy) ApplyLanguage(offer.languageFile);
    if (AnnounceUnreadSettings(settingsLoad_, offer, DataDir())) TakeRestoredSettings(false, {});
    settingsNoticePending_ = false;
    AnnounceUnreadFiles();
}

void TMainForm::ApplyLanguage(const std::string& languageFile) {
    SettingsRecord.LanguageFile = languageFile;
    if (languageFile == appliedLanguage_) return;
    appliedLanguage_ = languageFile;
    ApplyDictionaryLanguage();
    binding_.Rebind();
    for (TStaticButton* button : SectionButtons) FitCaption(button);
    std::vector<int> every(kSectionCount);
    for (int i = 0; i < kSectionCount; ++i) every[static_cast<std::size_t>(i)] = i;
    RebuildSections(every);
}

void TMainForm::TakeRestoredSettings(bool gatePassed, const std::string& password) {
    SettingsLoaded =
        LoadSettingsFile(Container, DataDir(), SettingsRecord) == SettingsLoad::Loaded;
    const std::string language = SettingsRecord.LanguageFile;
    const bool languageChanged = language != appliedLanguage_;
    ApplyLanguage(language);
    if (SettingsLoaded && language != dictionaryChecked_) {
        dictionaryChecked_ = language;
        AnnounceMissingDictionary(language);
    }
    // The sections read the settings as they are built (the planner's event names, the
    // address book's horizon …): every one is built again over them.
    if (!languageChanged) {
        std::vector<int> every(kSectionCount);
        for (int i = 0; i < kSectionCount; ++i) every[static_cast<std::size_t>(i)] = i;
        RebuildSections(every);
    }
    if (!SettingsLoaded) return;
    if (SettingsRecord.CheckPassword) {
        if (!(gatePassed && password == SettingsRecord.Password)) Lock();
    } else if (!SectionsUnlocked) {
        SectionsUnlocked = true;
        passwordPanel->hide();
        BeginSync();
    }
}

void TMainForm::Lock() {
    SectionsUnlocked = false;
    Display->HideShown();
    for (TStaticButton* button : SectionButtons) button->SetBorder(false);
    passwordEdit->clear();
    passwordPanel->show();
    passwordPanel->raise();
    passwordEdit->setFocus();
    ShowLoading();
}

void TMainForm::BeginSync() {
    if (!sectionsLoaded_ || !SectionsUnlocked) return;
    // The page's texts speak the dictionary's language also before the page was first shown.
    if (TSectionWindow* settings = Display->Window(kSettingsSection)) settings->Binding().ReadDictionary();
    sync_->Begin();
}

void TMainForm::ConnectSyncPage() {
    auto* settings = qobject_cast<TSettingsWindow*>(Display->Window(kSettingsSection));
    if (!settings || !sync_) return;
    connect(settings, &TSettingsWindow::syncRequested, sync_, &TSyncControl::Synchronize,
            Qt::UniqueConnection);
    connect(settings, &TSettingsWindow::syncOptionsSaved, sync_, &TSyncControl::OptionsChanged,
            Qt::UniqueConnection);
    connect(settings, &TSettingsWindow::passwordStoreAnswered, sync_,
            &TSyncControl::SetPasswordStoreMissing, Qt::UniqueConnection);
    connect(sync_, &TSyncControl::statusChanged, settings, &TSettingsWindow::ShowSyncStatus,
            Qt::UniqueConnection);
    if (!sync_->Status().isEmpty()) settings->ShowSyncStatus(sync_->Status());
}

QString TMainForm::SyncTextOf(SyncText text) const {
    auto* settings = qobject_cast<TSettingsWindow*>(Display->Window(kSettingsSection));
    if (!settings) return {};
    const TSettingsWindow::SyncTexts& t = settings->syncTexts;
    const TText* item = nullptr;
    switch (text) {
        case SyncText::Running: item = t.running; break;
        case SyncText::Done: item = t.done; break;
        case SyncText::Conflicts: item = t.conflicts; break;
        case SyncText::Skipped: item = t.skipped; break;
        case SyncText::RefusedItems: item = t.refusedItems; break;
        case SyncText::NoServer: item = t.noServer; break;
        case SyncText::NoPassword: item = t.noPassword; break;
        case SyncText::NoStore: item = t.noStore; break;
        case SyncText::Waiting: item = t.waiting; break;
        case SyncText::Failed: item = t.failed; break;
        case SyncText::Unreachable: item = t.unreachable; break;
        case SyncText::Refused: item = t.refused; break;
        case SyncText::Unauthorized: item = t.unauthorized; break;
        case SyncText::BadAnswer: item = t.badAnswer; break;
        case SyncText::BadAddress: item = t.badAddress; break;
        case SyncText::Missing: item = t.missing; break;
        case SyncText::FileError: item = t.fileError; break;
        case SyncText::Title: item = t.title; break;
    }
    return item ? item->Text : QString();
}

bool TMainForm::LoadSetting() {
    settingsLoad_ = LoadSettingsFile(Container, DataDir(), SettingsRecord);
    if (settingsLoad_ == SettingsLoad::Loaded) return true;
    // The newest copy of the settings is looked for beside the interface, first of the reads;
    // meanwhile the window shows, locked.
    settingsNoticePending_ = true;
    auto offer = std::make_shared<SettingsCopyOffer>();
    loader_.Add(kSettingsCopyKey,
                {[offer, dataDir = DataDir()] { *offer = FindSettingsCopy(dataDir); },
                 [this, offer] { OfferSettingsCopy(*offer); }});
    return false;
}

void TMainForm::SaveSetting() {
    SaveSettingsFile(Container, DataDir(), SettingsRecord, SettingsLoaded);
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Once the window is on the screen (exposed): until then the reads would only take the
    // cores from it, and from the window manager and display server that put it there.
    if (!loader_.Running()) {
        if (QWindow* window = windowHandle()) {
            window->installEventFilter(this);
        } else {
            QTimer::singleShot(0, this, &TMainForm::StartLoading);
        }
    }
    binding_.ReadDictionary();
    ApplyColours();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed() &&
        !loader_.Running()) {
        windowHandle()->removeEventFilter(this);
        QTimer::singleShot(0, this, &TMainForm::StartLoading);
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::ApplyColours() {
    binding_.ApplyColours();
}

void TMainForm::Select(TStaticButton* sender) {
    if (!SectionsUnlocked) return;
    for (TStaticButton* button : SectionButtons) button->SetBorder(false);
    sender->SetBorder(true);
    Display->ShowWindow(sender->Tag);
    if (!Display->Window(sender->Tag)->Loaded())
        loader_.Prefer(loadKeys_[static_cast<std::size_t>(sender->Tag)]);
    ShowLoading();
}

void TMainForm::StartLoading() {
    // The loader's threads take over what is not read yet: no more than a core each.
    TEarlyReads::StopBeginning();
    loader_.Run();
    ShowLoading();  // nothing to wait for: every section is in already
}

void TMainForm::ShowLoading() {
    const TSectionWindow* shown =
        Display->Shown() >= 0 ? Display->Window(Display->Shown()) : nullptr;
    loadingText->setVisible(shown && !shown->Loaded());
    loadingText->raise();
    if (sectionsLoaded_) return;
    for (int i = 0; i < kSectionCount; ++i) {
        if (Display->Window(i) && !Display->Window(i)->Loaded()) return;
    }
    sectionsLoaded_ = true;
    emit sectionsLoaded();
    AnnounceUnreadFiles();
}

void TMainForm::CheckPassword() {
    // A typed character code page 1251 cannot hold would turn into "?" and match a "?".
    if (FitsCp1251(passwordEdit->text()) &&
        FromQt(passwordEdit->text()) == SettingsRecord.Password) {
        SectionsUnlocked = true;
        passwordPanel->hide();
        BeginSync();
    } else {
        passwordEdit->clear();
    }
}

void TMainForm::QuitProgram() {
    close();
}

void TMainForm::SaveChanges() {
    if (shutdownRunning_ || shutdownDone_) return;
    for (int i = 0; i < kSectionCount; ++i) {
        TSectionWindow* window = Display->Window(i);
        if (!window) continue;
        if (std::optional<SaveWork> work = window->TakeSave()) {
            saver_.Post(std::move(*work));
            // The planner's and the address book's changes go to the server soon after.
            if (i <= 1 && sync_) sync_->LocalChangeSaved();
        }
    }
    TSectionWindow* settings = Display->Window(kSectionCount - 1);
    if (settings && settings->Modified && !settingsSaving_) {
        settings->Modified = false;
        if (auto image = TakeSettingsImage(Container, DataDir(), SettingsRecord, SettingsLoaded)) {
            settingsSaving_ = true;
            saver_.Post({image->path, [image] { image->Write(); },
                         [this](bool) { settingsSaving_ = false; }});
        }
    }
}

bool TMainForm::Shutdown() {
    if (shutdownDone_) return true;
    // A signal or a second close arriving while a failure's message box is up must not
    // start a second shutdown inside the first.
    if (shutdownRunning_) return false;
    const QScopedValueRollback running(shutdownRunning_, true);
    // The writes still out end first: what is left is then saved after them, and a write that
    // failed is made again below.
    saver_.Finish();
    // The first failure stops the shutdown: what comes after it is not written either, and
    // the message names the file that failed and each one still waiting behind it.
    int section = 0;
    try {
        for (; section < kSectionCount; ++section) {
            if (TSectionWindow* window = Display->Window(section)) window->CloseForm();
        }
        SaveSetting();
    } catch (const std::exception& e) {
        const std::string settingsFile = DataDir() + kSettingsFileName;
        const TSectionWindow* failed = Display->Window(section);
        QStringList unsaved{QStringLiteral("%1 (%2)").arg(
            MessageArg(failed ? failed->FileName : settingsFile), FileFailureReason(e))};
        for (int i = section + 1; i < kSectionCount; ++i) {
            const TSectionWindow* window = Display->Window(i);
            if (window && !window->FileName.empty() &&
                (window->HasChanges() || window->SaveFailed()))
                unsaved << MessageArg(window->FileName);
        }
        if (failed && SettingsLoaded) unsaved << MessageArg(settingsFile);
        // The program stays open: a section on display that closed before the failure is back.
        if (TSectionWindow* shown = Display->Window(Display->Shown())) shown->show();
        ShowError(MessageString("ShutdownSaveFailed").arg(unsaved.join(QLatin1Char('\n'))));
        return false;
    }
    binding_.WriteDictionary();
    shutdownDone_ = true;
    emit TProgramState::Instance().shutdownDone();
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!Shutdown()) {
        event->ignore();
        return;
    }
    event->accept();
    trayIcon->hide();
    QCoreApplication::quit();
}

void TMainForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    if (isMinimized())
        HideToTray();
    else
        ShowFromTray();
}

void TMainForm::HideToTray() {
    // Without a notification area the task-bar entry is the only way back: keep it.
    if (!QSystemTrayIcon::isSystemTrayAvailable() || !trayIcon->isVisible()) return;
    hiddenToTray_ = true;
    QTimer::singleShot(0, this, [this] {
        if (hiddenToTray_) hide();
    });
}

void TMainForm::ShowFromTray() {
    if (!hiddenToTray_) return;
    hiddenToTray_ = false;
    show();
}

void TMainForm::BringForward() {
    hiddenToTray_ = false;
    showNormal();
    raise();
    activateWindow();
}

std::unique_ptr<QWidget> MakeDatePicker(TMainForm& mainForm) {
    return std::make_unique<TCalendarDialog>(&mainForm);
}

}  // namespace pomix
