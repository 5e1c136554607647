#include "SystemShortcut.h"

#include "Log.h"
#include "Platform.h"

#include <QDateTime>
#include <algorithm>
#include <mutex>

namespace zelk::engine {

namespace M = SystemShortcutModels;
using Request = PowerService::Request;

namespace {

PowerService& power()
{
    return Platform::instance().power();
}

// The screen saver a run started: when it is due to end, and the timer
// that ends it. A later run replaces both.
struct ScreenSaverEnd {
    std::mutex mutex;
    QDateTime due;
    ObserverHandle timer;
};

ScreenSaverEnd& screenSaverEnd()
{
    static ScreenSaverEnd end;
    return end;
}

} // namespace

bool SystemShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString SystemShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    QVActionController& c = *controller;
    switch (CUTAction) {
    case M::Restart:
        return restartSystemFromObject(c);
    case M::ShutDown:
        return shutdownSystemFromObject(c);
    case M::Sleep:
        return sleepSystemWithType(CUTSleepType, CUTWakeSeconds, c);
    case M::LogOut:
        return logoutSystemFromObject(c);
    case M::ScreenSaver:
        return runScreensaverFromObject(c);
    case M::Dock:
        return showHideDockFromObject(c);
    case M::StartClassic:
        return startClassicFromObject(c);
    case M::StopClassic:
        return stopClassicFromObject(c);
    case M::Eject:
        return systemEjectFromObject(c);
    default:
        return {};
    }
}

QString SystemShortcut::restartSystemFromObject(QVActionController&)
{
    return power().request(Request::Restart) ? QString() : localized(classObject(), "RedemarrageImpossible");
}

QString SystemShortcut::shutdownSystemFromObject(QVActionController&)
{
    return power().request(Request::PowerOff) ? QString() : localized(classObject(), "ExtinctionImpossible");
}

QString SystemShortcut::logoutSystemFromObject(QVActionController&)
{
    return power().request(Request::LogOut) ? QString() : localized(classObject(), "DeconnexionImpossible");
}

qint64 SystemShortcut::wakeDelay(int sleepType, qint64 wakeSeconds, const QDateTime& now)
{
    if (sleepType == M::WakeAfterDelay)
        return wakeSeconds;
    const QDateTime midnight(now.date(), QTime(0, 0), now.timeSpec());
    const QDateTime target = midnight.addDays(wakeSeconds / 86400);
    return wakeSeconds % 86400 + now.secsTo(target);
}

QString SystemShortcut::sleepSystemWithType(int sleepType, qint64 wakeSeconds, QVActionController&)
{
    if (sleepType == M::WakeAfterDelay || sleepType == M::WakeAtTime) {
        const QDateTime now = Platform::instance().clock().now();
        const qint64 delay = wakeDelay(sleepType, wakeSeconds, now);
        if (delay > 0 && !power().setWakeTime(now.addSecs(delay))) {
            zlog("SystemShortcut", "sleepSystemWithType") << "no wake alarm in" << delay << "seconds: not sleeping";
            return localized(classObject(), "ReveilImpossible", {delay});
        }
    }
    return power().request(Request::Sleep) ? QString() : localized(classObject(), "VeilleImpossible");
}

QString SystemShortcut::runScreensaverFromObject(QVActionController& c)
{
    const int idle = power().screenSaverIdleSeconds();
    if (!power().startScreenSaver())
        return localized(classObject(), "EconomiseurImpossible");
    if (idle <= 0)
        return {}; // runs until the user ends it
    // The screen saver shows a little after it was asked for.
    const bool shown = pollWhileRunning(&c, 0.1, kScreenSaverBound, [] { return power().screenSaverActive().value_or(false); });
    if (!shown) {
        if (c.canGoRunning())
            zlog("SystemShortcut", "runScreensaverFromObject") << "the screen saver did not show; it is not ended later";
        return {};
    }
    Clock& clock = Platform::instance().clock();
    const QDateTime due = clock.now().addSecs(idle);
    ObserverHandle timer = clock.scheduleAt(due, [] { stopScreensaver(); });
    ScreenSaverEnd& end = screenSaverEnd();
    {
        std::lock_guard lock(end.mutex);
        end.due = due;
        std::swap(end.timer, timer);
    }
    // The earlier timer goes outside the lock: it may be firing right now.
    return {};
}

void SystemShortcut::stopScreensaver()
{
    ScreenSaverEnd& end = screenSaverEnd();
    {
        std::lock_guard lock(end.mutex);
        if (!end.due.isValid() || Platform::instance().clock().now().secsTo(end.due) > 2)
            return;
        end.due = QDateTime();
    }
    if (power().screenSaverActive().value_or(false) && !power().stopScreenSaver())
        zlog("SystemShortcut", "stopScreensaver") << "the screen saver could not be ended";
}

QString SystemShortcut::showHideDockFromObject(QVActionController&)
{
    return localized(classObject(), "DockNonDisponible");
}

QString SystemShortcut::startClassicFromObject(QVActionController&)
{
    return QStringLiteral("start classic ignored, classic not supported on Intel Macintoshes");
}

QString SystemShortcut::stopClassicFromObject(QVActionController&)
{
    return QStringLiteral("stop classic ignored, classic not supported on Intel Macinoshes");
}

bool SystemShortcut::waitAllKeysReleased(QVActionController& c)
{
    EventPoster& events = Platform::instance().events();
    const bool released = pollWhileRunning(&c, 0.1, kKeysReleasedBound, [&events] {
        const EventPoster::KeyMap keys = events.heldKeys();
        return std::all_of(keys.cbegin(), keys.cend(), [](uint8_t bits) { return bits == 0; });
    });
    if (!released && c.canGoRunning())
        zlog("SystemShortcut", "waitAllKeysReleased") << "keys still held after" << kKeysReleasedBound << "s; going on";
    return c.canGoRunning();
}

QString SystemShortcut::systemEjectFromObject(QVActionController& c)
{
    if (!waitAllKeysReleased(c))
        return {};
    QString why;
    if (!Platform::instance().volumes().ejectMedia(&why))
        return localized(classObject(), "EjectionImpossible", {why});
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(SystemShortcut)

} // namespace zelk::engine
