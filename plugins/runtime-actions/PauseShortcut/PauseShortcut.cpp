#include "PauseShortcut.h"

#include "ActionPaths.h"
#include "Log.h"
#include "Platform.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace zelk::engine {

namespace M = PauseShortcutModels;

namespace {

Workspace& workspace() { return Platform::instance().workspace(); }

} // namespace

bool PauseShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString PauseShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller)
        return {};
    QVActionController& c = *controller;
    switch (CUTAction) {
    case M::Delay: return waitDelay(CUTSeconds, c);
    case M::AppLaunched: return waitAppLaunchedWithName(CUTApplication, c);
    case M::AnyAppLaunched: return waitAnyAppLaunchedFromObject(c);
    case M::AppQuit: return waitAppQuitWithName(CUTApplication, c);
    case M::FrontAppQuit: return waitFrontAppQuitFromObject(c);
    case M::AppFront: return waitAppFrontWithName(CUTApplication, c);
    case M::FrontAppNotFront: return waitFrontAppNotFrontFromObject(c);
    case M::AppBack: return waitAppBackWithName(CUTApplication, c);
    default:
        if (M::categoryOfAction(CUTAction) == M::WindowCategory)
            return waitFrontWindow(CUTAction, CUTTitle, CUTIgnoreCase, CUTInvertCondition, c);
        return {};
    }
}

QString PauseShortcut::waitDelay(double seconds, QVActionController& fromObject)
{
    if (seconds <= 0)
        return {};
    if (seconds <= 1) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        return {};
    }
    sleepWhileRunning(fromObject, seconds, 1.0);
    return {};
}

void PauseShortcut::poll(QVActionController& fromObject, const std::function<bool()>& done)
{
    bool met = done();
    while (!met && fromObject.canGoRunning()) {
        waitDelay(kPollSeconds, fromObject);
        met = done();
    }
    if (tracing())
        zlog("PauseShortcut", "poll") << (met ? "the condition holds" : "stopped before the condition held");
}

bool PauseShortcut::isAppLaunchedWithName(const QString& name)
{
    for (const RunningApplication& app : workspace().runningApplications())
        if (!app.name.isEmpty() && withoutAppExtension(app.name) == name)
            return true;
    return false;
}

QString PauseShortcut::frontAppName()
{
    const std::optional<RunningApplication> front = workspace().frontApplication();
    return front ? withoutAppExtension(front->name) : QString();
}

QString PauseShortcut::waitAppLaunchedWithName(const QString& name, QVActionController& fromObject)
{
    poll(fromObject, [&name] { return isAppLaunchedWithName(name); });
    return {};
}

QString PauseShortcut::waitAnyAppLaunchedFromObject(QVActionController& fromObject)
{
    // This wait's own flag: another wait starting or ending leaves it alone.
    auto launched = std::make_shared<std::atomic<bool>>(false);
    ObserverHandle observer = workspace().observeApplications([launched](const RunningApplication&, bool didLaunch) {
        if (didLaunch)
            launched->store(true);
    });
    poll(fromObject, [&launched] { return launched->load(); });
    return {};
}

QString PauseShortcut::waitAppQuitWithName(const QString& name, QVActionController& fromObject)
{
    poll(fromObject, [&name] { return !isAppLaunchedWithName(name); });
    return {};
}

QString PauseShortcut::waitFrontAppQuitFromObject(QVActionController& fromObject)
{
    return waitAppQuitWithName(frontAppName(), fromObject);
}

QString PauseShortcut::waitAppFrontWithName(const QString& name, QVActionController& fromObject)
{
    poll(fromObject, [&name] { return frontAppName() == name; });
    return {};
}

QString PauseShortcut::waitFrontAppNotFrontFromObject(QVActionController& fromObject)
{
    const QString front = frontAppName();
    poll(fromObject, [&front] { return frontAppName() != front; });
    return {};
}

QString PauseShortcut::waitAppBackWithName(const QString& name, QVActionController& fromObject)
{
    // Each wait tests before it asks: after a stop the second one only looks.
    waitAppLaunchedWithName(name, fromObject);
    waitAppFrontWithName(name, fromObject);
    return {};
}

bool PauseShortcut::titleTest(int model, const QString& title, const QString& text, bool ignoreCase)
{
    const Qt::CaseSensitivity cs = ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    switch (model) {
    case M::TitleEquals:
        return title.compare(text, cs) == 0;
    case M::TitleContains:
        return !text.isEmpty() && title.contains(text, cs);
    case M::TitleStarts:
        return title.size() < text.size() ? title.compare(text, cs) == 0 : title.left(text.size()).compare(text, cs) == 0;
    case M::TitleEnds:
        return title.size() < text.size() ? title.compare(text, cs) == 0 : title.right(text.size()).compare(text, cs) == 0;
    default:
        return false;
    }
}

bool PauseShortcut::frontWindowTest(int model, const QString& text, bool ignoreCase)
{
    const std::optional<FocusedWindow> window = workspace().focusedWindow();
    if (model == M::HasWindow)
        return window.has_value();
    if (!window || !window->hasTitle)
        return false;
    return titleTest(model, window->title, text, ignoreCase);
}

QString PauseShortcut::waitFrontWindow(int model, const QString& title, bool ignoreCase, bool invertCondition,
                                       QVActionController& fromObject)
{
    if (!workspace().canReadWindows())
        return localized(classObject(), "AssistiveNonValide");
    if (model == M::WindowChange) {
        const std::optional<FocusedWindow> window = workspace().focusedWindow();
        if (!window || !window->hasTitle)
            return {};
        const QString start = window->title;
        poll(fromObject, [&start] { return !frontWindowTest(M::TitleEquals, start, false); });
        return {};
    }
    poll(fromObject, [&] { return frontWindowTest(model, title, ignoreCase) != invertCondition; });
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(PauseShortcut)

} // namespace zelk::engine
