#pragma once
// The mouse action type, editing side (MouseShortcutCommon.h). One view,
// "MouseView": the area pop-up, the movements table (columns "name" and
// "pause") with its own cut, copy, paste, delete and drag and drop, a menu
// that adds a movement after the selected one, and the selected movement's
// parameters (its point and corner, its distances or its wheel steps) and
// pause.
//
// The movements are edited in CUTLastMovements and reach Movements on
// validation. Every change of the list (add, delete, move, drop, cut,
// paste) is one undo step that puts the whole list and its selection back;
// a move takes the moved movements out and puts them, in their order,
// before the movement they were dropped on (movedList). Movements
// travel on the clipboard as application/x-zelk-MouseMovement, an XML
// property list {MovementDictionary: movements}; a drag inside the table
// carries the row numbers as application/x-zelk-MouseMovementIndex.
//
// Recording a point (the position button) waits on the main loop for the
// user to hold Ctrl, or to give up with Escape (PositionRecorder). On the
// screen area the pointer's place is stored from the movement's corner; on
// a window area the user first picks the application in a chooser panel,
// which is brought to the front, and the place is stored in its main or
// focused window from the movement's corner.
#include "ActionPane.h"
#include "ClipboardShortcut/RulesTableView.h"
#include "MouseShortcut/MouseShortcutCommon.h"
#include "PositionRecorder.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>

namespace zelk::editor {

class MouseShortcut : public MouseShortcutCommon<Side>, public RulesTableDelegate {
public:
    static constexpr const char* MovementType = "application/x-zelk-MouseMovement";
    static constexpr const char* MovementIndexType = "application/x-zelk-MouseMovementIndex";

    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;
    bool isValid() const override;
    QString notValidString() const override;

    // Control handlers.
    void modifyAction();
    void modifyPosX();
    void modifyPosY();
    void modifyOrigin();
    void modifyWheel();
    void modifyPause();
    void setLocation();
    void addMovement(int type);
    void delSelectedMovements();
    // The application chooser of the window areas.
    void stopAppPanel();
    void abortAppPanel();
    QStringList getApplications() const;

    // The movement list; each change is one undo step named by its title.
    QVariantList movements() const { return CUTLastMovements; }
    void addMovements(const QVariantList& movements, const QList<int>& atIndexes, int selectAfterIndex, const QString& undoKey);
    void delMovementsAtIndexes(const QList<int>& indexes, int selectAfterIndex, const QString& undoKey);
    // The movements at rows go before the one at toRow (a row of the list
    // before the move; its size for the end).
    void moveMovementsFromIndexes(const QList<int>& rows, int toRow);
    void setMovements(const QVariantList& movements, const QList<int>& selectRows, bool isUndo, const QString& undoString);
    void selectMovementAtIndex(int row);
    QList<int> selectedRows() const;

    // Setters with undo.
    void setAction(int action, bool isUndo, const QString& undoString);
    void setPause(double pause, int forMovementAtIndex, bool isUndo, const QString& undoString);
    void setPoint(const QPointF& point, int origin, double pause, int forMovementAtIndex, bool isUndo, const QString& undoString);
    void setInterval(const QPointF& interval, double pause, int forMovementAtIndex, bool isUndo, const QString& undoString);
    void setWheel(int wheel, double pause, int forMovementAtIndex, bool isUndo, const QString& undoString);

    // RulesTableDelegate: the table's edit commands and drops.
    bool canCut() const override { return canClear(); }
    bool canCopy() const override { return canClear(); }
    bool canPaste() const override;
    bool canClear() const override;
    void cutSelectedRules() override;
    void copySelectedRules() override;
    void pastePasteboard() override;
    void clearSelectedRules() override;
    void dropRules(const QList<int>& rows, int atRow, bool copy) override;

    bool isRecording() const { return m_recorder && m_recorder->isWaiting(); }
    // Made at the first recording, on the thread of the windows.
    PositionRecorder& positionRecorder();
    QDialog* appPanel() const { return CUTAppPanel; }

private:
    QWidget* makeView();
    void reloadMovements(const QList<int>& selectRows);
    void replaceMovement(int row, const QVariantMap& movement, bool isUndo, const QString& undoString);
    QString movementName(const QVariantMap& movement) const;
    void startRecording();
    void positionTaken(PositionRecorder::Outcome outcome, const QPointF& point, int area);

    int CUTLastAction = 0;
    QVariantList CUTLastMovements;
    QPointF CUTLastPoint;
    int CUTLastOrigin = 0;
    int CUTLastWheel = 0;
    double CUTLastPause = 0;
    int CUTLastMouseCategory = 0;
    int CUTSelectedRow = -1;
    bool CUTIsEdited = false;
    QStringList CUTAppArray;

    QPointer<QComboBox> CUTActionButton;
    QPointer<RulesTableView> CUTMovementsTable;
    QPointer<QPushButton> CUTDeleteButton;
    QPointer<QStackedWidget> CUTMovementAccessoryView;
    QPointer<QStackedWidget> CUTPauseAccessoryView;
    QPointer<QWidget> CUTLocationView, CUTRelativeView, CUTWheelView, CUTPauseView, CUTEmptyView, CUTNoPauseView;
    QPointer<QLineEdit> CUTPauseField, CUTPosXField, CUTPosYField, CUTDecalXField, CUTDecalYField, CUTWheelField;
    QPointer<QComboBox> CUTOriginButton;
    QPointer<QPushButton> CUTPositionButton;
    QPointer<QDialog> CUTAppPanel;
    QPointer<QListWidget> CUTAppTable;
    std::unique_ptr<PositionRecorder> m_recorder;
};

class MouseShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(MouseShortcut, QVEAction, MouseShortcut)
public:
    int familyID() const override { return 1012; }
    QList<int> modelsID() const override { return {1}; }
    int categoryOfAction(int model) const override { return MouseShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return MouseShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;

    QVariantMap dataForAction(int model) const;
    QString nameForAction(int model) const;
};

} // namespace zelk::editor
