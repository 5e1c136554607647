#include "ManagerSupport.h"

#include "Log.h"
#include "ModelSupport.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "QVEAction.h"
#include "QVContext.h"
#include "QVLauncher.h"
#include "QVMenu.h"
#include "QVPalette.h"
#include "QVShortcut.h"
#include "QVUtility.h"
#include "QVEModelObject.h"
#include "QVEMainModel.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QMimeData>
#include <QSet>
#include <QUndoStack>

namespace editor {

static const char* kindWord(Kind kind)
{
    switch (kind) {
    case ObjectsFile::Actions: return "Action";
    case ObjectsFile::Contexts: return "Context";
    case ObjectsFile::Launchers: return "Launcher";
    case ObjectsFile::Shortcuts: return "Shortcut";
    case ObjectsFile::Menus: return "Menu";
    case ObjectsFile::Palettes: return "Palette";
    }
    return "";
}

static bool isMainKind(Kind kind)
{
    return kind == ObjectsFile::Shortcuts || kind == ObjectsFile::Menus || kind == ObjectsFile::Palettes;
}

ObjectStore* managedStore(const char* cls, const char* method)
{
    ObjectStore* store = ObjectStore::sharedStore();
    if (!store)
        zelk::zlog(cls, method) << "no object store";
    return store;
}

static std::array<ObjectEditorMaker, ObjectsFile::KindCount>& editorMakers()
{
    static std::array<ObjectEditorMaker, ObjectsFile::KindCount> makers;
    return makers;
}

void setObjectEditorMaker(Kind kind, ObjectEditorMaker maker) { editorMakers()[kind] = std::move(maker); }

std::shared_ptr<QVEObjectEditor> makeObjectEditor(Kind kind)
{
    const ObjectEditorMaker& maker = editorMakers()[kind];
    return maker ? maker() : nullptr;
}

void editObjects(ObjectStore& store, Kind kind, const QList<quint32>& ids)
{
    for (const quint32 id : ids) {
        QVEModelObject* object = nullptr;
        switch (kind) {
        case ObjectsFile::Contexts: object = store.contextWithID(id); break;
        case ObjectsFile::Launchers: object = store.launcherWithID(id); break;
        case ObjectsFile::Shortcuts: object = store.shortcutWithID(id); break;
        case ObjectsFile::Menus: object = store.menuWithID(id); break;
        case ObjectsFile::Palettes: object = store.paletteWithID(id); break;
        case ObjectsFile::Actions: break;
        }
        if (!object || object->edit())
            continue;
        if (auto editor = makeObjectEditor(kind))
            object->editInEditor(std::move(editor));
        else
            zelk::zlog("ManagerSupport", "editObjects") << "no editor window for" << kindWord(kind) << id;
    }
}

// --- Local notices ------------------------------------------------------------------------

QString updateNotificationName(Kind kind)
{
    return QStringLiteral("Update%1sNotification").arg(QLatin1String(kindWord(kind)));
}

QString substituteNotificationName(Kind kind)
{
    return QStringLiteral("Substitute%1Notification").arg(QLatin1String(kindWord(kind)));
}

QVariantList numberList(const QList<quint32>& ids)
{
    QVariantList list;
    list.reserve(ids.size());
    for (const quint32 id : ids)
        list.append(qint64(id));
    return list;
}

QList<quint32> idsOfList(const QVariantList& numbers)
{
    QList<quint32> ids;
    ids.reserve(numbers.size());
    for (const QVariant& number : numbers)
        ids.append(uintValue(number));
    return ids;
}

void postUpdate(Kind kind, int updateAction, const QList<quint32>& ids)
{
    if (isMainKind(kind)) {
        zelk::NotificationCenter::defaultCenter().post(updateNotificationName(kind));
        return;
    }
    QVariantMap payload{{QStringLiteral("updateaction"), updateAction}};
    if (updateAction == kQVUpdateAddAction || updateAction == kQVUpdateDelAction)
        payload.insert(QStringLiteral("updateparameter"), numberList(ids));
    else
        payload.insert(QStringLiteral("updateparameter"), QVariant::fromValue(nullptr));
    postUpdateWithDictionary(kind, payload);
}

void postUpdateWithDictionary(Kind kind, const QVariantMap& payload)
{
    zelk::NotificationCenter::defaultCenter().post(updateNotificationName(kind), nullptr, payload);
}

void postSubstitute(Kind kind, quint32 what, std::optional<quint32> with)
{
    QVariantMap payload{{QStringLiteral("what"), qint64(what)}};
    if (with)
        payload.insert(QStringLiteral("with"), qint64(*with));
    zelk::NotificationCenter::defaultCenter().post(substituteNotificationName(kind), nullptr, payload);
}

void postMainListsUpdate()
{
    postUpdate(ObjectsFile::Shortcuts);
    postUpdate(ObjectsFile::Menus);
    postUpdate(ObjectsFile::Palettes);
}

// --- Undo -------------------------------------------------------------------------------------

StoreSnapshot StoreSnapshot::take(const ObjectStore& store)
{
    StoreSnapshot snapshot;
    for (const Kind kind : ObjectsFile::order())
        snapshot.records[kind] = store.allRecords(kind);
    return snapshot;
}

namespace {

struct KindDiff {
    QList<quint32> added, removed;
    QHash<quint32, QVariantMap> wanted; // ID -> record of the target
    QList<quint32> order;               // the target's IDs in order
};

KindDiff diffOf(const ObjectStore& store, Kind kind, const QVariantList& target)
{
    KindDiff diff;
    const QString key = ObjectStore::idKey(kind);
    for (const QVariant& value : target) {
        const QVariantMap record = value.toMap();
        const quint32 id = uintValue(record.value(key));
        diff.wanted.insert(id, record);
        diff.order.append(id);
    }
    const QList<quint32> current = store.allIDs(kind);
    const QSet<quint32> currentSet(current.begin(), current.end());
    for (const quint32 id : current) {
        if (!diff.wanted.contains(id))
            diff.removed.append(id);
    }
    for (const quint32 id : std::as_const(diff.order)) {
        if (!currentSet.contains(id))
            diff.added.append(id);
    }
    return diff;
}

void insertMissing(ObjectStore& store, Kind kind, const KindDiff& diff, QList<quint32>* menusToLink)
{
    // In target order, so each lands at its own index.
    const QSet<quint32> added(diff.added.begin(), diff.added.end());
    for (qsizetype i = 0; i < diff.order.size(); ++i) {
        const quint32 id = diff.order[i];
        if (!added.contains(id))
            continue;
        if (!store.insertRecord(kind, diff.wanted.value(id), i, false))
            zelk::zlog("ManagerSupport", "restoreSnapshot") << "no object from the record of" << kindWord(kind) << id;
        else if (kind == ObjectsFile::Menus)
            menusToLink->append(id);
    }
}

} // namespace

void restoreSnapshot(ObjectStore& store, const StoreSnapshot& target)
{
    std::array<KindDiff, ObjectsFile::KindCount> diffs;
    for (const Kind kind : ObjectsFile::order())
        diffs[kind] = diffOf(store, kind, target.records[kind]);
    const Kind mains[] = {ObjectsFile::Palettes, ObjectsFile::Menus, ObjectsFile::Shortcuts};
    const Kind auxes[] = {ObjectsFile::Actions, ObjectsFile::Contexts, ObjectsFile::Launchers};

    // Users go first, so no aux object is taken away from under them; the
    // aux objects come back before the users that link to them.
    for (const Kind kind : mains) {
        for (const quint32 id : std::as_const(diffs[kind].removed))
            store.removeObject(kind, id);
    }
    QList<quint32> menusToLink;
    for (const Kind kind : auxes)
        insertMissing(store, kind, diffs[kind], &menusToLink);
    for (const Kind kind : {ObjectsFile::Shortcuts, ObjectsFile::Menus, ObjectsFile::Palettes}) {
        const QVariantList current = store.allRecords(kind);
        const QString key = ObjectStore::idKey(kind);
        for (const QVariant& value : current) {
            const QVariantMap record = value.toMap();
            const quint32 id = uintValue(record.value(key));
            const auto wanted = diffs[kind].wanted.constFind(id);
            if (wanted != diffs[kind].wanted.constEnd() && *wanted != record)
                store.resetListsFromRecord(kind, *wanted);
        }
    }
    for (const Kind kind : auxes) {
        for (const quint32 id : std::as_const(diffs[kind].removed))
            store.removeObject(kind, id);
    }
    for (const Kind kind : {ObjectsFile::Shortcuts, ObjectsFile::Menus, ObjectsFile::Palettes})
        insertMissing(store, kind, diffs[kind], &menusToLink);
    for (const quint32 id : std::as_const(menusToLink))
        store.linkMenu(id);

    for (const Kind kind : auxes) {
        for (const quint32 id : std::as_const(diffs[kind].removed))
            postSubstitute(kind, id);
        if (!diffs[kind].removed.isEmpty())
            postUpdate(kind, kQVUpdateDelAction, diffs[kind].removed);
        if (!diffs[kind].added.isEmpty())
            postUpdate(kind, kQVUpdateAddAction, diffs[kind].added);
    }
    postMainListsUpdate();
}

namespace {

class SnapshotCommand : public QUndoCommand {
public:
    SnapshotCommand(ObjectStore& store, StoreSnapshot before, StoreSnapshot after, const QString& name)
        : QUndoCommand(name), m_store(store), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void undo() override { restoreSnapshot(m_store, m_before); }
    void redo() override
    {
        // The action itself was the first "redo".
        if (m_done) {
            m_done = false;
            return;
        }
        restoreSnapshot(m_store, m_after);
    }

private:
    ObjectStore& m_store;
    StoreSnapshot m_before, m_after;
    bool m_done = true;
};

} // namespace

bool UndoStep::push(QUndoStack* stack, const QString& name)
{
    StoreSnapshot after = StoreSnapshot::take(m_store);
    if (!stack || after == m_before)
        return false;
    stack->push(new SnapshotCommand(m_store, std::move(m_before), std::move(after), name));
    return true;
}

void UndoStep::postCascadeNotices(Kind own) const
{
    for (const Kind kind : {ObjectsFile::Actions, ObjectsFile::Contexts, ObjectsFile::Launchers}) {
        if (kind == own)
            continue;
        const QList<quint32> ids = m_store.allIDs(kind);
        const QSet<quint32> now(ids.begin(), ids.end());
        const QString key = ObjectStore::idKey(kind);
        QList<quint32> gone;
        for (const QVariant& record : m_before.records[kind]) {
            const quint32 id = uintValue(record.toMap().value(key));
            if (!now.contains(id))
                gone.append(id);
        }
        for (const quint32 id : std::as_const(gone))
            postSubstitute(kind, id);
        if (!gone.isEmpty())
            postUpdate(kind, kQVUpdateDelAction, gone);
    }
}

QString undoName(const QString& singularKey, const QString& pluralKey, const QStringList& names)
{
    if (names.isEmpty())
        return {};
    if (names.size() == 1 && !singularKey.isEmpty())
        return locFormat(singularKey, {names.first()});
    return locFormat(pluralKey, {qulonglong(names.size())});
}

void renameTopStep(QUndoStack* stack, const QString& name)
{
    if (!stack || stack->index() == 0)
        return;
    if (auto* command = const_cast<QUndoCommand*>(stack->command(stack->index() - 1)))
        command->setText(name);
}

void setObjectIsNew(ObjectStore& store, Kind kind, quint32 id, bool isNew)
{
    switch (kind) {
    case ObjectsFile::Actions:
        if (zelk::QVEAction* action = store.actionWithID(id))
            action->setIsNew(isNew);
        return;
    case ObjectsFile::Contexts:
        if (QVContext* context = store.contextWithID(id))
            context->setIsNew(isNew);
        return;
    case ObjectsFile::Launchers:
        if (QVLauncher* launcher = store.launcherWithID(id))
            launcher->setIsNew(isNew);
        return;
    case ObjectsFile::Shortcuts:
        if (QVShortcut* shortcut = store.shortcutWithID(id))
            shortcut->setIsNew(isNew);
        return;
    case ObjectsFile::Menus:
        if (QVMenu* menu = store.menuWithID(id))
            menu->setIsNew(isNew);
        return;
    case ObjectsFile::Palettes:
        if (QVPalette* palette = store.paletteWithID(id))
            palette->setIsNew(isNew);
        return;
    }
}

QList<quint32> addRecordsAsStep(ObjectStore& store, QUndoStack* stack, Kind kind, const QVariantList& records,
                                bool withNewID, bool isUndo, const StepTexts& texts,
                                const std::function<quint32()>& nextID,
                                const std::function<void(const QList<quint32>&)>& edit)
{
    UndoStep step(store);
    const QString key = ObjectStore::idKey(kind);
    QList<quint32> ids;
    QStringList names;
    for (const QVariant& value : records) {
        QVariantMap record = value.toMap();
        names << record.value(QLatin1String(texts.nameKey)).toString();
        if (withNewID && nextID)
            record.insert(key, qint64(nextID()));
        if (!store.insertRecord(kind, record, -1)) {
            zelk::zlog("ManagerSupport", "addRecordsAsStep") << "no object made from a record of" << kindWord(kind);
            continue;
        }
        const quint32 id = uintValue(record.value(key));
        ids.append(id);
        if (!isUndo)
            setObjectIsNew(store, kind, id, true);
    }
    if (!isUndo) {
        step.push(stack, undoName(QLatin1String(texts.addOne), QLatin1String(texts.addMany), names));
        if (edit && !ids.isEmpty())
            edit(ids);
    }
    postUpdate(kind, kQVUpdateAddAction, ids);
    return ids;
}

QList<quint32> deleteAsStep(ObjectStore& store, QUndoStack* stack, Kind kind, const QList<quint32>& ids, bool isUndo,
                            const StepTexts& texts, const std::function<void()>& del)
{
    UndoStep step(store);
    QHash<quint32, QString> namesBefore;
    for (const quint32 id : ids) {
        const QVariantMap record = recordOf(store, kind, id);
        if (!record.isEmpty())
            namesBefore.insert(id, record.value(QLatin1String(texts.nameKey)).toString());
    }
    del();
    QList<quint32> deleted;
    QStringList names;
    for (const quint32 id : ids) {
        if (namesBefore.contains(id) && !deleted.contains(id) && recordOf(store, kind, id).isEmpty()) {
            deleted.append(id);
            names << namesBefore.value(id);
        }
    }
    if (deleted.isEmpty())
        return {};
    step.postCascadeNotices(kind);
    const bool aux = !isMainKind(kind);
    if (aux) {
        for (const quint32 id : std::as_const(deleted))
            postSubstitute(kind, id);
    }
    if (!isUndo)
        step.push(stack, undoName(QLatin1String(texts.delOne), QLatin1String(texts.delMany), names));
    postUpdate(kind, kQVUpdateDelAction, ids);
    if (aux)
        postMainListsUpdate();
    return deleted;
}

QVariantList recordsOf(ObjectStore& store, Kind kind, const QList<quint32>& ids)
{
    QVariantList records;
    for (const quint32 id : ids) {
        const QVariantMap record = recordOf(store, kind, id);
        if (!record.isEmpty())
            records.append(record);
    }
    return records;
}

QVariantList namedCopies(const QVariantList& records, const QString& nameKey)
{
    const QString copy = loc(QStringLiteral("Copie"));
    QVariantList copies;
    for (const QVariant& value : records) {
        QVariantMap record = value.toMap();
        record.insert(nameKey, QStringLiteral("%1 %2").arg(record.value(nameKey).toString(), copy));
        copies.append(record);
    }
    return copies;
}

void substituteReferences(const QList<zelk::QVEMainObject*>& users, Kind kind, quint32 oldID, quint32 newID)
{
    const bool launchers = kind == ObjectsFile::Launchers;
    const QString idKey = launchers ? QStringLiteral("cutlauncherID") : QStringLiteral("cutcontextID");
    QList<QVEMainModel*> done;
    for (zelk::QVEMainObject* object : users) {
        auto* user = dynamic_cast<QVEMainModel*>(object);
        if (!user || done.contains(user))
            continue;
        done.append(user);
        const QVariantList refs = launchers ? user->launchersDictArray() : user->contextsDictArray();
        for (const QVariant& value : refs) {
            const QVariantMap ref = value.toMap();
            if (uintValue(ref.value(idKey)) != oldID)
                continue;
            QVariantMap with = ref;
            with.insert(idKey, qint64(newID));
            if (launchers)
                user->replaceLauncherDict(ref, with);
            else
                user->replaceContextDict(ref, with);
        }
    }
}

// --- Pasteboard -------------------------------------------------------------------------------

QString mimeTypeForPboardType(const QString& type)
{
    return QStringLiteral("application/x-zelk-") + type;
}

QString payloadKeyForPboardType(const QString& type)
{
    QString key = type;
    key.replace(QStringLiteral("PboardType"), QStringLiteral("Dicts"));
    return key;
}

QMimeData* mimeDataWithRecords(const QString& type, const QVariantList& records)
{
    auto* data = new QMimeData;
    QString error;
    const QByteArray xml = zelk::plist::writeXml(QVariantMap{{payloadKeyForPboardType(type), records}}, &error);
    if (xml.isEmpty())
        zelk::zlog("ManagerSupport", "mimeDataWithRecords") << type << error;
    data->setData(mimeTypeForPboardType(type), xml);
    return data;
}

void writeRecordsToPasteboard(const QString& type, const QVariantList& records)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setMimeData(mimeDataWithRecords(type, records));
}

bool pasteboardHasType(const QMimeData* data, const QString& type)
{
    return data && data->hasFormat(mimeTypeForPboardType(type));
}

std::optional<QVariantList> recordsFromPasteboard(const QMimeData* data, const QString& type)
{
    if (!pasteboardHasType(data, type))
        return std::nullopt;
    QString error;
    const std::optional<QVariant> payload = zelk::plist::read(data->data(mimeTypeForPboardType(type)), &error);
    if (!payload || payload->metaType().id() != QMetaType::QVariantMap) {
        zelk::zlog("ManagerSupport", "recordsFromPasteboard") << type << "is not a dictionary" << error;
        return std::nullopt;
    }
    const QVariant list = payload->toMap().value(payloadKeyForPboardType(type));
    if (list.metaType().id() != QMetaType::QVariantList) {
        zelk::zlog("ManagerSupport", "recordsFromPasteboard") << type << "holds no array of records";
        return std::nullopt;
    }
    QVariantList records;
    for (const QVariant& record : list.toList()) {
        if (record.metaType().id() == QMetaType::QVariantMap)
            records.append(record);
    }
    return records;
}

const QMimeData* generalPasteboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->mimeData() : nullptr;
}

void pasteAsNewObject(QUndoStack* stack, const QMimeData* pasteboard, PastedItems items,
                      const std::function<void(const QVariantList&)>& make)
{
    const bool shortcuts = items == PastedItems::Shortcuts;
    const std::optional<QVariantList> records = recordsFromPasteboard(
        pasteboard, shortcuts ? QStringLiteral("QVShortcutPboardType") : QStringLiteral("QVActionPboardType"));
    if (!records || !stack)
        return;
    const int before = stack->index();
    make(*records);
    if (stack->index() == before)
        return;
    const QString nameKey = shortcuts ? QStringLiteral("cutname") : QStringLiteral("actionname");
    QStringList names;
    for (const QVariant& record : *records)
        names << record.toMap().value(nameKey).toString();
    const QString name = shortcuts ? undoName(QStringLiteral("AnnulerCollerRaccourci"), QStringLiteral("AnnulerCollerRaccourcis"), names)
                                   : undoName(QStringLiteral("AnnulerCollerAction"), QStringLiteral("AnnulerCollerActions"), names);
    if (!name.isEmpty())
        renameTopStep(stack, name);
}

// --- Exchange files ---------------------------------------------------------------------------

bool exchangeExtensionIsValid(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix == QLatin1String("zlex") || suffix == QLatin1String("qvex");
}

bool exportExchangeFile(const QString& titleKey, const QString& proposedName, const QVariantMap& data,
                        const QString& failureMessageKey)
{
    QString path = QVUtility::sharedUtility().savePanelPath(loc(titleKey), proposedName, {"zlex", "qvex"});
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".zlex");
    QString error;
    if (!zelk::plist::writeFile(path, data, &error)) {
        zelk::zlog("ManagerSupport", "exportExchangeFile") << path << error;
        alert(loc(QStringLiteral("ErreurFichier")), loc(failureMessageKey), QStringLiteral("OK"));
        return false;
    }
    return true;
}

QVariantMap recordOf(ObjectStore& store, Kind kind, quint32 id)
{
    switch (kind) {
    case ObjectsFile::Actions:
        if (zelk::QVEAction* action = store.actionWithID(id))
            return action->dictValue();
        return {};
    case ObjectsFile::Contexts:
        if (QVContext* context = store.contextWithID(id))
            return context->dictValue();
        return {};
    case ObjectsFile::Launchers:
        if (QVLauncher* launcher = store.launcherWithID(id))
            return launcher->dictValue();
        return {};
    case ObjectsFile::Shortcuts:
        if (QVShortcut* shortcut = store.shortcutWithID(id))
            return shortcut->dictValue();
        return {};
    case ObjectsFile::Menus:
        if (QVMenu* menu = store.menuWithID(id))
            return menu->dictValue();
        return {};
    case ObjectsFile::Palettes:
        if (QVPalette* palette = store.paletteWithID(id))
            return palette->dictValue();
        return {};
    }
    return {};
}

void ExchangeGatherer::addOnce(Kind kind, const QVariantMap& record)
{
    if (!record.isEmpty() && !m_records[kind].contains(record))
        m_records[kind].append(record);
}

void ExchangeGatherer::addRefs(Kind kind, const QVariantList& refs, const char* idKey)
{
    for (const QVariant& ref : refs)
        addOnce(kind, recordOf(m_store, kind, uintValue(ref.toMap().value(QLatin1String(idKey)))));
}

void ExchangeGatherer::addShortcut(quint32 id)
{
    const QVariantMap record = recordOf(m_store, ObjectsFile::Shortcuts, id);
    if (record.isEmpty())
        return;
    addOnce(ObjectsFile::Shortcuts, record);
    addRefs(ObjectsFile::Actions, record.value(QStringLiteral("cutactions")).toList(), "cutactionID");
    addRefs(ObjectsFile::Contexts, record.value(QStringLiteral("cutcontexts")).toList(), "cutcontextID");
    addRefs(ObjectsFile::Launchers, record.value(QStringLiteral("cutlaunchers")).toList(), "cutlauncherID");
}

void ExchangeGatherer::addItems(const QVariantList& items, const char* paramsKey, const char* shortcutKey,
                                const char* actionKey, const char* menuKey)
{
    for (const QVariant& value : items) {
        const QVariantMap item = value.toMap();
        const QVariantMap params = item.value(QLatin1String(paramsKey)).toMap();
        if (params.contains(QLatin1String(shortcutKey)))
            addShortcut(uintValue(params.value(QLatin1String(shortcutKey))));
        if (params.contains(QLatin1String(actionKey)))
            addOnce(ObjectsFile::Actions, recordOf(m_store, ObjectsFile::Actions, uintValue(params.value(QLatin1String(actionKey)))));
        // Submenus travel with their menu, so the import can keep them.
        if (menuKey && params.contains(QLatin1String(menuKey)))
            addMenu(uintValue(params.value(QLatin1String(menuKey))));
    }
}

void ExchangeGatherer::addMenu(quint32 id)
{
    if (m_menusSeen.contains(id))
        return;
    m_menusSeen.append(id);
    const QVariantMap record = recordOf(m_store, ObjectsFile::Menus, id);
    if (record.isEmpty())
        return;
    addOnce(ObjectsFile::Menus, record);
    addRefs(ObjectsFile::Contexts, record.value(QStringLiteral("menucontexts")).toList(), "cutcontextID");
    addRefs(ObjectsFile::Launchers, record.value(QStringLiteral("menulaunchers")).toList(), "cutlauncherID");
    addItems(record.value(QStringLiteral("menuitems")).toList(), "menuitemparams", "menuitemshortcutID",
             "menuitemactionID", "menuitemmenuID");
}

void ExchangeGatherer::addPalette(quint32 id)
{
    const QVariantMap record = recordOf(m_store, ObjectsFile::Palettes, id);
    if (record.isEmpty())
        return;
    addOnce(ObjectsFile::Palettes, record);
    addRefs(ObjectsFile::Contexts, record.value(QStringLiteral("palettecontexts")).toList(), "cutcontextID");
    addRefs(ObjectsFile::Launchers, record.value(QStringLiteral("palettelaunchers")).toList(), "cutlauncherID");
    addItems(record.value(QStringLiteral("paletteitems")).toList(), "paletteitemparams", "paletteitemshortcutID",
             "paletteitemactionID", nullptr);
}

QVariantMap ExchangeGatherer::exchangeFile(bool withShortcutsKey) const
{
    static const std::array<const char*, ObjectsFile::KindCount> keys = {
        "exportedactions", "exportedcontexts", "exportedlaunchers", "exportedshortcuts", "exportedmenus", "exportedpalettes"};
    QVariantMap file;
    for (const Kind kind : ObjectsFile::order()) {
        if (!m_records[kind].isEmpty() || (kind == ObjectsFile::Shortcuts && withShortcutsKey))
            file.insert(QLatin1String(keys[kind]), m_records[kind]);
    }
    return file;
}

} // namespace editor
