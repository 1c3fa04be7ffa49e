#include "windows/debts/credits_form.h"

#include <QHeaderView>
#include <QStyle>
#include <algorithm>
#include <cmath>

#include "core/debts/statistics.h"
#include "windows/planner/calendar_dialog.h"
#include "core/settings/program_files.h"
#include "core/settings/settings_record.h"
#include "storage/locale.h"
#include "storage/report.h"
#include "kit/accessibility.h"
#include "kit/convert.h"
#include "kit/form_parts.h"
#include "kit/interface_language.h"
#include "kit/message.h"
#include "kit/panel_cover.h"
#include "kit/record_routine.h"

namespace pomix {
namespace {

// The list's columns: name, subject, due date, days left.
constexpr int kLeastColumnWidths[] = {145, 264, 49, 39};
// What the name column may shrink to when the locale's dates need more than their least width.
constexpr int kLeastNameWidth = 100;
// The room a list cell leaves around its text.
constexpr int kCellMargins = 10;
constexpr int kListLeft = 1;
constexpr int kListWidth = 512;
// A due date whose short form is among the widest: two-digit day and month.
constexpr DateTime kWidestDay = 46384;  // 28.12.2026

TLabel* MakeLabel(QWidget* parent, const char* name, const QRect& at, const char* caption = "") {
    return Make<TLabel>(parent, name, at, U(caption));
}

bool IsDate(DateTime value) {
    DateParts parts;
    return TryDecodeDate(value, parts);
}

}  // namespace

TCreditsForm::TCreditsForm(StreamContainer& container, const AddressBook* contacts, QWidget* parent,
                           SectionLoad load)
    : TSectionWindow(
          kRecolourDebts, "CreditsForm",
          ExpandItems({"StaticButton1-6.Caption,Hint", "Button1-6.Caption,Hint",
                       "PopupMenu1.AccessibleName", "Button8.Caption,Hint", "Button9.Caption,Hint",
                       "Button7.Hint", "AFistName.Hint", "AName.Hint", "ADateEdit.Hint",
                       "N1-3.Caption", "Text1.Caption", "Text2.Caption", "Label1-8.Caption",
                       "Label15.Caption", "ListBox1.AccessibleName", "RoublesText.Caption"}),
          parent, load),
      debts_(container, DataDir() + kCreditFileName),
      contacts_(contacts) {
    setObjectName("CreditsForm");
    FileName = debts_.File().Path();
    BuildMainView();
    BuildEditor();
    BuildStatistics();
    BuildRoutine();
    // The editor keeps the debt it was opened on: the list, its tabs and commands wait under
    // it until Save or Cancel.
    CoverWhileShown(editorPanel, {owedToMeTab, iOweTab, statisticsButton, nameColumnTab,
                                  subjectColumnTab, dateColumnTab, daysColumnTab, debtList,
                                  editButton, addButton, deleteButton, statisticsPanel});
    FollowEditor(editorPanel);
    debts_.Listen([this](SectionModel::Change change) { FollowModel(change); });
    binding_.BindDictionary();
    LoadData();
}

void TCreditsForm::BuildMainView() {
    owedToMeTab = MakeTab(this, "StaticButton1", {4, 4, 120, 22}, "Мне должны",
                          "Список моих должников");
    iOweTab = MakeTab(this, "StaticButton2", {128, 4, 120, 22}, "Я должен", "Список моих долгов");
    owedToMeTab->SetBorder(true);
    GroupAsTabs({owedToMeTab, iOweTab});
    statisticsButton = MakeButton(this, "Button8", {390, 3, 120, 24}, "Статистика");

    debtList = Make<TColumnListView>(this, "ListBox1", {kListLeft, 54, kListWidth, 272});
    // The scroll bar is always there, so the columns keep their widths however many debts are
    // listed, and they fill the list exactly: nothing scrolls sideways. The due date gets the
    // width the locale's widest one needs; the short names give up what that takes.
    debtList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    debtList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    debtList->header()->setStretchLastSection(false);
    const int inside = kListWidth - 2 * debtList->frameWidth() -
                       debtList->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, debtList);
    const int dateWidth = std::max(
        kLeastColumnWidths[2],
        debtList->fontMetrics().horizontalAdvance(ToQt(CurrentLocale().ShortDate(kWidestDay))) +
            kCellMargins);
    const int subjectWidth = kLeastColumnWidths[1];
    const int daysWidth = kLeastColumnWidths[3];
    const std::vector<int> widths = {
        std::max(kLeastNameWidth, inside - subjectWidth - dateWidth - daysWidth), subjectWidth,
        dateWidth, daysWidth};
    debtList->SetColumnWidths(widths);

    // The column tabs stand over their columns.
    int x = kListLeft + debtList->frameWidth();
    const auto columnTab = [this, &x](const char* name, int width, const char* caption,
                                      const char* hint, int tag) {
        TStaticButton* tab = MakeTab(this, name, {x, 32, width, 20}, caption, hint, tag);
        x += width;
        return tab;
    };
    nameColumnTab = columnTab("StaticButton3", widths[0], "ФИО", "Фамилия Имя Отчество должника", 1);
    subjectColumnTab =
        columnTab("StaticButton4", widths[1], "Предмет долга", "Название предмета долга", 2);
    dateColumnTab = columnTab("StaticButton5", widths[2], "Дата", "Дата возврата", 3);
    daysColumnTab = columnTab("StaticButton6", widths[3], "Сроки", "Осталось дней до возврата", 0);
    debtList->setAccessibleName(U("Долги"));
    roublesText = new TText(this, "RoublesText", "рублей");

    editButton = MakeButton(this, "Button1", {4, 332, 165, 24}, "Редактировать",
                            "Внести изменения в текущий долг");
    addButton = MakeButton(this, "Button2", {174, 332, 166, 24}, "Добавить", "Добавить новый долг");
    deleteButton =
        MakeButton(this, "Button3", {345, 332, 165, 24}, "Удалить", "Удалить текущий долг");

    debtMenu = MakePopupMenu(this, "PopupMenu1", debtList, "Меню долгов");
    editItem = AddMenuItem(debtMenu, "N1", "Редактировать");
    addItem = AddMenuItem(debtMenu, "N2", "Добавить");
    deleteItem = AddMenuItem(debtMenu, "N3", "Удалить");

    connect(owedToMeTab, &TStaticButton::clicked, this, [this] { ShowKind(kOwedToMe); });
    connect(iOweTab, &TStaticButton::clicked, this, [this] { ShowKind(kIOwe); });
    for (TStaticButton* tab : {nameColumnTab, subjectColumnTab, dateColumnTab}) {
        connect(tab, &TStaticButton::clicked, this, [this, tab] { SortedCreditList(tab->Tag); });
    }
    connect(statisticsButton, &QPushButton::clicked, this, &TCreditsForm::ShowStatistics);
    connect(debtList, &TColumnListView::currentRowChanged, this, &TCreditsForm::ShowSelectedDebt);
}

void TCreditsForm::BuildEditor() {
    editorPanel = Make<TPanel>(this, "Panel2", rect());
    Make<TStaticButton>(editorPanel, "Text1", QRect{4, 4, 506, 20}, U("Редактировать - Добавить"));
    MakeLabel(editorPanel, "Label1", {8, 40, 108, 20}, "Ф.И.О.");
    debtorBox = Make<TComboBox>(editorPanel, "AFistName", {120, 38, 386, 22});
    debtorBox->SetEditable(true);
    debtorBox->setToolTip(U("Должник"));
    MakeLabel(editorPanel, "Label2", {8, 70, 108, 20}, "Дата возврата");
    dueDateEdit =
        Make<TMaskEdit>(editorPanel, "ADateEdit", {120, 68, 100, 22}, TMaskEdit::Kind::Date);
    dueDateEdit->setToolTip(U("Дата возврата, формат ДД.ММ.ГГГГ"));
    pickerButton = MakeButton(editorPanel, "Button7", {224, 68, 28, 22}, "...", "Открыть календарь");
    MakeLabel(editorPanel, "Label3", {8, 100, 108, 20}, "Предмет долга");
    subjectEdit = Make<TEdit>(editorPanel, "AName", {120, 98, 386, 22});
    subjectEdit->setToolTip(U("Предмет долга"));
    cancelButton = MakeButton(editorPanel, "Button5", {8, 332, 160, 24}, "Отмена", "Отменить ввод");
    clearButton =
        MakeButton(editorPanel, "Button4", {177, 332, 160, 24}, "Очистить", "Очистить поля ввода");
    saveButton =
        MakeButton(editorPanel, "Button6", {346, 332, 160, 24}, "Сохранить", "Сохранить изменения");
    editorPanel->hide();
    SetReadingTabOrder(editorPanel);

    connect(clearButton, &QPushButton::clicked, this, &TCreditsForm::Clear);
    connect(pickerButton, &QPushButton::clicked, this, &TCreditsForm::PickDueDate);
}

void TCreditsForm::BuildRoutine() {
    TRecordRoutine::Steps steps;
    steps.selected = [this] { return SelectedDebt() != nullptr; };
    steps.fill = [this](bool adding) {
        OfferDebtorNames();
        if (adding) {
            Clear();
            dueDateEdit->SetText(DateToText(Now() + 7));
        }
        statisticsPanel->hide();
    };
    steps.save = [this] { return AddorEdit(); };
    steps.remove = [this](int) {
        const int row = debtList->CurrentRow();
        debts_.Delete(lines_[static_cast<std::size_t>(row)].Serial);
        Clear();
        UpDateListBox(CurrentKind_);
        MarkChanged();
        return row;
    };
    recordRoutine = new TRecordRoutine(
        this, debtList, TRecordRoutine::PartsOf(this, editorPanel, debtorBox, &AddMode), std::move(steps));
}

void TCreditsForm::BuildStatistics() {
    statisticsPanel = Make<TPanel>(this, "Panel5", rect());
    Make<TStaticButton>(statisticsPanel, "Text2", QRect{4, 4, 506, 20}, U("Статистика"));
    const auto total = [this](const char* name, int x, int y) {
        TLabel* label = MakeLabel(statisticsPanel, name, {x, y, 190, 20});
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    MakeLabel(statisticsPanel, "Label4", {8, 40, 200, 20}, "Мне должны :");
    MakeLabel(statisticsPanel, "Label5", {24, 62, 90, 20}, "Всего :");
    owedToMeDollars = total("Label9", 120, 62);
    owedToMeRoubles = total("Label10", 316, 62);
    MakeLabel(statisticsPanel, "Label6", {8, 96, 200, 20}, "Я должен :");
    MakeLabel(statisticsPanel, "Label7", {24, 118, 90, 20}, "Всего :");
    iOweDollars = total("Label11", 120, 118);
    iOweRoubles = total("Label12", 316, 118);
    MakeLabel(statisticsPanel, "Label8", {8, 156, 106, 20}, "Баланс :");
    balanceDollars = total("Label13", 120, 156);
    balanceRoubles = total("Label14", 316, 156);
    // Shown only when some subject's number was too large to be counted to the kopeck.
    leftOutCaption = MakeLabel(statisticsPanel, "Label15", {8, 194, 300, 20},
                               "Не учтено, число слишком велико :");
    leftOutCount = total("Label16", 316, 194);
    closeStatisticsButton = MakeButton(statisticsPanel, "Button9", {346, 332, 160, 24}, "Закрыть",
                                       "Закрыть напоминатель");
    statisticsPanel->hide();
    CoverWhatLiesUnder(statisticsPanel);

    connect(closeStatisticsButton, &QPushButton::clicked, this, &TCreditsForm::HideStatistics);
}

EarlyRead TCreditsForm::EarlyReadIn(const std::string& dataDir) {
    return DebtBook::EarlyReadIn(dataDir);
}

void TCreditsForm::LoadNoteList() { debts_.LoadNow(); }

void TCreditsForm::SaveNoteList() {
    debts_.Save();
    Modified = false;
}

void TCreditsForm::FormClose() {
    SaveNoteList();
}

void TCreditsForm::FollowModel(SectionModel::Change change) {
    // Records read anew (a copy put back) leave nothing for an open editor to save.
    if (change == SectionModel::Change::Loaded) editorPanel->hide();
    Modified = debts_.Modified();
    UpDateListBox(CurrentKind_);
}

void TCreditsForm::UpDateListBox(int kind) {
    listedAt_ = Now();
    lines_ = debts_.Lines(kind);
    // Cells are made when drawn, from the debt the line refers to.
    debtList->SetRows(static_cast<int>(lines_.size()), [this](int row, int column) {
        const TCreditNote* debt = debts_.Credits().Resolve(lines_[static_cast<std::size_t>(row)]);
        if (!debt) return std::string();
        return CreditCells(*debt, SettingsRecord.OverdueMark, listedAt_)[static_cast<std::size_t>(column)];
    });
}

const TCreditNote* TCreditsForm::SelectedDebt() const {
    const int row = debtList->CurrentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= lines_.size()) return nullptr;
    return debts_.Credits().Resolve(lines_[static_cast<std::size_t>(row)]);
}

void TCreditsForm::ShowSelectedDebt() {
    if (const TCreditNote* debt = SelectedDebt()) ShowCreditNote(*debt);
}

void TCreditsForm::ShowCreditNote(const TCreditNote& debt) {
    debtorBox->SetText(debt.Person);
    subjectEdit->SetText(debt.Name);
    // A stored due date that is no date leaves the field empty, without a message: nothing
    // was typed wrongly, and an edit then asks for a date before it stores anything.
    if (IsDate(debt.ReturnDate)) {
        dueDateEdit->SetText(DateToText(debt.ReturnDate));
        if (auto* picker = TCalendarDialog::Instance()) picker->SetPickedDay(debt.ReturnDate);
    } else {
        dueDateEdit->Clear();
    }
}

void TCreditsForm::OfferDebtorNames() {
    debtorBox->SetItems(contacts_ ? pomix::DebtorNames(contacts_->Contacts) : StrList{});
}

void TCreditsForm::ContactsChanged() {
    if (!editorPanel->isHidden()) OfferDebtorNames();
}

void TCreditsForm::Clear() {
    debtorBox->SetText(std::string());
    dueDateEdit->Clear();
    subjectEdit->clear();
}

std::optional<int> TCreditsForm::AddorEdit() {
    // A due date that is not a date stores nothing: the editor stays open with the text as
    // typed, after one message, so that the user can mend it.
    DateTime due = 0;
    if (!TryTextToDate(dueDateEdit->Text(), due)) {
        Report(kIncorrectDateMessage);
        dueDateEdit->setFocus();
        return std::nullopt;
    }
    std::uint64_t saved = 0;
    if (AddMode) {
        saved = debts_.Add(
            TCreditNote(CurrentKind_, debtorBox->Text(), subjectEdit->Text(), Now(), due));
    } else {
        // No debt to change: nothing is stored, the editor stays.
        if (!SelectedDebt()) return std::nullopt;
        saved = lines_[static_cast<std::size_t>(debtList->CurrentRow())].Serial;
        debts_.Change(saved, debtorBox->Text(), subjectEdit->Text(), due);
    }
    UpDateListBox(CurrentKind_);
    MarkChanged();
    return RowOf(saved);
}

int TCreditsForm::RowOf(std::uint64_t serial) const {
    for (std::size_t row = 0; row < lines_.size(); ++row) {
        if (lines_[row].Serial == serial) return static_cast<int>(row);
    }
    return -1;
}

void TCreditsForm::SortedCreditList(int tag) {
    if (!debts_.Sort(tag)) return;
    MarkChanged();
    UpDateListBox(CurrentKind_);
}

void TCreditsForm::ShowKind(int kind) {
    CurrentKind_ = kind;
    owedToMeTab->SetBorder(kind == kOwedToMe);
    iOweTab->SetBorder(kind == kIOwe);
    UpDateListBox(CurrentKind_);
}

void TCreditsForm::PickDueDate() {
    auto* picker = TCalendarDialog::Instance();
    if (!picker) return;
    DateTime day = 0;
    if (!TryTextToDate(dueDateEdit->Text(), day)) {
        Report(kIncorrectDateMessage);
        day = Today();
    }
    picker->SetPickedDay(day);
    if (picker->Run()) dueDateEdit->SetText(DateToText(picker->PickedDay()));
}

void TCreditsForm::ShowStatistics() {
    // Counted afresh on every opening: the debts may have changed since the last one.
    const DebtTotals totals = debts_.Totals();
    // The one place the totals take their number format from.
    const auto texts =
        StatisticsTexts(totals, CurrentLocale().DecimalSeparator(), FromQt(QLatin1Char(' ') + roublesText->Text));
    TLabel* const labels[] = {owedToMeDollars, owedToMeRoubles, iOweDollars,
                              iOweRoubles,     balanceDollars,  balanceRoubles};
    for (std::size_t i = 0; i < texts.size(); ++i) labels[i]->setText(ToQt(texts[i]));
    leftOutCount->setText(InterfaceLocale().toString(qulonglong(totals.LeftOut)));
    leftOutCaption->setVisible(totals.LeftOut > 0);
    leftOutCount->setVisible(totals.LeftOut > 0);
    editorPanel->hide();
    statisticsPanel->show();
    statisticsPanel->raise();
}

void TCreditsForm::HideStatistics() {
    statisticsPanel->hide();
    FocusLine(debtList, debtList->CurrentRow());
}

void TCreditsForm::ReInit() {
    TSectionWindow::ReInit();
    // The address book may have changed while this window was away.
    ContactsChanged();
    // The days left count from today: shown on a later day, the column is counted again.
    if (Today() != std::floor(listedAt_)) UpDateListBox(CurrentKind_);
}

}  // namespace pomix
