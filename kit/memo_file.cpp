#include "kit/memo_file.h"

#include <QFile>

#include "storage/text_file.h"
#include "kit/controls.h"
#include "kit/file_dialog.h"
#include "kit/form_parts.h"
#include "kit/interface_language.h"
#include "kit/message.h"

namespace pomix {

// "*", not "*.*": here a name need not have a dot.
QString TextFileFilter() {
    return MessageString("FilterAllFiles") + QStringLiteral("|*|") + MessageString("FilterTextFiles") +
           QStringLiteral("|*.txt");
}

TTextFileMessages::TTextFileMessages(QObject* window) : QObject(window) {
    // The texts are the window's own children: its dictionary finds them by name.
    notText_ = new TText(window, "NotTextFileText",
                         "Файл %1 не текстовый (в нём есть нулевые байты). Текст не изменён.");
    tooLarge_ = new TText(window, "LargeTextFileText",
                          "Файл %1 больше %2 МБ: это слишком много для текста. Текст не изменён.");
    unreadable_ = new TText(window, "UnreadTextFileText",
                            "Не удалось прочитать файл %1. Текст не изменён.");
    unwritable_ = new TText(window, "UnwrittenTextFileText", "Не удалось записать файл %1.");
}

std::vector<std::string> TTextFileMessages::WithItems(std::vector<std::string> windowItems) {
    for (const char* item : {"NotTextFileText.Caption", "LargeTextFileText.Caption",
                              "UnreadTextFileText.Caption", "UnwrittenTextFileText.Caption"}) {
        windowItems.emplace_back(item);
    }
    return windowItems;
}

QString TTextFileMessages::ReadError(const std::string& path, const std::exception& e) const {
    const QString file = QFile::decodeName(path.c_str());
    if (dynamic_cast<const ENotTextFile*>(&e)) return notText_->Text.arg(file);
    if (dynamic_cast<const EFileTooLarge*>(&e)) {
        return tooLarge_->Text.arg(file, InterfaceLocale().toString(qulonglong(kMaxTextFileSize >> 20)));
    }
    return unreadable_->Text.arg(file);
}

QString TTextFileMessages::WriteError(const std::string& path) const {
    return unwritable_->Text.arg(QFile::decodeName(path.c_str()));
}

bool LoadMemoFromTextFile(QWidget* parent, TMemo* memo, const TTextFileMessages& messages,
                          const QString& filter) {
    const std::string path = ChooseFileToOpen(parent, FilePurpose::Text, filter);
    if (path.empty()) return false;
    try {
        memo->SetLines(ReadTextFileLines(path));
        return true;
    } catch (const std::exception& e) {
        ShowError(messages.ReadError(path, e));
        return false;
    }
}

bool SaveMemoToTextFile(QWidget* parent, const TMemo* memo, const TTextFileMessages& messages,
                        const QString& filter) {
    const std::string path = ChooseFileToSave(parent, FilePurpose::Text, filter);
    if (path.empty()) return false;
    try {
        WriteTextFileLines(path, memo->Lines());
        return true;
    } catch (const std::exception&) {
        ShowError(messages.WriteError(path));
        return false;
    }
}

}  // namespace pomix
