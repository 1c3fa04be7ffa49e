#include "notes/note_form.h"

#include <QScrollArea>
#include <QStyle>
#include <cmath>

#include "planner/calendar_dialog.h"
#include "settings/program_files.h"
#include "settings/settings_record.h"
#include "storage/locale.h"
#include "storage/text.h"
#include "storage/text_file.h"
#include "ui/convert.h"
#include "ui/file_dialog.h"
#include "ui/message.h"

namespace pomix {
namespace {

const char kDeleteQuestion[] = "Remove record ?\rУдалить запись ?";
const char kTextFilter[] = "All files / Все файлы|*.*|Text files / Текстовые файлы|*.txt";

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TButton* MakeButton(QWidget* parent, const char* name, const QRect& at, const char* caption,
                    const char* hint = nullptr) {
    auto* button = Make<TButton>(parent, name, at, U(caption));
    if (hint) button->setToolTip(U(hint));
    return button;
}

// The picked day of the one date picker, when it exists (tests may run without it).
void PresetPicker(DateTime day) {
    if (auto* picker = TCalendarDialog::Instance()) picker->SetPickedDay(day);
}

}  // namespace

TNoteForm::TNoteForm(StreamContainer& container, QWidget* parent)
    : TSectionWindow(kRecolourNotes, "NoteBookForm",
                     ExpandItems({"Button1-11.Caption,Hint", "RadioButton1-3.Caption,Hint",
                                  "Button12-14.Hint", "ListBox1.Hint", "AName.Hint",
                                  "ADateEdit.Hint", "AMemo.Hint", "Text1.Caption", "Text2.Caption",
                                  "Text4.Caption", "Label3-6.Caption", "N1-4.Caption"}),
                     parent),
      file_(container, DataDir() + kNoteFileName, kNoteStreamName) {
    setObjectName("NoteForm");
    FileName = file_.Path();
    BuildMainView();
    BuildEditor();
    BuildSearch();
    binding_.BindDictionary();
    LoadNoteList();
    UpDateNoteList();
}

void TNoteForm::BuildMainView() {
    Text1 = Make<TStaticButton>(this, "Text1", {4, 4, 182, 20}, U("Темы заметок"));
    ListBox1 = Make<TSortedListBox>(this, "ListBox1", {4, 26, 182, 300});
    ListBox1->setToolTip(U("Список тем заметок"));
    Text3 = Make<TStaticButton>(this, "Text3", {190, 4, 320, 20}, QString());
    Label2 = Make<TLabel>(this, "Label2", {190, 26, 320, 16}, QString());
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // The note's text can be longer than the window: it scrolls.
    auto* scroll = Make<QScrollArea>(this, "ScrollBox1", {190, 44, 320, 282});
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    Label1 = new TLabel(QString(), scroll);
    Label1->setObjectName("Label1");
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAutoFillBackground(true);
    scroll->setWidget(Label1);

    Button4 = MakeButton(this, "Button4", {4, 332, 120, 24}, "Поиск");
    Button3 = MakeButton(this, "Button3", {130, 332, 120, 24}, "Редактировать",
                         "Редактировать текущую заметку");
    Button2 = MakeButton(this, "Button2", {256, 332, 120, 24}, "Добавить", "Добавить заметку");
    Button1 = MakeButton(this, "Button1", {382, 332, 128, 24}, "Удалить");

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    const auto item = [this](const char* name, const char* caption, void (TNoteForm::*command)()) {
        QAction* action = PopupMenu1->addAction(U(caption));
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    N1 = item("N1", "Добавить", &TNoteForm::Add);
    N2 = item("N2", "Редактировать", &TNoteForm::Edit);
    N4 = item("N4", "Поиск", &TNoteForm::Button4Click);
    N3 = item("N3", "Удалить", &TNoteForm::Delete);
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListBox1->mapToGlobal(at)); });

    connect(ListBox1, &QListWidget::currentRowChanged, this, &TNoteForm::ListBox1Click);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TNoteForm::Edit);
    connect(Button1, &QPushButton::clicked, this, &TNoteForm::Delete);
    connect(Button2, &QPushButton::clicked, this, &TNoteForm::Add);
    connect(Button3, &QPushButton::clicked, this, &TNoteForm::Edit);
    connect(Button4, &QPushButton::clicked, this, &TNoteForm::Button4Click);
}

void TNoteForm::BuildEditor() {
    Panel4 = Make<TPanel>(this, "Panel4", rect());
    Make<TStaticButton>(Panel4, "Text4", {4, 4, 506, 20}, U("Редактировать / Добавить"));
    Make<TLabel>(Panel4, "Label3", {8, 30, 80, 20}, U("Название"));
    AName = Make<TEdit>(Panel4, "AName", {90, 30, 416, 22});
    AName->setToolTip(U("Название заметки"));
    Make<TLabel>(Panel4, "Label6", {8, 58, 80, 20}, U("Дата"));
    ADateEdit = Make<TMaskEdit>(Panel4, "ADateEdit", {90, 58, 100, 22}, TMaskEdit::Kind::Date);
    ADateEdit->setToolTip(U("Дата создания или последнего редактирования записи"));
    Button12 = MakeButton(Panel4, "Button12", {194, 58, 28, 22}, "...", "Открыть календарь");
    Make<TLabel>(Panel4, "Label4", {8, 86, 80, 20}, U("Содержание"));
    Button13 = MakeButton(Panel4, "Button13", {446, 84, 28, 24}, "");
    Button13->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    Button14 = MakeButton(Panel4, "Button14", {478, 84, 28, 24}, "");
    Button14->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    AMemo = Make<TMemo>(Panel4, "AMemo", {8, 110, 498, 216});
    AMemo->setToolTip(U("Содержание заметки"));
    Button11 = MakeButton(Panel4, "Button11", {8, 332, 160, 24}, "Отмена", "Отменить");
    Button10 =
        MakeButton(Panel4, "Button10", {177, 332, 160, 24}, "Очистить", "Очистить поля ввода");
    Button9 = MakeButton(Panel4, "Button9", {346, 332, 160, 24}, "Сохранить", "Сохранить заметку");
    Panel4->hide();

    connect(Button9, &QPushButton::clicked, this, &TNoteForm::Button9Click);
    connect(Button10, &QPushButton::clicked, this, &TNoteForm::Button10Click);
    connect(Button11, &QPushButton::clicked, this, &TNoteForm::Button11Click);
    connect(Button12, &QPushButton::clicked, this, &TNoteForm::Button12Click);
    connect(Button13, &QPushButton::clicked, this, &TNoteForm::Button13Click);
    connect(Button14, &QPushButton::clicked, this, &TNoteForm::Button14Click);
}

void TNoteForm::BuildSearch() {
    // Over the display side only, above the command bar, so that the results in the title
    // list and the commands on them stay in reach.
    Panel5 = Make<TPanel>(this, "Panel5", {188, 0, 326, 328});
    Make<TStaticButton>(Panel5, "Text2", {2, 4, 320, 20}, U("Поиск"));
    Make<TLabel>(Panel5, "Label5", {8, 34, 60, 20}, U("Текст"));
    Edit2 = Make<TEdit>(Panel5, "Edit2", {70, 32, 248, 22});
    RadioButton1 = Make<QRadioButton>(Panel5, "RadioButton1", {70, 62, 240, 20}, U("По названию"));
    RadioButton2 = Make<QRadioButton>(Panel5, "RadioButton2", {70, 84, 240, 20}, U("По описанию"));
    RadioButton3 = Make<QRadioButton>(Panel5, "RadioButton3", {70, 106, 240, 20}, U("Везде"));
    RadioButton1->setChecked(true);
    Button8 = MakeButton(Panel5, "Button8", {8, 268, 310, 24}, "Очистить результаты",
                         "Очистить результаты поиска, переход в обычный просмотр");
    Button7 =
        MakeButton(Panel5, "Button7", {8, 298, 100, 24}, "Очистить", "Очистить строку поиска");
    Button6 = MakeButton(Panel5, "Button6", {113, 298, 100, 24}, "Закрыть", "Закрыть окно поиска");
    Button5 = MakeButton(Panel5, "Button5", {218, 298, 100, 24}, "Поиск", "Искать текст в записях");
    Panel5->hide();

    connect(Button5, &QPushButton::clicked, this, &TNoteForm::FoundRecord);
    connect(Button6, &QPushButton::clicked, this, &TNoteForm::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TNoteForm::Button7Click);
    connect(Button8, &QPushButton::clicked, this, &TNoteForm::Button8Click);
    connect(Edit2, &QLineEdit::returnPressed, this, &TNoteForm::FoundRecord);
}

void TNoteForm::LoadNoteList() {
    file_.LoadList(NoteList_, ReadNotes);
}

void TNoteForm::SaveNoteList() {
    file_.SaveList(NoteList_, Modified, WriteNotes);
}

void TNoteForm::FormClose() {
    SaveNoteList();
}

void TNoteForm::UpDateNoteList() {
    NoteList_.Reindex();
    std::vector<std::pair<std::string, ItemObject>> lines;
    lines.reserve(NoteList_.Count());
    for (std::size_t i = 0; i < NoteList_.Count(); ++i) {
        lines.emplace_back(NoteList_[i].Name, static_cast<ItemObject>(i));
    }
    ListBox1->SetItems(std::move(lines));
    ListBox1->setCurrentRow(-1);
}

TNote* TNoteForm::SelectedNote() {
    const int row = ListBox1->currentRow();
    if (row < 0) return nullptr;
    // Lines carry the note's Index; a line never outlives a rebuild of the list it indexes.
    const ItemObject index = ListBox1->Object(row);
    return index < NoteList_.Count() ? &NoteList_[index] : nullptr;
}

void TNoteForm::ListBox1Click() {
    if (const TNote* note = SelectedNote()) ShowNote(*note);
}

void TNoteForm::ShowNote(const TNote& note) {
    Text3->setText(ToQt(note.Name));
    QString text;
    for (const std::string& line : note.Memo) text += ToQt(line) + "\r\n";
    Label1->setText(text);
    AName->SetText(note.Name);
    AMemo->SetLines(note.Memo);
    Label2->setText(ToQt(CurrentLocale().LongDate(std::floor(note.Date))).trimmed());
    ADateEdit->SetText(DateToText(note.Date));
    PresetPicker(note.Date);
}

void TNoteForm::Clear() {
    AName->clear();
    AMemo->clear();
    ADateEdit->Clear();
    Label1->clear();
    Label2->clear();
    Text3->clear();
}

void TNoteForm::Add() {
    Clear();
    const DateTime now = Now();
    ADateEdit->SetText(DateToText(now));
    PresetPicker(now);
    AddMode = true;
    Panel4->show();
    Panel4->raise();
    AName->setFocus();
}

void TNoteForm::Edit() {
    if (!SelectedNote()) return;
    AddMode = false;
    Panel4->show();
    Panel4->raise();
    AName->setFocus();
}

void TNoteForm::Button9Click() {
    TNote* note = AddMode ? nullptr : SelectedNote();
    // With nothing selected an edit has no note to change; rather than drop what was typed,
    // it is kept as a new note.
    if (note) {
        note->Date = Now();
        note->Name = AName->Text();
        note->Memo = AMemo->Lines();
    } else {
        NoteList_.Add(TNote(Now(), AMemo->Lines(), AName->Text()));
    }
    UpDateNoteList();
    Clear();
    Modified = true;
    Panel4->hide();
}

void TNoteForm::Button10Click() {
    AName->clear();
    AMemo->clear();
}

void TNoteForm::Button11Click() {
    Panel4->hide();
}

void TNoteForm::Button12Click() {
    if (auto* picker = TCalendarDialog::Instance()) picker->Run();
}

void TNoteForm::Button13Click() {
    const std::string path = ChooseFileToOpen(this, U(kTextFilter));
    if (path.empty()) return;
    try {
        AMemo->SetLines(ReadTextFileLines(path));
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

void TNoteForm::Button14Click() {
    const std::string path = ChooseFileToSave(this, U(kTextFilter));
    if (path.empty()) return;
    try {
        WriteTextFileLines(path, AMemo->Lines());
    } catch (const std::exception& e) {
        ShowError(e.what());
    }
}

void TNoteForm::Delete() {
    const TNote* note = SelectedNote();
    if (!note) return;
    if (SettingsRecord.ConfirmDelete && !AskYesNo(kDeleteQuestion)) return;
    NoteList_.Delete(static_cast<std::size_t>(note->Index));
    UpDateNoteList();
    Clear();
    Modified = true;
}

void TNoteForm::Button4Click() {
    Panel5->show();
    Panel5->raise();
    Edit2->setFocus();
}

void TNoteForm::Button6Click() {
    Panel5->hide();
}
void TNoteForm::Button7Click() {
    Edit2->clear();
}
void TNoteForm::Button8Click() {
    UpDateNoteList();
}

void TNoteForm::FoundRecord() {
    const std::string pattern = Edit2->Text();
    if (pattern.empty()) return;
    const NoteSearch where = RadioButton1->isChecked()   ? NoteSearch::ByName
                             : RadioButton2->isChecked() ? NoteSearch::ByText
                                                         : NoteSearch::Everywhere;
    Clear();
    // Index values still hold: the list has not changed since the last rebuild.
    std::vector<std::pair<std::string, ItemObject>> found;
    for (std::size_t i = 0; i < NoteList_.Count(); ++i) {
        const TNote& note = NoteList_[i];
        if (NoteMatches(note, pattern, where))
            found.emplace_back(note.Name, static_cast<ItemObject>(note.Index));
    }
    ListBox1->SetItems(std::move(found));
    ListBox1->setCurrentRow(-1);
}

void TNoteForm::ReInit() {
    binding_.ApplyColours([this] {
        for (TButton* picture : {Button13, Button14}) {
            SetColours(picture, ToQColor(SettingsRecord.WindowColor),
                       ToQColor(SettingsRecord.ButtonTextColor));
        }
    });
}

}  // namespace pomix
