// The platform's file-open and file-save dialogs, behind one replaceable chooser so that
// tests can answer them without a dialog blocking.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>

namespace pomix {

enum class FileDialogKind { Open, Save };

// Returns the chosen path (local 8-bit file name) or an empty text when the user cancels.
using FileChooser = std::function<std::string(FileDialogKind kind, const QString& filter,
                                              const QString& startFolder)>;

// Installs a chooser and returns the one it replaces; an empty one restores the dialogs.
FileChooser SetFileChooser(FileChooser chooser);

// filter: "Caption|*.ext|Caption|*.*" pairs, as the windows describe their filters.
std::string ChooseFileToOpen(QWidget* parent, const QString& filter,
                             const QString& startFolder = {});
std::string ChooseFileToSave(QWidget* parent, const QString& filter,
                             const QString& startFolder = {});

}  // namespace pomix
