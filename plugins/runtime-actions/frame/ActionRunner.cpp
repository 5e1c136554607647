#include "ActionRunner.h"

#include "PluginClasses.h"
#include "FormatText.h"
#include "Log.h"
#include "MainThread.h"
#include "QVUtilityClass.h"

#include <QCoreApplication>
#include <QMenu>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <thread>

namespace zelk::engine {

namespace {

const int g_bundleAnchor = 0;

PluginClasses<QVActionClass>& runnerClassList()
{
    static PluginClasses<QVActionClass> list("ActionRunners", &pluginBundle);
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

void ActionRunner::runOnMainThread(const std::function<void()>& fn) { MainThread::run(fn, true); }

void ActionRunner::showFloatingMenu(const std::function<QMenu*()>& build)
{
    QMenu* menu = nullptr;
    runOnMainThread([&build, &menu] { menu = build(); });
    if (!menu)
        return;
    // The menu lives on the main thread; this thread waits until it closes.
    QVAction::displayFloatingMenu(menu);
    // Waits for the delete too: a queued one would be dropped if the loop
    // ends first, and the menu with it.
    MainThread::run([menu] { delete menu; }, true);
}

void ActionRunner::insertMenuItemSorted(QMenu* menu, QAction* item)
{
    const QList<QAction*> items = menu->actions();
    for (QAction* placed : items) {
        if (placed != item && QString::compare(item->text(), placed->text(), Qt::CaseInsensitive) <= 0) {
            menu->insertAction(placed, item);
            return;
        }
    }
    menu->addAction(item);
}

QStringList ActionRunner::recentAppPathArray()
{
    // QVAction has no forwarder for this one; the look-up is the same.
    QVUtilityClass* host = QVUtilityClass::host();
    return host ? host->recentAppPathArray() : QStringList();
}

QString ActionRunner::localized(const QVActionClass& cls, const QString& key, const QVariantList& args)
{
    return fillFormat(cls.localizedStr(key), args);
}

bool ActionRunner::tracing()
{
    QVActionHostApplication* app = applicationObject();
    return app && app->TracePluginEng();
}

void addRunnerClass(QVActionClass* cls) { runnerClassList().add(cls, "addRunnerClass"); }

QList<QVActionClass*> runnerClasses() { return runnerClassList().classes(); }

} // namespace zelk::engine

// The engine loads the plug-in through this entry point: every class
// object the plug-in's types registered, with the plug-in's bundle.
extern "C" ZELK_PLUGIN_EXPORT void zelkRegisterClasses(zelk::ClassRegistry& registry)
{
    zelk::engine::runnerClassList().registerAll(registry);
}
