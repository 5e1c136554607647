#include "QVLauncher.h"

#include "Bundle.h"
#include "Log.h"
#include "MainThread.h"
#include "Platform.h"
#include "QVAction.h"
#include "QVAppl.h"
#include "QVContextsManager.h"
#include "QVLaunchersManager.h"
#include "QVUSBWatch.h"
#include "QVUtilityClass.h"
#include "WorkerPool.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <thread>

namespace engine {

using zelk::zlog;

namespace {

constexpr quint32 kKeyCodeBits = 0x7F;
// A day list that matches nothing real must not search forever.
constexpr int kMaxDaySearch = 400;
constexpr auto kRunWaitPoll = std::chrono::milliseconds(200);

std::atomic<double> g_runWaitTimeout{30.0};

zelk::Clock& clock() { return zelk::Platform::instance().clock(); }

QDateTime secondsFromNow(double seconds) { return clock().now().addMSecs(qint64(seconds * 1000)); }

qint64 number(const QVariantMap& map, const char* key) { return map.value(QLatin1String(key)).toLongLong(); }

// The combination's name for the user: modifiers, then the key's character.
QString combinationName(quint32 code)
{
    QString modifiers;
    if (auto* utility = zelk::QVUtilityClass::host())
        modifiers = utility->modifierStringWithKeycode(code);
    QString key = zelk::Platform::instance().keyboardLayout().characterForKey(quint16(code & kKeyCodeBits), 0).toUpper();
    if (key.trimmed().isEmpty())
        key = QString("#%1").arg(code & kKeyCodeBits);
    return modifiers + key;
}

// Another program holds the combination: the user is told once per
// combination for the process, not on every switch.
void reportGrabbedElsewhere(quint32 code)
{
    static std::mutex mutex;
    static QSet<quint32> reported;
    {
        std::lock_guard lock(mutex);
        if (reported.contains(code & zelk::HotKey::CombinationMask))
            return;
        reported.insert(code & zelk::HotKey::CombinationMask);
    }
    const QString title = fillFormat(localizedEngineString("RaccourciPrisAilleurs"), {combinationName(code)});
    const QString message = localizedEngineString("RaccourciPrisAilleursInfo");
    // Queued: a registration happens in the middle of a load or a context switch.
    auto show = [title, message] {
        if (auto* utility = zelk::QVUtilityClass::host())
            utility->runAlertPanelWithTitle(title, message, "OK", {}, {});
        else
            zlog("QVLauncher", "registerHotKey") << title;
    };
    if (auto* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
    else
        show();
}

bool sameElement(const QVariantMap& element, const QVariantMap& deviceEvent)
{
    if (element.isEmpty() || deviceEvent.size() != element.size())
        return false;
    for (auto it = element.cbegin(); it != element.cend(); ++it) {
        const QVariant other = deviceEvent.value(it.key());
        if (!other.isValid() || other.toLongLong() != it.value().toLongLong())
            return false;
    }
    return true;
}

} // namespace

// --- shared helpers

bool traceMgrEng()
{
    const QVAppl* app = QVAppl::shared();
    return app && app->TraceMgrEng();
}

bool traceRun()
{
    const QVAppl* app = QVAppl::shared();
    return app && app->TraceRun();
}

bool checkMainThread(const char* cls, const char* method)
{
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return true;
    zlog(cls, method) << "called off the main thread; handed over to it";
    return false;
}

QString localizedEngineString(const QString& key) { return zelk::Bundle::main().localizedString(key); }

// --- building

std::shared_ptr<QVLauncher> QVLauncher::launcherWithRecord(const QVariantMap& record)
{
    auto launcher = std::make_shared<QVLauncher>();
    if (!launcher->initWithDictionaryInLauncher(record))
        return nullptr;
    return launcher;
}

QVLauncher::~QVLauncher() { unregisterHotKeys(); }

bool QVLauncher::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (traceRun())
        zlog("QVLauncher", "initWithDictionaryInLauncher") << record;
    bool ok = false;
    m_type = record.value("launchertype").toInt(&ok);
    if (!ok || m_type < HotKey || m_type > Network) {
        zlog("QVLauncher", "initWithDictionaryInLauncher") << "no launcher of type" << record.value("launchertype");
        return false;
    }
    m_id = quint32(record.value("launcherID").toLongLong());
    const QVariantMap params = record.value("launcherparams").toMap();

    switch (m_type) {
    case HotKey:
        m_keycode = quint32(number(params, "launcherkeycode"));
        m_release = params.value("launcherkeyrelease").toBool();
        m_repeatDelay = params.value("launcherkeyrepeat").toBool()
                            ? std::max(MinimumRepeatDelay, params.value("launcherkeyrepeatdelay").toDouble())
                            : -1.0;
        m_has2Keycode = params.contains("launcherkeysecondcode");
        // The second key carries the first key's modifiers.
        m_keycode2 = m_has2Keycode ? (m_keycode & ~kKeyCodeBits) + quint32(number(params, "launcherkeysecondcode")) : 0;
        break;
    case Date: {
        m_dateDict = params;
        const QDateTime saved = QVLaunchersManager::sharedManager().nextDateForLauncherIDNum(m_id);
        {
            std::lock_guard lock(m_mutex);
            m_nextTimerDate = saved;
        }
        m_loading = true;
        programDateLauncher();
        m_loading = false;
        break;
    }
    case Application:
        m_eventType = params.value("launcherapplicationtype").toInt();
        // Names arrive without their extension; a stored one may have it.
        m_application = QVContextsManager::applicationNameWithoutExtension(params.value("launcherapplicationapp").toString());
        break;
    case System:
        m_eventType = params.value("launchersystemtype").toInt();
        break;
    case Context:
        m_eventType = params.value("launchercontexttype").toInt();
        break;
    case Calendar:
        m_eventType = params.value("launchercalendartype").toInt();
        m_calendarApplication = params.value("launcherapplicationapp").toString();
        break;
    case Network:
        m_eventType = params.value("launchernetworktype").toInt();
        break;
    case USBDevice: {
        // The editor's ready-made record has no modifiers until a device is
        // captured: a missing value counts as 0.
        m_usbElementDict = {
            {"usbelementvendorid", number(params, "launcherusbvendorid")},
            {"usbelementproductid", number(params, "launcherusbproductid")},
            {"usbelementcookie", number(params, "launcherusbcookie")},
            {"usbmodifiers", number(params, "launcherusbmodifiers")},
        };
        m_usbType = params.contains("launcherusbtype") ? params.value("launcherusbtype").toInt() : -1;
        const QVariantMap usb = params.value("launcherusbparamsdict").toMap();
        if (m_usbType == 1) {
            m_usbIncrement = usb.value("launcherusbwheelincrement").toInt();
            m_lastUSBIncrement = 0;
        } else if (m_usbType == 0) {
            m_release = usb.value("launcherusbbuttonrelease").toBool();
            m_repeatDelay = usb.value("launcherusbbuttonrepeat").toBool()
                                ? std::max(MinimumRepeatDelay, usb.value("launcherusbbuttonrepeatdelay").toDouble())
                                : -1.0;
        }
        QVUSBWatch::current().startWaitEventOfDevice(m_usbElementDict, params.value("launcherusbproductname").toString());
        break;
    }
    default:
        break;
    }
    {
        std::lock_guard lock(m_mutex);
        m_linked.clear();
    }
    m_activatedCount = 0;
    m_forceOffCount = 0;
    return true;
}

void QVLauncher::emptyLauncher()
{
    unregisterHotKeys();
    m_timer.reset();
    ++m_timerGeneration;
    stopRunLauncher();
    m_wheelTimer.reset();
    if (m_type == USBDevice)
        QVUSBWatch::current().stopWaitEventOfDevice(m_usbElementDict);
}

// --- accessors and matching

QDateTime QVLauncher::nextDate() const
{
    std::lock_guard lock(m_mutex);
    return m_nextTimerDate;
}

QList<std::shared_ptr<QVLinkedObject>> QVLauncher::QVLLinkedObjects() const
{
    std::lock_guard lock(m_mutex);
    return m_linked;
}

bool QVLauncher::isKeyEventAndActive() const { return m_type == HotKey && m_hotKeyRef != 0 && m_activatedCount != 0; }
bool QVLauncher::isKeyEventWanted() const { return m_type == HotKey && m_activatedCount > 0 && m_forceOffCount == 0; }
bool QVLauncher::isNetworkEvent(int kind) const { return m_type == Network && m_eventType == kind; }
bool QVLauncher::isSystemEvent(int kind) const { return m_type == System && m_eventType == kind; }
bool QVLauncher::isContextEvent(int kind) const { return m_type == Context && m_eventType == kind; }

bool QVLauncher::isAppEvent(int kind, const QString& withApplication) const
{
    return m_type == Application && m_eventType == kind && m_application == withApplication;
}

// Any process: the application limit the editor may store is not matched.
bool QVLauncher::isCalendarEvent(int kind, const QString& /*withApplication*/) const
{
    return m_type == Calendar && m_eventType == kind;
}

// A pressed code is the one the desktop registered for the combination,
// which may be another launcher's: codes match as combinations.
bool QVLauncher::isAnyKeyEventWithFirstKeycode(quint32 code) const
{
    return m_type == HotKey && HotKeyService::sameCombination(m_keycode, code);
}

bool QVLauncher::isSimpleKeyEventWithKeycode(quint32 code) const
{
    return m_type == HotKey && !m_has2Keycode && HotKeyService::sameCombination(m_keycode, code);
}

bool QVLauncher::isDoubleKeysEventWithFirstKeycode(quint32 code) const
{
    return m_type == HotKey && m_has2Keycode && HotKeyService::sameCombination(m_keycode, code);
}

bool QVLauncher::isDoubleKeysEventWithFirstKeycode(quint32 code, quint32 secondKeycode) const
{
    return m_type == HotKey && m_has2Keycode && HotKeyService::sameCombination(m_keycode, code)
           && HotKeyService::sameCombination(m_keycode2, secondKeycode);
}

bool QVLauncher::isAnyKeyEventWithRegisteredKeycode(quint32 code) const
{
    if (m_type != HotKey)
        return false;
    return (HotKeyService::sameCombination(m_keycode, code) && m_hotKeyRef != 0)
           || (m_has2Keycode && HotKeyService::sameCombination(m_keycode2, code) && m_hotKeyRef2 != 0);
}

bool QVLauncher::isUSBDeviceEventWithDict(const QVariantMap& deviceEvent) const
{
    return m_type == USBDevice && sameElement(m_usbElementDict, deviceEvent);
}

// --- linked objects and switching

void QVLauncher::addLinkedObject(std::shared_ptr<QVLinkedObject> object)
{
    if (!object)
        return;
    std::lock_guard lock(m_mutex);
    m_linked.append(std::move(object));
}

void QVLauncher::removeLinkedObject(const QVLinkedObject* object)
{
    std::lock_guard lock(m_mutex);
    m_linked.removeIf([object](const std::shared_ptr<QVLinkedObject>& o) { return o.get() == object; });
}

void QVLauncher::removeAllLinkedObjects()
{
    QList<std::shared_ptr<QVLinkedObject>> dropped;
    std::lock_guard lock(m_mutex);
    dropped.swap(m_linked); // released after the lock, in case an object's end calls back
}

bool QVLauncher::handedToMainThread(const char* method, void (QVLauncher::*call)(const QVLinkedObject*),
                                    const QVLinkedObject* object)
{
    if (checkMainThread("QVLauncher", method))
        return false;
    auto self = weak_from_this();
    std::weak_ptr<const QVLinkedObject> weakObject =
        object ? object->weak_from_this() : std::weak_ptr<const QVLinkedObject>();
    QVAppl::onMainThread([self, weakObject, call] {
        if (auto launcher = self.lock())
            if (auto o = weakObject.lock())
                (launcher.get()->*call)(o.get());
    }, false);
    return true;
}

bool QVLauncher::isLinked(const QVLinkedObject* object) const
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_linked.cbegin(), m_linked.cend(), [object](const auto& o) { return o.get() == object; });
}

void QVLauncher::activateObject(const QVLinkedObject* object)
{
    if (handedToMainThread("activateObject", &QVLauncher::activateObject, object) || !isLinked(object))
        return;
    ++m_activatedCount;
    setLauncherActivated(true, false);
}

void QVLauncher::deactivateObject(const QVLinkedObject* object)
{
    if (handedToMainThread("deactivateObject", &QVLauncher::deactivateObject, object) || m_activatedCount == 0
        || !isLinked(object))
        return;
    --m_activatedCount;
    setLauncherActivated(false, false);
}

void QVLauncher::setLauncherActivated(bool on, bool force)
{
    if (m_type != HotKey)
        return;
    if (!checkMainThread("QVLauncher", "setLauncherActivated")) {
        auto self = weak_from_this();
        QVAppl::onMainThread([self, on, force] {
            if (auto launcher = self.lock())
                launcher->setLauncherActivated(on, force);
        }, false);
        return;
    }
    if (on) {
        if (force && m_forceOffCount > 0)
            --m_forceOffCount;
        if (m_forceOffCount > 0)
            return;
        if (m_hotKeyRef != 0 && (!m_has2Keycode || m_hotKeyRef2 != 0))
            return;
        if ((force && m_activatedCount > 0) || (!force && m_activatedCount == 1))
            registerWantedHotKeys();
        return;
    }
    stopRunLauncher();
    if (force)
        ++m_forceOffCount;
    if (m_hotKeyRef == 0 && m_hotKeyRef2 == 0)
        return;
    if (!force && m_activatedCount > 0)
        return;
    unregisterHotKeys();
}

void QVLauncher::suspendHotKeys()
{
    if (m_type != HotKey)
        return;
    stopRunLauncher();
    unregisterHotKeys();
}

void QVLauncher::registerWantedHotKeys()
{
    if (m_type != HotKey || m_forceOffCount > 0 || m_activatedCount <= 0
        || QVLaunchersManager::sharedManager().hotkeysSuspended())
        return;
    if (m_hotKeyRef == 0)
        registerHotKey(m_keycode, &m_hotKeyRef);
    if (m_has2Keycode && m_hotKeyRef2 == 0)
        registerHotKey(m_keycode2, &m_hotKeyRef2);
}

void QVLauncher::unregisterHotKeys()
{
    if (m_hotKeyRef == 0 && m_hotKeyRef2 == 0)
        return;
    auto& hotKeys = zelk::Platform::instance().hotKeys();
    if (m_hotKeyRef != 0)
        hotKeys.unregisterHotKey(m_hotKeyRef);
    if (m_hotKeyRef2 != 0)
        hotKeys.unregisterHotKey(m_hotKeyRef2);
    m_hotKeyRef = 0;
    m_hotKeyRef2 = 0;
}

bool QVLauncher::registerHotKey(quint32 code, quint64* ref)
{
    *ref = 0;
    // The code is the identifier the press and release handlers report.
    const int err = zelk::Platform::instance().hotKeys().registerHotKey(code, ref);
    if (err == 0)
        return true;
    *ref = 0;
    zlog("QVLauncher", "registerHotKey")
        << QString("RegisterEventHotKey failed error %1 (eventHotKeyExistsErr = -9878)").arg(err);
    if (err == zelk::HotKeyService::ErrorGrabbedElsewhere)
        reportGrabbedElsewhere(code);
    return false;
}

// --- running

void QVLauncher::runLauncher()
{
    const QList<std::shared_ptr<QVLinkedObject>> objects = QVLLinkedObjects();
    if (traceRun())
        zlog("QVLauncher", "runLauncher") << "QVLLinkedObjects:" << objects.size() << description();
    if (m_forceOffCount > 0)
        return;
    const bool sleep = m_type == System && m_eventType == Sleep;
    const bool shutdown = m_type == System && m_eventType == Shutdown;
    QVAppl* app = QVAppl::shared();
    if (sleep && app)
        app->waitBeforeSleep();
    if (shutdown && app)
        app->waitBeforeShutdown();
    for (const auto& object : objects)
        object->runObject();
    if (sleep || shutdown) {
        // Polled off the main thread, by the engine's background work, which
        // the quit ends and joins before the application object goes.
        zelk::runInBackground([self = shared_from_this(), sleep] {
            if (sleep)
                self->suspendSleepUntilObjectRun();
            else
                self->suspendShutdownUntilObjectRun();
        });
    }
}

void QVLauncher::startRunLauncher()
{
    if (m_forceOffCount > 0)
        return;
    // Set before the first run, so a release that comes at once stops it.
    m_goRunning = true;
    const quint64 generation = ++m_repeatGeneration;
    runLauncher();
    repeatTick(generation);
}

// Arms the next run of the repeat, which then arms the one after.
void QVLauncher::repeatTick(quint64 generation)
{
    if (!m_goRunning || generation != m_repeatGeneration)
        return;
    std::weak_ptr<QVLauncher> self = weak_from_this();
    m_repeatTimer = clock().scheduleAt(secondsFromNow(m_repeatDelay), [self, generation] {
        auto launcher = self.lock();
        if (!launcher || !launcher->m_goRunning || generation != launcher->m_repeatGeneration)
            return;
        launcher->runLauncher();
        launcher->repeatTick(generation);
    });
}

void QVLauncher::stopRunLauncher()
{
    m_goRunning = false;
    ++m_repeatGeneration;
    m_repeatTimer.reset();
}

void QVLauncher::typeKeyEventWithKeycode(quint32 code)
{
    quint64* ref = nullptr;
    quint32 stored = 0;
    if (HotKeyService::sameCombination(code, m_keycode) && m_hotKeyRef != 0) {
        ref = &m_hotKeyRef;
        stored = m_keycode;
    } else if (m_has2Keycode && HotKeyService::sameCombination(code, m_keycode2) && m_hotKeyRef2 != 0) {
        ref = &m_hotKeyRef2;
        stored = m_keycode2;
    } else {
        return;
    }
    // With our grab gone for that moment, the front application gets the key.
    zelk::Platform::instance().hotKeys().unregisterHotKey(*ref);
    *ref = 0;
    typeKeycode(code);
    registerHotKey(stored, ref);
}

void QVLauncher::typeKeycode(quint32 code)
{
    using namespace std::chrono_literals;
    zelk::QVAction::startBeingExclusiveSourceOfEvents();
    zelk::QVAction::simulateKeyPressForKeycode(code, false);
    std::this_thread::sleep_for(20ms);
    zelk::QVAction::simulateKeyReleaseForKeycode(code, false);
    zelk::QVAction::stopBeingExclusiveSourceOfEvents();
    std::this_thread::sleep_for(20ms);
}

// --- USB wheel

void QVLauncher::wheelEventValue(int value)
{
    const int sum = m_lastUSBIncrement + value;
    const int step = m_usbIncrement;
    if ((step > 0 && sum >= step) || (step < 0 && sum <= step)) {
        m_lastUSBIncrement = sum - step;
        scheduleWheelExpiry(sum - step);
        runLauncher();
        return;
    }
    m_lastUSBIncrement = sum;
    scheduleWheelExpiry(sum);
}

// Only the latest event's expiry counts: a remainder lives two seconds
// after the last wheel event that left it.
void QVLauncher::scheduleWheelExpiry(int amount)
{
    std::weak_ptr<QVLauncher> self = weak_from_this();
    m_wheelTimer = clock().scheduleAt(secondsFromNow(WheelRemainderLife), [self, amount] {
        if (auto launcher = self.lock())
            launcher->trackWheelIncrement(amount);
    });
}

void QVLauncher::trackWheelIncrement(int amount)
{
    if (m_lastUSBIncrement == amount)
        m_lastUSBIncrement = 0;
}

// --- dates

QDateTime QVLauncher::nextDateForDict(const QVariantMap& dateParams, const QDateTime& from)
{
    // Read the way the saved dates are, as the time of a fixed date.
    QDate day;
    QTime time;
    if (!QVLaunchersManager::dateFromText("1/1/2001," + dateParams.value("launcherdatetime").toString(), &day, &time)) {
        zlog("QVLauncher", "nextDateForDict") << "no time of day in" << dateParams.value("launcherdatetime");
        return {};
    }
    // The time of day is the user's wall clock: a date read back from a file
    // comes in UTC, whose day may be another.
    const QDateTime now = (from.isValid() ? from : clock().now()).toLocalTime();
    QDateTime candidate(now.date(), time);
    if (now > candidate)
        candidate = candidate.addDays(1);

    const int dateType = dateParams.value("launcherdatetype").toInt();
    if (dateType != 1 && dateType != 2)
        return candidate;
    // Imported files may carry days that no date has: they are left out.
    QSet<int> days;
    for (const QVariant& v : dateParams.value("launcherdatedays").toList()) {
        bool isNumber = false;
        const int day = v.toInt(&isNumber);
        if (isNumber && ((dateType == 1 && day >= 0 && day <= 6) || (dateType == 2 && day >= 1 && day <= 31)))
            days.insert(day);
    }
    if (days.isEmpty())
        return {};
    for (int i = 0; i < kMaxDaySearch; ++i, candidate = candidate.addDays(1)) {
        const int day = dateType == 1 ? candidate.date().dayOfWeek() % 7 : candidate.date().day();
        if (days.contains(day))
            return candidate;
    }
    return {};
}

void QVLauncher::programDateLauncher() { programDateLauncherFrom({}); }

void QVLauncher::programDateLauncherFrom(const QDateTime& notBefore)
{
    m_timer.reset();
    const quint64 generation = ++m_timerGeneration;
    QDateTime stored;
    {
        std::lock_guard lock(m_mutex);
        stored = m_nextTimerDate;
        m_nextTimerDate = {};
    }
    const QDateTime now = clock().now();
    if (stored.isValid() && stored < now) {
        // While loading, nothing links to the launcher yet: endInit() decides.
        if (m_loading)
            m_missedDate = stored;
        else
            handleMissedDate(stored);
        if (generation != m_timerGeneration)
            return; // the run re-programmed the launcher
    }
    const QDateTime next = nextDateForDict(m_dateDict, notBefore.isValid() && notBefore > now ? notBefore : now);
    if (!next.isValid())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_nextTimerDate = next;
    }
    std::weak_ptr<QVLauncher> self = weak_from_this();
    zelk::ObserverHandle handle = clock().scheduleAt(next, [self, generation] {
        if (auto launcher = self.lock(); launcher && launcher->m_timerGeneration == generation)
            launcher->runLauncherFromTimer();
    });
    // A clock may fire a due date inside scheduleAt; the run then re-programmed.
    if (generation == m_timerGeneration)
        m_timer = std::move(handle);
}

void QVLauncher::runLauncherFromTimer()
{
    QDateTime fired;
    {
        std::lock_guard lock(m_mutex);
        fired = m_nextTimerDate;
        m_nextTimerDate = {};
    }
    runLauncher();
    // The next occurrence comes strictly after this one, even when the clock
    // fired exactly on the second.
    programDateLauncherFrom(fired.isValid() ? fired.addMSecs(1) : QDateTime());
}

void QVLauncher::endInit()
{
    if (!m_missedDate.isValid())
        return;
    const QDateTime missed = m_missedDate;
    m_missedDate = {};
    handleMissedDate(missed);
}

void QVLauncher::handleMissedDate(const QDateTime& missed)
{
    switch (m_dateDict.value("launcherdatewarnover").toInt()) {
    case 2:
        runLauncher();
        break;
    case 1:
        if (!QVLLinkedObjects().isEmpty() && askMissedDate(missed))
            runLauncher();
        break;
    default:
        break;
    }
}

bool QVLauncher::askMissedDate(const QDateTime& missed)
{
    const QLocale locale;
    const QString title = fillFormat(localizedEngineString("LanceurDateDepasse"),
                                     {nameOfDateLauncherWithParams(m_dateDict),
                                      locale.toString(missed.date(), QLocale::ShortFormat),
                                      locale.toString(missed.time(), QLocale::LongFormat)});
    auto* utility = zelk::QVUtilityClass::host();
    if (!utility) {
        zlog("QVLauncher", "programDateLauncher") << "no alert to ask about" << title;
        return false;
    }
    return utility->runAlertPanelWithTitle(title, localizedEngineString("QuoiFaireLaunceur"),
                                           localizedEngineString("LancerMaintenant"),
                                           localizedEngineString("Ignorer"), {})
           == 1;
}

QString QVLauncher::nameOfDateLauncherWithParams(const QVariantMap& dateParams)
{
    QString name;
    QStringList days;
    switch (dateParams.value("launcherdatetype").toInt()) {
    case 0:
        name = localizedEngineString("ChaqueJour");
        break;
    case 1:
        for (const QVariant& d : dateParams.value("launcherdatedays").toList())
            days << localizedEngineString(QString("Jour%1").arg(d.toInt()));
        name = QString("%1 (%2)").arg(localizedEngineString("ChaqueSemaine"), days.join(", "));
        break;
    case 2:
        for (const QVariant& d : dateParams.value("launcherdatedays").toList())
            days << QString::number(d.toInt());
        name = QString("%1 (%2)").arg(localizedEngineString("ChaqueMois"), days.join(", "));
        break;
    default:
        break;
    }
    name += " " + localizedEngineString("ADeHeure");
    name += " " + dateParams.value("launcherdatetime").toString();
    return name;
}

// --- sleep and shut-down

void QVLauncher::setRunWaitTimeout(double seconds) { g_runWaitTimeout = seconds; }
double QVLauncher::runWaitTimeout() { return g_runWaitTimeout; }

void QVLauncher::suspendSleepUntilObjectRun() { waitUntilObjectsRun(true); }
void QVLauncher::suspendShutdownUntilObjectRun() { waitUntilObjectsRun(false); }

void QVLauncher::waitUntilObjectsRun(bool sleep)
{
    const auto deadline = std::chrono::steady_clock::now()
                          + std::chrono::milliseconds(qint64(g_runWaitTimeout.load() * 1000));
    for (;;) {
        const auto objects = QVLLinkedObjects();
        const bool running = std::any_of(objects.cbegin(), objects.cend(), [](const auto& o) { return o->canGoRunning(); });
        if (!running)
            break;
        // The engine quits: its own quit hand-shake takes over.
        if (zelk::MainThread::isClosed())
            return;
        if (std::chrono::steady_clock::now() >= deadline) {
            // A run that never ends must not keep the machine awake.
            zlog("QVLauncher", sleep ? "suspendSleepUntilObjectRun" : "suspendShutdownUntilObjectRun")
                << "still running after" << g_runWaitTimeout.load() << "s; going on";
            break;
        }
        std::this_thread::sleep_for(kRunWaitPoll);
    }
    std::this_thread::sleep_for(kRunWaitPoll);
    if (QVAppl* app = QVAppl::shared()) {
        if (sleep)
            app->canGoToSleep();
        else
            app->canGoShutdown();
    }
}

// --- diagnostics

QString QVLauncher::description() const
{
    static const char* const kTypeWords[] = {"HotKey", "Date", "Application", "System", "Context", "USBDevice", "CalendarChange", "NetworkChange"};
    const QString word = m_type >= 0 && m_type <= Network ? kTypeWords[m_type] : "NA";
    QString detail;
    if (m_type == Application) {
        static const char* const kApp[] = {"On Launch", "On Terminate", "On Activate", "On Deactivate"};
        if (m_eventType >= 0 && m_eventType <= 3)
            detail = QString("%1: '%2' ").arg(kApp[m_eventType], m_application);
    } else if (m_type == System) {
        static const char* const kSystem[] = {"On Boot ", "On Sleep ", "On Wake ", "On Shutdown "};
        if (m_eventType >= 0 && m_eventType <= 3)
            detail = kSystem[m_eventType];
    }
    return QString("QVLauncher (%1) { ID %2, Type:'%3' %4}").arg(quintptr(this), 0, 16).arg(m_id).arg(word, detail);
}

} // namespace engine
