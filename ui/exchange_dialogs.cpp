#include "ui/exchange_dialogs.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "ui/file_dialog.h"
#include "ui/interface_language.h"
#include "ui/message.h"

namespace pomix {
namespace {

const char* Extension(ExchangeFormat format) {
    return format == ExchangeFormat::Calendar ? ".ics" : ".vcf";
}

// The section's own format, then CSV; an import offers both at once first.
QString Formats(ExchangeFormat format) {
    return format == ExchangeFormat::Calendar ? QStringLiteral("iCalendar|*.ics|CSV|*.csv")
                                              : QStringLiteral("vCard|*.vcf|CSV|*.csv");
}

FilePurpose Purpose(ExchangeFormat format) {
    return format == ExchangeFormat::Calendar ? FilePurpose::Calendar : FilePurpose::Contacts;
}

std::vector<std::string> DroppedFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return files;
}

class DropFilter : public QObject {
public:
    DropFilter(QWidget* window, std::function<void(const std::string&)> onFile)
        : QObject(window), onFile_(std::move(onFile)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (DroppedFiles(drag->mimeData()).empty()) return false;
            drag->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::vector<std::string> files = DroppedFiles(drop->mimeData());
            if (files.empty()) return false;
            drop->acceptProposedAction();
            for (const std::string& file : files) onFile_(file);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(const std::string&)> onFile_;
};

}  // namespace

std::string ChooseImportFile(QWidget* parent, ExchangeFormat format) {
    const QString both = format == ExchangeFormat::Calendar
                             ? QStringLiteral("iCalendar, CSV|*.ics *.csv|")
                             : QStringLiteral("vCard, CSV|*.vcf *.csv|");
    return ChooseFileToOpen(parent, Purpose(format), both + Formats(format));
}

std::string ChooseExportFile(QWidget* parent, ExchangeFormat format) {
    const ChosenFile chosen =
        ChooseFile(parent, FileDialogKind::Save, Purpose(format), Formats(format));
    std::string path = chosen.Path;
    const std::string extension = chosen.Filter == 1 ? ".csv" : Extension(format);
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!path.empty() && name.find('.') == std::string::npos) path += extension;
    return path;
}

void AcceptDroppedFiles(QWidget* window, std::function<void(const std::string&)> onFile) {
    window->setAcceptDrops(true);
    window->installEventFilter(new DropFilter(window, std::move(onFile)));
}

std::string ImportReport(std::size_t added, std::size_t skipped, std::size_t simplified,
                         std::size_t replaced, std::size_t linesLeftOut,
                         const std::vector<std::string>& notes, bool english) {
    const auto n = [](std::size_t count) { return std::to_string(count); };
    std::string text =
        english ? "Imported: " + n(added) + " added, " + n(skipped) + " skipped, " + n(simplified) +
                      " simplified, " + n(replaced) + " characters replaced by \"?\", " +
                      n(linesLeftOut) + " unreadable lines left out."
                : "Импорт: добавлено " + n(added) + ", пропущено " + n(skipped) + ", упрощено " +
                      n(simplified) + ", символов заменено на \"?\": " + n(replaced) +
                      ", нечитаемых строк пропущено: " + n(linesLeftOut) + ".";
    for (std::size_t i = 0; i < notes.size() && i < kMaxShownNotes; ++i) text += "\n" + notes[i];
    if (notes.size() > kMaxShownNotes) {
        const std::string more = n(notes.size() - kMaxShownNotes);
        text += english ? "\n… and " + more + " more" : "\n… и ещё " + more;
    }
    return text;
}

bool EnglishInterface() {
    return InterfaceLocale().language() == QLocale::English;
}

void ShowImportMessage(const std::string& message) {
    ShowInformation(message);
}

void ShowExchangeError(const std::string& path, const std::string& what) {
    ShowError(
        (EnglishInterface() ? "Import or export failed: " : "Импорт или экспорт не выполнен: ") +
        path + ": " + what);
}

}  // namespace pomix
