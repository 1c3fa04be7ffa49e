// TMainForm: the main window. It reads the settings, owns the one StreamContainer, hosts the
// six section windows, guards them with the start-up password, switches between them, hides
// to the notification area when minimised, and on close has every section save before the
// settings are written. Between, every change is written within seconds, in the background.
// The window shows before any data file is read: the sections' files are read beside it and
// each section takes its records when they arrive.
#pragma once

#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "app/data_file_notices.h"
#include "app/display_area.h"
#include "app/sync_control.h"
#include "storage/stream_container.h"
#include "kit/background_save.h"
#include "kit/controls.h"
#include "kit/form_binding.h"

namespace pomix {

inline constexpr int kSectionCount = 6;
// The sections by their place in the display area and among the section buttons.
inline constexpr int kPlannerSection = 0;
inline constexpr int kAddressSection = 1;
inline constexpr int kSettingsSection = 5;

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // Creates the section window of index 0 … 5 (planner, address book, notes, catalog,
    // debt book, settings). The default builds the program's windows; tests pass their own.
    // Makes section index; load tells it to read its data file through the main window's loader.
    using SectionFactory =
        std::function<TSectionWindow*(int index, StreamContainer& container, SectionLoad load)>;
    static SectionFactory ProgramSections();
    // The early reads (storage/early_reads.h) of the program's sections' files in dataDir: the
    // address book's first, the section most often opened at once (and whose contacts the debt
    // book waits for), then the planner's, whose events the reminders wait for.
    static std::vector<EarlyRead> ProgramEarlyReads(const std::string& dataDir);

    explicit TMainForm(SectionFactory sections = ProgramSections());
    ~TMainForm() override;

    StreamContainer Container;      // compression on, encryption off; shared by every file
    bool SettingsLoaded = false;    // the settings file was read: it is written back at close
    bool SectionsUnlocked = false;  // while false the section buttons do nothing

    std::array<TStaticButton*, kSectionCount> SectionButtons{};  // StaticButton1 … 6
    TGradientPanel* LeftPanel;
    TDisplayArea* Display;
    TPanel* passwordPanel;  // asked for at start when a password is set
    TStaticButton* passwordTitle;
    TEdit* passwordEdit;
    TButton* passwordButton;  // "Да"
    TButton* quitButton;      // "Отмена"
    TLabel* loadingText;      // over a section still waiting for its records
    QSystemTrayIcon* trayIcon;

    void Select(TStaticButton* sender);
    void CheckPassword();
    void QuitProgram();
    void ApplyColours();
    void HideToTray();
    void ShowFromTray();
    void BringForward();

    // The close's work: sections 0 … 5 close (each saves its data file and its dictionary
    // entries), then the settings are written, then the main window's dictionary entries.
    // A failure stops there: one message names the file that failed and each file with
    // changes behind it, and says that the program stays open; false is returned and the
    // next call starts again from section 0. Once it has succeeded, later calls do nothing.
    bool Shutdown();
    bool ShutdownDone() const { return shutdownDone_; }

    // Hands the changes of every section (and settings saved with "Сохранить") to the
    // background saver; runs every kSaveInterval ms. A section whose last write is still out
    // is taken at a later run.
    void SaveChanges();
    static constexpr int kSaveInterval = 1000;
    TBackgroundSaver& Saver() { return saver_; }

    // Starts reading the sections' data files; the first show does it.
    void StartLoading();
    TBackgroundLoader& Loader() { return loader_; }
    // The CalDAV/CardDAV sync (F9, the settings page's "Синхронизировать").
    TSyncControl* Sync() { return sync_; }
    bool SectionsLoaded() const { return sectionsLoaded_; }

signals:
    // When every section has taken its records: at start, and again after sections were
    // built anew. What is to be said about the files read (a damaged one) belongs after this.
    void sectionsLoaded();

public:
    TFormBinding& Binding() { return binding_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const SectionFactory& sections);
    void BuildControls();
    bool LoadSetting();
    void SaveSetting();
    void ShowLoading();
    // Once, after every section has its records and the settings' notice has been answered:
    // the notice of data files that could not be read (the copies are looked for beside the
    // interface), and the sections built again over the copies put back in their place.
    void AnnounceUnreadFiles();
    // Builds the sections again over the files put back in their place: in index order, the
    // debt book after the address book whose contacts it holds. The windows replaced go at
    // the next turn of the event loop (one of them may be the caller).
    void RebuildSections(const std::vector<int>& restored);
    // The start-up offer of the newest copy of the settings that loads, once it was found
    // beside the interface: in the copy's language (the program's, from then on); on Yes the
    // copy is taken as after a restore.
    void OfferSettingsCopy(const SettingsCopyOffer& offer);
    // Makes the dictionary languageFile the interface language at once: the locale, the main
    // window's texts, and every section built again in it.
    void ApplyLanguage(const std::string& languageFile);
    // After the settings file was put back: read it, take its language, build every section
    // again over it, and gate the sections as the start does. gatePassed: the user has passed
    // the password gate with password (a restored gate with the same password stays open).
    void TakeRestoredSettings(bool gatePassed, const std::string& password);
    // The password panel over the sections, which stay locked until it is answered.
    void Lock();
    // The settings window's restore of a daily copy (TProgramState::RestoreBackup): what is
    // still unsaved is written first, so that the file replaced, kept as today's copy, holds
    // it; then the copy goes in place and its section (for the settings file, the settings
    // and the settings window) is read again.
    bool RestoreCopy(const std::string& file, const std::string& tag);

    TFormBinding binding_;
    SectionFactory sections_;
    TBackgroundSaver saver_;
    TBackgroundLoader loader_;
    QTimer* saveTimer_;
    bool settingsSaving_ = false;
    bool sectionsLoaded_ = false;
    // The loader's key of each section's read: a section built again reads under a new one.
    std::array<int, kSectionCount> loadKeys_{};
    int nextLoadKey_ = kSectionCount;
    static constexpr int kSettingsCopyKey = -2;  // taken before the sections' reads
    SettingsLoad settingsLoad_ = SettingsLoad::Loaded;
    bool settingsNoticePending_ = false;  // the settings' offer has not been answered yet
    bool unreadAnnounced_ = false;
    std::string appliedLanguage_;    // the dictionary the windows speak
    std::string dictionaryChecked_;  // the dictionary last told missing or found
    TDataFileNotices* notices_ = nullptr;
    TSyncControl* sync_ = nullptr;
    // The first sync waits for the records and for the start-up password.
    void BeginSync();
    // The settings page's sync commands and status line, joined to the sync (again whenever
    // the page is made anew).
    void ConnectSyncPage();
    QString SyncTextOf(SyncText text) const;
    bool shutdownDone_ = false;
    bool shutdownRunning_ = false;
    bool hiddenToTray_ = false;
};

// The program's one date picker, made after the main window, where every caller expects to
// find it; it lives as long as the pointer.
std::unique_ptr<QWidget> MakeDatePicker(TMainForm& mainForm);

}  // namespace pomix
