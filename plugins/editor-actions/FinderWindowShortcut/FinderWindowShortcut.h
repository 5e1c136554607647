#pragma once
// The file-manager window action type, editing side
// (FinderWindowShortcutCommon.h). Two views: "ShowView" (folder pop-up,
// new-window and close-all boxes, view pop-up, window bounds) and
// "ShowSelectionView" (view pop-up, window bounds). The close-all box is
// offered only with the new-window box. The bounds are four whole numbers;
// switching the custom-window box on fills in frontFinderWindowRect().
#include "ActionPane.h"
#include "FinderWindowShortcut/FinderWindowShortcutCommon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace zelk::editor {

class FinderWindowShortcut : public FinderWindowShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override { return notValidString().isEmpty(); }
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    void modifyFolder();
    void modifyNewWindow();
    void modifyCloseAll();
    void modifyViewType();
    void modifyCustomWindow();
    void modifyRect();

    void setFolder(const QString& folder, bool newWindow, bool closeAll, int viewType, const QRect& windowRect,
                   const QString& withCutName, bool isUndo, const QString& undoString);
    void setFolderButtonWithPath(const QString& path);
    void setWindowRect(const QRect& rect);

    // The bounds a custom window starts with. No desktop publishes the file
    // manager's front window, so it is the usual first window.
    static QRect frontFinderWindowRect() { return QRect(20, 20, 400, 300); }

private:
    QWidget* makeView(int category);
    QRect fieldsRect() const;
    bool checked(const QCheckBox* box) const { return box && box->isChecked(); }

    QString CUTLastPath;
    int CUTLastViewType = 0;
    QRect CUTLastWindowRect;
    bool CUTIsEdited = false;
    bool CUTIsModifiedByUser = false;

    QPointer<QComboBox> CUTPathButton;
    QPointer<QCheckBox> CUTNewWindowCheck;
    QPointer<QCheckBox> CUTCloseAllCheck;
    QPointer<QComboBox> CUTViewTypeButton;
    QPointer<QCheckBox> CUTCustomWindowCheck;
    QPointer<QLineEdit> CUTXRectField, CUTYRectField, CUTWRectField, CUTHRectField;
    QPointer<QLabel> CUTXRectLabel, CUTYRectLabel, CUTWRectLabel, CUTHRectLabel;
};

class FinderWindowShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(FinderWindowShortcut, QVEAction, FinderWindowShortcut)
public:
    int familyID() const override { return 1002; }
    QList<int> modelsID() const override { return {1, 2}; }
    int categoryOfAction(int model) const override { return FinderWindowShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override
    {
        return FinderWindowShortcutModels::nameOfImageForModelID(model);
    }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    QVariantMap dataForAction(int model, const QString& folder) const;
    QString nameForAction(int model, const QString& folder) const;
};

} // namespace zelk::editor
