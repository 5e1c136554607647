#pragma once
// The web-address action type, editing side (URLShortcutCommon.h). Two
// views: "OpenURLView" (address field, application pull-down) and
// "MailtoView" (recipient, application, subject, message). The pull-down
// shows the chosen application in item 0, then the default-handler item
// (tag 0) and "Other..." (tag 1). The message has no undo step of its own:
// it is read from its text view when the edit is validated or tested.
#include "ActionPane.h"
#include "URLShortcut/URLShortcutCommon.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

namespace zelk::editor {

class URLShortcut : public URLShortcutCommon<Side> {
public:
    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override;
    QString notValidString() const override;

    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    void modifyAddress();
    void modifyApplication(int tag);
    void modifySubject();

    // The undoable setter of both models (the subject is model 2's).
    void setAddress(const QString& address, const QString& application, const QString& subject,
                    const QString& withCutName, bool isUndo, const QString& undoString);
    void setAppButtonWithApp(const QString& application);

private:
    QWidget* makeView(int category);
    QString addressText() const { return CUTAddressField ? CUTAddressField->text() : CUTLastAddress; }
    QString subjectText() const { return CUTSubjectField ? CUTSubjectField->text() : CUTLastSubject; }
    QString messageText() const { return CUTMessageTextView ? CUTMessageTextView->toPlainText() : CUTMessage; }

    QString CUTLastAddress;
    QString CUTLastApplication;
    QString CUTLastSubject;
    bool CUTIsEdited = false;
    bool CUTIsModifiedByUser = false;

    QPointer<QLineEdit> CUTAddressField;
    QPointer<QComboBox> CUTAppButton;
    QPointer<QLineEdit> CUTSubjectField;
    QPointer<QPlainTextEdit> CUTMessageTextView;
};

class URLShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(URLShortcut, QVEAction, URLShortcut)
public:
    int familyID() const override { return 1005; }
    QList<int> modelsID() const override { return {1, 2}; }
    int categoryOfAction(int model) const override { return URLShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return URLShortcutModels::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    QVariantMap dataForAction(int model, const QString& address) const;
    QString nameForAction(int model, const QString& address) const;
};

} // namespace zelk::editor
