#pragma once
// The shell-command action type, editing side (CommandShortcutCommon.h):
// "CmdRunTextView" (the command line as plain text) or "CmdRunFileView"
// (the command file in a path pop-up with its folders, "Choose…" and an
// edit button), both with the "in terminal" box. The command is not
// examined here.
#include "ActionPane.h"
#include "CommandShortcut/CommandShortcutCommon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPointer>

namespace zelk::editor {

class CommandShortcut : public CommandShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override;
    QString notValidString() const override;
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    void setPathButton(const QString& path);
    void modifyPath();
    void modifyInTerminal();
    void editCommandFile();
    void setFilePath(const QString& path, bool inTerminal, const QString& withCutName, bool isUndo,
                     const QString& undoString);
    void setInTerminal(bool inTerminal, const QString& withCutName, bool isUndo, const QString& undoString);

private:
    QWidget* makeView(int category);

    QString CUTLastPath;
    bool m_editing = false;
    QPointer<QPlainTextEdit> CUTSourceTextView;
    QPointer<QComboBox> CUTPathButton;
    QPointer<QCheckBox> CUTInTerminalCheck;
};

class CommandShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(CommandShortcut, QVEAction, CommandShortcut)
public:
    int familyID() const override { return 1010; }
    QList<int> modelsID() const override { return {1, 2}; }
    int categoryOfAction(int model) const override { return CommandShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return CommandShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    QVariantMap dataForAction(int model, const QString& commandText, const QString& commandFile) const;
    QString nameForAction(int model, const QString& commandFile) const;
};

} // namespace zelk::editor
