#include "QVEngineService.h"

#include "Log.h"
#include "Platform.h"
#include "PropertyList.h"
#include "QVAction.h"
#include "QVActionsManager.h"
#include "QVAppl.h"
#include "QVContextsManager.h"
#include "QVLauncher.h"
#include "QVLaunchersManager.h"
#include "QVMenu.h"
#include "QVMenusManager.h"
#include "QVPalette.h"
#include "QVPalettesManager.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "QVUtilityClass.h"

#include <QCoreApplication>
#include <QPointer>

namespace engine {

namespace {

constexpr const char* kNotFoundText = "Zelk item not found in current context.";

zelk::CommandError notFound() { return {zelk::CommandError::NotFound, QLatin1String(kNotFoundText)}; }

zelk::CommandElements elementsOfShortcuts(const QList<std::shared_ptr<QVLinkedObject>>& objects)
{
    zelk::CommandElements elements;
    for (const auto& object : objects) {
        if (const auto* shortcut = dynamic_cast<const QVShortcut*>(object.get()))
            elements.append({shortcut->shortcutID(), shortcut->name()});
    }
    return elements;
}

} // namespace

QVEngineService& QVEngineService::sharedService()
{
    static QVEngineService service;
    return service;
}

bool QVEngineService::claimName() { return zelk::Platform::instance().commands().claimName(); }

bool QVEngineService::enableKeyCueSupport() { return zelk::Platform::instance().commands().publish(this); }

void QVEngineService::disableKeyCueSupport() { zelk::Platform::instance().commands().withdraw(); }

// --- The hot-key viewer's requests -----------------------------------------------------

QString QVEngineService::shortcutList(zelk::CommandError* error)
{
    // The list request leaves run tracing on for the rest of the process.
    if (QVAppl* appl = QVAppl::shared())
        appl->setTraceRun(true);
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
    QString why;
    const QByteArray xml = zelk::plist::writeXml(list, &why);
    if (xml.isEmpty()) {
        zelk::zlog("QVEngineService", "handleGetShortCutListEvent") << "error" << why;
        if (error)
            *error = {zelk::CommandError::Failed, why};
        return {};
    }
    const QString text = QString::fromUtf8(xml);
    zelk::zlog("QVEngineService", "handleGetShortCutListEvent") << "KeyCUe plistStr" << text;
    return text;
}

zelk::CommandError QVEngineService::runLauncher(quint32 launcherID)
{
    if (traceRun())
        zelk::zlog("QVEngineService", "handleRunShortCutIDEvent") << "running AEEvent UID" << launcherID;
    const std::shared_ptr<QVLauncher> launcher = QVLaunchersManager::sharedManager().launcherWithID(launcherID);
    if (!launcher) {
        zelk::zlog("QVEngineService", "handleRunShortCutIDEvent") << "no launcher" << launcherID;
        return notFound();
    }
    zelk::zlog("QVEngineService", "handleRunShortCutIDEvent") << "run launcher" << launcher->description();
    launcher->runLauncher();
    return {};
}

// --- Scripting -------------------------------------------------------------------------------

zelk::CommandElements QVEngineService::orderedShortcuts()
{
    zelk::CommandElements elements;
    for (const auto& shortcut : QVShortcutsManager::sharedManager().shortcutsArray())
        elements.append({shortcut->shortcutID(), shortcut->name()});
    return elements;
}

zelk::CommandElements QVEngineService::orderedActions()
{
    zelk::CommandElements elements;
    for (const auto& action : QVActionsManager::sharedManager().actionsArray())
        elements.append({action->IDValue(), action->nameValue()});
    return elements;
}

zelk::CommandElements QVEngineService::orderedMenus()
{
    zelk::CommandElements elements;
    for (const auto& menu : QVMenusManager::sharedManager().menusArray())
        elements.append({menu->menuID(), menu->name()});
    return elements;
}

zelk::CommandElements QVEngineService::orderedPalettes()
{
    zelk::CommandElements elements;
    for (const auto& palette : QVPalettesManager::sharedManager().palettesArray())
        elements.append({palette->paletteID(), palette->name()});
    return elements;
}

zelk::CommandElements QVEngineService::orderedSets()
{
    zelk::CommandElements elements;
    for (const auto& context : QVContextsManager::sharedManager().contextsArray())
        elements.append({context->IDValue(), context->name()});
    return elements;
}

zelk::CommandElements QVEngineService::setShortcuts(quint32 contextID, zelk::CommandError* error)
{
    const std::shared_ptr<QVContext> context = QVContextsManager::sharedManager().contextWithID(contextID);
    if (!context) {
        if (error)
            *error = notFound();
        return {};
    }
    return elementsOfShortcuts(context->ZLorderedShortcuts());
}

zelk::CommandError QVEngineService::runFirstShortcut(const QString& event,
                                                    const std::function<bool(const QVShortcut&)>& match)
{
    std::shared_ptr<QVShortcut> found;
    for (const auto& shortcut : QVShortcutsManager::sharedManager().shortcutsArray()) {
        if (match(*shortcut)) {
            found = shortcut;
            break;
        }
    }
    if (!found) {
        zelk::zlog("QVEngineService", "runCommand") << "no shortcut" << event;
        return notFound();
    }
    // An inactive shortcut ignores the run: say so rather than answer as if it ran.
    if (!found->isActive())
        return {zelk::CommandError::Inactive,
                QStringLiteral("The shortcut “%1” is not active in the current context.").arg(found->name())};
    found->runCommand(QStringLiteral("run shortcut"), event);
    return {};
}

zelk::CommandError QVEngineService::runShortcut(quint32 shortcutID)
{
    return runFirstShortcut(QStringLiteral("RunShortcut %1").arg(shortcutID),
                            [shortcutID](const QVShortcut& s) { return s.IDIsEqual(shortcutID); });
}

zelk::CommandError QVEngineService::runShortcutNamed(const QString& name)
{
    return runFirstShortcut(QStringLiteral("RunShortcutNamed ") + name,
                            [&name](const QVShortcut& s) { return s.nameIsEqual(name); });
}

void QVEngineService::reopen()
{
    QVAppl* appl = QVAppl::shared();
    QCoreApplication* app = QCoreApplication::instance();
    if (!appl || !app)
        return;
    // Queued: the question is modal, and the second engine waits for our answer.
    QMetaObject::invokeMethod(app, [guard = QPointer<QVAppl>(appl)] {
        if (guard && !guard->isTerminating())
            guard->applicationShouldHandleReopen();
    }, Qt::QueuedConnection);
}

} // namespace engine
