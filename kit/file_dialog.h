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

// What a dialog is for. Each purpose opens in the folder last chosen for it during the run
// (the first time in the folder its caller suggests, else the dialog's own choice), so that
// the sound and the dictionary keep to their folders while text files go where the user last
// put one.
enum class FilePurpose { Text, Calendar, Contacts, Sound, Dictionary };

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

// filter: "Caption|*.ext|Caption|*" pairs, as the windows describe their filters;
// firstFolder: where the dialog opens while nothing was chosen for purpose yet. The chooser
// (the dialog or a test's) gets the folder the dialog opens in.
ChosenFile ChooseFile(QWidget* parent, FileDialogKind kind, FilePurpose purpose,
                      const QString& filter, const QString& firstFolder = {});
// The path alone.
std::string ChooseFileToOpen(QWidget* parent, FilePurpose purpose, const QString& filter,
                             const QString& firstFolder = {});
std::string ChooseFileToSave(QWidget* parent, FilePurpose purpose, const QString& filter,
                             const QString& firstFolder = {});

// Forgets the folders chosen so far (a test's fresh start).
void ForgetChosenFolders();

}  // namespace pomix
