#pragma once
// The menu action type, running side (MenuShortcutCommon.h): walks the
// stored path down the menu bar of the front application through the
// accessibility service and chooses the last item, or with OnlyDisplayMenu
// leaves the menu that holds it open. It posts no input events.
//
// A first pass looks each level up without opening the menus on the way;
// when it fails, the menus it had to open are closed again and a second
// pass presses each level open before looking into it. A disabled item is
// not chosen: the run fails naming it ("MenuInactif"), as it does when the
// item refuses to be chosen. A failed pass leaves no menu open that it
// opened.
#include "ActionRunner.h"
#include "MenuShortcut/MenuShortcutCommon.h"

namespace zelk::engine {

class MenuShortcut : public MenuShortcutCommon<Side> {
    ZELK_ACTION_CLASS(MenuShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    static QString selectMenuItems(const QVariantList& items, bool doClick, bool displayOnlyMenu, QVActionController& fromObject);
    static AXElement itemWithName(const QString& name, const AXElement& parent, int selection);
    static AXElement itemWithIndex(int index, const AXElement& parent, int selection);
    // The menu of an item. Where it is not among the item's children, the
    // item is pressed open and the menu found beside it; what was pressed
    // open is appended to opened.
    static AXElement menuOfItem(const AXElement& item, QList<AXElement>& opened);
    static AXElement frontAppMenubar();

    static QString noAPIString();
    static QString noBarString();
    static QString noMenuString();
};

} // namespace zelk::engine
