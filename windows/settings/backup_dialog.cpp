#include "windows/settings/backup_dialog.h"

#include <QDate>
#include <QHeaderView>

#include "kit/desktop.h"
#include "kit/interface_language.h"
#include "kit/message.h"

namespace pomix {

namespace {
// A line keeps the copy it shows by its index in copies_, which never changes once it is
// shown (the list is read once).
constexpr int kCopyRole = Qt::UserRole;
}  // namespace

QString TBackupDialog::DayText(const BackupDay& day) {
    const QDate date(int(day.year()), int(unsigned(day.month())), int(unsigned(day.day())));
    const QLocale& locale = InterfaceLocale();
    return locale.toString(date,
                           ShortDateFormatWithFullYear(locale.dateFormat(QLocale::ShortFormat)));
}

TBackupDialog::TBackupDialog(const BackupDialogTexts& texts, QWidget* parent)
    : QDialog(parent), texts_(texts) {
    setObjectName("BackupDialog");
    setWindowTitle(texts.title);
    setFixedSize(420, 300);
    copiesList = Make<QTreeWidget>(this, "CopiesList", {8, 8, 404, 248});
    copiesList->setRootIsDecorated(false);
    copiesList->setHeaderLabels(texts.columns.split(QLatin1Char('|')));
    copiesList->setAccessibleName(texts.title);
    copiesList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* line = new QTreeWidgetItem(copiesList);
    line->setText(0, texts.loading);
    line->setFlags(Qt::NoItemFlags);
    restoreButton = Make<QPushButton>(this, "RestoreButton", {212, 266, 96, 24}, texts.restore);
    closeButton = Make<QPushButton>(this, "CloseButton", {316, 266, 96, 24}, texts.close);
    restoreButton->setEnabled(false);
    connect(copiesList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* line) {
        const bool copy = line && line->data(0, kCopyRole).isValid();
        restoreButton->setEnabled(copy &&
                                  copies_[line->data(0, kCopyRole).toULongLong()].check.loads);
    });
    connect(copiesList, &QTreeWidget::itemActivated, this, [this] {
        if (restoreButton->isEnabled()) RestoreSelected();
    });
    connect(restoreButton, &QPushButton::clicked, this, &TBackupDialog::RestoreSelected);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    copiesList->setFocus();
}

void TBackupDialog::ShowCopies(std::vector<CheckedCopy> copies) {
    if (!loading_) return;
    loading_ = false;
    copies_ = std::move(copies);
    copiesList->clear();
    for (std::size_t i = 0; i < copies_.size(); ++i) {
        const CheckedCopy& copy = copies_[i];
        auto* line = new QTreeWidgetItem(copiesList);
        line->setText(0, QString::fromStdString(copy.copy.file));
        line->setText(
            1, DayText(copy.copy.day) +
                   (copy.copy.serial ? QStringLiteral(" (%1)").arg(copy.copy.serial) : QString()));
        line->setText(
            2, copy.check.loads ? QString::number(qulonglong(copy.check.records)) : QString());
        line->setText(3, copy.check.loads ? texts_.yes : texts_.no);
        line->setData(0, kCopyRole, qulonglong(i));
    }
    if (copies_.empty()) {
        auto* line = new QTreeWidgetItem(copiesList);
        line->setText(0, texts_.none);
        line->setFlags(Qt::NoItemFlags);
    }
}

void TBackupDialog::RestoreSelected() {
    const QTreeWidgetItem* line = copiesList->currentItem();
    if (!line || !line->data(0, kCopyRole).isValid()) return;
    const CheckedCopy& copy = copies_[line->data(0, kCopyRole).toULongLong()];
    if (!copy.check.loads) return;
    const QString question =
        texts_.question.arg(QString::fromStdString(copy.copy.file), line->text(1),
                            QString::number(qulonglong(copy.check.records)));
    if (!AskYesNo(question)) return;
    chosen_ = copy.copy;
    accept();
}

}  // namespace pomix
