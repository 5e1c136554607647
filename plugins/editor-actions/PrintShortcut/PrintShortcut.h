#pragma once
// The printing action type, editing side (PrintShortcutCommon.h). Four
// views, one per model: "DefaultView" and "PrintSelectionView" (printer
// combo box), "PrintMenuView" (nothing to edit), "PrintFolderView"
// (printer and the folder's path pop-up). The combo box lists the installed
// printers; any name may be typed, and one that is not installed makes the
// action invalid.
#include "ActionPane.h"
#include "PrintShortcut/PrintShortcutCommon.h"

#include <QComboBox>
#include <QPointer>

namespace zelk::editor {

class PrintShortcut : public PrintShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override { return notValidString().isEmpty(); }
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    void modifyPrinter();
    void modifyFolder();
    // The setter of models 1, 3 and 4 (the folder is model 4's).
    void setPrinter(const QString& printer, const QString& folder, const QString& withCutName, bool isUndo,
                    const QString& undoString);
    void setFolderButtonWithPath(const QString& path);

private:
    QWidget* makeView(int category);
    bool isInstalled(const QString& printer) const;

    QString CUTLastPrinter;
    QString CUTLastPath;
    bool CUTIsEdited = false;
    bool CUTIsModifiedByUser = false;

    QPointer<QComboBox> CUTPrinterCombo;
    QPointer<QComboBox> CUTPathButton;
};

class PrintShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(PrintShortcut, QVEAction, PrintShortcut)
public:
    int familyID() const override { return 1016; }
    QList<int> modelsID() const override { return {1, 2, 3, 4}; }
    int categoryOfAction(int model) const override { return PrintShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return PrintShortcutModels::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    QVariantMap dataForAction(int model, const QString& printer, const QString& folder) const;
    QString nameForAction(int model, const QString& printer, const QString& folder) const;
};

} // namespace zelk::editor
