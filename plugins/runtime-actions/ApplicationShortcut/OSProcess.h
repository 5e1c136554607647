#pragma once
// One running application, as the application actions act on it: bring it
// to the front, show, hide, quit or end it, and wait until it has gone.
// Wraps the workspace's RunningApplication (zelk::Platform): the process id
// stands for the process serial number, the desktop entry (or bundle, or
// executable) for the bundle.
//
// Every wait is bounded (waitLimits()) and polls the workspace; quitting
// asks the application, force-quitting ends the process for good: SIGTERM,
// a short grace, then SIGKILL.
#include "DesktopServices.h"

#include <QString>
#include <memory>
#include <optional>

namespace zelk::engine {

class OSProcess {
public:
    // Status codes of quit() and forceQuit() besides 0.
    static constexpr int ErrorNoSuchProcess = -600;  // the process is not running (any more)
    static constexpr int ErrorStillRunning = -609;   // it did not go within the wait limit

    // Upper bounds of the waits, in seconds.
    struct WaitLimits {
        double quit = 10;      // until a quit application has gone
        double terminate = 2;  // SIGTERM's grace before SIGKILL
        double front = 2;      // until an activated application is in front
        double launch = 30;    // until a launched application runs
    };
    static WaitLimits waitLimits();
    static void setWaitLimits(const WaitLimits& limits);

    explicit OSProcess(const RunningApplication& process);  // initWithProcess

    qint64 PSNumber() const { return m_process.pid; }
    // The process name: what the user calls it.
    QString name() const;
    // The file name of its entry or bundle without the extension.
    QString pathName() const;
    // The full path of its entry, bundle or executable; empty when none.
    QString path() const { return m_process.path; }
    bool isFront() const;
    bool isBackground() const { return m_process.background; }

    // Activates it, then waits in steps of 0.1 s until it is in front.
    void makeFront() const;
    void hide() const;
    void show() const;
    // Asks it to quit, then waits until no process of its file name runs.
    int quit() const;
    // Ends it (SIGTERM, then SIGKILL when it is still there after the
    // grace), then waits as quit() does.
    int forceQuit() const;

    // Some running process, background ones included, has an entry or
    // bundle of the same file name as path (extension included).
    static bool isProcessLaunchedWithPath(const QString& path);
    // Some running process, background ones included, has an entry or
    // bundle whose file name without extension is name.
    static bool isAppLaunchedWithName(const QString& name);
    // The first running process of any kind whose pathName() is name.
    static std::shared_ptr<OSProcess> anyProcessWithPathName(const QString& name);
    // Waits, in steps of 0.2 s, until isProcessLaunchedWithPath(path) is
    // false or the quit limit has passed; true when it has gone.
    static bool waitProcessQuitWithPath(const QString& path);

private:
    // The wait of quit() and forceQuit(): by file name, or by process id
    // for a process without a path.
    bool waitGone() const;

    RunningApplication m_process;
};

} // namespace zelk::engine
