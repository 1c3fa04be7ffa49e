// The platform's file-open and file-save dialogs, behind one replaceable chooser so that
// tests can answer them without a dialog blocking.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string>
#include <utility>

namespace pomix {

enum class FileDialogKind { Open, Save };

// What the user chose: the path (local 8-bit file name; empty when the user cancelled) and
// the filter that was selected, counted from 0 in the order the filter text lists them
// (some readers depend on it, such as the playlist import).
struct ChosenFile {
    ChosenFile() = default;
    ChosenFile(std::string path, int filter = 0) : Path(std::move(path)), Filter(filter) {}
    std::string Path;
    int Filter = 0;
};

using FileChooser = std::function<ChosenFile(FileDialogKind kind, const QString& filter,
                                             const QString& startFolder)>;

// Installs a chooser and returns the one it replaces; an empty one restores the dialogs.
FileChooser SetFileChooser(FileChooser chooser);

// filter: "Caption|*.ext|Caption|*.*" pairs, as the windows describe their filters.
ChosenFile ChooseFile(QWidget* parent, FileDialogKind kind, const QString& filter,
                      const QString& startFolder = {});
// The path alone.
std::string ChooseFileToOpen(QWidget* parent, const QString& filter,
                             const QString& startFolder = {});
std::string ChooseFileToSave(QWidget* parent, const QString& filter,
                             const QString& startFolder = {});

}  // namespace pomix
