#pragma once
// The document action type, running side (DocumentShortcutCommon.h): opens
// one document with its default application or a named one, pops up the
// user's recent documents, or opens the files the user copied.
//
// A document goes to a named application through its desktop entry (the
// Exec field codes filled with the document); to the default one through
// the desktop, whose refusal is reported, not passed over as success.
#include "ActionRunner.h"
#include "DesktopServices.h"
#include "DocumentShortcut/DocumentShortcutCommon.h"

class QAction;
class QMenu;

namespace zelk::engine {

class DocumentShortcut : public DocumentShortcutCommon<Side> {
    ZELK_ACTION_CLASS(DocumentShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;
    // Model 3 standing as an item of the engine's menus: the item's
    // submenu becomes the recent documents.
    bool validateMenuItem(QAction* item);

    static QString openDocument(const QString& path, const QString& withApplication, QVActionController* fromObject);
    static QString displayRecentDocumentsMenuOrderBy(int order, QVActionController& fromObject);
    static QString openSelectedDocumentsWithApplication(const QString& application, QVActionController& fromObject);
    // The menu of the documents. Order 0: as the desktop lists them (most
    // recent first); any other order by title, ignoring case. Made on the
    // main thread.
    static QMenu* recentDocumentsMenuOrderBy(int order, const QList<RecentDocument>& documents);
    // The action of the recent documents' items: opens the item's path on
    // a thread of its own; an error is logged.
    static void openDocumentFromMenu(QAction* item);
};

} // namespace zelk::engine
