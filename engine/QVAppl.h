#pragma once
// The engine's application object: start-up, the data folder, reloads,
// editor commands, system events turned into local notifications, sleep and
// shut-down hand-shakes, the trace switches and the recently run objects.
// One per process (QVAppl::shared()); made by main() after the QApplication.
//
// Local notifications it posts on zelk::NotificationCenter::defaultCenter():
//   "EndInitNotification", "BootNotification",
//   "AfterLaunchAppNotifcation" / "AfterTerminateAppNotifcation" {"AppPathName"},
//   "FrontAppChangedNotification" {"LastFrontApp", "NewFrontApp"} (main thread),
//   "GoToSleepNotification", "WakeFromSleepNotification", "ShutdownNotification",
//   "DownKeyNotification" / "UpKeyNotification" {"KeyCode"}.
//
// Every wait of the hand-shakes is bounded and runs off the main thread, so
// an action that needs the main thread still gets it while the engine waits:
// sleep and shut-down wait at most 5 s (logind's usual delay-inhibitor
// bound), bringing the last application back at most 2 s (a run thread's
// wait; the main thread never waits for it).
//
// Background work (shortcut runs, actions, tests, waiters, the report
// writer) runs on the application object's pool, installed for the process
// while the object lives and joined by endBackgroundWork().
#include "QVActionHostApplication.h"
#include "QVLinkedObject.h"
#include "NotificationCenter.h"
#include "Platform.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QLockFile;
class QWidget;

namespace zelk {
class QVAction;
class WorkerPool;
}

namespace engine {

class QVNewUserPanel;
class QVUSBMissingPanel;
class QVReport;
class QVReportWindow;
class QVSparkleDelegate;
class QVUpdater;
struct QVUpdateItem;

class QVAppl : public QObject, public zelk::QVActionHostApplication {
    Q_OBJECT
public:
    struct Deleter {
        void operator()(QVAppl* appl) const;
    };
    using Ptr = std::unique_ptr<QVAppl, Deleter>;
    // Makes the process's application object; nullptr when one exists.
    static Ptr make();

    static QVAppl* shared(); // nullptr before main() made it

    // Trace switches, read once at start from the standard user defaults
    // "debugTraceAppEng", "debugTraceMgrEng", "debugTracePluginEng", "debugTraceRun".
    bool TraceAppEng() const override;
    bool TraceMgrEng() const;
    bool TracePluginEng() const override;
    bool TraceRun() const override;
    void setTraceRun(bool on);

    // The data folder for data types 1 and 2, empty for any other.
    QString prefsPathForDataType(int type);
    void readPrefs();
    void addMissingPlugin(const QString& className);

    // Sleep and shut-down hand-shakes of the system-event launchers.
    void waitBeforeSleep();
    void canGoToSleep();
    void waitBeforeShutdown();
    void canGoShutdown();

    // Recently run objects (engine-control actions run them again).
    void addLastCutAction(std::shared_ptr<zelk::QVAction> action) override;
    void addLastCutObject(std::shared_ptr<QVLinkedObject> object);
    void runLastCutAction1() override;
    void runLastCutAction2() override;
    // Brings the last front application back: a run thread waits (bounded)
    // until the desktop reports it in front; the main thread only asks.
    void activateLastProcess() override;
    bool isActive() const override;
    void stopShortcuts() override;

    // The run report: a line for the report, written on the main thread;
    // with GEReportEachItem the window shows 0.5 s later.
    void writeToReport(const QString& line);
    // Loads the report once per start (the data folder's Report.plist).
    void initReport();
    void showReport() override;
    void cleanReport();
    // The window's close button: closes it and brings the last application back.
    void closeReport();
    QVReportWindow* reportWindow() const;
    // Tells the hot-key viewer that a hot key fired ("Stop"): a signal of
    // the engine's bus service, since no such viewer exists here.
    void SendAppleEventToKeyCue(const QString& code);

    // Runs fn on the main thread: at once when already there, else queued
    // (wait = false) or blocking until done (wait = true).
    static void onMainThread(std::function<void()> fn, bool wait);

    // --- Launch -------------------------------------------------------------
    // Trace switches and version, then the onboarding gate.
    void finishLaunching();
    // The gate: start at once, start and show the panel, or wait for the
    // panel's start button (first launch ever).
    void showNewUserWindow();
    // Start-up proper, once.
    void startEngine();
    // The panel's start button (with a sender the onboarded version is
    // stored), or the gate itself (nullptr).
    void startEngine(QObject* sender);
    bool isStarted() const { return m_started; }
    QVNewUserPanel* newUserPanel() const;
    // The panel closing: before the engine started, the engine quits.
    void windowWillClose(QWidget* window);
    // The panel's check boxes and buttons.
    void installLoginItem(bool on);
    void suppressIntroPanelChanged(bool on);
    // Opens the bundle's manual in the user's browser.
    void NUDocumentation();
    // URLs of the engine's schemes the desktop started the engine with:
    // handled once started, or handed to the engine that already runs.
    void setStartURLs(const QStringList& urls);
    void NUEditor();
    // The engine asked to open again while it runs: edit, nothing or quit.
    bool applicationShouldHandleReopen();

    // --- USB devices ----------------------------------------------------------
    // A modifier key of a USB keyboard (usage 0xE0-0xE7) pressed (value
    // above 0) or let go.
    void modifierEventUsage(int usage, int value);
    // The held USB modifiers as key-word flags (control 0x40000, shift
    // 0x20000, option 0x80000, command 0x100000).
    quint32 modifierState() const;
    // A USB trigger's event: posts "USBEventNotification" {"DeviceEvent":
    // {"usbelementvendorid", "usbelementproductid", "usbelementcookie",
    // "usbmodifiers"}, "EventValue"}.
    void HIDEvent(int value, qint64 cookie, qint64 vendor, qint64 product);
    // The panel naming the missing devices of the USB launchers.
    void showMissingDevices(const QVariantList& devices);
    QVUSBMissingPanel* usbMissingPanel() const;
    // The panel's button.
    void USBMissingPanel(QWidget* sender);

    // --- Data folder ----------------------------------------------------------
    // $XDG_DATA_HOME/Zelk, made and seeded on the first run (empty when
    // the desktop names no data folder).
    static QString defaultObjectsPath();
    void setupDefaultData();
    QString objectsPath() const;

    // The data files in reading order, each with the manager that holds
    // its records; a reload empties the managers in the reverse order.
    struct ObjectsFile {
        QString fileName;
        QString arrayKey;
        std::function<void()> reset;
        std::function<void(const QVariantList&)> set;
        QString idKey; // each record's ID; none: records are taken as they are
    };
    static QList<ObjectsFile> defaultObjectsFiles();
    void setObjectsFiles(QList<ObjectsFile> files); // tests watch the order

    // --- Editor commands ------------------------------------------------------
    // "QVEditorNotification" {"action": verb, "param0": argument}. The
    // verbs that run records ("runaction", "runshortcut") are obeyed only
    // when the editor of this bundle sent them.
    void editorNotification(const QVariantMap& userInfo, const zelk::NotificationSender& sender = {});
    // The program of the bundle's editor, as the desktop names a process's
    // executable (canonical when it exists).
    static QString editorExecutablePath();
    static bool isFromEditor(const zelk::NotificationSender& sender);

    // --- Settings kept for the other parts of the engine ----------------------
    // The setting GEDeactivateKeyCombo: hot keys off while the editor is in
    // front. The command "deactivatekeycombo" (a key capture in the editor)
    // is a reason of its own, kept apart: it never changes the setting, and
    // ending it never switches on what the setting keeps off.
    bool deactivateKeyCombo() const { return m_deactivateKeyCombo; }
    bool isKeyCaptureOn() const { return m_keyCapture; }
    bool reportEachItem() const { return m_reportEachItem; }
    int daysSaveReport() const { return m_daysSaveReport; }
    bool automaticallyChecksForUpdates() const { return m_checkUpdate; }
    QString appVersion() const { return m_appVersion; }
    QVReport& report() const { return *m_report; }
    // The appcast checker (made at launch) and its delegate.
    QVUpdater* updater() const;
    QVSparkleDelegate* sparkleDelegate() const { return m_sparkleDelegate.get(); }

    // The text percent-escaped for a mail link (UTF-8).
    static QString stringForMail(const QString& text);

    // --- Quit -----------------------------------------------------------------
    // Saves the launchers' dates, asks the editor to quit, gives the
    // shut-down launchers their run, then leaves the event loop. The waits
    // run off the main thread; the call returns at once, also from another
    // thread (the quit then starts on the main thread).
    void terminate() override;
    bool isTerminating() const { return m_terminating; }
    bool hasQuit() const { return m_quit; }
    // The process's exit status: non-zero when the engine was refused.
    int exitStatus() const { return m_exitStatus; }

signals:
    // Everything is done: main() leaves the event loop on it.
    void quitRequested();

public:

    // One engine per user: the lock file, in the user's runtime folder.
    static QString instanceLockPath();

    // Bounds of the waits, in milliseconds (tests shorten them).
    struct WaitBounds {
        int activateMs = 2000;
        int sleepMs = 5000;
        int shutdownMs = 5000;
        int editorQuitMs = 5000;
        int backgroundMs = 3000;
    };
    void setWaitBounds(const WaitBounds& bounds);

    // The quit's last step: stops every run and test, releases the keys
    // the engine holds, closes floating menus and the main thread's
    // hand-over, then joins the background work (bounded). false when work
    // is still running: the caller ends the process without waiting for it.
    // Idempotent; the destructor calls it.
    bool endBackgroundWork();

protected:
    QVAppl();
    ~QVAppl() override;

private:
    // The hand-shake flags, shared with the threads that watch them so a
    // watcher outlives nothing it reads.
    struct Flags {
        std::atomic<bool> waitSleep{false};
        std::atomic<bool> isShuttingDown{false};
        std::atomic<bool> waitShutdown{false};
        std::atomic<bool> shutdownDone{false};
    };
    // An object that can run again: an action or a shortcut, menu or palette.
    struct Recallable {
        std::weak_ptr<zelk::QVAction> action;
        std::weak_ptr<QVLinkedObject> object;
        void run() const;
    };

    bool singleInstanceCheck();
    // Logs the alert and shows it through the engine's QVUtility; answers
    // 1, 0 or -1 for the first, second or third button (0 without one).
    int alert(const QString& title, const QString& message, const QString& button1, const QString& button2 = {},
              const QString& button3 = {});
    QString localized(const QString& key) const;
    QString localizedOr(const char* key, const char* fallback) const;
    void copyObjectsFromResourcesPath(const QString& from, const QString& to);
    static QString formerVersionPath();
    void readSettings();
    void observeSystem();
    // Launches and quits are observed while a launcher or context of the
    // loaded objects needs them.
    static bool objectsNeedApplicationEvents();
    void watchApplications();
    void installDownHotKeyHandler(bool install);
    void installUpHotKeyHandler(bool install);
    void updateHotKeyHandler();
    void announceFrontApplication();
    void frontApplicationChanged(qint64 pid, const QString& name);
    void beforeGoToSleep(std::function<void()> done);
    void afterWakeFromSleep();
    void shutdownHandshake(std::function<void()> then);
    void terminateAfterEditor();
    void quiteEditor(std::function<void()> then);
    void finishTerminate();
    void universalContextOn();
    void setLastCut(const Recallable& recallable);

    bool m_traceAppEng = false, m_traceMgrEng = false, m_tracePluginEng = false;
    std::atomic<bool> m_traceRun{false}; // read by the run threads, switched on by the list request
    QString m_appVersion;
    bool m_started = false;
    bool m_terminating = false;
    bool m_quit = false;
    int m_exitStatus = 0;
    QPointer<QVNewUserPanel> m_panel;
    std::unique_ptr<QLockFile> m_instanceLock;

    mutable std::mutex m_dataMutex;
    QString m_objectsPath; // QVObjectsPath
    QList<ObjectsFile> m_objectsFiles;
    std::shared_ptr<QVReport> m_report;
    QPointer<QVReportWindow> m_reportWindow;
    std::unique_ptr<QVSparkleDelegate> m_sparkleDelegate;
    QPointer<QVUpdater> m_updater;
    void setUpUpdater();
    void updateCheckFinished(bool userInitiated, bool found, const QVUpdateItem& item, const QString& error);
    QStringList m_startURLs;

    std::mutex m_missingMutex;
    QStringList m_missingPlugins; // QVMissingPluginsArray

    std::mutex m_frontAppLock; // QVFrontAppLock: guards the two below
    qint64 m_lastProcess = 0;  // QVLastProcess
    QString m_previousFrontName;

    std::shared_ptr<Flags> m_flags = std::make_shared<Flags>();

    std::mutex m_lastCutMutex;
    Recallable m_lastCut1, m_lastCut2;
    std::atomic<bool> m_notRecordLastCutAction{false};

    std::atomic<bool> m_deactivateKeyCombo{false}; // QVDeactivateKeyCombo, the setting
    std::atomic<bool> m_keyCapture{false};         // the editor's "deactivatekeycombo"
    std::atomic<bool> m_reportEachItem{false};
    std::atomic<int> m_daysSaveReport{0};
    std::atomic<bool> m_checkUpdate{false};
    std::atomic<bool> m_downHandler{false}, m_upHandler{false};

    WaitBounds m_bounds;
    std::unique_ptr<zelk::WorkerPool> m_workers; // the engine's background work
    bool m_workersJoined = false;
    std::vector<zelk::ObserverHandle> m_observers;
    zelk::ObserverHandle m_applicationsObserver;
    bool m_systemObserved = false;

    void reportMissingUSBDevices();
    std::array<qint32, 8> m_modifierArray{}; // QVModifierArray: the bit of each usage 0xE0-0xE7
    std::atomic<qint32> m_modifierState{0};  // QVModifierState
    QPointer<QWidget> m_usbMissingPanel;
};

} // namespace engine
