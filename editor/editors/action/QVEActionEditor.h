#pragma once
// QVEActionEditor: the editor window of one action. The window is generic
// (name, image, description, a warning for a shared action); its accessory
// box hosts the editing view of the action's own type, which proposes a
// name, image and description while the user works and validates and
// stores its parameters at OK.
//
// At OK an action of the same class with equal edited parameters already
// in the list is the identical action: a new action is silently replaced
// by it; an old one asks "Modifier" (keep editing) or "Substituer" (every
// user now runs the identical action, the edited one is deleted).
//
// The action's undo steps end with the window (they act on its controls).
#include "QVEActionEditorInterface.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QLabel;
class QLineEdit;
class QWidget;

namespace zelk {
class QVEAction;
}

namespace editor {

class QVEActionEditor : public QObject,
                        public zelk::QVEActionEditorInterface,
                        public std::enable_shared_from_this<QVEActionEditor> {
    Q_OBJECT
public:
    QVEActionEditor();
    ~QVEActionEditor() override;

    void displayWithAction(zelk::QVEAction* action) override;
    void makeFront() override;
    QString possibleActionName() const override;
    void setPossibleActionName(const QString& name) override;
    void setPossibleActionImage(const QImage& image) override;
    void setPossibleActionDescription(const QString& description) override;
    bool wantKeyEvent() override;
    void keyEvent(QKeyEvent* event) override;
    // OK: false while the window stays open.
    bool stopEditing(QObject* sender = nullptr);
    void abortEditing(QObject* sender) override;
    void showHelp();
    void test();

    void modifyName();
    void setName(const QString& name, bool isUndo, const QString& undoString);
    void panelSizeToFit();

    QWidget* window() const { return m_window; }
    QWidget* accessoryView() const { return m_accessoryView; }
    zelk::QVEAction* editedAction() const { return m_action; }
    bool isEdited() const { return m_isEdited; }
    QString lastName() const { return m_lastName; }

private:
    void buildWindow();
    void setTitle();
    void closeWindow();

    QPointer<QWidget> m_window;
    QWidget* m_accessoryView = nullptr;
    QLabel* m_imageView = nullptr;
    QLineEdit* m_nameField = nullptr;
    QLabel* m_descriptionField = nullptr;
    QLabel* m_usedWarningField = nullptr;
    zelk::QVEAction* m_action = nullptr;
    QString m_startTitle;
    QString m_lastName;
    bool m_isEdited = false;
};

} // namespace editor
