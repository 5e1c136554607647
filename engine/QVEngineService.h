#pragma once
// The engine's commands for other programs, on the session bus only: the
// engine owns the name "org.zelk.Zelk" and serves, at /org/zelk/Zelk,
// the interface org.zelk.Zelk:
//
//   GetShortCutList() -> s        the hot-key shortcuts, as XML property-list
//                                 text: an array of {"name", "uid" (the
//                                 launcher's ID), "keycode", "keycode2" (two-key
//                                 launchers only), "modifiers", "key"}, one for
//                                 each launcher and active shortcut or menu it
//                                 runs (the list request of the hot-key viewer)
//   RunShortCutID(u launcherID)   runs a launcher (the viewer's run request)
//   OrderedShortcuts(), OrderedActions(), OrderedMenus(), OrderedPalettes(),
//   OrderedSets() -> a(us)        the scripting element lists, as (ID, name)
//                                 in the managers' order; sets are contexts
//   SetShortcuts(u contextID) -> a(us)   the shortcuts linked to a context
//   RunShortcut(u shortcutID), RunShortcutNamed(s name)
//                                 the scripting command that runs a shortcut
//                                 (the first of that name)
//
// Errors: org.zelk.Zelk.Error.NotFound ("Zelk item not found in current
// context."), org.zelk.Zelk.Error.Inactive (a shortcut its contexts keep
// off: nothing ran), org.zelk.Zelk.Error.Failed (the list could not be
// written).
//
// The name is claimed at the start of start-up, before anything is loaded:
// a second engine of the session finds it taken (a guard beside the lock
// file). The object is exported at the end of start-up, so a caller that
// gets answers knows the engine is running with its objects loaded. Calls
// are handled on the main thread.
#include <QDBusConnection>
#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

class QDBusArgument;

namespace engine {

class QVShortcut;

// One element of a scripting element list: D-Bus "(us)".
struct QVScriptingElement {
    quint32 id = 0;
    QString name;
    bool operator==(const QVScriptingElement&) const = default;
};
using QVScriptingElements = QList<QVScriptingElement>;

QDBusArgument& operator<<(QDBusArgument& argument, const QVScriptingElement& element);
const QDBusArgument& operator>>(const QDBusArgument& argument, QVScriptingElement& element);

class QVEngineService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.zelk.Zelk")
public:
    static constexpr const char* ServiceName = "org.zelk.Zelk";
    static constexpr const char* ObjectPath = "/org/zelk/Zelk";
    static constexpr const char* InterfaceName = "org.zelk.Zelk";
    static constexpr const char* NotFoundError = "org.zelk.Zelk.Error.NotFound";
    static constexpr const char* InactiveError = "org.zelk.Zelk.Error.Inactive";
    static constexpr const char* FailedError = "org.zelk.Zelk.Error.Failed";

    // The engine's own service: on the session bus on the real desktop; on
    // the virtual one it has no bus, so tests never touch the user's.
    static QVEngineService& sharedService();

    explicit QVEngineService(const QDBusConnection& bus);
    ~QVEngineService() override;

    // Takes the name; false only when another program of the session owns
    // it. Without a bus there is nothing to guard: true.
    bool claimName();
    // Exports the object (the handlers of the requests), and removes it.
    bool enableKeyCueSupport();
    void disableKeyCueSupport();

    // The list request's answer; empty, with the reason in *error, when the
    // list cannot be written.
    static QString shortCutList(QString* error);

public slots:
    QString GetShortCutList();
    void RunShortCutID(uint launcherID);
    engine::QVScriptingElements OrderedShortcuts();
    engine::QVScriptingElements OrderedActions();
    engine::QVScriptingElements OrderedMenus();
    engine::QVScriptingElements OrderedPalettes();
    engine::QVScriptingElements OrderedSets();
    engine::QVScriptingElements SetShortcuts(uint contextID);
    void RunShortcut(uint shortcutID);
    void RunShortcutNamed(const QString& name);

private:
    bool tracing() const;
    void runShortcut(const QString& which, const std::function<bool(const QVShortcut&)>& match);
    void replyError(const char* name, const QString& message);

    QDBusConnection m_bus;
    bool m_ownsName = false;
    bool m_exported = false;
    // The list request switches run tracing on for the rest of the process.
    static std::atomic<bool> s_traceRun;
};

} // namespace engine

Q_DECLARE_METATYPE(engine::QVScriptingElement)
Q_DECLARE_METATYPE(engine::QVScriptingElements)
