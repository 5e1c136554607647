#include "QVEModelObject.h"

#include "Geometry.h"
#include "ModelSupport.h"
#include "QVEAction.h"

#include <QUndoStack>

namespace editor {

QVEModelObject::QVEModelObject(const char* idKey, const char* nameKey, const char* rectKey)
    : m_idKey(idKey), m_nameKey(nameKey), m_rectKey(rectKey)
{
}

QVEModelObject::~QVEModelObject() = default;

void QVEModelObject::readRecord(const QVariantMap& record)
{
    m_dict = record;
    m_id = uintValue(record.value(QLatin1String(m_idKey)));
    if (m_nameKey)
        m_name = record.value(QLatin1String(m_nameKey)).toString();
    m_editorRect = zelk::rectFromString(record.value(QLatin1String(m_rectKey)).toString());
}

void QVEModelObject::setName(const QString& name)
{
    m_name = name;
    if (m_nameKey)
        m_dict.insert(QLatin1String(m_nameKey), name);
}

void QVEModelObject::setEditorRect(const QRectF& rect)
{
    m_editorRect = rect;
    m_dict.insert(QLatin1String(m_rectKey), zelk::stringFromRect(rect));
}

bool QVEModelObject::edit()
{
    if (!m_editor)
        return false;
    m_editor->makeFront();
    return true;
}

void QVEModelObject::editInEditor(std::shared_ptr<QVEObjectEditor> editor)
{
    m_editor = std::move(editor);
    if (m_editor)
        displayInEditor(m_editor.get());
}

void QVEModelObject::closeEditor()
{
    // The editor releases itself from inside abortEditing.
    if (const std::shared_ptr<QVEObjectEditor> editor = m_editor)
        editor->abortEditing(nullptr);
}

void QVEModelObject::releaseEditor()
{
    m_editor.reset();
}

bool QVEModelObject::editorWantKeyEvent()
{
    return m_editor && m_editor->wantKeyEvent();
}

void QVEModelObject::editorKeyEvent(QKeyEvent* event)
{
    if (m_editor)
        m_editor->keyEvent(event);
}

void QVEModelObject::windowDidBecomeKey()
{
    if (zelk::QVEActionHostApplication* application = zelk::QVEAction::applicationObject())
        application->arrangeInFront();
}

QUndoStack* QVEModelObject::undoManager()
{
    if (!m_undoManager)
        m_undoManager = std::make_unique<QUndoStack>();
    return m_undoManager.get();
}

} // namespace editor
