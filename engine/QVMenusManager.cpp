#include "QVMenusManager.h"

#include "Log.h"
#include "QVAppl.h"

namespace engine {

namespace {
bool trace() { return QVAppl::shared() && QVAppl::shared()->TraceMgrEng(); }
} // namespace

QVMenusManager& QVMenusManager::sharedManager()
{
    static QVMenusManager manager;
    return manager;
}

void QVMenusManager::resetMenus()
{
    if (trace())
        zelk::zlog("QVMenusManager", "resetMenus");
    std::lock_guard lock(m_mutex);
    m_menus.clear();
}

void QVMenusManager::setMenus(const QVariantList& records)
{
    QVariantList menus;
    for (const QVariant& record : records) {
        if (record.metaType().id() != QMetaType::QVariantMap) {
            zelk::zlog("QVMenusManager", "setMenus") << "error insertMenuObject unknown atIndex:" << menus.size();
            continue;
        }
        menus.append(record);
    }
    std::lock_guard lock(m_mutex);
    m_menus = menus;
}

QVariantList QVMenusManager::menusArray() const
{
    std::lock_guard lock(m_mutex);
    return m_menus;
}

std::optional<QVariantMap> QVMenusManager::menuWithID(quint32 menuID) const
{
    std::lock_guard lock(m_mutex);
    for (const QVariant& menu : m_menus)
        if (menu.toMap().value(QStringLiteral("menuID")).toLongLong() == qint64(menuID))
            return menu.toMap();
    return std::nullopt;
}

void QVMenusManager::displayMenu(quint32 menuID)
{
    if (QVAppl::shared() && QVAppl::shared()->TraceAppEng())
        zelk::zlog("QVMenusManager", "displayCommand") << "menu" << menuID;
}

} // namespace engine
