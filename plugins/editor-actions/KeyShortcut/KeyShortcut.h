#pragma once
// The key action type, editing side: one key with its modifiers, typed,
// pressed or released (KeyShortcutCommon.h). The view ("KeyView") has the
// model pop-up, the key field and five modifier boxes. While the key field
// has the focus every key press is recorded (Return and Tab included) as a
// HotKeyCode word, the character the layout gives for it and its display
// string; the boxes change the modifiers one by one.
#include "ActionPane.h"
#include "KeyShortcut/KeyShortcutCommon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

class QKeyEvent;

namespace zelk::editor {

class KeyShortcut : public KeyShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    // Key presses come here, not to the field, while the key field has the
    // focus.
    bool wantKeyEvent() override;
    void keyEvent(QKeyEvent* event) override;

    // Control handlers: the model pop-up and a modifier box (already toggled
    // by the click).
    void modifyAction();
    void modifyModifier(QCheckBox* sender);

    // The undoable setter of every edit.
    void setAction(int action, quint32 keycode, quint8 asciiCode, const QString& string, const QString& withCutName,
                   bool isUndo, const QString& undoString);

    // The boxes from a word's five modifier flags, and the word they make.
    void setCheckWithKeycode(quint32 keycode);
    quint32 keycodeWithCheck() const;

    // The edit copies (for the tests and the window).
    int lastAction() const { return CUTLastAction; }
    quint32 lastKeycode() const { return CUTLastKeycode; }
    quint8 lastAsciiCode() const { return CUTLastAsciiCode; }
    QString lastString() const { return CUTLastString; }

private:
    QWidget* makeView();
    QString suggestedOrTypedName(int model, quint32 keycode, const QString& string) const;

    quint32 CUTKeycode = 0;
    quint8 CUTAsciiCode = 0;
    QString CUTString;

    int CUTLastAction = 0;
    quint32 CUTLastKeycode = 0;
    quint8 CUTLastAsciiCode = 0;
    QString CUTLastString;
    bool m_editing = false;

    QPointer<QComboBox> CUTActionButton;
    QPointer<QLineEdit> CUTKeyField;
    QPointer<QCheckBox> CUTCommandCheck;
    QPointer<QCheckBox> CUTOptionCheck;
    QPointer<QCheckBox> CUTControlCheck;
    QPointer<QCheckBox> CUTShiftCheck;
    QPointer<QCheckBox> CUTCapsLockCheck;
};

class KeyShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(KeyShortcut, QVEAction, KeyShortcut)
public:
    int familyID() const override { return 1011; }
    QList<int> modelsID() const override { return {1, 2, 3}; }
    int categoryOfAction(int model) const override { return KeyShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return KeyShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;

    // The parameters of a model for a key; empty for a number that is no
    // model. The character code keeps its low 8 bits.
    QVariantMap dataForAction(int model, quint32 keycode, int assciiCode, const QString& string) const;
    // "ActionName<model>" filled with the word's modifier names and the
    // string; empty for a number that is no model.
    QString nameForAction(int model, quint32 keycode, const QString& string) const;
    // The display string of a key's character: the character itself for
    // 33-126 and 128-255, else the editor's "Key<code>" text.
    QString stringWithUnicode(char32_t character) const;
};

} // namespace zelk::editor
