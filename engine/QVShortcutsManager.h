#pragma once
// The engine's shortcuts, built from Shortcuts.plist on every load (after
// the actions, contexts and launchers they link to), and the switch that
// stops every running shortcut.
#include <QList>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <mutex>

namespace engine {

class QVShortcut;

class QVShortcutsManager {
public:
    static QVShortcutsManager& sharedManager();

    // Unlinks every shortcut from its launchers and contexts, then drops
    // them all until the next setShortcuts().
    void resetShortcuts();
    // A new list built from the records, in order.
    void setShortcuts(const QVariantList& records);
    void addShortcutObject(const QVariantMap& record);
    // Builds a shortcut and inserts it; an index out of range or an empty
    // record is logged and inserts nothing.
    void insertShortcutObject(const QVariantMap& record, qsizetype atIndex);

    std::shared_ptr<QVShortcut> shortcutWithID(quint32 shortcutID) const;
    // Force-stops every run going on, the test runs included.
    void stopAllShortcuts();
    QList<std::shared_ptr<QVShortcut>> shortcutsArray() const;

private:
    QVShortcutsManager() = default;
    mutable std::mutex m_mutex;
    QList<std::shared_ptr<QVShortcut>> m_shortcuts; // SMShortcutsArray
};

} // namespace engine
