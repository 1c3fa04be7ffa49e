// Message boxes. A message is UTF-8 text: an English line, "\r", the Russian line; the box
// shows both lines. Errors have an OK button, questions Yes and No. Tests replace the
// presenter so that no box blocks them.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace pomix {

enum class MessageKind { Error, Question, Information };
enum class MessageAnswer { Ok, Yes, No };

using MessagePresenter = std::function<MessageAnswer(MessageKind kind, const QString& text)>;

// Installs a presenter and returns the one it replaces; an empty one restores the boxes.
MessagePresenter SetMessagePresenter(MessagePresenter presenter);

// The text a box shows: the lines of message one under the other.
QString MessageText(const std::string& message);

void ShowError(const std::string& message);
// An account of what was done (an import's), with an OK button.
void ShowInformation(const std::string& message);
// True for Yes.
bool AskYesNo(const std::string& message);

}  // namespace pomix
