#pragma once
// The folder-menu action type, editing side (FolderShortcutCommon.h). Two
// views: "FolderView" (folder pop-up, then the common controls) and
// "FolderSelectionView" (the common controls: depth field and one box per
// flag). The generic-icons box follows the icons box, the package-contents
// box the applications box, the open-folder box the folders box. The
// open-folder box has no undo step: validation stores what it shows.
//
// A record of a model this class doesn't know shows no view and validates
// unchanged.
#include "ActionPane.h"
#include "FolderShortcut/FolderShortcutCommon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

namespace zelk::editor {

class FolderShortcut : public FolderShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override { return notValidString().isEmpty(); }
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    // Which box a check-box handler is for.
    enum class Box { DisplayIcon, GenericIcons, ShowDocument, ShowApplication, ShowFolder, ShowPackageContent,
                     ShowInvisible, DisplayExtension };

    void modifyFolder();
    void modifyDepth();
    void modifyBox(Box box);
    void modifyOpenFolder() {}

    // The one setter: folder, depth and the eight boxes (the open-folder
    // box is not part of it).
    void setFolder(const QString& folder, int menuDepth, const FolderMenuFlags& flags, const QString& withCutName,
                   bool isUndo, const QString& undoString);
    void setFolderButtonWithPath(const QString& path);

private:
    QWidget* makeView(int category);
    // The flags the boxes show now.
    FolderMenuFlags boxFlags() const;
    void showFlags(const FolderMenuFlags& flags);
    QCheckBox* boxFor(Box box) const;
    int depthValue() const { return CUTDepthField ? CUTDepthField->text().toInt() : CUTLastMenuDepth; }

    QString CUTLastPath;
    int CUTLastMenuDepth = 0;
    bool CUTIsEdited = false;
    bool CUTIsModifiedByUser = false;

    QPointer<QComboBox> CUTPathButton;
    QPointer<QLineEdit> CUTDepthField;
    QPointer<QCheckBox> CUTDisplayIconCheck, CUTGenericIconsCheck, CUTShowDocumentCheck, CUTShowApplicationCheck,
        CUTShowFolderCheck, CUTShowPackageContentCheck, CUTShowInvisibleCheck, CUTDisplayExtensionCheck,
        CUTOpenFolderCheck;
};

class FolderShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(FolderShortcut, QVEAction, FolderShortcut)
public:
    int familyID() const override { return 1002; }
    QList<int> modelsID() const override { return {1, 2}; }
    int categoryOfAction(int model) const override { return FolderShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return FolderShortcutModels::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    QVariantMap dataForAction(int model, const QString& folder) const;
    QString nameForAction(int model, const QString& folder) const;
};

} // namespace zelk::editor
