#pragma once
// One launcher of Launchers.plist at run time: a trigger of one of eight
// types (0 key combination, 1 date, 2 application event, 3 system event,
// 4 context event, 5 USB device, 6 calendar, 7 network). It owns what makes
// it fire where that is its own business: the hot-key registration of a key
// launcher (counted by its linked objects, forced off and on by context
// rules and the global switch), the timer of a date launcher, the repeat of
// a held key or button, the wheel accumulator of a USB wheel launcher, and
// the waits that hold sleep and shut-down until its objects have run. Its
// one way of acting is runLauncher(): runObject() to every linked object.
//
// Everything but the sleep/shut-down waiters runs on the main thread; the
// timers (date, repeat, wheel expiry) come from the platform clock.
#include "FormatText.h"
#include "ModifierFlags.h"
#include "NotificationCenter.h"
#include "QVLinkedObject.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <atomic>
#include <memory>
#include <mutex>

namespace engine {

// Launchers keep the numeric-pad flag their capture saw (shift-arrow carries
// it), rules are captured without it, and the desktop grabs one combination
// for both, so every comparison of a pressed, registered or excluded code
// with a launcher's code goes through the desktop's own rule.
using zelk::HotKeyService;

class QVLauncher : public std::enable_shared_from_this<QVLauncher> {
public:
    enum Type { HotKey = 0, Date = 1, Application = 2, System = 3, Context = 4, USBDevice = 5, Calendar = 6, Network = 7 };
    enum SystemKind { Boot = 0, Sleep = 1, Wake = 2, Shutdown = 3 };

    // The shortest repeat interval: 0 would post runs back to back.
    static constexpr double MinimumRepeatDelay = 0.05;
    // Seconds the second key of a two-key launcher is waited for, and the
    // delay before a registered key that ran nothing is typed through.
    static constexpr double SecondKeyWait = 1.0;
    static constexpr double TypeThroughDelay = 0.1;
    // Seconds an unused wheel remainder is kept.
    static constexpr double WheelRemainderLife = 2.0;

    // A launcher built from its record; nullptr when the record can't make one.
    static std::shared_ptr<QVLauncher> launcherWithRecord(const QVariantMap& record);

    QVLauncher() = default;
    ~QVLauncher();
    QVLauncher(const QVLauncher&) = delete;
    QVLauncher& operator=(const QVLauncher&) = delete;

    // Call on a launcher held by a shared_ptr (date timers keep a weak reference).
    bool initWithDictionaryInLauncher(const QVariantMap& record);
    // Before the manager drops it: unregisters both hot keys, cancels the
    // timers and the repeat, stops the USB watch of a type-5 launcher.
    void emptyLauncher();

    // Accessors.
    int launcherType() const { return m_type; }
    quint32 IDValue() const { return m_id; }
    bool IDIsEqual(quint32 launcherID) const { return launcherID == m_id; }
    int eventType() const { return m_eventType; }
    QDateTime nextDate() const;            // invalid when none
    int usbType() const { return m_usbType; }
    QVariantMap usbElementDict() const { return m_usbElementDict; }
    QList<std::shared_ptr<QVLinkedObject>> QVLLinkedObjects() const;
    quint32 QVLKeycode() const { return m_keycode; }
    bool QVLHas2Keycode() const { return m_has2Keycode; }
    quint32 QVLKeycode2() const { return m_keycode2; }
    quint32 keycodeKeyEvent() const { return m_keycode; }
    bool runKeyReleased() const { return m_release; }
    bool repeatKeyDown() const { return m_repeatDelay >= 0; }
    double repeatDelay() const { return m_repeatDelay; }
    int activatedCount() const { return m_activatedCount; }
    bool isForceDeactivated() const { return m_forceOffCount > 0; }
    int forceOffCount() const { return m_forceOffCount; }
    bool isHotKeyRegistered() const { return m_hotKeyRef != 0; }
    bool isHotKey2Registered() const { return m_hotKeyRef2 != 0; }
    bool isRepeating() const { return m_goRunning; }
    int lastUSBIncrement() const { return m_lastUSBIncrement; }

    // Matching (the launchers manager's look-ups).
    bool isKeyEvent() const { return m_type == HotKey; }
    bool isDateEvent() const { return m_type == Date; }
    bool isUSBDeviceEvent() const { return m_type == USBDevice; }
    bool isKeyEventAndActive() const;
    // A key launcher that an active object wants and nothing forces off:
    // only these make their first key wait for a second one.
    bool isKeyEventWanted() const;
    bool isNetworkEvent(int kind) const;
    bool isSystemEvent(int kind) const;
    bool isContextEvent(int kind) const;
    bool isAppEvent(int kind, const QString& withApplication) const;
    bool isCalendarEvent(int kind, const QString& withApplication) const;
    bool isAnyKeyEventWithFirstKeycode(quint32 code) const;
    bool isSimpleKeyEventWithKeycode(quint32 code) const;
    bool isDoubleKeysEventWithFirstKeycode(quint32 code) const;
    bool isDoubleKeysEventWithFirstKeycode(quint32 code, quint32 secondKeycode) const;
    bool isAnyKeyEventWithRegisteredKeycode(quint32 code) const;
    bool isUSBDeviceEventWithDict(const QVariantMap& deviceEvent) const;

    // Linked objects (shortcuts, menus, palettes), held strongly.
    void addLinkedObject(std::shared_ptr<QVLinkedObject> object);
    void removeLinkedObject(const QVLinkedObject* object); // every entry of it
    void removeAllLinkedObjects();                         // breaks the cycles on reset

    // Counted switching by the linked objects; forced switching by the
    // context rules and the global hot-key switch, counted too: each forced
    // off is a reason of its own, and the key comes back only when every
    // reason has ended with its forced on. Main thread.
    void activateObject(const QVLinkedObject* object);
    void deactivateObject(const QVLinkedObject* object);
    void setLauncherActivated(bool on, bool force);
    // While the launchers manager suspends hot keys (the editor's reasons),
    // nothing is registered; on resuming, what the linked objects want and
    // no force keeps off is registered again.
    void suspendHotKeys();
    void registerWantedHotKeys();

    void runLauncher();
    // Repeat while held: a run now, then one every repeatDelay() until stopped.
    void startRunLauncher();
    void stopRunLauncher();

    // Passes a registered hot key through to the front application.
    void typeKeyEventWithKeycode(quint32 code);

    // USB wheel accumulation.
    void wheelEventValue(int value);
    void trackWheelIncrement(int amount);

    // Date launchers. A date missed while the engine was not running is
    // kept through the load and handled by endInit(), once the objects that
    // use the launcher are linked and switched on.
    void programDateLauncher();
    void runLauncherFromTimer();
    void endInit();

    // Bodies of the sleep and shut-down waiter threads: wait (bounded) until
    // no linked object runs, then let the system go on.
    void suspendSleepUntilObjectRun();
    void suspendShutdownUntilObjectRun();

    QString description() const;

    // Class operations.
    // Registers the combination; on failure logs it, answers false and
    // leaves *ref 0. A grab held by another program is reported to the user
    // once per combination.
    static bool registerHotKey(quint32 code, quint64* ref);
    // The next run date at or after `from` (now when invalid); invalid for none.
    static QDateTime nextDateForDict(const QVariantMap& dateParams, const QDateTime& from = {});
    static QString nameOfDateLauncherWithParams(const QVariantMap& dateParams);
    static void typeKeycode(quint32 code);
    // The bound of the sleep and shut-down waits (seconds; tests shorten it).
    static void setRunWaitTimeout(double seconds);
    static double runWaitTimeout();

private:
    // Off the main thread: hands call(object) over to it, to run while the
    // launcher and the object still live, and answers true.
    bool handedToMainThread(const char* method, void (QVLauncher::*call)(const QVLinkedObject*),
                            const QVLinkedObject* object);
    bool isLinked(const QVLinkedObject* object) const;
    void unregisterHotKeys();
    void repeatTick(quint64 generation);
    void programDateLauncherFrom(const QDateTime& notBefore);
    void handleMissedDate(const QDateTime& missed);
    bool askMissedDate(const QDateTime& missed);
    void scheduleWheelExpiry(int amount);
    void waitUntilObjectsRun(bool sleep);

    int m_type = -1;                  // QVLType
    quint32 m_id = 0;                 // QVLID
    int m_eventType = -1;             // QVLEventType
    QString m_application;            // QVLApplication
    QString m_calendarApplication;    // launcherapplicationapp of a calendar launcher (not matched)
    quint32 m_keycode = 0;            // QVLKeycode
    quint32 m_keycode2 = 0;           // QVLKeycode2
    bool m_release = false;           // QVLRelease
    bool m_has2Keycode = false;       // QVLHas2Keycode
    double m_repeatDelay = -1.0;      // QVLRepeatDelay
    quint64 m_hotKeyRef = 0;          // QVLHotKeyRef
    quint64 m_hotKeyRef2 = 0;         // QVLHotKeyRef2
    QVariantMap m_dateDict;           // QVLDateDict
    zelk::ObserverHandle m_timer;     // QVLTimer
    quint64 m_timerGeneration = 0;
    QDateTime m_nextTimerDate;        // QVLNextTimerDate
    QDateTime m_missedDate;           // a missed date kept for endInit()
    bool m_loading = false;
    mutable std::mutex m_mutex;       // guards m_linked and m_nextTimerDate
    QList<std::shared_ptr<QVLinkedObject>> m_linked; // QVLLinkedObjects
    int m_activatedCount = 0;         // QVLActivatedCount
    int m_forceOffCount = 0;          // QVLForceDeactivated, as a count of reasons
    std::atomic<bool> m_goRunning{false}; // QVLGoRunning
    zelk::ObserverHandle m_repeatTimer;
    quint64 m_repeatGeneration = 0;
    int m_usbType = -1;               // QVLUSBType
    QVariantMap m_usbElementDict;     // QVLUSBElementDict
    int m_usbIncrement = 0;           // QVLUSBIncrement
    int m_lastUSBIncrement = 0;       // QVLLastUSBIncrement
    zelk::ObserverHandle m_wheelTimer;
};

// Shared by the engine's object classes.
bool traceMgrEng();   // QVAppl's TraceMgrEng, false without an application
bool traceRun();      // QVAppl's TraceRun, likewise
// The object of list whose ID is id; nullptr for none.
template <class Object>
std::shared_ptr<Object> objectWithID(const QList<std::shared_ptr<Object>>& list, quint32 id)
{
    for (const std::shared_ptr<Object>& object : list)
        if (object->IDIsEqual(id))
            return object;
    return nullptr;
}
// True on the Qt main thread; otherwise logs who called and answers false.
bool checkMainThread(const char* cls, const char* method);
// Strings-table formats are filled by the one formatter of the platform layer.
using zelk::fillFormat;
// The engine bundle's text for key.
QString localizedEngineString(const QString& key);

} // namespace engine
