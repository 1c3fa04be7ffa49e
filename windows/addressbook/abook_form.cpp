#include "windows/addressbook/abook_form.h"

#include <QScrollArea>
#include <QStyle>

#include "core/addressbook/birthdays.h"
#include "core/exchange/records_csv.h"
#include "core/exchange/vcard.h"
#include "windows/planner/calendar_dialog.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/atomic_file.h"
#include "storage/dates.h"
#include "storage/report.h"
#include "kit/accessibility.h"
#include "kit/convert.h"
#include "kit/desktop.h"
#include "kit/exchange_dialogs.h"
#include "kit/form_parts.h"
#include "kit/memo_file.h"
#include "kit/message.h"
#include "kit/panel_cover.h"
#include "kit/record_routine.h"

namespace pomix {
namespace {

// The contacts read beside the interface, their names built and sorted there too: the
// interface thread only takes them.

// The details and the editor lie over the right-hand side, beside the contact list.
constexpr int kSideLeft = 208;
constexpr int kSideWidth = TSectionWindow::kWidth - kSideLeft;
constexpr int kCommandBarTop = 332;
// The tabs and the list end left of every panel, the birthday panel's wider columns included,
// so that they stay usable while a panel is open.
constexpr int kListWidth = 184;

void PresetPicker(DateTime day) {
    if (auto* picker = TCalendarDialog::Instance()) picker->SetPickedDay(day);
}

}  // namespace

TABookForm::TABookForm(StreamContainer& container, QWidget* parent, SectionLoad load)
    : TSectionWindow(
          kRecolourAddressBook, "AddressBookForm",
          TTextFileMessages::WithItems(ExpandItems(
              {"PopupMenu1.AccessibleName", "Button1-13.Caption,Hint",
               "StaticButton1-5.Caption,Hint", "Button14-16.Hint", "ListBox1.Hint", "N1-6.Caption",
               "Text1-3.Caption", "Label1-19.Caption", "ListBox1-2.AccessibleName",
               "TodayText.Caption", "SelectCategory.Items", "NoCategoryText.Caption"})),
          parent, load),
      book_(container, DataDir() + kAddressFileName) {
    setObjectName("ABookForm");
    FileName = book_.File().Path();
    BuildMainView();
    BuildDetails();
    BuildEditor();
    BuildSearch();
    BuildBirthdays();
    BuildRoutine();
    // The editor keeps the contact it was opened on: nothing that changes the list or the
    // selection is within reach until Save or Cancel.
    CoverWhileShown(editPanel, {allTab, businessTab, personalTab, birthdaysButton, contactList,
                                searchButton, editButton, addButton, deleteButton, searchPanel,
                                birthdayPanel});
    fileMessages = new TTextFileMessages(this);
    FollowEditor(editPanel);
    book_.Listen([this](SectionModel::Change change) { FollowModel(change); });
    binding_.BindDictionary();
    LoadData();
}

void TABookForm::BuildMainView() {
    allTab = MakeTab(this, "StaticButton1", {4, 4, 60, 20}, "Все", "Показать все категории");
    businessTab = MakeTab(this, "StaticButton2", {66, 4, 60, 20}, "Деловые",
                          "Показывать только деловые записи");
    personalTab =
        MakeTab(this, "StaticButton3", {128, 4, 60, 20}, "Личные", "Только личные записи");
    allTab->SetBorder(true);
    GroupAsTabs({allTab, businessTab, personalTab});
    birthdaysButton = MakeButton(this, "Button5", {kSideLeft + 186, 2, 116, 24}, "Дни рождения",
                                 "Дни рождения");

    contactList = Make<TColumnListView>(this, "ListBox1", {4, 28, kListWidth, 298});
    contactList->setToolTip(U("Список записей"));
    contactList->setAccessibleName(U("Список записей"));

    searchButton = MakeButton(this, "Button4", {4, kCommandBarTop, 120, 24}, "Поиск",
                              "Поиск по записям");
    editButton = MakeButton(this, "Button3", {130, kCommandBarTop, 120, 24}, "Редактировать",
                            "Редактировать текущую запись");
    addButton = MakeButton(this, "Button2", {256, kCommandBarTop, 120, 24}, "Добавить",
                           "Добавить новую запись");
    deleteButton = MakeButton(this, "Button1", {382, kCommandBarTop, 128, 24}, "Удалить",
                              "Удалить текущую запись");

    contactMenu = MakePopupMenu(this, "PopupMenu1", contactList, "Меню контактов");
    editItem = AddMenuItem(contactMenu, "N1", "Редактировать");
    addItem = AddMenuItem(contactMenu, "N2", "Добавить");
    searchItem = AddMenuItem(contactMenu, "N3", "Поиск");
    deleteItem = AddMenuItem(contactMenu, "N4", "Удалить");
    importItem = AddMenuItem(contactMenu, "N5", "Импорт…", this, &TABookForm::ChooseImport);
    exportItem = AddMenuItem(contactMenu, "N6", "Экспорт…", this, &TABookForm::ExportContacts);
    AcceptDroppedFiles(this, [this](const std::string& path) { ImportContacts(path); });

    connect(allTab, &TStaticButton::clicked, this, [this] { SelectCategory(kAllCategories); });
    connect(businessTab, &TStaticButton::clicked, this,
            [this] { SelectCategory(kBusinessCategory); });
    connect(personalTab, &TStaticButton::clicked, this,
            [this] { SelectCategory(kPersonalCategory); });
    connect(birthdaysButton, &QPushButton::clicked, this, &TABookForm::ShowBirthdays);
    connect(contactList, &TColumnListView::currentRowChanged, this, &TABookForm::ShowSelected);
}

void TABookForm::BuildDetails() {
    constexpr int captionLeft = kSideLeft + 2, valueLeft = kSideLeft + 74;
    constexpr int valueWidth = TSectionWindow::kWidth - 4 - valueLeft;
    const auto caption = [this](const char* name, int top, const char* text) {
        Make<TLabel>(this, name, {captionLeft, top, 70, 18}, U(text));
    };
    const auto value = [this](const char* name, const QRect& at) {
        auto* label = Make<TLabel>(this, name, at, QString());
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        return label;
    };
    caption("Label1", 30, "Фамилия");
    surnameLabel = value("LFamile", {valueLeft, 30, valueWidth, 18});
    caption("Label2", 50, "Имя");
    firstNameLabel = value("LFistName", {valueLeft, 50, valueWidth, 18});
    caption("Label3", 70, "Отчество");
    patronymicLabel = value("LLastName", {valueLeft, 70, valueWidth, 18});
    birthDateLabel = value("LDate", {valueLeft, 92, valueWidth - 50, 18});
    ageLabel = value("LAge", {valueLeft + valueWidth - 46, 92, 46, 18});
    ageLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    caption("Label4", 114, "Адрес");
    addressLabel = value("LAddress", {valueLeft, 114, valueWidth, 36});
    caption("Label5", 154, "Телефон");
    phoneRow_ = {valueLeft, 154, valueWidth, 18};
    phone1Label = value("LTel1", {valueLeft, 154, valueWidth / 2 - 2, 18});
    phone2Label = value("LTel2", {valueLeft + valueWidth / 2, 154, valueWidth / 2, 18});
    caption("Label6", 176, "e-mail");
    emailLabel = value("Lemail", {valueLeft, 176, valueWidth, 18});
    caption("Label7", 198, "WWW");
    webLabel = value("LURL", {valueLeft, 198, valueWidth, 18});
    for (TLabel* link : {emailLabel, webLabel}) {
        QFont font = link->font();
        font.setUnderline(true);
        link->setFont(font);
        link->setWordWrap(false);
        link->setCursor(Qt::PointingHandCursor);
        link->SetLinkText(QString());
    }
    caption("Label8", 220, "Заметки");

    // The notes can be longer than the space left: they scroll.
    auto* scroll = Make<QScrollArea>(this, "ScrollBox1", {valueLeft, 220, valueWidth, 106});
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    notesLabel = new TLabel(QString(), scroll);
    notesLabel->setObjectName("LNote");
    notesLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notesLabel->setWordWrap(true);
    notesLabel->setAutoFillBackground(true);
    scroll->setWidget(notesLabel);

    connect(emailLabel, &TLabel::doubleClicked, this, &TABookForm::OpenEmail);
    connect(webLabel, &TLabel::doubleClicked, this, &TABookForm::OpenWeb);
}

void TABookForm::BuildEditor() {
    editPanel = Make<TPanel>(this, "Panel1", {kSideLeft, 0, kSideWidth, kCommandBarTop - 4});
    Make<TStaticButton>(editPanel, "Text3", {2, 4, kSideWidth - 6, 20},
                        U("Редактировать / Добавить"));
    mainPageTab = MakeTab(editPanel, "StaticButton4", {2, 28, 148, 20}, "Основные данные",
                          "Редактирование основных данных");
    notesPageTab = MakeTab(editPanel, "StaticButton5", {154, 28, 148, 20}, "Заметки",
                           "Редактирование заметок");
    mainPageTab->SetBorder(true);
    GroupAsTabs({mainPageTab, notesPageTab});

    constexpr int labelWidth = 100, fieldLeft = 104, fieldWidth = kSideWidth - fieldLeft - 4;
    int top = 54;
    const auto row = [&](const char* labelName, const char* caption) {
        Make<TLabel>(editPanel, labelName, {4, top + 2, labelWidth, 18}, U(caption));
        const QRect at{fieldLeft, top, fieldWidth, 22};
        top += 26;
        return at;
    };
    categoryBox = Make<TComboBox>(editPanel, "SelectCategory", row("Label10", "Категория"));
    categoryBox->SetItems({FromQt(U("Личные")), FromQt(U("Деловые"))});
    noCategoryText = new TText(this, "NoCategoryText", "Без категории");
    surnameEdit = Make<TEdit>(editPanel, "FFamile", row("Label11", "Фамилия"));
    firstNameEdit = Make<TEdit>(editPanel, "FFistName", row("Label12", "Имя"));
    patronymicEdit = Make<TEdit>(editPanel, "FLastName", row("Label13", "Отчество"));
    const QRect dateAt = row("Label14", "Дата рождения");
    birthDateEdit = Make<TMaskEdit>(editPanel, "FDate", {dateAt.x(), dateAt.y(), 100, 22},
                                    TMaskEdit::Kind::Date);
    pickDateButton = MakeButton(editPanel, "Button14", {dateAt.x() + 104, dateAt.y(), 28, 22},
                                "...", "Открыть календарь");
    addressEdit = Make<TEdit>(editPanel, "FAddress", row("Label15", "Адрес"));
    const QRect phoneAt = row("Label16", "Телефон 1, 2");
    const int phoneWidth = (phoneAt.width() - 4) / 2;
    phone1Edit = Make<TEdit>(editPanel, "FTel1", {phoneAt.x(), phoneAt.y(), phoneWidth, 22});
    phone2Edit = Make<TEdit>(editPanel, "FTel2",
                             {phoneAt.x() + phoneWidth + 4, phoneAt.y(), phoneWidth, 22});
    emailEdit = Make<TEdit>(editPanel, "FEmail", row("Label17", "e-mail"));
    webEdit = Make<TEdit>(editPanel, "FURL", row("Label18", "WWW"));

    // The notes page covers the main fields when its tab is chosen.
    notesPage = Make<TPanel>(editPanel, "Panel6", {0, 52, kSideWidth, top - 52});
    Make<TLabel>(notesPage, "Label19", {4, 4, 150, 20}, U("Заметки"));
    loadNotesButton = MakeButton(notesPage, "Button15", {kSideWidth - 64, 2, 28, 24}, "",
                                 "Загрузить заметки из текстового файла");
    loadNotesButton->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    saveNotesButton = MakeButton(notesPage, "Button16", {kSideWidth - 32, 2, 28, 24}, "",
                                 "Сохранить заметки в текстовый файл");
    saveNotesButton->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    notesMemo = Make<TMemo>(notesPage, "FNote", {4, 30, kSideWidth - 8, top - 52 - 34});
    notesMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    notesPage->hide();

    const int buttonTop = editPanel->height() - 28, buttonWidth = (kSideWidth - 16) / 3;
    cancelButton = MakeButton(editPanel, "Button13", {4, buttonTop, buttonWidth, 24}, "Отмена",
                              "Отменить ввод");
    clearButton = MakeButton(editPanel, "Button12", {8 + buttonWidth, buttonTop, buttonWidth, 24},
                             "Очистить", "Очистить поля ввода");
    saveButton = MakeButton(editPanel, "Button11",
                            {12 + 2 * buttonWidth, buttonTop, buttonWidth, 24}, "Сохранить",
                            "Сохранить изменения");
    editPanel->hide();
    CoverWhatLiesUnder(editPanel);
    SetReadingTabOrder(editPanel);

    connect(mainPageTab, &TStaticButton::clicked, this, &TABookForm::ShowMainPage);
    connect(notesPageTab, &TStaticButton::clicked, this, &TABookForm::ShowNotesPage);
    connect(pickDateButton, &QPushButton::clicked, this, &TABookForm::PickBirthDate);
    connect(loadNotesButton, &QPushButton::clicked, this, &TABookForm::LoadNotesFromFile);
    connect(saveNotesButton, &QPushButton::clicked, this, &TABookForm::SaveNotesToFile);
    connect(clearButton, &QPushButton::clicked, this, &TABookForm::Clear);
}

void TABookForm::BuildSearch() {
    searchPanel = Make<TPanel>(this, "Panel7", {kSideLeft, 0, kSideWidth, kCommandBarTop - 4});
    Make<TStaticButton>(searchPanel, "Text2", {2, 4, kSideWidth - 6, 20}, U("Поиск"));
    Make<TLabel>(searchPanel, "Label9", {6, 34, 50, 20}, U("Текст"));
    searchEdit = Make<TEdit>(searchPanel, "Edit1", {58, 32, kSideWidth - 64, 22});
    const int half = (kSideWidth - 14) / 2;
    findButton = MakeButton(searchPanel, "Button7", {6, 62, kSideWidth - 12, 24}, "Поиск",
                            "Искать текст в записях");
    clearResultsButton = MakeButton(searchPanel, "Button10", {6, 264, kSideWidth - 12, 24},
                                    "Очистить результаты", "Очистить результаты поиска");
    clearSearchButton = MakeButton(searchPanel, "Button9", {6, 294, half, 24}, "Очистить",
                                   "Очистить поле поиска");
    closeSearchButton = MakeButton(searchPanel, "Button8", {8 + half, 294, half, 24}, "Закрыть",
                                   "Закрыть окно поиска");
    searchPanel->hide();
    CoverWhatLiesUnder(searchPanel);
}

void TABookForm::BuildRoutine() {
    TRecordRoutine::Steps steps;
    steps.selected = [this] { return SelectedRecord() != nullptr; };
    steps.fill = [this](bool adding) {
        if (adding) {
            ShowCategory(CurrentCategory == kAllCategories ? -1 : CurrentCategory);
            Clear();
            birthDateEdit->SetText(kNewContactBirthDate);
        } else {
            // Whatever an earlier Add or Clear left in the editor gives way to the contact
            // edited.
            ShowAddress(*SelectedRecord());
            editedLine_ = (*shownLines_)[static_cast<std::size_t>(contactList->CurrentRow())];
        }
        ShowMainPage();
    };
    steps.save = [this] { return SaveEditor(); };
    steps.remove = [this](int asked) {
        const ListLine line = (*shownLines_)[static_cast<std::size_t>(asked)];
        const int row = contactList->CurrentRow();
        book_.Contacts.Delete(line);
        book_.Lines.Changed();
        MarkChanged();
        UpDateListBox(CurrentCategory);
        Clear();
        return row;
    };
    steps.find = [this](const std::string& pattern, int) {
        FillList(std::make_shared<const std::vector<ListLine>>(
            book_.Lines.Found(book_.Contacts, pattern)));
    };
    steps.showAll = [this] { UpDateListBox(CurrentCategory); };
    recordRoutine = new TRecordRoutine(
        this, contactList, TRecordRoutine::PartsOf(this, editPanel, categoryBox, &AddMode), std::move(steps));
}

void TABookForm::BuildBirthdays() {
    // The two columns are wider than the details side: the panel reaches a little further left.
    constexpr int width = 324, left = TSectionWindow::kWidth - width;
    birthdayPanel = Make<TPanel>(this, "Panel8", {left, 0, width, kCommandBarTop - 4});
    Make<TStaticButton>(birthdayPanel, "Text1", {2, 4, width - 6, 20}, U("Дни рождения"));
    birthdayList = Make<TColumnListBox>(birthdayPanel, "ListBox2", {2, 28, width - 6, 262});
    birthdayList->SetColumnWidths({251, 62});
    birthdayList->setAccessibleName(U("Дни рождения"));
    closeBirthdaysButton =
        MakeButton(birthdayPanel, "Button6", {width - 104, 294, 100, 24}, "Да", "Закрыть");
    todayText = new TText(this, "TodayText", "Сегодня");
    birthdayPanel->hide();
    CoverWhatLiesUnder(birthdayPanel);
    connect(closeBirthdaysButton, &QPushButton::clicked, this, &TABookForm::CloseBirthdays);
}

void TABookForm::LoadAddressList() { book_.LoadNow(); }

EarlyRead TABookForm::EarlyReadIn(const std::string& dataDir) {
    return AddressBook::EarlyReadIn(dataDir);
}

void TABookForm::SaveAddressList() {
    book_.Save();
    Modified = false;
}

void TABookForm::FormClose() {
    SaveAddressList();
}

void TABookForm::FillList(ContactLines::Shared lines) {
    // The lines come in display order (the core sorts them); the list asks only for the texts
    // of the rows it draws.
    shownLines_ = std::move(lines);
    contactList->SetRows(static_cast<int>(shownLines_->size()), [this](int row, int) {
        return (*shownLines_)[static_cast<std::size_t>(row)].Text;
    });
}

void TABookForm::UpDateListBox(int category) {
    FillList(book_.Lines.Category(book_.Contacts, category));
}

Contact* TABookForm::SelectedRecord() {
    const int row = contactList->CurrentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= shownLines_->size()) return nullptr;
    return book_.Contacts.Resolve((*shownLines_)[static_cast<std::size_t>(row)]);
}

void TABookForm::SharePhoneRow(const QString& first, const QString& second) {
    // The two phones share one row: a number that needs less than its half leaves the rest to
    // the other, so that one long number shows whole beside a short or missing one.
    constexpr int gap = 4;
    const QRect row = phoneRow_;
    const int room = row.width() - gap;
    const auto need = [](const TLabel* label, const QString& text) {
        return label->fontMetrics().horizontalAdvance(text) + label->width() - label->contentsRect().width() + 1;
    };
    const int need1 = need(phone1Label, first), need2 = need(phone2Label, second);
    const int half = room / 2;
    int width1 = half;  // both short, or both too long: half each
    if (second.isEmpty()) {
        width1 = room;
    } else if (need1 > half && need2 <= half) {
        width1 = room - need2;
    } else if (need2 > half && need1 <= half) {
        width1 = need1;
    }
    phone1Label->setGeometry(row.x(), row.y(), width1, row.height());
    phone2Label->setGeometry(row.x() + width1 + gap, row.y(), std::max(0, room - width1), row.height());
    phone1Label->SetElidedText(first);
    phone2Label->SetElidedText(second);
}

void TABookForm::ShowSelected() {
    if (const Contact* record = SelectedRecord()) ShowAddress(*record);
}

void TABookForm::ShowAddress(const Contact& record) {
    surnameLabel->SetElidedText(ToQt(record.Surname));
    firstNameLabel->SetElidedText(ToQt(record.FirstName));
    patronymicLabel->SetElidedText(ToQt(record.Patronymic));
    birthDateLabel->SetElidedText(ToQt(LongBirthDate(record.Date)));
    ageLabel->setText(ToQt(AgeText(record.Date, SettingsRecord.ShowAge)));
    addressLabel->SetElidedText(ToQt(record.Address), 2);
    SharePhoneRow(ToQt(record.Tel1), ToQt(record.Tel2));
    emailLabel->SetLinkText(ToQt(record.Email));
    webLabel->SetLinkText(ToQt(record.URL));
    notesLabel->setText(ToQt(record.Note).join(QStringLiteral("\r\n")));

    surnameEdit->SetText(record.Surname);
    firstNameEdit->SetText(record.FirstName);
    patronymicEdit->SetText(record.Patronymic);
    // No birth date (a stored value outside the calendar, or the empty date) shows as the
    // empty field, without a message.
    if (HasBirthDate(record.Date)) {
        birthDateEdit->SetText(DateToText(record.Date));
        PresetPicker(record.Date);
    } else {
        birthDateEdit->Clear();
    }
    shownDateText_ = birthDateEdit->Text();
    addressEdit->SetText(record.Address);
    phone1Edit->SetText(record.Tel1);
    phone2Edit->SetText(record.Tel2);
    emailEdit->SetText(record.Email);
    webEdit->SetText(record.URL);
    notesMemo->SetLines(record.Note);
    ShowCategory(SelectionOfCategory(record.Category));
    shownCategory_ = categoryBox->currentIndex();
    shownTexts_ = ReadEditor();
}

void TABookForm::ShowCategory(int position) {
    // A contact of neither category (an imported one, or one saved without a choice) shows
    // that in words rather than as an empty choice.
    categoryBox->setPlaceholderText(noCategoryText->Text);
    categoryBox->setCurrentIndex(position);
}

void TABookForm::Clear() {
    for (TEdit* field : {surnameEdit, firstNameEdit, patronymicEdit, addressEdit, phone1Edit,
                         phone2Edit, emailEdit, webEdit}) {
        field->clear();
    }
    notesMemo->clear();
    birthDateEdit->Clear();
    for (TLabel* label : {surnameLabel, firstNameLabel, patronymicLabel, addressLabel,
                          birthDateLabel, ageLabel, phone1Label, phone2Label, emailLabel, webLabel,
                          notesLabel}) {
        label->clear();
    }
    for (TLabel* link : {emailLabel, webLabel}) link->SetLinkText(QString());
}

TABookForm::EditorTexts TABookForm::ReadEditor() const {
    return {surnameEdit->Text(), firstNameEdit->Text(), patronymicEdit->Text(),
            addressEdit->Text(), phone1Edit->Text(),    phone2Edit->Text(),
            emailEdit->Text(),   webEdit->Text(),       notesMemo->Lines()};
}

void TABookForm::StoreTexts(Contact& record, const EditorTexts* shown) const {
    EditorTexts typed = ReadEditor();
    const auto store = [shown, &typed](auto EditorTexts::*field, auto& stored) {
        if (!shown || typed.*field != shown->*field) stored = std::move(typed.*field);
    };
    store(&EditorTexts::Surname, record.Surname);
    store(&EditorTexts::FirstName, record.FirstName);
    store(&EditorTexts::Patronymic, record.Patronymic);
    store(&EditorTexts::Address, record.Address);
    store(&EditorTexts::Tel1, record.Tel1);
    store(&EditorTexts::Tel2, record.Tel2);
    store(&EditorTexts::Email, record.Email);
    store(&EditorTexts::URL, record.URL);
    store(&EditorTexts::Note, record.Note);
}

std::optional<int> TABookForm::SaveEditor() {
    // The contact the editor was opened on; should it be gone, the panel stays open with what
    // was typed.
    Contact* record = nullptr;
    std::uint64_t saved = 0;
    if (!AddMode) {
        record = editedLine_ ? book_.Contacts.Resolve(*editedLine_) : nullptr;
        if (!record) return std::nullopt;
        saved = editedLine_->Serial;
    }
    // A birth date that does not read, the emptied field included, stores nothing: after its
    // message the editor stays open with the text as typed. A field left as it was shown
    // keeps the stored date, whatever it is.
    const std::string dateText = birthDateEdit->Text();
    DateTime date = 0;
    const bool dateTyped = AddMode || dateText != shownDateText_;
    if (dateTyped && !TryTextToDate(dateText, date)) {
        Report(kIncorrectDateMessage);
        birthDateEdit->setFocus();
        return std::nullopt;
    }
    if (AddMode) {
        try {
            Contact added({}, {}, {}, date, {}, {}, {}, {}, {}, {},
                          CategoryOfSelection(categoryBox->currentIndex()));
            StoreTexts(added, nullptr);
            book_.Contacts.Add(std::move(added));
            saved = book_.Contacts.SerialAt(book_.Contacts.Count() - 1);
            book_.Lines.Changed();
        } catch (const std::exception&) {
            ShowError(MessageString("RecordNotAdded"));
            return std::nullopt;
        }
    } else {
        StoreTexts(*record, &shownTexts_);
        book_.Lines.Changed();
        if (dateTyped) record->Date = date;
        if (categoryBox->currentIndex() != shownCategory_) {
            record->Category = CategoryOfSelection(categoryBox->currentIndex());
        }
    }
    UpDateListBox(CurrentCategory);
    MarkChanged();
    Clear();
    // The user goes on from the contact saved, where the list shows it.
    const auto line =
        std::find_if(shownLines_->begin(), shownLines_->end(),
                     [saved](const ListLine& shown) { return shown.Serial == saved; });
    return line == shownLines_->end() ? -1 : static_cast<int>(line - shownLines_->begin());
}

void TABookForm::ChooseImport() {
    const std::string path = ChooseImportFile(this, ExchangeFormat::Contacts);
    if (!path.empty()) ImportContacts(path);
}

void TABookForm::ImportContacts(const std::string& path) {
    dataio::ImportResult<Contact> result;
    try {
        result = dataio::IsCsvFileName(path) ? dataio::ImportContactsCsvFile(path)
                                             : dataio::ImportContactsFile(path);
    } catch (const std::exception& e) {
        ShowExchangeError(path, e.what());
        return;
    }
    for (const Contact& contact : result.Records) book_.Contacts.Add(contact);
    if (!result.Records.empty()) {
        book_.Lines.Changed();
        MarkChanged();
        UpDateListBox(CurrentCategory);
    }
    ShowImportReport(path, result);
}

void TABookForm::FollowModel(SectionModel::Change change) {
    // Records read anew (a copy put back) leave nothing for an open editor to save.
    if (change == SectionModel::Change::Loaded) editPanel->hide();
    Modified = book_.Modified();
    UpDateListBox(CurrentCategory);
}

void TABookForm::ExportContacts() {
    const std::string path = ChooseExportFile(this, ExchangeFormat::Contacts);
    if (path.empty()) return;
    try {
        ReplaceFile(path, dataio::IsCsvFileName(path) ? dataio::WriteContactsCsv(book_.Contacts)
                                                      : dataio::WriteVCards(book_.Contacts));
    } catch (const std::exception& e) {
        ShowExchangeError(path, e.what());
    }
}

void TABookForm::SelectCategory(int category) {
    allTab->SetBorder(category == kAllCategories);
    businessTab->SetBorder(category == kBusinessCategory);
    personalTab->SetBorder(category == kPersonalCategory);
    CurrentCategory = category;
    Clear();
    UpDateListBox(CurrentCategory);
}

void TABookForm::ShowMainPage() {
    notesPage->hide();
    mainPageTab->SetBorder(true);
    notesPageTab->SetBorder(false);
}

void TABookForm::ShowNotesPage() {
    notesPage->show();
    notesPage->raise();
    mainPageTab->SetBorder(false);
    notesPageTab->SetBorder(true);
}

void TABookForm::PickBirthDate() {
    auto* picker = TCalendarDialog::Instance();
    if (picker && picker->Run()) birthDateEdit->SetText(DateToText(picker->PickedDay()));
}

void TABookForm::LoadNotesFromFile() {
    LoadMemoFromTextFile(this, notesMemo, *fileMessages);
}

void TABookForm::SaveNotesToFile() {
    SaveMemoToTextFile(this, notesMemo, *fileMessages);
}

void TABookForm::ShowBirthdays() {
    birthdayList->clear();
    for (const BirthdayLine& line : BirthdayLines(book_.Contacts, SettingsRecord.BirthdayDays, FromQt(todayText->Text))) {
        birthdayList->AddRow({line.Contact.Text, line.When}, line.Contact.Serial);
    }
    birthdayPanel->show();
    birthdayPanel->raise();
}

void TABookForm::CloseBirthdays() {
    birthdayPanel->hide();
    FocusLine(contactList, contactList->CurrentRow());
}

void TABookForm::OpenEmail() {
    MailOpen(FromQt(emailLabel->text()));
}

void TABookForm::OpenWeb() {
    WebOpen(FromQt(webLabel->text()));
}

void TABookForm::ReInit() {
    binding_.ApplyColours([this] {
        for (TButton* picture : {loadNotesButton, saveNotesButton}) {
            SetColours(picture, ToQColor(SettingsRecord.WindowColor),
                       ToQColor(SettingsRecord.ButtonTextColor));
        }
    });
}

}  // namespace pomix
