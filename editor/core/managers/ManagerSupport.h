#pragma once
// What the object managers share: the store they keep their objects in,
// undo steps, the local notices, the pasteboard payloads and exchange files.
//
// Undo: every user action of a manager is one step on the manager's own
// QUndoStack. A step keeps the records of the whole store before and after
// the action, so undoing gives back exactly what the action changed,
// cascades included: objects deleted along with others, references that a
// delete took out of their users, the links of restored objects. Redo puts
// the "after" records back. A call with isUndo set is part of an undo or
// redo and records no step of its own.
#include "ModelSupport.h"
#include "ObjectStore.h"
#include "QVEObjectEditor.h"

#include <QList>
#include <QString>
#include <QUndoCommand>
#include <QVariantList>
#include <array>
#include <functional>
#include <optional>

class QMimeData;
class QUndoStack;

namespace editor {

using Kind = ObjectsFile::Kind;

// The shared store the managers work on; nullptr (logged with the caller)
// when none is made yet.
ObjectStore* managedStore(const char* cls, const char* method);

// Where the managers get new editor windows: the application sets a maker
// per kind (the windows live outside this library). No maker: no editor
// opens, logged.
using ObjectEditorMaker = std::function<std::shared_ptr<QVEObjectEditor>()>;
void setObjectEditorMaker(Kind kind, ObjectEditorMaker maker);
std::shared_ptr<QVEObjectEditor> makeObjectEditor(Kind kind);
// Algorithms "edit": raise the open editor, else open a new one on the object.
void editObjects(ObjectStore& store, Kind kind, const QList<quint32>& ids);

// --- Local notices ------------------------------------------------------------------------

enum UpdateAction { kQVUpdateAddAction = 0, kQVUpdateDelAction = 1, kQVUpdateRefreshAction = 2, kQVUpdateReloadAction = 3 };

QString updateNotificationName(Kind kind);     // "UpdateShortcutsNotification"...
QString substituteNotificationName(Kind kind); // "SubstituteLauncherNotification"... (L, C, A)
QVariantList numberList(const QList<quint32>& ids);
QList<quint32> idsOfList(const QVariantList& numbers);
// Shortcuts, menus and palettes: no user info. Launchers, contexts and
// actions: the UpdatePayload (IDs for add and delete, null otherwise).
void postUpdate(Kind kind, int updateAction = kQVUpdateRefreshAction, const QList<quint32>& ids = {});
void postUpdateWithDictionary(Kind kind, const QVariantMap& payload);
// {what} for a delete, {what, with} for a substitution.
void postSubstitute(Kind kind, quint32 what, std::optional<quint32> with = std::nullopt);
// The three list notices that a delete of launchers, contexts or actions sends.
void postMainListsUpdate();

// --- Undo -------------------------------------------------------------------------------------

struct StoreSnapshot {
    std::array<QVariantList, ObjectsFile::KindCount> records;
    static StoreSnapshot take(const ObjectStore& store);
    bool operator==(const StoreSnapshot& other) const { return records == other.records; }
};

// Makes the store hold exactly the snapshot's records, in their order, and
// posts the notices of what changed.
void restoreSnapshot(ObjectStore& store, const StoreSnapshot& target);

// One user action as an undo step: construct before the action, push after.
class UndoStep {
public:
    explicit UndoStep(ObjectStore& store) : m_store(store), m_before(StoreSnapshot::take(store)) {}
    // Pushes the step when the store changed; false (nothing pushed) else.
    bool push(QUndoStack* stack, const QString& name);
    // The notices of launchers, contexts and actions (other than own) that
    // the action took along: substitute {what} and the delete notice.
    void postCascadeNotices(Kind own) const;

private:
    ObjectStore& m_store;
    StoreSnapshot m_before;
};

// The undo step's name of a singular or plural key: the singular format
// with the name for one, the plural one with the count for more, empty for
// none. An empty singular key uses the plural one for one too.
QString undoName(const QString& singularKey, const QString& pluralKey, const QStringList& names);
// Renames the step on top of the stack (a paste renames its add's step).
void renameTopStep(QUndoStack* stack, const QString& name);

// The texts of a kind's add and delete steps: the singular keys take the
// record's name (under nameKey), the plural ones the count. No singular key:
// the plural one names one object too.
struct StepTexts {
    const char* addOne;
    const char* addMany;
    const char* delOne;
    const char* delMany;
    const char* nameKey;
};

// The add of the manager pattern: each record appended in order (with a
// fresh ID from nextID when withNewID), marked new unless isUndo, then one
// named step, the editors opened (edit) and the add notice. The added IDs.
QList<quint32> addRecordsAsStep(ObjectStore& store, QUndoStack* stack, Kind kind, const QVariantList& records,
                                bool withNewID, bool isUndo, const StepTexts& texts,
                                const std::function<quint32()>& nextID,
                                const std::function<void(const QList<quint32>&)>& edit);
// The delete of the manager pattern: del does the deleting; the IDs it took
// out, in the order given, make one named step, their substitute notices
// (launchers, contexts, actions), the delete notice with the IDs as given
// and, for launchers, contexts and actions, the three list notices. Nothing
// deleted: no step, no notice. The deleted IDs.
QList<quint32> deleteAsStep(ObjectStore& store, QUndoStack* stack, Kind kind, const QList<quint32>& ids, bool isUndo,
                            const StepTexts& texts, const std::function<void()>& del);
void setObjectIsNew(ObjectStore& store, Kind kind, quint32 id, bool isNew);
// The records of the objects found, in the order of the IDs.
QVariantList recordsOf(ObjectStore& store, Kind kind, const QList<quint32>& ids);
// Copies with the name key set to "<name> <localised Copie>".
QVariantList namedCopies(const QVariantList& records, const QString& nameKey);

// The objects (shortcuts, menus, palettes) whose contexts name the context,
// in their own order.
template <class T>
QList<T*> objectsWithContextID(const QList<T*>& objects, quint32 contextID)
{
    QList<T*> found;
    for (T* object : objects) {
        for (const QVariant& ref : object->contextsDictArray()) {
            if (uintValue(ref.toMap().value(QStringLiteral("cutcontextID"))) == contextID) {
                found.append(object);
                break;
            }
        }
    }
    return found;
}

// The records of the manager's objects found, in the order of the IDs, each
// with its shown name under nameKey (what a duplicate copies).
template <class Manager>
QVariantList namedRecordsOf(const Manager& manager, const QList<quint32>& ids, const QString& nameKey)
{
    QVariantList records;
    for (const quint32 id : ids) {
        if (auto* object = manager.objectWithID(id)) {
            QVariantMap record = object->dictValue();
            record.insert(nameKey, object->nameValue());
            records.append(record);
        }
    }
    return records;
}

// Points every user of an aux object (launcher or context) at another one:
// each reference to the old ID, active or not, becomes one to the new ID
// keeping its own other keys (the active flag among them).
void substituteReferences(const QList<zelk::QVEMainObject*>& users, Kind kind, quint32 oldID, quint32 newID);

// --- Pasteboard -------------------------------------------------------------------------------

// "application/x-zelk-QVShortcutPboardType"
QString mimeTypeForPboardType(const QString& type);
// "QVShortcutPboardType" -> "QVShortcutDicts"
QString payloadKeyForPboardType(const QString& type);
// A QMimeData of exactly the one type whose payload is the XML plist
// {key: records}; the caller owns it.
QMimeData* mimeDataWithRecords(const QString& type, const QVariantList& records);
// Puts the records on the general clipboard.
void writeRecordsToPasteboard(const QString& type, const QVariantList& records);
bool pasteboardHasType(const QMimeData* data, const QString& type);
// The records under the type; nullopt when the type is absent or damaged.
std::optional<QVariantList> recordsFromPasteboard(const QMimeData* data, const QString& type);
// The general clipboard's contents (may be nullptr).
const QMimeData* generalPasteboard();

// What a paste turns into a new object: shortcuts or actions.
enum class PastedItems { Shortcuts, Actions };
// Hands the pasted records to make (which adds the new object as one step)
// and renames that step after them. Nothing on the pasteboard, or no step
// pushed: nothing renamed.
void pasteAsNewObject(QUndoStack* stack, const QMimeData* pasteboard, PastedItems items,
                      const std::function<void(const QVariantList&)>& make);

// --- Exchange files ---------------------------------------------------------------------------

// True for "zlex" and "qvex", letter case counting.
bool exchangeExtensionIsValid(const QString& path);
// Asks for a place (save panel: title and proposed name localised, both
// extensions) and writes the dictionary there as an XML property list,
// atomically. A failed write shows "ErreurFichier" with the message key.
// False when cancelled or failed.
bool exportExchangeFile(const QString& titleKey, const QString& proposedName, const QVariantMap& data,
                        const QString& failureMessageKey);

// Gathers the records an export writes, each once (equal content counts as
// the same record), walking from shortcuts, menus and palettes to what they use.
class ExchangeGatherer {
public:
    explicit ExchangeGatherer(ObjectStore& store) : m_store(store) {}
    void addShortcut(quint32 id);
    void addMenu(quint32 id);
    void addPalette(quint32 id);
    // exportedshortcuts always present when withShortcutsKey; the others
    // only when not empty.
    QVariantMap exchangeFile(bool withShortcutsKey) const;

private:
    void addOnce(Kind kind, const QVariantMap& record);
    void addRefs(Kind kind, const QVariantList& refs, const char* idKey);
    void addItems(const QVariantList& items, const char* paramsKey, const char* shortcutKey, const char* actionKey,
                  const char* menuKey);

    ObjectStore& m_store;
    std::array<QVariantList, ObjectsFile::KindCount> m_records;
    QList<quint32> m_menusSeen;
};

// The record of an object of the store by kind and ID; empty when none.
QVariantMap recordOf(ObjectStore& store, Kind kind, quint32 id);

} // namespace editor
