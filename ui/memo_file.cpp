#include "ui/memo_file.h"

#include <exception>

#include "storage/text_file.h"
#include "ui/controls.h"
#include "ui/file_dialog.h"
#include "ui/message.h"

namespace pomix {

QString TextFileFilter() {
    return QStringLiteral("All files / Все файлы|*.*|Text files / Текстовые файлы|*.txt");
}

bool LoadMemoFromTextFile(QWidget* parent, TMemo* memo, const QString& filter) {
    const std::string path = ChooseFileToOpen(parent, filter);
    if (path.empty()) return false;
    try {
        memo->SetLines(ReadTextFileLines(path));
        return true;
    } catch (const std::exception& e) {
        ShowError(e.what());
        return false;
    }
}

bool SaveMemoToTextFile(QWidget* parent, const TMemo* memo, const QString& filter) {
    const std::string path = ChooseFileToSave(parent, filter);
    if (path.empty()) return false;
    try {
        WriteTextFileLines(path, memo->Lines());
        return true;
    } catch (const std::exception& e) {
        ShowError(e.what());
        return false;
    }
}

}  // namespace pomix
