#include "PrintShortcut.h"

#include "Log.h"
#include "Platform.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <thread>

namespace zelk::engine {

namespace {

PrintService& printing()
{
    return Platform::instance().printing();
}

} // namespace

bool PrintShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString PrintShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    QVActionController& c = *controller;
    switch (CUTAction) {
    case 1:
        return setDefaultPrinterNamed(CUTPrinter, &c);
    case 2:
        return displayPrinterMenuFromObject(c);
    case 3:
        return printSelectedDocumentsWithPrinter(CUTPrinter, c);
    case 4:
        return printDocumentsInFolder(bestPath(), CUTPrinter, c);
    default:
        return {};
    }
}

bool PrintShortcut::validateMenuItem(QAction* item)
{
    if (!item || CUTAction != 2)
        return true;
    QMenu* menu = printerMenu(printing().printers(), printing().defaultPrinter());
    if (QMenu* old = item->menu())
        old->deleteLater();
    QObject::connect(item, &QObject::destroyed, menu, &QObject::deleteLater);
    item->setMenu(menu);
    return true;
}

QString PrintShortcut::setDefaultPrinterNamed(const QString& name, QVActionController*)
{
    if (!name.isEmpty() && name == printing().defaultPrinter())
        return {};
    if (name.isEmpty() || !printing().printers().contains(name))
        return localized(classObject(), "ImprimanteNonValide", {name});
    if (!printing().setDefaultPrinter(name))
        return localized(classObject(), "DefautImpossible", {name});
    return {};
}

QString PrintShortcut::displayPrinterMenuFromObject(QVActionController&)
{
    // The print system is asked on the run thread: its tools take time.
    const QStringList printers = printing().printers();
    const QString current = printing().defaultPrinter();
    showFloatingMenu([&printers, &current] { return printerMenu(printers, current); });
    return {};
}

QMenu* PrintShortcut::printerMenu(const QStringList& printers, const QString& defaultPrinter)
{
    auto* menu = new QMenu;
    for (const QString& name : printers) {
        auto* item = new QAction(name, menu);
        item->setData(name);
        item->setCheckable(true);
        item->setChecked(name == defaultPrinter);
        QObject::connect(item, &QAction::triggered, item, [item] { defaultPrinterFromMenu(item); });
        insertMenuItemSorted(menu, item);
    }
    return menu;
}

void PrintShortcut::defaultPrinterFromMenu(QAction* item)
{
    if (!item)
        return;
    const QString name = item->data().toString();
    std::thread([name] {
        const QString error = setDefaultPrinterNamed(name, nullptr);
        if (!error.isEmpty())
            zlog("PrintShortcut", "defaultPrinterFromMenu") << error;
    }).detach();
}

QString PrintShortcut::printDocuments(const QStringList& paths, const QString& printer, QVActionController& c)
{
    if (!printer.isEmpty() && !printing().printers().contains(printer))
        return localized(classObject(), "ImprimanteNonValide", {printer});
    int handled = 0;
    for (const QString& path : paths) {
        if (!c.canGoRunning())
            return {};
        if (typeForTargetPath(path) != 2)
            continue;
        ++handled;
        if (!printing().printFile(path, printer)) {
            const QString error = localized(classObject(), "ImpressionImpossible", {path});
            if (!c.canGoRunningAfterError(error))
                return {};
        }
    }
    if (handled == 0 && c.canGoRunning())
        return localized(classObject(), "PasDocumentSelectionne");
    return {};
}

QString PrintShortcut::printSelectedDocumentsWithPrinter(const QString& printer, QVActionController& c)
{
    const std::optional<QStringList> files = Platform::instance().documents().copiedFiles();
    return printDocuments(files.value_or(QStringList()), printer, c);
}

QString PrintShortcut::printDocumentsInFolder(const QString& path, const QString& withPrinter, QVActionController& c)
{
    if (path.isEmpty() || !fileExistsAtPath(path))
        return localized(classObject(), "CheminNonValide", {path});
    const QDir folder(path);
    QStringList paths;
    for (const QString& name :
         folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted))
        paths << folder.filePath(name);
    return printDocuments(paths, withPrinter, c);
}

ZELK_REGISTER_ACTION_RUNNER(PrintShortcut)

} // namespace zelk::engine
