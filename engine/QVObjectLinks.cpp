#include "QVObjectLinks.h"

#include "QVContext.h"
#include "QVContextsManager.h"
#include "QVLauncher.h"
#include "QVLaunchersManager.h"

namespace engine {

void QVObjectLinks::link(const QVariantMap& record, const QString& launchersKey, const QString& contextsKey,
                         const std::shared_ptr<QVLinkedObject>& object)
{
    for (const QVariant& item : record.value(launchersKey).toList()) {
        const QVariantMap ref = item.toMap();
        if (!ref.value(QStringLiteral("cutlauncheractive")).toBool())
            continue;
        const quint32 id = quint32(ref.value(QStringLiteral("cutlauncherID")).toLongLong());
        if (std::shared_ptr<QVLauncher> launcher = QVLaunchersManager::sharedManager().launcherWithID(id))
            m_launchers.append(launcher);
    }
    for (const QVariant& item : record.value(contextsKey).toList()) {
        const QVariantMap ref = item.toMap();
        if (!ref.value(QStringLiteral("cutcontextactive")).toBool())
            continue;
        const quint32 id = quint32(ref.value(QStringLiteral("cutcontextID")).toLongLong());
        if (std::shared_ptr<QVContext> context = QVContextsManager::sharedManager().contextWithID(id))
            m_contexts.append(context);
    }
    if (!object)
        return;
    for (const std::shared_ptr<QVLauncher>& launcher : std::as_const(m_launchers))
        launcher->addLinkedObject(object);
    for (const std::shared_ptr<QVContext>& context : std::as_const(m_contexts))
        context->addLinkedObject(object);
}

void QVObjectLinks::unlink(const QVLinkedObject* object)
{
    for (const std::shared_ptr<QVLauncher>& launcher : std::as_const(m_launchers))
        launcher->removeLinkedObject(object);
    for (const std::shared_ptr<QVContext>& context : std::as_const(m_contexts))
        context->removeLinkedObject(object);
    m_launchers.clear();
    m_contexts.clear();
}

void QVObjectLinks::switchLaunchers(const QVLinkedObject* object, bool activated) const
{
    for (const std::shared_ptr<QVLauncher>& launcher : m_launchers) {
        if (activated)
            launcher->activateObject(object);
        else
            launcher->deactivateObject(object);
    }
}

} // namespace engine
