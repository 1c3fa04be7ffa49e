// Pomix: the entry. Runs until the main window is closed. The only arguments are --help and
// --version; an installed program keeps its data in the user's data folder (app/program_start.h).
#include <QApplication>
#include <iostream>

#include "app/main_form.h"
#include "app/program_start.h"
#include "app/session_end.h"
#include "planner/calendar_dialog.h"
#include "settings/user_folder.h"
#include "storage/text.h"
#include "ui/accessibility.h"
#include "ui/desktop.h"

#ifndef POMIX_SHARE_FROM_BIN
#define POMIX_SHARE_FROM_BIN "../share/pomix"
#endif

int main(int argc, char** argv) {
    // Before the window system is reached: --help and --version work without a display.
    if (const auto status = pomix::AnswerCommandLine({argv + 1, argv + argc}, false, std::cout, std::cerr)) {
        return *status;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Po Mix"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pomix.Pomix"));
    // The main window stays the program's life even while hidden in the notification area.
    QApplication::setQuitOnLastWindowClosed(false);
    pomix::InstallDesktopServices();
    pomix::InstallAccessibility();
    // The window system's own arguments are gone now; anything left is not ours either.
    if (const auto status = pomix::AnswerCommandLine({argv + 1, argv + argc}, true, std::cout, std::cerr)) {
        return *status;
    }

    const std::string exeDir = pomix::AppDir();
    const std::string programDir = pomix::ChooseProgramDir(exeDir);
    const std::string shippedDir = pomix::IsUserProgramDir(programDir, exeDir)
                                       ? pomix::ShippedFilesDir(exeDir, POMIX_SHARE_FROM_BIN)
                                       : std::string();
    const std::unique_ptr<pomix::TRunningCopy> runningCopy = pomix::PrepareProgramDir(programDir, shippedDir);
    if (!runningCopy) return pomix::kStartRefused;

    pomix::TMainForm mainForm;
    // The one date picker, created after the main window, as every caller expects to find it.
    pomix::TCalendarDialog calendarDialog(&mainForm);
    pomix::TSessionEnd sessionEnd(mainForm);
    mainForm.show();
    return app.exec();
}
