#include "ui/message.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/program_state.h"

namespace pomix {

namespace {

MessageAnswer ShowBox(MessageKind kind, const QString& text) {
    // Boxes carry the application's title, as the program's task-bar entry does.
    const QString title = QApplication::applicationName();
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

MessageAnswer Present(MessageKind kind, const std::string& message) {
    const QString text = MessageText(message);
    // Counted as modal also when a test answers it: timers check ModalShowing.
    const ModalScope modal;
    return Presenter() ? Presenter()(kind, text) : ShowBox(kind, text);
}

}  // namespace

MessagePresenter SetMessagePresenter(MessagePresenter presenter) {
    return std::exchange(Presenter(), std::move(presenter));
}

QString MessageText(const std::string& message) {
    QString text = QString::fromStdString(message);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void ShowError(const std::string& message) { Present(MessageKind::Error, message); }

void ShowInformation(const std::string& message) { Present(MessageKind::Information, message); }

bool AskYesNo(const std::string& message) { return Present(MessageKind::Question, message) == MessageAnswer::Yes; }

}  // namespace pomix
