#pragma once
// The part every editor model shares: the kept record, which every setter
// writes so that dictValue() is always the stored form; the ID, the name
// and the editor frame read from it; the new mark; the one open editor
// window; the undo stack made on first request.
#include "QVEObjectEditor.h"

#include <QRectF>
#include <QString>
#include <QVariantMap>
#include <memory>

class QKeyEvent;
class QUndoStack;

namespace editor {

class QVEModelObject {
public:
    virtual ~QVEModelObject();
    QVEModelObject(const QVEModelObject&) = delete;
    QVEModelObject& operator=(const QVEModelObject&) = delete;

    QVariantMap dictValue() const { return m_dict; }
    quint32 IDValue() const { return m_id; }
    bool IDIsEqual(quint32 id) const { return id == m_id; }
    QString nameValue() const { return m_name; }
    bool isNew() const { return m_isNew; }
    void setIsNew(bool isNew) { m_isNew = isNew; }
    QRectF editorRect() const { return m_editorRect; }
    void setEditorRect(const QRectF& rect);

    // --- Editing ---------------------------------------------------------------
    // Brings the open editor to the front (true); false when none is open.
    virtual bool edit();
    // Keeps the editor and has it display this object.
    virtual void editInEditor(std::shared_ptr<QVEObjectEditor> editor);
    void closeEditor();
    QVEObjectEditor* editor() const { return m_editor.get(); }
    void releaseEditor();
    bool hasEditor() const { return m_editor != nullptr; }
    bool editorWantKeyEvent();
    void editorKeyEvent(QKeyEvent* event);
    // Brings all the editor's windows to the front.
    virtual void windowDidBecomeKey();
    QUndoStack* undoManager();
    QUndoStack* windowWillReturnUndoManager() { return undoManager(); }

protected:
    // idKey, nameKey (may be null: a launcher has no stored name) and
    // rectKey name the kind's record keys.
    QVEModelObject(const char* idKey, const char* nameKey, const char* rectKey);
    // Keeps the record and reads ID, name and editor frame.
    void readRecord(const QVariantMap& record);
    // Writes a record key (the field is the caller's).
    void setRecordValue(const QString& key, const QVariant& value) { m_dict.insert(key, value); }
    QVariant recordValue(const QString& key) const { return m_dict.value(key); }
    void setName(const QString& name);
    virtual void displayInEditor(QVEObjectEditor* editor) = 0;

    QVariantMap m_dict;
    quint32 m_id = 0;
    QString m_name;
    QRectF m_editorRect;
    bool m_isNew = false;
    std::shared_ptr<QVEObjectEditor> m_editor;

private:
    const char* m_idKey;
    const char* m_nameKey;
    const char* m_rectKey;
    std::unique_ptr<QUndoStack> m_undoManager;
};

} // namespace editor
