#pragma once
// The two sides of a link in the editor. Main objects (shortcuts, menus,
// palettes) use aux objects (actions, launchers, contexts); each aux object
// keeps one entry per use in its linkedObjects list. The list holds plain
// pointers: the managers own both sides and unlink before they delete.
#include <QList>

namespace zelk {

class QVEAuxObject;

class QVEMainObject {
public:
    virtual ~QVEMainObject() = default;
    // Takes the given objects out of this one: one reference per object,
    // each dropped reference calling removeLinkedObject() on its object. An
    // object whose editor is open may ignore the call.
    virtual void removeAuxObjects(const QList<QVEAuxObject*>& objects) = 0;
};

class QVEAuxObject {
public:
    virtual ~QVEAuxObject() = default;
    virtual void addLinkedObject(QVEMainObject* object) = 0;     // repeats allowed
    virtual void removeLinkedObject(QVEMainObject* object) = 0;  // first occurrence only
    virtual bool isLinkedToObject(const QVEMainObject* object) const = 0; // false for nullptr
    virtual QList<QVEMainObject*> linkedObjects() const = 0;
    virtual bool isUsed() const = 0;
    // Asks every user to drop its references to this object.
    virtual void removeAllLinkedObject() = 0;
    // May the object be deleted? With a message, a used object asks the user.
    virtual bool canDeleteWithMessage(bool withMessage) = 0;
    // Called by the manager just before it drops the object.
    virtual void willDelete() = 0;
};

} // namespace zelk
