// The settings window's list of the daily copies of the data files (Data/Backup/): each copy
// with its file, day, records and whether it loads; "Восстановить" asks, then hands the chosen
// copy back to the caller, which puts it in place of its file. Checking the copies reads every
// one of them, so the caller does it beside the interface: the dialog opens showing that the
// list is loading, and ShowCopies fills it when the check is handed back.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <optional>
#include <string>

#include "core/backups/backup_copies.h"
#include "kit/controls.h"

namespace pomix {

// The dialog's texts, from the settings window's dictionary items.
struct BackupDialogTexts {
    QString title;
    QString columns;   // "Файл|Дата|Записей|Читается"
    QString yes, no;   // the "Читается" column's two answers
    QString restore;   // the button
    QString close;     // the button
    QString question;  // %1 file, %2 day, %3 records
    QString none;      // shown when there are no copies
    QString loading;   // shown until the copies have been checked
};

class TBackupDialog : public QDialog {
    Q_OBJECT
public:
    explicit TBackupDialog(const BackupDialogTexts& texts, QWidget* parent = nullptr);

    // Replaces the loading line by the checked copies (once).
    void ShowCopies(std::vector<CheckedCopy> copies);
    bool Loading() const { return loading_; }

    // The copy the user chose and confirmed; set when the dialog is accepted.
    const std::optional<BackupCopy>& Chosen() const { return chosen_; }

    QTreeWidget* copiesList;
    QPushButton* restoreButton;
    QPushButton* closeButton;

    // The day of a copy in the interface language's short form.
    static QString DayText(const BackupDay& day);

private:
    void RestoreSelected();

    BackupDialogTexts texts_;
    std::vector<CheckedCopy> copies_;
    std::optional<BackupCopy> chosen_;
    bool loading_ = true;
};

}  // namespace pomix
