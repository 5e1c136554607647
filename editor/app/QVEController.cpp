#include "QVEController.h"

#include "Bundle.h"
#include "ClassRegistry.h"
#include "EditorCommand.h"
#include "Log.h"
#include "ModelSupport.h"
#include "NotificationCenter.h"
#include "ObjectStore.h"
#include "QVELibrary.h"
#include "QVEPreferencesEditor.h"
#include "Platform.h"
#include "PropertyList.h"
#include "QVEAction.h"
#include "QVEActionsManager.h"
#include "QVEImporter.h"
#include "QVELaunchersManager.h"
#include "QVEMenuBar.h"
#include "QVEMenusManager.h"
#include "QVEModelsManager.h"
#include "QVEObjectEditor.h"
#include "QVEPalettesManager.h"
#include "QVEPboardManager.h"
#include "QVEReportWindow.h"
#include "QVEShortcutsManager.h"
#include "QVContext.h"
#include "QVLauncher.h"
#include "QVUtility.h"
#include "TableCommandGate.h"
#include "UserDefaults.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <QLayout>
#include <algorithm>
#include <exception>

namespace editor {
namespace {

QVEController* g_controller = nullptr;

constexpr const char* kSupportPage = "https://zelk.org/support";
constexpr const char* kProductPage = "https://zelk.org";
constexpr const char* kOnlineManual = "https://zelk.org/manual";
constexpr const char* kManualURL = "zelk://manual";
constexpr int kDropBatchMs = 500;

zelk::UserDefaults& defaults() { return zelk::UserDefaults::standard(); }

void openURL(const QString& url)
{
    if (!zelk::Platform::instance().workspace().openPath(url))
        zelk::zlog("QVEController", "openURL") << "cannot open" << url;
}

} // namespace

QVEController::QVEController(QObject* parent) : QObject(parent)
{
    if (g_controller)
        zelk::zlog("QVEController", "QVEController") << "a second application object; the first stays the shared one";
    else
        g_controller = this;
    if (!ObjectStore::sharedStore())
        m_ownStore = std::make_unique<ObjectStore>();
    if (g_controller == this)
        zelk::QVEAction::setApplicationObject(this);
}

QVEController::~QVEController()
{
    m_engineObserver.reset();
    if (m_dropTimer)
        m_dropTimer->stop();
    if (qApp)
        qApp->removeEventFilter(this);
    m_menuBar.reset();
    m_reportWindow.reset();
    if (g_controller == this) {
        zelk::QVEAction::setApplicationObject(nullptr);
        g_controller = nullptr;
    }
}

QVEController* QVEController::sharedController() { return g_controller; }

QVEMainWindowLink* QVEController::mainWindow()
{
    if (!m_mainWindow && m_windowMaker)
        m_mainWindow = m_windowMaker();
    return m_mainWindow;
}

bool QVEController::debugEditor() { return defaults().boolForKey(QStringLiteral("debugTraceUSB")); }
bool QVEController::TraceRun() { return defaults().boolForKey(QStringLiteral("TraceEditor")); }

// --- Start-up -------------------------------------------------------------------------------

bool QVEController::finishLaunching()
{
    const bool engineRuns = QVUtility::sharedUtility().isProcessLaunchedWithPathName(QStringLiteral("Zelk"));
    loadBundles();
    // Only the engine makes the data folder (on its first run): without one
    // it is started at once, before the editor says so and quits.
    const QString folder = ObjectsFile::objectsFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        startEngine(engineRuns);
    if (!setupDefaultData())
        return false;
    readPrefs();
    // The desktop's hot keys are found by test grabs, which a running
    // engine's own grabs (the user's launchers) would fail as well: the
    // check runs before the engine is started, and not at all while one
    // already holds the keys.
    QString clashes;
    if (engineRuns)
        zelk::zlog("QVEController", "finishLaunching") << "the engine holds the hot keys: no check for clashes with the desktop's";
    else
        clashes = conflictingHotKeys();
    startEngine(engineRuns);

    // The menu bar before the window shows, so that the window gets it.
    QVEMainWindowLink* window = mainWindow();
    m_menuBar = std::make_unique<QVEMenuBar>(*this, window ? window->undoGroup() : nullptr);
    // The clear item's key is Command + Delete, which is Ctrl + Backspace here.
    if (QAction* clear = m_menuBar->clearItem()) {
        QList<QKeySequence> keys = clear->shortcuts();
        if (!keys.contains(QKeySequence(Qt::CTRL | Qt::Key_Backspace)))
            keys.append(QKeySequence(Qt::CTRL | Qt::Key_Backspace));
        clear->setShortcuts(keys);
    }
    if (window) {
        if (QWidget* w = window->window()) {
            if (auto* main = qobject_cast<QMainWindow*>(w))
                main->setMenuBar(m_menuBar->makeMenuBar(main));
            else if (w->layout())
                w->layout()->setMenuBar(m_menuBar->makeMenuBar(w));
        }
        window->display();
    }
    // The shared settings, applied through the preferences with their
    // handlers in place.
    QVEPreferencesEditor& preferences = QVEPreferencesEditor::sharedEditor();
    preferences.setDontAnimateHandler([this](bool dontAnimate) { setDontAnimateEditingWindow(dontAnimate); });
    preferences.setCheckVersionHandler([this] { MICheckVersion(); });
    preferences.loadPreferences();
    setDontAnimateEditingWindow(zelk::UserDefaults::shared().boolForKey(QStringLiteral("GEDontAnimateWindow")));
    m_menuBar->setModelsMenu(QVEModelsManager::sharedManager().modelsMenuForTarget(
        [this](const QVariantMap& model) { addObject(model); }));
    m_reportInit = false;
    if (qApp)
        qApp->installEventFilter(this);

    m_engineObserver = std::make_unique<zelk::ObserverHandle>(
        zelk::Platform::instance().distributedNotifications().addObserver(
            QStringLiteral("QVLauncherNotification"),
            [this](const QString&, const QVariantMap& userInfo) { launcherNotification(userInfo); }));

    openObjectsToEdit();
    warnOfHotKeyConflicts(clashes);
    for (const Kind kind : {ObjectsFile::Shortcuts, ObjectsFile::Menus, ObjectsFile::Palettes})
        zelk::NotificationCenter::defaultCenter().post(updateNotificationName(kind));
    return true;
}

void QVEController::startEngine(bool engineRuns)
{
    if (engineRuns || m_engineStarted || defaults().boolForKey(QStringLiteral("QVEDisableEngineLaunch")))
        return;
    m_engineStarted = true;
    const zelk::Bundle bundle = zelk::Bundle::main();
    const QString helper = bundle.isValid()
        ? bundle.contentsPath() + QStringLiteral("/Library/LoginItems/ZelkHelper.app")
        : QString();
    const bool launched = !helper.isEmpty() && zelk::Platform::instance().workspace().launchApplication(helper);
    zelk::zlog("QVEController", "finishLaunching")
        << QStringLiteral("%1 launch Zelk Engine via helper %2").arg(launched ? QStringLiteral("Did") : QStringLiteral("Failed to"), helper);
}

void QVEController::loadBundles()
{
    const zelk::Bundle bundle = zelk::Bundle::main();
    auto& registry = zelk::ClassRegistry::shared();
    zelk::QVEAction::registerFrameworkClasses();
    // Frameworks load first: the plug-ins' classes derive from theirs. Their
    // own classes are never offered.
    if (bundle.isValid())
        registry.loadPluginsInFolder(bundle.frameworksPath());
    m_pluginsClass.clear();
    m_missingPlugins.clear();

    {
        // Only what the plug-ins register while they load is offered.
        zelk::ObserverHandle observer = zelk::NotificationCenter::defaultCenter().addObserver(
            QLatin1String(zelk::ClassRegistry::BundleDidLoadNotification), nullptr, [this, &registry](const zelk::Notification& n) {
                const QStringList names = n.userInfo.value(QStringLiteral("NSLoadedClasses")).toStringList();
                int registered = 0;
                for (const QString& name : names) {
                    const auto* cls = registry.lookup<zelk::QVEActionClass>(name);
                    if (!cls || !cls->registerActionClass() || m_pluginsClass.contains(cls))
                        continue;
                    QVEModelsManager::sharedManager().addClass(*cls);
                    m_pluginsClass.append(cls);
                    ++registered;
                }
                if (registered == 0)
                    zelk::zlog("QVEController", "finishLaunching")
                        << "Bad plugin" << n.userInfo.value(QStringLiteral("bundlePath")).toString() << "- no action classes";
            });
        if (bundle.isValid())
            registry.loadPluginsInFolder(bundle.builtInPlugInsPath());
    }

    for (const zelk::QVEActionClass* cls : std::as_const(m_pluginsClass)) {
        // A plug-in's failure here costs only its own pasteboard types.
        try {
            QVEActionsManager::sharedManager().addActionsPboardTypes(cls->pasteboardTypes());
        } catch (const std::exception& e) {
            zelk::zlog("QVEController", "finishLaunching") << cls->className() << "- exception:" << e.what();
        } catch (...) {
            zelk::zlog("QVEController", "finishLaunching") << cls->className() << "- unknown exception";
        }
    }
}

bool QVEController::setupDefaultData()
{
    const QString folder = ObjectsFile::objectsFolder();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        zelk::zlog("QVEController", "setupDefaultData") << "no data folder" << folder;
        QVUtility::sharedUtility().runAlertPanelWithTitle(loc(QStringLiteral("FirstRun")), loc(QStringLiteral("InfoFirstRun")),
                                                          loc(QStringLiteral("Close")), {}, {});
        terminate();
        return false;
    }
    m_objectsPath = folder;
    return true;
}

QString QVEController::prefsPathForDataType(int type)
{
    if (type != 1 && type != 2)
        return {};
    if (m_objectsPath.isEmpty() && !setupDefaultData())
        return {};
    return m_objectsPath;
}

bool QVEController::readPrefs()
{
    const QString folder = prefsPathForDataType(1);
    ObjectStore* store = ObjectStore::sharedStore();
    if (folder.isEmpty() || !store)
        return false;
    // A second read (revert) starts from nothing, as the first one does:
    // the lists would otherwise hold everything twice.
    const bool reread = std::exchange(m_read, true);
    store->clear();
    zelk::QVEAction::setNextActionID(0);
    QVContext::setNextContextID(0);
    QVLauncher::setNextLauncherID(0);
    QVShortcut::setNextShortcutID(0);
    QVMenu::setNextMenuID(0);
    QVPalette::setNextPaletteID(0);
    for (QUndoStack* stack : {QVEShortcutsManager::sharedManager().undoManager(), QVEMenusManager::sharedManager().undoManager(),
                              QVEPalettesManager::sharedManager().undoManager(), QVELaunchersManager::sharedManager().undoManager(),
                              QVEActionsManager::sharedManager().undoManager()})
        stack->clear();

    QString why;
    const bool whole = store->load(folder, &why);
    m_saveRefusal = whole ? QString() : why;
    if (!whole) {
        zelk::zlog("QVEController", "readPrefs") << "damaged data files, saving is off until they are repaired:" << why;
        QVUtility::sharedUtility().runAlertPanelWithTitle(loc(QStringLiteral("FichiersEndommages")),
                                                          locFormat(QStringLiteral("FichiersEndommagesInfo"), {why}),
                                                          QStringLiteral("OK"), {}, {});
    }

    // Every list and open view drops what it showed of the old objects.
    if (reread) {
        for (const Kind kind : ObjectsFile::order())
            postUpdate(kind, kQVUpdateReloadAction);
    }

    const QVariantMap windowPref = defaults().dictionaryForKey(QStringLiteral("WindowPref"));
    if (!windowPref.isEmpty()) {
        if (QVEMainWindowLink* window = mainWindow())
            window->setWindowPref(windowPref);
    }
    const QVariantMap libraryPref = defaults().dictionaryForKey(QStringLiteral("LibraryPref"));
    if (!libraryPref.isEmpty())
        QVELibrary::sharedLibrary().setLibraryPref(libraryPref);
    return whole;
}

bool QVEController::writePrefs()
{
    const QString folder = prefsPathForDataType(1);
    ObjectStore* store = ObjectStore::sharedStore();
    if (folder.isEmpty() || !store) {
        reportSaveFailure(loc(QStringLiteral("PasDeDossier")));
        return false;
    }
    if (!m_saveRefusal.isEmpty()) {
        // What was read of a damaged file is not all there is: saving the
        // rest would drop what leans on it (the universal context and every
        // link to it).
        reportSaveFailure(m_saveRefusal);
        return false;
    }
    QString why;
    if (!store->save(folder, &why)) {
        reportSaveFailure(why);
        return false;
    }
    if (QVEMainWindowLink* window = m_mainWindow)
        defaults().setValue(QStringLiteral("WindowPref"), window->windowPref());
    defaults().setValue(QStringLiteral("LibraryPref"), QVELibrary::sharedLibrary().libraryPref());
    return true;
}

void QVEController::reportSaveFailure(const QString& why)
{
    zelk::zlog("QVEController", "writePrefs") << "not saved:" << why;
    QVUtility::sharedUtility().runAlertPanelWithTitle(loc(QStringLiteral("ImpossibleEnregistrer")),
                                                      locFormat(QStringLiteral("FichiersNonEnregistres"), {why}),
                                                      QStringLiteral("OK"), {}, {});
}

void QVEController::openObjectsToEdit()
{
    const QString path = QDir(prefsPathForDataType(1)).filePath(QStringLiteral("objecttoedit.plist"));
    if (!QFileInfo::exists(path))
        return;
    const std::optional<QVariant> value = zelk::plist::readFile(path);
    const QVariant ids = value ? value->toMap().value(QStringLiteral("actiontoedit")) : QVariant();
    if (ids.metaType().id() == QMetaType::QVariantList) {
        QList<quint32> list;
        for (const QVariant& id : ids.toList()) {
            if (zelk::plist::integerValue(id))
                list.append(uintValue(id));
        }
        QVEActionsManager::sharedManager().editActionsID(list);
    }
    if (!QFile::remove(path))
        zelk::zlog("QVEController", "finishLaunching") << "cannot delete" << path;
}

QString QVEController::conflictingHotKeys()
{
    zelk::UserDefaults& shared = zelk::UserDefaults::shared();
    shared.reload();
    if (shared.contains(QStringLiteral("GEHotkeyConflict")))
        return {};
    return QVELaunchersManager::sharedManager().labelOfConflictingKeyBasedLaunchers();
}

void QVEController::warnOfHotKeyConflicts(const QString& label)
{
    if (label.isEmpty())
        return;
    const int answer = QVUtility::sharedUtility().runAlertPanelWithTitle(
        locFormat(QStringLiteral("ConflitSystem1"), {label}), loc(QStringLiteral("ConflitSystem2")), QStringLiteral("OK"),
        loc(QStringLiteral("NePlusRappeler")), {});
    if (answer == 0)
        QVEPreferencesEditor::sharedEditor().setValueForKey(false, QStringLiteral("GEHotkeyConflict"));
}

// --- Menu commands ------------------------------------------------------------------------------

bool QVEController::MIUpdateNow()
{
    m_lastSaveFailed = !writePrefs();
    if (m_lastSaveFailed)
        return false;
    EditorCommand::post(QLatin1String(EditorCommand::UpdateObjects));
    return true;
}

void QVEController::saveAndTerminate()
{
    // Quitting on a failed save would lose what the user meant to keep.
    if (MIUpdateNow())
        terminate();
}

void QVEController::terminate()
{
    emit quitRequested();
}

void QVEController::MIPreferences() { QVEPreferencesEditor::sharedEditor().editPreferences(); }

void QVEController::MICheckVersion() { EditorCommand::post(QLatin1String(EditorCommand::SparkleCheck)); }
void QVEController::MIStopShortcuts() { EditorCommand::post(QLatin1String(EditorCommand::StopShortcuts)); }
void QVEController::MIImport() { QVEImporter::sharedImporter().tryImport(); }

void QVEController::MILibrary()
{
    QVELibrary& library = QVELibrary::sharedLibrary();
    library.setMenuForObjects([this](const QList<zelk::QVEMainObject*>& objects) { return menuForObjects(objects); });
    library.display();
}

QVariantList QVEController::selectedContextRecords()
{
    QVEMainWindowLink* window = mainWindow();
    QVContext* context = window ? window->selectedContext() : nullptr;
    if (!context)
        return {};
    return {context->dictValue()};
}

void QVEController::MINewMenu()
{
    const QVariantList contexts = selectedContextRecords();
    if (contexts.isEmpty())
        QVEMenusManager::sharedManager().newMenu();
    else
        QVEMenusManager::sharedManager().newMenuWithContexts(contexts);
}

void QVEController::MINewPalette()
{
    const QVariantList contexts = selectedContextRecords();
    if (contexts.isEmpty())
        QVEPalettesManager::sharedManager().newPalette();
    else
        QVEPalettesManager::sharedManager().newPaletteWithContexts(contexts);
}

void QVEController::addObject(const QVariantMap& model)
{
    const QVariantList actions = QVEActionsManager::sharedManager().newActionsWithModels({model});
    const QVariantList contexts = selectedContextRecords();
    if (contexts.isEmpty())
        QVEShortcutsManager::sharedManager().newShortcutWithActions(actions);
    else
        QVEShortcutsManager::sharedManager().newShortcutWithActions(actions, contexts);
}

void QVEController::MIContact()
{
    const QString text = QStringLiteral("%1?Question1=&Question2=&Question4=%2&Question15=Linux&Question5=%3&Question6=%4")
                             .arg(QLatin1String(kSupportPage), QStringLiteral("Zelk"), zelk::Bundle::main().version(),
                                  QSysInfo::prettyProductName());
    openURL(stringForMail(text));
}

void QVEController::MISiteUpdate() { openURL(QLatin1String(kProductPage)); }
void QVEController::showManual() { openURL(QLatin1String(kManualURL)); }
void QVEController::showHelp() { openURL(QLatin1String(kOnlineManual)); }
void QVEController::showHelpWithSubject(const QString&) { openURL(QLatin1String(kManualURL)); }

// --- Services ---------------------------------------------------------------------------------

QVEShortcutsManager& QVEController::shortcutsManager() { return QVEShortcutsManager::sharedManager(); }
QVEMenusManager& QVEController::menusManager() { return QVEMenusManager::sharedManager(); }
QVEPalettesManager& QVEController::palettesManager() { return QVEPalettesManager::sharedManager(); }

void QVEController::arrangeInFront()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && !w->isMinimized())
            w->raise();
    }
}

void QVEController::addMissingPlugin(const QString& className)
{
    if (m_missingPlugins.contains(className))
        return;
    m_missingPlugins.append(className);
    QVUtility::sharedUtility().runAlertPanelWithTitle(locFormat(QStringLiteral("PluginManquant"), {className}),
                                                      loc(QStringLiteral("RaccourciInactif")), QStringLiteral("OK"), {}, {});
}

void QVEController::makeActiveWithWindow(QWidget* window, int waitLimitMs)
{
    if (!window)
        return;
    window->activateWindow();
    QPointer<QWidget> target(window);
    auto bringFront = [target] {
        if (!target)
            return;
        target->show();
        target->raise();
        target->activateWindow();
        // A modal run keeps the keyboard.
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != target)
            modal->activateWindow();
    };
    if (QGuiApplication::applicationState() == Qt::ApplicationActive) {
        bringFront();
        return;
    }
    // Wait for the desktop to make us active, but not for ever: a desktop
    // that never does would keep the window back for good.
    auto* waiter = new QObject(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, waiter, [waiter, bringFront](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            return;
        bringFront();
        waiter->deleteLater();
    });
    QTimer::singleShot(waitLimitMs, waiter, [waiter, bringFront] {
        zelk::zlog("QVEController", "makeFrontWindow") << "the editor did not become active in time; raising the window anyway";
        bringFront();
        waiter->deleteLater();
    });
}

QMenu* QVEController::menuForObjects(const QList<zelk::QVEMainObject*>& objects)
{
    if (objects.isEmpty())
        return nullptr;
    auto* menu = new QMenu;
    for (zelk::QVEMainObject* object : objects) {
        QString title;
        QImage image;
        if (auto* s = dynamic_cast<QVShortcut*>(object)) {
            title = s->linkNameValue();
            image = s->imageValueWithSize(16);
        } else if (auto* m = dynamic_cast<QVMenu*>(object)) {
            title = m->linkNameValue();
            image = m->imageValueWithSize(16);
        } else if (auto* p = dynamic_cast<QVPalette*>(object)) {
            title = p->linkNameValue();
            image = p->imageValueWithSize(16);
        } else {
            continue;
        }
        auto* item = new QAction(QIcon(QPixmap::fromImage(image)), title, menu);
        connect(item, &QAction::triggered, this, [this, object] { editObjectFromMenu(object); });
        const QList<QAction*> existing = menu->actions();
        const auto before = std::find_if(existing.cbegin(), existing.cend(), [&title](const QAction* a) {
            return a->text().compare(title, Qt::CaseInsensitive) >= 0;
        });
        menu->insertAction(before == existing.cend() ? nullptr : *before, item);
    }
    return menu;
}

void QVEController::editObjectFromMenu(zelk::QVEMainObject* object)
{
    if (auto* s = dynamic_cast<QVShortcut*>(object))
        QVEShortcutsManager::sharedManager().editObjectsID({s->IDValue()});
    else if (auto* m = dynamic_cast<QVMenu*>(object))
        QVEMenusManager::sharedManager().editObjectsID({m->IDValue()});
    else if (auto* p = dynamic_cast<QVPalette*>(object))
        QVEPalettesManager::sharedManager().editObjectsID({p->IDValue()});
}

QString QVEController::stringForMail(const QString& text)
{
    // What a URL may hold as it is stays; everything else is escaped as UTF-8.
    return QString::fromLatin1(QUrl::toPercentEncoding(text, "!#$&'()*+,/:;=?@[]~"));
}

void QVEController::tryTestEditedObject()
{
    if (auto* editor = dynamic_cast<QVETestableEditor*>(QApplication::activeWindow())) {
        editor->testEditedObject();
        return;
    }
    QVUtility::sharedUtility().playFailSound();
}

// --- Engine messages and the report -------------------------------------------------------------

void QVEController::launcherNotification(const QVariantMap& userInfo)
{
    // Any program of the session may post this: only well-formed messages count.
    const QString verb = userInfo.value(QStringLiteral("action")).toString();
    if (verb == QLatin1String("report")) {
        const QVariant text = userInfo.value(QStringLiteral("report"));
        if (text.metaType().id() == QMetaType::QString)
            addToReport(text.toString());
    } else if (verb == QLatin1String("editaction")) {
        const QVariant id = userInfo.value(QStringLiteral("param0"));
        if (const std::optional<qint64> value = zelk::plist::integerValue(id); value && *value >= 0 && *value <= 0xFFFFFFFFll)
            QVEActionsManager::sharedManager().editActionsID({quint32(*value)});
    } else if (verb == QLatin1String("testedited")) {
        tryTestEditedObject();
    }
}

QVEReportWindow* QVEController::reportWindow()
{
    if (!m_reportWindow) {
        m_reportWindow = std::make_unique<QVEReportWindow>();
        connect(m_reportWindow.get(), &QVEReportWindow::cleanRequested, this, &QVEController::cleanReport);
    }
    return m_reportWindow.get();
}

void QVEController::initReport()
{
    if (m_reportInit)
        return;
    QVEReportWindow* window = reportWindow();
    const QString folder = prefsPathForDataType(2);
    if (!folder.isEmpty()) {
        const QString path = QDir(folder).filePath(QStringLiteral("Report.plist"));
        if (QFileInfo::exists(path)) {
            QString why;
            const std::optional<QVariant> value = zelk::plist::readFile(path, &why);
            if (value && value->metaType().id() == QMetaType::QVariantMap) {
                // QVariantMap keeps its keys in ascending order: the days in turn.
                const QVariantMap days = value->toMap();
                for (auto it = days.cbegin(); it != days.cend(); ++it)
                    window->appendText(it.value().toString());
            } else {
                zelk::zlog("QVEController", "initReport") << "cannot read" << path << why;
            }
        }
    }
    window->center();
    m_reportInit = true;
}

void QVEController::addToReport(const QString& text)
{
    initReport();
    reportWindow()->appendText(text);
}

void QVEController::MIShowReport()
{
    initReport();
    reportWindow()->showAtEnd();
}

void QVEController::cleanReport()
{
    reportWindow()->clearText();
    EditorCommand::post(QLatin1String(EditorCommand::CleanReport));
}

// --- Opened and dropped files -------------------------------------------------------------------

bool QVEController::openFile(const QString& path)
{
    addFileDrop(path);
    return false;
}

void QVEController::addFileDrop(const QString& path)
{
    if (path.isEmpty())
        return;
    m_pendingPaths.append(path);
    if (m_pendingPaths.size() > 1)
        return;
    if (!m_dropTimer) {
        m_dropTimer = new QTimer(this);
        m_dropTimer->setSingleShot(true);
        connect(m_dropTimer, &QTimer::timeout, this, &QVEController::flushFileDrops);
    }
    m_dropTimer->start(kDropBatchMs);
}

void QVEController::flushFileDrops()
{
    if (m_dropTimer)
        m_dropTimer->stop();
    const QStringList paths = std::exchange(m_pendingPaths, {});
    if (paths.isEmpty())
        return;
    if (QVEImporter::extensionIsValidForPath(paths.first())) {
        if (QVEMainWindowLink* window = mainWindow(); window && window->window())
            makeActiveWithWindow(window->window());
        int imported = 0;
        for (const QString& path : paths) {
            if (QVEImporter::extensionIsValidForPath(path) && QVEImporter::sharedImporter().importFromFile(path))
                ++imported;
        }
        zelk::zlog("QVEController", "addFileDrop") << "imported" << imported << "of" << paths.size() << "opened files";
        return;
    }
    QMimeData drop;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    drop.setUrls(urls);
    const std::optional<QVariantMap> model = QVEPboardManager::sharedManager().modelForPasteboard(&drop, QApplication::activeWindow());
    if (!model)
        return;
    QVEActionsManager::sharedManager().newActionsForClass(model->value(QStringLiteral("modelclass")).toString(),
                                                          intValue(model->value(QStringLiteral("modelID"))), &drop);
}

// --- Key routing ------------------------------------------------------------------------------------

bool QVEController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    // Each key press passes the filter once per widget it is offered to;
    // only the first offer, to the focused widget, is routed.
    if (watched != QApplication::focusWidget() && QApplication::focusWidget())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && viewRespondsToVerb(focus, QStringLiteral("edit"))) {
            viewPerformVerb(focus, QStringLiteral("edit"), this);
            return true;
        }
    }
    QWidget* window = QApplication::activeWindow();
    if (auto* editor = dynamic_cast<QVEObjectEditor*>(window); editor && editor->wantKeyEvent()) {
        editor->keyEvent(key);
        return true;
    }
    if (auto* editor = dynamic_cast<zelk::QVEActionEditorInterface*>(window); editor && editor->wantKeyEvent()) {
        editor->keyEvent(key);
        return true;
    }
    return false;
}

} // namespace editor
