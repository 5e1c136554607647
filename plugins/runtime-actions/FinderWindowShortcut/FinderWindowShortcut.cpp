#include "FinderWindowShortcut.h"

#include "Platform.h"

namespace zelk::engine {

bool FinderWindowShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString FinderWindowShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    switch (CUTAction) {
    case 1:
        return showFolder(bestPath(), *controller);
    case 2:
        return newWindowsForSelection(*controller);
    default:
        return {};
    }
}

QString FinderWindowShortcut::showFolder(const QString& path, QVActionController&)
{
    if (path.isEmpty() || !fileExistsAtPath(path))
        return localized(classObject(), "DossierNonValide", {path});
    if (!Platform::instance().documents().showFolders({path}))
        return localized(classObject(), "GestionnaireNonDisponible", {path});
    return {};
}

QString FinderWindowShortcut::newWindowsForSelection(QVActionController& c)
{
    const std::optional<QStringList> files = Platform::instance().documents().copiedFiles();
    int opened = 0;
    for (const QString& path : files.value_or(QStringList())) {
        if (!c.canGoRunning())
            return {};
        if (typeForTargetPath(path) != 3)
            continue;
        if (!Platform::instance().documents().showFolders({path}))
            return localized(classObject(), "GestionnaireNonDisponible", {path});
        ++opened;
    }
    if (opened == 0 && c.canGoRunning())
        return localized(classObject(), "PasDossierSelectionne");
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(FinderWindowShortcut)

} // namespace zelk::engine
