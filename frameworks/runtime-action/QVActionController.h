#pragma once
// Whoever asks for an action's run: the engine's shortcut and test runners,
// or the action itself when it runs stand-alone. A running action calls these
// from its own thread, so every implementation must be safe on any thread.
#include <QString>
#include <memory>

namespace zelk {

class QVAction;

class QVActionController {
public:
    virtual ~QVActionController() = default;

    // May the action go on? Actions that loop, wait or type at length ask
    // between steps and stop early on false.
    virtual bool canGoRunning() = 0;
    // The action met an error it could go past: should it? true goes on.
    virtual bool canGoRunningAfterError(const QString& error) = 0;
    // The action asks its runner to stop the whole run after this action.
    virtual void stopRunning() = 0;
    // The run of that action ended with this error text (the controller
    // gets its own copy).
    virtual void setErrorWhenRunning(const QString& error, const std::shared_ptr<QVAction>& action) = 0;
    // The run of that action ended with success.
    virtual void setActionTerminatesWithoutError(const std::shared_ptr<QVAction>& action) = 0;
};

} // namespace zelk
