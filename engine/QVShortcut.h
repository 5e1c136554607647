#pragma once
// One shortcut of Shortcuts.plist at run time: its active steps with their
// actions and parameters, the launchers and contexts it links to, the
// activation its contexts push, and its run.
//
// A run is a thread of the engine's background work: passes of the steps
// as the run parameters say, each step's action on a further one with a
// controller that knows which step run it belongs to, its outcome waited
// for up to the step's delay, then the step's result code carried out. A trigger that comes
// while a run is going on force-stops it: the current step is still waited
// for, then no further step or pass starts. Every pause of the run ends at
// once on a stop.
//
// Result codes: 0 go on (a failure is logged), 1 report line, 2 alert,
// 3 stop, 4 report line and stop, 5 alert and stop, 6 ask (stop, go on, or
// stop and edit the action); others go on. A stop ends the pass; with
// repeats, the next pass begins unless the run was force-stopped.
#include "QVActionController.h"
#include "QVLinkedObject.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QWidget;

namespace zelk {
class QVAction;
}

namespace engine {

class QVLauncher;
class QVContext;

// QVAppl's TraceAppEng, false without an application.
bool traceAppEng();

class QVShortcut : public QVLinkedObject, public zelk::QVActionController {
public:
    QVShortcut();
    ~QVShortcut() override;
    QVShortcut(const QVShortcut&) = delete;
    QVShortcut& operator=(const QVShortcut&) = delete;

    // Builds from a ShortcutRecord and links itself to its launchers and
    // contexts. Call on a shortcut held by a shared_ptr.
    virtual bool initWithDictionaryInLauncher(const QVariantMap& record);
    // Unlinks itself from its launchers and contexts (before it is dropped).
    void beforeDealloc();

    // Counted activation pushed by the contexts.
    void setObjectActivated(bool activated) override;
    bool isActive() const { return m_isActivated.load(); }
    bool validateMenuItem() const { return isActive(); }

    // Starts a run, or force-stops the one going on; nothing while inactive.
    void runObject() override;
    // The run (on its own thread): the passes, one pass, one step, a result.
    void runObjectInThread();
    void runActions();
    void runOneActionInDelay(double delay, int resultSuccess, int resultFailing);
    void interpretActionResult(int code);
    // Ends the run once the current step has its outcome.
    void forceStopRunning();
    // Is a run thread going on (also between passes and while stopping)?
    bool isRunning() const { return m_runActive.load(); }

    // QVActionController, as the shortcut itself: the running step's action
    // reports through its own step controller (see runOneActionInDelay).
    bool canGoRunning() override;
    bool canGoRunningAfterError(const QString& error) override;
    void stopRunning() override;
    void setErrorWhenRunning(const QString& error, const std::shared_ptr<zelk::QVAction>& action) override;
    void setActionTerminatesWithoutError(const std::shared_ptr<zelk::QVAction>& action) override;

    // Controls enabled and disabled with the activation (palette buttons).
    void addButton(QWidget* control);

    // The HotKeyCode of the first key launcher, none without one.
    std::optional<quint32> keycodeNumOfLauncher() const;
    QString nameValue() const { return m_name; }
    QString name() const { return m_name; }
    QImage imageValue() const;
    QImage imageValueWithSize(int size) const;
    bool IDIsEqual(quint32 shortcutID) const { return shortcutID == m_id; }
    quint32 shortcutID() const { return m_id; }
    bool nameIsEqual(const QString& name) const { return name == m_name; }
    // The scripting command that runs the shortcut; answers nothing.
    void runCommand(const QString& command, const QString& event);
    QString description() const;
    // "default.tiff" of the engine's bundle, kept once loaded.
    static QImage defaultIcon();

    // The action of the steps' list with that ID (the actions manager's).
    virtual std::shared_ptr<zelk::QVAction> actionWithID(quint32 actionID) const;

    // Asks the editor to open an action: "editaction" to a running editor,
    // else objecttoedit.plist in the data folder and the editor started.
    // Answers false when the editor is missing (logged when asked).
    static bool editAction(quint32 actionID, bool logMissingEditor);
    // Where report lines go; by default QVAppl's report, on the main thread.
    using ReportWriter = std::function<void(const QString& line)>;
    static void setReportWriter(ReportWriter writer);

    // Diagnostics.
    QList<std::shared_ptr<zelk::QVAction>> actionsArray() const { return m_actions; }
    int lastRunnedActionIndex() const { return m_lastRunnedActionIndex.load(); }
    int activatedCount() const;

protected:
    // Reads name, ID, active steps (through actionWithID), image and run
    // parameters; with links, also the launchers and contexts.
    void readRecord(const QVariantMap& record, bool withLinks);
    // Starts the run thread unless one runs; answers whether it started.
    bool startRun();

private:
    class StepController;
    friend class StepController;
    bool nextPass();
    // A pause of the run that ends at once on a stop (see the .cpp).
    void pause(double seconds, bool betweenPasses);
    void runStepTimes(int index);
    // A step controller's report; counts only for the step run it belongs to.
    void stepReported(quint64 stepRun, const QString& error);
    // An action's outcome (a null error for success) as the outcome of the
    // step running now; a report from any other action is dropped.
    void actionReported(const std::shared_ptr<zelk::QVAction>& action, const QString& error);
    void stepStopRunning(quint64 stepRun);
    bool stepCanGoRunningAfterError(int index, const QString& error);
    // A step run may go on while the shortcut runs and the step is still
    // waited for: its time-out ends its waits too.
    bool stepCanGoRunning(quint64 stepRun);
    QString outcomeText() const;
    void writeReportLine();
    int showResult(bool question);

    quint32 m_id = 0;                                   // QVCID
    QString m_name;                                     // QVCName
    mutable std::mutex m_imageMutex;                    // guards the two below
    QByteArray m_imageData;                             // cutimage, decoded on first use
    mutable std::optional<QImage> m_image;              // QVCImage
    QList<std::shared_ptr<zelk::QVAction>> m_actions;  // QVCActionsArray
    QList<std::shared_ptr<QVLauncher>> m_launchers;     // QVCLaunchersArray
    QList<std::shared_ptr<QVContext>> m_contexts;       // QVCContextsArray
    QList<QVariantMap> m_runParams;                     // QVCRunParamsActionsDictArray
    QList<QVariantMap> m_resultParams;                  // QVCResultParamsActionsDictArray
    std::atomic<int> m_runnedActionIndex{-1};           // QVCRunnedActionIndex
    int m_runRepeatNum = 0;                             // QVCRunRepeatNum
    double m_runRepeatPause = 0;                        // QVCRunRepeatPause
    bool m_runActivatedFirst = false;                   // QVCRunActivatedFirst
    bool m_runActivatedAll = false;                     // QVCRunActivatedAll
    std::atomic<int> m_lastRunnedActionIndex{-1};       // QVCLastRunnedActionIndex

    // Run state. goRunning and forceStop change together under m_runMutex;
    // runActive is taken with a compare-exchange when a run starts.
    mutable std::mutex m_runMutex;
    std::atomic<bool> m_goRunning{false};               // QVCGoRunning
    std::atomic<bool> m_forceStop{false};               // QVCForceStop
    std::atomic<bool> m_runActive{false};
    std::condition_variable m_runChanged;               // a stop, for the pauses

    // The step being waited for, under m_stepMutex.
    std::mutex m_stepMutex;
    std::condition_variable m_stepReported;
    quint64 m_stepRunCounter = 0;
    quint64 m_currentStepRun = 0;                        // 0: no step waits
    bool m_actionRun = false;                            // QVCActionRun
    QString m_errorMsg;                                  // QVCErrorMsg
    bool m_stepTimedOut = false;
    double m_stepDelay = 0;

    // Activation, under m_activationMutex.
    mutable std::mutex m_activationMutex;
    std::atomic<bool> m_isActivated{false};              // QVCIsActivated
    bool m_firstActivated = true;                        // QVCFirstActivated
    int m_activatedCount = 0;                            // QVCActivatedCount
    QList<QPointer<QWidget>> m_buttons;                  // QVCButtonsArray
};

} // namespace engine
