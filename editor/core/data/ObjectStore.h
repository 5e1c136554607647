#pragma once
// The editor's objects in memory: every action, context, launcher,
// shortcut, menu and palette of the data folder, in file order, with a
// look-up by ID per kind. It loads and saves the six data files and answers
// the models' look-ups and delete requests (ObjectDirectory); the managers
// keep their lists, undo and notices on top of it.
//
// The first store made becomes the shared directory until it is destroyed.
//
// Saving writes each file atomically over the old one (never deleting it
// first), all six together: when one cannot be written, none is replaced.
// A file that was damaged when loaded is left untouched. The saved
// lists keep the filters of the design: a shortcut or menu is written when
// it has a context or something uses it, a palette when it has a context.
#include "ObjectDirectory.h"
#include "ObjectsFile.h"

#include <QHash>
#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

namespace editor {

class QVPalette;

class ObjectStore : public ObjectDirectory {
public:
    ObjectStore();
    ~ObjectStore() override;
    ObjectStore(const ObjectStore&) = delete;
    ObjectStore& operator=(const ObjectStore&) = delete;

    // Reads the six files of the folder into the (empty) lists and sets the
    // ID counters. A missing Contexts.plist gives the universal context
    // alone. False when a file is damaged (the others still load); the
    // reasons go to *error, one line each.
    bool load(const QString& folder, QString* error = nullptr);
    // Writes the six files. False, with the reasons, when one could not be
    // written or was left alone because it was damaged.
    bool save(const QString& folder, QString* error = nullptr);
    // Drops every object.
    void clear();

    // Builds an object from a record and appends it (nullptr for a record
    // that makes none). Menus are linked to their items' objects at once.
    zelk::QVEAction* addAction(const QVariantMap& record);
    QVContext* addContext(const QVariantMap& record);
    QVLauncher* addLauncher(const QVariantMap& record);
    QVShortcut* addShortcut(const QVariantMap& record);
    QVMenu* addMenu(const QVariantMap& record);
    QVPalette* addPalette(const QVariantMap& record);

    // The saved lists.
    QVariantList actionsDictArray() const;
    QVariantList contextsDictArray() const;
    QVariantList launchersDictArray() const;
    QVariantList shortcutsDictArray() const;
    QVariantList menusDictArray() const;
    QVariantList palettesDictArray() const;
    QVariantList savedList(ObjectsFile::Kind kind) const;

    qsizetype count(ObjectsFile::Kind kind) const;

    // The store registered as the shared directory; nullptr for none.
    static ObjectStore* sharedStore();
    // The record key holding a kind's ID ("actionID", "cutID"...).
    static QString idKey(ObjectsFile::Kind kind);
    // Every record of a kind in list order, unfiltered.
    QVariantList allRecords(ObjectsFile::Kind kind) const;
    // The live lists.
    QList<zelk::QVEAction*> allActions() const { return raw(m_actions); }
    QList<QVContext*> allContexts() const { return raw(m_contexts); }
    QList<QVLauncher*> allLaunchers() const { return raw(m_launchers); }
    QList<QVShortcut*> allShortcuts() const { return raw(m_shortcuts); }
    QList<QVMenu*> allMenus() const { return raw(m_menus); }
    QList<QVPalette*> allPalettes() const { return raw(m_palettes); }
    // The objects' IDs in list order.
    QList<quint32> allIDs(ObjectsFile::Kind kind) const;
    // The list index of the object; -1 when none.
    qsizetype indexOf(ObjectsFile::Kind kind, quint32 id) const;
    // Builds an object from the record and inserts it at the index (clamped
    // to the list). A menu is linked to its items' objects only when link is
    // set, so that menus put back together link once all exist. False for a
    // record that makes no object.
    bool insertRecord(ObjectsFile::Kind kind, const QVariantMap& record, qsizetype index, bool link = true);
    // Takes an object out without any cascade: a main object unlinks itself
    // from what it uses, an aux object from its users. Its editor closes.
    bool removeObject(ObjectsFile::Kind kind, quint32 id);
    // Gives a shortcut, menu or palette the step or item list and the
    // launcher and context references of the record (relinked).
    bool resetListsFromRecord(ObjectsFile::Kind kind, const QVariantMap& record);
    // Links the menu to its items' objects (after insertRecord without link).
    void linkMenu(quint32 id);
    QVPalette* paletteWithID(quint32 id);
    // Palettes go without a question and take their objects along on aux.
    void delPalettesID(const QList<quint32>& ids, bool auxObjects, bool isUndo);

    // --- ObjectDirectory ------------------------------------------------------------
    zelk::QVEAction* actionWithID(quint32 id) override;
    QVLauncher* launcherWithID(quint32 id) override;
    QVContext* contextWithID(quint32 id) override;
    QVShortcut* shortcutWithID(quint32 id) override;
    QVMenu* menuWithID(quint32 id) override;
    void delActionsID(const QList<quint32>& ids, bool withMessage, bool isUndo) override;
    void delLaunchersID(const QList<quint32>& ids, bool withMessage, bool isUndo) override;
    void delShortcutsID(const QList<quint32>& ids, bool withMessage, bool auxObjects, bool isUndo) override;
    void delMenusID(const QList<quint32>& ids, bool withMessage, bool auxObjects, bool isUndo) override;

private:
    template <class T>
    struct List {
        std::vector<std::shared_ptr<T>> objects;
        QHash<quint32, T*> byID;
        T* find(quint32 id) const { return byID.value(id, nullptr); }
        void append(std::shared_ptr<T> object, const char* cls);
        std::shared_ptr<T> take(T* object);
        void insert(std::shared_ptr<T> object, qsizetype index, const char* cls);
        qsizetype indexOf(quint32 id) const;
        void clear();
    };

    template <class T>
    static QList<T*> raw(const List<T>& list)
    {
        QList<T*> objects;
        objects.reserve(qsizetype(list.objects.size()));
        for (const auto& object : list.objects)
            objects.append(object.get());
        return objects;
    }

    List<zelk::QVEAction> m_actions;
    List<QVContext> m_contexts;
    List<QVLauncher> m_launchers;
    List<QVShortcut> m_shortcuts;
    List<QVMenu> m_menus;
    List<QVPalette> m_palettes;
    bool m_damaged[ObjectsFile::KindCount] = {};
};

} // namespace editor
