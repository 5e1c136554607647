#pragma once
// A private desktop for the end-to-end tests: an X server (Xvfb), a session
// bus of its own (dbus-daemon), a temporary HOME with its XDG folders, and
// on it the built engine, small X clients that tell which keys reached them,
// an optional window manager (openbox) and xdotool acting as the user.
//
// Every process started here goes with the test: each child is killed when
// its object is dropped, and by the kernel (PR_SET_PDEATHSIG) when the test
// program dies first.
#include "DataFileRecords.h"
#include "XvfbServer.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QImage>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

struct _XDisplay;

namespace zelk::e2e {

// A child process that never outlives its owner.
class Child {
public:
    // Its output goes to the log file (a pipe nobody reads would fill and
    // stop it).
    Child(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
          const QString& logFile);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    qint64 pid() const { return m_process.processId(); }
    // Everything it wrote so far, standard output and error together.
    QString output();
    bool waitForOutput(const QString& text, int timeoutMs);
    // Waits for its end; false when it still runs after the time-out.
    bool waitForExit(int timeoutMs);
    int exitCode() const { return m_process.exitCode(); }
    bool crashed() const { return m_process.exitStatus() == QProcess::CrashExit; }
    void terminate() { m_process.terminate(); }

private:
    QProcess m_process;
    QString m_logFile;
};

// Runs the event loop until pred() holds, looking every intervalMs.
bool pollUntil(const std::function<bool()>& pred, int timeoutMs, int intervalMs = 20);

// An X client of the test's own (zelk_fake_xclient --keys): one window with
// its WM_CLASS, which tells every key pressed in it.
class KeyClient {
public:
    struct Press {
        unsigned long keysym; // as the client read the key, with the event's state
        unsigned state;       // the modifiers down when it was pressed
    };
    KeyClient(const QString& windowClass, const QProcessEnvironment& environment, const QString& logFile);

    // The window, once the client has it mapped; 0 when it never came.
    unsigned long window();
    QList<Press> presses();
    // The characters typed into it by keys without Control, Alt or Super.
    QString text();
    bool waitForText(const QString& text, int timeoutMs = 15000);
    // A key combined with Control and Alt, as the raw key reaches a window
    // when no hot key takes it.
    bool waitForControlAlt(unsigned long keysym, int timeoutMs = 15000);
    // Did a character reach it together with Control, Alt or Super?
    bool typedWithModifiers();
    qint64 pid() const { return m_child.pid(); }

private:
    Child m_child;
    unsigned long m_window = 0;
};

class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Empty when everything runs; else why the tests cannot (what is missing).
    QString whyNot() const { return m_whyNot; }
    QString display() const { return m_xvfb->display(); }
    // The X server goes away (it crashed, the session ended).
    void stopXServer() { m_xvfb->stop(); }
    QString busAddress() const { return m_busAddress; }
    QString home() const { return m_home.path(); }
    QString dataFolder() const { return m_home.path() + "/.local/share/Zelk"; }
    // The environment of a program of this desktop session.
    QProcessEnvironment environment() const;

    // openbox, ready once it manages a window of ours.
    bool startWindowManager(QString* whyNot);
    bool hasWindowManager() const { return m_windowManager != nullptr; }

    // The user at the keyboard: xdotool with its arguments; false when it failed.
    bool xdotool(const QStringList& arguments);
    // Brings the client's window to the front (the window manager's
    // activation, else the input focus).
    bool focus(KeyClient& client);
    std::unique_ptr<KeyClient> startClient(const QString& windowClass);
    // A desktop entry of the user's: $XDG_DATA_HOME/applications/<id>.
    bool writeDesktopEntry(const QString& id, const QString& body);

    // The engine: its data files, and onboarded.
    bool writeData(const zelk::test::records::DataFiles& files);
    // Onboarded (the engine starts at once, with the engine's trace
    // switches on when asked); without data files it starts on its defaults.
    bool onboard(bool traces = true);
    // Starts it and waits until it answers on the bus (its start-up done).
    bool startEngine(QString* why, const QProcessEnvironment& replaced = {});
    Child* engine() const { return m_engine.get(); }
    QString engineLog() const { return m_engine ? m_engine->output() : QString(); }
    // Another engine of the same session, with some of its environment replaced.
    std::unique_ptr<Child> startAnotherEngine(const QProcessEnvironment& replaced = {});

    // Calls the engine's bus service; the reply or the error.
    QDBusMessage callEngine(const QString& method, const QVariantList& arguments = {});
    // The hot-key list as property-list records; empty when it has none or can't answer.
    QVariantList shortCutList();
    // Waits until the engine lists exactly these shortcut names, in order.
    bool waitForListedShortcuts(const QStringList& names, int timeoutMs = 20000);
    // The editor's command, as the editor posts it.
    bool postEditorCommand(const QVariantMap& userInfo);

    // The viewable top-level windows of a process (its dialogs), and asking
    // one to close as a window manager's close button does.
    QList<unsigned long> windowsOf(qint64 pid, const QString& display = {});
    bool closeWindow(unsigned long window, const QString& display = {});
    // A window's inside (without the window manager's frame) on the screen;
    // an invalid rectangle when it is gone.
    QRect windowGeometry(unsigned long window);
    QString windowName(unsigned long window);
    QSize screenSize();
    // Does some client hold the keyboard (a menu, a grab of a hot key held)?
    bool keyboardGrabbed();

    // The screen as an image, and an image kept as a test artefact (in
    // $ZELK_TEST_ARTEFACTS, else the temporary folder) for people to look at.
    QImage screenshot();
    static bool saveArtefact(const QImage& image, const QString& fileName);

    static QString enginePath();
    static QString clientPath();

private:
    class Connection {
    public:
        Connection(Desktop& desktop, const QString& display);
        ~Connection();
        _XDisplay* display() const { return m_display; }

    private:
        _XDisplay* m_own;
        _XDisplay* m_display;
    };
    _XDisplay* x();
    QString logFile(const QString& name);

    QTemporaryDir m_home;
    std::unique_ptr<zelk::test::XvfbServer> m_xvfb;
    std::unique_ptr<Child> m_bus;
    QString m_busAddress;
    std::unique_ptr<QDBusConnection> m_connection;
    std::unique_ptr<Child> m_windowManager;
    std::unique_ptr<Child> m_engine;
    _XDisplay* m_x = nullptr;
    QString m_whyNot;
    int m_logs = 0;
};

} // namespace zelk::e2e
