#include "windows/notes/note_form.h"

#include <QScrollArea>
#include <QStyle>
#include <cmath>

#include "windows/planner/calendar_dialog.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/locale.h"
#include "storage/text.h"
#include "kit/accessibility.h"
#include "kit/convert.h"
#include "kit/form_parts.h"
#include "kit/memo_file.h"
#include "kit/message.h"
#include "kit/panel_cover.h"
#include "kit/record_routine.h"

namespace pomix {
namespace {

// The picked day of the one date picker, when it exists (tests may run without it).
void PresetPicker(DateTime day) {
    if (auto* picker = TCalendarDialog::Instance()) picker->SetPickedDay(day);
}

}  // namespace

TNoteForm::TNoteForm(StreamContainer& container, QWidget* parent, SectionLoad load)
    : TSectionWindow(kRecolourNotes, "NoteBookForm",
                     TTextFileMessages::WithItems(ExpandItems(
                         {"PopupMenu1.AccessibleName", "Button1-11.Caption,Hint",
                          "RadioButton1-3.Caption,Hint", "Button12-14.Hint", "ListBox1.Hint",
                          "AName.Hint", "ADateEdit.Hint", "AMemo.Hint", "Text1.Caption",
                          "Text2.Caption", "Text4.Caption", "Label3-6.Caption", "N1-4.Caption"})),
                     parent, load),
      notes_(container, DataDir() + kNoteFileName) {
    setObjectName("NoteForm");
    FileName = notes_.File().Path();
    BuildMainView();
    BuildEditor();
    BuildSearch();
    BuildRoutine();
    // The editor keeps the note it was opened on: the list and its commands wait under it.
    CoverWhileShown(editPanel,
                    {titleList, deleteButton, addButton, editButton, searchButton, searchPanel});
    fileMessages = new TTextFileMessages(this);
    FollowEditor(editPanel);
    notes_.Listen([this](SectionModel::Change change) { FollowModel(change); });
    binding_.BindDictionary();
    LoadData();
}

void TNoteForm::BuildMainView() {
    titlesHeader = Make<TStaticButton>(this, "Text1", {4, 4, 182, 20}, U("Темы заметок"));
    titleList = Make<TSortedListBox>(this, "ListBox1", {4, 26, 182, 300});
    titleList->setToolTip(U("Список тем заметок"));
    noteTitle = Make<TStaticButton>(this, "Text3", {190, 4, 320, 20}, QString());
    noteDateLabel = Make<TLabel>(this, "Label2", {190, 26, 320, 16}, QString());
    noteDateLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // The note's text can be longer than the window: it scrolls.
    auto* scroll = Make<QScrollArea>(this, "ScrollBox1", {190, 44, 320, 282});
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    noteTextLabel = new TLabel(QString(), scroll);
    noteTextLabel->setObjectName("Label1");
    noteTextLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    noteTextLabel->setWordWrap(true);
    noteTextLabel->setAutoFillBackground(true);
    scroll->setWidget(noteTextLabel);

    searchButton = MakeButton(this, "Button4", {4, 332, 120, 24}, "Поиск");
    editButton = MakeButton(this, "Button3", {130, 332, 120, 24}, "Редактировать",
                         "Редактировать текущую заметку");
    addButton = MakeButton(this, "Button2", {256, 332, 120, 24}, "Добавить", "Добавить заметку");
    deleteButton = MakeButton(this, "Button1", {382, 332, 128, 24}, "Удалить");

    titleMenu = MakePopupMenu(this, "PopupMenu1", titleList, "Меню заметок");
    addItem = AddMenuItem(titleMenu, "N1", "Добавить");
    editItem = AddMenuItem(titleMenu, "N2", "Редактировать");
    searchItem = AddMenuItem(titleMenu, "N4", "Поиск");
    deleteItem = AddMenuItem(titleMenu, "N3", "Удалить");

    connect(titleList, &TSortedListBox::currentRowChanged, this, &TNoteForm::ShowSelected);
}

void TNoteForm::BuildEditor() {
    editPanel = Make<TPanel>(this, "Panel4", rect());
    Make<TStaticButton>(editPanel, "Text4", {4, 4, 506, 20}, U("Редактировать / Добавить"));
    Make<TLabel>(editPanel, "Label3", {8, 30, 80, 20}, U("Название"));
    titleEdit = Make<TEdit>(editPanel, "AName", {90, 30, 416, 22});
    titleEdit->setToolTip(U("Название заметки"));
    Make<TLabel>(editPanel, "Label6", {8, 58, 80, 20}, U("Дата"));
    dateEdit = Make<TMaskEdit>(editPanel, "ADateEdit", {90, 58, 100, 22}, TMaskEdit::Kind::Date);
    dateEdit->setToolTip(U("Дата создания или последнего редактирования записи"));
    pickDateButton = MakeButton(editPanel, "Button12", {194, 58, 28, 22}, "...", "Открыть календарь");
    Make<TLabel>(editPanel, "Label4", {8, 86, 80, 20}, U("Содержание"));
    // Picture buttons: the hint is also the name assistive technology reads out.
    loadTextButton = MakeButton(editPanel, "Button13", {446, 84, 28, 24}, "", "Загрузить текст из файла");
    loadTextButton->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    saveTextButton = MakeButton(editPanel, "Button14", {478, 84, 28, 24}, "", "Сохранить текст в файл");
    saveTextButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    textMemo = Make<TMemo>(editPanel, "AMemo", {8, 110, 498, 216});
    textMemo->setToolTip(U("Содержание заметки"));
    cancelButton = MakeButton(editPanel, "Button11", {8, 332, 160, 24}, "Отмена", "Отменить");
    clearButton =
        MakeButton(editPanel, "Button10", {177, 332, 160, 24}, "Очистить", "Очистить поля ввода");
    saveButton = MakeButton(editPanel, "Button9", {346, 332, 160, 24}, "Сохранить", "Сохранить заметку");
    editPanel->hide();
    CoverWhatLiesUnder(editPanel);
    SetReadingTabOrder(editPanel);

    connect(clearButton, &QPushButton::clicked, this, &TNoteForm::ClearEditor);
    connect(pickDateButton, &QPushButton::clicked, this, &TNoteForm::PickDate);
    connect(loadTextButton, &QPushButton::clicked, this, &TNoteForm::LoadTextFromFile);
    connect(saveTextButton, &QPushButton::clicked, this, &TNoteForm::SaveTextToFile);
}

void TNoteForm::BuildSearch() {
    // Over the display side only, above the command bar, so that the results in the title
    // list and the commands on them stay in reach.
    searchPanel = Make<TPanel>(this, "Panel5", {188, 0, 326, 328});
    Make<TStaticButton>(searchPanel, "Text2", {2, 4, 320, 20}, U("Поиск"));
    Make<TLabel>(searchPanel, "Label5", {8, 34, 60, 20}, U("Текст"));
    searchEdit = Make<TEdit>(searchPanel, "Edit2", {70, 32, 248, 22});
    byTitleRadio = Make<QRadioButton>(searchPanel, "RadioButton1", {70, 62, 240, 20}, U("По названию"));
    byTextRadio = Make<QRadioButton>(searchPanel, "RadioButton2", {70, 84, 240, 20}, U("По описанию"));
    everywhereRadio = Make<QRadioButton>(searchPanel, "RadioButton3", {70, 106, 240, 20}, U("Везде"));
    byTitleRadio->setChecked(true);
    clearResultsButton = MakeButton(searchPanel, "Button8", {8, 268, 310, 24}, "Очистить результаты",
                         "Очистить результаты поиска, переход в обычный просмотр");
    clearSearchButton =
        MakeButton(searchPanel, "Button7", {8, 298, 100, 24}, "Очистить", "Очистить строку поиска");
    closeSearchButton = MakeButton(searchPanel, "Button6", {113, 298, 100, 24}, "Закрыть", "Закрыть окно поиска");
    findButton = MakeButton(searchPanel, "Button5", {218, 298, 100, 24}, "Поиск", "Искать текст в записях");
    searchPanel->hide();
    CoverWhatLiesUnder(searchPanel);
}

void TNoteForm::BuildRoutine() {
    TRecordRoutine::Steps steps;
    steps.selected = [this] { return SelectedNote() != nullptr; };
    steps.fill = [this](bool adding) {
        if (!adding) return;  // the selected note shows in the editor already
        Clear();
        const DateTime now = Now();
        dateEdit->SetText(DateToText(now));
        PresetPicker(now);
    };
    steps.save = [this] { return std::optional<int>(SaveEditor()); };
    steps.remove = [this](int) {
        notes_.Delete(SelectedSerial());
        const int row = titleList->currentRow();
        UpDateNoteList();
        Clear();
        MarkChanged();
        return row;
    };
    steps.find = [this](const std::string& pattern, int choice) {
        constexpr NoteSearch kChoices[] = {NoteSearch::ByName, NoteSearch::ByText,
                                           NoteSearch::Everywhere};
        Clear();
        ShowTitles(notes_.Found(pattern, kChoices[choice]), false);
    };
    steps.showAll = [this] { UpDateNoteList(); };
    TRecordRoutine::Parts parts = TRecordRoutine::PartsOf(this, editPanel, titleEdit, &AddMode);
    parts.searchPanel.choices = {byTitleRadio, byTextRadio, everywhereRadio};
    recordRoutine = new TRecordRoutine(this, titleList, parts, std::move(steps));
}

void TNoteForm::LoadNoteList() { notes_.LoadNow(); }

EarlyRead TNoteForm::EarlyReadIn(const std::string& dataDir) {
    return NotesModel::EarlyReadIn(dataDir);
}

void TNoteForm::SaveNoteList() {
    notes_.Save();
    Modified = false;
}

void TNoteForm::FormClose() {
    SaveNoteList();
}

void TNoteForm::FollowModel(SectionModel::Change change) {
    // Records read anew (a copy put back) leave nothing for an open editor to save.
    if (change == SectionModel::Change::Loaded) editPanel->hide();
    Modified = notes_.Modified();
    UpDateNoteList();
}

void TNoteForm::ShowTitles(std::vector<ListLine> lines, bool all) {
    if (all) {
        titleList->SetSortedItems(TSortedListBox::OfRecords(std::move(lines)));
    } else {
        titleList->SetItems(TSortedListBox::OfRecords(std::move(lines)));
    }
    allTitlesListed_ = all;
    titleList->setCurrentRow(-1);
}

void TNoteForm::UpDateNoteList() {
    ShowTitles(notes_.Titles(), true);
}

std::uint64_t TNoteForm::SelectedSerial() const {
    const int row = titleList->currentRow();
    return row < 0 ? 0 : titleList->Object(row);
}

const TNote* TNoteForm::SelectedNote() const {
    // Lines carry the note's serial number: a line left over from before a delete reaches no
    // note rather than whichever note took its place.
    return notes_.Notes().BySerial(SelectedSerial());
}

void TNoteForm::ShowSelected() {
    if (const TNote* note = SelectedNote()) ShowNote(*note);
}

void TNoteForm::ShowNote(const TNote& note) {
    noteTitle->SetElidedText(ToQt(note.Name));
    QString text;
    for (const std::string& line : note.Memo) text += ToQt(line) + "\r\n";
    noteTextLabel->setText(text);
    titleEdit->SetText(note.Name);
    textMemo->SetLines(note.Memo);
    noteDateLabel->SetElidedText(ToQt(CurrentLocale().LongDate(std::floor(note.Date))).trimmed());
    dateEdit->SetText(DateToText(note.Date));
    PresetPicker(note.Date);
}

void TNoteForm::Clear() {
    titleEdit->clear();
    textMemo->clear();
    dateEdit->Clear();
    noteTextLabel->clear();
    noteDateLabel->clear();
    noteTitle->SetElidedText(QString());
}

int TNoteForm::SaveEditor() {
    // With nothing selected an edit has no note to change; rather than drop what was typed,
    // the model keeps it as a new note.
    const std::uint64_t saved =
        notes_.Keep(AddMode ? 0 : SelectedSerial(), titleEdit->Text(), textMemo->Lines());
    if (allTitlesListed_) {
        // Only this note's line moves (or joins the list): sorting every title again would
        // hold the interface on a long list.
        const TNote* note = notes_.Notes().BySerial(saved);
        titleList->PlaceItem(note->Name, saved, [this, index = note->Index](ItemObject other) {
            return notes_.Precedes(index, other);
        });
        titleList->setCurrentRow(-1);
    } else {
        UpDateNoteList();
    }
    Clear();
    MarkChanged();
    return titleList->RowOf(saved);
}

void TNoteForm::ClearEditor() {
    titleEdit->clear();
    textMemo->clear();
}

void TNoteForm::PickDate() {
    if (auto* picker = TCalendarDialog::Instance()) picker->Run();
}

void TNoteForm::LoadTextFromFile() {
    LoadMemoFromTextFile(this, textMemo, *fileMessages);
}

void TNoteForm::SaveTextToFile() {
    SaveMemoToTextFile(this, textMemo, *fileMessages);
}

void TNoteForm::ReInit() {
    binding_.ApplyColours([this] {
        for (TButton* picture : {loadTextButton, saveTextButton}) {
            SetColours(picture, ToQColor(SettingsRecord.WindowColor),
                       ToQColor(SettingsRecord.ButtonTextColor));
        }
    });
}

}  // namespace pomix
