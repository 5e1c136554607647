#pragma once
// Where the models find the objects their records name, and whom they ask to
// delete the objects a cascade takes along. The managers answer it; the
// models reach it through ObjectDirectory::shared() (none: every look-up
// answers nullptr and every delete does nothing).
//
// The delete requests follow the managers' rule: without a message only an
// object whose canDeleteWithMessage(false) answers true goes, so an object
// still used elsewhere stays.
#include <QList>
#include <QtGlobal>

namespace zelk {
class QVEAction;
class QVEMainObject;
}

namespace editor {

class QVLauncher;
class QVContext;
class QVShortcut;
class QVMenu;

class ObjectDirectory {
public:
    virtual ~ObjectDirectory() = default;

    virtual zelk::QVEAction* actionWithID(quint32 id) = 0;
    virtual QVLauncher* launcherWithID(quint32 id) = 0;
    virtual QVContext* contextWithID(quint32 id) = 0;
    virtual QVShortcut* shortcutWithID(quint32 id) = 0;
    virtual QVMenu* menuWithID(quint32 id) = 0;

    virtual void delActionsID(const QList<quint32>& ids, bool withMessage, bool isUndo) = 0;
    virtual void delLaunchersID(const QList<quint32>& ids, bool withMessage, bool isUndo) = 0;
    virtual void delShortcutsID(const QList<quint32>& ids, bool withMessage, bool auxObjects, bool isUndo) = 0;
    virtual void delMenusID(const QList<quint32>& ids, bool withMessage, bool auxObjects, bool isUndo) = 0;

    // The directory in use (not owned); nullptr for none.
    static ObjectDirectory* shared();
    static void setShared(ObjectDirectory* directory);
};

// An object a record names: its kind and ID.
struct ObjectRef {
    enum Kind { Action, Launcher, Context, Shortcut, Menu };
    Kind kind;
    quint32 id;
};

// Sends each named object that exists addLinkedObject() (add) or
// removeLinkedObject() with the user, once per reference.
void linkObjects(const QList<ObjectRef>& refs, zelk::QVEMainObject* user, bool add);

} // namespace editor
