#pragma once
// The window action type, editing side (WindowShortcutCommon.h). One view
// per category: "WindowShowView" and "WindowSwitchView" (the model),
// "MoveView" and "ResizeView" (the model, the origin, and a box showing the
// current model's two fields, or for centring its two check boxes),
// "ScrollView" (the model, the unit, the count). The model pop-up of a view
// lists its category's models; switching a move or resize model resets both
// values to 0.
//
// Recording a position (the button beside the point of a move to a point)
// waits on the main loop for the user to hold Ctrl, or to give up with
// Escape (PositionRecorder). The pointer's place is stored as it is, for
// any origin: the engine puts the chosen corner of the window on that
// point, so the corner lands where the user pointed.
//
// Every model but next and previous window needs the windows of other
// applications to be readable; while they are not such an action is invalid.
#include "ActionPane.h"
#include "PositionRecorder.h"
#include "WindowShortcut/WindowShortcutCommon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHash>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>

namespace zelk::editor {

class WindowShortcut : public WindowShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;
    bool isValid() const override;
    QString notValidString() const override;

    // Control handlers.
    void modifyAction();
    void modifyXValue();
    void modifyYValue();
    void modifyOrigin();
    void modifyUnit();
    void modifyCount();
    // The position button: the alert, then the wait for Ctrl.
    void setLocation();
    // Fills the value box for the model being edited.
    void showAction();

    // The setters, each one undo step.
    void setAction(int action, const QString& withCutName, bool isUndo, const QString& undoString);
    void setAction(int action, int xValue, int yValue, int origin, const QString& withCutName, bool isUndo,
                   const QString& undoString);
    void setAction(int action, int unit, int count, const QString& withCutName, bool isUndo, const QString& undoString);

    bool isRecording() const { return m_recorder && m_recorder->isWaiting(); }
    // Made at the first recording, on the thread of the windows.
    PositionRecorder& positionRecorder();

private:
    // The two controls of one model in the value box.
    struct ValueControls {
        QPointer<QWidget> view;
        QPointer<QLineEdit> xField, yField;
        QPointer<QCheckBox> hCheck, vCheck;
        QPointer<QPushButton> positionButton;
    };
    QWidget* makeView(int category);
    QWidget* makeValueView(int model, QWidget* parent);
    void modifyValue(bool isX);
    // X and Y as the controls of the current model show them.
    std::pair<int, int> valuesInControls() const;
    QString nameRule(int model, int value1, int value2) const;
    void positionTaken(PositionRecorder::Outcome outcome, const QPointF& point);

    int CUTLastAction = 0;
    int CUTLastOrigin = 0;
    int CUTLastXValue = 0;
    int CUTLastYValue = 0;
    int CUTLastUnit = 0;
    int CUTLastCount = 0;
    int CUTLastShowedAction = -1;
    bool CUTIsEdited = false;

    QHash<int, QPointer<QComboBox>> m_actionButtons; // by category
    QPointer<QComboBox> CUTActionButton;              // the one of the view shown
    QHash<int, QPointer<QComboBox>> m_originButtons;  // categories 2 and 3
    QPointer<QComboBox> CUTOriginButton;
    QHash<int, QPointer<QStackedWidget>> m_valueBoxes;
    QPointer<QStackedWidget> CUTValueAccessoryView;
    QHash<int, ValueControls> m_valueControls; // by model
    QPointer<QComboBox> CUTUnitButton;
    QPointer<QLineEdit> CUTCountField;
    std::unique_ptr<PositionRecorder> m_recorder;
};

class WindowShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(WindowShortcut, QVEAction, WindowShortcut)
public:
    int familyID() const override { return 1014; }
    QList<int> modelsID() const override { return WindowShortcutModels::offeredModels(); }
    int categoryOfAction(int model) const override { return WindowShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return WindowShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;

    QVariantMap dataForAction(int model) const { return WindowShortcutModels::dataForAction(model); }
    // The model's name, filled by category: 2 and 3 with the two values, 5
    // with the count (value2) and the unit's name (value1); empty for a
    // number that is no model.
    QString nameForAction(int model, int value1, int value2) const;
};

} // namespace zelk::editor
