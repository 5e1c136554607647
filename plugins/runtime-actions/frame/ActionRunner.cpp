#include "ActionRunner.h"

#include "ActionTypeNames.h"
#include "Log.h"
#include "QVUtilityClass.h"

#include <QCoreApplication>
#include <QMenu>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace zelk::engine {

namespace {

const int g_bundleAnchor = 0;

struct RunnerClasses {
    std::mutex mutex;
    QList<QVActionClass*> classes;
};

RunnerClasses& runnerClassList()
{
    static RunnerClasses list;
    return list;
}

void sleepSeconds(double seconds)
{
    if (seconds > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

} // namespace

const Bundle& pluginBundle()
{
    static const Bundle bundle = Bundle::forAddress(&g_bundleAnchor);
    return bundle;
}

bool ActionRunner::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!QVAction::initWithDictionaryInLauncher(record))
        return false;
    CUTAction = parametersOf(record).value(QStringLiteral("Action")).toInt();
    return true;
}

QVariantMap ActionRunner::parametersOf(const QVariantMap& record)
{
    return record.value(QStringLiteral("actiondata")).toMap();
}

bool ActionRunner::sleepWhileRunning(QVActionController& controller, double seconds, double slice)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (true) {
        if (!controller.canGoRunning())
            return false;
        const double left = std::chrono::duration<double>(end - Clock::now()).count();
        if (left <= 0)
            return true;
        sleepSeconds(std::min(left, slice));
    }
}

bool ActionRunner::pollWhileRunning(QVActionController* controller, double step, double bound,
                                    const std::function<bool()>& done)
{
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(bound));
    while (true) {
        if (done())
            return true;
        if (controller && !controller->canGoRunning())
            return false;
        if (Clock::now() >= end)
            return false;
        sleepSeconds(step);
    }
}

void ActionRunner::runOnMainThread(const std::function<void()>& fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, fn, Qt::BlockingQueuedConnection);
}

void ActionRunner::showFloatingMenu(const std::function<QMenu*()>& build)
{
    runOnMainThread([&build] {
        QMenu* menu = build();
        if (!menu)
            return;
        QVAction::displayFloatingMenu(menu);
        delete menu;
    });
}

QStringList ActionRunner::recentAppPathArray()
{
    // QVAction has no forwarder for this one; the look-up is the same.
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->recentAppPathArray() : QStringList();
}

void addRunnerClass(QVActionClass* cls)
{
    if (!cls)
        return;
    if (!isActionTypeName(cls->className()))
        zlog("ActionRunners", "addRunnerClass") << "unknown action type" << cls->className();
    // Known before the registry sees it, so the class reads its own tables
    // however it is reached.
    if (!cls->bundle().isValid())
        cls->setBundle(pluginBundle());
    RunnerClasses& list = runnerClassList();
    std::lock_guard lock(list.mutex);
    if (!list.classes.contains(cls))
        list.classes.append(cls);
}

QList<QVActionClass*> runnerClasses()
{
    RunnerClasses& list = runnerClassList();
    std::lock_guard lock(list.mutex);
    return list.classes;
}

} // namespace zelk::engine

// The engine loads the plug-in through this entry point: every class
// object the plug-in's types registered, with the plug-in's bundle.
extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry& registry)
{
    for (zelk::QVActionClass* cls : zelk::engine::runnerClasses()) {
        if (!cls->bundle().isValid())
            cls->setBundle(zelk::engine::pluginBundle());
        registry.registerClass(cls);
    }
}
