#include "DBusCommandService.h"

#include "Log.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusReply>

namespace zelk {

namespace {
// The running engine answers before it asks the user anything.
constexpr int kReopenTimeoutMs = 5000;
} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const CommandElement& element)
{
    argument.beginStructure();
    argument << element.id << element.name;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, CommandElement& element)
{
    argument.beginStructure();
    argument >> element.id >> element.name;
    argument.endStructure();
    return argument;
}

DBusCommandService::DBusCommandService(const QDBusConnection& bus) : m_bus(bus)
{
    qDBusRegisterMetaType<CommandElement>();
    qDBusRegisterMetaType<CommandElements>();
    // The bus hands calls to an object on its own thread: the main thread,
    // where the engine's objects live.
    if (QCoreApplication* app = QCoreApplication::instance())
        moveToThread(app->thread());
}

DBusCommandService::~DBusCommandService()
{
    withdraw();
    if (QCoreApplication::instance()) {
        if (m_ownsName)
            m_bus.unregisterService(QLatin1String(ServiceName));
        return;
    }
    // After the application (the platform ends with the process) the bus
    // and its thread are gone, and the name with them: asking would crash,
    // and the bus's blocking wait on this object's end would never return.
    QObject::disconnect(this, &QObject::destroyed, nullptr, nullptr);
}

bool DBusCommandService::claimName()
{
    if (m_ownsName || !m_bus.isConnected())
        return true;
    QDBusConnectionInterface* bus = m_bus.interface();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        bus->registerService(QLatin1String(ServiceName), QDBusConnectionInterface::DontQueueService,
                             QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid()) {
        zlog("DBusCommandService", "claimName") << "cannot ask the session bus for" << ServiceName << ":"
                                                << reply.error().message();
        // A bus that does not answer guards nothing; the engine's lock file still does.
        return true;
    }
    if (reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        zlog("DBusCommandService", "claimName") << ServiceName << "is owned by another program of this session";
        return false;
    }
    m_ownsName = true;
    return true;
}

bool DBusCommandService::publish(EngineCommands* commands)
{
    if (!commands || !m_bus.isConnected())
        return false;
    m_commands = commands;
    if (m_exported)
        return true;
    m_exported = m_bus.registerObject(QLatin1String(ObjectPath), this,
                                     QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
    if (!m_exported) {
        zlog("DBusCommandService", "publish") << "cannot serve" << ObjectPath << ":" << m_bus.lastError().message();
        m_commands = nullptr;
    }
    return m_exported;
}

void DBusCommandService::withdraw()
{
    if (m_exported && QCoreApplication::instance())
        m_bus.unregisterObject(QLatin1String(ObjectPath));
    m_exported = false;
    m_commands = nullptr;
}

void DBusCommandService::reply(const CommandError& error)
{
    if (!error.isError() || !calledFromDBus())
        return;
    const char* name = error.kind == CommandError::NotFound ? NotFoundError
                       : error.kind == CommandError::Inactive ? InactiveError
                                                              : FailedError;
    sendErrorReply(QLatin1String(name), error.text);
}

// Only an exported object is called, and it is exported only with commands;
// the checks keep a call queued across a withdrawal harmless.

QString DBusCommandService::GetShortCutList()
{
    if (!m_commands)
        return {};
    CommandError error;
    const QString text = m_commands->shortcutList(&error);
    reply(error);
    return text;
}

void DBusCommandService::RunShortCutID(uint launcherID)
{
    if (m_commands)
        reply(m_commands->runLauncher(launcherID));
}

CommandElements DBusCommandService::OrderedShortcuts() { return m_commands ? m_commands->orderedShortcuts() : CommandElements(); }
CommandElements DBusCommandService::OrderedActions() { return m_commands ? m_commands->orderedActions() : CommandElements(); }
CommandElements DBusCommandService::OrderedMenus() { return m_commands ? m_commands->orderedMenus() : CommandElements(); }
CommandElements DBusCommandService::OrderedPalettes() { return m_commands ? m_commands->orderedPalettes() : CommandElements(); }
CommandElements DBusCommandService::OrderedSets() { return m_commands ? m_commands->orderedSets() : CommandElements(); }

CommandElements DBusCommandService::SetShortcuts(uint contextID)
{
    if (!m_commands)
        return {};
    CommandError error;
    const CommandElements elements = m_commands->setShortcuts(contextID, &error);
    reply(error);
    return elements;
}

void DBusCommandService::RunShortcut(uint shortcutID)
{
    if (m_commands)
        reply(m_commands->runShortcut(shortcutID));
}

void DBusCommandService::RunShortcutNamed(const QString& name)
{
    if (m_commands)
        reply(m_commands->runShortcutNamed(name));
}

void DBusCommandService::Reopen()
{
    if (m_commands)
        m_commands->reopen();
}

void DBusCommandService::ShowMenu(uint menuID)
{
    if (m_commands)
        reply(m_commands->displayMenu(menuID));
}

void DBusCommandService::ShowPalette(uint paletteID)
{
    if (m_commands)
        reply(m_commands->showPalette(paletteID, true));
}

void DBusCommandService::HidePalette(uint paletteID)
{
    if (m_commands)
        reply(m_commands->showPalette(paletteID, false));
}

void DBusCommandService::OpenURL(const QString& url)
{
    if (m_commands)
        m_commands->openURL(url);
}

void DBusCommandService::announceHotKey(const QString& code)
{
    if (m_exported)
        emit KeyCue(code);
}

bool DBusCommandService::callRunningEngine(const char* caller, const QString& method, const QVariantList& arguments)
{
    if (!m_bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(ServiceName), QLatin1String(ObjectPath),
                                                       QLatin1String(InterfaceName), method);
    call.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kReopenTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        zlog("DBusCommandService", caller) << "no engine answered:" << reply.errorMessage();
        return false;
    }
    return true;
}

bool DBusCommandService::askRunningEngineToReopen() { return callRunningEngine("askRunningEngineToReopen", QStringLiteral("Reopen"), {}); }

bool DBusCommandService::askRunningEngineToOpenURL(const QString& url)
{
    return callRunningEngine("askRunningEngineToOpenURL", QStringLiteral("OpenURL"), {url});
}

} // namespace zelk
