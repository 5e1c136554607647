#include "QVShortcutsManager.h"

#include "Log.h"
#include "QVLauncher.h"
#include "QVShortcut.h"
#include "QVTester.h"

namespace engine {

QVShortcutsManager& QVShortcutsManager::sharedManager()
{
    static QVShortcutsManager manager;
    return manager;
}

void QVShortcutsManager::resetShortcuts()
{
    if (traceAppEng())
        qInfo().noquote() << "QVShortcutsManager resetShortcuts";
    QList<std::shared_ptr<QVShortcut>> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_shortcuts);
    }
    // Breaks the launcher <-> shortcut and context <-> shortcut cycles.
    for (const std::shared_ptr<QVShortcut>& shortcut : std::as_const(dropped))
        shortcut->beforeDealloc();
}

void QVShortcutsManager::setShortcuts(const QVariantList& records)
{
    // Shortcuts still here would stay linked to their launchers and run.
    resetShortcuts();
    for (const QVariant& record : records) {
        const QVariantMap map = record.toMap();
        if (traceAppEng())
            qInfo().noquote() << "QVShortcutsManager setShortcut:" << map.value("cutname").toString() << records.size();
        addShortcutObject(map);
    }
}

void QVShortcutsManager::addShortcutObject(const QVariantMap& record)
{
    qsizetype count = 0;
    {
        std::lock_guard lock(m_mutex);
        count = m_shortcuts.size();
    }
    insertShortcutObject(record, count);
}

void QVShortcutsManager::insertShortcutObject(const QVariantMap& record, qsizetype atIndex)
{
    qsizetype count = 0;
    {
        std::lock_guard lock(m_mutex);
        count = m_shortcuts.size();
    }
    if (atIndex < 0 || record.isEmpty() || atIndex > count) {
        zelk::zlog("QVShortcutsManager", "insertShortcutObject")
            << QString("error insertShortcutObject %1 < %2 for %3")
                   .arg(atIndex)
                   .arg(count)
                   .arg(record.isEmpty() ? QStringLiteral("unknown") : record.value("cutname").toString());
        return;
    }
    // Built outside the lock: building links the shortcut to its launchers and contexts.
    auto shortcut = std::make_shared<QVShortcut>();
    shortcut->initWithDictionaryInLauncher(record);
    std::lock_guard lock(m_mutex);
    m_shortcuts.insert(std::min(atIndex, m_shortcuts.size()), shortcut);
}

std::shared_ptr<QVShortcut> QVShortcutsManager::shortcutWithID(quint32 shortcutID) const
{
    std::shared_ptr<QVShortcut> found;
    {
        std::lock_guard lock(m_mutex);
        found = objectWithID(m_shortcuts, shortcutID);
    }
    if (traceAppEng())
        qInfo().noquote() << QString("QVShortcutsManager shortcutWithID %1 - %2")
                                 .arg(shortcutID)
                                 .arg(found ? found->description() : QStringLiteral("(null)"));
    return found;
}

void QVShortcutsManager::stopAllShortcuts()
{
    if (traceAppEng())
        qInfo().noquote() << "QVShortcutsManager stopAllShortcuts";
    // A run between two passes (stopped by a result code) has its running
    // flag down but goes on with the next pass: every run going on is
    // force-stopped, not only those whose flag is up.
    const auto shortcuts = shortcutsArray();
    for (const std::shared_ptr<QVShortcut>& shortcut : shortcuts) {
        if (shortcut->isRunning())
            shortcut->forceStopRunning();
    }
    QVTester::sharedTester().stopAllTests();
}

QList<std::shared_ptr<QVShortcut>> QVShortcutsManager::shortcutsArray() const
{
    std::lock_guard lock(m_mutex);
    return m_shortcuts;
}

} // namespace engine
