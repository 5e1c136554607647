#pragma once
// The engine's menus. For now the manager keeps the menu records of each
// load; building the menus, their status items and pop-ups comes later.
#include <QVariantList>
#include <QVariantMap>
#include <mutex>
#include <optional>

namespace engine {

class QVMenusManager {
public:
    static QVMenusManager& sharedManager();

    void resetMenus();
    void setMenus(const QVariantList& records);
    QVariantList menusArray() const;
    std::optional<QVariantMap> menuWithID(quint32 menuID) const;
    // The scripting command that shows a menu at the pointer (main thread).
    void displayMenu(quint32 menuID);

private:
    mutable std::mutex m_mutex;
    QVariantList m_menus; // MMMenusArray
};

} // namespace engine
