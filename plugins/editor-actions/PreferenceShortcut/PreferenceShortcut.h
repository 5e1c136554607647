#pragma once
// The settings-panel action type, editing side (PreferenceShortcutCommon.h).
// "OpenView" has the pop-up of the installed panels, sorted by name (case
// counting), each item carrying its panel's path, so two panels of the same
// name can both be chosen; "MenuView" has nothing to edit. A panel's
// hardware test runs once per panel and process, not at every validity
// check.
#include "ActionPane.h"
#include "PreferenceShortcut/PreferenceShortcutCommon.h"

#include <QComboBox>
#include <QPointer>

namespace zelk::editor {

class PreferenceShortcut : public PreferenceShortcutCommon<Side, false> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override;
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    void setPrefButton();
    void modifyPref();
    void setPrefName(const QString& fileName, const QString& withCutName, bool isUndo, const QString& undoString);

    // The panel's hardware test, run once per panel and kept.
    static bool passesHardwareTest(const QString& path);

private:
    QWidget* makeView(int category);
    void selectPane(const QString& fileName);

    bool m_editing = false;
    QString CUTLastPrefName;
    QPointer<QComboBox> CUTPrefButton;
};

class PreferenceShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(PreferenceShortcut, QVEAction, PreferenceShortcut)
public:
    int familyID() const override { return 1004; }
    QList<int> modelsID() const override { return {1, 2, 3}; }
    int categoryOfAction(int model) const override { return PreferenceShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return PreferenceShortcutModels::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QVariantMap dataForAction(int model, const QString& panel) const;
    QString nameForAction(int model, const QString& panel) const;
};

} // namespace zelk::editor
