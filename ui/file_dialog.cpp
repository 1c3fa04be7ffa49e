#include "ui/file_dialog.h"

#include <QFileDialog>
#include <QStringList>
#include <algorithm>

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

}  // namespace

ChosenFile ChooseFile(QWidget* parent, FileDialogKind kind, const QString& filter,
                      const QString& startFolder) {
    if (Chooser()) return Chooser()(kind, filter, startFolder);
    const QStringList filters = QtFilters(filter);
    QString selected = filters.value(0);
    const QString path =
        kind == FileDialogKind::Open
            ? QFileDialog::getOpenFileName(parent, {}, startFolder, filters.join(";;"), &selected)
            : QFileDialog::getSaveFileName(parent, {}, startFolder, filters.join(";;"), &selected);
    return ChosenFile(path.toLocal8Bit().toStdString(), std::max<int>(0, static_cast<int>(filters.indexOf(selected))));
}

FileChooser SetFileChooser(FileChooser chooser) {
    return std::exchange(Chooser(), std::move(chooser));
}

std::string ChooseFileToOpen(QWidget* parent, const QString& filter, const QString& startFolder) {
    return ChooseFile(parent, FileDialogKind::Open, filter, startFolder).Path;
}

std::string ChooseFileToSave(QWidget* parent, const QString& filter, const QString& startFolder) {
    return ChooseFile(parent, FileDialogKind::Save, filter, startFolder).Path;
}

}  // namespace pomix
