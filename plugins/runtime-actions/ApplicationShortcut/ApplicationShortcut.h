#pragma once
// The application action type, running side: the 22 models of
// ApplicationShortcutCommon.h on the workspace (zelk::Platform), one static
// operation per model, each answering an empty string or the error text.
//
// Class-wide state, made on first use (initialize()): the list of running
// applications that are not background-only (a snapshot replaced, never
// changed, so a run thread keeps walking its own copy while the list is
// dropped on a launch or quit), the remembered front application (model
// 20) and the name of the application in front before the current one
// (model 22), learnt from the engine's "FrontAppChangedNotification".
//
// Every wait is bounded (OSProcess::waitLimits()); launch waits also end
// when the controller says stop.
#include "ActionRunner.h"
#include "NotificationCenter.h"
#include "ApplicationShortcut/ApplicationShortcutCommon.h"
#include "OSProcess.h"

#include <QList>
#include <memory>

class QAction;
class QMenu;

namespace zelk::engine {

class ApplicationShortcut : public ApplicationShortcutCommon<Side> {
    ZELK_ACTION_CLASS(ApplicationShortcut, QVAction)
public:
    using ProcessList = QList<std::shared_ptr<OSProcess>>;

    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;
    // For models 2 and 3 standing as an item of the engine's menus: the
    // item's submenu becomes the running or recent applications' menu.
    bool validateMenuItem(QAction* item);

    // Class-wide state.
    static void initialize();
    static std::shared_ptr<const ProcessList> visibleProcesses();
    static void updateProcesses();
    // The engine's front-application poller: remembers the previous one.
    static void frontAppChangedNotification(const Notification& notification);
    static std::shared_ptr<OSProcess> frontProcess();
    static std::shared_ptr<OSProcess> processWithPathName(const QString& name);
    static QString previousFrontApplication();

    // One operation per model.
    static QString launchApplication(const QString& path, bool hideOthers, QVActionController& c);
    static QString displayLaunchedApplicationsMenuOrderBy(int order, bool hideOthers, QVActionController& c);
    static QString displayRecentApplicationsMenuOrderBy(int order, bool hideOthers, QVActionController& c);
    static QString activateNextProcessHideOthers(bool hideOthers, QVActionController& c);
    static QString activatePreviousProcessHideOthers(bool hideOthers, QVActionController& c);
    static QString activateProcessWithPathName(const QString& name, bool hideOthers, QVActionController& c);
    static QString showFrontProcessFromObject(QVActionController& c);
    static QString showOtherProcessFromObject(QVActionController& c);
    static QString showAllProcessFromObject(QVActionController& c);
    static QString showProcessWithPathName(const QString& name, QVActionController& c);
    static QString hideFrontProcessFromObject(QVActionController& c);
    static QString hideOtherProcessFromObject(QVActionController& c);
    static QString hideProcessWithPathName(const QString& name, QVActionController& c);
    static QString quitFrontProcessForcing(bool force, QVActionController& c);
    static QString quitOtherProcessForcing(bool force, QVActionController& c);
    static QString quitProcessWithPathName(const QString& name, bool force, QVActionController& c);
    static QString relaunchFrontProcessForcing(bool force, QVActionController& c);
    static QString relaunchOtherProcessForcing(bool force, QVActionController& c);
    static QString relaunchProcessWithPathName(const QString& name, bool force, QVActionController& c);
    static QString saveFrontProcessFromObject(QVActionController& c);
    static QString activateSavedProcessHideOthers(bool hideOthers, QVActionController& c);
    static QString activatePreviousFrontProcessHideOthers(bool hideOthers, QVActionController& c);

    // The menus of models 2 and 3, made on the main thread. Order 0: the
    // running applications last first, the recent ones as listed; any other
    // order: by title, ignoring case.
    static QMenu* launchedApplicationsMenuOrderBy(int order, bool hideOthers);
    static QMenu* recentApplicationsMenuOrderBy(int order, bool hideOthers);
    // The actions of those menus' items (the item's data is the
    // application's name or path, its "tag" property the hide-others flag).
    // They run on a thread of their own, so that their waits never hold
    // the engine's main thread.
    static void activateProcessFromMenu(QAction* item);
    static void launchApplicationFromMenu(QAction* item);

private:
    static QString activateNeighbourProcess(int step, bool hideOthers, QVActionController& c);
    static QString quitProcess(const OSProcess& process, bool force);
    static QString relaunchProcess(const OSProcess& process, bool force, QVActionController& c);
    static QString applicationNotRunning(const QString& name);
};

} // namespace zelk::engine
