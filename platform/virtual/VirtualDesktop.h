#pragma once
// The virtual desktop's services beyond input posting, each driven by tests:
// hot keys the user "presses", applications that launch, quit and come to
// the front, sleep and wake, network and calendar changes, a US keyboard
// layout, a clock that only moves when told, and login items.
#include "DesktopServices.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <atomic>
#include <memory>
#include <mutex>

namespace zelk {

class VirtualHotKeys : public HotKeyService {
public:
    int registerHotKey(quint32 code, quint64* ref) override;
    void unregisterHotKey(quint64 ref) override;
    void setHandler(Handler handler) override;

    // Test controls. A press of a registered code reaches the handler and
    // answers true; an unregistered one answers false (it would reach the
    // front application).
    bool userPresses(quint32 code);
    bool userReleases(quint32 code);
    bool isRegistered(quint32 code) const;
    QList<quint32> registeredCodes() const;  // sorted
    void grabElsewhere(quint32 code, bool grabbed = true); // another program holds it
    QList<quint32> desktopHotKeys() override;
    void setDesktopHotKeys(const QList<quint32>& codes); // what the desktop's configuration binds

private:
    bool deliver(quint32 code, bool pressed);
    mutable std::mutex m_mutex;
    QHash<quint64, quint32> m_byRef;
    QSet<quint32> m_elsewhere;
    QList<quint32> m_desktopHotKeys;
    quint64 m_nextRef = 1;
    Handler m_handler;
};

class VirtualWorkspace : public Workspace {
public:
    VirtualWorkspace();
    std::optional<RunningApplication> frontApplication() override;
    QList<RunningApplication> runningApplications() override;
    // What was launched through the interface, latest first, then the
    // desktop's record as a test set it.
    QStringList recentApplications() override;
    qint64 ownPid() const override { return m_ownPid; }
    bool launchApplication(const QString& path, const QStringList& documents, qint64* pid) override;
    bool openPath(const QString& pathOrUrl) override;
    bool activate(qint64 pid) override;
    bool hide(qint64 pid) override;
    bool unhide(qint64 pid) override;
    bool quit(qint64 pid) override;
    bool terminate(qint64 pid, bool force) override;
    [[nodiscard]] ObserverHandle observeApplications(std::function<void(const RunningApplication&, bool)> observer,
                                                     Programs programs = Programs::All) override;
    [[nodiscard]] ObserverHandle observeFrontApplication(std::function<void(const std::optional<RunningApplication>&)> observer) override;
    QString terminalApplication() override;
    bool canReadWindows() override;
    std::optional<FocusedWindow> focusedWindow() override;

    // Test controls.
    // The focused window of an application (none: it has no window); an
    // application starts without one.
    void setFocusedWindow(qint64 pid, const std::optional<FocusedWindow>& window);
    void setWindowsReadable(bool readable);
    // Applications are named by their file name ("gedit.desktop");
    // the path defaults to /usr/share/applications/<name>.
    qint64 userLaunches(const QString& name, const QString& path = {}, bool background = false);
    void userQuits(qint64 pid);
    void userActivates(qint64 pid);
    qint64 pidOf(const QString& name) const; // 0 when not running
    void setOwnPid(qint64 pid) { m_ownPid = pid; }
    void setRefusesToQuit(qint64 pid, bool refuses);
    void setTerminalApplication(const QString& path); // none by default
    // The desktop's record of recently used applications, most recent first.
    void setRecentlyUsed(const QStringList& paths);
    // Every request made through the interface, in order: "launch <path> [docs]",
    // "open <path>", "activate <name>", "hide <name>", "unhide <name>",
    // "quit <name>", "terminate <name>", "kill <name>".
    QStringList requests() const;
    void clearRequests();
    // How many observers of launches and quits of these programs are registered.
    int applicationObservers(Programs programs) const
    {
        return int(m_applicationObserverTokens[programs == Programs::All].use_count()) - 1;
    }

private:
    void setFront(qint64 pid, std::unique_lock<std::mutex>& lock);
    void removeApp(qint64 pid, std::unique_lock<std::mutex>& lock);
    RunningApplication* find(qint64 pid);
    qint64 firstShownPid() const; // the application that comes forward when the front one goes
    mutable std::mutex m_mutex;
    QList<RunningApplication> m_apps;
    QSet<qint64> m_refusing;
    QHash<qint64, FocusedWindow> m_windows;
    bool m_windowsReadable = true;
    qint64 m_front = 0;
    qint64 m_nextPid = 1000;
    qint64 m_ownPid = 1;
    // One copy per observer: [0] with windows, [1] all programs.
    std::shared_ptr<char> m_applicationObserverTokens[2] = {std::make_shared<char>(), std::make_shared<char>()};
    QStringList m_requests;
    QString m_terminal;
    QStringList m_launched;     // latest first
    QStringList m_recentlyUsed;
    NotificationCenter m_center;
};

class VirtualPower : public PowerService {
public:
    [[nodiscard]] ObserverHandle observe(std::function<void(Event, std::function<void()>)> observer) override;
    // Tells every observer; answers how many observers have not called done().
    int simulate(Event event);
    int pendingReplies() const;

private:
    mutable std::mutex m_mutex;
    NotificationCenter m_center;
    std::shared_ptr<std::atomic<int>> m_pending = std::make_shared<std::atomic<int>>(0);
};

class VirtualNetwork : public NetworkService {
public:
    [[nodiscard]] ObserverHandle observe(std::function<void(const QString&, bool)> observer) override;
    void simulateChange(const QString& key, bool present);

private:
    NotificationCenter m_center;
};

class VirtualCalendar : public CalendarService {
public:
    [[nodiscard]] ObserverHandle observe(std::function<void(int, const QString&)> observer) override;
    void simulateChange(int kind, const QString& senderProcess);

private:
    NotificationCenter m_center;
};

// A US layout: letters, digits and punctuation with shift; option-e then a
// vowel for the acute accents (a dead key), as on the layout the stored key
// codes come from.
class VirtualKeyboardLayout : public KeyboardLayout {
public:
    QString layoutName() override { return "us"; }
    QList<quint16> keystrokesForCharacter(char32_t c) override;
    QString characterForKey(quint16 keyCode, quint16 modifiers) override;
    bool capsLockOn() override { return m_capsLock.load(); }
    bool isFunctionKey(quint16 keyCode) override;
    [[nodiscard]] ObserverHandle observeLayoutChanges(std::function<void()> observer) override;
    void simulateLayoutChange();
    void setCapsLock(bool on) { m_capsLock.store(on); }
    // The keys that count as function keys; the US keyboard's by default.
    void setFunctionKeys(const QSet<quint16>& keyCodes);
    static QSet<quint16> usFunctionKeys();

private:
    NotificationCenter m_center;
    std::atomic<bool> m_capsLock{false};
    std::mutex m_mutex;
    QSet<quint16> m_functionKeys = usFunctionKeys();
};

class VirtualClock : public Clock {
public:
    VirtualClock();
    QDateTime now() override;
    [[nodiscard]] ObserverHandle scheduleAt(const QDateTime& when, std::function<void()> fn) override;
    void setNow(const QDateTime& now);      // fires what fell due, in date order
    void advance(double seconds);
    int pendingTimers() const;

private:
    void fireDue(std::unique_lock<std::mutex>& lock);
    mutable std::mutex m_mutex;
    QDateTime m_now;
    QMultiMap<QDateTime, QString> m_timers; // date -> notification name
    quint64 m_next = 1;
    NotificationCenter m_center;
};

class VirtualLoginItems : public LoginItems {
public:
    bool setEnabled(const QString& identifier, const QString& path, bool enabled) override;
    bool isEnabled(const QString& identifier) override;

private:
    std::mutex m_mutex;
    QMap<QString, QString> m_items;
};

// Child processes run for real (they are the tests' own programs); the
// terminal only records what it was asked to run.
class VirtualProcesses : public ProcessService {
public:
    ProcessResult run(const QString& program, const QStringList& arguments,
                      const std::function<bool()>& keepRunning) override;
    bool runInTerminal(const QString& commandLine, QString* error) override;

    // Test controls: the command lines handed to the terminal, in order;
    // a terminal that fails to start.
    QStringList terminalCommands() const;
    void setTerminalMissing(bool missing);

private:
    mutable std::mutex m_mutex;
    QStringList m_terminal;
    bool m_terminalMissing = false;
};

// The engine's commands without a bus: tests play the other programs.
class VirtualCommandService : public CommandService {
public:
    bool claimName() override;
    bool publish(EngineCommands* commands) override;
    void withdraw() override;
    // Answered by the other program that holds the name, taken to be a
    // running engine; counted.
    bool askRunningEngineToReopen() override;
    // Counted like a reopen; the URLs are kept.
    bool askRunningEngineToOpenURL(const QString& url) override;
    void announceHotKey(const QString& code) override;

    // Test controls: another program of the session holds the name; the
    // published commands (nullptr when none), for the tests to call.
    void setNameTaken(bool taken);
    int reopenRequests() const;
    bool ownsName() const;
    EngineCommands* published() const;
    QStringList urlRequests() const;
    QStringList hotKeyAnnouncements() const;

private:
    mutable std::mutex m_mutex;
    QStringList m_urls, m_announcements;
    bool m_nameTaken = false;
    bool m_ownsName = false;
    int m_reopenRequests = 0;
    EngineCommands* m_commands = nullptr;
};

// Documents and the file manager in memory: every request is logged, and
// tests say what the user copied, what was used recently and what the
// desktop cannot open.
class VirtualDocumentServices : public DocumentServices {
public:
    bool openWithDefault(const QString& pathOrUrl) override;
    bool showFolders(const QStringList& folders) override;
    bool showItems(const QStringList& paths) override;
    std::optional<QStringList> copiedFiles() override;
    QList<RecentDocument> recentDocuments() override;

    // Test controls. Requests: "open <item>", "show-folders <a> <b>",
    // "show-items <a> <b>". An item the desktop cannot open is logged and
    // answered false; without a file manager showing fails.
    QStringList requests() const;
    void clearRequests();
    void setCannotOpen(const QString& pathOrUrl, bool cannot = true);
    void setFileManagerAvailable(bool available);
    void userCopiesFiles(const QStringList& paths);  // what copiedFiles() answers
    void setClipboardUnreadable(bool unreadable);
    void setRecentDocuments(const QList<RecentDocument>& documents);

private:
    mutable std::mutex m_mutex;
    QStringList m_requests;
    QSet<QString> m_cannotOpen;
    bool m_fileManager = true;
    QStringList m_copied;
    bool m_unreadable = false;
    QList<RecentDocument> m_recent;
};

// A print system in memory: installed printers, the user's default and the
// jobs sent.
class VirtualPrintService : public PrintService {
public:
    QStringList printers() override;
    QString defaultPrinter() override;
    bool setDefaultPrinter(const QString& name) override;
    bool printFile(const QString& path, const QString& printer) override;

    // Test controls. Requests: "default <name>", "print <printer or
    // (default)> <path>"; a printer that is not installed refuses both.
    void setPrinters(const QStringList& names, const QString& defaultPrinter = {});
    QStringList requests() const;
    void clearRequests();

private:
    mutable std::mutex m_mutex;
    QStringList m_printers;
    QString m_default;
    QStringList m_requests;
};

} // namespace zelk
