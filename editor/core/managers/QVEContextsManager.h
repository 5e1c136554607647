#pragma once
// The contexts manager: contexts are added as they are (no fresh IDs), one
// universal context only, an equal context is found for reuse, and a delete
// takes the context's references out of its users (given back by undo).
#include "ManagerSupport.h"

#include <QUndoStack>

namespace editor {

class QVEContextsManager {
public:
    static QVEContextsManager& sharedManager();

    void setContexts(const QVariantList& records);
    QVariantList contextsDictArray() const;
    QList<QVContext*> allContextsArray() const;
    QList<QVContext*> contextsOfType(int type) const;
    QList<QVContext*> contextsWithRuleType(int ruleType) const;
    void addContextObject(const QVariantMap& record);
    void insertContextObject(const QVariantMap& record, int atIndex);
    void newContextForType(int type);
    QList<quint32> addContexts(const QVariantList& records, bool isUndo);
    QList<quint32> delContextsID(const QList<quint32>& ids, bool isUndo);

    void exportContextsID(const QList<quint32>& ids);
    QVariantList exportDataForContextsID(const QList<quint32>& ids) const;
    void copyContextsID(const QList<quint32>& ids);
    void editContextsID(const QList<quint32>& ids);
    void newShortcutWithContextsID(const QList<quint32>& ids);
    void newMenuWithContextsID(const QList<quint32>& ids);
    void newPaletteWithContextsID(const QList<quint32>& ids);

    QVContext* contextWithID(quint32 id) const;
    QVContext* contextWithType(int type, const QVariantMap& params) const;
    void substituteContext(QVContext* old, QVContext* with, bool deleteOld);
    void updateContextsWithDictionary(const QVariantMap& payload);
    void updateContexts();
    void reloadContexts();
    QUndoStack* undoManager() { return &m_undoManager; }

private:
    QVEContextsManager() = default;
    QUndoStack m_undoManager;
};

} // namespace editor
