#pragma once
// What shortcuts and menus share as main objects that others run (menus
// and palettes hold them as items): the list of those users, and a delete
// refused while any is left.
#include "QVEMainModel.h"

namespace editor {

class QVEUsedMainModel : public QVEMainModel {
public:
    QList<zelk::QVEMainObject*> linkedObjects() const { return m_linkedObjects.list(); }
    void addLinkedObject(zelk::QVEMainObject* object) { m_linkedObjects.add(object); }
    void removeLinkedObject(zelk::QVEMainObject* object) { m_linkedObjects.removeFirst(object); }
    bool isUsed() const { return !m_linkedObjects.isEmpty(); }

protected:
    using QVEMainModel::QVEMainModel;
    // True when unused; else false, telling why with the message when asked
    // (titleKey takes the name, messageKey the count of users).
    bool canDeleteUnlessUsed(bool withMessage, const char* titleKey, const char* messageKey);

    LinkedObjects m_linkedObjects;
};

} // namespace editor
