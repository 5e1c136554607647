#pragma once
// Records of menus and palettes, and a fixture that loads them with the
// runner's test actions and shortcuts, then empties every manager.
#include "QVMenu.h"
#include "QVMenusManager.h"
#include "QVPalette.h"
#include "QVPalettesManager.h"
#include "QVStatusItemManager.h"
#include "DataFileRecords.h"
#include "RunnerTestSupport.h"

#include <QMenu>

namespace menutest {

using namespace runnertest;
using zelk::test::records::MenuLook;
using zelk::test::records::menuItem;
using zelk::test::records::menuRecord;
using zelk::test::records::PaletteLook;
using zelk::test::records::paletteItem;
using zelk::test::records::paletteRecord;

// The entries of a QMenu as text: "Title", "-" for a separator, "(Label)"
// for a disabled entry, "Title >[...]" for a submenu with its entries.
inline QStringList entries(const QMenu* menu)
{
    QStringList out;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            out << "-";
        else if (action->menu())
            out << action->text() + " >[" + entries(action->menu()).join(", ") + "]";
        else if (!action->isEnabled())
            out << "(" + action->text() + ")";
        else
            out << action->text();
    }
    return out;
}

class MenuPaletteTest : public RunnerTest {
protected:
    void TearDown() override
    {
        engine::QVUtility::closeFloatingMenus();
        engine::QVPalettesManager::sharedManager().resetPalettes();
        engine::QVMenusManager::sharedManager().resetMenus();
        engine::QVStatusItemManager::sharedManager().removeAllItems();
        engine::QVPalette::setDeactivateDelay(0);
        RunnerTest::TearDown();
    }

    // Actions 1-3 and shortcuts 10 (one step of action 1) and 11 (action 2).
    void loadObjects(const QVariantList& launchers = {})
    {
        load({actionRecord(1, "Alpha"), actionRecord(2, "Beta"), actionRecord(3, "Gamma")},
             {shortcutRecord(10, "Run Alpha", {{1}}, 0, 0, {0}), shortcutRecord(11, "Run Beta", {{2}}, 0, 0, {0})},
             launchers);
    }
    // Menus and palettes switched on by the universal context, as a load does.
    void loadMenus(const QVariantList& menus)
    {
        engine::QVMenusManager::sharedManager().setMenus(menus);
        switchUniversal();
    }
    void loadPalettes(const QVariantList& palettes)
    {
        engine::QVPalettesManager::sharedManager().setPalettes(palettes);
        switchUniversal();
    }
    static void switchUniversal()
    {
        if (auto universal = engine::QVContextsManager::sharedManager().universalContext()) {
            universal->setContextActivated(false);
            universal->setContextActivated(true);
        }
    }
    static std::shared_ptr<engine::QVMenu> menu(quint32 id) { return engine::QVMenusManager::sharedManager().menuWithID(id); }
    static std::shared_ptr<engine::QVPalette> palette(quint32 id)
    {
        return engine::QVPalettesManager::sharedManager().paletteWithID(id);
    }
};

} // namespace menutest
