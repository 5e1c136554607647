#pragma once
// The engine's launchers and the sources that fire them. It builds the
// launchers of Launchers.plist, keeps the date launchers' next dates across
// reloads and restarts in LaunchersDate.plist, and turns the trigger sources
// into launcher runs:
//   hot keys   "DownKeyNotification" / "UpKeyNotification" {"KeyCode"}: the
//              second-key wait, run on release, repeat while held, and
//              passing a registered key that ran nothing through;
//   USB        "USBEventNotification" {"DeviceEvent", "EventValue"};
//   apps       "AfterLaunchAppNotifcation", "AfterTerminateAppNotifcation",
//              "FrontAppChangedNotification";
//   system     "BootNotification", "GoToSleepNotification",
//              "WakeFromSleepNotification", "ShutdownNotification";
//   network    the platform's IPv4 changes, through IXSCNotificationCenter;
//   calendar   the platform's calendar changes, while a calendar launcher
//              is loaded.
// It is also the switch through which the application and the context rules
// turn hot keys off and on. Everything runs on the main thread.
#include "NotificationCenter.h"
#include "QVLauncher.h"
#include "QVObjectIndex.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <QStringList>
#include <QVariantList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace engine {

// Network-state keys ("State:/Network/Interface/eth0/IPv4") whose changes
// match a pattern, handed to observers by key name. It keeps the last
// known presence of every matching key, so an observer can ask whether the
// key it was told about is there now.
class IXSCNotificationCenter {
public:
    using Observer = std::function<void(const QString& name)>;
    static constexpr const char* AnyNotification = "IXSCNotificationCenterAnyNotification";
    static constexpr const char* DefaultPattern = "State:/Network/Interface/[^/]+/IPv4";

    IXSCNotificationCenter(); // initWithPattern(DefaultPattern)
    explicit IXSCNotificationCenter(const QString& pattern);

    void setupKeyList(const QString& pattern);
    // An empty name observes every key. An observer filed under a name and
    // under every name is told once; a null observer is refused (logged).
    void addObserver(const void* observer, Observer selector, const QString& name = {});
    // A change from the platform: remembered, then posted when the key matches.
    void keyChanged(const QString& key, bool present);
    void keysChanged(const QStringList& keys);
    void postNotification(const QString& name);
    // Is the key's value there now?
    bool valueForKey(const QString& key) const;

private:
    QRegularExpression m_pattern;
    struct Entry {
        const void* observer;
        Observer selector;
    };
    QHash<QString, QList<Entry>> m_observersForKeys;
    QHash<QString, bool> m_values;
    zelk::ObserverHandle m_source;
};

class QVLaunchersManager {
public:
    static QVLaunchersManager& sharedManager();

    // Loading and look-up.
    void resetLaunchers();
    void setLaunchers(const QVariantList& records);
    void addLauncherObject(const QVariantMap& record);
    void insertLauncherObject(const QVariantMap& record, qsizetype atIndex);
    std::shared_ptr<QVLauncher> launcherWithID(quint32 launcherID) const;
    QDateTime nextDateForLauncherIDNum(quint32 launcherID) const; // invalid when not saved
    QList<std::shared_ptr<QVLauncher>> getAllActiveHotkeysLaunchers() const;
    QList<std::shared_ptr<QVLauncher>> launchersArray() const;

    // Hot-key switches (forced): the context rules'. setHotkey switches
    // the launchers whose first key is the same combination as the code.
    void setAllHotkeysActivated(bool activated);
    void setHotkey(quint32 code, bool activated);

    // The editor's reasons to keep every hot key unregistered, each
    // switched on its own: a key capture in the editor (the command
    // "deactivatekeycombo") and the editor in front while the setting
    // GEDeactivateKeyCombo holds. Ending one reason never switches on what
    // another keeps off. The keys come back, as their objects and the
    // context rules want them, only when no reason is left; the rules'
    // forced switches are neither changed nor undone by these.
    enum SuspendReason : unsigned { KeyCapture = 1, EditorInFront = 2 };
    void setHotkeysSuspended(SuspendReason reason, bool suspended);
    bool hotkeysSuspended() const { return m_suspendReasons.load() != 0; }

    // Dates. The saved dates are written only while the launchers of a
    // readable Launchers.plist are loaded: a file that could not be read
    // must not cost the dates of the launchers it holds.
    void reprogramDateLaunchers();
    void saveDateLaunchersDate();
    void terminateApp();
    // The folder of LaunchersDate.plist when there is no application (tests).
    static void setLaunchersDateFolder(const QString& folder);
    static QString launchersDatePath(); // empty when no folder is known
    static constexpr const char* DateFormat = "dd/MM/yyyy,HH:mm:ss";
    // Reads a text of the calendar format "%d/%m/%Y,%H:%M:%S" (fields of one
    // or two digits; the seconds may be left out) into *date and *time;
    // false when the text is not such a date. The saved dates are such
    // texts, and so is a date launcher's time of day behind "1/1/2001,".
    static bool dateFromText(const QString& text, QDate* date, QTime* time);

    // Event look-ups: the single ones answer the first match, the lists all.
    std::shared_ptr<QVLauncher> networkLauncherForEvent(int kind) const;
    std::shared_ptr<QVLauncher> systemLauncherForEvent(int kind) const;
    std::shared_ptr<QVLauncher> calLauncherForEvent(int kind, const QString& withApplication) const;
    std::shared_ptr<QVLauncher> appLauncherForEvent(int kind, const QString& withApplication) const;
    std::shared_ptr<QVLauncher> registeredKeyLauncherWithKeycode(quint32 code) const;
    QList<std::shared_ptr<QVLauncher>> anyKeyLaunchersWithFirstKeycode(quint32 code) const;
    QList<std::shared_ptr<QVLauncher>> simpleKeyLaunchersWithKeycode(quint32 code) const;
    QList<std::shared_ptr<QVLauncher>> doubleKeysLaunchersWithFirstKeycode(quint32 code) const;
    QList<std::shared_ptr<QVLauncher>> doubleKeysLaunchersWithFirstKeycode(quint32 code, quint32 secondKeycode) const;
    QList<std::shared_ptr<QVLauncher>> usbDeviceEventLaunchersWithDict(const QVariantMap& deviceEvent) const;

    // Event handlers.
    void downKeyNotification(const zelk::Notification& notification);
    void upKeyNotification(const zelk::Notification& notification);
    void stopWaitSecondKey();
    void usbEventNotification(const zelk::Notification& notification);
    void launchAppNotification(const zelk::Notification& notification);
    void terminateAppNotification(const zelk::Notification& notification);
    void frontAppChangedNotification(const zelk::Notification& notification);
    void bootNotification(const zelk::Notification& notification);
    void sleepNotification(const zelk::Notification& notification);
    void wakeNotification(const zelk::Notification& notification);
    void shutdownNotification(const zelk::Notification& notification);
    // After a load ("EndInitNotification"): the date launchers handle the
    // dates they missed, at the next turn of the event loop, once the
    // application has switched the universal context on.
    void endInitNotification(const zelk::Notification& notification);
    void netorkChangeNotification(const QString& key);
    void calendarChangeNotification(const QString& senderProcess);
    void tasksChanged(const QString& senderProcess);
    void eventsChanged(const QString& senderProcess);

    // The key-wait state (Idle, Waiting, Waiting-released).
    bool isWaitingSecondKey() const { return m_downWaitSecondKey; }
    bool isFirstKeyReleasedWhileWaiting() const { return m_upWaitSecondKey; }

private:
    QVLaunchersManager();
    static void startLauncher(QVLauncher& launcher);
    static void finishLauncher(QVLauncher& launcher);
    void notifyKeyCue() const;
    void readLaunchersDate();
    void calendarEvent(int kind, const QString& senderProcess);
    void typeThroughLater(quint32 code);
    QList<std::shared_ptr<QVLauncher>> launchersWhere(const std::function<bool(const QVLauncher&)>& match) const;

    std::unique_ptr<IXSCNotificationCenter> m_network; // systemConfigNotificationManagerCal
    mutable std::mutex m_mutex;                        // guards the list and the saved dates
    QList<std::shared_ptr<QVLauncher>> m_launchers;    // LMLaunchersArray
    mutable QVObjectIndex<QVLauncher> m_byID;
    QList<quint32> m_dateIDs;                          // LMLaunchersDateIDArray
    QStringList m_dateTexts;                           // LMLaunchersDateDateArray
    bool m_downWaitSecondKey = false;                  // LMDownWaitSecondKey
    bool m_upWaitSecondKey = false;                    // LMUpWaitSecondKey
    quint32 m_firstKeycode = 0;                        // LMFirstKeycode
    bool m_runSecondHotkey = false;                    // LMRunSecondHotkey
    bool m_loaded = false;                             // setLaunchers since the last reset
    std::atomic<unsigned> m_suspendReasons{0};         // SuspendReason bits
    // The first key's launchers that started inside a wait, finished on its release.
    QList<std::shared_ptr<QVLauncher>> m_secondKeyStarted;
    quint32 m_secondKeyStartedCode = 0;
    zelk::ObserverHandle m_secondKeyTimer;
    std::map<quint64, zelk::ObserverHandle> m_typeThroughTimers;
    quint64 m_nextTypeThrough = 1;
    std::vector<zelk::ObserverHandle> m_observers;
    zelk::ObserverHandle m_calendar; // while a calendar launcher is loaded
    void watchCalendar();
};

} // namespace engine
