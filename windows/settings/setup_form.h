// TSettingsWindow: the settings section window, hosted in the main window's display area. Its
// controls mirror SettingsRecord; "Сохранить" copies them back and recolours the windows. It never
// writes the settings file (the main window does, at shutdown). There is no Cancel: edits not
// saved stay in the controls until "Сохранить" or the end of the run.
//
// A stored value a control cannot show (a reminder lead outside 0 … 1439 minutes, a birthday
// horizon outside 0 … 999, an overdue mark over 5 characters, a colour with its high byte
// set, a text the field would change) is kept as stored unless the user changes that control.
//
// The "Синхронизация" page holds the CalDAV/CardDAV sync options of Data/Sync.ini (the same
// file `pomix-data sync` reads and writes) and the password, which goes to the desktop's
// secret store only. The sync itself is the main window's: the page asks for it and shows the
// status line it is given.
#pragma once

#include <QCheckBox>
#include <array>

#include "core/settings/settings_record.h"
#include "kit/background_load.h"
#include "kit/controls.h"
#include "kit/form_parts.h"
#include "windows/section_window.h"
#include "kit/setup_controls.h"

namespace pomix {

// A colour swatch or text sample: the colours it shows are kept as stored values, so a
// colour the screen cannot show (high byte set) survives until another is chosen.
class TColourSwatch : public TStaticButton {
    Q_OBJECT
public:
    explicit TColourSwatch(const QString& caption, QWidget* parent = nullptr);
    TColor Background() const { return background_; }
    TColor TextColour() const { return text_; }
    void SetBackground(TColor colour);
    void SetTextColour(TColor colour);

private:
    void Paint();
    TColor background_ = 0xFFFFFF;
    TColor text_ = 0;
};

// A label that opens something when clicked; a Tab stop, opened by Enter or Space and by a
// screen reader's press like a single click.
class TLinkLabel : public TLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString& caption, QWidget* parent = nullptr);
    void Press() override { emit clicked(); }
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TSettingsWindow : public TSectionWindow {
    Q_OBJECT
public:
    explicit TSettingsWindow(QWidget* parent = nullptr);

    // The built-in colour schemes, in the order of the scheme list.
    struct ColourScheme {
        TColor window, accent, plannedDay;
    };
    static const std::array<ColourScheme, 7> kColourSchemes;
    static constexpr const char* kWebAddress = "https://pomix.example.org";
    static constexpr const char* kMailAddress = "pomix@example.org";

    // "Сохранить": checks the reminder time and the birthday horizon first and changes
    // nothing when either is bad; otherwise copies the controls into SettingsRecord, sets
    // every recolour flag and recolours the main window and this one. False when refused.
    bool SaveSettings();
    void AddEventName();     // "Добавить": an empty event name at the selected row
    void DeleteEventName();  // "Удалить": the selected event name goes
    void ApplyScheme(int index);
    // With no scheme chosen in the box (as after a start), shows the scheme whose colours the
    // swatches hold, if any, without applying it again.
    void ShowMatchingScheme();
    void PickBackgroundColour(TColourSwatch* swatch);  // window, accent or edit colour
    void PickTextColour(TColourSwatch* sample);        // label, button or edit text
    void PickPlannedDayColour();
    void PickDoneEventColour();
    void ChooseSound();
    void ChooseDictionary();
    // "Резервные копии…": the daily copies of every data file; the one chosen is put back by
    // the program (TProgramState::RestoreBackup), which reloads its section.
    void ShowBackups();
    // The copies are checked on this loader's thread (each opening of the dialog under a key
    // of its own, the newest being LastBackupCheck); tests hold its arrivals.
    TBackgroundLoader& BackupChecks() { return backupChecks_; }
    int LastBackupCheck() const { return backupCheckKey_; }
    void OpenWebPage();
    void WriteToMaker();
    // The sync page's options into Sync.ini, and a newly typed password to the secret store
    // (kept for this run only where there is none). "Сохранить" runs it too. False, with a
    // message, when Sync.ini cannot be written.
    bool SaveSyncOptions();
    // "Синхронизировать": the options saved, then the sync asked for.
    void RequestSync();
    void ShowSyncStatus(const QString& text);
    // The recolouring of this window, when its RecolourPending entry is set.
    void ApplyColours();

    // The information panel.
    TPanel* infoPanel;
    TStaticButton* aboutTitle;
    TLinkLabel* webLink;
    TLinkLabel* mailLink;
    TPageControl* pages;
    // "Основные".
    TWrapCheckBox* hintsBox;
    QCheckBox* confirmDeleteBox;
    QCheckBox* passwordBox;
    TEdit* passwordEdit;
    TComboBox* schemeBox;
    TColourSwatch* windowSwatch;     // Color1
    TColourSwatch* accentSwatch;     // Color2
    TColourSwatch* editSwatch;       // Color3
    TColourSwatch* labelTextSample;  // Color4
    TColourSwatch* buttonTextSample; // Color5
    TColourSwatch* editTextSample;   // Color6
    TColourSwatch* plannedDaySwatch; // Color7
    TColourSwatch* doneEventSample;  // Color8
    TEdit* languageEdit;
    TButton* languageButton;
    TButton* backupsButton;
    // The texts of the copies' dialog.
    TText* backupTitleText;
    TText* backupColumnsText;
    TText* backupYesText;
    TText* backupNoText;
    TText* backupRestoreText;
    TText* backupCloseText;
    TText* backupQuestionText;
    TText* backupNoneText;
    TText* backupLoadingText;
    // "Ежедневник".
    TWrapCheckBox* highlightBox;
    TStringGrid* eventNamesGrid;
    TButton* addNameButton;
    TButton* deleteNameButton;
    TMaskEdit* leadEdit;
    TEdit* soundEdit;
    TButton* soundButton;
    // "Записная книжка".
    TDigitsEdit* horizonEdit;
    QCheckBox* showAgeBox;
    // "Каталог".
    std::array<TEdit*, 6> categoryEdits{};
    // "Долговая книга".
    TEdit* overdueEdit;
    // "Синхронизация".
    TEdit* syncServerEdit;      // Edit6
    TEdit* syncUserEdit;        // Edit7
    TEdit* syncPasswordEdit;    // Edit8
    TEdit* syncCalendarEdit;    // Edit9
    TEdit* syncBookEdit;        // Edit10
    TDigitsEdit* syncIntervalEdit;  // MaskEdit3, minutes; 0: off
    QCheckBox* syncPlainHttpBox;  // CheckBox6: http to another machine allowed
    TButton* syncButton;        // Button6
    TLabel* syncStatus;         // Label22, one line: the last sync's outcome
    // The status line's texts, filled in by the main window's sync.
    struct SyncTexts {
        TText* running;        // "Синхронизация…"
        TText* done;           // %1 time, %2-%4 here added/changed/deleted, %5-%7 on the server
        TText* conflicts;      // %1 conflicts
        TText* skipped;        // %1 server items too large or unreadable, left as they are
        TText* refusedItems;   // %1 uploads the server refused, sent again next time
        TText* noServer;
        TText* noPassword;     // no password known for this run
        TText* noStore;        // no secret store: the password is kept until the program closes
        TText* stored;         // the password went to the secret store
        TText* waiting;        // the lists changed during the sync: again shortly
        TText* failed;         // %1 time, %2 the reason
        TText* unreachable;
        TText* refused;        // %1 the HTTP status
        TText* unauthorized;
        TText* badAnswer;
        TText* badAddress;
        TText* missing;        // the named calendar or address book is not on the server
        TText* fileError;      // %1 the reason (English, from the file system)
        TText* title;          // the notification's title
    } syncTexts{};
    TPanel* bottomPanel;
    TButton* saveButton;

signals:
    void syncRequested();
    void syncOptionsSaved();
    // The secret store answered the write of a password typed here (missing: it cannot keep it).
    void passwordStoreAnswered(bool missing);

protected:
    void ReInit() override;

private:
    void BuildInfoPanel();
    QWidget* BuildMainPage();
    QWidget* BuildPlannerPage();
    QWidget* BuildAddressBookPage();
    QWidget* BuildCatalogPage();
    QWidget* BuildDebtsPage();
    QWidget* BuildSyncPage();
    void LoadSyncControls();
    // Every control from SettingsRecord; each control counts as unchanged afterwards.
    void LoadControls();
    void ShowSwatches();
    // The file name (no folder) of a chosen file into field; refused with a message when the
    // name has characters code page 1251 cannot hold.
    void TakeFileName(TEdit* field, const std::string& path);

    bool eventNamesEdited_ = false;
    TBackgroundLoader backupChecks_;
    int backupCheckKey_ = 0;
};

}  // namespace pomix
