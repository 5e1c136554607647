#pragma once
// The printing action type, running side (PrintShortcutCommon.h), on the
// platform's print service. A per-run printer goes with each job as its
// destination: the user's default printer changes only when the model is
// "make the default" (1) or a printer is chosen from the printers menu (2).
// A job the print system refuses is reported, and the controller decides
// whether the remaining documents are printed.
#include "ActionRunner.h"
#include "PrintShortcut/PrintShortcutCommon.h"

class QAction;
class QMenu;

namespace zelk::engine {

class PrintShortcut : public PrintShortcutCommon<Side> {
    ZELK_ACTION_CLASS(PrintShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;
    // Model 2 standing as an item of the engine's menus: the item's
    // submenu becomes the printers menu.
    bool validateMenuItem(QAction* item);

    static QString setDefaultPrinterNamed(const QString& name, QVActionController* fromObject);
    static QString displayPrinterMenuFromObject(QVActionController& fromObject);
    static QString printSelectedDocumentsWithPrinter(const QString& printer, QVActionController& fromObject);
    static QString printDocumentsInFolder(const QString& path, const QString& withPrinter, QVActionController& fromObject);

    // The installed printers, sorted ignoring case, the default one
    // checked; made on the main thread from the lists given.
    static QMenu* printerMenu(const QStringList& printers, const QString& defaultPrinter);
    // The action of the printers menu's items, on a thread of its own.
    static void defaultPrinterFromMenu(QAction* item);

private:
    // Prints the documents among paths: the error of the printer check,
    // "PasDocumentSelectionne" when there was none and the run goes on; a
    // refused job goes to the controller, which may stop the run.
    static QString printDocuments(const QStringList& paths, const QString& printer, QVActionController& c);
};

} // namespace zelk::engine
