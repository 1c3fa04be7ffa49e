// A memo's text from and to a text file, as every editor with a memo offers it.
#pragma once

#include <QObject>
#include <QString>
#include <exception>
#include <string>
#include <vector>

class QWidget;

namespace pomix {

class TMemo;
class TText;

// The filter the editors offer for text files, in the interface language: all files, text files.
QString TextFileFilter();

// What a window tells when a text file cannot be taken or written, in its dictionary section,
// "%1" being the file.
class TTextFileMessages : public QObject {
public:
    explicit TTextFileMessages(QObject* window);
    // A window's dictionary items with those of its messages added.
    static std::vector<std::string> WithItems(std::vector<std::string> windowItems);

    // The message for a file that could not be read (e what the reader raised): not a
    // text, too large, or unreadable.
    QString ReadError(const std::string& path, const std::exception& e) const;
    QString WriteError(const std::string& path) const;

private:
    TText* notText_;
    TText* tooLarge_;
    TText* unreadable_;
    TText* unwritable_;
};

// Asks for a file and puts its lines into memo. The whole file is read before anything is
// replaced, so when the user cancels or the file cannot be taken (messages tells why) the memo
// keeps its text. True when the memo took the file's lines.
bool LoadMemoFromTextFile(QWidget* parent, TMemo* memo, const TTextFileMessages& messages,
                          const QString& filter = TextFileFilter());

// Asks for a file name and writes the memo's lines there (UTF-8, CR LF); a failure is told by
// messages. True when the file was written.
bool SaveMemoToTextFile(QWidget* parent, const TMemo* memo, const TTextFileMessages& messages,
                        const QString& filter = TextFileFilter());

}  // namespace pomix
