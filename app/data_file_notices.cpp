#include "app/data_file_notices.h"

#include <QDate>
#include <QFileInfo>
#include <QStringList>
#include <optional>

#include "datafiles/backup_copies.h"
#include "ui/convert.h"
#include "ui/interface_language.h"
#include "ui/message.h"

namespace pomix {
namespace {

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString CopyDate(const BackupDay& day) {
    const QDate date(int(day.year()), int(unsigned(day.month())), int(unsigned(day.day())));
    return InterfaceLocale().toString(date, QLocale::ShortFormat);
}

}  // namespace

TDataFileNotices::TDataFileNotices(QObject* form) : QObject(form) {
    unreadFileText =
        new TText(form, "UnreadFileText",
                  "Не удалось прочитать файл данных %1. Он оставлен без изменений; при первой "
                  "записи раздела он будет переименован в %2.");
    restoreOfferText =
        new TText(form, "RestoreOfferText", "%1: восстановить копию от %2 (записей: %3)");
    restoreQuestionText = new TText(form, "RestoreQuestionText",
                                    "Восстановить? Текущий файл сохраняется как резервная копия.");
    restoreFailedText = new TText(form, "RestoreFailedText", "Не удалось восстановить %1: %2");
    backupFolderText =
        new TText(form, "BackupFolderText",
                  "В папку резервных копий %1 нельзя записать (%2). Копии не делаются, "
                  "данные сохраняются как обычно.");
    backupCopyText =
        new TText(form, "BackupCopyText",
                  "Не удалось сделать резервную копию файла %1 (%2). Файл сохраняется как обычно.");
}

std::vector<int> TDataFileNotices::AnnounceUnread(const std::vector<UnreadDataFile>& files,
                                                  const std::string& dataDir) {
    if (files.empty()) return {};
    QStringList lines;
    struct Offer {
        int section;
        std::string file;
        std::string tag;
    };
    std::vector<Offer> offers;
    QStringList offerLines;
    for (const UnreadDataFile& unread : files) {
        const QString path = Utf8(unread.path);
        lines << unreadFileText->Text.arg(path,
                                          QFileInfo(path).fileName() + QStringLiteral(".damaged"));
        const std::string name = QFileInfo(path).fileName().toStdString();
        if (const auto copy = NewestLoadableCopy(dataDir, name)) {
            offers.push_back({unread.section, name, copy->copy.tag});
            offerLines << restoreOfferText->Text.arg(Utf8(name), CopyDate(copy->copy.day))
                              .arg(InterfaceLocale().toString(qulonglong(copy->check.records)));
        }
    }
    if (offers.empty()) {
        ShowError(lines.join(QLatin1Char('\n')).toStdString());
        return {};
    }
    lines << QString() << offerLines << QString() << restoreQuestionText->Text;
    if (!AskYesNo(lines.join(QLatin1Char('\n')).toStdString())) return {};
    std::vector<int> restored;
    for (const Offer& offer : offers) {
        try {
            RestoreBackupCopy(dataDir, offer.file, offer.tag);
            restored.push_back(offer.section);
        } catch (const std::exception& e) {
            ShowError(restoreFailedText->Text.arg(Utf8(offer.file), Utf8(e.what())).toStdString());
        }
    }
    return restored;
}

QString TDataFileNotices::BackupProblemText(const BackupProblem& problem) const {
    const TText* text =
        problem.kind == BackupProblem::Kind::FolderUnwritable ? backupFolderText : backupCopyText;
    return text->Text.arg(Utf8(problem.path), Utf8(problem.reason));
}

}  // namespace pomix
