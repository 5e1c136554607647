#pragma once
// The action editor window as an action sees it. The editor application
// implements it (one window per edited action, hosting the action type's
// controls); the action keeps the open editor until releaseEditor().
#include <QString>

class QImage;
class QKeyEvent;
class QObject;

namespace zelk {

class QVEAction;

class QVEActionEditorInterface {
public:
    virtual ~QVEActionEditorInterface() = default;

    // Fills the window from the action (calling its willEditInEditor() with
    // the view that hosts the type's controls), becomes the delegate of the
    // window and shows it.
    virtual void displayWithAction(QVEAction* action) = 0;
    virtual void makeFront() = 0;

    // The name typed in the window, and the values the type proposes.
    virtual QString possibleActionName() const = 0;
    virtual void setPossibleActionName(const QString& name) = 0;
    virtual void setPossibleActionImage(const QImage& image) = 0;
    virtual void setPossibleActionDescription(const QString& description) = 0;

    // Raw key events, passed on to the edited action's wantKeyEvent/keyEvent.
    virtual bool wantKeyEvent() = 0;
    virtual void keyEvent(QKeyEvent* event) = 0;

    // Cancels the edit (sender may be nullptr): stores the frame through the
    // action's setEditorRect(), calls its abortEditing(), closes the window
    // and ends with the action's releaseEditor().
    virtual void abortEditing(QObject* sender) = 0;
};

} // namespace zelk
