#pragma once
// The engine-command action type, editing side (ZelkShortcutCommon.h):
// "ZelkView", the model pop-up alone. QuovShortcut, the class name of older
// records, loads, edits and saves as the same type and is never offered.
#include "ActionPane.h"
#include "ZelkShortcut/ZelkShortcutCommon.h"

#include <QComboBox>
#include <QPointer>

namespace zelk::editor {

class ZelkShortcut : public ZelkShortcutCommon<Side> {
public:
    bool isValid() const override { return CUTAction != ZelkShortcutModels::NoCommand; }
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override { m_editing = false; }
    QVariantMap editedDataValue() const override;

    void modifyAction();
    void setAction(int model, const QString& withCutName, bool isUndo, const QString& undoString);

private:
    QWidget* makeView();
    int CUTLastAction = 0;
    bool m_editing = false;
    QPointer<QComboBox> CUTActionButton;
};

class ZelkShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(ZelkShortcut, QVEAction, ZelkShortcut)
public:
    int familyID() const override { return 1019; }
    QList<int> modelsID() const override { return {1, 3, 4, 5, 6, 7, 8}; }
    int categoryOfAction(int model) const override
    {
        return ZelkShortcutModels::isModel(model) && model != ZelkShortcutModels::NoCommand ? 1 : 0;
    }
    QString nameOfImageForModelID(int model) const override { return ZelkShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QVariantMap dataForAction(int model) const;
    QString nameForAction(int model) const;
};

class QuovShortcutClass : public ZelkShortcutClass {
    ZELK_EDITOR_ACTION_CLASS(QuovShortcut, ZelkShortcut, ZelkShortcut)
public:
    bool registerActionClass() const override { return false; }
};

} // namespace zelk::editor
