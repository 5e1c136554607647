#include "ChildProcesses.h"

#include "Log.h"

#include <QProcess>

namespace zelk {

ProcessResult runChildProcess(const QString& program, const QStringList& arguments,
                              const std::function<bool()>& keepRunning)
{
    ProcessResult result;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(-1)) {
        result.error = process.errorString();
        zlog("ChildProcesses", "runChildProcess") << "cannot start" << program << ":" << result.error;
        return result;
    }
    result.started = true;
    // Output is read as it comes, so a talkative child never blocks on a full pipe.
    while (!process.waitForFinished(50)) {
        if (process.state() == QProcess::NotRunning)
            break;
        result.output += process.readAllStandardOutput();
        result.errorOutput += process.readAllStandardError();
        if (keepRunning && !result.stopped && !keepRunning()) {
            result.stopped = true;
            process.terminate();
            if (!process.waitForFinished(1000))
                process.kill();
        }
    }
    process.waitForFinished(-1);
    result.output += process.readAllStandardOutput();
    result.errorOutput += process.readAllStandardError();
    // As system() answers: the exit code in the second byte, or the signal.
    result.status = process.exitStatus() == QProcess::NormalExit ? (process.exitCode() & 0xff) << 8 : process.exitCode();
    if (process.exitStatus() == QProcess::CrashExit && result.status == 0)
        result.status = 0x7f;
    return result;
}

} // namespace zelk
