#include "QVEngineService.h"

#include "Log.h"
#include "Platform.h"
#include "PropertyList.h"
#include "QVAction.h"
#include "QVActionsManager.h"
#include "QVContextsManager.h"
#include "QVLauncher.h"
#include "QVLaunchersManager.h"
#include "QVMenusManager.h"
#include "QVPalettesManager.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "QVUtilityClass.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QThread>

namespace engine {

std::atomic<bool> QVEngineService::s_traceRun{false};

namespace {

constexpr const char* kNotFoundText = "Zelk item not found in current context.";

QVScriptingElements elementsOfRecords(const QVariantList& records, const QString& idKey, const QString& nameKey)
{
    QVScriptingElements elements;
    for (const QVariant& record : records) {
        const QVariantMap map = record.toMap();
        elements.append({quint32(map.value(idKey).toLongLong()), map.value(nameKey).toString()});
    }
    return elements;
}

QVScriptingElements elementsOfShortcuts(const QList<std::shared_ptr<QVLinkedObject>>& objects)
{
    QVScriptingElements elements;
    for (const auto& object : objects) {
        if (const auto* shortcut = dynamic_cast<const QVShortcut*>(object.get()))
            elements.append({shortcut->shortcutID(), shortcut->name()});
    }
    return elements;
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const QVScriptingElement& element)
{
    argument.beginStructure();
    argument << element.id << element.name;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, QVScriptingElement& element)
{
    argument.beginStructure();
    argument >> element.id >> element.name;
    argument.endStructure();
    return argument;
}

QVEngineService& QVEngineService::sharedService()
{
    static QVEngineService* service = [] {
        // Kept for the life of the process, like the bus connection it uses.
        const bool realDesktop = zelk::Platform::instance().name() == QLatin1String("linux");
        return new QVEngineService(realDesktop ? QDBusConnection::sessionBus() : QDBusConnection(QString()));
    }();
    return *service;
}

QVEngineService::QVEngineService(const QDBusConnection& bus) : m_bus(bus)
{
    qDBusRegisterMetaType<QVScriptingElement>();
    qDBusRegisterMetaType<QVScriptingElements>();
    // The bus hands calls to an object on its own thread: the main thread,
    // where launchers run.
    if (QCoreApplication* app = QCoreApplication::instance())
        moveToThread(app->thread());
}

QVEngineService::~QVEngineService()
{
    disableKeyCueSupport();
    if (m_ownsName)
        m_bus.unregisterService(QLatin1String(ServiceName));
}

bool QVEngineService::claimName()
{
    if (m_ownsName || !m_bus.isConnected())
        return true;
    QDBusConnectionInterface* bus = m_bus.interface();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus->registerService(QLatin1String(ServiceName), QDBusConnectionInterface::DontQueueService,
                             QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        zelk::zlog("QVEngineService", "claimName") << "cannot ask the session bus for" << ServiceName << ":"
                                                   << reply.error().message();
        // A bus that does not answer guards nothing; the lock file still does.
        return true;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        zelk::zlog("QVEngineService", "claimName") << ServiceName << "is owned by another program of this session";
        return false;
    }
    m_ownsName = true;
    return true;
}

bool QVEngineService::enableKeyCueSupport()
{
    if (m_exported || !m_bus.isConnected())
        return m_exported;
    m_exported = m_bus.registerObject(QLatin1String(ObjectPath), this, QDBusConnection::ExportAllSlots);
    if (!m_exported)
        zelk::zlog("QVEngineService", "enableKeyCueSupport") << "cannot serve" << ObjectPath << ":"
                                                             << m_bus.lastError().message();
    return m_exported;
}

void QVEngineService::disableKeyCueSupport()
{
    if (!m_exported)
        return;
    m_bus.unregisterObject(QLatin1String(ObjectPath));
    m_exported = false;
}

bool QVEngineService::tracing() const { return s_traceRun || traceRun(); }

void QVEngineService::replyError(const char* name, const QString& message)
{
    if (calledFromDBus())
        sendErrorReply(QLatin1String(name), message);
}

// --- The hot-key viewer's requests -----------------------------------------------------

QString QVEngineService::shortCutList(QString* error)
{
    s_traceRun = true;
    const QList<std::shared_ptr<QVLauncher>> launchers = QVLaunchersManager::sharedManager().getAllActiveHotkeysLaunchers();
    zelk::zlog("QVEngineService", "handleGetShortCutListEvent") << "listOfHotKeys" << launchers.size();
    zelk::zlog("QVEngineService", "handleGetShortCutListEvent")
        << "NSShiftKeyMask  20000, NSControlKeyMask  40000, NSAlternateKeyMask  80000, NSCommandKeyMask  100000";
    zelk::QVUtilityClass* utility = zelk::QVUtilityClass::host();
    QVariantList list;
    int launcherCount = 0, objectCount = 0;
    for (const std::shared_ptr<QVLauncher>& launcher : launchers) {
        zelk::zlog("QVEngineService", "handleGetShortCutListEvent") << "QVLauncher" << ++launcherCount;
        const quint32 code = launcher->QVLKeycode();
        const quint32 code2 = launcher->QVLKeycode2();
        const bool hasSecond = launcher->QVLHas2Keycode();
        const QString modifiers = utility ? utility->modifierStringWithKeycode(code) : QString();
        const char c = utility ? utility->asciiForKeycode(code) : 0;
        // A key with no character gives an empty text: a NUL has no place in a property list.
        const QString key = c ? QString(QChar::fromLatin1(c)) : QString();
        for (const std::shared_ptr<QVLinkedObject>& object : launcher->QVLLinkedObjects()) {
            ++objectCount;
            const auto* shortcut = dynamic_cast<const QVShortcut*>(object.get());
            if (!shortcut) {
                // Menus and palettes are not built as objects yet.
                zelk::zlog("QVEngineService", "handleGetShortCutListEvent") << objectCount << ". unknown : linked object";
                continue;
            }
            if (!shortcut->isActive())
                continue;
            zelk::zlog("QVEngineService", "handleGetShortCutListEvent")
                << QStringLiteral("%1 shortcut (%2) %3, %4").arg(objectCount).arg(shortcut->shortcutID(), 4).arg(shortcut->name()).arg(code, 0, 16);
            zelk::zlog("QVEngineService", "handleGetShortCutListEvent")
                << QStringLiteral("%1 keycode x%2 - %3 %4 ").arg(objectCount).arg(code, 8, 16, QLatin1Char('0')).arg(modifiers, key);
            QVariantMap entry{{QStringLiteral("name"), shortcut->name()},
                              {QStringLiteral("uid"), qint64(launcher->IDValue())},
                              {QStringLiteral("keycode"), qint64(code)},
                              {QStringLiteral("modifiers"), modifiers},
                              {QStringLiteral("key"), key}};
            if (hasSecond)
                entry.insert(QStringLiteral("keycode2"), qint64(code2));
            list.append(entry);
        }
    }
    const QByteArray xml = zelk::plist::writeXml(list, error);
    if (xml.isEmpty()) {
        zelk::zlog("QVEngineService", "handleGetShortCutListEvent") << "error" << *error;
        return {};
    }
    const QString text = QString::fromUtf8(xml);
    zelk::zlog("QVEngineService", "handleGetShortCutListEvent") << "KeyCUe plistStr" << text;
    return text;
}

QString QVEngineService::GetShortCutList()
{
    QString error;
    const QString text = shortCutList(&error);
    if (text.isEmpty())
        replyError(FailedError, error);
    return text;
}

void QVEngineService::RunShortCutID(uint launcherID)
{
    if (tracing())
        zelk::zlog("QVEngineService", "handleRunShortCutIDEvent") << "running AEEvent UID" << launcherID;
    const std::shared_ptr<QVLauncher> launcher = QVLaunchersManager::sharedManager().launcherWithID(launcherID);
    if (!launcher) {
        zelk::zlog("QVEngineService", "handleRunShortCutIDEvent") << "no launcher" << launcherID;
        replyError(NotFoundError, QLatin1String(kNotFoundText));
        return;
    }
    zelk::zlog("QVEngineService", "handleRunShortCutIDEvent") << "run launcher" << launcher->description();
    launcher->runLauncher();
}

// --- Scripting -------------------------------------------------------------------------------

QVScriptingElements QVEngineService::OrderedShortcuts()
{
    QVScriptingElements elements;
    for (const auto& shortcut : QVShortcutsManager::sharedManager().shortcutsArray())
        elements.append({shortcut->shortcutID(), shortcut->name()});
    return elements;
}

QVScriptingElements QVEngineService::OrderedActions()
{
    QVScriptingElements elements;
    for (const auto& action : QVActionsManager::sharedManager().actionsArray())
        elements.append({action->IDValue(), action->nameValue()});
    return elements;
}

QVScriptingElements QVEngineService::OrderedMenus()
{
    return elementsOfRecords(QVMenusManager::sharedManager().menusArray(), QStringLiteral("menuID"), QStringLiteral("menuname"));
}

QVScriptingElements QVEngineService::OrderedPalettes()
{
    return elementsOfRecords(QVPalettesManager::sharedManager().palettesArray(), QStringLiteral("paletteID"),
                             QStringLiteral("palettename"));
}

QVScriptingElements QVEngineService::OrderedSets()
{
    QVScriptingElements elements;
    for (const auto& context : QVContextsManager::sharedManager().contextsArray())
        elements.append({context->IDValue(), context->name()});
    return elements;
}

QVScriptingElements QVEngineService::SetShortcuts(uint contextID)
{
    const std::shared_ptr<QVContext> context = QVContextsManager::sharedManager().contextWithID(contextID);
    if (!context) {
        replyError(NotFoundError, QLatin1String(kNotFoundText));
        return {};
    }
    return elementsOfShortcuts(context->ZLorderedShortcuts());
}

void QVEngineService::runShortcut(const QString& which, const std::function<bool(const QVShortcut&)>& match)
{
    std::shared_ptr<QVShortcut> found;
    for (const auto& shortcut : QVShortcutsManager::sharedManager().shortcutsArray()) {
        if (match(*shortcut)) {
            found = shortcut;
            break;
        }
    }
    if (!found) {
        zelk::zlog("QVEngineService", "runCommand") << "no shortcut" << which;
        replyError(NotFoundError, QLatin1String(kNotFoundText));
        return;
    }
    // An inactive shortcut ignores the run: say so rather than answer as if it ran.
    if (!found->isActive()) {
        replyError(InactiveError, QStringLiteral("The shortcut “%1” is not active in the current context.").arg(found->name()));
        return;
    }
    const QString event = calledFromDBus() ? message().member() + QLatin1Char(' ') + which : which;
    found->runCommand(QStringLiteral("run shortcut"), event);
}

void QVEngineService::RunShortcut(uint shortcutID)
{
    runShortcut(QString::number(shortcutID), [shortcutID](const QVShortcut& s) { return s.IDIsEqual(shortcutID); });
}

void QVEngineService::RunShortcutNamed(const QString& name)
{
    runShortcut(name, [&name](const QVShortcut& s) { return s.nameIsEqual(name); });
}

} // namespace engine
