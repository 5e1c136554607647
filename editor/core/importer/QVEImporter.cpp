#include "QVEImporter.h"

#include "Log.h"
#include "ManagerSupport.h"
#include "ModelSupport.h"
#include "PropertyList.h"
#include "QVContext.h"
#include "QVEAction.h"
#include "QVEActionsManager.h"
#include "QVEContextsManager.h"
#include "QVELaunchersManager.h"
#include "QVEMenusManager.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"
#include "QVLauncher.h"
#include "QVMenu.h"
#include "QVPalette.h"
#include "QVShortcut.h"
#include "QVUtility.h"

#include <QFile>
#include <QHash>

namespace editor {

namespace {

using IDMap = QHash<quint32, quint32>; // ID in the file -> ID in the editor

bool isNumber(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

bool isListOfMaps(const QVariant& value)
{
    if (value.metaType().id() != QMetaType::QVariantList)
        return false;
    for (const QVariant& element : value.toList()) {
        if (element.metaType().id() != QMetaType::QVariantMap)
            return false;
    }
    return true;
}

// The shape of the whole file, checked before anything is added: every
// present key an array of records, each with its numeric ID, and every list
// inside a record an array of dictionaries. The reason, empty when sound.
QString damageOf(const QVariant& root)
{
    if (root.metaType().id() != QMetaType::QVariantMap)
        return QStringLiteral("not a dictionary");
    const QVariantMap file = root.toMap();
    struct KindShape {
        const char* key;
        const char* idKey;
        QList<const char*> lists;
    };
    const KindShape shapes[] = {
        {"exportedactions", "actionID", {}},
        {"exportedlaunchers", "launcherID", {}},
        {"exportedcontexts", "contextID", {}},
        {"exportedshortcuts", "cutID", {"cutactions", "cutlaunchers", "cutcontexts"}},
        {"exportedmenus", "menuID", {"menuitems", "menulaunchers", "menucontexts"}},
        {"exportedpalettes", "paletteID", {"paletteitems", "palettelaunchers", "palettecontexts"}},
    };
    for (const KindShape& shape : shapes) {
        const QString key = QLatin1String(shape.key);
        if (!file.contains(key))
            continue;
        if (!isListOfMaps(file.value(key)))
            return key + QStringLiteral(" is not an array of records");
        for (const QVariant& value : file.value(key).toList()) {
            const QVariantMap record = value.toMap();
            if (!isNumber(record.value(QLatin1String(shape.idKey))))
                return key + QStringLiteral(": a record without its ") + QLatin1String(shape.idKey);
            for (const char* list : shape.lists) {
                if (record.contains(QLatin1String(list)) && !isListOfMaps(record.value(QLatin1String(list))))
                    return key + QStringLiteral(": ") + QLatin1String(list) + QStringLiteral(" is not an array of dictionaries");
            }
        }
    }
    if (file.contains(QStringLiteral("exportedactions"))) {
        for (const QVariant& value : file.value(QStringLiteral("exportedactions")).toList()) {
            if (value.toMap().value(QStringLiteral("actionclass")).metaType().id() != QMetaType::QString)
                return QStringLiteral("exportedactions: a record without its actionclass");
        }
    }
    return {};
}

void warn(const QString& path, const QString& what)
{
    zelk::zlog("QVEImporter", "importFromFile") << path << what;
}

// References kept only when their object is in the map, rewritten to it.
QVariantList mappedRefs(const QVariantList& refs, const char* idKey, const IDMap& map)
{
    QVariantList kept;
    for (const QVariant& value : refs) {
        QVariantMap ref = value.toMap();
        const auto it = map.constFind(uintValue(ref.value(QLatin1String(idKey))));
        if (it == map.constEnd())
            continue;
        ref.insert(QLatin1String(idKey), qint64(*it));
        kept.append(ref);
    }
    return kept;
}

struct ItemKeys {
    const char* type;
    const char* params;
    const char* shortcutID;
    const char* actionID;
    const char* menuID; // nullptr: no submenus
};

// Items of types 1 (shortcut), 2 (action) and 3 (submenu) pointed through
// their maps, and dropped (with a warning) when their object is not there.
QVariantList mappedItems(const QVariantList& items, const ItemKeys& keys, const IDMap& shortcuts,
                         const IDMap& actions, const IDMap& menus, const QString& path)
{
    QVariantList kept;
    for (const QVariant& value : items) {
        QVariantMap item = value.toMap();
        const char* key = nullptr;
        const IDMap* map = nullptr;
        switch (intValue(item.value(QLatin1String(keys.type)))) {
        case 1: key = keys.shortcutID; map = &shortcuts; break;
        case 2: key = keys.actionID; map = &actions; break;
        case 3:
            if (keys.menuID) {
                key = keys.menuID;
                map = &menus;
            }
            break;
        default: break;
        }
        if (key) {
            QVariantMap params = item.value(QLatin1String(keys.params)).toMap();
            const quint32 old = uintValue(params.value(QLatin1String(key)));
            const auto it = map->constFind(old);
            if (it == map->constEnd()) {
                warn(path, QStringLiteral("an item names %1 %2, which the file does not hold: dropped").arg(QLatin1String(key)).arg(old));
                continue;
            }
            params.insert(QLatin1String(key), qint64(*it));
            item.insert(QLatin1String(keys.params), params);
        }
        kept.append(item);
    }
    return kept;
}

} // namespace

QVEImporter& QVEImporter::sharedImporter()
{
    static QVEImporter importer;
    return importer;
}

bool QVEImporter::extensionIsValidForPath(const QString& path)
{
    return exchangeExtensionIsValid(path);
}

void QVEImporter::tryImport()
{
    const QStringList paths = QVUtility::sharedUtility().openPanelPaths(
        loc(QStringLiteral("ImporterObjets")), loc(QStringLiteral("Importer")), {QStringLiteral("zlex"), QStringLiteral("qvex")});
    for (const QString& path : paths)
        importFromFile(path);
}

std::optional<QVariantMap> QVEImporter::readExchangeData(const QByteArray& data, QString* why)
{
    QString reason;
    const std::optional<QVariant> root = zelk::plist::read(data, &reason);
    if (root && reason.isEmpty())
        reason = damageOf(*root);
    if (!root || !reason.isEmpty()) {
        if (why)
            *why = reason;
        return std::nullopt;
    }
    return root->toMap();
}

bool QVEImporter::refuse(const QString& name, const QString& why)
{
    alert(loc(QStringLiteral("ErreurFichier")), locFormat(QStringLiteral("PasImporterFichier"), {name}), QStringLiteral("OK"));
    zelk::zlog("QVEImporter", "importFromFile") << QStringLiteral("importing of %1 failed").arg(name) << why;
    return false;
}

bool QVEImporter::importFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(path, file.errorString());
    return importFromData(file.readAll(), path);
}

bool QVEImporter::importFromData(const QByteArray& data, const QString& name)
{
    QString why;
    const std::optional<QVariantMap> file = readExchangeData(data, &why);
    if (!file)
        return refuse(name, why);
    if (!managedStore("QVEImporter", "importFromFile"))
        return false;
    importRecords(*file, name);
    return true;
}

void QVEImporter::importRecords(const QVariantMap& file, const QString& path)
{
    ObjectStore* store = ObjectStore::sharedStore();
    auto has = [&](const char* key) { return file.contains(QLatin1String(key)); };
    auto records = [&](const char* key) { return file.value(QLatin1String(key)).toList(); };
    IDMap actions, launchers, contexts, shortcuts, menus;

    if (has("exportedactions")) {
        for (const QVariant& value : records("exportedactions")) {
            QVariantMap record = value.toMap();
            const quint32 old = uintValue(record.value(QStringLiteral("actionID")));
            const quint32 id = zelk::QVEAction::nextActionID();
            record.insert(QStringLiteral("actionID"), qint64(id));
            if (store->insertRecord(ObjectsFile::Actions, record, -1))
                actions.insert(old, id);
            else
                warn(path, QStringLiteral("action %1 makes no object: left out").arg(old));
        }
        QVEActionsManager::sharedManager().reloadActions();
    }
    if (has("exportedlaunchers")) {
        QVELaunchersManager& manager = QVELaunchersManager::sharedManager();
        for (const QVariant& value : records("exportedlaunchers")) {
            QVariantMap record = value.toMap();
            const quint32 old = uintValue(record.value(QStringLiteral("launcherID")));
            if (QVLauncher* equal = manager.launcherWithType(intValue(record.value(QStringLiteral("launchertype"))),
                                                             record.value(QStringLiteral("launcherparams")).toMap())) {
                launchers.insert(old, equal->IDValue());
                continue;
            }
            const quint32 id = QVLauncher::nextLauncherID();
            record.insert(QStringLiteral("launcherID"), qint64(id));
            if (store->insertRecord(ObjectsFile::Launchers, record, -1))
                launchers.insert(old, id);
            else
                warn(path, QStringLiteral("launcher %1 makes no object: left out").arg(old));
        }
        manager.reloadLaunchers();
    }
    if (has("exportedcontexts")) {
        QVEContextsManager& manager = QVEContextsManager::sharedManager();
        for (const QVariant& value : records("exportedcontexts")) {
            QVariantMap record = value.toMap();
            const quint32 old = uintValue(record.value(QStringLiteral("contextID")));
            const int type = intValue(record.value(QStringLiteral("contexttype")));
            QVContext* equal = manager.contextWithType(type, record.value(QStringLiteral("contextparams")).toMap());
            if (!equal && type == 0 && !manager.contextsOfType(0).isEmpty())
                equal = manager.contextsOfType(0).first();
            if (equal) {
                contexts.insert(old, equal->IDValue());
                continue;
            }
            const quint32 id = QVContext::nextContextID();
            record.insert(QStringLiteral("contextID"), qint64(id));
            if (store->insertRecord(ObjectsFile::Contexts, record, -1))
                contexts.insert(old, id);
            else
                warn(path, QStringLiteral("context %1 makes no object: left out").arg(old));
        }
        manager.reloadContexts();
    }
    if (has("exportedshortcuts")) {
        for (const QVariant& value : records("exportedshortcuts")) {
            QVariantMap record = value.toMap();
            const quint32 old = uintValue(record.value(QStringLiteral("cutID")));
            const quint32 id = QVShortcut::nextShortcutID();
            record.insert(QStringLiteral("cutID"), qint64(id));
            record.insert(QStringLiteral("cutcontexts"), mappedRefs(record.value(QStringLiteral("cutcontexts")).toList(), "cutcontextID", contexts));
            record.insert(QStringLiteral("cutlaunchers"), mappedRefs(record.value(QStringLiteral("cutlaunchers")).toList(), "cutlauncherID", launchers));
            QVariantList steps;
            for (const QVariant& stepValue : record.value(QStringLiteral("cutactions")).toList()) {
                QVariantMap step = stepValue.toMap();
                const quint32 action = uintValue(step.value(QStringLiteral("cutactionID")));
                if (!actions.contains(action)) {
                    warn(path, QStringLiteral("shortcut %1 runs action %2, which the file does not hold: step dropped").arg(old).arg(action));
                    continue;
                }
                step.insert(QStringLiteral("cutactionID"), qint64(actions.value(action)));
                steps.append(step);
            }
            record.insert(QStringLiteral("cutactions"), steps);
            if (store->insertRecord(ObjectsFile::Shortcuts, record, -1))
                shortcuts.insert(old, id);
            else
                warn(path, QStringLiteral("shortcut %1 makes no object: left out").arg(old));
        }
        QVEShortcutsManager::sharedManager().updateShortcuts();
    }
    if (has("exportedmenus")) {
        const QVariantList menuRecords = records("exportedmenus");
        // IDs first, last record first, so a submenu stored anywhere in the
        // file is found when its parent's items are rewritten.
        QList<QVariantMap> ordered;
        for (auto it = menuRecords.crbegin(); it != menuRecords.crend(); ++it) {
            QVariantMap record = it->toMap();
            const quint32 old = uintValue(record.value(QStringLiteral("menuID")));
            const quint32 id = QVMenu::nextMenuID();
            menus.insert(old, id);
            record.insert(QStringLiteral("menuID"), qint64(id));
            ordered.append(record);
        }
        QList<quint32> added;
        for (QVariantMap& record : ordered) {
            record.insert(QStringLiteral("menucontexts"), mappedRefs(record.value(QStringLiteral("menucontexts")).toList(), "cutcontextID", contexts));
            record.insert(QStringLiteral("menulaunchers"), mappedRefs(record.value(QStringLiteral("menulaunchers")).toList(), "cutlauncherID", launchers));
            record.insert(QStringLiteral("menuitems"),
                          mappedItems(record.value(QStringLiteral("menuitems")).toList(),
                                      {"menuitemtype", "menuitemparams", "menuitemshortcutID", "menuitemactionID", "menuitemmenuID"},
                                      shortcuts, actions, menus, path));
            if (store->insertRecord(ObjectsFile::Menus, record, -1, false))
                added.append(uintValue(record.value(QStringLiteral("menuID"))));
            else
                warn(path, QStringLiteral("a menu makes no object: left out"));
        }
        for (const quint32 id : std::as_const(added))
            store->linkMenu(id);
        QVEMenusManager::sharedManager().updateMenus();
    }
    if (has("exportedpalettes")) {
        for (const QVariant& value : records("exportedpalettes")) {
            QVariantMap record = value.toMap();
            record.insert(QStringLiteral("paletteID"), qint64(QVPalette::nextPaletteID()));
            record.insert(QStringLiteral("palettecontexts"), mappedRefs(record.value(QStringLiteral("palettecontexts")).toList(), "cutcontextID", contexts));
            record.insert(QStringLiteral("palettelaunchers"), mappedRefs(record.value(QStringLiteral("palettelaunchers")).toList(), "cutlauncherID", launchers));
            record.insert(QStringLiteral("paletteitems"),
                          mappedItems(record.value(QStringLiteral("paletteitems")).toList(),
                                      {"paletteitemtype", "paletteitemparams", "paletteitemshortcutID", "paletteitemactionID", nullptr},
                                      shortcuts, actions, menus, path));
            if (!store->insertRecord(ObjectsFile::Palettes, record, -1))
                warn(path, QStringLiteral("a palette makes no object: left out"));
        }
        QVEPalettesManager::sharedManager().updatePalettes();
    }
    zelk::zlog("QVEImporter", "importFromFile")
        << QStringLiteral("Imported: %1\n (%2 Actions, %3 Contexts, %4 Launchers, %5 Palettes, %6 Shortcuts, %7 Menus)")
               .arg(path)
               .arg(records("exportedactions").size())
               .arg(records("exportedcontexts").size())
               .arg(records("exportedlaunchers").size())
               .arg(records("exportedpalettes").size())
               .arg(records("exportedshortcuts").size())
               .arg(records("exportedmenus").size());
}

} // namespace editor
