#include "LinuxCommands.h"

#include "Log.h"

#include <QProcess>

#include <chrono>
#include <future>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace zelk {

std::optional<CommandResult> runCommand(const char* caller, const QString& program, const QStringList& arguments,
                                        int timeoutMs)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    // Untranslated output, so that it can be read.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C");
    process.setProcessEnvironment(environment);
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(timeoutMs)) {
        zlog("LinuxCommands", caller) << "could not start" << program << process.errorString();
        return std::nullopt;
    }
    if (!process.waitForFinished(timeoutMs)) {
        zlog("LinuxCommands", caller) << program << "did not end within" << timeoutMs << "ms";
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        zlog("LinuxCommands", caller) << program << "crashed";
        return std::nullopt;
    }
    return CommandResult{process.exitCode(), process.readAllStandardOutput()};
}

std::optional<int> startCommand(const char* caller, const QString& program, const QStringList& arguments,
                                int timeoutMs, bool* running)
{
    *running = false;
    std::vector<QByteArray> storage;
    storage.push_back(program.toLocal8Bit());
    for (const QString& a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ)) {
        zlog("LinuxCommands", caller) << "could not start" << program << "error" << error;
        return std::nullopt;
    }
    // The waiter reaps the child whenever it ends, also after we stopped
    // waiting for it, so that no zombie stays behind.
    auto status = std::make_shared<std::promise<int>>();
    std::future<int> done = status->get_future();
    std::thread([pid, status] {
        int raw = 0;
        while (waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
        }
        status->set_value(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
    }).detach();
    if (done.wait_for(std::chrono::milliseconds(timeoutMs)) != std::future_status::ready) {
        *running = true;
        return std::nullopt;
    }
    return done.get();
}

} // namespace zelk
