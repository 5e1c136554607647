#include "QVMenusManager.h"

#include "Log.h"
#include "QVLauncher.h"
#include "QVMenu.h"

namespace engine {

QVMenusManager& QVMenusManager::sharedManager()
{
    static QVMenusManager manager;
    return manager;
}

void QVMenusManager::resetMenus()
{
    if (traceMgrEng())
        zelk::zlog("QVMenusManager", "resetMenus");
    QList<std::shared_ptr<QVMenu>> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_menus);
    }
    // Breaks the launcher <-> menu and context <-> menu cycles.
    for (const std::shared_ptr<QVMenu>& menu : std::as_const(dropped))
        menu->beforeDealloc();
}

void QVMenusManager::setMenus(const QVariantList& records)
{
    // Menus still here would stay linked to their launchers.
    resetMenus();
    for (const QVariant& record : records) {
        if (record.metaType().id() != QMetaType::QVariantMap) {
            zelk::zlog("QVMenusManager", "setMenus") << "error insertMenuObject unknown atIndex:" << menusArray().size();
            continue;
        }
        addMenuObject(record.toMap());
    }
    // Outside the lock: building looks submenus up here.
    for (const std::shared_ptr<QVMenu>& menu : menusArray())
        menu->linkToItemObjects();
}

void QVMenusManager::addMenuObject(const QVariantMap& record)
{
    qsizetype count = 0;
    {
        std::lock_guard lock(m_mutex);
        count = m_menus.size();
    }
    insertMenuObject(record, count);
}

void QVMenusManager::insertMenuObject(const QVariantMap& record, qsizetype atIndex)
{
    qsizetype count = 0;
    {
        std::lock_guard lock(m_mutex);
        count = m_menus.size();
    }
    if (record.isEmpty() || atIndex < 0 || atIndex > count) {
        zelk::zlog("QVMenusManager", "insertMenuObject")
            << QStringLiteral("error insertMenuObject %1 atIndex: %2")
                   .arg(record.isEmpty() ? QStringLiteral("unknown") : record.value(QStringLiteral("menuname")).toString())
                   .arg(atIndex);
        return;
    }
    if (traceMgrEng())
        zelk::zlog("QVMenusManager", "insertMenuObject")
            << QStringLiteral("QVMenusManager insertMenuObject: (%1) id %2:%3 - context:")
                   .arg(atIndex)
                   .arg(record.value(QStringLiteral("menuID")).toLongLong())
                   .arg(record.value(QStringLiteral("menuname")).toString())
            << record.value(QStringLiteral("menucontexts"));
    // Built outside the lock: building links the menu to its launchers and contexts.
    auto menu = std::make_shared<QVMenu>();
    menu->initWithDictionaryInLauncher(record);
    std::lock_guard lock(m_mutex);
    m_menus.insert(std::min(atIndex, m_menus.size()), menu);
}

std::shared_ptr<QVMenu> QVMenusManager::menuWithID(quint32 menuID) const
{
    std::shared_ptr<QVMenu> found;
    {
        std::lock_guard lock(m_mutex);
        found = objectWithID(m_menus, menuID);
    }
    if (traceMgrEng())
        zelk::zlog("QVMenusManager", "menuWithID")
            << QStringLiteral("(%1) %2").arg(menuID).arg(found ? found->description() : QStringLiteral("(null)"));
    return found;
}

QList<std::shared_ptr<QVMenu>> QVMenusManager::menusArray() const
{
    std::lock_guard lock(m_mutex);
    return m_menus;
}

} // namespace engine
