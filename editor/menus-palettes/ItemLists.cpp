#include "ItemLists.h"

#include "ModelSupport.h"
#include "QVEAction.h"
#include "QVEActionsManager.h"
#include "QVEMenusManager.h"
#include "QVEShortcutsManager.h"
#include "QVMenu.h"
#include "QVPalette.h"
#include "QVShortcut.h"
#include "QVUtility.h"

#include <QIcon>
#include <QPixmap>

namespace editor {

namespace {

QVariant iconOf(const QImage& image)
{
    return image.isNull() ? QVariant() : QVariant(QIcon(QPixmap::fromImage(image)));
}

// What one item shows: its kind's text, its name and its icon. Known is
// false for an item whose object is gone.
struct ItemLook {
    bool known = true;
    QString typeKey;
    QString name;
    QImage image;
};

ItemLook lookOf(const ItemKeys& keys, const QVariantMap& item)
{
    ItemLook look;
    const QVariantMap params = item.value(keys.params).toMap();
    switch (intValue(item.value(keys.type))) {
    case 0:
        if (keys.label.isEmpty())
            return look; // a palette has no separators
        look.typeKey = QStringLiteral("ItemSeparatorType");
        look.name = params.value(keys.label).toString();
        look.image = QVUtility::sharedUtility().imageWithName(QStringLiteral("MenuSeparator"));
        return look;
    case 1:
        if (const QVShortcut* shortcut =
                QVEShortcutsManager::sharedManager().objectWithID(uintValue(params.value(keys.shortcutID)))) {
            look.typeKey = QStringLiteral("ItemShortcutType");
            look.name = shortcut->nameValue();
            look.image = shortcut->imageValueWithSize(16);
        } else {
            look.known = false;
        }
        return look;
    case 2:
        if (const zelk::QVEAction* action =
                QVEActionsManager::sharedManager().actionWithID(uintValue(params.value(keys.actionID)))) {
            look.typeKey = QStringLiteral("ItemActionType");
            look.name = action->nameValue();
            look.image = action->imageValueWithSize(16);
        } else {
            look.known = false;
        }
        return look;
    case 3:
        if (keys.menuID.isEmpty())
            return look;
        if (const QVMenu* menu = QVEMenusManager::sharedManager().objectWithID(uintValue(params.value(keys.menuID)))) {
            look.typeKey = QStringLiteral("ItemMenuType");
            look.name = menu->nameValue();
            look.image = menu->imageValueWithSize(16);
        } else {
            look.known = false;
        }
        return look;
    default:
        return look;
    }
}

RecordListModel::Config itemsConfig(const ItemKeys& keys)
{
    RecordListModel::Config config;
    config.isKnown = [keys](const QVariantMap& item) { return lookOf(keys, item).known; };
    config.nameOf = [keys](const QVariantMap& item) { return lookOf(keys, item).name; };
    // Item steps always name their count.
    const auto counted = [](const char* key) { return RecordListModel::UndoKeys{QString(), QString::fromLatin1(key)}; };
    config.add = counted("AnnulerAjouterElements");
    config.remove = counted("AnnulerSupprimerElements");
    config.move = counted("AnnulerDeplacerElements");
    config.cut = counted("AnnulerCouperElements");
    config.paste = counted("AnnulerCollerElements");
    config.copy = counted("AnnulerCopierElements");
    config.moreRealTypes = {
        {QStringLiteral("QVActionPboardType"), {}, {QStringLiteral("AnnulerCollerAction"), QStringLiteral("AnnulerCollerActions")}},
        {QStringLiteral("QVShortcutPboardType"), {}, {QStringLiteral("AnnulerCollerRaccourci"), QStringLiteral("AnnulerCollerRaccourcis")}}};
    config.columns = {QStringLiteral("active"), QStringLiteral("type"), QStringLiteral("name")};
    config.headers = {QString(), loc(QStringLiteral("ColonneType")), loc(QStringLiteral("ColonneElements"))};
    config.data = [keys](const QVariantMap& item, int, const QString& column, int role) -> QVariant {
        if (column == QLatin1String("active"))
            return role == Qt::CheckStateRole ? QVariant(item.value(keys.active).toBool() ? Qt::Checked : Qt::Unchecked)
                                              : QVariant();
        const ItemLook look = lookOf(keys, item);
        if (look.typeKey.isEmpty())
            return {};
        if (column == QLatin1String("type"))
            return role == Qt::DisplayRole ? QVariant(loc(look.typeKey)) : QVariant();
        if (role == Qt::DisplayRole)
            return QStringLiteral(" %1").arg(look.name);
        if (role == Qt::DecorationRole)
            return iconOf(look.image);
        return {};
    };
    return config;
}

} // namespace

ItemKeys menuItemKeys()
{
    return {QStringLiteral("menuitemtype"),       QStringLiteral("menuitemactive"),   QStringLiteral("menuitemparams"),
            QStringLiteral("menuitemshortcutID"), QStringLiteral("menuitemactionID"), QStringLiteral("menuitemmenuID"),
            QStringLiteral("menuitemseparatorlabel")};
}

ItemKeys paletteItemKeys()
{
    return {QStringLiteral("paletteitemtype"),       QStringLiteral("paletteitemactive"),
            QStringLiteral("paletteitemparams"),     QStringLiteral("paletteitemshortcutID"),
            QStringLiteral("paletteitemactionID"),   QString(),
            QString()};
}

quint32 itemObjectID(const ItemKeys& keys, const QVariantMap& item)
{
    const QVariantMap params = item.value(keys.params).toMap();
    switch (intValue(item.value(keys.type))) {
    case 1: return uintValue(params.value(keys.shortcutID));
    case 2: return uintValue(params.value(keys.actionID));
    case 3: return keys.menuID.isEmpty() ? 0 : uintValue(params.value(keys.menuID));
    default: return 0;
    }
}

RecordListModel::Config menuItemsConfig(std::function<bool(const QVariantList& menuRecords)> mayAddMenus)
{
    RecordListModel::Config config = itemsConfig(menuItemKeys());
    config.pboardType = QStringLiteral("QVMenuItemPboardType");
    config.moreRealTypes[0].referenceFor = &QVMenu::newItemDictWithActionDict;
    config.moreRealTypes[1].referenceFor = &QVMenu::newItemDictWithShortcutDict;
    config.moreRealTypes.append({QStringLiteral("QVMenuPboardType"), &QVMenu::newItemDictWithMenuDict,
                                 {QStringLiteral("AnnulerCollerMenu"), QStringLiteral("AnnulerCollerMenus")}});
    config.mayAddReal = [mayAddMenus = std::move(mayAddMenus)](const QString& type, const QVariantList& records) {
        return type != QLatin1String("QVMenuPboardType") || !mayAddMenus || mayAddMenus(records);
    };
    return config;
}

RecordListModel::Config paletteItemsConfig()
{
    RecordListModel::Config config = itemsConfig(paletteItemKeys());
    config.pboardType = QStringLiteral("QVPaletteItemPboardType");
    config.moreRealTypes[0].referenceFor = &QVPalette::newItemDictWithActionDict;
    config.moreRealTypes[1].referenceFor = &QVPalette::newItemDictWithShortcutDict;
    return config;
}

} // namespace editor
