#include "kit/file_dialog.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QMimeDatabase>
#include <QSplitter>
#include <QStringList>
#include <QTreeView>
#include <algorithm>
#include <map>

#include "kit/interface_language.h"

namespace pomix {
namespace {

FileChooser& Chooser() {
    static FileChooser chooser;
    return chooser;
}

// "All files|*|Text|*.txt" to Qt's entries "All files (*)", "Text (*.txt)".
QStringList QtFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) entries << parts[i] + " (" + parts[i + 1] + ")";
    return entries;
}

// A file's size as the language writes it. Qt's locale data gives a wrong plural for bytes
// ("5 байты", "1 bytes") and Latin units in Russian ("4,25 KiB"): Russian takes unit symbols,
// which have no plural ("5 Б", "4,25 кБ"), English its plural.
QString FileSizeText(const QLocale& locale, qint64 bytes) {
    if (locale.language() == QLocale::Russian) {
        if (bytes < 1024) return locale.toString(bytes) + QString::fromUtf8(" Б");
        return locale.formattedDataSize(bytes, 2, QLocale::DataSizeTraditionalFormat);
    }
    if (locale.language() == QLocale::English && bytes < 1024) {
        return locale.toString(bytes) + (bytes == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    }
    return locale.formattedDataSize(bytes);
}

// Qt's list of files writes sizes and dates in the system's locale ("122 bytes", "9 Dec") and
// calls every folder "Folder", whatever language the dialog speaks: here they follow the
// interface language, the folder's kind named by the system's file type database.
class InterfaceLanguageFiles : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() < 1 || index.column() > 3) {
            return QIdentityProxyModel::data(index, role);
        }
        const QModelIndex source = mapToSource(index);
        const bool folder = files->isDir(source);
        switch (index.column()) {
        case 1:
            return folder ? QString() : FileSizeText(InterfaceLocale(), files->size(source));
        case 2:
            if (folder) return QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment();
            break;
        default:
            return InterfaceLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// The folder last chosen for each purpose, for the run only.
std::map<FilePurpose, QString>& ChosenFolders() {
    static std::map<FilePurpose, QString> folders;
    return folders;
}

ChosenFile ShowDialog(QWidget* parent, FileDialogKind kind, const QString& filter,
                      const QString& startFolder) {
    if (Chooser()) return Chooser()(kind, filter, startFolder);
    const QStringList filters = QtFilters(filter);
    QFileDialog dialog(parent, {}, startFolder);
    dialog.setNameFilters(filters);
    if (kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    dialog.setOption(QFileDialog::DontUseNativeDialog);  // the list below is Qt's own
    dialog.setProxyModel(new InterfaceLanguageFiles(&dialog));
    // Qt's own dialog opens too narrow for its columns, which it cut ("122...tes"): the
    // details take what they need, the names the rest.
    dialog.resize(std::max(dialog.width(), 760), std::max(dialog.height(), 460));
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    // The places on the left, "Компьютер" among them, showed cut at Qt's first width.
    if (auto* split = dialog.findChild<QSplitter*>(QStringLiteral("splitter"))) {
        split->setSizes({170, dialog.width() - 170});
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return ChosenFile(QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString(),
                      std::max<int>(0, static_cast<int>(filters.indexOf(dialog.selectedNameFilter()))));
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
