#include "kit/exchange_dialogs.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "kit/file_dialog.h"
#include "kit/message.h"

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

QString ImportReport(std::size_t added, std::size_t skipped, std::size_t simplified,
                     std::size_t replaced, std::size_t linesLeftOut,
                     const std::vector<QString>& notes) {
    const auto n = [](std::size_t count) { return QString::number(qulonglong(count)); };
    QString text = MessageString("ImportDone")
                       .arg(n(added), n(skipped), n(simplified), n(replaced), n(linesLeftOut));
    for (std::size_t i = 0; i < notes.size() && i < kMaxShownNotes; ++i)
        text += QLatin1Char('\n') + notes[i];
    if (notes.size() > kMaxShownNotes)
        text +=
            QLatin1Char('\n') + MessageString("ImportMore").arg(n(notes.size() - kMaxShownNotes));
    return text;
}

QString ImportNoteLine(const std::string& path, const dataio::ImportNote& note, ImportNoteKind kind) {
    static const std::pair<dataio::ImportReason, const char*> kReasons[] = {
        {dataio::ImportReason::LineTooLong, "ImportLineTooLong"},
        {dataio::ImportReason::TextOutside, "ImportTextOutside"},
        {dataio::ImportReason::NotAPropertyLine, "ImportNotAPropertyLine"},
        {dataio::ImportReason::NestedTooDeep, "ImportNestedTooDeep"},
        {dataio::ImportReason::NeverEnded, "ImportNeverEnded"},
        {dataio::ImportReason::CalendarNeverEnded, "ImportCalendarNeverEnded"},
        {dataio::ImportReason::EndWithoutBegin, "ImportEndWithoutBegin"},
        {dataio::ImportReason::NotACalendar, "ImportNotACalendar"},
        {dataio::ImportReason::NotAnEvent, "ImportNotAnEvent"},
        {dataio::ImportReason::ChangedOccurrence, "ImportChangedOccurrence"},
        {dataio::ImportReason::ValueLeftOut, "ImportValueLeftOut"},
        {dataio::ImportReason::UnknownZone, "ImportUnknownZone"},
        {dataio::ImportReason::Cancelled, "ImportCancelled"},
        {dataio::ImportReason::NoStart, "ImportNoStart"},
        {dataio::ImportReason::UnreadableStart, "ImportUnreadableStart"},
        {dataio::ImportReason::AllExcluded, "ImportAllExcluded"},
        {dataio::ImportReason::RecurringTakenOnce, "ImportRecurringTakenOnce"},
        {dataio::ImportReason::NotAContact, "ImportNotAContact"},
        {dataio::ImportReason::EmptyContact, "ImportEmptyContact"},
        {dataio::ImportReason::NoDate, "ImportNoDate"},
        {dataio::ImportReason::UnreadableDate, "ImportUnreadableDate"},
        {dataio::ImportReason::UnreadableTime, "ImportUnreadableTime"},
        {dataio::ImportReason::UnreadableBirthDate, "ImportUnreadableBirthDate"},
        {dataio::ImportReason::UnclosedQuote, "ImportUnclosedQuote"}};
    QString reason = MessageArg(note.Reason);  // a reason with no text of its own: the core's words
    for (const auto& [code, name] : kReasons) {
        if (code == note.Code) reason = MessageString(name).arg(MessageArg(note.Subject));
    }
    QString place = QString::number(qulonglong(note.Line));
    if (note.LastLine > note.Line) place += QLatin1Char('-') + QString::number(qulonglong(note.LastLine));
    const char* line = kind == ImportNoteKind::Skipped      ? "ImportSkipped"
                       : kind == ImportNoteKind::Simplified ? "ImportSimplified"
                                                            : "ImportNote";
    return MessageString(line).arg(MessageArg(path), place, reason);
}

void ShowImportMessage(const QString& message) {
    ShowInformation(message);
}

void ShowExchangeError(const std::string& path, const std::string& what) {
    ShowError(MessageString("ExchangeFailed").arg(MessageArg(path), MessageArg(what)));
}

}  // namespace pomix
