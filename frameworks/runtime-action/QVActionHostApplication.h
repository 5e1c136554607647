#pragma once
// What the framework asks of the engine's application object. The engine
// installs one with QVAction::setApplicationObject(); without one every call
// answers the default below.
#include <memory>

namespace zelk {

class QVAction;

class QVActionHostApplication {
public:
    virtual ~QVActionHostApplication() = default;

    // Remember an action as the most recent stand-alone run.
    virtual void addLastCutAction(std::shared_ptr<QVAction> /*action*/) {}
    // Bring back the application that was in front before the engine and
    // return once it is in front again. Called from run threads.
    virtual void activateLastProcess() {}
    // Is the engine the active application at this moment?
    virtual bool isActive() const { return false; }
    // Verbose tracing of runs and results.
    virtual bool TraceAppEng() const { return false; }
    // Verbose tracing inside the action plug-in.
    virtual bool TracePluginEng() const { return false; }
    // Verbose tracing of the runs themselves (switched on at run time too).
    virtual bool TraceRun() const { return false; }

    // The engine commands of the engine-command action type, called from
    // run threads; each returns at once.
    // Quit the engine (its launchers end, the editor is asked to quit).
    virtual void terminate() {}
    // Bring the engine forward with its report.
    virtual void showReport() {}
    // Ask every running shortcut to stop.
    virtual void stopShortcuts() {}
    // Run the most recent, or the second most recent, item again.
    virtual void runLastCutAction1() {}
    virtual void runLastCutAction2() {}
};

} // namespace zelk
