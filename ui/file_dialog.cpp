#include "ui/file_dialog.h"

#include <QFileDialog>
#include <QStringList>

namespace pomix {
namespace {

FileChooser& Chooser() {
    static FileChooser chooser;
    return chooser;
}

// "All files|*.*|Text|*.txt" to Qt's "All files (*.*);;Text (*.txt)".
QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) entries << parts[i] + " (" + parts[i + 1] + ")";
    return entries.join(";;");
}

std::string Choose(QWidget* parent, FileDialogKind kind, const QString& filter,
                   const QString& startFolder) {
    if (Chooser()) return Chooser()(kind, filter, startFolder);
    const QString path =
        kind == FileDialogKind::Open
            ? QFileDialog::getOpenFileName(parent, {}, startFolder, QtFilter(filter))
            : QFileDialog::getSaveFileName(parent, {}, startFolder, QtFilter(filter));
    return path.toLocal8Bit().toStdString();
}

}  // namespace

FileChooser SetFileChooser(FileChooser chooser) {
    return std::exchange(Chooser(), std::move(chooser));
}

std::string ChooseFileToOpen(QWidget* parent, const QString& filter, const QString& startFolder) {
    return Choose(parent, FileDialogKind::Open, filter, startFolder);
}

std::string ChooseFileToSave(QWidget* parent, const QString& filter, const QString& startFolder) {
    return Choose(parent, FileDialogKind::Save, filter, startFolder);
}

}  // namespace pomix
