#pragma once
// Desktop services beyond input posting: hot keys, applications, power,
// network, calendar, keyboard layout, time, the login item and the engine's
// commands for other programs. One small
// interface each; Platform hands out the backend's instances. Observers are
// called on the thread that runs the Qt event loop unless a comment says
// otherwise; dropping the returned handle removes the observer.
#include "NotificationCenter.h"

#include <QDateTime>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zelk {

// Key combinations registered with the desktop. A code is the stored key
// word: key code in bits 0-15, modifier flags caps lock 0x10000, shift
// 0x20000, control 0x40000, option 0x80000, command 0x100000, numeric pad
// 0x200000, function 0x800000.
class HotKeyService {
public:
    using Handler = std::function<void(quint32 code, bool pressed)>;
    static constexpr int ErrorAlreadyRegistered = -9878; // this process holds the combination
    static constexpr int ErrorGrabbedElsewhere = -9879;  // another program holds it
    static constexpr int ErrorUnavailable = -9880;       // no desktop to register with
    static constexpr int ErrorNoSuchKey = -9881;         // the layout has no such key

    // Two codes name one combination when they agree on the key and the
    // modifier flags (bits 0-20): the numeric-pad and function flags do not
    // count, since the desktop grabs keys, not flags.
    static constexpr quint32 CombinationMask = 0x1FFFFF;
    static constexpr bool sameCombination(quint32 a, quint32 b)
    {
        return (a & CombinationMask) == (b & CombinationMask);
    }

    virtual ~HotKeyService() = default;
    // 0 and a non-zero *ref on success; else an error code and *ref = 0.
    virtual int registerHotKey(quint32 code, quint64* ref) = 0;
    virtual void unregisterHotKey(quint64 ref) = 0;
    // Presses and releases of registered combinations, on the main thread.
    // One handler per process; a new one replaces the old.
    virtual void setHandler(Handler handler) = 0;
    // The combinations the desktop's own configuration binds (key code and
    // modifier flags), read afresh on each call; empty where none can be read.
    virtual QList<quint32> desktopHotKeys() { return {}; }
};

// The focused window of the front application, as the workspace sees it.
struct FocusedWindow {
    QString title;
    bool hasTitle = false; // a window may have no title at all
    bool operator==(const FocusedWindow&) const = default;
};

struct RunningApplication {
    qint64 pid = 0;
    QString name;        // file name with extension: "org.gnome.gedit.desktop", "Zelk Editor.app", "xterm"
    QString path;        // the desktop entry, bundle or executable
    QString displayName; // what the user calls it
    bool hidden = false;
    bool background = false; // no window of its own
    bool operator==(const RunningApplication&) const = default;
};

class Workspace {
public:
    virtual ~Workspace() = default;
    virtual std::optional<RunningApplication> frontApplication() = 0;
    virtual QList<RunningApplication> runningApplications() = 0;
    // Paths of the applications used lately, most recent first and at most
    // kRecentApplications: those the desktop records as having opened files,
    // merged with those started through launchApplication.
    static constexpr int kRecentApplications = 10;
    virtual QStringList recentApplications() = 0;
    virtual qint64 ownPid() const = 0;
    // Starts an application (a desktop entry, bundle or executable) with
    // optional documents; *pid is set when known.
    virtual bool launchApplication(const QString& path, const QStringList& documents = {}, qint64* pid = nullptr) = 0;
    // Opens a file, folder or URL with its default application.
    virtual bool openPath(const QString& pathOrUrl) = 0;
    virtual bool activate(qint64 pid) = 0;
    virtual bool hide(qint64 pid) = 0;
    virtual bool unhide(qint64 pid) = 0;
    // Asks the application to quit (it may refuse or take its time).
    virtual bool quit(qint64 pid) = 0;
    // Ends the process: SIGTERM, or SIGKILL when force.
    virtual bool terminate(qint64 pid, bool force) = 0;
    // Which launches and quits an observer hears of. Programs with a window
    // show on the desktop as they come and go; those without one are found
    // only by polling the process list, which runs only while an observer
    // asks for them.
    enum class Programs { WithWindows, All };
    [[nodiscard]] virtual ObserverHandle observeApplications(std::function<void(const RunningApplication&, bool launched)> observer,
                                                             Programs programs = Programs::All) = 0;
    [[nodiscard]] virtual ObserverHandle observeFrontApplication(std::function<void(const std::optional<RunningApplication>&)> observer) = 0;
    // The user's terminal emulator, as a path launchApplication takes;
    // empty when none is known.
    virtual QString terminalApplication() { return {}; }
    // Whether windows of other applications can be read at all (no
    // desktop: false).
    virtual bool canReadWindows() = 0;
    // The front application's focused window; none when it has no window.
    virtual std::optional<FocusedWindow> focusedWindow() = 0;
};

// Top-level windows of the front application and the main screen, as the
// window manager knows them. A window is an opaque id, 0 for none; every
// call on a window that went away fails. Safe from any thread; nothing
// here asks for the accessibility interface, so an application that
// exposes none is still served.
class WindowService {
public:
    using WindowId = quint64;
    enum class Orientation { Vertical, Horizontal };
    virtual ~WindowService() = default;

    // The front application's window with the input focus (a dialog
    // counts) and its main window (the one a dialog belongs to; the
    // focused one when that is no dialog). 0 when it has none.
    virtual WindowId focusedWindow() = 0;
    virtual WindowId mainWindow() = 0;
    // Every window of the front application, minimised ones included,
    // the top of the stack last.
    virtual QList<WindowId> frontApplicationWindows() = 0;
    // The window's outer frame (its decorations included) in global
    // coordinates; none when it cannot be read.
    virtual std::optional<QRect> frame(WindowId window) = 0;
    virtual std::optional<bool> isMinimized(WindowId window) = 0;

    // Each answers false when the window is gone or the desktop refused.
    // A move or resize answers once the window manager has carried it out
    // (a bounded wait), and false when the window did not change at all.
    virtual bool moveWindow(WindowId window, const QPoint& frameTopLeft) = 0;
    virtual bool resizeWindow(WindowId window, const QSize& frameSize) = 0;
    // Maximised, or back to its size before.
    virtual bool zoomWindow(WindowId window) = 0;
    virtual bool minimizeWindow(WindowId window) = 0;
    virtual bool unminimizeWindow(WindowId window) = 0;
    // Asks the window to close (its application may ask the user first).
    virtual bool closeWindow(WindowId window) = 0;
    // To the top of the stack with the focus; to the bottom of the stack.
    virtual bool activateWindow(WindowId window) = 0;
    virtual bool lowerWindow(WindowId window) = 0;

    // Scrolls the window's content by count lines or pages, down or right
    // for a positive count; false when it cannot be scrolled that way.
    virtual bool scrollWindow(WindowId window, Orientation orientation, bool pages, int count) = 0;
    // Its scroll bar's position, 0 at the top or left edge to 1; none when
    // it has no scroll bar that can be read, and false when it cannot be set.
    virtual std::optional<double> scrollPosition(WindowId window, Orientation orientation) = 0;
    virtual bool setScrollPosition(WindowId window, Orientation orientation, double position) = 0;

    // The main screen's frame in global coordinates (top-left origin, y
    // down); empty when there is no screen.
    virtual QRect mainScreenFrame() = 0;
};

// One representation of what the clipboard holds: a MIME type and its bytes.
struct ClipboardItem {
    QString type;
    QByteArray data;
    bool operator==(const ClipboardItem&) const = default;
};

// The desktop's clipboard. Safe from any thread (the work is done on the
// main thread, the caller waiting); without a window system every read
// answers nothing and every write is dropped, logged.
class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    // Goes up on every change of the clipboard, by this process or another.
    virtual quint64 changeCount() = 0;
    // The plain text; none when the clipboard holds no text.
    virtual std::optional<QString> text() = 0;
    // The text alone (every other representation goes).
    virtual void setText(const QString& text) = 0;
    // Every representation, in the clipboard's order.
    virtual QList<ClipboardItem> items() = 0;
    virtual void setItems(const QList<ClipboardItem>& items) = 0;
};

// How a child process ended. status is the wait status the C library's
// system() answers: the exit code times 256, or the number of the signal
// that ended it.
struct ProcessResult {
    bool started = false;
    bool stopped = false;  // ended because keepRunning() said no
    int status = 0;
    QByteArray output;       // standard output
    QByteArray errorOutput;  // standard error
    QString error;           // why it did not start
};

// Child processes of the engine: commands and scripts of the actions.
class ProcessService {
public:
    virtual ~ProcessService() = default;
    // Runs a program with its arguments (no shell in between) and waits
    // until it ends. keepRunning (may be empty) is asked every 50 ms; on
    // false the process gets SIGTERM, and SIGKILL a second later.
    virtual ProcessResult run(const QString& program, const QStringList& arguments,
                              const std::function<bool()>& keepRunning) = 0;
    // Opens the desktop's terminal emulator running the command line with
    // /bin/sh -c; false, with the reason in *error, when none started.
    virtual bool runInTerminal(const QString& commandLine, QString* error) = 0;
};

// Documents, folders and web addresses handed to the desktop, the file
// manager, and the files the user copied. Linux publishes no file-manager
// selection: the files the user copied stand for it. Every call may block
// the calling thread for a bounded time; none is for the main thread's hot
// paths.
struct RecentDocument {
    QString displayName;
    QString path; // empty when the entry names no local file any more
    bool operator==(const RecentDocument&) const = default;
};

class DocumentServices {
public:
    virtual ~DocumentServices() = default;
    // Opens a file, folder or URL with the default application of its type
    // or scheme; false when the desktop answers that it could not.
    virtual bool openWithDefault(const QString& pathOrUrl) = 0;
    // Shows each folder in a file-manager window.
    virtual bool showFolders(const QStringList& folders) = 0;
    // Shows each item selected in its folder's window.
    virtual bool showItems(const QStringList& paths) = 0;
    // The local files the user copied last, in order; empty when none;
    // nullopt when the clipboard cannot be read.
    virtual std::optional<QStringList> copiedFiles() = 0;
    // The user's recently used documents, most recent first.
    virtual QList<RecentDocument> recentDocuments() = 0;
};

// Printers of the print system and print jobs.
class PrintService {
public:
    virtual ~PrintService() = default;
    // The installed printers' names, in the print system's order.
    virtual QStringList printers() = 0;
    // The user's default printer; empty when none.
    virtual QString defaultPrinter() = 0;
    // Makes the printer the user's default; false when the print system refuses.
    virtual bool setDefaultPrinter(const QString& name) = 0;
    // Prints a file on the printer, the default one when empty, for this
    // job only; false when the job was not accepted.
    virtual bool printFile(const QString& path, const QString& printer) = 0;
};

// Sleep, wake and power-off. For WillSleep and WillPowerOff the system
// waits until every observer has called done() or the backend's bound runs
// out, whichever comes first.
//
// It also carries out what the user asks of the system and the session.
// Every request answers whether the system accepted it; the backend logs
// why not. Tests only ever use the virtual backend for these.
class PowerService {
public:
    enum class Event { WillSleep, DidWake, WillPowerOff };
    enum class Request { Restart, PowerOff, Sleep, LogOut };
    virtual ~PowerService() = default;
    [[nodiscard]] virtual ObserverHandle observe(std::function<void(Event, std::function<void()> done)> observer) = 0;

    // Restart, power-off and sleep without asking; log-out ends the
    // session without asking.
    virtual bool request(Request request) = 0;
    // Wakes the machine from sleep at that time; false when the system
    // can't be told (the caller must not put it to sleep then).
    virtual bool setWakeTime(const QDateTime& when) = 0;
    // The screen saver: started, asked whether it runs (nullopt: can't
    // tell), ended. Its idle delay in seconds, 0 for never.
    virtual bool startScreenSaver() = 0;
    virtual std::optional<bool> screenSaverActive() = 0;
    virtual bool stopScreenSaver() = 0;
    virtual int screenSaverIdleSeconds() = 0;
};

// IPv4 configuration of network interfaces: key names the interface
// ("State:/Network/Interface/eth0/IPv4"); present is false when it went away.
//
// Network locations are the connection profiles: a user-visible name and
// the identifier the system knows a profile by (two may share a name).
struct NetworkLocation {
    QString identifier;
    QString name;
    bool operator==(const NetworkLocation&) const = default;
};

class NetworkService {
public:
    virtual ~NetworkService() = default;
    [[nodiscard]] virtual ObserverHandle observe(std::function<void(const QString& key, bool present)> observer) = 0;
    // Every location, in the system's order.
    virtual QList<NetworkLocation> locations() = 0;
    // The identifier of the location in use; empty when none.
    virtual QString activeLocation() = 0;
    // Switches to the location; false with the system's reason in error.
    virtual bool activateLocation(const QString& identifier, QString* error) = 0;
};

// Calendar store changes: kind 0 calendars, 1 tasks, 2 events.
class CalendarService {
public:
    virtual ~CalendarService() = default;
    [[nodiscard]] virtual ObserverHandle observe(std::function<void(int kind, const QString& senderProcess)> observer) = 0;
};

// The current keyboard layout, in the stored key codes. Keystroke words are
// the key code in the low byte and modifier bits above: command 0x100,
// shift 0x200, caps lock 0x400, option 0x800, control 0x1000.
class KeyboardLayout {
public:
    virtual ~KeyboardLayout() = default;
    virtual QString layoutName() = 0;
    // Up to two keystrokes that type the character (a dead key, then the
    // base); empty when the layout cannot type it.
    virtual QList<quint16> keystrokesForCharacter(char32_t c) = 0;
    // The text a key types with the given modifier bits; empty for none.
    virtual QString characterForKey(quint16 keyCode, quint16 modifiers) = 0;
    // Whether Caps Lock is on now (key events of a toolkit may not say).
    virtual bool capsLockOn() = 0;
    // Whether the key is a function key on this layout: F1 and up, the
    // arrows, Home, End, Page Up/Down, Help, forward delete. Their events
    // carry the function flag of a recorded key word.
    virtual bool isFunctionKey(quint16 keyCode) = 0;
    [[nodiscard]] virtual ObserverHandle observeLayoutChanges(std::function<void()> observer) = 0;
};

// Wall-clock time and one-shot timers (the virtual clock is moved by tests).
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() = 0;
    // Calls fn once at the date, on the main thread; a date in the past fires
    // at the next turn of the event loop. Dropping the handle cancels it.
    [[nodiscard]] virtual ObserverHandle scheduleAt(const QDateTime& when, std::function<void()> fn) = 0;
};

// Starting a program at login.
class LoginItems {
public:
    virtual ~LoginItems() = default;
    // identifier: the program's bundle identifier; path: what to start.
    virtual bool setEnabled(const QString& identifier, const QString& path, bool enabled) = 0;
    virtual bool isEnabled(const QString& identifier) = 0;
};

// An error answered to another program's command.
struct CommandError {
    enum Kind { None, NotFound, Inactive, Failed };
    Kind kind = None;
    QString text;
    bool isError() const { return kind != None; }
};

// One element of a scripting element list: an object's ID and name.
struct CommandElement {
    quint32 id = 0;
    QString name;
    bool operator==(const CommandElement&) const = default;
};
using CommandElements = QList<CommandElement>;

// What the engine answers to other programs (the hot-key viewer, scripts).
// Called on the main thread.
class EngineCommands {
public:
    virtual ~EngineCommands() = default;
    // The hot-key shortcuts as XML property-list text; empty, with the
    // reason in *error, when the list cannot be written.
    virtual QString shortcutList(CommandError* error) = 0;
    virtual CommandError runLauncher(quint32 launcherID) = 0;
    // The scripting element lists, in the managers' order; sets are contexts.
    virtual CommandElements orderedShortcuts() = 0;
    virtual CommandElements orderedActions() = 0;
    virtual CommandElements orderedMenus() = 0;
    virtual CommandElements orderedPalettes() = 0;
    virtual CommandElements orderedSets() = 0;
    virtual CommandElements setShortcuts(quint32 contextID, CommandError* error) = 0;
    virtual CommandError runShortcut(quint32 shortcutID) = 0;
    // The first shortcut of that name.
    virtual CommandError runShortcutNamed(const QString& name) = 0;
    // Shows a menu at the pointer; shows or hides a palette.
    virtual CommandError displayMenu(quint32 menuID) = 0;
    virtual CommandError showPalette(quint32 paletteID, bool show) = 0;
    // A URL of the engine's schemes, handed over by the desktop.
    virtual void openURL(const QString& url) = 0;
    // The engine was started again while it runs: it asks the user what to
    // do. Answers at once; the question waits for the user afterwards.
    virtual void reopen() {}
};

// Where other programs of the session reach the engine's commands.
class CommandService {
public:
    virtual ~CommandService() = default;
    // Takes the engine's name; false only when another program of the
    // session owns it.
    virtual bool claimName() = 0;
    // Serves the commands until withdrawn; false when they cannot be served.
    // The commands must outlive the publication.
    virtual bool publish(EngineCommands* commands) = 0;
    virtual void withdraw() = 0;
    // Asks the engine that serves the commands to reopen (a second start);
    // false when no engine answered.
    virtual bool askRunningEngineToReopen() = 0;
    // Hands a URL to the engine that serves the commands; false when no
    // engine answered.
    virtual bool askRunningEngineToOpenURL(const QString& url) = 0;
    // Tells listeners that a hot key fired (code "Stop"); nothing when the
    // commands are not published.
    virtual void announceHotKey(const QString& code) = 0;
};

} // namespace zelk
