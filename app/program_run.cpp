#include "app/program_run.h"

#include <QApplication>
#include <iostream>
#include <memory>
#include <optional>

#include "app/main_form.h"
#include "app/program_start.h"
#include "app/session_end.h"
#include "core/settings/user_folder.h"
#include "storage/errors.h"
#include "storage/text.h"
#include "kit/accessibility.h"
#include "kit/desktop.h"
#include "storage/early_reads.h"

namespace pomix {

int RunProgram(int argc, char** argv, const std::string& shareFromBin,
               const std::function<void(TMainForm&)>& shown) {
    // Before the window system is reached: --help and --version work without a display.
    if (const auto status =
            AnswerCommandLine({argv + 1, argv + argc}, false, std::cout, std::cerr)) {
        return *status;
    }

    // The data folder is known before the window system is reached: its lock is taken now, and
    // once it is held the data files are read beside the making of the application and the
    // main window. A folder held by another copy is not read at all.
    const std::string exeDir = AppDir();
    const std::string programDir = ChooseProgramDir(exeDir);
    std::optional<DataFolderLock> lock;
    std::unique_ptr<TEarlyReads> earlyReads;
    if (!programDir.empty()) {
        try {
            MakeDataFolder(programDir);
            lock.emplace(DataDirIn(programDir));
        } catch (const EFileError&) {
            // Told by PrepareProgramDir, once there is a window system to tell it.
        }
        if (lock && lock->Locked())
            earlyReads =
                std::make_unique<TEarlyReads>(TMainForm::ProgramEarlyReads(DataDirIn(programDir)));
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Po Mix"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pomix.Pomix"));
    // The main window stays the program's life even while hidden in the notification area.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallDesktopServices();
    InstallAccessibility();
    // The window system's own arguments are gone now; anything left is not ours either.
    if (const auto status =
            AnswerCommandLine({argv + 1, argv + argc}, true, std::cout, std::cerr)) {
        return *status;
    }

    const std::string shippedDir = IsUserProgramDir(programDir, exeDir)
                                       ? ShippedFilesDir(exeDir, shareFromBin)
                                       : std::string();
    const std::unique_ptr<TRunningCopy> runningCopy =
        PrepareProgramDir(programDir, shippedDir, std::move(lock));
    if (!runningCopy) return kStartRefused;

    TMainForm mainForm;
    const auto datePicker = MakeDatePicker(mainForm);
    TSessionEnd sessionEnd(mainForm);
    mainForm.show();
    if (shown) shown(mainForm);
    return app.exec();
}

}  // namespace pomix
