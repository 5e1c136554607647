#include "QVEWindow.h"

#include "Geometry.h"
#include "Log.h"
#include "ModelSupport.h"
#include "QVAnimationWindow.h"
#include "QVContext.h"
#include "QVEActionsManager.h"
#include "QVEContextsManager.h"
#include "QVEContextsViewer.h"
#include "QVELaunchersManager.h"
#include "QVEMenusManager.h"
#include "QVEObjectsViewer.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"
#include "QVMenu.h"
#include "QVPalette.h"
#include "QVShortcut.h"
#include "QVUtility.h"
#include "StripedTableView.h"
#include "TableCommandGate.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPixmap>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUndoGroup>
#include <QVBoxLayout>

namespace editor {

static constexpr quint32 kNoContextSelected = 999999;

// Closing the main window asks first (windowShouldClose).
class MainWindowFrame : public QMainWindow {
public:
    explicit MainWindowFrame(QVEWindow* owner) : m_owner(owner) {}

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (m_owner->windowShouldClose())
            event->accept();
        else
            event->ignore();
    }

private:
    QVEWindow* m_owner;
};

struct QVEWindow::Parts {
    explicit Parts(QVEWindow* owner) : window(owner) {}

    MainWindowFrame window;
    QToolBar* toolbar = nullptr;
    QLineEdit* searchField = nullptr;
    QToolButton* addButton = nullptr;
    QToolButton* deleteButton = nullptr;
    QToolButton* editButton = nullptr;
    QToolButton* duplicateButton = nullptr;
    QToolButton* libraryButton = nullptr;
    QSplitter* split = nullptr;
    QLabel* topInfo = nullptr;
    QLabel* bottomInfo = nullptr;
    QTabWidget* tabs = nullptr;
    QVEOutlineView* contextsOutline = nullptr;
    QToolButton* addContextButton = nullptr;
    QToolButton* deleteContextButton = nullptr;
    StripedTableView* tables[3] = {};
    QVEContextsViewer* contextsViewer = nullptr;
    QVEObjectsViewer* viewers[3] = {};
    QUndoGroup undoGroup;
    bool displayed = false;
};

std::unique_ptr<QVEWindow> QVEWindow::create()
{
    return std::unique_ptr<QVEWindow>(new QVEWindow);
}

QVEWindow& QVEWindow::sharedWindow()
{
    // Made on first use and kept for the process: the lists and the
    // managers' undo stacks refer to it until the end.
    static QVEWindow* window = new QVEWindow;
    return *window;
}

// A standard action's icon from the desktop's theme, else our own picture
// of the item's name.
static QIcon themeIcon(const QString& themeName, const QString& ownName)
{
    const QImage own = QVUtility::sharedUtility().imageWithName(ownName);
    return QIcon::fromTheme(themeName, own.isNull() ? QIcon() : QIcon(QPixmap::fromImage(own)));
}

static QToolButton* toolbarButton(QWidget* parent, const QString& identifier, const QString& icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(identifier);
    button->setText(loc(identifier));
    button->setToolTip(loc(identifier + QStringLiteral("Tip")));
    button->setAccessibleName(loc(identifier));
    button->setIcon(themeIcon(icon, identifier));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    return button;
}

static QWidget* spacer(QWidget* parent, bool flexible)
{
    auto* space = new QWidget(parent);
    if (flexible)
        space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    else
        space->setFixedWidth(8);
    return space;
}

QVEWindow::QVEWindow() : m_parts(new Parts(this))
{
    Parts& p = *m_parts;
    p.window.setObjectName(QStringLiteral("QVEWindow"));
    p.window.setWindowTitle(QStringLiteral("Zelk Editor"));
    p.window.setAccessibleName(QStringLiteral("Zelk Editor"));

    // The toolbar, in the default order of its items.
    p.toolbar = new QToolBar(&p.window);
    p.toolbar->setObjectName(QStringLiteral("objectsToolbar"));
    p.toolbar->setAccessibleName(loc(QStringLiteral("objectsToolbar")));
    p.toolbar->setMovable(false);
    p.addButton = toolbarButton(p.toolbar, QStringLiteral("AddTBItem"), QStringLiteral("list-add"));
    p.deleteButton = toolbarButton(p.toolbar, QStringLiteral("DeleteTBItem"), QStringLiteral("list-remove"));
    p.editButton = toolbarButton(p.toolbar, QStringLiteral("EditTBItem"), QStringLiteral("document-edit"));
    p.duplicateButton = toolbarButton(p.toolbar, QStringLiteral("DuplicateTBItem"), QStringLiteral("edit-copy"));
    p.libraryButton = toolbarButton(p.toolbar, QStringLiteral("LibraryTBItem"), QStringLiteral("folder"));
    p.searchField = new QLineEdit(p.toolbar);
    p.searchField->setObjectName(QStringLiteral("SearchTBItem"));
    p.searchField->setAccessibleName(loc(QStringLiteral("SearchTBItem")));
    p.searchField->setToolTip(loc(QStringLiteral("SearchTBItemTip")));
    p.searchField->setPlaceholderText(loc(QStringLiteral("SearchTBItem")));
    p.searchField->setClearButtonEnabled(true);
    p.searchField->setMinimumWidth(160);
    p.searchField->setMaximumWidth(360);
    p.searchField->addAction(themeIcon(QStringLiteral("edit-find"), QStringLiteral("SearchTBItem")),
                             QLineEdit::LeadingPosition);
    p.toolbar->addWidget(spacer(p.toolbar, false));
    p.toolbar->addWidget(spacer(p.toolbar, false));
    p.toolbar->addWidget(spacer(p.toolbar, true));
    for (QToolButton* button : {p.addButton, p.deleteButton, p.editButton, p.duplicateButton})
        p.toolbar->addWidget(button);
    p.toolbar->addSeparator();
    p.toolbar->addWidget(p.libraryButton);
    p.toolbar->addWidget(p.searchField);
    p.toolbar->addWidget(spacer(p.toolbar, false));
    p.window.addToolBar(p.toolbar);

    // Left: the contexts pane; right: the three lists between the info lines.
    p.split = new QSplitter(Qt::Horizontal, &p.window);
    p.split->setObjectName(QStringLiteral("QVWSplit"));
    p.split->setChildrenCollapsible(false);
    auto* left = new QWidget(p.split);
    left->setObjectName(QStringLiteral("contextsPane"));
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(2);
    p.contextsOutline = new QVEOutlineView(left);
    p.contextsOutline->setObjectName(QStringLiteral("CVContextsTable"));
    p.contextsOutline->setAccessibleName(loc(QStringLiteral("ContextsPane")));
    leftLayout->addWidget(p.contextsOutline);
    auto* contextButtons = new QHBoxLayout;
    p.addContextButton = new QToolButton(left);
    p.addContextButton->setObjectName(QStringLiteral("CVAddButton"));
    p.addContextButton->setAccessibleName(loc(QStringLiteral("AddContext")));
    p.addContextButton->setToolTip(loc(QStringLiteral("AddContext")));
    p.addContextButton->setIcon(themeIcon(QStringLiteral("list-add"), QStringLiteral("AddTBItem")));
    p.addContextButton->setPopupMode(QToolButton::InstantPopup);
    p.deleteContextButton = new QToolButton(left);
    p.deleteContextButton->setObjectName(QStringLiteral("CVDeleteButton"));
    p.deleteContextButton->setAccessibleName(loc(QStringLiteral("DeleteContext")));
    p.deleteContextButton->setToolTip(loc(QStringLiteral("DeleteContext")));
    p.deleteContextButton->setIcon(themeIcon(QStringLiteral("list-remove"), QStringLiteral("DeleteTBItem")));
    contextButtons->addWidget(p.addContextButton);
    contextButtons->addWidget(p.deleteContextButton);
    contextButtons->addStretch();
    leftLayout->addLayout(contextButtons);

    auto* right = new QWidget(p.split);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    p.topInfo = new QLabel(right);
    p.topInfo->setObjectName(QStringLiteral("QVWTopInfoField"));
    p.topInfo->setAccessibleName(loc(QStringLiteral("TopInfoField")));
    p.tabs = new QTabWidget(right);
    p.tabs->setObjectName(QStringLiteral("QVWMainTabView"));
    p.tabs->setAccessibleName(loc(QStringLiteral("MainTabView")));
    p.bottomInfo = new QLabel(right);
    p.bottomInfo->setObjectName(QStringLiteral("QVWBottomInfoField"));
    p.bottomInfo->setAccessibleName(loc(QStringLiteral("BottomInfoField")));
    rightLayout->addWidget(p.topInfo);
    rightLayout->addWidget(p.tabs, 1);
    rightLayout->addWidget(p.bottomInfo);
    p.split->addWidget(left);
    p.split->addWidget(right);
    p.split->setStretchFactor(1, 1);
    p.split->setSizes({200, 560});
    p.window.setCentralWidget(p.split);

    const char* tableNames[] = {"SVShortcutsTable", "MVMenusTable", "PVPalettesTable"};
    for (int i = 0; i < 3; ++i) {
        p.tables[i] = new StripedTableView(p.tabs);
        p.tables[i]->setObjectName(QLatin1String(tableNames[i]));
        p.tables[i]->horizontalHeader()->setStretchLastSection(true);
    }
    p.viewers[0] = new QVEShortcutsViewer(p.tables[0], this, this);
    p.viewers[1] = new QVEMenusViewer(p.tables[1], this, this);
    p.viewers[2] = new QVEPalettesViewer(p.tables[2], this, this);
    for (int i = 0; i < 3; ++i) {
        const QString title = p.viewers[i]->windowTitle();
        p.tables[i]->setAccessibleName(title);
        const int tab = p.tabs->addTab(p.tables[i], title);
        p.tabs->widget(tab)->setProperty("tabIdentifier", QString::number(i + 1));
        p.viewers[i]->setMenuForObjects([this](const QList<zelk::QVEMainObject*>& objects) -> QMenu* {
            return m_application ? m_application->menuForObjects(objects) : nullptr;
        });
    }
    p.contextsViewer = new QVEContextsViewer(p.contextsOutline, p.deleteContextButton, this, this);

    auto* addMenu = new QMenu(p.addContextButton);
    for (int type = 0; type <= 4; ++type) {
        QAction* item = addMenu->addAction(loc(QStringLiteral("ContextTypeName%1").arg(type)));
        item->setData(type);
        connect(item, &QAction::triggered, this, [this, type] { m_parts->contextsViewer->addObject(type); });
    }
    p.addContextButton->setMenu(addMenu);

    connect(p.addButton, &QToolButton::clicked, this, &QVEWindow::addMainObject);
    connect(p.deleteButton, &QToolButton::clicked, this, &QVEWindow::deleteMainObjects);
    connect(p.editButton, &QToolButton::clicked, this, &QVEWindow::editMainObjects);
    connect(p.duplicateButton, &QToolButton::clicked, this, &QVEWindow::duplicateMainObjects);
    connect(p.libraryButton, &QToolButton::clicked, this, &QVEWindow::displayLibrary);
    connect(p.searchField, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_currentMainViewer)
            m_currentMainViewer->showObjectsNameContains(text);
    });
    connect(p.tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_parts->displayed && index >= 0)
            showMainViewerWithIdentifier(index + 1);
    });
    auto* find = new QAction(&p.window);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, &QVEWindow::find);
    p.window.addAction(find);

    // The edit commands' key equivalents work in this window, and the Undo
    // and Redo commands act on the focused list's manager.
    TableCommandGate& gate = TableCommandGate::sharedGate();
    p.window.addActions(gate.actions());
    p.undoGroup.addStack(QVEShortcutsManager::sharedManager().undoManager());
    p.undoGroup.addStack(QVEMenusManager::sharedManager().undoManager());
    p.undoGroup.addStack(QVEPalettesManager::sharedManager().undoManager());
    p.undoGroup.addStack(QVEContextsManager::sharedManager().undoManager());
    p.undoGroup.addStack(QVELaunchersManager::sharedManager().undoManager());
    p.undoGroup.addStack(QVEActionsManager::sharedManager().undoManager());
    connect(&gate, &TableCommandGate::focusedViewChanged, this, [this](QAbstractItemView* view) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || focus->window() != &m_parts->window)
            return;
        QVETableVerbTarget* delegate = view ? viewVerbDelegate(view) : nullptr;
        m_parts->undoGroup.setActiveStack(delegate ? delegate->undoManager() : nullptr);
    });
    p.window.resize(760, 480);
}

QVEWindow::~QVEWindow()
{
    delete m_parts;
}

void QVEWindow::setApplication(QVEWindowApplication* application)
{
    m_application = application;
}

QMainWindow* QVEWindow::window() const
{
    return &m_parts->window;
}

void QVEWindow::display()
{
    Parts& p = *m_parts;
    p.contextsViewer->initViewer();
    for (QVEObjectsViewer* viewer : p.viewers)
        viewer->initViewer();
    const int layoutTab = p.tabs->currentIndex();
    int tab = layoutTab;
    if (m_windowPrefDict.contains(QStringLiteral("rect2"))) {
        bool ok = false;
        const QRectF frame = zelk::rectFromString(m_windowPrefDict.value(QStringLiteral("rect2")).toString(), &ok);
        if (ok && frame.isValid())
            p.window.setGeometry(frame.toRect());
        const QRectF left = zelk::rectFromString(m_windowPrefDict.value(QStringLiteral("leftsplitrect")).toString(), &ok);
        if (ok && left.width() > 0) {
            const QList<int> sizes = p.split->sizes();
            const int total = sizes.value(0) + sizes.value(1);
            p.split->setSizes({int(left.width()), std::max(1, total - int(left.width()))});
        }
        const QVariantList selections = m_windowPrefDict.value(QStringLiteral("mainobjectsselection")).toList();
        for (int i = 0; i < 3 && i < selections.size(); ++i)
            p.viewers[i]->setSelectionDict(selections[i].toMap());
        const QString identifier = m_windowPrefDict.value(QStringLiteral("mainobject")).toString();
        tab = 0;
        for (int i = 0; i < p.tabs->count(); ++i) {
            if (p.tabs->widget(i)->property("tabIdentifier").toString() == identifier)
                tab = i;
        }
    } else {
        // First start: centred on the screen.
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame = p.window.frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            p.window.move(frame.topLeft());
        }
    }
    {
        const QSignalBlocker blocker(p.tabs);
        p.tabs->setCurrentIndex(tab);
    }
    p.displayed = true;
    // The selected tab's list is connected whether or not the tab changed.
    showMainViewerWithIdentifier(p.tabs->currentIndex() + 1);
    p.contextsViewer->connectViewer();
    const quint32 contextID = uintValue(m_windowPrefDict.value(QStringLiteral("selectedcontextid"), 0));
    if (QVContext* context = QVEContextsManager::sharedManager().contextWithID(contextID))
        p.contextsViewer->showItem(context, true);
    p.window.show();
    p.window.raise();
    p.window.activateWindow();
}

void QVEWindow::setWindowPref(const QVariantMap& windowPref)
{
    m_windowPrefDict = windowPref;
}

QVariantMap QVEWindow::windowPref() const
{
    Parts& p = *m_parts;
    QVariantList selections;
    for (QVEObjectsViewer* viewer : p.viewers)
        selections << viewer->selectionDict();
    QVContext* selected = p.contextsViewer->selectedObject();
    const QWidget* left = p.split->widget(0);
    return {{"rect2", zelk::stringFromRect(QRectF(p.window.geometry()))},
            {"leftsplitrect", zelk::stringFromRect(QRectF(left->geometry()))},
            {"mainobject", qint64(m_lastMainViewerIdentifier)},
            {"mainobjectsselection", selections},
            {"selectedcontextid", qint64(selected ? selected->IDValue() : kNoContextSelected)}};
}

void QVEWindow::showMainViewerWithIdentifier(int identifier)
{
    if (identifier == m_lastMainViewerIdentifier)
        return;
    if (m_lastMainViewerIdentifier > 0 && m_currentMainViewer) {
        m_currentMainViewer->disconnectViewer();
        m_currentMainViewer->showObjectsNameContains(QString());
    }
    m_lastMainViewerIdentifier = identifier;
    if (identifier >= 1 && identifier <= 3)
        m_currentMainViewer = m_parts->viewers[identifier - 1];
    if (!m_currentMainViewer)
        return;
    m_currentMainViewer->connectViewer();
    {
        // The new list starts with no name filter; the field follows.
        const QSignalBlocker blocker(m_parts->searchField);
        m_parts->searchField->clear();
    }
    m_currentMainViewer->showObjectsNameContains(QString());
    m_parts->contextsViewer->reselectViewer();
    TableCommandGate::sharedGate().refresh();
}

void QVEWindow::showMainObject(QVEMainModel* object)
{
    int identifier = 0;
    if (dynamic_cast<QVShortcut*>(object))
        identifier = 1;
    else if (dynamic_cast<QVMenu*>(object))
        identifier = 2;
    else if (dynamic_cast<QVPalette*>(object))
        identifier = 3;
    if (identifier == 0)
        return;
    if (identifier != m_lastMainViewerIdentifier)
        m_parts->tabs->setCurrentIndex(identifier - 1);
    if (!m_parts->displayed)
        showMainViewerWithIdentifier(identifier);
    const QVariantList refs = object->contextsDictArray();
    if (refs.isEmpty())
        return;
    const quint32 contextID = uintValue(refs.first().toMap().value(QStringLiteral("cutcontextID")));
    m_parts->contextsViewer->showItem(QVEContextsManager::sharedManager().contextWithID(contextID), true);
    if (m_currentMainViewer)
        m_currentMainViewer->showMainObject(object);
}

std::optional<QPoint> QVEWindow::locationOfObject(QVEModelObject* object) const
{
    return m_currentMainViewer ? m_currentMainViewer->locationOfObject(object) : std::nullopt;
}

void QVEWindow::maybeAnimateOpen(QWidget* editorWindow, const QRect& frame, QVEModelObject* object)
{
    if (!editorWindow)
        return;
    const bool animate = m_application && !m_application->dontAnimateEditingWindow();
    const std::optional<QPoint> point = animate ? locationOfObject(object) : std::nullopt;
    if (!point) {
        editorWindow->setGeometry(frame);
        editorWindow->show();
        editorWindow->raise();
        editorWindow->activateWindow();
        return;
    }
    editorWindow->setGeometry(QRect(*point, QSize(1, 1)));
    editorWindow->show();
    editorWindow->raise();
    editorWindow->activateWindow();
    auto* grow = new QPropertyAnimation(editorWindow, "geometry", editorWindow);
    grow->setDuration(QVAnimationWindow::animationResizeTime(frame));
    grow->setStartValue(QRect(*point, QSize(1, 1)));
    grow->setEndValue(frame);
    grow->start(QAbstractAnimation::DeleteWhenStopped);
}

void QVEWindow::maybeAnimateClose(QWidget* editorWindow, QVEModelObject* object)
{
    if (!editorWindow || !m_application || m_application->dontAnimateEditingWindow())
        return;
    const std::optional<QPoint> point = locationOfObject(object);
    if (!point)
        return;
    // The caller closes the window when this returns: the shrink runs to its end first.
    QPropertyAnimation shrink(editorWindow, "geometry");
    const QRect target(*point, QSize(1, 1));
    shrink.setDuration(QVAnimationWindow::animationResizeTime(target));
    shrink.setStartValue(editorWindow->geometry());
    shrink.setEndValue(target);
    QEventLoop loop;
    connect(&shrink, &QPropertyAnimation::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(shrink.duration() * 4, &loop, &QEventLoop::quit);
    shrink.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// --- QVEObjectsWindow --------------------------------------------------------------------------------

void QVEWindow::showAllObjects()
{
    if (m_currentMainViewer)
        m_currentMainViewer->showAllObjects();
}

void QVEWindow::showObjectsWithContextID(quint32 contextID, const QString&)
{
    if (m_currentMainViewer)
        m_currentMainViewer->showObjectsWithContextID(contextID);
}

void QVEWindow::setTopInfoField(const QString& text)
{
    m_parts->topInfo->setText(text);
}

void QVEWindow::setBottomInfoField(const QString& text)
{
    m_parts->bottomInfo->setText(text);
}

void QVEWindow::updateMainShownObjects()
{
    if (m_currentMainViewer)
        m_currentMainViewer->updateShownObjects();
}

void QVEWindow::activateView(QWidget* view)
{
    if (view)
        view->setFocus(Qt::OtherFocusReason);
}

QVContext* QVEWindow::selectedContext() const
{
    return m_parts->contextsViewer->selectedObject();
}

// --- Buttons and commands ----------------------------------------------------------------------------

void QVEWindow::addMainObject()
{
    if (!m_currentMainViewer)
        return;
    if (QVContext* context = selectedContext())
        m_currentMainViewer->newObjectWithContexts({context->dictValue()});
    else
        m_currentMainViewer->newObject();
}

void QVEWindow::deleteMainObjects()
{
    if (m_currentMainViewer)
        m_currentMainViewer->deleteObjects();
}

void QVEWindow::editMainObjects()
{
    if (m_currentMainViewer)
        m_currentMainViewer->editObjects();
}

void QVEWindow::duplicateMainObjects()
{
    if (m_currentMainViewer)
        m_currentMainViewer->duplicateObjects();
}

void QVEWindow::displayLibrary()
{
    if (m_application)
        m_application->MILibrary();
    else
        zelk::zlog("QVEWindow", "displayLibrary") << "no application";
}

void QVEWindow::showHelp()
{
    if (m_application)
        m_application->showHelpWithSubject(QStringLiteral("Zelk Overview"));
    else
        zelk::zlog("QVEWindow", "showHelp") << "no application";
}

void QVEWindow::find()
{
    if (!m_parts->window.isActiveWindow())
        return;
    if (m_parts->toolbar->isHidden())
        m_parts->toolbar->show();
    m_parts->searchField->selectAll();
    m_parts->searchField->setFocus(Qt::ShortcutFocusReason);
}

bool QVEWindow::windowShouldClose()
{
    const int answer = QVUtility::sharedUtility().runAlertPanelWithTitle(
        loc(QStringLiteral("VouloirQuitter")), QStringLiteral("Zelk"), loc(QStringLiteral("Quitter")),
        loc(QStringLiteral("Annuler")), loc(QStringLiteral("Revert & Quit")));
    if (answer == 0)
        return false;
    if (!m_application) {
        zelk::zlog("QVEWindow", "windowShouldClose") << "no application to save or quit";
        return true;
    }
    if (answer == 1) {
        m_application->MIUpdateNow();
        // Quitting after a failed save would throw the changes away.
        if (m_application->lastSaveFailed())
            return false;
    } else {
        m_application->readPrefs();
    }
    // Later, so that the close finishes first.
    QTimer::singleShot(200, this, [this] {
        if (m_application)
            m_application->terminate();
    });
    return true;
}

QUndoGroup* QVEWindow::undoGroup() const
{
    return &m_parts->undoGroup;
}

QVEContextsViewer* QVEWindow::contextsViewer() const
{
    return m_parts->contextsViewer;
}

QVEMainObjectsViewer* QVEWindow::mainViewer(int identifier) const
{
    return identifier >= 1 && identifier <= 3 ? m_parts->viewers[identifier - 1] : nullptr;
}

QLineEdit* QVEWindow::searchField() const
{
    return m_parts->searchField;
}

QString QVEWindow::topInfoText() const
{
    return m_parts->topInfo->text();
}

QString QVEWindow::bottomInfoText() const
{
    return m_parts->bottomInfo->text();
}

} // namespace editor
