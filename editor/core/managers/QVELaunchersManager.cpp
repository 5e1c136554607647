#include "QVELaunchersManager.h"

#include "ModelSupport.h"
#include "QVEMenusManager.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"
#include "QVLauncher.h"
#include "QVUtility.h"

#include <QIcon>
#include <QMenu>
#include <QPixmap>

namespace editor {

// One launcher has no name of its own: the count names every step.
static const StepTexts kTexts{"", "AnnulerAjouterLanceurs", "", "AnnulerSupprimerLanceurs", "launchername"};

QVELaunchersManager& QVELaunchersManager::sharedManager()
{
    static QVELaunchersManager manager;
    return manager;
}

void QVELaunchersManager::setLaunchers(const QVariantList& records)
{
    for (const QVariant& record : records)
        addLauncherObject(record.toMap());
}

QVariantList QVELaunchersManager::launchersDictArray() const
{
    ObjectStore* store = managedStore("QVELaunchersManager", "launchersDictArray");
    return store ? store->launchersDictArray() : QVariantList{};
}

QList<QVLauncher*> QVELaunchersManager::allLaunchersArray() const
{
    ObjectStore* store = managedStore("QVELaunchersManager", "allLaunchersArray");
    return store ? store->allLaunchers() : QList<QVLauncher*>{};
}

QList<QVLauncher*> QVELaunchersManager::launchersOfType(int type) const
{
    QList<QVLauncher*> found;
    for (QVLauncher* launcher : allLaunchersArray()) {
        if (launcher->launcherType() == type)
            found.append(launcher);
    }
    return found;
}

QList<QVLauncher*> QVELaunchersManager::launchersNotValid() const
{
    QList<QVLauncher*> found;
    for (QVLauncher* launcher : allLaunchersArray()) {
        if (!launcher->isValid())
            found.append(launcher);
    }
    return found;
}

QList<QVLauncher*> QVELaunchersManager::unusedLaunchers() const
{
    QList<QVLauncher*> found;
    for (QVLauncher* launcher : allLaunchersArray()) {
        if (!launcher->isUsed())
            found.append(launcher);
    }
    return found;
}

QMenu* QVELaunchersManager::launchersMenuForTarget(const std::function<void(const QVariantMap& record)>& target)
{
    if (!m_launchersMenu) {
        QList<MenuEntry> entries;
        for (int type = 0; type <= 7; ++type) {
            const QVariantList records = QVLauncher::datasForType(type);
            const QString title = loc(QStringLiteral("LauncherTypeName%1").arg(type));
            const QString image = QStringLiteral("launcher%1").arg(type);
            if (records.size() == 1) {
                entries.append({title, image, records.first().toMap(), false});
                continue;
            }
            entries.append({title, image, std::nullopt, false});
            for (const QVariant& record : records)
                entries.append({QVLauncher::nameOfLauncherWithDict(record.toMap()), QStringLiteral("empty"), record.toMap(), true});
        }
        m_launchersMenu = entries;
    }
    auto* menu = new QMenu;
    for (const MenuEntry& entry : std::as_const(*m_launchersMenu)) {
        QAction* item = menu->addAction(QIcon(QPixmap::fromImage(QVUtility::sharedUtility().imageWithName(entry.image))),
                                        entry.title);
        if (!entry.record) {
            item->setEnabled(false);
            continue;
        }
        item->setData(*entry.record);
        QObject::connect(item, &QAction::triggered, item, [target, record = *entry.record] {
            if (target)
                target(record);
        });
    }
    return menu;
}

void QVELaunchersManager::addLauncherObject(const QVariantMap& record) { insertLauncherObject(record, -1); }

void QVELaunchersManager::insertLauncherObject(const QVariantMap& record, int atIndex)
{
    if (ObjectStore* store = managedStore("QVELaunchersManager", "insertLauncherObject"))
        store->insertRecord(ObjectsFile::Launchers, record, atIndex);
}

QVLauncher* QVELaunchersManager::newLauncherWithDict(const QVariantMap& record)
{
    const int type = intValue(record.value(QStringLiteral("launchertype")));
    const QVariantMap params = record.value(QStringLiteral("launcherparams")).toMap();
    if (QVLauncher* existing = launcherWithType(type, params))
        return existing;
    const QVariantMap fresh = QVLauncher::newDataWithDict(record);
    addLaunchers({fresh}, false);
    return launcherWithID(uintValue(fresh.value(QStringLiteral("launcherID"))));
}

QList<quint32> QVELaunchersManager::addLaunchers(const QVariantList& records, bool isUndo)
{
    ObjectStore* store = managedStore("QVELaunchersManager", "addLaunchers");
    if (!store)
        return {};
    return addRecordsAsStep(*store, &m_undoManager, ObjectsFile::Launchers, records, false, isUndo, kTexts, {},
                            [this](const QList<quint32>& ids) { editLaunchersID(ids); });
}

QList<quint32> QVELaunchersManager::delLaunchersID(const QList<quint32>& ids, bool withMessage, bool isUndo)
{
    ObjectStore* store = managedStore("QVELaunchersManager", "delLaunchersID");
    if (!store)
        return {};
    return deleteAsStep(*store, &m_undoManager, ObjectsFile::Launchers, ids, isUndo, kTexts,
                        [&] { store->delLaunchersID(ids, withMessage, isUndo); });
}

void QVELaunchersManager::exportLaunchersID(const QList<quint32>& ids)
{
    exportExchangeFile(QStringLiteral("ExporterLanceurs"), loc(QStringLiteral("LanceursExportes")),
                       {{QStringLiteral("exportedlaunchers"), exportDataForLaunchersID(ids)}},
                       QStringLiteral("LanceursPasExportes"));
}

QVariantList QVELaunchersManager::exportDataForLaunchersID(const QList<quint32>& ids) const
{
    ObjectStore* store = managedStore("QVELaunchersManager", "exportDataForLaunchersID");
    return store ? recordsOf(*store, ObjectsFile::Launchers, ids) : QVariantList{};
}

void QVELaunchersManager::copyLaunchersID(const QList<quint32>& ids)
{
    writeRecordsToPasteboard(QStringLiteral("QVLauncherPboardType"), exportDataForLaunchersID(ids));
}

void QVELaunchersManager::editLaunchersID(const QList<quint32>& ids)
{
    if (ObjectStore* store = managedStore("QVELaunchersManager", "editLaunchersID"))
        editObjects(*store, ObjectsFile::Launchers, ids);
}

void QVELaunchersManager::newShortcutWithLaunchersID(const QList<quint32>& ids)
{
    QVEShortcutsManager::sharedManager().newShortcutWithLaunchers(exportDataForLaunchersID(ids));
}

void QVELaunchersManager::newMenuWithLaunchersID(const QList<quint32>& ids)
{
    QVEMenusManager::sharedManager().newMenuWithLaunchers(exportDataForLaunchersID(ids));
}

void QVELaunchersManager::newPaletteWithLaunchersID(const QList<quint32>& ids)
{
    QVEPalettesManager::sharedManager().newPaletteWithLaunchers(exportDataForLaunchersID(ids));
}

QString QVELaunchersManager::labelOfConflictingKeyBasedLaunchers() const
{
    QStringList names;
    for (QVLauncher* launcher : launchersOfType(0)) {
        const quint32 first = quint32(launcher->keycodeKeyEvent());
        bool clash = QVUtility::sharedUtility().isSystemHotkeycode(first);
        if (const int second = launcher->secondKeycodeKeyEvent(); !clash && second != -1)
            clash = QVUtility::sharedUtility().isSystemHotkeycode(quint32(second) + (first & ~0x7Fu));
        if (clash && !names.contains(launcher->nameValue()))
            names << launcher->nameValue();
    }
    return names.join(QStringLiteral(", "));
}

QVLauncher* QVELaunchersManager::launcherWithID(quint32 id) const
{
    ObjectStore* store = ObjectStore::sharedStore();
    return store ? store->launcherWithID(id) : nullptr;
}

QVLauncher* QVELaunchersManager::launcherWithType(int type, const QVariantMap& params) const
{
    for (QVLauncher* launcher : allLaunchersArray()) {
        if (launcher->isEqualLauncherType(type, params))
            return launcher;
    }
    return nullptr;
}

void QVELaunchersManager::substituteLauncher(QVLauncher* old, QVLauncher* with, bool deleteOld)
{
    ObjectStore* store = managedStore("QVELaunchersManager", "substituteLauncher");
    if (!store || !old || !with || old == with)
        return;
    const quint32 oldID = old->IDValue();
    const quint32 newID = with->IDValue();
    UndoStep step(*store);
    substituteReferences(old->linkedObjects(), ObjectsFile::Launchers, oldID, newID);
    postSubstitute(ObjectsFile::Launchers, oldID, newID);
    QString name;
    if (deleteOld && !delLaunchersID({oldID}, false, true).isEmpty())
        name = locFormat(QStringLiteral("AnnulerSupprimerLanceurs"), {qulonglong(1)});
    step.push(&m_undoManager, name);
}

void QVELaunchersManager::updateLaunchersWithDictionary(const QVariantMap& payload)
{
    postUpdateWithDictionary(ObjectsFile::Launchers, payload);
}

void QVELaunchersManager::updateLaunchers() { postUpdate(ObjectsFile::Launchers, kQVUpdateRefreshAction); }
void QVELaunchersManager::reloadLaunchers() { postUpdate(ObjectsFile::Launchers, kQVUpdateReloadAction); }

bool compareLaunchersByName(const QVLauncher* a, const QVLauncher* b)
{
    return a->nameValue().compare(b->nameValue(), Qt::CaseInsensitive) < 0;
}

} // namespace editor
