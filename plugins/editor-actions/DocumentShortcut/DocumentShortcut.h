#pragma once
// The document action type, editing side (DocumentShortcutCommon.h). Three
// views, one per model: "OpenWithView" (document pop-up and application
// pop-up), "DocRecentView" (order pop-up, the recent-items setting button)
// and "OpenSelectionWithView" (application pop-up). No model chooser: an
// action keeps the model it was made with.
//
// The document pop-up names the document in item 0 with its enclosing
// folders below, then the "Choose..." item. The application pop-up shows
// the chosen application in item 0, then the default-application item (tag
// 0), the running and the recent applications, and "Other..." (tag 1).
#include "ActionPane.h"
#include "DocumentShortcut/DocumentShortcutCommon.h"

#include <QComboBox>
#include <QPointer>

namespace zelk::editor {

class DocumentShortcut : public DocumentShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override;
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    // Control handlers. modifyApplication: tag 0 the default application,
    // tag 1 the application panel.
    void modifyDocument();
    void modifyApplication(int tag);
    void modifyApplicationFromMenu(const QString& path);
    void modifyOrder();
    void setRecents();

    // Undoable setters.
    void setDocument(const QString& document, const QString& withApplication, const QString& withCutName, bool isUndo,
                     const QString& undoString);
    void setOrder(int order, const QString& withCutName, bool isUndo, const QString& undoString);

    void setDocButtonWithPath(const QString& path);
    void setAppButtonWithName(const QString& name);

    static constexpr const char* DocChooseItem = "CUTDocChooseItem";
    static constexpr const char* AppDefaultItem = "CUTAppDefaultItem";
    static constexpr const char* AppLaunchedItem = "CUTAppLaunchedItem";
    static constexpr const char* AppRecentItem = "CUTAppRecentItem";
    static constexpr const char* AppOtherItem = "CUTAppOtherItem";

private:
    QWidget* makeView(int category);
    void appButtonActivated(int index);
    void chooseApplication(const QString& name, const QString& shownName, bool evenWhenSame);

    QString CUTLastDocPath;
    QString CUTLastAppName;
    int CUTLastOrder = 0;
    bool m_editing = false;

    QPointer<QComboBox> CUTDocButton;
    QPointer<QComboBox> CUTAppButton;
    QPointer<QComboBox> CUTOrderButton;
};

class DocumentShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(DocumentShortcut, QVEAction, DocumentShortcut)
public:
    int familyID() const override { return 1000; }
    QList<int> modelsID() const override { return {2, 3, 5}; }
    int categoryOfAction(int model) const override { return DocumentShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return DocumentShortcutModels::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    QVariantMap dataForAction(int model, const QString& document, const QString& application) const;
    QString nameForAction(int model, const QString& document, const QString& application) const;
};

} // namespace zelk::editor
