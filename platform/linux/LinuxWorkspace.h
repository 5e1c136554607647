#pragma once
// Applications on an X11 desktop.
//
// An application is a process with top-level windows (EWMH _NET_CLIENT_LIST,
// or the root window's children when no window manager runs), or a
// windowless process of a known program (background) started on the same
// X display (its DISPLAY): another display's programs are another desktop's. It is named by its
// desktop entry, matched through StartupWMClass / WM_CLASS or the program
// it runs: name the entry's file name, path the entry, displayName its
// Name. Zelk's own bundles keep their names ("Zelk Editor.app"); any other
// program is named by its executable's file name and path.
//
// The front application is the one of the active window (_NET_ACTIVE_WINDOW,
// or the input focus without a window manager); transient and nameless
// windows don't count: a dialog stands for its owner, a nameless window
// leaves the front as it was. Observers hear of front changes (also a
// change of the front window's class or title) and of launches and quits
// (from window-list changes and, for background programs, a poll of /proc
// once a second while anyone observes), on the main thread.
#include "DesktopServices.h"
#include "XSession.h"

#include <QList>
#include <memory>

namespace zelk {

class LinuxWorkspace : public Workspace {
public:
    static constexpr int kPollMilliseconds = 1000;

    explicit LinuxWorkspace(std::shared_ptr<XSession> session);
    ~LinuxWorkspace() override;

    std::optional<RunningApplication> frontApplication() override;
    QList<RunningApplication> runningApplications() override;
    // The entries of the applications in the desktop's recently-used store
    // (recently-used.xbel) and those launched here, by their last use.
    QStringList recentApplications() override;
    qint64 ownPid() const override;
    // A desktop entry (its Exec with the field codes filled in; in the
    // user's terminal when the entry says Terminal=true), a bundle (its
    // Contents/MacOS executable) or an executable, started detached.
    bool launchApplication(const QString& path, const QStringList& documents = {}, qint64* pid = nullptr) override;
    bool openPath(const QString& pathOrUrl) override;
    bool activate(qint64 pid) override;
    bool hide(qint64 pid) override;
    bool unhide(qint64 pid) override;
    // WM_DELETE_WINDOW to each window that takes it, else SIGTERM.
    bool quit(qint64 pid) override;
    bool terminate(qint64 pid, bool force) override;
    [[nodiscard]] ObserverHandle observeApplications(std::function<void(const RunningApplication&, bool)> observer,
                                                     Programs programs = Programs::All) override;
    [[nodiscard]] ObserverHandle observeFrontApplication(std::function<void(const std::optional<RunningApplication>&)> observer) override;
    // See UserTerminal.
    QString terminalApplication() override;

    // Whether the process list is polled now (on the main thread).
    bool pollsProcessList() const;
    // Any X display can be read (EWMH needs no permission).
    bool canReadWindows() override;
    // The window that makes the front application (see above); its title
    // is _NET_WM_NAME, else WM_NAME.
    std::optional<FocusedWindow> focusedWindow() override;

    // The front application's windows, read with the session's lock held
    // (the caller's): the active window when it is one of them (else the
    // main one), the main window as the front is decided above, and all
    // its windows bottom to top. Zeros and none without a front window.
    struct FrontWindows {
        unsigned long focused = 0, main = 0;
        QList<unsigned long> all;
        bool windowManager = false;
    };
    FrontWindows frontWindows(XSession::Lock& lock);
    // Raises a window and gives it the focus (through the window manager
    // when one runs); minimised or hidden: iconified, unmapped.
    bool activateWindow(XSession::Lock& lock, unsigned long window);
    bool isWindowHidden(XSession::Lock& lock, unsigned long window);
    bool hasWindowManager(XSession::Lock& lock);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zelk
