#pragma once
// The two modal panels of run and result parameters, and their one-line
// labels.
//
// QVERunParamsEditor edits a RunParams dictionary {runrepeatnum,
// runrepeatpause}: how often a whole shortcut runs. QVERunResultParamsEditor
// edits a step's {"runparams", "resultparams"} pair, ResultParams being
// {resultsuccess, resultfailing, resultdelay}. Each has one shared panel;
// a call hands in a dictionary and a title and answers the edited copy, or
// nothing when the user cancels. The panels never write into any object.
//
// Stored repeat numbers: 0 once, -1 until stopped, n > 0 n times. Counts,
// pauses and time-outs below zero (other than that -1) are taken as 0.
#include <QObject>
#include <QUndoStack>
#include <QVariantMap>
#include <optional>

class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace editor {

// What both panels share: the repeat controls, the undoable setter, the
// modal run.
class RunParamsPanel : public QObject {
    Q_OBJECT
public:
    ~RunParamsPanel() override;
    QDialog* panel() const { return m_panel; }
    QUndoStack* undoManager() { return &m_undoManager; }
    QUndoStack* windowWillReturnUndoManager() { return &m_undoManager; }

    struct State {
        int repeatType = 0; // -1 until stopped, 0 once, 1 a count
        int repeatTimes = 1;
        double pause = 0;
        int successType = 0;
        int failingType = 0;
        double delay = 0;
        bool operator==(const State&) const = default;
    };
    State state() const { return m_last; }

    // Control handlers (public for the panel's own signals).
    void modifyRepeatType(int tag, const QString& title);
    void modifyTimes();
    void modifyPause();
    void modifySuccessType();
    void modifyFailingType();
    void modifyDelay();
    // The undoable setter: applies the values by the repeat rules and
    // registers the way back, named undoName unless isUndo.
    void setState(const State& values, bool isUndo, const QString& undoName);
    void stopPanel();
    void abortPanel();

protected:
    RunParamsPanel(bool withResult, const QString& layoutName);
    // Shows the title and the repeat part of the run parameters.
    void loadRun(const QVariantMap& runParams, const QString& title);
    void loadResult(const QVariantMap& resultParams);
    // The run part as edited, laid over the given dictionary.
    QVariantMap storedRun(QVariantMap runParams) const;
    QVariantMap storedResult(QVariantMap resultParams) const;
    // Runs the panel modally; true when it ended with OK.
    bool runModal();

private:
    friend class RunParamsStep;
    void apply(const State& state); // exactly these values, no rules
    void showControlsForRepeatType();
    // Ends the editing of the text fields; false when one holds no number.
    bool endFieldEditing();

    bool m_withResult;
    QDialog* m_panel = nullptr;
    QRadioButton* m_timesOption = nullptr;
    QRadioButton* m_infiniteOption = nullptr;
    QLabel* m_timesLabel = nullptr;
    QLineEdit* m_timesField = nullptr;
    QLineEdit* m_pauseField = nullptr;
    QLabel* m_titleField = nullptr;
    QComboBox* m_successButton = nullptr;
    QComboBox* m_failingButton = nullptr;
    QLineEdit* m_delayField = nullptr;
    QUndoStack m_undoManager;
    State m_last;
    bool m_isEdited = false;
    bool m_applying = false;
};

class QVERunParamsEditor : public RunParamsPanel {
    Q_OBJECT
public:
    static QVERunParamsEditor& sharedEditor();
    // The edited RunParams (other keys kept), or nothing when cancelled.
    std::optional<QVariantMap> editRunParameters(const QVariantMap& runParams, const QString& title);

private:
    QVERunParamsEditor();
};

class QVERunResultParamsEditor : public RunParamsPanel {
    Q_OBJECT
public:
    static QVERunResultParamsEditor& sharedEditor();
    // {"runparams", "resultparams"} edited (no other key), or nothing.
    std::optional<QVariantMap> editRunResultParameters(const QVariantMap& params, const QString& title);

    static QString labelOfRunParametersDict(const QVariantMap& runParams);
    static QString labelOfResultParametersDict(const QVariantMap& resultParams);

private:
    QVERunResultParamsEditor();
};

} // namespace editor
