// TForm7: the settings section window, hosted in the main window's display area. Its controls
// mirror SettingsRecord; "Сохранить" copies them back and recolours the windows. It never
// writes the settings file (the main window does, at shutdown). There is no Cancel: edits not
// saved stay in the controls until "Сохранить" or the end of the run.
//
// A stored value a control cannot show (a reminder lead outside 0 … 1439 minutes, a birthday
// horizon outside 0 … 999, an overdue mark over 5 characters, a colour with its high byte
// set, a text the field would change) is kept as stored unless the user changes that control.
#pragma once

#include <QCheckBox>
#include <array>

#include "settings/settings_record.h"
#include "ui/controls.h"
#include "ui/section_window.h"
#include "ui/setup_controls.h"

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

// A label that opens something when clicked.
class TLinkLabel : public TLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString& caption, QWidget* parent = nullptr);
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class TForm7 : public TSectionWindow {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);

    // The built-in colour schemes, in the order of the scheme list.
    struct ColourScheme {
        TColor window, accent, plannedDay;
    };
    static const std::array<ColourScheme, 7> kColourSchemes;
    static constexpr const char* kWebAddress = "https://pomix.example.org";
    static constexpr const char* kMailAddress = "pomix@example.org";
    static constexpr const char* kSoundFilter = "Все Файлы|*.*|Wav файлы|*.wav";
    static constexpr const char* kDictionaryFilter = "Все Файлы|*.*|Файлы словарей|*.lng";

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
    void OpenWebPage();
    void WriteToMaker();
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
    TPanel* bottomPanel;
    TButton* saveButton;

protected:
    void ReInit() override;

private:
    void BuildInfoPanel();
    QWidget* BuildMainPage();
    QWidget* BuildPlannerPage();
    QWidget* BuildAddressBookPage();
    QWidget* BuildCatalogPage();
    QWidget* BuildDebtsPage();
    // Every control from SettingsRecord; each control counts as unchanged afterwards.
    void LoadControls();
    void ShowSwatches();
    // The file name (no folder) of a chosen file into field; refused with a message when the
    // name has characters code page 1251 cannot hold.
    void TakeFileName(TEdit* field, const std::string& path);

    bool eventNamesEdited_ = false;
};

}  // namespace pomix
