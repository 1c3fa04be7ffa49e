#include "app/program_start.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QStringList>
#include <climits>
#include <cstdlib>
#include <iostream>

#include "core/settings/program_files.h"
#include "core/settings/user_folder.h"
#include "storage/errors.h"
#include "kit/desktop.h"
#include "kit/message.h"

#ifndef POMIX_VERSION
#define POMIX_VERSION "unknown"
#endif

namespace pomix {

namespace {

const char kUsage[] =
    "Usage: pomix [--help | --version]\n"
    "Pomix, a personal organizer: planner, address book, notes, catalog and debt book.\n"
    "\n"
    "  --help      print this text and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "The data, dictionaries and sounds live in Data/, Lang/ and Media/ beside the program when\n"
    "a Data/ folder is there; otherwise in $XDG_DATA_HOME/pomix (~/.local/share/pomix).\n"
    "One copy of the program runs on one data folder.\n";

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

}  // namespace

std::optional<int> AnswerCommandLine(const std::vector<std::string>& args, bool allArgumentsOurs, std::ostream& out,
                                     std::ostream& err) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
        if (arg == "--version") {
            out << "pomix " << POMIX_VERSION << "\n";
            return 0;
        }
    }
    if (!allArgumentsOurs || args.empty()) return std::nullopt;
    err << "pomix: unknown argument '" << args.front() << "'\nTry 'pomix --help'.\n";
    return 2;
}

TRunningCopy::TRunningCopy(DataFolderLock lock, const std::string& programDir) : lock_(std::move(lock)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = CallName(programDir);
    // Holding the lock, no other copy can be listening: a name still taken is the socket a
    // killed copy left behind.
    if (!server_.listen(name) && lock_.Locked()) {
        QLocalServer::removeServer(name);
        server_.listen(name);
    }
    connect(&server_, &QLocalServer::newConnection, this, &TRunningCopy::Answer);
}

TRunningCopy::~TRunningCopy() { server_.close(); }

QString TRunningCopy::CallName(const std::string& programDir) {
    // The same folder reached by another path (a link, a trailing slash) is the same data.
    const QByteArray folder = QByteArray::fromStdString(RealPath(DataDirIn(programDir)));
    const QByteArray hash = QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(16);
    const QString name = QStringLiteral("pomix-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
    // The user's own runtime folder, where nobody else can take the name first; the shared
    // temporary folder only where there is none.
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    return runtime.startsWith(QLatin1Char('/')) ? runtime + QLatin1Char('/') + name : name;
}

bool TRunningCopy::CallRunningCopy(const std::string& programDir) {
    QLocalSocket socket;
    socket.connectToServer(CallName(programDir));
    if (!socket.waitForConnected(1000)) return false;
    socket.write("forward\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

void TRunningCopy::Answer() {
    while (QLocalSocket* caller = server_.nextPendingConnection()) {
        connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
        caller->disconnectFromServer();
        BringProgramForward();
    }
}

std::unique_ptr<TRunningCopy> PrepareProgramDir(const std::string& programDir,
                                                const std::string& shippedDir,
                                                std::optional<DataFolderLock> early) {
    if (programDir.empty()) {
        ShowError(MessageString("NoHome"));
        return nullptr;
    }
    try {
        MakeDataFolder(programDir);
    } catch (const EFileError&) {
        ShowError(MessageString("DataFolderFailed").arg(MessageArg(DataDirIn(programDir))));
        return nullptr;
    }
    DataFolderLock lock = early ? std::move(*early) : DataFolderLock(DataDirIn(programDir));
    switch (lock.GetState()) {
        case DataFolderLock::State::HeldElsewhere:
            // Also for a start from a terminal, where the box may not be seen.
            std::cerr << "pomix: already running with the data in " << programDir << "\n";
            ShowError(MessageString("AlreadyRunning"));
            TRunningCopy::CallRunningCopy(programDir);
            return nullptr;
        case DataFolderLock::State::Failed:
            // A folder that takes no lock file takes no saves either; only a writable one
            // that cannot be locked (a network share) leaves a second copy unguarded.
            if (::access(DataDirIn(programDir).c_str(), W_OK) == 0) {
                ShowError(MessageString("LockFailed").arg(MessageArg(DataDirIn(programDir))));
            }
            break;
        case DataFolderLock::State::Locked: break;
    }
    if (!shippedDir.empty()) {
        const PopulateResult copied = PopulateProgramDir(shippedDir, programDir);
        if (!copied.errors.empty()) {
            QStringList errors;
            for (const std::string& error : copied.errors) errors << MessageArg(error);
            ShowError(MessageString("ShippedFilesFailed").arg(errors.join(QLatin1Char('\n'))));
        }
    }
    SetProgramDir(programDir);
    return std::make_unique<TRunningCopy>(std::move(lock), programDir);
}

}  // namespace pomix
