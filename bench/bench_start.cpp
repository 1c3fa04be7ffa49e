// The program's start from launch: each round starts a fresh process that runs the program's
// own start (RunProgram, as main() does) on a data folder of its own, and times from just
// before the process is made until
//   - the main window is shown (on the screen: its first expose), reported as window_ms, and
//   - the address book, pressed as soon as the window is shown, lists every contact (the
//     round's time).
// Over no data files, and over 100,000 records in every section. The process is this program
// itself, started with --launched; it reports the two moments through a pipe and ends there,
// without the close's saves. It runs on the platform the environment names: QT_QPA_PLATFORM=
// offscreen, or a real X display through DISPLAY.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "windows/addressbook/abook_form.h"
#include "app/main_form.h"
#include "app/program_run.h"
#include "bench/large_data.h"
#include "core/settings/user_folder.h"
#include "kit/message.h"

namespace pomix {
namespace {

long long Now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ---- the launched process ----

int gReport = -1;

[[noreturn]] void ReportAndEnd(const std::string& line, int status) {
    const std::string text = line + "\n";
    if (::write(gReport, text.data(), text.size()) < 0) std::_Exit(4);
    std::_Exit(status);
}

void Report(const char* what) {
    const std::string text = std::string(what) + " " + std::to_string(Now()) + "\n";
    if (::write(gReport, text.data(), text.size()) < 0) std::_Exit(4);
}

class TLaunchWatch : public QObject {
public:
    TLaunchWatch(TMainForm& form, std::size_t contacts)
        : QObject(&form), form_(form), contacts_(contacts) {
        book_ = static_cast<TABookForm*>(form.Display->Window(1));
        connect(book_, &TSectionWindow::dataLoaded, this, &TLaunchWatch::Check);
        QWindow* window = form.windowHandle();
        if (window && window->isExposed()) {
            Shown();
        } else if (window) {
            window->installEventFilter(this);
        } else {
            ReportAndEnd("error the main window has no native window", 3);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && form_.windowHandle()->isExposed() && !shown_)
            Shown();
        return QObject::eventFilter(watched, event);
    }

private:
    void Shown() {
        shown_ = true;
        Report("window");
        form_.Select(form_.SectionButtons[1]);
        Check();
    }
    void Check() {
        if (!shown_ || !book_->Loaded() || !book_->isVisible()) return;
        if (book_->Contacts().Count() != contacts_)
            ReportAndEnd("error the address book holds " +
                             std::to_string(book_->Contacts().Count()) + " contacts",
                         3);
        if (book_->contactList->Count() != static_cast<int>(contacts_)) return;
        Report("listed");
        std::_Exit(0);
    }

    TMainForm& form_;
    TABookForm* book_;
    std::size_t contacts_;
    bool shown_ = false;
};

int RunLaunched(int argc, char** argv) {
    gReport = std::atoi(argv[2]);
    const auto contacts = static_cast<std::size_t>(std::atoll(argv[3]));
    // A message box would wait for a person: the round ends with its text instead.
    SetMessagePresenter([](MessageKind, const QString& text) -> MessageAnswer {
        ReportAndEnd("error message: " + text.toStdString(), 3);
    });
    argv[1] = nullptr;
    (void)argc;
    return RunProgram(1, argv, POMIX_BENCH_SHIPPED_FROM_BIN,
                      [contacts](TMainForm& form) { new TLaunchWatch(form, contacts); });
}

// ---- the benchmark ----

// The user data folder (XDG_DATA_HOME) of a case: count records in every section file (none: no
// data files). The program's first start fills it with the shipped files, as on an installation.
std::string Home(int count) {
    const auto home =
        std::filesystem::temp_directory_path() / ("pomix-bench-launch-" + std::to_string(count));
    const std::string data = DataDirIn((home / "pomix").string());
    std::filesystem::create_directories(data);
    if (count > 0 && !std::filesystem::exists(data + kAddressFileName)) WriteLargeData(data, count);
    return home.string();
}

struct Launch {
    double window = 0;  // seconds from launch
    double listed = 0;
    std::string error;
};

Launch LaunchOnce(int count) {
    int fds[2];
    if (::pipe(fds) != 0) return {0, 0, "no pipe"};
    const std::string fd = std::to_string(fds[1]);
    const std::string contacts = std::to_string(count);
    const long long start = Now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        char* args[] = {const_cast<char*>("/proc/self/exe"), const_cast<char*>("--launched"),
                        const_cast<char*>(fd.c_str()), const_cast<char*>(contacts.c_str()),
                        nullptr};
        ::execv("/proc/self/exe", args);
        std::_Exit(127);
    }
    ::close(fds[1]);
    Launch launch;
    std::string got;
    pollfd wait{fds[0], POLLIN, 0};
    while (::poll(&wait, 1, 60000) > 0) {
        char buffer[512];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    long long window = 0, listed = 0;
    std::size_t at = 0;
    while (at < got.size()) {
        const std::size_t end = got.find('\n', at);
        const std::string line = got.substr(at, end - at);
        at = end == std::string::npos ? got.size() : end + 1;
        if (line.rfind("window ", 0) == 0) window = std::atoll(line.c_str() + 7);
        if (line.rfind("listed ", 0) == 0) listed = std::atoll(line.c_str() + 7);
        if (line.rfind("error ", 0) == 0) launch.error = line.substr(6);
    }
    if (launch.error.empty() && (window == 0 || listed == 0))
        launch.error = "the start did not list the contacts within a minute (status " +
                       std::to_string(status) + ")";
    launch.window = static_cast<double>(window - start) / 1e9;
    launch.listed = static_cast<double>(listed - start) / 1e9;
    return launch;
}

void BM_LaunchUntilContactsListed(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ::setenv("XDG_DATA_HOME", Home(count).c_str(), 1);
    // The first start copies the shipped files, and the files reach the system's cache.
    if (const Launch first = LaunchOnce(count); !first.error.empty()) {
        state.SkipWithError(first.error.c_str());
        return;
    }
    double window = 0;
    for (auto _ : state) {
        const Launch launch = LaunchOnce(count);
        if (!launch.error.empty()) {
            state.SkipWithError(launch.error.c_str());
            break;
        }
        state.SetIterationTime(launch.listed);
        window += launch.window;
    }
    state.counters["window_ms"] =
        benchmark::Counter(window * 1000, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LaunchUntilContactsListed)
    ->Arg(0)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);

}  // namespace
}  // namespace pomix

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--launched") return pomix::RunLaunched(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
