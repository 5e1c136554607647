#include "QVContext.h"

#include "Log.h"
#include "Platform.h"
#include "QVAppl.h"
#include "QVContextsManager.h"
#include "QVLauncher.h"
#include "QVLaunchersManager.h"
#include "QVShortcut.h"
#include "QVUtilityClass.h"

#include <typeinfo>

namespace engine {

using zelk::zlog;

namespace {

// Asked of the engine's utility class; without one, of the desktop itself.
bool isApplicationRunning(const QString& name)
{
    if (auto* utility = zelk::QVUtilityClass::host())
        return utility->isProcessLaunchedWithPathName(name);
    const auto apps = zelk::Platform::instance().workspace().runningApplications();
    return std::any_of(apps.cbegin(), apps.cend(), [&name](const zelk::RunningApplication& app) {
        return QVContextsManager::applicationNameWithoutExtension(app.name) == name;
    });
}

} // namespace

std::shared_ptr<QVContext> QVContext::contextWithRecord(const QVariantMap& record)
{
    auto context = std::make_shared<QVContext>();
    if (!context->initWithDictionaryInLauncher(record))
        return nullptr;
    return context;
}

bool QVContext::initWithDictionaryInLauncher(const QVariantMap& record)
{
    bool ok = false;
    m_type = record.value("contexttype").toInt(&ok);
    if (!ok) {
        zlog("QVContext", "initWithDictionaryInLauncher") << "no context type in" << record;
        return false;
    }
    m_name = record.value("contextname").toString();
    m_id = quint32(record.value("contextID").toLongLong());
    if (m_type >= AppInFront && m_type <= AppNotRunning) {
        // Names arrive without their extension; a stored one may have it.
        m_appName = QVContextsManager::applicationNameWithoutExtension(
            record.value("contextparams").toMap().value("contextactivatedapplication").toString());
    }
    m_rules = record.value("contextrules").toList();
    std::lock_guard lock(m_mutex);
    m_linked.clear();
    return true;
}

void QVContext::endInit()
{
    if (m_type == AppRunning && isApplicationRunning(m_appName))
        setContextActivated(true);
    else if (m_type == AppNotRunning && !isApplicationRunning(m_appName))
        setContextActivated(true);
}

bool QVContext::appActivatedIsEqual(const QString& name) const { return m_type == AppInFront && m_appName == name; }
bool QVContext::appDeactivatedIsEqual(const QString& name) const { return m_type == AppNotInFront && m_appName == name; }
bool QVContext::appRunningIsEqual(const QString& name) const { return m_type == AppRunning && m_appName == name; }
bool QVContext::appNotRunningIsEqual(const QString& name) const { return m_type == AppNotRunning && m_appName == name; }

void QVContext::addLinkedObject(std::shared_ptr<QVLinkedObject> object)
{
    if (!object)
        return;
    std::lock_guard lock(m_mutex);
    m_linked.append(std::move(object));
}

void QVContext::removeLinkedObject(const QVLinkedObject* object)
{
    std::lock_guard lock(m_mutex);
    m_linked.removeIf([object](const std::shared_ptr<QVLinkedObject>& o) { return o.get() == object; });
    m_cuts.removeIf([object](const std::shared_ptr<QVLinkedObject>& o) { return o.get() == object; });
}

QList<std::shared_ptr<QVLinkedObject>> QVContext::linkedObjects() const
{
    std::lock_guard lock(m_mutex);
    return m_linked;
}

void QVContext::removeAllLinkedObjects()
{
    QList<std::shared_ptr<QVLinkedObject>> dropped;
    QList<std::shared_ptr<QVLinkedObject>> droppedCuts;
    std::lock_guard lock(m_mutex);
    dropped.swap(m_linked); // released after the lock, in case an object's end calls back
    droppedCuts.swap(m_cuts);
    m_cutsGathered = false;
}

void QVContext::setContextActivated(bool activated)
{
    // The objects' counters and the hot-key registrations belong to the main thread.
    if (!checkMainThread("QVContext", "setContextActivated")) {
        std::weak_ptr<QVContext> self = weak_from_this();
        QVAppl::onMainThread([self, activated] {
            if (auto context = self.lock())
                context->setContextActivated(activated);
        }, false);
        return;
    }
    const auto objects = linkedObjects();
    for (const auto& object : objects)
        object->setObjectActivated(activated);
    setRulesApplied(activated);
}

void QVContext::setRulesApplied(bool applied)
{
    if (applied) {
        if (m_rulesApplied++ != 0)
            return;
    } else {
        if (m_rulesApplied == 0 || --m_rulesApplied != 0)
            return;
    }
    for (const QVariant& value : std::as_const(m_rules)) {
        const QVariantMap rule = value.toMap();
        if (!rule.value("ruleactive").toBool())
            continue;
        switch (rule.value("ruletype").toInt()) {
        case 0:
            QVLaunchersManager::sharedManager().setAllHotkeysActivated(!applied);
            break;
        case 1:
            QVLaunchersManager::sharedManager().setHotkey(
                quint32(rule.value("ruleparams").toMap().value("ruleexcludekeycode").toLongLong()), !applied);
            break;
        default:
            break;
        }
    }
}

QList<std::shared_ptr<QVLinkedObject>> QVContext::ZLorderedShortcuts()
{
    std::lock_guard lock(m_mutex);
    if (!m_cutsGathered) {
        for (const auto& object : std::as_const(m_linked))
            if (typeid(*object) == typeid(QVShortcut))
                m_cuts.append(object);
        m_cutsGathered = true;
    }
    return m_cuts;
}

QString QVContext::description() const
{
    return QString("QVContext (%1) { COID %2, Name:'%3' COType: %4}")
        .arg(quintptr(this), 0, 16)
        .arg(m_id)
        .arg(m_name)
        .arg(m_type);
}

} // namespace engine
