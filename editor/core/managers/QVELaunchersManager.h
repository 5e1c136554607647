#pragma once
// The launchers manager: launchers are added as they are (no fresh IDs), an
// equal launcher is reused rather than added, and a delete takes the
// launcher's references out of its users (given back by undo).
#include "ManagerSupport.h"

#include <QUndoStack>

class QMenu;
class QMimeData;

namespace editor {

class QVELaunchersManager {
public:
    static QVELaunchersManager& sharedManager();

    void setLaunchers(const QVariantList& records);
    QVariantList launchersDictArray() const;
    QList<QVLauncher*> allLaunchersArray() const;
    QList<QVLauncher*> launchersOfType(int type) const;
    QList<QVLauncher*> launchersNotValid() const;
    QList<QVLauncher*> unusedLaunchers() const;
    // The new-launcher menu: per launcher type a titled entry (one ready-made
    // record) or a disabled heading followed by one entry per record. Its
    // contents are fixed at the first call; each call answers a new menu
    // whose entries call target with their record. The caller owns it.
    QMenu* launchersMenuForTarget(const std::function<void(const QVariantMap& record)>& target);
    void addLauncherObject(const QVariantMap& record);
    void insertLauncherObject(const QVariantMap& record, int atIndex);
    QVLauncher* newLauncherWithDict(const QVariantMap& record);
    QList<quint32> addLaunchers(const QVariantList& records, bool isUndo);
    QList<quint32> delLaunchersID(const QList<quint32>& ids, bool withMessage, bool isUndo);

    void exportLaunchersID(const QList<quint32>& ids);
    QVariantList exportDataForLaunchersID(const QList<quint32>& ids) const;
    void copyLaunchersID(const QList<quint32>& ids);
    void editLaunchersID(const QList<quint32>& ids);
    void newShortcutWithLaunchersID(const QList<quint32>& ids);
    void newMenuWithLaunchersID(const QList<quint32>& ids);
    void newPaletteWithLaunchersID(const QList<quint32>& ids);
    QString labelOfConflictingKeyBasedLaunchers() const;

    QVLauncher* launcherWithID(quint32 id) const;
    QVLauncher* launcherWithType(int type, const QVariantMap& params) const;
    void substituteLauncher(QVLauncher* old, QVLauncher* with, bool deleteOld);
    void updateLaunchersWithDictionary(const QVariantMap& payload);
    void updateLaunchers();
    void reloadLaunchers();
    QUndoStack* undoManager() { return &m_undoManager; }

private:
    QVELaunchersManager() = default;
    struct MenuEntry {
        QString title;
        QString image;
        std::optional<QVariantMap> record; // none: a heading
        bool indented = false;
    };
    QUndoStack m_undoManager;
    std::optional<QList<MenuEntry>> m_launchersMenu;
};

// Sorting by name, case-insensitively.
bool compareLaunchersByName(const QVLauncher* a, const QVLauncher* b);

} // namespace editor
