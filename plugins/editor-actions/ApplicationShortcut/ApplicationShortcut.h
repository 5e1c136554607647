#pragma once
// The application action type, editing side: launch an application, pop up
// the running or recent applications, switch, show, hide, quit or relaunch
// applications. Six views by category (ApplicationShortcutCommon.h): the
// launch view (application pop-up, hide-others box), the running and recent
// menu views (order pop-up, hide-others box), and the switch, show/hide and
// quit/relaunch views (model pop-up, application pop-up, and the
// hide-others or force box).
//
// The application pop-up (CUTAppButton) shows the chosen application in its
// first item; the launch view lists the application's enclosing folders
// below it. Then come fixed items: the end of the folders, the running
// applications (heading, then one item each), the recent applications
// (heading, then one item each) and "Other..." which opens the application
// panel.
#include "ActionPane.h"
#include "ApplicationShortcut/ApplicationShortcutCommon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>

namespace zelk::editor {

class ApplicationShortcut : public ApplicationShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override;
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    // Control handlers.
    void modifyAction();
    void modifyHideOthers();
    void modifyForce();
    void modifyOrder();
    void modifyApplicationPath();
    void modifyApplicationName();
    void modifyApplicationFromMenu(const QString& path);
    void setRecents();

    // Undoable setters: category 1; categories 2 and 3; categories 4, 5, 6.
    void setApplicationPath(const QString& path, bool hideOthers, const QString& withCutName, bool isUndo,
                            const QString& undoString);
    void setHideOthers(bool hideOthers, int order, const QString& withCutName, bool isUndo, const QString& undoString);
    void setActionApplicationNameHideOthers(int action, const QString& applicationName, bool hideOthers,
                                            const QString& withCutName, bool isUndo, const QString& undoString);
    void setAction(int action, const QString& applicationName, const QString& withCutName, bool isUndo,
                   const QString& undoString);
    void setActionApplicationNameForce(int action, const QString& applicationName, bool force,
                                       const QString& withCutName, bool isUndo, const QString& undoString);

    // View operations.
    void setAppButtonWithPath(const QString& path);
    void setAppButtonWithName(const QString& name);
    void fillLaunchedRecentApp();
    void controlsForActionButton();

    // Markers of the application pop-up's fixed items (ActionPane.h).
    static constexpr const char* AppFirstItem = editor::AppFirstItem;
    static constexpr const char* AppLaunchedItem = editor::AppLaunchedItem;
    static constexpr const char* AppRecentItem = editor::AppRecentItem;
    static constexpr const char* AppOtherItem = editor::AppOtherItem;

private:
    QWidget* makeView(int category);
    void appButtonActivated(int index);
    // A chosen application (panel or menu), as the category takes it.
    void chooseApplication(const QString& path);
    // Calls the setter of categories 4 to 6 with the given model and name.
    void setActionOfCategory(int action, const QString& applicationName, const QString& withCutName,
                             const QString& undoString);
    // Item 0 of the application pop-up for a name.
    void showApplicationName(const QString& name);
    bool hideOthersChecked() const { return CUTHideOthersCheck && CUTHideOthersCheck->isChecked(); }
    bool forceChecked() const { return CUTForceCheck && CUTForceCheck->isChecked(); }

    // Edit copies (the check boxes hold the edit state of HideOthers and Force).
    QString CUTLastAppPath;
    QString CUTLastAppName;
    int CUTLastAction = 0;
    int CUTLastOrder = 0;
    bool m_editing = false;

    QPointer<QComboBox> CUTActionButton;
    QPointer<QComboBox> CUTAppButton;
    QPointer<QLabel> CUTAppLabel;
    QPointer<QCheckBox> CUTHideOthersCheck;
    QPointer<QCheckBox> CUTForceCheck;
    QPointer<QComboBox> CUTOrderButton;
};

class ApplicationShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(ApplicationShortcut, QVEAction, ApplicationShortcut)
public:
    int familyID() const override { return 1001; }
    QList<int> modelsID() const override;
    int categoryOfAction(int model) const override { return ApplicationShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override
    {
        return ApplicationShortcutModels::nameOfImageForModelID(model);
    }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    // The default parameters of a model for an application (a path for
    // model 1, a name for the others); empty for a number that is no model.
    QVariantMap dataForAction(int model, const QString& application) const;
    // The suggested name; empty for a number that is no model.
    QString nameForAction(int model, const QString& application) const;
};

} // namespace zelk::editor
