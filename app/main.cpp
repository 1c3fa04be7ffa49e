// Pomix: the entry. No arguments; runs until the main window is closed.
#include <QApplication>

#include "app/main_form.h"
#include "app/session_end.h"
#include "planner/calendar_dialog.h"
#include "ui/desktop.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Po Mix"));
    // The main window stays the program's life even while hidden in the notification area.
    QApplication::setQuitOnLastWindowClosed(false);
    pomix::InstallDesktopServices();

    pomix::TMainForm mainForm;
    // The one date picker, created after the main window, as every caller expects to find it.
    pomix::TCalendarDialog calendarDialog(&mainForm);
    pomix::TSessionEnd sessionEnd(mainForm);
    mainForm.show();
    return app.exec();
}
