#pragma once
// The typing action type, editing side (KeyboardShortcutCommon.h): one view
// per model, fixed when the action is made. "KBTextView" edits the text,
// "KBDateView" the calendar format with a live example and a panel of
// format elements, "FileView" the text file (a path pop-up with the
// enclosing folders and "Choose…"), "ClipboardView" the speed alone; every
// view has the speed field.
#include "ActionPane.h"
#include "KeyboardShortcut/KeyboardShortcutCommon.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSpinBox>

namespace zelk::editor {

class KeyboardShortcut : public KeyboardShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override;
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    // Fills the path pop-up from a path: the file, then its folders.
    void setPathButton(const QString& path);

    // Control handlers.
    void modifyCharSecond();
    void modifyDate();
    void insertDateElement(int tag);
    void modifyPath();
    // The text view loses the focus: proposes the text's name when the rule
    // for edited actions holds. Editing always ends.
    bool textShouldEndEditing();

    // Undoable setters: categories 1 and 4; 2; 3.
    void setCharSecond(int charSecond, const QString& withCutName, bool isUndo, const QString& undoString);
    void setDate(const QString& date, int charSecond, const QString& withCutName, bool isUndo,
                 const QString& undoString);
    void setFilePath(const QString& path, int charSecond, const QString& withCutName, bool isUndo,
                     const QString& undoString);

    // The fixed item at the end of the path pop-up (ActionPane.h).
    static constexpr const char* PathChooseItem = editor::PathChooseItem;

private:
    QWidget* makeView(int category);
    // The speed as the field shows it.
    int charSecondOfField() const;
    // A speed into its edit copy and the field (the setters' common step).
    void showCharSecond(int charSecond);
    void refreshDateExample();
    void closeDateHelpPanel();
    void pathButtonActivated(int index);

    QString CUTLastText;
    QString CUTLastPath;
    int CUTLastCharSecond = KeyboardShortcutModels::DefaultCharSecond;
    bool CUTIsModifiedByUser = false;
    bool CUTIsEdited = false;

    QPointer<QPlainTextEdit> CUTTextTextView;
    QPointer<QLineEdit> CUTDateField;
    QPointer<QSpinBox> CUTCharSecondField;
    QPointer<QWidget> CUTDateHelpPanel;
    QPointer<QComboBox> CUTPathButton;
    QPointer<QLabel> CUTDateExampleLabel;
};

class KeyboardShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(KeyboardShortcut, QVEAction, KeyboardShortcut)
public:
    int familyID() const override { return 1011; }
    QList<int> modelsID() const override { return {1, 2, 3, 4}; }
    int categoryOfAction(int model) const override { return KeyboardShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return KeyboardShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    // The default parameters of a model for a text (model 1) or a file
    // (model 3); empty for a number that is no model.
    QVariantMap dataForAction(int model, const QString& text, const QString& file) const;
    // The suggested name; empty for a number that is no model.
    QString nameForAction(int model, const QString& text, const QString& file) const;
    // The first ten characters of a text and "..." (the whole text when it
    // is shorter), line breaks shown as blanks.
    static QString excerptOfText(const QString& text);
};

} // namespace zelk::editor
