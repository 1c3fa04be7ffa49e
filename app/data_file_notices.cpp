#include "app/data_file_notices.h"

#include <QDate>
#include <QFileInfo>
#include <QStringList>
#include <optional>

#include "core/backups/backup_copies.h"
#include "core/settings/form_storage.h"
#include "core/settings/ini_file.h"
#include "core/settings/program_files.h"
#include "kit/convert.h"
#include "kit/desktop.h"
#include "kit/interface_language.h"
#include "kit/message.h"

namespace pomix {
namespace {

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString CopyDate(const BackupDay& day) {
    const QDate date(int(day.year()), int(unsigned(day.month())), int(unsigned(day.day())));
    const QLocale& locale = InterfaceLocale();
    return locale.toString(date,
                           ShortDateFormatWithFullYear(locale.dateFormat(QLocale::ShortFormat)));
}

}  // namespace

SettingsCopyOffer FindSettingsCopy(const std::string& dataDir) {
    SettingsCopyOffer offer;
    offer.copy = NewestLoadableCopy(dataDir, kSettingsFileName);
    if (offer.copy) {
        StreamContainer container;
        TSettingsRecord copied;
        if (LoadSettingsFrom(container, offer.copy->copy.path, copied) == SettingsLoad::Loaded)
            offer.languageFile = copied.LanguageFile;
    }
    return offer;
}

bool AnnounceUnreadSettings(SettingsLoad result, const SettingsCopyOffer& offer,
                            const std::string& dataDir) {
    std::string folder = dataDir;
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    QString text =
        MessageString(result == SettingsLoad::Missing ? "SettingsMissing" : "SettingsDamaged")
            .arg(Utf8(dataDir + kSettingsFileName), Utf8(folder));
    if (!offer.copy) {
        ShowError(text);
        return false;
    }
    text += QStringLiteral("\n\n") +
            MessageString("SettingsRestoreOffer").arg(CopyDate(offer.copy->copy.day));
    if (!AskYesNo(text)) return false;
    try {
        RestoreBackupCopy(dataDir, kSettingsFileName, offer.copy->copy.tag);
    } catch (const std::exception& e) {
        ShowError(MessageString("FileWriteFailed")
                      .arg(Utf8(dataDir + kSettingsFileName), FileFailureReason(e)));
        return false;
    }
    return true;
}

void AnnounceMissingDictionary(const std::string& languageFile) {
    const std::string path = DictionaryPath(languageFile);
    if (path.empty() || (FileExists(path) && IniFile::IsIniFile(path))) return;
    ShowError(MessageString("DictionaryMissing").arg(Utf8(path)));
}

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
                  "сохранение данных продолжается без них.");
    backupCopyText =
        new TText(form, "BackupCopyText",
                  "Не удалось сделать резервную копию файла %1 (%2). Сохранение файла продолжается "
                  "без копии.");
}

std::vector<std::optional<CheckedCopy>> TDataFileNotices::FindCopies(
    const std::vector<UnreadDataFile>& files, const std::string& dataDir) {
    std::vector<std::optional<CheckedCopy>> copies;
    for (const UnreadDataFile& unread : files)
        copies.push_back(NewestLoadableCopy(dataDir, QFileInfo(Utf8(unread.path)).fileName().toStdString()));
    return copies;
}

std::vector<int> TDataFileNotices::AnnounceUnread(
    const std::vector<UnreadDataFile>& files,
    const std::vector<std::optional<CheckedCopy>>& copies, const std::string& dataDir) {
    if (files.empty()) return {};
    QStringList lines;
    struct Offer {
        int section;
        std::string file;
        std::string tag;
    };
    std::vector<Offer> offers;
    QStringList offerLines;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const UnreadDataFile& unread = files[i];
        const QString path = Utf8(unread.path);
        lines << unreadFileText->Text.arg(path,
                                          QFileInfo(path).fileName() + QStringLiteral(".damaged"));
        const std::string name = QFileInfo(path).fileName().toStdString();
        if (const auto& copy = i < copies.size() ? copies[i] : std::nullopt) {
            offers.push_back({unread.section, name, copy->copy.tag});
            offerLines << restoreOfferText->Text.arg(Utf8(name), CopyDate(copy->copy.day))
                              .arg(InterfaceLocale().toString(qulonglong(copy->check.records)));
        }
    }
    if (offers.empty()) {
        ShowError(lines.join(QLatin1Char('\n')));
        return {};
    }
    lines << QString() << offerLines << QString() << restoreQuestionText->Text;
    if (!AskYesNo(lines.join(QLatin1Char('\n')))) return {};
    std::vector<int> restored;
    for (const Offer& offer : offers) {
        try {
            RestoreBackupCopy(dataDir, offer.file, offer.tag);
            restored.push_back(offer.section);
        } catch (const std::exception& e) {
            ShowError(restoreFailedText->Text.arg(Utf8(offer.file), FileFailureReason(e)));
        }
    }
    return restored;
}

QString TDataFileNotices::BackupProblemText(const BackupProblem& problem) const {
    const TText* text =
        problem.kind == BackupProblem::Kind::FolderUnwritable ? backupFolderText : backupCopyText;
    static constexpr const char* kReasons[] = {"ReasonDiskFull", "ReasonNoAccess", "ReasonDamaged",
                                               "ReasonOther", "ReasonNotFolder"};
    return text->Text.arg(Utf8(problem.path), MessageString(kReasons[int(problem.cause)]));
}

}  // namespace pomix
