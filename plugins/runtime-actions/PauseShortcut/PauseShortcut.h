#pragma once
// The pause action type, running side (PauseShortcutCommon.h). Waits sleep
// on the action's own thread and ask the controller before every slice of
// at most a second, so a wait ends within a second of a stop, or of the
// step's time-out (the engine's controller says stop then too). The
// conditions are polled once a second. Each wait for any launch has its own
// launch flag and observer, dropped when it ends.
//
// Errors: "AssistiveNonValide" for the window conditions when the desktop's
// windows can't be read. Every other end is success.
#include "ActionRunner.h"
#include "DesktopServices.h"
#include "PauseShortcut/PauseShortcutCommon.h"

namespace zelk::engine {

class PauseShortcut : public PauseShortcutCommon<Side> {
    ZELK_ACTION_CLASS(PauseShortcut, QVAction)
public:
    static constexpr double kPollSeconds = 1.0;

    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;
    // Seconds + 1 for a timed pause, else 0 (the step's own time-out).
    float runDelay() const override { return CUTSeconds > 0 ? CUTSeconds + 1 : 0; }

    static QString waitDelay(double seconds, QVActionController& fromObject);
    static QString waitAppLaunchedWithName(const QString& name, QVActionController& fromObject);
    static QString waitAnyAppLaunchedFromObject(QVActionController& fromObject);
    static QString waitAppQuitWithName(const QString& name, QVActionController& fromObject);
    static QString waitFrontAppQuitFromObject(QVActionController& fromObject);
    static QString waitAppFrontWithName(const QString& name, QVActionController& fromObject);
    static QString waitFrontAppNotFrontFromObject(QVActionController& fromObject);
    static QString waitAppBackWithName(const QString& name, QVActionController& fromObject);
    // Models 9-13: the window test of the model, held (or, inverted, no
    // longer held); model 14: the title changes.
    static QString waitFrontWindow(int model, const QString& title, bool ignoreCase, bool invertCondition,
                                   QVActionController& fromObject);

    static bool isAppLaunchedWithName(const QString& name);
    // The front application's name as parameters store it; empty for none.
    static QString frontAppName();
    // The window test of a model (9-13) on the window as it is now.
    static bool frontWindowTest(int model, const QString& text, bool ignoreCase);
    static bool titleTest(int model, const QString& title, const QString& text, bool ignoreCase);

private:
    // Tests once; then, until it holds, waits a second and tests again while
    // the controller lets it.
    static void poll(QVActionController& fromObject, const std::function<bool()>& done);
};

} // namespace zelk::engine
