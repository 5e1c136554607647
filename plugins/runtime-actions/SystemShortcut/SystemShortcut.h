#pragma once
// The system action type, running side (SystemShortcutCommon.h), on the
// platform's power service: every request the system refuses is reported.
// A sleep with a wake time sleeps only once the wake alarm is set. The
// screen saver started by a run is ended one idle delay later, unless a
// later run moved that end. The dock's hiding has no counterpart here: the
// run says so. Eject waits (bounded) until the shortcut's keys are let go.
#include "ActionRunner.h"
#include "SystemShortcut/SystemShortcutCommon.h"

namespace zelk::engine {

class SystemShortcut : public SystemShortcutCommon<Side> {
    ZELK_ACTION_CLASS(SystemShortcut, QVAction)
public:
    // How long the screen saver may take to show, and the keys to be let go.
    static constexpr double kScreenSaverBound = 5.0;
    static constexpr double kKeysReleasedBound = 10.0;

    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    static QString restartSystemFromObject(QVActionController& fromObject);
    static QString shutdownSystemFromObject(QVActionController& fromObject);
    static QString sleepSystemWithType(int sleepType, qint64 wakeSeconds, QVActionController& fromObject);
    static QString logoutSystemFromObject(QVActionController& fromObject);
    static QString runScreensaverFromObject(QVActionController& fromObject);
    static QString showHideDockFromObject(QVActionController& fromObject);
    static QString startClassicFromObject(QVActionController& fromObject);
    static QString stopClassicFromObject(QVActionController& fromObject);
    static QString systemEjectFromObject(QVActionController& fromObject);

    // The delay until the wake time of a sleep (types 1 and 2) from now.
    static qint64 wakeDelay(int sleepType, qint64 wakeSeconds, const QDateTime& now);
    // Ends the screen saver when its end is due (main thread or clock).
    static void stopScreensaver();
    // Waits until no key is held, at most kKeysReleasedBound; false when
    // the run was stopped.
    static bool waitAllKeysReleased(QVActionController& fromObject);
};

} // namespace zelk::engine
