#include "QVActionsManager.h"

#include "ClassRegistry.h"
#include "Log.h"
#include "QVAction.h"
#include "QVAppl.h"
#include "QVLauncher.h"

#include <algorithm>
#include <limits>

namespace engine {

using zelk::zlog;

QVActionsManager& QVActionsManager::sharedManager()
{
    static QVActionsManager* const manager = new QVActionsManager;
    return *manager;
}

void QVActionsManager::resetActions()
{
    if (traceMgrEng())
        zlog("QVActionsManager", "resetActions");
    QList<std::shared_ptr<zelk::QVAction>> dropped;
    std::lock_guard lock(m_mutex);
    dropped.swap(m_actions); // released after the lock
    m_byID.clear();
}

void QVActionsManager::setActions(const QVariantList& records)
{
    resetActions();
    for (const QVariant& value : records) {
        const QVariantMap record = value.toMap();
        if (traceMgrEng())
            zlog("QVActionsManager", "setAction")
                << QString("id:%1 - class:'%2': %3")
                       .arg(record.value("actionID").toString(), record.value("actionclass").toString(),
                            record.value("actionname").toString());
        addActionObject(record);
    }
}

void QVActionsManager::addActionObject(const QVariantMap& record)
{
    insertActionObject(record, std::numeric_limits<qsizetype>::max());
}

void QVActionsManager::insertActionObject(const QVariantMap& record, qsizetype atIndex)
{
    // No shortcut, menu or palette uses it.
    if (record.value("actionnotused").toBool())
        return;
    const QString className = record.value("actionclass").toString();
    if (!zelk::ClassRegistry::shared().lookup<zelk::QVActionClass>(className)) {
        // The action then runs as the base class, which names the missing one.
        if (QVAppl* app = QVAppl::shared())
            app->addMissingPlugin(className);
        else
            zlog("QVActionsManager", "insertActionObject") << "no action class" << className;
    }
    if (traceMgrEng())
        zlog("QVActionsManager", "insertActionObject") << className;
    std::shared_ptr<zelk::QVAction> action = zelk::QVAction::actionWithRecord(record);
    if (!action) {
        zlog("QVActionsManager", "insertActionObject") << "the class" << className << "refused the record" << record.value("actionID");
        return;
    }
    std::lock_guard lock(m_mutex);
    const qsizetype at = std::clamp<qsizetype>(atIndex, 0, m_actions.size());
    m_actions.insert(at, std::move(action));
    m_byID.inserted(m_actions, at);
}

std::shared_ptr<zelk::QVAction> QVActionsManager::actionWithID(quint32 actionID) const
{
    std::shared_ptr<zelk::QVAction> found;
    {
        std::lock_guard lock(m_mutex);
        found = m_byID.find(m_actions, actionID);
    }
    if (traceMgrEng())
        zlog("QVActionsManager", "actionWithID") << actionID << "-" << (found ? found->description() : "nil");
    return found;
}

QList<std::shared_ptr<zelk::QVAction>> QVActionsManager::actionsArray() const
{
    std::lock_guard lock(m_mutex);
    return m_actions;
}

} // namespace engine
