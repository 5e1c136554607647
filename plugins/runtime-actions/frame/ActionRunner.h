#pragma once
// The frame of every engine-side action type in the ActionRunners plug-in.
//
// A type is one class in namespace zelk::engine, derived from ActionRunner
// (directly, or through the template that holds what it shares with the
// editor plug-in, see Side), with its class object from ZELK_ACTION_CLASS,
// registered by one line in its .cpp:
//
//   class PauseShortcut : public ActionRunner {
//       ZELK_ACTION_CLASS(PauseShortcut, QVAction)
//   public:
//       bool initWithDictionaryInLauncher(const QVariantMap& record) override;
//       QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;
//   };
//   ZELK_REGISTER_ACTION_RUNNER(PauseShortcut)
//
// Reading: the type calls ActionRunner::initWithDictionaryInLauncher()
// first (name, ID, CUTAction), then reads the keys of its model's category
// from parametersOf(record). Running: runActionFromObject() switches on
// CUTAction and calls the model's static operation ...FromObject(values,
// controller), answering an empty string for success or the error text (a
// key of the class's strings table, filled). A model the class does not run
// answers success.
//
// Long work asks the controller canGoRunning() before each step:
// sleepWhileRunning() for timed pauses, pollWhileRunning() for waits on
// another application. Every wait is bounded. Menus are built and popped up
// on the main thread (showFloatingMenu) while the run thread waits.
#include "QVAction.h"

#include <QString>
#include <QVariantMap>
#include <functional>

class QAction;
class QMenu;

namespace zelk::engine {

class ActionRunner;

// The plug-in's own bundle (PlugIns/ActionRunners): strings tables, images.
const Bundle& pluginBundle();

// What the sources shared with the editor plug-in (plugins/shared/<Type>)
// are built on, on this side.
struct Side {
    using Base = ActionRunner;
    static const Bundle& bundle() { return pluginBundle(); }
};

class ActionRunner : public QVAction {
public:
    // The base's reading (name, ID), then CUTAction from "Action".
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    // The record's "actiondata".
    static QVariantMap parametersOf(const QVariantMap& record);
    int modelID() const { return CUTAction; }

    // The engine keeps no parameter dictionary: renewed values (a file
    // reference renewed by bestPath()) live in the type's own variables.
    void storeParameter(const QString& /*key*/, const QVariant& /*value*/) const {}

    // Sleeps seconds in slices of at most slice seconds towards an end time
    // fixed at the start, asking controller.canGoRunning() before each
    // slice. false when the controller said stop.
    static bool sleepWhileRunning(QVActionController& controller, double seconds, double slice = 1.0);
    // Checks done() every step seconds until it holds (true), the
    // controller says stop or bound seconds have passed (false). A null
    // controller never says stop.
    static bool pollWhileRunning(QVActionController* controller, double step, double bound,
                                 const std::function<bool()>& done);
    // Runs fn on the main thread and waits for it (directly when called
    // there, or when there is no application object).
    static void runOnMainThread(const std::function<void()>& fn);
    // Builds a menu on the main thread, pops it up through the host's
    // displayFloatingMenu() and waits until it is done; the chosen item's
    // action runs on the main thread. The menu is deleted afterwards.
    static void showFloatingMenu(const std::function<QMenu*()>& build);
    // Adds an item to a menu sorted by title, ignoring case: before the
    // first item whose title the new one does not follow, so that among
    // equal titles the later stands first.
    static void insertMenuItemSorted(QMenu* menu, QAction* item);
    // The recently used applications (paths) as the host's QVUtility
    // knows them; empty without one.
    static QStringList recentAppPathArray();

protected:
    // The text of key in the strings table of cls (the type's
    // classObject()), its place holders filled from args (fillFormat).
    static QString localized(const QVActionClass& cls, const QString& key, const QVariantList& args = {});
    // The host asks the plug-ins to trace (TracePluginEng); false without one.
    static bool tracing();

    int CUTAction = 0;  // the stored model
};

// Registration of the plug-in's class objects (see the top of this file).
void addRunnerClass(QVActionClass* cls);
QList<QVActionClass*> runnerClasses();

} // namespace zelk::engine

// One line in a type's .cpp, inside namespace zelk::engine, registers its
// class object with the plug-in.
#define ZELK_REGISTER_ACTION_RUNNER(Type)                                                  \
    namespace {                                                                            \
    [[maybe_unused]] const bool zelkRunnerRegistered_##Type =                              \
        (::zelk::engine::addRunnerClass(&Type::classObject()), true);                      \
    }
