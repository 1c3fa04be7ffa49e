// Message boxes. Every text a box shows is an item of the dictionary section "Messages"
// (app/lang/Messages.tsv): "<Name>_Caption", with the built-in Russian text when no dictionary
// is bound or the dictionary lacks the item. A text is looked up when its box is shown, so
// it follows the interface language of that moment. Errors have an OK button, questions Yes
// and No. Tests replace the presenter so that no box blocks them.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pomix {

enum class MessageKind { Error, Question, Information };
enum class MessageAnswer { Ok, Yes, No };

using MessagePresenter = std::function<MessageAnswer(MessageKind kind, const QString& text)>;

// Installs a presenter and returns the one it replaces; an empty one restores the boxes.
MessagePresenter SetMessagePresenter(MessagePresenter presenter);

inline constexpr const char* kMessagesSection = "Messages";

// The text of message name ("DeleteQuestion") in the interface language: the bound
// dictionary's, else the built-in Russian. Placeholders %1 … are left for the caller's arg().
// A name without a built-in text gives the name itself.
QString MessageString(std::string_view name);

// The built-in (Russian) texts by name, in the order of the table.
const std::vector<std::pair<const char*, const char*>>& BuiltInMessages();

// What went wrong with a file, as the storage layer raised it, in the interface language:
// "the disk is full …", "no permission …", "the file is damaged"; any other error keeps its
// own text.
QString FileFailureReason(const std::exception& error);
QString FileFailureReason(const std::exception_ptr& error);

void ShowError(const QString& text);
// An account of what was done (an import's), with an OK button.
void ShowInformation(const QString& text);
// True for Yes.
bool AskYesNo(const QString& text);
// A record may be deleted: the settings ask no confirmation, or the user said Yes to it.
bool DeleteConfirmed();

// The UTF-8 of the core (paths, the English texts of errors) as a message's argument.
inline QString MessageArg(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

}  // namespace pomix
