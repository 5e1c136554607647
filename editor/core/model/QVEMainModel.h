#pragma once
// What shortcuts, menus and palettes share as main objects: their items
// (a shortcut's steps, a menu's or palette's items), their launcher and
// context references, the links those hold, dropped objects, substitution
// and the list columns of launchers and contexts.
//
// Every change of a list goes through replaceItems(), setLaunchersDictArray()
// or setContextsDictArray(): the old list's objects are unlinked, the new
// list stored, its objects linked, so the links always mirror the records.
#include "ModelSupport.h"
#include "ObjectDirectory.h"
#include "QVEModelObject.h"
#include "QVEObjects.h"

#include <QImage>

namespace zelk {
class QVEAction;
}

namespace editor {

class QVEMainModel : public QVEModelObject, public zelk::QVEMainObject {
public:
    QVariantList launchersDictArray() const { return m_launchers; }
    QVariantList contextsDictArray() const { return m_contexts; }
    void setLaunchersDictArray(const QVariantList& launchers);
    void setContextsDictArray(const QVariantList& contexts);

    // Substitution: the first reference equal to the old one (both keys)
    // becomes a copy of the new one; nothing changes without a match.
    void replaceLauncherDict(const QVariantMap& old, const QVariantMap& with);
    void replaceContextDict(const QVariantMap& old, const QVariantMap& with);
    // Every item running the old action record's actionID runs the new
    // one's; stored once when anything changed.
    void replaceActionDict(const QVariantMap& old, const QVariantMap& with);
    // The first action item at or after start running the record's action;
    // NotFound when none or start is past the end.
    qsizetype indexOfActionWithDict(const QVariantMap& actionRecord, qsizetype start) const;

    // Launchers, contexts and actions dropped on the object, and taken off
    // it (one reference per object and call). Both do nothing while the
    // object's editor is open.
    void addAuxObjects(const QList<zelk::QVEAuxObject*>& objects);
    void removeAuxObjects(const QList<zelk::QVEAuxObject*>& objects) override;

    // List columns.
    QString contextsValue() const;
    QImage contextsImageValue() const;
    QString launchersValue() const;
    QImage launchersImageValue() const;

protected:
    struct Keys {
        const char* id;
        const char* name;
        const char* rect;
        const char* items;
        const char* launchers;
        const char* contexts;
    };
    explicit QVEMainModel(const Keys& keys);

    // Reads the three lists; links the launchers and contexts, and the
    // items' objects when linkItems.
    void readLists(bool linkItems);
    void replaceItems(const QVariantList& items);

    // The objects the items name, once per item.
    virtual QList<ObjectRef> itemRefs(const QVariantList& items) const = 0;
    // The item or step a dropped action adds.
    virtual QVariantMap newItemForAction(zelk::QVEAction* action) const = 0;
    // The action ID an item runs; false for an item that runs no action.
    virtual bool actionIDOfItem(const QVariantMap& item, quint32* id) const = 0;
    virtual QVariantMap itemWithActionID(const QVariantMap& item, const QVariant& id) const = 0;

    // The objects a list of references names.
    static QList<ObjectRef> launcherRefs(const QVariantList& refs);
    static QList<ObjectRef> contextRefs(const QVariantList& refs);

    // "Aucun", the first object's name, or the format with it and the count.
    static QString countedNames(const QString& first, qsizetype count, const QString& noneKey, const QString& formatKey);

    QVariantList m_items;
    QVariantList m_launchers;
    QVariantList m_contexts;

private:
    Keys m_keys;
};

} // namespace editor
