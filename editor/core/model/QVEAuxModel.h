#pragma once
// What launchers and contexts share as aux objects: the list of the main
// objects that refer to them, and the delete that ends an open editor and
// drops every such link.
#include "ModelSupport.h"
#include "QVEModelObject.h"
#include "QVEObjects.h"

namespace editor {

class QVEAuxModel : public QVEModelObject, public zelk::QVEAuxObject {
public:
    void addLinkedObject(zelk::QVEMainObject* object) override { m_linkedObjects.add(object); }
    void removeLinkedObject(zelk::QVEMainObject* object) override { m_linkedObjects.removeFirst(object); }
    bool isLinkedToObject(const zelk::QVEMainObject* object) const override { return m_linkedObjects.contains(object); }
    QList<zelk::QVEMainObject*> linkedObjects() const override { return m_linkedObjects.list(); }
    bool isUsed() const override { return !m_linkedObjects.isEmpty(); }
    void removeAllLinkedObject() override;
    // An editor open on an object already stored gives up its changes.
    void willDelete() override;

protected:
    // cls names the kind in the log.
    QVEAuxModel(const char* cls, const char* idKey, const char* nameKey, const char* rectKey)
        : QVEModelObject(idKey, nameKey, rectKey), m_cls(cls)
    {
    }

    LinkedObjects m_linkedObjects;

private:
    const char* m_cls;
};

} // namespace editor
