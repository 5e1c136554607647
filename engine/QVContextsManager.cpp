#include "QVContextsManager.h"

#include "Log.h"
#include "QVAppl.h"
#include "QVLauncher.h"

namespace engine {

using zelk::zlog;

QVContextsManager& QVContextsManager::sharedManager()
{
    // Kept for the life of the process, like the notifications it observes.
    static QVContextsManager* const manager = new QVContextsManager;
    return *manager;
}

QVContextsManager::QVContextsManager()
{
    auto& center = zelk::NotificationCenter::defaultCenter();
    m_observers.push_back(center.addObserver("FrontAppChangedNotification", nullptr,
                                             [this](const zelk::Notification& n) { frontAppChangedNotification(n); }));
    m_observers.push_back(center.addObserver("AfterLaunchAppNotifcation", nullptr,
                                             [this](const zelk::Notification& n) { launchAppNotification(n); }));
    m_observers.push_back(center.addObserver("AfterTerminateAppNotifcation", nullptr,
                                             [this](const zelk::Notification& n) { terminateAppNotification(n); }));
    m_observers.push_back(center.addObserver("EndInitNotification", nullptr,
                                             [this](const zelk::Notification& n) { endInitNotification(n); }));
}

QString QVContextsManager::applicationNameWithoutExtension(const QString& fileName)
{
    for (const QLatin1String extension : {QLatin1String(".app"), QLatin1String(".desktop")}) {
        if (fileName.endsWith(extension) && fileName.size() > extension.size())
            return fileName.left(fileName.size() - extension.size());
    }
    return fileName;
}

void QVContextsManager::resetContexts()
{
    if (traceMgrEng())
        zlog("QVContextsManager", "resetContexts");
    QList<std::shared_ptr<QVContext>> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_contexts);
        m_byID.clear();
    }
    for (const auto& context : std::as_const(dropped))
        context->removeAllLinkedObjects();
}

void QVContextsManager::setContexts(const QVariantList& records)
{
    resetContexts();
    for (const QVariant& value : records) {
        const QVariantMap record = value.toMap();
        if (traceMgrEng())
            zlog("QVContextsManager", "setContext") << QString("id %1: %2").arg(record.value("contextID").toString(),
                                                                                record.value("contextname").toString());
        addContextObject(record);
    }
}

void QVContextsManager::addContextObject(const QVariantMap& record)
{
    insertContextObject(record, std::numeric_limits<qsizetype>::max());
}

void QVContextsManager::insertContextObject(const QVariantMap& record, qsizetype atIndex)
{
    auto context = QVContext::contextWithRecord(record);
    if (!context)
        return;
    std::lock_guard lock(m_mutex);
    const qsizetype at = std::clamp<qsizetype>(atIndex, 0, m_contexts.size());
    m_contexts.insert(at, std::move(context));
    m_byID.inserted(m_contexts, at);
}

QList<std::shared_ptr<QVContext>> QVContextsManager::contextsArray() const
{
    std::lock_guard lock(m_mutex);
    return m_contexts;
}

std::shared_ptr<QVContext> QVContextsManager::contextWithID(quint32 contextID) const
{
    std::shared_ptr<QVContext> found;
    {
        std::lock_guard lock(m_mutex);
        found = m_byID.find(m_contexts, contextID);
    }
    if (traceMgrEng())
        zlog("QVContextsManager", "contextWithID") << contextID << "-" << (found ? found->description() : "nil");
    return found;
}

std::shared_ptr<QVContext> QVContextsManager::universalContext() const
{
    if (traceMgrEng())
        zlog("QVContextsManager", "universalContext");
    const auto contexts = contextsArray();
    for (const auto& context : contexts)
        if (context->isUniversal())
            return context;
    return nullptr;
}

namespace {

std::shared_ptr<QVContext> firstMatching(const QList<std::shared_ptr<QVContext>>& contexts, const QString& name,
                                         bool (QVContext::*matches)(const QString&) const, const char* method)
{
    std::shared_ptr<QVContext> found;
    if (!name.isNull()) {
        for (const auto& context : contexts) {
            if (((*context).*matches)(name)) {
                found = context;
                break;
            }
        }
    }
    if (traceMgrEng())
        zlog("QVContextsManager", method) << name << "-" << (found ? found->description() : "nil");
    return found;
}

} // namespace

std::shared_ptr<QVContext> QVContextsManager::contextWithActivatedApp(const QString& name) const
{
    return firstMatching(contextsArray(), name, &QVContext::appActivatedIsEqual, "contextWithActivatedApp");
}

std::shared_ptr<QVContext> QVContextsManager::contextWithDeactivatedApp(const QString& name) const
{
    return firstMatching(contextsArray(), name, &QVContext::appDeactivatedIsEqual, "contextWithDeactivatedApp");
}

std::shared_ptr<QVContext> QVContextsManager::contextWithRunningApp(const QString& name) const
{
    return firstMatching(contextsArray(), name, &QVContext::appRunningIsEqual, "contextWithRunningApp");
}

std::shared_ptr<QVContext> QVContextsManager::contextWithNotRunningApp(const QString& name) const
{
    return firstMatching(contextsArray(), name, &QVContext::appNotRunningIsEqual, "contextWithNotRunningApp");
}

void QVContextsManager::frontAppChangedNotification(const zelk::Notification& notification)
{
    // Counters and registrations are the main thread's: never switch from elsewhere.
    if (!checkMainThread("QVContextsManager", "frontAppChangedNotification")) {
        QVAppl::onMainThread([this, notification] { frontAppChangedNotification(notification); }, false);
        return;
    }
    const QString last = applicationNameWithoutExtension(notification.userInfo.value("LastFrontApp").toString());
    const QString front = applicationNameWithoutExtension(notification.userInfo.value("NewFrontApp").toString());
    m_frontApp = front;
    // All four are looked up before any switch.
    const auto leftFront = contextWithActivatedApp(last);
    const auto cameFront = contextWithActivatedApp(front);
    const auto leftBack = contextWithDeactivatedApp(last);
    const auto cameBack = contextWithDeactivatedApp(front);
    if (leftFront)
        leftFront->setContextActivated(false);
    if (cameFront)
        cameFront->setContextActivated(true);
    if (leftBack)
        leftBack->setContextActivated(true);
    if (cameBack)
        cameBack->setContextActivated(false);
    if (traceMgrEng())
        zlog("QVContextsManager", "frontAppChangedNotification") << last << "->" << front;
}

void QVContextsManager::launchAppNotification(const zelk::Notification& notification)
{
    const QString name = applicationNameWithoutExtension(notification.userInfo.value("AppPathName").toString());
    if (auto running = contextWithRunningApp(name))
        running->setContextActivated(true);
    if (auto notRunning = contextWithNotRunningApp(name))
        notRunning->setContextActivated(false);
    if (traceMgrEng())
        zlog("QVContextsManager", "launchAppNotification") << name;
}

void QVContextsManager::terminateAppNotification(const zelk::Notification& notification)
{
    const QString name = applicationNameWithoutExtension(notification.userInfo.value("AppPathName").toString());
    if (auto notRunning = contextWithNotRunningApp(name))
        notRunning->setContextActivated(true);
    if (auto running = contextWithRunningApp(name))
        running->setContextActivated(false);
    if (traceMgrEng())
        zlog("QVContextsManager", "terminateAppNotification") << name;
}

void QVContextsManager::endInitNotification(const zelk::Notification& /*notification*/)
{
    const auto contexts = contextsArray();
    for (const auto& context : contexts)
        context->endInit();
    // The front application does not change because of a load: without
    // this, "not in front" contexts would stay off, and "in front" ones
    // after a reload, until the user switched applications.
    if (!m_frontApp.isEmpty()) {
        if (auto front = contextWithActivatedApp(m_frontApp))
            front->setContextActivated(true);
    }
    QStringList seen{m_frontApp};
    for (const auto& context : contexts) {
        if (context->contextType() != QVContext::AppNotInFront || seen.contains(context->appName()))
            continue;
        seen << context->appName();
        if (auto back = contextWithDeactivatedApp(context->appName()))
            back->setContextActivated(true);
    }
    if (traceMgrEng())
        zlog("QVContextsManager", "endInitNotification");
}

} // namespace engine
