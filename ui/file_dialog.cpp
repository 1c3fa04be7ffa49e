#include "ui/file_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <map>

namespace pomix {
namespace {

FileChooser& Chooser() {
    static FileChooser chooser;
    return chooser;
}

// "All files|*.*|Text|*.txt" to Qt's entries "All files (*.*)", "Text (*.txt)".
QStringList QtFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) entries << parts[i] + " (" + parts[i + 1] + ")";
    return entries;
}

// The folder last chosen for each purpose, for the run only.
std::map<FilePurpose, QString>& ChosenFolders() {
    static std::map<FilePurpose, QString> folders;
    return folders;
}

ChosenFile ShowDialog(QWidget* parent, FileDialogKind kind, const QString& filter,
                      const QString& startFolder) {
    if (Chooser()) return Chooser()(kind, filter, startFolder);
    const QStringList filters = QtFilters(filter);
    QString selected = filters.value(0);
    const QString path =
        kind == FileDialogKind::Open
            ? QFileDialog::getOpenFileName(parent, {}, startFolder, filters.join(";;"), &selected)
            : QFileDialog::getSaveFileName(parent, {}, startFolder, filters.join(";;"), &selected);
    return ChosenFile(QFile::encodeName(path).toStdString(),
                      std::max<int>(0, static_cast<int>(filters.indexOf(selected))));
}

}  // namespace

ChosenFile ChooseFile(QWidget* parent, FileDialogKind kind, FilePurpose purpose,
                      const QString& filter, const QString& firstFolder) {
    const auto known = ChosenFolders().find(purpose);
    ChosenFile chosen = ShowDialog(parent, kind, filter,
                                   known != ChosenFolders().end() ? known->second : firstFolder);
    if (!chosen.Path.empty()) {
        ChosenFolders()[purpose] = QFileInfo(QFile::decodeName(chosen.Path.c_str())).absolutePath();
    }
    return chosen;
}

void ForgetChosenFolders() { ChosenFolders().clear(); }

FileChooser SetFileChooser(FileChooser chooser) {
    return std::exchange(Chooser(), std::move(chooser));
}

std::string ChooseFileToOpen(QWidget* parent, FilePurpose purpose, const QString& filter,
                             const QString& firstFolder) {
    return ChooseFile(parent, FileDialogKind::Open, purpose, filter, firstFolder).Path;
}

std::string ChooseFileToSave(QWidget* parent, FilePurpose purpose, const QString& filter,
                             const QString& firstFolder) {
    return ChooseFile(parent, FileDialogKind::Save, purpose, filter, firstFolder).Path;
}

}  // namespace pomix
