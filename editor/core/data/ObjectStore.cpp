#include "ObjectStore.h"

#include "AtomicFile.h"
#include "Log.h"
#include "ModelSupport.h"
#include "QVContext.h"
#include "QVEAction.h"
#include "QVLauncher.h"
#include "QVMenu.h"
#include "QVPalette.h"
#include "QVShortcut.h"

#include <QDir>
#include <algorithm>
#include <future>

namespace editor {

template <class T>
void ObjectStore::List<T>::append(std::shared_ptr<T> object, const char* cls)
{
    T* raw = object.get();
    const quint32 id = raw->IDValue();
    if (byID.contains(id))
        zelk::zlog(cls, "append") << "a second object with the ID" << id << "is not found by it";
    else
        byID.insert(id, raw);
    objects.push_back(std::move(object));
}

template <class T>
std::shared_ptr<T> ObjectStore::List<T>::take(T* object)
{
    const auto it = std::find_if(objects.begin(), objects.end(), [object](const auto& o) { return o.get() == object; });
    if (it == objects.end())
        return nullptr;
    std::shared_ptr<T> taken = std::move(*it);
    objects.erase(it);
    if (byID.value(object->IDValue()) == object) {
        byID.remove(object->IDValue());
        // A duplicate of the ID, if any, is found again.
        for (const auto& other : objects) {
            if (other->IDValue() == object->IDValue()) {
                byID.insert(other->IDValue(), other.get());
                break;
            }
        }
    }
    return taken;
}

template <class T>
void ObjectStore::List<T>::insert(std::shared_ptr<T> object, qsizetype index, const char* cls)
{
    if (index < 0 || index >= qsizetype(objects.size())) {
        append(std::move(object), cls);
        return;
    }
    T* raw = object.get();
    if (byID.contains(raw->IDValue()))
        zelk::zlog(cls, "insert") << "a second object with the ID" << raw->IDValue() << "is not found by it";
    else
        byID.insert(raw->IDValue(), raw);
    objects.insert(objects.begin() + index, std::move(object));
}

template <class T>
qsizetype ObjectStore::List<T>::indexOf(quint32 id) const
{
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->IDValue() == id)
            return qsizetype(i);
    }
    return -1;
}

template <class T>
void ObjectStore::List<T>::clear()
{
    byID.clear();
    objects.clear();
}

ObjectStore::ObjectStore()
{
    if (!ObjectDirectory::shared())
        ObjectDirectory::setShared(this);
}

ObjectStore::~ObjectStore()
{
    if (ObjectDirectory::shared() == this)
        ObjectDirectory::setShared(nullptr);
    clear();
}

void ObjectStore::clear()
{
    // Users first, so that nothing points at a dropped object meanwhile.
    m_palettes.clear();
    m_menus.clear();
    m_shortcuts.clear();
    m_launchers.clear();
    m_contexts.clear();
    m_actions.clear();
    std::fill(std::begin(m_damaged), std::end(m_damaged), false);
}

// --- Adding ---------------------------------------------------------------------

zelk::QVEAction* ObjectStore::addAction(const QVariantMap& record)
{
    std::shared_ptr<zelk::QVEAction> action = zelk::QVEAction::actionWithRecord(record);
    if (!action)
        return nullptr;
    zelk::QVEAction* raw = action.get();
    m_actions.append(std::move(action), "QVEAction");
    return raw;
}

template <class T>
static std::shared_ptr<T> made(const QVariantMap& record)
{
    auto object = std::make_shared<T>();
    if (!object->initWithDictionaryInEditor(record))
        return nullptr;
    return object;
}

QVContext* ObjectStore::addContext(const QVariantMap& record)
{
    auto object = made<QVContext>(record);
    QVContext* raw = object.get();
    if (object)
        m_contexts.append(std::move(object), "QVContext");
    return raw;
}

QVLauncher* ObjectStore::addLauncher(const QVariantMap& record)
{
    auto object = made<QVLauncher>(record);
    QVLauncher* raw = object.get();
    if (object)
        m_launchers.append(std::move(object), "QVLauncher");
    return raw;
}

QVShortcut* ObjectStore::addShortcut(const QVariantMap& record)
{
    auto object = made<QVShortcut>(record);
    QVShortcut* raw = object.get();
    if (object)
        m_shortcuts.append(std::move(object), "QVShortcut");
    return raw;
}

QVMenu* ObjectStore::addMenu(const QVariantMap& record)
{
    auto object = made<QVMenu>(record);
    QVMenu* raw = object.get();
    if (object) {
        m_menus.append(std::move(object), "QVMenu");
        raw->linkToItemObjects();
    }
    return raw;
}

QVPalette* ObjectStore::addPalette(const QVariantMap& record)
{
    auto object = made<QVPalette>(record);
    QVPalette* raw = object.get();
    if (object)
        m_palettes.append(std::move(object), "QVPalette");
    return raw;
}

// --- Files --------------------------------------------------------------------------

bool ObjectStore::load(const QString& folder, QString* error)
{
    QStringList problems;
    const QDir dir(folder);
    // The files are parsed side by side (parsing is most of a load); the
    // objects are then built in file order on this thread.
    struct Read {
        ObjectsFile::Status status;
        ObjectsFile::Contents contents;
        QString why;
    };
    std::vector<std::future<Read>> reads;
    for (const ObjectsFile::Kind kind : ObjectsFile::order()) {
        const QString path = dir.filePath(QLatin1String(ObjectsFile::fileName(kind)));
        reads.push_back(std::async(std::launch::async, [path, kind] {
            Read r;
            r.status = ObjectsFile::read(path, kind, &r.contents, &r.why);
            return r;
        }));
    }
    for (const ObjectsFile::Kind kind : ObjectsFile::order()) {
        const QString path = dir.filePath(QLatin1String(ObjectsFile::fileName(kind)));
        Read read = reads[kind].get();
        const ObjectsFile::Status status = read.status;
        const ObjectsFile::Contents& contents = read.contents;
        const QString& why = read.why;
        m_damaged[kind] = status == ObjectsFile::Status::Damaged;
        if (status == ObjectsFile::Status::Damaged) {
            zelk::zlog("ObjectStore", "load") << why;
            problems << why;
        }
        if (status == ObjectsFile::Status::Missing && kind == ObjectsFile::Contexts) {
            QVContext::setNextContextID(0);
            QVariantMap universal = QVContext::newDataForType(0);
            universal.insert(QStringLiteral("contextname"), loc(QStringLiteral("NomContexte0")));
            addContext(universal);
            continue;
        }
        if (status != ObjectsFile::Status::Read)
            continue;
        QList<QVMenu*> menus;
        for (const QVariant& value : contents.records) {
            if (value.metaType().id() != QMetaType::QVariantMap) {
                zelk::zlog("ObjectStore", "load") << path << ": a record that is not a dictionary is skipped";
                continue;
            }
            const QVariantMap record = value.toMap();
            switch (kind) {
            case ObjectsFile::Actions:
                addAction(record);
                break;
            case ObjectsFile::Contexts:
                addContext(record);
                break;
            case ObjectsFile::Launchers:
                addLauncher(record);
                break;
            case ObjectsFile::Shortcuts:
                addShortcut(record);
                break;
            case ObjectsFile::Menus:
                // Linked once all exist: a submenu may come after its parent.
                if (auto object = made<QVMenu>(record)) {
                    menus << object.get();
                    m_menus.append(std::move(object), "QVMenu");
                }
                break;
            case ObjectsFile::Palettes:
                addPalette(record);
                break;
            }
        }
        for (QVMenu* menu : menus)
            menu->linkToItemObjects();
        switch (kind) {
        case ObjectsFile::Actions: zelk::QVEAction::setNextActionID(contents.nextID); break;
        case ObjectsFile::Contexts: QVContext::setNextContextID(contents.nextID); break;
        case ObjectsFile::Launchers: QVLauncher::setNextLauncherID(contents.nextID); break;
        case ObjectsFile::Shortcuts: QVShortcut::setNextShortcutID(contents.nextID); break;
        case ObjectsFile::Menus: QVMenu::setNextMenuID(contents.nextID); break;
        case ObjectsFile::Palettes: QVPalette::setNextPaletteID(contents.nextID); break;
        }
    }
    if (error)
        *error = problems.join(u'\n');
    return problems.isEmpty();
}

bool ObjectStore::save(const QString& folder, QString* error)
{
    QStringList problems;
    const QDir dir(folder);
    // The lists are taken here and turned into file text side by side; the
    // files then replace the old ones together, so that a failure leaves
    // all of them as they were rather than some new and some old.
    std::vector<std::pair<QString, std::future<std::pair<QByteArray, QString>>>> texts;
    for (const ObjectsFile::Kind kind : ObjectsFile::order()) {
        const QString path = dir.filePath(QLatin1String(ObjectsFile::fileName(kind)));
        if (m_damaged[kind]) {
            const QString why = path + QStringLiteral(": damaged when read, left as it is");
            zelk::zlog("ObjectStore", "save") << why;
            problems << why;
            continue;
        }
        quint32 next = 0;
        switch (kind) {
        case ObjectsFile::Actions: next = zelk::QVEAction::currentActionID(); break;
        case ObjectsFile::Contexts: next = QVContext::currentContextID(); break;
        case ObjectsFile::Launchers: next = QVLauncher::currentLauncherID(); break;
        case ObjectsFile::Shortcuts: next = QVShortcut::currentShortcutID(); break;
        case ObjectsFile::Menus: next = QVMenu::currentMenuID(); break;
        case ObjectsFile::Palettes: next = QVPalette::currentPaletteID(); break;
        }
        texts.emplace_back(path, std::async(std::launch::async, [path, kind, next, records = savedList(kind)] {
            QString why;
            QByteArray text = ObjectsFile::data(kind, next, records, &why);
            if (text.isEmpty())
                why = path + QStringLiteral(": ") + (why.isEmpty() ? QStringLiteral("not written") : why);
            return std::pair{text, why};
        }));
    }
    QList<std::pair<QString, QByteArray>> files;
    QStringList unwritable;
    for (auto& [path, text] : texts) {
        auto [data, why] = text.get();
        if (!why.isEmpty())
            unwritable << why;
        files.append({path, data});
    }
    QString why;
    if (!unwritable.isEmpty())
        why = unwritable.join(u'\n');
    else if (!zelk::writeFilesAtomically(files, &why) && why.isEmpty())
        why = folder + QStringLiteral(": not written");
    if (!why.isEmpty()) {
        zelk::zlog("ObjectStore", "save") << why;
        problems << why;
    }
    if (error)
        *error = problems.join(u'\n');
    return problems.isEmpty();
}

// --- Saved lists ------------------------------------------------------------------------

QVariantList ObjectStore::actionsDictArray() const
{
    QVariantList list;
    list.reserve(qsizetype(m_actions.objects.size()));
    for (const auto& action : m_actions.objects)
        list.append(action->dictValue());
    return list;
}

template <class T>
static QVariantList recordsOfAll(const std::vector<std::shared_ptr<T>>& objects)
{
    QVariantList list;
    list.reserve(qsizetype(objects.size()));
    for (const auto& object : objects)
        list.append(object->dictValue());
    return list;
}

QVariantList ObjectStore::contextsDictArray() const { return recordsOfAll(m_contexts.objects); }
QVariantList ObjectStore::launchersDictArray() const { return recordsOfAll(m_launchers.objects); }

QVariantList ObjectStore::shortcutsDictArray() const
{
    QVariantList list;
    for (const auto& shortcut : m_shortcuts.objects) {
        if (!shortcut->contextsDictArray().isEmpty() || shortcut->isUsed())
            list.append(shortcut->dictValue());
    }
    return list;
}

QVariantList ObjectStore::menusDictArray() const
{
    QVariantList list;
    for (const auto& menu : m_menus.objects) {
        if (!menu->contextsDictArray().isEmpty() || menu->isUsed())
            list.append(menu->dictValue());
    }
    return list;
}

QVariantList ObjectStore::palettesDictArray() const
{
    QVariantList list;
    for (const auto& palette : m_palettes.objects) {
        if (!palette->contextsDictArray().isEmpty())
            list.append(palette->dictValue());
    }
    return list;
}

QVariantList ObjectStore::savedList(ObjectsFile::Kind kind) const
{
    switch (kind) {
    case ObjectsFile::Actions: return actionsDictArray();
    case ObjectsFile::Contexts: return contextsDictArray();
    case ObjectsFile::Launchers: return launchersDictArray();
    case ObjectsFile::Shortcuts: return shortcutsDictArray();
    case ObjectsFile::Menus: return menusDictArray();
    case ObjectsFile::Palettes: return palettesDictArray();
    }
    return {};
}

qsizetype ObjectStore::count(ObjectsFile::Kind kind) const
{
    switch (kind) {
    case ObjectsFile::Actions: return qsizetype(m_actions.objects.size());
    case ObjectsFile::Contexts: return qsizetype(m_contexts.objects.size());
    case ObjectsFile::Launchers: return qsizetype(m_launchers.objects.size());
    case ObjectsFile::Shortcuts: return qsizetype(m_shortcuts.objects.size());
    case ObjectsFile::Menus: return qsizetype(m_menus.objects.size());
    case ObjectsFile::Palettes: return qsizetype(m_palettes.objects.size());
    }
    return 0;
}

// --- Records and raw changes (undo and redo) ------------------------------------------

ObjectStore* ObjectStore::sharedStore()
{
    return dynamic_cast<ObjectStore*>(ObjectDirectory::shared());
}

QString ObjectStore::idKey(ObjectsFile::Kind kind)
{
    switch (kind) {
    case ObjectsFile::Actions: return QStringLiteral("actionID");
    case ObjectsFile::Contexts: return QStringLiteral("contextID");
    case ObjectsFile::Launchers: return QStringLiteral("launcherID");
    case ObjectsFile::Shortcuts: return QStringLiteral("cutID");
    case ObjectsFile::Menus: return QStringLiteral("menuID");
    case ObjectsFile::Palettes: return QStringLiteral("paletteID");
    }
    return {};
}

QVariantList ObjectStore::allRecords(ObjectsFile::Kind kind) const
{
    switch (kind) {
    case ObjectsFile::Actions: return actionsDictArray();
    case ObjectsFile::Contexts: return recordsOfAll(m_contexts.objects);
    case ObjectsFile::Launchers: return recordsOfAll(m_launchers.objects);
    case ObjectsFile::Shortcuts: return recordsOfAll(m_shortcuts.objects);
    case ObjectsFile::Menus: return recordsOfAll(m_menus.objects);
    case ObjectsFile::Palettes: return recordsOfAll(m_palettes.objects);
    }
    return {};
}

template <class T>
static QList<quint32> idsOf(const std::vector<std::shared_ptr<T>>& objects)
{
    QList<quint32> ids;
    ids.reserve(qsizetype(objects.size()));
    for (const auto& object : objects)
        ids.append(object->IDValue());
    return ids;
}

QList<quint32> ObjectStore::allIDs(ObjectsFile::Kind kind) const
{
    switch (kind) {
    case ObjectsFile::Actions: return idsOf(m_actions.objects);
    case ObjectsFile::Contexts: return idsOf(m_contexts.objects);
    case ObjectsFile::Launchers: return idsOf(m_launchers.objects);
    case ObjectsFile::Shortcuts: return idsOf(m_shortcuts.objects);
    case ObjectsFile::Menus: return idsOf(m_menus.objects);
    case ObjectsFile::Palettes: return idsOf(m_palettes.objects);
    }
    return {};
}

qsizetype ObjectStore::indexOf(ObjectsFile::Kind kind, quint32 id) const
{
    switch (kind) {
    case ObjectsFile::Actions: return m_actions.indexOf(id);
    case ObjectsFile::Contexts: return m_contexts.indexOf(id);
    case ObjectsFile::Launchers: return m_launchers.indexOf(id);
    case ObjectsFile::Shortcuts: return m_shortcuts.indexOf(id);
    case ObjectsFile::Menus: return m_menus.indexOf(id);
    case ObjectsFile::Palettes: return m_palettes.indexOf(id);
    }
    return -1;
}

bool ObjectStore::insertRecord(ObjectsFile::Kind kind, const QVariantMap& record, qsizetype index, bool link)
{
    switch (kind) {
    case ObjectsFile::Actions: {
        std::shared_ptr<zelk::QVEAction> action = zelk::QVEAction::actionWithRecord(record);
        if (!action)
            return false;
        m_actions.insert(std::move(action), index, "QVEAction");
        return true;
    }
    case ObjectsFile::Contexts:
        if (auto object = made<QVContext>(record)) {
            m_contexts.insert(std::move(object), index, "QVContext");
            return true;
        }
        return false;
    case ObjectsFile::Launchers:
        if (auto object = made<QVLauncher>(record)) {
            m_launchers.insert(std::move(object), index, "QVLauncher");
            return true;
        }
        return false;
    case ObjectsFile::Shortcuts:
        if (auto object = made<QVShortcut>(record)) {
            m_shortcuts.insert(std::move(object), index, "QVShortcut");
            return true;
        }
        return false;
    case ObjectsFile::Menus:
        if (auto object = made<QVMenu>(record)) {
            QVMenu* raw = object.get();
            m_menus.insert(std::move(object), index, "QVMenu");
            if (link)
                raw->linkToItemObjects();
            return true;
        }
        return false;
    case ObjectsFile::Palettes:
        if (auto object = made<QVPalette>(record)) {
            m_palettes.insert(std::move(object), index, "QVPalette");
            return true;
        }
        return false;
    }
    return false;
}

bool ObjectStore::removeObject(ObjectsFile::Kind kind, quint32 id)
{
    switch (kind) {
    case ObjectsFile::Actions:
        if (zelk::QVEAction* action = m_actions.find(id)) {
            action->willDelete();
            return m_actions.take(action) != nullptr;
        }
        return false;
    case ObjectsFile::Contexts:
        if (QVContext* context = m_contexts.find(id)) {
            context->willDelete();
            return m_contexts.take(context) != nullptr;
        }
        return false;
    case ObjectsFile::Launchers:
        if (QVLauncher* launcher = m_launchers.find(id)) {
            launcher->willDelete();
            return m_launchers.take(launcher) != nullptr;
        }
        return false;
    case ObjectsFile::Shortcuts:
        if (QVShortcut* shortcut = m_shortcuts.find(id)) {
            shortcut->willDeleteWithAuxObjects(false);
            return m_shortcuts.take(shortcut) != nullptr;
        }
        return false;
    case ObjectsFile::Menus:
        if (QVMenu* menu = m_menus.find(id)) {
            menu->willDeleteWithAuxObjects(false);
            return m_menus.take(menu) != nullptr;
        }
        return false;
    case ObjectsFile::Palettes:
        if (QVPalette* palette = m_palettes.find(id)) {
            palette->willDeleteWithAuxObjects(false);
            return m_palettes.take(palette) != nullptr;
        }
        return false;
    }
    return false;
}

bool ObjectStore::resetListsFromRecord(ObjectsFile::Kind kind, const QVariantMap& record)
{
    const quint32 id = uintValue(record.value(idKey(kind)));
    switch (kind) {
    case ObjectsFile::Shortcuts:
        if (QVShortcut* shortcut = m_shortcuts.find(id)) {
            shortcut->setActionsDictArray(record.value(QStringLiteral("cutactions")).toList());
            shortcut->setLaunchersDictArray(record.value(QStringLiteral("cutlaunchers")).toList());
            shortcut->setContextsDictArray(record.value(QStringLiteral("cutcontexts")).toList());
            return true;
        }
        return false;
    case ObjectsFile::Menus:
        if (QVMenu* menu = m_menus.find(id)) {
            menu->setItemsDictArray(record.value(QStringLiteral("menuitems")).toList());
            menu->setLaunchersDictArray(record.value(QStringLiteral("menulaunchers")).toList());
            menu->setContextsDictArray(record.value(QStringLiteral("menucontexts")).toList());
            return true;
        }
        return false;
    case ObjectsFile::Palettes:
        if (QVPalette* palette = m_palettes.find(id)) {
            palette->setItemsDictArray(record.value(QStringLiteral("paletteitems")).toList());
            palette->setLaunchersDictArray(record.value(QStringLiteral("palettelaunchers")).toList());
            palette->setContextsDictArray(record.value(QStringLiteral("palettecontexts")).toList());
            return true;
        }
        return false;
    default:
        return false;
    }
}

void ObjectStore::linkMenu(quint32 id)
{
    if (QVMenu* menu = m_menus.find(id))
        menu->linkToItemObjects();
}

// --- Look-ups -------------------------------------------------------------------------------

zelk::QVEAction* ObjectStore::actionWithID(quint32 id) { return m_actions.find(id); }
QVLauncher* ObjectStore::launcherWithID(quint32 id) { return m_launchers.find(id); }
QVContext* ObjectStore::contextWithID(quint32 id) { return m_contexts.find(id); }
QVShortcut* ObjectStore::shortcutWithID(quint32 id) { return m_shortcuts.find(id); }
QVMenu* ObjectStore::menuWithID(quint32 id) { return m_menus.find(id); }
QVPalette* ObjectStore::paletteWithID(quint32 id) { return m_palettes.find(id); }

// --- Deletes -----------------------------------------------------------------------------------
// The object stays in its list (and found by ID) while its delete step runs,
// so that the users it asks can still find it; it is dropped after.

void ObjectStore::delActionsID(const QList<quint32>& ids, bool withMessage, bool)
{
    for (const quint32 id : ids) {
        zelk::QVEAction* action = m_actions.find(id);
        if (!action || !action->canDeleteWithMessage(withMessage))
            continue;
        action->willDelete();
        m_actions.take(action);
    }
}

void ObjectStore::delLaunchersID(const QList<quint32>& ids, bool withMessage, bool)
{
    for (const quint32 id : ids) {
        QVLauncher* launcher = m_launchers.find(id);
        if (!launcher || !launcher->canDeleteWithMessage(withMessage))
            continue;
        launcher->willDelete();
        m_launchers.take(launcher);
    }
}

void ObjectStore::delShortcutsID(const QList<quint32>& ids, bool withMessage, bool auxObjects, bool)
{
    for (const quint32 id : ids) {
        QVShortcut* shortcut = m_shortcuts.find(id);
        if (!shortcut || !shortcut->canDeleteWithMessage(withMessage))
            continue;
        shortcut->willDeleteWithAuxObjects(auxObjects);
        m_shortcuts.take(shortcut);
    }
}

void ObjectStore::delMenusID(const QList<quint32>& ids, bool withMessage, bool auxObjects, bool)
{
    for (const quint32 id : ids) {
        QVMenu* menu = m_menus.find(id);
        if (!menu || !menu->canDeleteWithMessage(withMessage))
            continue;
        menu->willDeleteWithAuxObjects(auxObjects);
        m_menus.take(menu);
    }
}

void ObjectStore::delPalettesID(const QList<quint32>& ids, bool auxObjects, bool)
{
    for (const quint32 id : ids) {
        if (QVPalette* palette = m_palettes.find(id)) {
            palette->willDeleteWithAuxObjects(auxObjects);
            m_palettes.take(palette);
        }
    }
}

} // namespace editor
