#include "QVEAuxModel.h"

#include "QVEObjectEditor.h"

namespace editor {

void QVEAuxModel::removeAllLinkedObject()
{
    removeAllLinks(m_linkedObjects, this, m_cls);
}

void QVEAuxModel::willDelete()
{
    if (const auto editor = m_editor; editor && !m_isNew)
        editor->abortEditing(nullptr);
    removeAllLinkedObject();
}

} // namespace editor
