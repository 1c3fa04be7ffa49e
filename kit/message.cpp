#include "kit/message.h"

#include <QApplication>
#include <QMessageBox>
#include <map>

#include "core/settings/form_storage.h"
#include "core/settings/settings_record.h"
#include "storage/cp1251.h"
#include "storage/errors.h"
#include "kit/program_state.h"

namespace pomix {

namespace {

// The built-in texts. A dictionary value is one line, so a line break is written "\n" (a
// backslash and an n) in the table and in the dictionary alike.
const std::vector<std::pair<const char*, const char*>> kBuiltIn = {
    {"IncorrectDate", "Не верный формат Даты !"},
    {"IncorrectTime", "Не верный формат Времени !"},
    {"DeleteQuestion", "Удалить запись ?"},
    {"SelectCategory", "Выберите категорию !"},
    {"RecordNotAdded", "Не удалось добавить запись !"},
    {"NotWholeNumber", "«%1» — не целое число !"},
    {"BadFileName", "Имя файла содержит символы, которые нельзя сохранить !"},
    // The kinds of file the file dialogs offer.
    {"FilterAllFiles", "Все файлы"},
    {"FilterTextFiles", "Текстовые файлы"},
    {"FilterPlaylists", "Списки воспроизведения WinAmp"},
    {"FilterSounds", "Звуки WAV"},
    {"FilterDictionaries", "Файлы словарей"},
    {"FileReadFailed", "Не удалось прочитать файл %1: %2."},
    {"FileWriteFailed", "Не удалось записать файл %1: %2."},
    {"ReasonDiskFull", "на диске нет места или устройство не принимает запись"},
    {"ReasonNoAccess",
     "нет доступа к файлу или к его папке (нет прав, только для чтения или её нет)"},
    {"ReasonDamaged", "файл повреждён"},
    {"ReasonNotFolder", "на месте папки стоит файл с тем же именем"},
    {"ReasonOther", "система сообщила об ошибке чтения или записи"},
    {"RestoreUnsaved",
     "Копия не восстановлена: изменения файла %1 не удалось записать. Освободите место на "
     "диске или исправьте права доступа и повторите."},
    {"DictionaryWriteFailed", "Не удалось записать словарь %1."},
    {"SaveFailed",
     "Не удалось сохранить файл %1: %2.\\nИзменения остаются в программе и будут записаны при "
     "следующем изменении или при закрытии. Программа продолжает работу."},
    {"ShutdownSaveFailed",
     "При закрытии не удалось сохранить:\\n%1\\nПрограмма остаётся открытой, чтобы ничего не "
     "потерялось. Освободите место на диске или исправьте права доступа и закройте её снова."},
    {"SettingsMissing",
     "Не найден файл настроек %1. Доступ в программу закрыт !\\nКопию настроек можно вернуть "
     "командой pomix-data restore \"%2\" Pomix.ini ДАТА (список копий: pomix-data backups "
     "\"%2\")."},
    {"SettingsDamaged",
     "Поврежден файл настроек %1. Доступ в программу закрыт !\\nФайл оставлен без изменений. Копию "
     "настроек можно вернуть командой pomix-data restore \"%2\" Pomix.ini ДАТА (список копий: "
     "pomix-data backups \"%2\") или удалить файл: при следующем запуске программа начнёт с "
     "настроек по умолчанию."},
    {"SettingsRestoreOffer",
     "Восстановить копию настроек от %1 и открыть программу? Прежний файл, если он есть, "
     "сохраняется среди резервных копий."},
    {"DictionaryMissing",
     "Словарь %1 не найден или не читается. Программа работает со встроенными русскими "
     "текстами; другой словарь можно выбрать в настройках."},
    {"NoHome", "Нет папки для данных: не задана переменная HOME."},
    {"DataFolderFailed", "Не удалось создать папку для данных %1."},
    {"AlreadyRunning", "Pomix уже запущен с этими данными."},
    {"LockFailed",
     "Папку данных %1 не удалось заблокировать: вторая копия Pomix не будет остановлена."},
    {"ShippedFilesFailed", "Не удалось скопировать некоторые файлы программы:\\n%1"},
    {"ExchangeFailed", "Импорт или экспорт не выполнен: %1: %2"},
    {"ImportDone",
     "Импорт: добавлено %1, пропущено %2, упрощено %3, символов заменено на \"?\": %4, "
     "нечитаемых строк пропущено: %5."},
    {"ImportMore", "… и ещё %1"},
    {"ImportSkipped", "%1:%2: пропущено: %3"},
    {"ImportSimplified", "%1:%2: упрощено: %3"},
    {"ImportNote", "%1:%2: примечание: %3"},
    // Why an import left a record or lines out (%1: the name or text it speaks of).
    {"ImportLineTooLong", "строка длиннее %1 МБ пропущена"},
    {"ImportTextOutside", "текст вне блоков пропущен"},
    {"ImportNotAPropertyLine", "не строка свойства, пропущена: «%1»"},
    {"ImportNestedTooDeep", "блоки вложены слишком глубоко, пропущено"},
    {"ImportNeverEnded", "блок BEGIN:%1 не закрыт и пропущен"},
    {"ImportCalendarNeverEnded", "календарь не закрыт; прочитан до конца файла"},
    {"ImportEndWithoutBegin", "END:%1 не закрывает открытый блок, пропущено"},
    {"ImportNotACalendar", "BEGIN:%1 — не календарь"},
    {"ImportNotAnEvent", "%1 — не событие"},
    {"ImportChangedOccurrence", "изменённое повторение серии «%1» (серия взята один раз)"},
    {"ImportValueLeftOut", "значение пропущено: %1"},
    {"ImportUnknownZone", "неизвестный часовой пояс «%1»: время взято как местное"},
    {"ImportCancelled", "отменённое событие"},
    {"ImportNoStart", "событие без DTSTART"},
    {"ImportUnreadableStart", "нечитаемый DTSTART"},
    {"ImportAllExcluded", "все повторения «%1» исключены (EXDATE)"},
    {"ImportRecurringTakenOnce", "повторяющееся событие «%1» взято один раз, на первое повторение"},
    {"ImportNotAContact", "BEGIN:%1 — не контакт"},
    {"ImportEmptyContact", "запись без имени и других полей"},
    {"ImportNoDate", "событие без даты"},
    {"ImportUnreadableDate", "нечитаемая дата «%1»"},
    {"ImportUnreadableTime", "нечитаемое время «%1» взято как 00:00"},
    {"ImportUnreadableBirthDate", "нечитаемая дата рождения «%1» оставлена в примечании"},
    {"ImportUnclosedQuote", "кавычка не закрыта; поле идёт до конца файла"},
};

const char* BuiltIn(std::string_view name) {
    for (const auto& [key, text] : kBuiltIn) {
        if (name == key) return text;
    }
    return nullptr;
}

// The one text the lookup asks the dictionary for.
class MessageTarget : public DictionaryTarget {
public:
    explicit MessageTarget(std::string text) : text_(std::move(text)) {}
    bool GetText(const std::string&, const std::string&, std::string& text) override {
        text = text_;
        return true;
    }
    bool SetText(const std::string&, const std::string&, const std::string& text) override {
        text_ = text;
        return true;
    }
    bool GetLines(const std::string&, const std::string&, StrList&) override { return false; }
    bool SetLines(const std::string&, const std::string&, const StrList&) override { return false; }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

MessageAnswer ShowBox(MessageKind kind, const QString& text) {
    // Boxes carry the program's name as its main window and tray icon show it (the
    // application name "Po Mix" is an identifier, not a caption).
    const QString title = QStringLiteral("Pomix");
    if (kind == MessageKind::Error) {
        QMessageBox::critical(QApplication::activeWindow(), title, text, QMessageBox::Ok);
        return MessageAnswer::Ok;
    }
    if (kind == MessageKind::Information) {
        QMessageBox::information(QApplication::activeWindow(), title, text, QMessageBox::Ok);
        return MessageAnswer::Ok;
    }
    const auto answer = QMessageBox::question(QApplication::activeWindow(), title, text,
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

MessagePresenter& Presenter() {
    static MessagePresenter presenter;
    return presenter;
}

MessageAnswer Present(MessageKind kind, const QString& text) {
    // Counted as modal also when a test answers it: timers check ModalShowing.
    const ModalScope modal;
    return Presenter() ? Presenter()(kind, text) : ShowBox(kind, text);
}

}  // namespace

MessagePresenter SetMessagePresenter(MessagePresenter presenter) {
    return std::exchange(Presenter(), std::move(presenter));
}

const std::vector<std::pair<const char*, const char*>>& BuiltInMessages() {
    return kBuiltIn;
}

QString MessageString(std::string_view name) {
    const char* builtIn = BuiltIn(name);
    if (!builtIn) return QString::fromUtf8(name.data(), qsizetype(name.size()));
    TFormStorage storage(kMessagesSection, {std::string(name) + ".Caption"});
    storage.BindLanguageFile(SettingsRecord.LanguageFile);
    MessageTarget target(Utf8ToCp1251(builtIn));
    storage.Read(target);
    QString text = QString::fromStdString(Cp1251ToUtf8(target.Text()));
    text.replace(QLatin1String("\\n"), QLatin1String("\n"));
    return text;
}

QString FileFailureReason(const std::exception& error) {
    if (dynamic_cast<const EStreamWriteError*>(&error)) return MessageString("ReasonDiskFull");
    if (dynamic_cast<const ENotAFolder*>(&error)) return MessageString("ReasonNotFolder");
    if (dynamic_cast<const EFileError*>(&error)) return MessageString("ReasonNoAccess");
    if (dynamic_cast<const ECorruptFile*>(&error) || dynamic_cast<const EStreamReadError*>(&error))
        return MessageString("ReasonDamaged");
    return MessageString("ReasonOther");
}

QString FileFailureReason(const std::exception_ptr& error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return FileFailureReason(e);
    } catch (...) {
    }
    return MessageString("ReasonDiskFull");
}

void ShowError(const QString& text) {
    Present(MessageKind::Error, text);
}

void ShowInformation(const QString& text) {
    Present(MessageKind::Information, text);
}

bool DeleteConfirmed() {
    return !SettingsRecord.ConfirmDelete || AskYesNo(MessageString("DeleteQuestion"));
}

bool AskYesNo(const QString& text) {
    return Present(MessageKind::Question, text) == MessageAnswer::Yes;
}

}  // namespace pomix
