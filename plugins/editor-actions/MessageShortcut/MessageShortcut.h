#pragma once
// The message action type, editing side (MessageShortcutCommon.h): "MessageView"
// with the title, the text, the two button titles and what each button does.
// Validation reads the fields as they stand and refuses an empty first
// button title.
#include "ActionPane.h"
#include "MessageShortcut/MessageShortcutCommon.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>

namespace zelk::editor {

class MessageShortcut : public MessageShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    void modifyMessage1();
    void modifyMessage2();
    void modifyButton1();
    void modifyButton2();
    void modifyButtonAction1();
    void modifyButtonAction2();
    void setMessage(const QString& message1, const QString& message2, const QString& button1, const QString& button2,
                    int buttonAction1, int buttonAction2, const QString& withCutName, bool isUndo,
                    const QString& undoString);

private:
    QWidget* makeView();
    // The setter with the edit copies, one value replaced.
    struct Values {
        QString message1, message2, button1, button2;
        int action1 = 0, action2 = 0;
    };
    Values lastValues() const;
    void apply(const Values& values, const QString& undoKey, const QString& shown);

    QString CUTLastMessage1, CUTLastMessage2, CUTLastButton1, CUTLastButton2;
    int CUTLastButtonAction1 = 0;
    int CUTLastButtonAction2 = 0;
    bool CUTIsEdited = false;
    QPointer<QLineEdit> CUTMessage1Field, CUTMessage2Field, CUTButton1Field, CUTButton2Field;
    QPointer<QComboBox> CUTButtonAction1Button, CUTButtonAction2Button;
};

class MessageShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(MessageShortcut, QVEAction, MessageShortcut)
public:
    int familyID() const override { return 1009; }
    QList<int> modelsID() const override { return {MessageShortcutModels::Message}; }
    int categoryOfAction(int model) const override { return MessageShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return MessageShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QVariantMap dataForAction(int model) const;
    QString nameForAction(int model) const;
};

} // namespace zelk::editor
