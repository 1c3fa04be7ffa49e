// What the main window says about the data files: at start-up, the files that could not be
// read, with the newest daily copy of each that loads offered in their place; while running,
// a daily copy that could not be made. The texts are the main window's dictionary items.
#pragma once

#include <QObject>
#include <optional>
#include <string>
#include <vector>

#include "core/backups/backup_copies.h"
#include "core/settings/settings_record.h"
#include "storage/backups.h"
#include "storage/stream_container.h"
#include "kit/form_parts.h"

namespace pomix {

// What the offer of a copy of the settings needs, looked for beside the interface (any
// thread): the newest copy of the settings of dataDir that loads, and the dictionary it names
// (the language the user last had).
struct SettingsCopyOffer {
    std::optional<CheckedCopy> copy;
    std::string languageFile;
};
SettingsCopyOffer FindSettingsCopy(const std::string& dataDir);

// The settings file of dataDir could not be read (result): one message names it by its full
// path, says that the sections stay locked and what can be done, and, when offer has a copy,
// asks whether to put it back; on Yes it is put back (the file it replaces is kept as a copy
// of today). The message speaks the interface language the caller has set. True when the copy
// is now the settings file.
bool AnnounceUnreadSettings(SettingsLoad result, const SettingsCopyOffer& offer,
                            const std::string& dataDir);

// A dictionary the settings name (languageFile) that is missing or cannot be read: one
// message naming it; the windows keep their built-in Russian texts. Nothing for no name.
void AnnounceMissingDictionary(const std::string& languageFile);

struct UnreadDataFile {
    int section;       // the display index of its section window
    std::string path;  // the data file
};

class TDataFileNotices : public QObject {
    Q_OBJECT
public:
    // The texts are children of form, so that its dictionary binding finds them.
    explicit TDataFileNotices(QObject* form);

    // One box: each file that could not be read, that it is kept unchanged until its
    // section's first save moves it to "<file>.damaged", and, when copies that load exist,
    // the question whether to put them back. On Yes the copies are restored (the unread file
    // is kept as a copy of today first). Returns the sections whose files were restored.
    std::vector<int> AnnounceUnread(const std::vector<UnreadDataFile>& files,
                                    const std::vector<std::optional<CheckedCopy>>& copies,
                                    const std::string& dataDir);
    // Any thread: the newest copy that loads of each of files, in their order.
    static std::vector<std::optional<CheckedCopy>> FindCopies(
        const std::vector<UnreadDataFile>& files, const std::string& dataDir);

    // The message for a daily copy's problem.
    QString BackupProblemText(const BackupProblem& problem) const;

    TText* unreadFileText;
    TText* restoreOfferText;
    TText* restoreQuestionText;
    TText* restoreFailedText;
    TText* backupFolderText;
    TText* backupCopyText;
};

}  // namespace pomix
