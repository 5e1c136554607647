#pragma once
// The pause action type, editing side (PauseShortcutCommon.h): "PauseView"
// (the seconds), "WaitAppView" (the model and the application pop-up of
// the frame), "WaitWindowView" (the model, the title, ignore case and the
// inverted condition). Opening the window view when the desktop's windows
// can't be read warns; the action stays valid.
#include "ActionPane.h"
#include "PauseShortcut/PauseShortcutCommon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace zelk::editor {

class PauseShortcut : public PauseShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    void modifySeconds();
    void modifyAction();
    void modifyApplication();
    void modifyApplicationFromMenu(const QString& path);
    void modifyTitle();
    void modifyIgnoreCase();
    void modifyInvertCondition();

    void setDelay(float seconds, const QString& withCutName, bool isUndo, const QString& undoString);
    void setActionApplication(int model, const QString& application, const QString& withCutName, bool isUndo,
                              const QString& undoString);
    void setActionTitle(int model, const QString& title, bool ignoreCase, bool invertCondition,
                        const QString& withCutName, bool isUndo, const QString& undoString);

    void setAppButtonWithName(const QString& name);
    void controlsForAppActionButton();
    void controlsForWindowActionButton();

private:
    QWidget* makeView(int category);
    void appButtonActivated(int index);
    void chooseApplication(const QString& path);
    // A model other than the shown one: its description, the pop-up on it;
    // false when it is the shown one.
    bool showAction(int model);

    int CUTLastAction = 0;
    float CUTLastSeconds = 0;
    QString CUTLastApplication;
    QString CUTLastTitle;
    bool CUTIsModifiedByUser = false;
    bool CUTIsEdited = false;

    QPointer<QDoubleSpinBox> CUTSecondsField;
    QPointer<QComboBox> CUTActionButton;
    QPointer<QComboBox> CUTApplicationButton;
    QPointer<QLabel> CUTAppLabel;
    QPointer<QLineEdit> CUTTitleField;
    QPointer<QLabel> CUTTitleLabelField;
    QPointer<QCheckBox> CUTIgnoreCaseCheck;
    QPointer<QCheckBox> CUTInvertConditionCheck;
};

class PauseShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(PauseShortcut, QVEAction, PauseShortcut)
public:
    int familyID() const override { return 1009; }
    QList<int> modelsID() const override { return {1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 10, 11, 12, 13}; }
    int categoryOfAction(int model) const override { return PauseShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return PauseShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QVariantMap dataForAction(int model, float delay) const;
    QString nameForAction(int model, float delay, const QString& application, const QString& title) const;
};

} // namespace zelk::editor
