#pragma once
// The item lists of the menu and palette editors as RecordListModel
// configurations: MenuItem {menuitemtype 0 label or separator, 1 shortcut,
// 2 action, 3 submenu; menuitemactive; menuitemparams} and PaletteItem
// (types 1 and 2). The same object may stand in several items. Columns
// "active" (a check box), "type" (the kind's text) and "name" (" <name>"
// with the object's icon, or the label with the separator image).
//
// An item of a type the editors do not know is kept as it stands: it shows
// nothing, opens and runs nothing, and never counts as missing.
#include "RecordListModel.h"

namespace editor {

// mayAddMenus: asked before menus are pasted or dropped as submenus.
RecordListModel::Config menuItemsConfig(std::function<bool(const QVariantList& menuRecords)> mayAddMenus);
RecordListModel::Config paletteItemsConfig();

// The keys of an item record.
struct ItemKeys {
    QString type, active, params, shortcutID, actionID, menuID, label;
};
ItemKeys menuItemKeys();
ItemKeys paletteItemKeys();

// The object ID an item names (0 for a label or an unknown type).
quint32 itemObjectID(const ItemKeys& keys, const QVariantMap& item);

} // namespace editor
