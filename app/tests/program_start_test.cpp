// The start before the main window: the command line, the user's data folder filled on the
// first start, one running copy per data folder (a second start is refused, touches nothing
// and brings the first forward), and what a killed copy leaves behind.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <sstream>

#include "app/program_start.h"
#include "core/settings/program_files.h"
#include "kit/desktop.h"
#include "kit/message.h"

using namespace pomix;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write");
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

std::string Std(const QString& path) { return path.toStdString(); }

// Kills the child process however the test ends, so that no lock holder outlives it.
struct ChildProcess {
    pid_t pid = -1;
    ~ChildProcess() { Kill(); }
    void Kill() {
        if (pid <= 0) return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
    }
};

}  // namespace

class ProgramStartTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void commandLine();
    void firstStartFillsTheUserFolderAndLocksIt();
    void secondStartIsRefusedTouchesNothingAndCallsTheFirst();
    void killedCopyLeavesNoLockBehind();
    void socketOfAKilledCopyIsTakenOver();
    void callGoesThroughTheUsersRuntimeFolder();
    void folderThatCannotBeMadeStopsTheStart();
    void filesThatCannotBeCopiedAreReported();

private:
    QString Shipped() const { return root_->filePath("share/pomix/"); }
    QString User() const { return root_->filePath("home/.local/share/pomix/"); }

    std::unique_ptr<QTemporaryDir> root_;
    QStringList messages_;
    int forwardCalls_ = 0;
};

void ProgramStartTest::init() {
    root_ = std::make_unique<QTemporaryDir>();
    messages_.clear();
    forwardCalls_ = 0;
    SetMessagePresenter([this](MessageKind, const QString& text) {
        messages_ << text;
        return MessageAnswer::Ok;
    });
    SetBringForward([this] { ++forwardCalls_; });
    Write(Shipped() + "Data/Pomix.ini", "shipped settings");
    Write(Shipped() + "Lang/Russian.lng", "shipped dictionary");
    Write(Shipped() + "Media/alarm.wav", "RIFF");
    SetProgramDir(Std(root_->filePath("before")));
}

void ProgramStartTest::cleanup() {
    SetMessagePresenter({});
    SetBringForward({});
    SetProgramDir("");
}

void ProgramStartTest::commandLine() {
    const struct {
        std::vector<std::string> args;
        bool allOurs;
        std::optional<int> status;
        const char* out;  // a piece of what is printed to standard output
        const char* err;  // and to standard error
    } cases[] = {
        {{}, true, std::nullopt, "", ""},
        {{"--help"}, false, 0, "Usage: pomix", ""},
        {{"-h"}, true, 0, "--version", ""},
        {{"--version"}, false, 0, "pomix ", ""},
        // Before the window system has taken its own arguments they are let through.
        {{"-platform", "offscreen"}, false, std::nullopt, "", ""},
        {{"-platform", "offscreen", "--version"}, false, 0, "pomix ", ""},
        {{"Data/Pomix.ini"}, true, 2, "", "unknown argument 'Data/Pomix.ini'"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        const std::optional<int> status = AnswerCommandLine(c.args, c.allOurs, out, err);
        const QByteArray what = c.args.empty() ? QByteArray("(none)") : QByteArray(c.args.back().c_str());
        QVERIFY2(status == c.status, what);
        QVERIFY2(out.str().find(c.out) != std::string::npos, what);
        QVERIFY2(err.str().find(c.err) != std::string::npos, what);
        if (!c.status) QVERIFY2(out.str().empty() && err.str().empty(), what);
    }
}

void ProgramStartTest::firstStartFillsTheUserFolderAndLocksIt() {
    const auto running = PrepareProgramDir(Std(User()), Std(Shipped()));
    QVERIFY(running);
    QVERIFY(running->HoldsLock());
    QVERIFY(running->Answers());
    QVERIFY(messages_.isEmpty());
    QCOMPARE(QString::fromStdString(ProgramDir()), User());
    QCOMPARE(Read(User() + "Data/Pomix.ini"), QByteArray("shipped settings"));
    QCOMPARE(Read(User() + "Lang/Russian.lng"), QByteArray("shipped dictionary"));
    QCOMPARE(Read(User() + "Media/alarm.wav"), QByteArray("RIFF"));
    QVERIFY(QFile::exists(User() + "Data/pomix.lock"));

    // Run from its own folder (no shipped folder given) nothing is copied.
    const QString beside = root_->filePath("stick/");
    QDir().mkpath(beside + "Data");
    const auto portable = PrepareProgramDir(Std(beside), "");
    QVERIFY(portable);
    QVERIFY(!QFile::exists(beside + "Data/Pomix.ini"));
    QVERIFY(!QDir(beside + "Lang").exists());
}

void ProgramStartTest::secondStartIsRefusedTouchesNothingAndCallsTheFirst() {
    auto first = PrepareProgramDir(Std(User()), Std(Shipped()));
    QVERIFY(first);
    // The user has since changed the settings and removed the dictionary.
    Write(User() + "Data/Pomix.ini", "the user's settings");
    QFile::remove(User() + "Lang/Russian.lng");
    const QDateTime changed = QFileInfo(User() + "Data/Pomix.ini").lastModified();
    SetProgramDir(Std(root_->filePath("before")));

    // The same folder reached by another way of writing its path is the same data.
    const auto second = PrepareProgramDir(Std(root_->filePath("home/.local/share/../share/pomix")), Std(Shipped()));
    QVERIFY(!second);
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0], MessageString("AlreadyRunning"));
    QTRY_COMPARE(forwardCalls_, 1);
    // Nothing was copied, written or taken over.
    QVERIFY(!QFile::exists(User() + "Lang/Russian.lng"));
    QCOMPARE(Read(User() + "Data/Pomix.ini"), QByteArray("the user's settings"));
    QCOMPARE(QFileInfo(User() + "Data/Pomix.ini").lastModified(), changed);
    QCOMPARE(QString::fromStdString(ProgramDir()), root_->filePath("before/"));
    QVERIFY(first->HoldsLock());

    // Another data folder is another program's business.
    const auto other = PrepareProgramDir(Std(root_->filePath("other/")), Std(Shipped()));
    QVERIFY(other);
    QCOMPARE(messages_.size(), 1);

    // Once the first copy ends, the next start runs.
    first.reset();
    QVERIFY(PrepareProgramDir(Std(User()), Std(Shipped())));
    QCOMPARE(Read(User() + "Lang/Russian.lng"), QByteArray("shipped dictionary"));
}

void ProgramStartTest::killedCopyLeavesNoLockBehind() {
    QDir().mkpath(User() + "Data");
    const QByteArray lockPath = (User() + "Data/pomix.lock").toLocal8Bit();
    int ready[2];
    QCOMPARE(::pipe(ready), 0);
    ChildProcess child;
    child.pid = ::fork();
    if (child.pid == 0) {
        // Another program holding the lock: only system calls between fork and the kill.
        const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0644);
        if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
        if (::write(ready[1], "x", 1) != 1) ::_exit(1);
        for (;;) ::pause();
    }
    QVERIFY(child.pid > 0);
    ::close(ready[1]);
    char byte = 0;
    QCOMPARE(::read(ready[0], &byte, 1), ssize_t(1));
    ::close(ready[0]);

    QVERIFY(!PrepareProgramDir(Std(User()), Std(Shipped())));
    QCOMPARE(messages_.size(), 1);

    child.Kill();
    QVERIFY(QFile::exists(QString::fromLocal8Bit(lockPath)));
    const auto running = PrepareProgramDir(Std(User()), Std(Shipped()));
    QVERIFY(running);
    QVERIFY(running->HoldsLock());
    QCOMPARE(messages_.size(), 1);
}

void ProgramStartTest::socketOfAKilledCopyIsTakenOver() {
    // A killed copy leaves its socket file: bound, never removed.
    QDir().mkpath(User() + "Data");
    const QString name = TRunningCopy::CallName(Std(User()));
    const QByteArray path = (QDir::isAbsolutePath(name) ? name : QDir::tempPath() + "/" + name).toLocal8Bit();
    ::unlink(path.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    QVERIFY(std::size_t(path.size()) < sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    QVERIFY(QFile::exists(QString::fromLocal8Bit(path)));
    QVERIFY(!TRunningCopy::CallRunningCopy(Std(User())));

    const auto running = PrepareProgramDir(Std(User()), Std(Shipped()));
    QVERIFY(running);
    QVERIFY(running->Answers());
    QVERIFY(TRunningCopy::CallRunningCopy(Std(User())));
    QTRY_COMPARE(forwardCalls_, 1);
}

void ProgramStartTest::callGoesThroughTheUsersRuntimeFolder() {
    struct RestoreRuntimeDir {
        QByteArray value = qgetenv("XDG_RUNTIME_DIR");
        bool set = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        ~RestoreRuntimeDir() { set ? qputenv("XDG_RUNTIME_DIR", value) : qunsetenv("XDG_RUNTIME_DIR"); }
    } restore;
    const QString runtime = root_->filePath("run");
    QDir().mkpath(runtime);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    QString name;
    {
        const auto running = PrepareProgramDir(Std(User()), Std(Shipped()));
        QVERIFY(running);
        name = TRunningCopy::CallName(Std(User()));
        QVERIFY(running->Answers());
        QVERIFY(TRunningCopy::CallRunningCopy(Std(User())));
        QTRY_COMPARE(forwardCalls_, 1);
        QVERIFY(QFileInfo::exists(name));
    }
    QVERIFY(name.startsWith(runtime + "/pomix-"));
}

void ProgramStartTest::folderThatCannotBeMadeStopsTheStart() {
    Write(root_->filePath("home/.local"), "a file where a folder belongs");
    QVERIFY(!PrepareProgramDir(Std(User()), Std(Shipped())));
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0], MessageString("DataFolderFailed").arg(User() + "Data/"));
    QCOMPARE(QString::fromStdString(ProgramDir()), root_->filePath("before/"));

    QVERIFY(!PrepareProgramDir("", Std(Shipped())));  // no home at all
    QCOMPARE(messages_.size(), 2);
    QVERIFY(messages_[1].contains(QStringLiteral("HOME")));
}

void ProgramStartTest::filesThatCannotBeCopiedAreReported() {
    Write(User() + "Lang", "a file where the dictionaries belong");
    const auto running = PrepareProgramDir(Std(User()), Std(Shipped()));
    QVERIFY(running);  // the program still runs: the settings and sound are there
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_[0].contains(User() + "Lang"));
    QCOMPARE(Read(User() + "Data/Pomix.ini"), QByteArray("shipped settings"));
}

QTEST_MAIN(ProgramStartTest)
#include "program_start_test.moc"
