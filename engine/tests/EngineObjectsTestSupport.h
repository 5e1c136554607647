#pragma once
// Fakes and a fixture for the tests of the engine's contexts, actions,
// launchers and launchers manager: linked objects that record what reaches
// them, a QVUtility that answers alerts, and the hot-key handler that the
// application installs, on the virtual desktop with its clock set to a
// Wednesday afternoon.
#include "ClassRegistry.h"
#include "NotificationCenter.h"
#include "QVActionsManager.h"
#include "QVContextsManager.h"
#include "QVLauncher.h"
#include "QVLaunchersManager.h"
#include "QVUtilityClass.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>

namespace enginetest {

constexpr quint32 Cmd = 0x100000;
constexpr quint32 KeyA = 0, KeyB = 11, KeyC = 8;
constexpr quint32 CmdA = Cmd | KeyA, CmdB = Cmd | KeyB, CmdC = Cmd | KeyC;
// Shift-Up as a rule captures it; a launcher's capture adds the numeric-pad bit.
constexpr quint32 NumericPad = 0x200000, ShiftUp = 0x20000 | 126;

// What the fakes saw, in order.
using EventLog = zelk::test::Lines;

// A shortcut as far as launchers and contexts see it: it counts the
// activations its contexts push and switches its launchers on its first
// activation and off at its last.
class FakeObject : public engine::QVLinkedObject {
public:
    explicit FakeObject(QString name, EventLog* log = nullptr) : m_name(std::move(name)), m_log(log) {}

    void runObject() override
    {
        ++runs;
        if (m_log)
            m_log->add(m_name + " run");
    }
    void setObjectActivated(bool activated) override
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            switchedOffMainThread = true;
        if (m_log)
            m_log->add(m_name + (activated ? " on" : " off"));
        if (activated) {
            if (count++ != 0)
                return;
        } else {
            if (count == 0 || --count != 0)
                return;
        }
        for (const auto& launcher : m_launchers) {
            if (activated)
                launcher->activateObject(this);
            else
                launcher->deactivateObject(this);
        }
    }
    bool canGoRunning() override
    {
        ++polls;
        return running.load();
    }

    void linkTo(const std::shared_ptr<engine::QVLauncher>& launcher)
    {
        m_launchers << launcher;
        launcher->addLinkedObject(shared_from_this());
    }
    void linkTo(const std::shared_ptr<engine::QVContext>& context) { context->addLinkedObject(shared_from_this()); }
    bool isActive() const { return count > 0; }

    std::atomic<int> runs{0};
    std::atomic<int> polls{0};
    std::atomic<bool> running{false};
    std::atomic<bool> switchedOffMainThread{false};
    int count = 0;

private:
    QString m_name;
    EventLog* m_log;
    QList<std::shared_ptr<engine::QVLauncher>> m_launchers;
};

// The engine's utility class as far as these objects use it.
class FakeUtility : public zelk::QVUtilityClass {
public:
    int runAlertPanelWithTitle(const QString& title, const QString& message, const QString&, const QString&,
                               const QString&) override
    {
        std::lock_guard lock(m_mutex);
        m_alerts << title + " | " + message;
        return answer;
    }
    bool isProcessLaunchedWithPathName(const QString& name) override
    {
        const auto apps = zelk::Platform::instance().workspace().runningApplications();
        return std::any_of(apps.cbegin(), apps.cend(), [&name](const zelk::RunningApplication& app) {
            return engine::QVContextsManager::applicationNameWithoutExtension(app.name) == name;
        });
    }
    QString modifierStringWithKeycode(quint32 code) override
    {
        return QString((code & 0x40000) ? "Super+" : "") + ((code & 0x80000) ? "Alt+" : "") + ((code & Cmd) ? "Ctrl+" : "");
    }

    QStringList alerts() const
    {
        std::lock_guard lock(m_mutex);
        return m_alerts;
    }
    std::atomic<int> answer{1};

private:
    mutable std::mutex m_mutex;
    QStringList m_alerts;
};

struct KeyOptions {
    bool release = false;
    bool repeat = false;
    double delay = 0.5;
    std::optional<int> second;
    KeyOptions& onRelease()
    {
        release = true;
        return *this;
    }
    KeyOptions& repeating(double seconds)
    {
        repeat = true;
        delay = seconds;
        return *this;
    }
    KeyOptions& thenKey(quint32 keyCode)
    {
        second = int(keyCode);
        return *this;
    }
};

inline QVariantMap launcherRecord(quint32 id, int type, const QVariantMap& params)
{
    return {{"launcherID", qint64(id)}, {"launchertype", type}, {"launcherparams", params}};
}

inline QVariantMap keyRecord(quint32 id, quint32 code, const KeyOptions& o = {})
{
    QVariantMap params{{"launcherkeycode", qint64(code)},
                       {"launcherkeyrelease", o.release},
                       {"launcherkeyrepeat", o.repeat},
                       {"launcherkeyrepeatdelay", o.delay}};
    if (o.second)
        params.insert("launcherkeysecondcode", *o.second);
    return launcherRecord(id, engine::QVLauncher::HotKey, params);
}

inline QVariantMap dateParams(int dateType, const QString& time, const QVariantList& days = {}, int warnover = 1)
{
    return {{"launcherdatetype", dateType},
            {"launcherdatetime", time},
            {"launcherdatedays", days},
            {"launcherdatewarnover", warnover}};
}

inline QVariantMap usbParams(int usbType, int cookie, const QVariantMap& settings)
{
    return {{"launcherusbvendorid", 0x46d},  {"launcherusbproductid", 0xc52b}, {"launcherusbproductname", "Mouse"},
            {"launcherusbtype", usbType},    {"launcherusbcookie", cookie},    {"launcherusbmodifiers", 0},
            {"launcherusbparamsdict", settings}};
}

inline QVariantMap usbDeviceEvent(int cookie)
{
    return {{"usbelementvendorid", 0x46d}, {"usbelementproductid", 0xc52b}, {"usbelementcookie", cookie}, {"usbmodifiers", 0}};
}

inline QVariantMap contextRecord(quint32 id, int type, const QString& app = {}, const QVariantList& rules = {})
{
    QVariantMap params;
    if (type != 0)
        params.insert("contextactivatedapplication", app);
    return {{"contextID", qint64(id)},
            {"contextname", QString("context %1").arg(id)},
            {"contexttype", type},
            {"contextparams", params},
            {"contextrules", rules}};
}

inline QVariantMap rule(int type, bool active, quint32 code = 0)
{
    QVariantMap r{{"ruletype", type}, {"ruleactive", active}};
    if (type == 1)
        r.insert("ruleparams", QVariantMap{{"ruleexcludekeycode", qint64(code)}});
    return r;
}

inline void post(const QString& name, const QVariantMap& userInfo = {})
{
    zelk::NotificationCenter::defaultCenter().post(name, nullptr, userInfo);
}

// Delivers what was queued for the main thread.
inline void processQueued()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

class EngineObjectsTest : public zelk::test::TempHomeTest {
protected:
    static void SetUpTestSuite()
    {
        // The engine bundle's texts, as the application reads them.
        QString contents = zelk::test::appContents();
        if (contents.isEmpty())
            contents = ZELK_TEST_APP_DIR; // CTest did not pass the environment on
        qputenv("ZELK_MAIN_BUNDLE", QFileInfo(contents).absolutePath().toLocal8Bit());
    }

    void SetUp() override
    {
        vp = zelk::VirtualPlatform::current();
        ASSERT_NE(vp, nullptr) << "the tests run on the virtual desktop";
        m_savedUtility = zelk::ClassRegistry::shared().classNamed(zelk::QVUtilityClass::Name);
        zelk::ClassRegistry::shared().registerClass(&utility);
        engine::QVLaunchersManager::setLaunchersDateFolder(home->path());
        engine::QVLauncher::setRunWaitTimeout(30.0);
        // What the application object installs: presses and releases of
        // registered combinations become the key notifications.
        vp->virtualHotKeys().setHandler([](quint32 code, bool pressed) {
            post(pressed ? "DownKeyNotification" : "UpKeyNotification", {{"KeyCode", qint64(code)}});
        });
        setNow(QDateTime(QDate(2026, 1, 7), QTime(15, 0))); // a Wednesday
        vp->clearEventLog();
        resetAll();
    }

    void TearDown() override
    {
        resetAll();
        processQueued();
        vp->virtualHotKeys().setHandler({});
        if (m_savedUtility)
            zelk::ClassRegistry::shared().registerClass(m_savedUtility);
        else
            zelk::ClassRegistry::shared().unregisterClass(zelk::QVUtilityClass::Name);
        engine::QVLaunchersManager::setLaunchersDateFolder({});
    }

    static void resetAll()
    {
        engine::QVLaunchersManager::sharedManager().resetLaunchers();
        engine::QVContextsManager::sharedManager().resetContexts();
        engine::QVActionsManager::sharedManager().resetActions();
        // No front application carried over from another test.
        post("FrontAppChangedNotification", {{"LastFrontApp", QString()}, {"NewFrontApp", QString()}});
    }

    void setNow(const QDateTime& now) { vp->virtualClock().setNow(now); }
    void advance(double seconds) { vp->virtualClock().advance(seconds); }
    QDateTime now() { return vp->virtualClock().now(); }

    engine::QVLaunchersManager& launchers() { return engine::QVLaunchersManager::sharedManager(); }
    engine::QVContextsManager& contexts() { return engine::QVContextsManager::sharedManager(); }

    // Loads the records and answers the launcher of each, in order.
    QList<std::shared_ptr<engine::QVLauncher>> load(const QVariantList& records)
    {
        launchers().setLaunchers(records);
        return launchers().launchersArray();
    }

    // A fake linked to the launchers and switched on, as a shortcut of the
    // universal context is after a load.
    std::shared_ptr<FakeObject> activeObject(const QString& name, const QList<std::shared_ptr<engine::QVLauncher>>& linked,
                                             EventLog* log = nullptr)
    {
        auto object = std::make_shared<FakeObject>(name, log);
        for (const auto& launcher : linked)
            object->linkTo(launcher);
        object->setObjectActivated(true);
        return object;
    }

    bool press(quint32 code) { return vp->virtualHotKeys().userPresses(code); }
    bool release(quint32 code) { return vp->virtualHotKeys().userReleases(code); }
    bool isRegistered(quint32 code) { return vp->virtualHotKeys().isRegistered(code); }

    // The key events posted to the desktop ("down 55", "up 0", ...).
    QStringList typedKeys() const
    {
        QStringList keys;
        for (const zelk::PostedEvent& e : vp->eventLog())
            if (e.kind == zelk::PostedEvent::KeyDown || e.kind == zelk::PostedEvent::KeyUp)
                keys << e.toString();
        return keys;
    }

    zelk::VirtualPlatform* vp = nullptr;
    FakeUtility utility;

private:
    zelk::ClassObject* m_savedUtility = nullptr;
};

} // namespace enginetest
