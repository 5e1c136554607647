#include "QVLaunchersManager.h"

#include "Log.h"
#include "Platform.h"
#include "PropertyList.h"
#include "QVAppl.h"
#include "QVContextsManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <limits>

namespace engine {

using zelk::zlog;

namespace {

constexpr const char* kDateFileName = "LaunchersDate.plist";

std::mutex g_folderMutex;
QString g_launchersDateFolder;

zelk::Clock& clock() { return zelk::Platform::instance().clock(); }

QDateTime secondsFromNow(double seconds) { return clock().now().addMSecs(qint64(seconds * 1000)); }

quint32 keyCode(const zelk::Notification& notification)
{
    return quint32(notification.userInfo.value("KeyCode").toLongLong());
}

QString launcherText(const std::shared_ptr<QVLauncher>& launcher) { return launcher ? launcher->description() : "nil"; }

QString launchersText(const QList<std::shared_ptr<QVLauncher>>& launchers)
{
    QStringList texts;
    for (const auto& launcher : launchers)
        texts << launcher->description();
    return "(" + texts.join(", ") + ")";
}

} // namespace

// --- the network-state centre

IXSCNotificationCenter::IXSCNotificationCenter() : IXSCNotificationCenter(DefaultPattern) {}

IXSCNotificationCenter::IXSCNotificationCenter(const QString& pattern)
{
    setupKeyList(pattern);
    m_source = zelk::Platform::instance().network().observe(
        [this](const QString& key, bool present) { keyChanged(key, present); });
}

void IXSCNotificationCenter::setupKeyList(const QString& pattern)
{
    m_pattern = QRegularExpression(QRegularExpression::anchoredPattern(pattern));
    if (!m_pattern.isValid())
        zlog("IXSCNotificationCenter", "setupKeyList") << "bad pattern" << pattern << m_pattern.errorString();
}

void IXSCNotificationCenter::addObserver(const void* observer, Observer selector, const QString& name)
{
    if (!observer || !selector) {
        zlog("IXSCNotificationCenter", "addObserver") << "Observer cannot be nil";
        return;
    }
    m_observersForKeys[name.isEmpty() ? QString(AnyNotification) : name].append({observer, std::move(selector)});
}

void IXSCNotificationCenter::keyChanged(const QString& key, bool present)
{
    if (!m_pattern.match(key).hasMatch())
        return;
    m_values.insert(key, present);
    keysChanged({key});
}

void IXSCNotificationCenter::keysChanged(const QStringList& keys)
{
    for (const QString& key : keys)
        postNotification(key);
}

void IXSCNotificationCenter::postNotification(const QString& name)
{
    if (name.isEmpty()) {
        zlog("IXSCNotificationCenter", "postNotification") << "Notification name cannot be nil";
        return;
    }
    // An observer filed under the name and under every name is told once.
    QList<Entry> entries = m_observersForKeys.value(AnyNotification) + m_observersForKeys.value(name);
    QSet<const void*> told;
    for (const Entry& entry : std::as_const(entries)) {
        if (told.contains(entry.observer))
            continue;
        told.insert(entry.observer);
        entry.selector(name);
    }
}

bool IXSCNotificationCenter::valueForKey(const QString& key) const { return m_values.value(key, false); }

// --- the manager

QVLaunchersManager& QVLaunchersManager::sharedManager()
{
    // Kept for the life of the process, like the notifications it observes.
    static QVLaunchersManager* const manager = new QVLaunchersManager;
    return *manager;
}

QVLaunchersManager::QVLaunchersManager()
{
    if (traceMgrEng())
        zlog("QVLaunchersManager", "init") << "(added NSNotifications)";
    m_network = std::make_unique<IXSCNotificationCenter>("State:/Network/Interface/[^/]+/IPv4.*");
    m_network->addObserver(this, [this](const QString& key) { netorkChangeNotification(key); });
    auto& center = zelk::NotificationCenter::defaultCenter();
    using Handler = void (QVLaunchersManager::*)(const zelk::Notification&);
    const std::pair<const char*, Handler> local[] = {
        {"DownKeyNotification", &QVLaunchersManager::downKeyNotification},
        {"UpKeyNotification", &QVLaunchersManager::upKeyNotification},
        {"USBEventNotification", &QVLaunchersManager::usbEventNotification},
        {"AfterLaunchAppNotifcation", &QVLaunchersManager::launchAppNotification},
        {"AfterTerminateAppNotifcation", &QVLaunchersManager::terminateAppNotification},
        {"FrontAppChangedNotification", &QVLaunchersManager::frontAppChangedNotification},
        {"BootNotification", &QVLaunchersManager::bootNotification},
        {"GoToSleepNotification", &QVLaunchersManager::sleepNotification},
        {"WakeFromSleepNotification", &QVLaunchersManager::wakeNotification},
        {"ShutdownNotification", &QVLaunchersManager::shutdownNotification},
        {"EndInitNotification", &QVLaunchersManager::endInitNotification},
    };
    for (const auto& [name, handler] : local)
        m_observers.push_back(
            center.addObserver(name, nullptr, [this, h = handler](const zelk::Notification& n) { (this->*h)(n); }));
}

// --- loading and look-up

void QVLaunchersManager::resetLaunchers()
{
    if (traceMgrEng())
        zlog("QVLaunchersManager", "resetLaunchers");
    QList<std::shared_ptr<QVLauncher>> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_dateIDs.clear();
        m_dateTexts.clear();
        dropped.swap(m_launchers);
        m_byID.clear();
    }
    m_loaded = false;
    m_downWaitSecondKey = false;
    m_upWaitSecondKey = false;
    m_runSecondHotkey = false;
    m_secondKeyTimer.reset();
    m_secondKeyStarted.clear();
    m_typeThroughTimers.clear();
    for (const auto& launcher : std::as_const(dropped)) {
        launcher->emptyLauncher();
        launcher->removeAllLinkedObjects();
    }
}

void QVLaunchersManager::setLaunchers(const QVariantList& records)
{
    if (!launchersArray().isEmpty())
        resetLaunchers(); // nothing stays registered from the old list
    readLaunchersDate();
    for (const QVariant& record : records)
        addLauncherObject(record.toMap());
    m_loaded = true;
    watchCalendar();
}

void QVLaunchersManager::watchCalendar()
{
    // The calendar service is asked for its calendars only while a
    // calendar launcher waits for them: watching them costs it work.
    const auto launchers = launchersArray();
    const bool wanted = std::any_of(launchers.cbegin(), launchers.cend(),
                                    [](const auto& launcher) { return launcher->launcherType() == QVLauncher::Calendar; });
    if (!wanted) {
        m_calendar.reset();
        return;
    }
    if (m_calendar)
        return;
    m_calendar = zelk::Platform::instance().calendar().observe([this](int kind, const QString& sender) {
        switch (kind) {
        case 0:
            calendarChangeNotification(sender);
            break;
        case 1:
            tasksChanged(sender);
            break;
        case 2:
            eventsChanged(sender);
            break;
        default:
            break;
        }
    });
}

void QVLaunchersManager::addLauncherObject(const QVariantMap& record)
{
    insertLauncherObject(record, std::numeric_limits<qsizetype>::max());
}

void QVLaunchersManager::insertLauncherObject(const QVariantMap& record, qsizetype atIndex)
{
    // Built outside the lock: a date launcher asks for its saved date.
    auto launcher = QVLauncher::launcherWithRecord(record);
    if (!launcher) {
        zlog("QVLaunchersManager", "insertLauncherObject") << "skipped launcher" << record.value("launcherID");
        return;
    }
    std::lock_guard lock(m_mutex);
    const qsizetype at = std::clamp<qsizetype>(atIndex, 0, m_launchers.size());
    m_launchers.insert(at, std::move(launcher));
    m_byID.inserted(m_launchers, at);
}

QList<std::shared_ptr<QVLauncher>> QVLaunchersManager::launchersArray() const
{
    std::lock_guard lock(m_mutex);
    return m_launchers;
}

QList<std::shared_ptr<QVLauncher>> QVLaunchersManager::getAllActiveHotkeysLaunchers() const { return launchersArray(); }

std::shared_ptr<QVLauncher> QVLaunchersManager::launcherWithID(quint32 launcherID) const
{
    std::lock_guard lock(m_mutex);
    return m_byID.find(m_launchers, launcherID);
}

QList<std::shared_ptr<QVLauncher>> QVLaunchersManager::launchersWhere(const std::function<bool(const QVLauncher&)>& match) const
{
    QList<std::shared_ptr<QVLauncher>> found;
    const auto launchers = launchersArray();
    for (const auto& launcher : launchers)
        if (match(*launcher))
            found.append(launcher);
    return found;
}

// --- hot-key switches

void QVLaunchersManager::setAllHotkeysActivated(bool activated)
{
    for (const auto& launcher : launchersWhere([](const QVLauncher& l) { return l.isKeyEvent(); }))
        launcher->setLauncherActivated(activated, true);
}

void QVLaunchersManager::setHotkey(quint32 code, bool activated)
{
    for (const auto& launcher : launchersWhere([code](const QVLauncher& l) { return l.isAnyKeyEventWithFirstKeycode(code); }))
        launcher->setLauncherActivated(activated, true);
}

void QVLaunchersManager::setHotkeysSuspended(SuspendReason reason, bool suspended)
{
    if (!checkMainThread("QVLaunchersManager", "setHotkeysSuspended")) {
        QVAppl::onMainThread([this, reason, suspended] { setHotkeysSuspended(reason, suspended); }, false);
        return;
    }
    const unsigned before = m_suspendReasons.load();
    const unsigned after = suspended ? before | reason : before & ~unsigned(reason);
    m_suspendReasons = after;
    if (traceMgrEng())
        zlog("QVLaunchersManager", "setHotkeysSuspended") << reason << suspended << "- reasons now" << after;
    if ((before == 0) == (after == 0))
        return;
    for (const auto& launcher : launchersWhere([](const QVLauncher& l) { return l.isKeyEvent(); })) {
        if (after != 0)
            launcher->suspendHotKeys();
        else
            launcher->registerWantedHotKeys();
    }
}

// --- dates

void QVLaunchersManager::setLaunchersDateFolder(const QString& folder)
{
    std::lock_guard lock(g_folderMutex);
    g_launchersDateFolder = folder;
}

QString QVLaunchersManager::launchersDatePath()
{
    QString folder;
    {
        std::lock_guard lock(g_folderMutex);
        folder = g_launchersDateFolder;
    }
    if (folder.isEmpty()) {
        if (QVAppl* app = QVAppl::shared())
            folder = app->prefsPathForDataType(1);
    }
    return folder.isEmpty() ? QString() : QDir(folder).filePath(kDateFileName);
}

void QVLaunchersManager::readLaunchersDate()
{
    QList<quint32> ids;
    QStringList texts;
    const QString path = launchersDatePath();
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        QString error;
        const auto value = zelk::plist::readFile(path, &error);
        if (!value)
            zlog("QVLaunchersManager", "setLaunchers") << "unreadable" << path << error;
        const QVariantMap dict = value ? value->toMap() : QVariantMap();
        const QVariantList idList = dict.value("LauncherID").toList();
        const QVariantList dateList = dict.value("LauncherDate").toList();
        for (qsizetype i = 0; i < std::min(idList.size(), dateList.size()); ++i) {
            ids << quint32(idList[i].toLongLong());
            texts << dateList[i].toString();
        }
    }
    std::lock_guard lock(m_mutex);
    m_dateIDs = ids;
    m_dateTexts = texts;
}

QDateTime QVLaunchersManager::nextDateForLauncherIDNum(quint32 launcherID) const
{
    QString text;
    {
        std::lock_guard lock(m_mutex);
        const qsizetype at = m_dateIDs.indexOf(launcherID);
        if (at < 0)
            return {};
        text = m_dateTexts.value(at);
    }
    QDate date;
    QTime time;
    if (!dateFromText(text, &date, &time)) {
        zlog("QVLaunchersManager", "nextDateForLauncherIDNum") << "unreadable date" << text << "for" << launcherID;
        return {};
    }
    return QDateTime(date, time); // local time, as written
}

bool QVLaunchersManager::dateFromText(const QString& text, QDate* date, QTime* time)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{1,2})/(\d{1,2})/(\d{4}),\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const QDate d(match.captured(3).toInt(), match.captured(2).toInt(), match.captured(1).toInt());
    const QTime t(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    if (!d.isValid() || !t.isValid())
        return false;
    *date = d;
    *time = t;
    return true;
}

void QVLaunchersManager::reprogramDateLaunchers()
{
    for (const auto& launcher : launchersWhere([](const QVLauncher& l) { return l.isDateEvent(); }))
        launcher->programDateLauncher();
}

void QVLaunchersManager::saveDateLaunchersDate()
{
    if (!m_loaded) {
        zlog("QVLaunchersManager", "saveDateLaunchersDate") << "no launchers were read:" << kDateFileName << "is left as it is";
        return;
    }
    QVariantList ids;
    QVariantList dates;
    for (const auto& launcher : launchersWhere([](const QVLauncher& l) { return l.isDateEvent(); })) {
        const QDateTime next = launcher->nextDate();
        if (!next.isValid())
            continue;
        ids << qint64(launcher->IDValue());
        dates << next.toLocalTime().toString(DateFormat);
    }
    const QVariantMap dict{{"LauncherID", ids}, {"LauncherDate", dates}};
    const QString path = launchersDatePath();
    if (path.isEmpty()) {
        zlog("QVLaunchersManager", "saveDateLaunchersDate") << "no data folder";
        return;
    }
    // Written atomically over the old file, which stays whole when writing fails.
    QString error;
    if (!zelk::plist::writeFile(path, dict, &error))
        zlog("QVLaunchersManager", "saveDateLaunchersDate") << "failed to write" << path << error;
    if (traceMgrEng())
        zlog("QVLaunchersManager", "saveDateLaunchersDate") << dict;
}

void QVLaunchersManager::terminateApp() { saveDateLaunchersDate(); }

// --- event look-ups

std::shared_ptr<QVLauncher> QVLaunchersManager::networkLauncherForEvent(int kind) const
{
    const auto found = launchersWhere([kind](const QVLauncher& l) { return l.isNetworkEvent(kind); }).value(0);
    if (traceMgrEng())
        zlog("QVLaunchersManager", "networkLauncherForEvent") << QString("eventType(%1) - %2").arg(kind).arg(launcherText(found));
    return found;
}

std::shared_ptr<QVLauncher> QVLaunchersManager::systemLauncherForEvent(int kind) const
{
    const auto found = launchersWhere([kind](const QVLauncher& l) { return l.isSystemEvent(kind); }).value(0);
    if (traceMgrEng())
        zlog("QVLaunchersManager", "systemLauncherForEvent") << QString("eventType(%1) - %2").arg(kind).arg(launcherText(found));
    return found;
}

std::shared_ptr<QVLauncher> QVLaunchersManager::calLauncherForEvent(int kind, const QString& withApplication) const
{
    const auto found = launchersWhere([&](const QVLauncher& l) { return l.isCalendarEvent(kind, withApplication); }).value(0);
    if (traceMgrEng())
        zlog("QVLaunchersManager", "appLauncherForEvent")
            << QString("eventType(%1) appPathName %2 - %3").arg(kind).arg(withApplication, launcherText(found));
    return found;
}

std::shared_ptr<QVLauncher> QVLaunchersManager::appLauncherForEvent(int kind, const QString& withApplication) const
{
    const auto found = launchersWhere([&](const QVLauncher& l) { return l.isAppEvent(kind, withApplication); }).value(0);
    if (traceMgrEng())
        zlog("QVLaunchersManager", "appLauncherForEvent")
            << QString("eventType(%1) appPathName %2 - %3").arg(kind).arg(withApplication, launcherText(found));
    return found;
}

std::shared_ptr<QVLauncher> QVLaunchersManager::registeredKeyLauncherWithKeycode(quint32 code) const
{
    const auto found = launchersWhere([code](const QVLauncher& l) { return l.isAnyKeyEventWithRegisteredKeycode(code); }).value(0);
    if (traceMgrEng())
        zlog("QVLaunchersManager", "registeredKeyLauncherWithKeycode") << QString("%1 - %2").arg(code).arg(launcherText(found));
    return found;
}

QList<std::shared_ptr<QVLauncher>> QVLaunchersManager::anyKeyLaunchersWithFirstKeycode(quint32 code) const
{
    const auto found = launchersWhere([code](const QVLauncher& l) { return l.isAnyKeyEventWithFirstKeycode(code); });
    if (traceMgrEng())
        zlog("QVLaunchersManager", "anyKeyLaunchersWithFirstKeycode") << QString("%1 - %2").arg(code).arg(launchersText(found));
    return found;
}

QList<std::shared_ptr<QVLauncher>> QVLaunchersManager::simpleKeyLaunchersWithKeycode(quint32 code) const
{
    const auto found = launchersWhere([code](const QVLauncher& l) { return l.isSimpleKeyEventWithKeycode(code); });
    if (traceMgrEng())
        zlog("QVLaunchersManager", "simpleKeyLaunchersWithKeycode") << QString("%1 - %2").arg(code).arg(launchersText(found));
    return found;
}

QList<std::shared_ptr<QVLauncher>> QVLaunchersManager::doubleKeysLaunchersWithFirstKeycode(quint32 code) const
{
    const auto found = launchersWhere([code](const QVLauncher& l) { return l.isDoubleKeysEventWithFirstKeycode(code); });
    if (traceMgrEng())
        zlog("QVLaunchersManager", "doubleKeysLaunchersWithFirstKeycode") << QString("%1 - %2").arg(code).arg(launchersText(found));
    return found;
}

QList<std::shared_ptr<QVLauncher>> QVLaunchersManager::doubleKeysLaunchersWithFirstKeycode(quint32 code, quint32 secondKeycode) const
{
    const auto found = launchersWhere(
        [code, secondKeycode](const QVLauncher& l) { return l.isDoubleKeysEventWithFirstKeycode(code, secondKeycode); });
    if (traceMgrEng())
        zlog("QVLaunchersManager", "doubleKeysLaunchersWithFirstKeycode")
            << QString("%1 - %2 - %3").arg(code).arg(secondKeycode).arg(launchersText(found));
    return found;
}

QList<std::shared_ptr<QVLauncher>> QVLaunchersManager::usbDeviceEventLaunchersWithDict(const QVariantMap& deviceEvent) const
{
    const auto found = launchersWhere([&deviceEvent](const QVLauncher& l) { return l.isUSBDeviceEventWithDict(deviceEvent); });
    if (traceMgrEng())
        zlog("QVLaunchersManager", "usbDeviceEventLaunchersWithDict") << deviceEvent << "-" << launchersText(found);
    return found;
}

// --- keys

void QVLaunchersManager::startLauncher(QVLauncher& launcher)
{
    if (launcher.runKeyReleased())
        return;
    if (launcher.repeatKeyDown())
        launcher.startRunLauncher();
    else
        launcher.runLauncher();
}

void QVLaunchersManager::finishLauncher(QVLauncher& launcher)
{
    if (launcher.runKeyReleased())
        launcher.runLauncher();
    else if (launcher.repeatKeyDown())
        launcher.stopRunLauncher();
}

void QVLaunchersManager::notifyKeyCue() const
{
    if (QVAppl* app = QVAppl::shared())
        app->SendAppleEventToKeyCue("Stop");
}

namespace {

QList<std::shared_ptr<QVLauncher>> wanted(QList<std::shared_ptr<QVLauncher>> launchers)
{
    launchers.removeIf([](const std::shared_ptr<QVLauncher>& l) { return !l->isKeyEventWanted(); });
    return launchers;
}

} // namespace

void QVLaunchersManager::downKeyNotification(const zelk::Notification& notification)
{
    if (!checkMainThread("QVLaunchersManager", "downKeyNotification")) {
        QVAppl::onMainThread([this, notification] { downKeyNotification(notification); }, false);
        return;
    }
    const quint32 k = keyCode(notification);
    m_runSecondHotkey = false;

    if (m_downWaitSecondKey) {
        // Any press ends the wait: back to idle, both flags cleared.
        m_downWaitSecondKey = false;
        m_upWaitSecondKey = false;
        m_secondKeyTimer.reset();
        const auto pair = wanted(doubleKeysLaunchersWithFirstKeycode(m_firstKeycode, k));
        if (!pair.isEmpty()) {
            notifyKeyCue();
            // Finished on this key's release: run-on-release and repeating
            // two-key launchers need it.
            m_secondKeyStarted = pair;
            m_secondKeyStartedCode = k;
            for (const auto& launcher : pair)
                startLauncher(*launcher);
        }
        return;
    }

    // A two-key launcher that no active object wants, or that a context
    // keeps off, must not hold up the one-key launchers of its first key.
    if (!wanted(doubleKeysLaunchersWithFirstKeycode(k)).isEmpty()) {
        m_downWaitSecondKey = true;
        m_upWaitSecondKey = false;
        m_firstKeycode = k;
        m_secondKeyTimer = clock().scheduleAt(secondsFromNow(QVLauncher::SecondKeyWait), [this] { stopWaitSecondKey(); });
        return;
    }

    const auto single = simpleKeyLaunchersWithKeycode(k);
    if (!single.isEmpty()) {
        notifyKeyCue();
        for (const auto& launcher : single)
            startLauncher(*launcher);
        return;
    }

    if (registeredKeyLauncherWithKeycode(k))
        m_runSecondHotkey = true;
}

void QVLaunchersManager::upKeyNotification(const zelk::Notification& notification)
{
    if (!checkMainThread("QVLaunchersManager", "upKeyNotification")) {
        QVAppl::onMainThread([this, notification] { upKeyNotification(notification); }, false);
        return;
    }
    const quint32 k = keyCode(notification);

    if (!m_secondKeyStarted.isEmpty() && k == m_secondKeyStartedCode) {
        const auto pair = std::exchange(m_secondKeyStarted, {});
        notifyKeyCue();
        for (const auto& launcher : pair)
            finishLauncher(*launcher);
        return;
    }

    if (m_downWaitSecondKey) {
        if (m_upWaitSecondKey) {
            const auto pair = wanted(doubleKeysLaunchersWithFirstKeycode(m_firstKeycode, k));
            if (!pair.isEmpty()) {
                notifyKeyCue();
                for (const auto& launcher : pair)
                    finishLauncher(*launcher);
            }
            m_upWaitSecondKey = false;
        } else {
            m_upWaitSecondKey = true;
        }
        return;
    }

    const auto single = simpleKeyLaunchersWithKeycode(k);
    if (!single.isEmpty()) {
        notifyKeyCue();
        for (const auto& launcher : single)
            finishLauncher(*launcher);
        return;
    }

    if (m_runSecondHotkey && registeredKeyLauncherWithKeycode(k))
        typeThroughLater(k);
}

// The key reaches the front application a moment after its release.
void QVLaunchersManager::typeThroughLater(quint32 code)
{
    std::weak_ptr<QVLauncher> launcher = registeredKeyLauncherWithKeycode(code);
    const quint64 id = m_nextTypeThrough++;
    m_typeThroughTimers[id] = clock().scheduleAt(secondsFromNow(QVLauncher::TypeThroughDelay), [this, launcher, code, id] {
        if (auto l = launcher.lock())
            l->typeKeyEventWithKeycode(code);
        m_typeThroughTimers.erase(id);
    });
}

void QVLaunchersManager::stopWaitSecondKey()
{
    if (!m_downWaitSecondKey)
        return;
    const quint32 first = m_firstKeycode;
    const bool released = m_upWaitSecondKey;
    m_downWaitSecondKey = false;
    m_upWaitSecondKey = false;
    m_secondKeyTimer.reset();

    const auto single = simpleKeyLaunchersWithKeycode(first);
    if (!single.isEmpty()) {
        for (const auto& launcher : single) {
            // A key already released runs once: its release, which would
            // stop a repeat, has come and gone.
            if (released)
                launcher->runLauncher();
            else
                startLauncher(*launcher);
        }
        return;
    }
    if (auto launcher = registeredKeyLauncherWithKeycode(first))
        launcher->typeKeyEventWithKeycode(first);
}

// --- USB

void QVLaunchersManager::usbEventNotification(const zelk::Notification& notification)
{
    const QVariantMap device = notification.userInfo.value("DeviceEvent").toMap();
    const int value = notification.userInfo.value("EventValue").toInt();
    for (const auto& launcher : usbDeviceEventLaunchersWithDict(device)) {
        if (launcher->usbType() == 1) {
            launcher->wheelEventValue(value);
        } else if (launcher->usbType() == 0) {
            if (value < 1)
                finishLauncher(*launcher);
            else
                startLauncher(*launcher);
        }
    }
}

// --- applications and the system

void QVLaunchersManager::launchAppNotification(const zelk::Notification& notification)
{
    const QString name = QVContextsManager::applicationNameWithoutExtension(notification.userInfo.value("AppPathName").toString());
    if (auto launcher = appLauncherForEvent(0, name))
        launcher->runLauncher();
}

void QVLaunchersManager::terminateAppNotification(const zelk::Notification& notification)
{
    const QString name = QVContextsManager::applicationNameWithoutExtension(notification.userInfo.value("AppPathName").toString());
    if (auto launcher = appLauncherForEvent(1, name))
        launcher->runLauncher();
}

void QVLaunchersManager::frontAppChangedNotification(const zelk::Notification& notification)
{
    if (!checkMainThread("QVLaunchersManager", "frontAppChangedNotification")) {
        QVAppl::onMainThread([this, notification] { frontAppChangedNotification(notification); }, false);
        return;
    }
    const QString last = QVContextsManager::applicationNameWithoutExtension(notification.userInfo.value("LastFrontApp").toString());
    const QString front = QVContextsManager::applicationNameWithoutExtension(notification.userInfo.value("NewFrontApp").toString());
    if (auto launcher = appLauncherForEvent(3, last))
        launcher->runLauncher();
    if (auto launcher = appLauncherForEvent(2, front))
        launcher->runLauncher();
}

void QVLaunchersManager::bootNotification(const zelk::Notification&)
{
    if (auto launcher = systemLauncherForEvent(QVLauncher::Boot))
        launcher->runLauncher();
}

void QVLaunchersManager::sleepNotification(const zelk::Notification&)
{
    if (auto launcher = systemLauncherForEvent(QVLauncher::Sleep))
        launcher->runLauncher();
}

void QVLaunchersManager::wakeNotification(const zelk::Notification&)
{
    if (auto launcher = systemLauncherForEvent(QVLauncher::Wake))
        launcher->runLauncher();
    reprogramDateLaunchers();
}

void QVLaunchersManager::shutdownNotification(const zelk::Notification&)
{
    if (auto launcher = systemLauncherForEvent(QVLauncher::Shutdown))
        launcher->runLauncher();
}

void QVLaunchersManager::endInitNotification(const zelk::Notification&)
{
    QList<std::weak_ptr<QVLauncher>> dated;
    for (const auto& launcher : launchersWhere([](const QVLauncher& l) { return l.isDateEvent(); }))
        dated << launcher;
    if (dated.isEmpty())
        return;
    auto handleMissed = [dated] {
        for (const auto& weak : dated)
            if (auto launcher = weak.lock())
                launcher->endInit();
    };
    if (auto* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, handleMissed, Qt::QueuedConnection);
    else
        handleMissed();
}

// --- network and calendar

void QVLaunchersManager::netorkChangeNotification(const QString& key)
{
    if (traceRun())
        zlog("QVLaunchersManager", "netorkChangeNotification") << "kQVLauncherTypeNetworkChange" << key;
    const int kind = m_network->valueForKey(key) ? 0 : 1;
    if (auto launcher = networkLauncherForEvent(kind))
        launcher->runLauncher();
}

void QVLaunchersManager::calendarEvent(int kind, const QString& senderProcess)
{
    if (traceRun()) {
        static const char* const kWhat[] = {"calendarChangeNotification", "Cal task/ToDo Changed", "Cal eventsChanged"};
        zlog("QVLaunchersManager", "calendarEvent") << kWhat[kind] << "SenderProcess:" << senderProcess;
    }
    if (auto launcher = calLauncherForEvent(kind, senderProcess))
        launcher->runLauncher();
}

void QVLaunchersManager::calendarChangeNotification(const QString& senderProcess) { calendarEvent(0, senderProcess); }
void QVLaunchersManager::tasksChanged(const QString& senderProcess) { calendarEvent(1, senderProcess); }
void QVLaunchersManager::eventsChanged(const QString& senderProcess) { calendarEvent(2, senderProcess); }

} // namespace engine
