#pragma once
// The script action type, editing side (AppleScriptShortcutCommon.h,
// ScriptText.h): "RunTextView" (the script, a "Check" button) or
// "RunFileView" (the script file in a path pop-up with "Choose…" and an
// edit button).
//
// Validation checks the script. A script that fails its check shows the
// checker's complaint, then asks: "Modifier" selects the line in error and
// keeps the window open, "Sauvegarder" keeps the text as Source, not to be
// run. A script that passes is stored compiled, Source empty. A non-empty
// script is never stored empty: a stored script that is not text (another
// system's compiled script) is kept as it was unless the user types one.
// editedDataValue() shows no alert: a script that fails its check reads as
// kept uncompiled.
#include "ActionPane.h"
#include "AppleScriptShortcut/AppleScriptShortcutCommon.h"
#include "AppleScriptShortcut/ScriptText.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPointer>

namespace zelk::editor {

class AppleScriptShortcut : public AppleScriptShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override;
    QString notValidString() const override;
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    // The text to edit: the compiled script's source, else Source.
    QString scriptSource() const;
    void setPathButton(const QString& path);
    void modifyPath();
    void checkScriptWithText();
    void editScriptWithPath();
    void setFilePath(const QString& path, const QString& withCutName, bool isUndo, const QString& undoString);

private:
    QWidget* makeView(int category);
    // The check's alert (the complaint and its number), and the error
    // selected in the text view.
    void showScriptError(const script::CheckResult& check);
    // The script keys for a text, as validation stores them when the text
    // passes its check or is kept.
    QVariantMap scriptKeysForText(const QString& text, bool compiles) const;
    // The stored script can't be shown (not text) and the view still shows
    // nothing of the user's.
    bool keepsUnreadableScript(const QString& text) const;

    QString CUTLastPath;
    bool m_editing = false;
    bool m_unreadable = false; // the stored compiled script is not text
    QPointer<QPlainTextEdit> CUTSourceTextView;
    QPointer<QComboBox> CUTPathButton;
};

class AppleScriptShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(AppleScriptShortcut, QVEAction, AppleScriptShortcut)
public:
    int familyID() const override { return 1015; }
    QList<int> modelsID() const override { return {1, 2}; }
    int categoryOfAction(int model) const override { return AppleScriptShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return AppleScriptShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    QVariantMap dataForAction(int model, const QString& scriptText, const QByteArray& scriptData,
                              const QString& scriptFile) const;
    QString nameForAction(int model, const QString& scriptFile) const;
};

} // namespace zelk::editor
