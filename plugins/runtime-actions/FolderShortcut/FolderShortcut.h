#pragma once
// The folder-menu action type, running side (FolderShortcutCommon.h): pops
// up at the mouse a menu of a folder's contents, each subfolder a submenu
// listed only when it opens, so the menu reaches any depth at the cost of
// one listing per folder browsed. Choosing an item opens it, or shows a
// folder in the file manager when FolderOpen is off.
//
// Listings are cached by folder, filters and the folder's modification
// time, so that a changed folder or other filters never get a stale list;
// the menu's update item empties the cache.
#include "ActionRunner.h"
#include "FolderShortcut/FolderShortcutCommon.h"

#include <QStringList>

class QAction;
class QMenu;

namespace zelk::engine {

class FolderShortcut : public FolderShortcutCommon<Side> {
    ZELK_ACTION_CLASS(FolderShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;
    // The menu may stay open for up to five minutes before the step
    // counts the action as timed out.
    float runDelay() const override { return CUTAction == 1 || CUTAction == 2 ? 300.0f : 0.0f; }
    // Model 1 standing as an item of the engine's menus: the item's
    // submenu becomes the folder's menu.
    bool validateMenuItem(QAction* item);

    // The folder a run lists: model 1 the chosen folder (a link resolved),
    // model 2 the copied folder, or the folder of the first copied file;
    // empty when there is none.
    QString menuFolder() const;

    // A menu holding only the fixed top items of a folder: the folder
    // itself, the update item (canUpdate), a separator; the folder's items
    // are added when it first opens (fillMenu).
    static QMenu* emptyMenuWithPath(const QString& folder, const FolderMenuFlags& flags, bool canUpdate);
    // Adds the folder's items to a menu that holds only its top items.
    static void fillMenu(QMenu* menu);
    // The full paths a folder lists under the filters, sorted by display
    // name ignoring case; empty for a folder that can't be read.
    static QStringList itemsArrayForPath(const QString& folder, const FolderMenuFlags& flags);
    static void clearListingCache();
    // Names beginning with "." are invisible.
    static bool isVisiblePath(const QString& path);
    // 0 missing, 1 application, 2 document, 3 folder; links by their target.
    static int kindOfPath(const QString& path);
    // An item's title: its display name, without extension when asked
    // (names beginning with "." keep theirs).
    static QString titleOfPath(const QString& path, bool displayExtension);

    // The commands of the items, each on a thread of its own: runPath2
    // opens anything; runPath shows a folder in the file manager and
    // opens anything else. An item that has gone is told in an alert.
    static void runPath(const QString& path);
    static void runPath2(const QString& path);

private:
    static void openItem(const QString& path, bool showFolders);
};

} // namespace zelk::engine
