#pragma once
// The engine's menus, built from Menus.plist on every load (after the
// shortcuts, actions, launchers and contexts their items and references
// name). Once every menu of a load exists, each builds its QMenu, submenus
// included.
#include <QList>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <mutex>

namespace engine {

class QVMenu;

class QVMenusManager {
public:
    static QVMenusManager& sharedManager();

    // Unlinks every menu from its launchers and contexts and drops them.
    void resetMenus();
    // A new list built from the records, in order, then the QMenus.
    void setMenus(const QVariantList& records);
    void addMenuObject(const QVariantMap& record);
    // Builds a menu (without its QMenu) and inserts it; an index out of
    // range or an empty record is logged and inserts nothing.
    void insertMenuObject(const QVariantMap& record, qsizetype atIndex);

    std::shared_ptr<QVMenu> menuWithID(quint32 menuID) const;
    QList<std::shared_ptr<QVMenu>> menusArray() const;

private:
    QVMenusManager() = default;
    mutable std::mutex m_mutex;
    QList<std::shared_ptr<QVMenu>> m_menus; // MMMenusArray
};

} // namespace engine
