#pragma once
// QVEController: the editor's application object. It starts the editor
// (engine through the login helper, frameworks and plug-ins, the data
// folder and its six files, the main window, the engine's messages, the
// actions the engine asked to edit, the hot-key clash warning, the first
// update notices), saves on the user's word only, and carries the menu
// commands, the report window, opened files and the small services that
// windows and plug-ins ask of the application.
//
// Saving writes the six files side by side, each atomically over the old
// one. When any file could not be written, or a file was damaged when it
// was read (it is never saved over), the user is told, every old file stays
// and the engine is not told to reload.
#include "QVEActionHostApplication.h"
#include "QVEResponder.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

class QMenu;
class QMimeData;
class QTimer;
class QWidget;

namespace zelk {
class QVEActionClass;
class QVEMainObject;
class ObserverHandle;
}

namespace editor {

class ObjectStore;
class QVEMenuBar;
class QVEReportWindow;
class QVEShortcutsManager;
class QVEMenusManager;
class QVEPalettesManager;

class QVEController : public QObject, public zelk::QVEActionHostApplication {
    Q_OBJECT
public:
    explicit QVEController(QObject* parent = nullptr);
    ~QVEController() override;
    // The one controller of the process; nullptr before it is made.
    static QVEController* sharedController();

    // Where the main window comes from (QVEWindow::sharedWindow); asked on
    // first use. None: start-up shows no main window.
    void setMainWindowMaker(std::function<QVEMainWindowLink*()> maker) { m_windowMaker = std::move(maker); }
    QVEMainWindowLink* mainWindow();

    // --- Start-up, data folder, reading and writing -----------------------------------
    // The start-up sequence; false when the editor quits (no data folder).
    bool finishLaunching();
    // Sets the data folder; false (after the alert, quitting) when missing.
    bool setupDefaultData();
    // 1 (data files) and 2 (report): the data folder; else empty.
    QString prefsPathForDataType(int type);
    // Reads the six files into fresh lists (what was in memory goes), then
    // hands the stored layouts over. False when a file was damaged.
    bool readPrefs();
    // Writes the six files, then the layouts. False (the user told) when
    // anything was not written.
    bool writePrefs();
    QString objectsPath() const { return m_objectsPath; }

    static bool debugEditor();
    static bool TraceRun();

    // --- Menu commands -------------------------------------------------------------------------
    bool MIUpdateNow();
    // Whether the last save failed (the user was told).
    bool lastSaveFailed() const { return m_lastSaveFailed; }
    void saveAndTerminate();
    void terminate();
    void MIPreferences();
    void MICheckVersion();
    void MIStopShortcuts();
    void MIImport();
    void MIShowReport();
    void cleanReport();
    void MILibrary();
    void MINewMenu();
    void MINewPalette();
    // The models menu's items: a new shortcut whose one step is a new
    // action of the model.
    void addObject(const QVariantMap& model);
    void MIContact();
    void MISiteUpdate();
    void showManual();
    void showHelp();

    // --- Services ---------------------------------------------------------------------------------
    QVEShortcutsManager& shortcutsManager();
    QVEMenusManager& menusManager();
    QVEPalettesManager& palettesManager();
    void showHelpWithSubject(const QString& subject) override;
    void arrangeInFront() override;
    void addMissingPlugin(const QString& className) override;
    QList<const zelk::QVEActionClass*> pluginsClass() const { return m_pluginsClass; }
    bool dontAnimateEditingWindow() const { return m_dontAnimate; }
    void setDontAnimateEditingWindow(bool on) { m_dontAnimate = on; }
    // Brings the window to the front once the editor is the active
    // application; gives up after waitLimitMs.
    void makeActiveWithWindow(QWidget* window, int waitLimitMs = 5000);
    // One item per shortcut, menu or palette, sorted by title; nullptr for
    // none. The caller owns the menu.
    QMenu* menuForObjects(const QList<zelk::QVEMainObject*>& objects);
    void editObjectFromMenu(zelk::QVEMainObject* object);
    static QString stringForMail(const QString& text);
    void tryTestEditedObject();

    // --- Engine messages, report, opened files ----------------------------------------------
    void launcherNotification(const QVariantMap& userInfo);
    void addToReport(const QString& text);
    QVEReportWindow* reportWindow();
    // A file opened with the editor: joins the batch acted on 0.5 s after
    // its first file. Always false, as the platform's opening is not done.
    bool openFile(const QString& path);
    void addFileDrop(const QString& path);
    void flushFileDrops();

    QVEMenuBar* menuBar() { return m_menuBar.get(); }

signals:
    // The editor is to end (terminate); main() leaves the event loop.
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startEngine(bool engineRuns);
    void loadBundles();
    void openObjectsToEdit();
    // The names of the key launchers that clash with the desktop's hot
    // keys; empty when there are none or the warning is switched off.
    QString conflictingHotKeys();
    void warnOfHotKeyConflicts(const QString& label);
    void initReport();
    QVariantList selectedContextRecords();
    void reportSaveFailure(const QString& why);

    std::unique_ptr<ObjectStore> m_ownStore;
    std::function<QVEMainWindowLink*()> m_windowMaker;
    QVEMainWindowLink* m_mainWindow = nullptr;
    std::unique_ptr<QVEMenuBar> m_menuBar;
    std::unique_ptr<QVEReportWindow> m_reportWindow;
    std::unique_ptr<zelk::ObserverHandle> m_engineObserver;

    QList<const zelk::QVEActionClass*> m_pluginsClass;
    QStringList m_missingPlugins;
    bool m_reportInit = false;
    bool m_dontAnimate = false;
    QString m_objectsPath;
    bool m_lastSaveFailed = false;
    bool m_engineStarted = false;
    bool m_read = false; // the files were read before (a revert rereads them)
    // Why the files read are not to be saved over (a damaged file); empty
    // when saving is allowed.
    QString m_saveRefusal;

    QStringList m_pendingPaths;
    QTimer* m_dropTimer = nullptr;
};

} // namespace editor
