#pragma once
// The engine's commands on the session bus: the engine owns the name
// "org.zelk.Zelk" and serves, at /org/zelk/Zelk, the interface org.zelk.Zelk:
//
//   GetShortCutList() -> s        the hot-key shortcuts, as XML property-list
//                                 text (the hot-key viewer's list request)
//   RunShortCutID(u launcherID)   runs a launcher (the viewer's run request)
//   OrderedShortcuts(), OrderedActions(), OrderedMenus(), OrderedPalettes(),
//   OrderedSets() -> a(us)        the scripting element lists, as (ID, name)
//   SetShortcuts(u contextID) -> a(us)   the shortcuts linked to a context
//   RunShortcut(u shortcutID), RunShortcutNamed(s name)
//   Reopen()                      the engine was started again: it asks
//                                 the user what to do (answered at once)
//   ShowMenu(u menuID)            shows the menu at the pointer
//   ShowPalette(u paletteID), HidePalette(u paletteID)
//   OpenURL(s url)                a zelk: or quov: URL ("zelk://manual")
//
// Signal KeyCue(s code): a hot key fired ("Stop"), for hot-key viewers.
//
// Errors: org.zelk.Zelk.Error.NotFound, org.zelk.Zelk.Error.Inactive,
// org.zelk.Zelk.Error.Failed, with the engine's texts.
//
// The name is a guard of its own: a second engine of the session finds it
// taken. The object is exported only while commands are published, so a
// caller that gets answers knows the engine is running. Calls are handled
// on the main thread.
#include "DesktopServices.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>

class QDBusArgument;

namespace zelk {

QDBusArgument& operator<<(QDBusArgument& argument, const CommandElement& element);
const QDBusArgument& operator>>(const QDBusArgument& argument, CommandElement& element);

class DBusCommandService : public QObject, public CommandService, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.zelk.Zelk")
public:
    static constexpr const char* ServiceName = "org.zelk.Zelk";
    static constexpr const char* ObjectPath = "/org/zelk/Zelk";
    static constexpr const char* InterfaceName = "org.zelk.Zelk";
    static constexpr const char* NotFoundError = "org.zelk.Zelk.Error.NotFound";
    static constexpr const char* InactiveError = "org.zelk.Zelk.Error.Inactive";
    static constexpr const char* FailedError = "org.zelk.Zelk.Error.Failed";

    // A connection that is not connected serves nothing and guards nothing.
    explicit DBusCommandService(const QDBusConnection& bus);
    ~DBusCommandService() override;

    bool claimName() override;
    bool publish(EngineCommands* commands) override;
    void withdraw() override;
    bool askRunningEngineToReopen() override;
    bool askRunningEngineToOpenURL(const QString& url) override;
    void announceHotKey(const QString& code) override;

signals:
    void KeyCue(const QString& code);

public slots:
    QString GetShortCutList();
    void RunShortCutID(uint launcherID);
    zelk::CommandElements OrderedShortcuts();
    zelk::CommandElements OrderedActions();
    zelk::CommandElements OrderedMenus();
    zelk::CommandElements OrderedPalettes();
    zelk::CommandElements OrderedSets();
    zelk::CommandElements SetShortcuts(uint contextID);
    void RunShortcut(uint shortcutID);
    void RunShortcutNamed(const QString& name);
    void Reopen();
    void ShowMenu(uint menuID);
    void ShowPalette(uint paletteID);
    void HidePalette(uint paletteID);
    void OpenURL(const QString& url);

private:
    bool callRunningEngine(const char* caller, const QString& method, const QVariantList& arguments);
    void reply(const CommandError& error);

    QDBusConnection m_bus;
    bool m_ownsName = false;
    bool m_exported = false;
    EngineCommands* m_commands = nullptr;
};

} // namespace zelk

Q_DECLARE_METATYPE(zelk::CommandElement)
Q_DECLARE_METATYPE(zelk::CommandElements)
