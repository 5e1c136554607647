#pragma once
// One menu of Menus.plist at run time: its items (labels and separators,
// shortcuts, actions, submenus) built into a ready QMenu, its image, the
// launchers that pop it up at the pointer, the contexts that activate it,
// and its item in the tray while it is active and in the bar.
//
// Submenus are built as copies of their menus' items, under the menu that
// holds them. A stored cycle of submenus (A holds B, B holds A) is cut
// where a menu would appear inside itself: that item is left out and
// logged, so no build runs forever.
//
// Built, shown and switched on the main thread; activation may be pushed
// from another thread, which hands the tray work over to the main thread.
#include "QVActivationCount.h"
#include "QVLinkedObject.h"
#include "QVObjectLinks.h"

#include <QImage>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVariantMap>
#include <functional>

namespace engine {

class QVStatusItem;

class QVMenu : public QVLinkedObject {
public:
    enum ItemType { SeparatorItem = 0, ShortcutItem = 1, ActionItem = 2, SubmenuItem = 3 };

    QVMenu();
    ~QVMenu() override;
    QVMenu(const QVMenu&) = delete;
    QVMenu& operator=(const QVMenu&) = delete;

    // Reads a MenuRecord: its items and links. Call on a menu held by a
    // shared_ptr; linkToItemObjects() then builds the QMenu.
    bool initWithDictionaryInLauncher(const QVariantMap& record);
    // Builds the QMenu with its submenus (once every menu of the load is
    // there), and brings a tray item kept from before the reload up to date.
    void linkToItemObjects();
    // Unlinks itself from its launchers and contexts (before it is dropped).
    void beforeDealloc();

    void setObjectActivated(bool activated) override;
    // While active, pops the menu up at the pointer (the call returns at once).
    void runObject() override;
    // The scripting command that shows the menu; answers nothing.
    void displayCommand(const QString& command, const QString& event);
    void showStatusItem();
    void hideStatusItem();

    bool isInBar() const { return m_inBar && isActive(); }
    bool isActive() const { return m_activation.isActive(); }
    int activatedCount() const { return m_activation.count(); }
    QImage imageValue() const { return m_image; }
    QImage imageValueWithSize(int size) const;
    QString nameValue() const { return m_name; }
    QString name() const { return m_name; }
    quint32 menuID() const { return m_id; }
    quint32 IDValue() const { return m_id; }
    bool IDIsEqual(quint32 menuID) const { return menuID == m_id; }
    QMenu* menuValue() const { return m_menu; }
    bool imageIsTemplate() const { return m_imageIsTemplate; }
    void setImageIsTemplate(bool on) { m_imageIsTemplate = on; }
    QString description() const;
    const QVObjectLinks& links() const { return m_links; }
    // "ZelkButton" of the engine's bundle, kept once loaded.
    static QImage defaultIcon();

    // Adds this menu's items to into; path holds the menus already on the
    // way down from the top, each of which is refused as a submenu here.
    void buildItems(QMenu* into, QSet<quint32>& path) const;

private:
    struct Item {
        int type = SeparatorItem;
        QString title;       // empty for a separator line
        QString keyText;     // the key combination shown beside the title
        QImage image;        // with item images on
        std::function<void()> run;
        quint32 submenuID = 0;
    };
    void readItems(const QVariantList& items, bool showImage, bool showCombo);
    // The tray item made to show this menu as the table of lengths and the
    // single-item rule say.
    void applyToStatusItem(QVStatusItem* item) const;

    quint32 m_id = 0;            // QVMID
    QString m_name;              // QVMName
    QImage m_image;              // QVMImage, 32 x 32
    bool m_inBar = false;        // QVMInBar
    bool m_imageInBar = false;   // QVMImageInBar
    bool m_nameInBar = false;    // QVMNameInBar
    bool m_imageIsTemplate = false;
    QList<Item> m_items;
    QVObjectLinks m_links;        // QVMLaunchersArray, QVMContextsArray
    QPointer<QMenu> m_menu;      // QVMMenu

    QVActivationCount m_activation; // QVMIsActivated, QVMActivatedCount
};

} // namespace engine
