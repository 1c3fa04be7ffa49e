// A memo's text from and to a text file, as every editor with a memo offers it.
#pragma once

#include <QString>

class QWidget;

namespace pomix {

class TMemo;

// The filter the editors offer for text files.
QString TextFileFilter();

// Asks for a file and puts its lines into memo. The whole file is read before anything is
// replaced, so when the user cancels or the file cannot be read (the error is shown) the memo
// keeps its text. True when the memo took the file's lines.
bool LoadMemoFromTextFile(QWidget* parent, TMemo* memo, const QString& filter = TextFileFilter());

// Asks for a file name and writes the memo's lines there (code page 1251, CR LF); a failure
// is shown. True when the file was written.
bool SaveMemoToTextFile(QWidget* parent, const TMemo* memo,
                        const QString& filter = TextFileFilter());

}  // namespace pomix
