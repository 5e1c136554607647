#include "PreferenceShortcut.h"

#include "Log.h"

#include <QAction>
#include <QMenu>
#include <thread>

namespace zelk::engine {

namespace M = PreferenceShortcutModels;

namespace {

SettingsPanels& settings()
{
    return Platform::instance().settingsPanels();
}

QString openPanelAt(const QString& path)
{
    return settings().openPanel(path) ? QString() : path;
}

} // namespace

bool PreferenceShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString PreferenceShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    QVActionController& c = *controller;
    switch (CUTAction) {
    case M::OpenPane:
        return openPrefPanel(CUTPrefName, &c);
    case M::PanesMenu:
        return displayPreferenceMenuFromObject(c);
    case M::OpenSettings:
        return openPrefApplicationFromObject(c);
    default:
        return {};
    }
}

bool PreferenceShortcut::validateMenuItem(QAction* item)
{
    if (!item || CUTAction != M::PanesMenu || CUTItemInMenu)
        return true;
    QMenu* menu = preferencesMenu();
    QObject::connect(item, &QObject::destroyed, menu, &QObject::deleteLater);
    item->setMenu(menu);
    CUTItemInMenu = true;
    return true;
}

QString PreferenceShortcut::openPrefPanel(const QString& fileName, QVActionController*)
{
    const QString path = pathFromEndPath(fileName);
    if (path.isEmpty())
        return localized(classObject(), "PanneauNonValide", {fileName});
    if (!settings().openPanel(path))
        return localized(classObject(), "OuverturePanneauImpossible", {fileName});
    return {};
}

QString PreferenceShortcut::displayPreferenceMenuFromObject(QVActionController&)
{
    panes(); // the panels' hardware tests run here, not on the main thread
    showFloatingMenu([] { return preferencesMenu(); });
    return {};
}

QString PreferenceShortcut::openPrefApplicationFromObject(QVActionController&)
{
    return settings().openSettings() ? QString() : localized(classObject(), "ReglagesImpossible");
}

QMenu* PreferenceShortcut::preferencesMenu()
{
    auto* menu = new QMenu;
    const PreferencePanes& list = panes();
    for (qsizetype i = 0; i < list.paths.size(); ++i) {
        auto* item = new QAction(QIcon(QPixmap::fromImage(paneIcon(list.paths.at(i), 16))), list.names.at(i), menu);
        item->setData(list.paths.at(i));
        QObject::connect(item, &QAction::triggered, item, [item] { openPrefFromMenu(item); });
        insertMenuItemSorted(menu, item);
    }
    return menu;
}

void PreferenceShortcut::openPrefFromMenu(QAction* item)
{
    if (!item)
        return;
    const QString path = item->data().toString();
    // Starting the settings application can take a moment: not on the main thread.
    std::thread([path] {
        if (!openPanelAt(path).isEmpty())
            zlog("PreferenceShortcut", "openPrefFromMenu") << "could not open" << path;
    }).detach();
}

ZELK_REGISTER_ACTION_RUNNER(PreferenceShortcut)

} // namespace zelk::engine
