// What happens before the main window: the command line, the choice and preparation of the
// folder that holds Data/, Lang/ and Media/, and the one running copy per data folder.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "storage/data_lock.h"

namespace pomix {

// --help and --version print their text to out and give 0; nothing (the usual start) gives
// no value: the program runs. Before the window system has taken its own arguments (such as
// "-platform offscreen") out of the list, other arguments are let through; afterwards
// (allArgumentsOurs) any other argument prints a line to err and gives 2.
std::optional<int> AnswerCommandLine(const std::vector<std::string>& args, bool allArgumentsOurs, std::ostream& out,
                                     std::ostream& err);

// Exit status of a start that stops before the main window.
inline constexpr int kStartRefused = 1;

// The copy of the program that runs on a data folder. It holds the folder's lock for as long
// as it lives, and answers a later start on the same folder by bringing this copy forward.
class TRunningCopy : public QObject {
    Q_OBJECT
public:
    TRunningCopy(DataFolderLock lock, const std::string& programDir);
    ~TRunningCopy() override;
    bool HoldsLock() const { return lock_.Locked(); }
    bool Answers() const { return server_.isListening(); }
    // The local socket a later start calls, one per user and data folder: a path in
    // $XDG_RUNTIME_DIR, or a name in the temporary folder. The data folder must exist: its
    // real path names it, so that every way of writing that path gives the same name.
    static QString CallName(const std::string& programDir);
    // Asks the copy running on programDir to come forward; false when none answered.
    static bool CallRunningCopy(const std::string& programDir);

private:
    void Answer();

    DataFolderLock lock_;
    QLocalServer server_;
};

// Prepares programDir for the run: makes its Data/ folder, takes the lock on it, copies the
// shipped files from shippedDir (empty when the program runs from its own folder) without
// replacing any, and makes programDir the program's folder. Returns the running copy; or,
// when the program must stop (no folder, another copy on it), shows why and returns null.
// A start refused because another copy runs reads and writes no file of the folder. lock: the
// folder's lock when the caller has tried it already (its state is then told as if taken here).
std::unique_ptr<TRunningCopy> PrepareProgramDir(const std::string& programDir,
                                                const std::string& shippedDir,
                                                std::optional<DataFolderLock> lock = std::nullopt);

}  // namespace pomix
