#include "QVEItemsEditor.h"

#include "EditorFrame.h"
#include "EditorWidgets.h"
#include "EditorWindowHost.h"
#include "Log.h"
#include "ManagerSupport.h"
#include "ModelSupport.h"
#include "NotificationCenter.h"
#include "QVContext.h"
#include "QVEAction.h"
#include "QVEActionsManager.h"
#include "QVEContextsManager.h"
#include "QVELaunchersManager.h"
#include "QVEMainModel.h"
#include "QVEMenusManager.h"
#include "QVEShortcutsManager.h"
#include "QVLauncher.h"
#include "ReferenceLists.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace editor {

QVEItemsEditor::QVEItemsEditor(Traits traits, RecordListModel::Config itemsConfig, ItemKeys itemKeys)
    : m_traits(std::move(traits)), m_itemsConfig(std::move(itemsConfig)), m_itemKeys(std::move(itemKeys))
{
    m_startTitle = loc(m_traits.startTitleKey);
}

QVEItemsEditor::~QVEItemsEditor()
{
    m_observers.clear();
    // Let go of through a queued call while the application is torn down,
    // deleting a widget would wait on the event queue's lock.
    if (QCoreApplication::closingDown())
        return;
    if (m_isEdited && m_window)
        editorWindowHost().removeWindowsItem(m_window);
    delete m_window;
}

QString QVEItemsEditor::outlet(const char* name) const
{
    return QString::fromLatin1(m_traits.prefix) + QString::fromLatin1(name);
}

// --- The window ---------------------------------------------------------------------------

QTableView* QVEItemsEditor::makeTable(const char* suffix, const QString& accessibleName)
{
    return makeEditorTable(outlet(suffix), accessibleName);
}

void QVEItemsEditor::buildWindow()
{
    m_window = new QWidget(nullptr, Qt::Window);
    m_window->setObjectName(QString::fromLatin1(m_traits.windowName));
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    // Closing the window by its frame is Cancel; becoming key makes the
    // object's undo stack the one Edit acts on.
    m_window->installEventFilter(new EditorWindowWatcher(
        [this] { return m_isEdited; }, [this] { abortEditing(nullptr); },
        [this] {
            if (m_undoStack)
                editorWindowHost().undoStackActivated(m_undoStack);
        },
        m_window));
    auto* layout = new QVBoxLayout(m_window);

    m_nameField = new QLineEdit;
    m_nameField->setObjectName(outlet("NameField"));
    m_nameField->setAccessibleName(loc(m_traits.nameKey));
    passUndoToWindowWhenCommitted(m_nameField, [this] { return m_nameField->text() == m_lastName; });
    buildSettings(layout);

    auto buttonRow = [&](QToolButton** add, const char* addName, const QString& addText, QPushButton** remove,
                         const char* removeName, const QString& removeText) {
        auto* row = new QHBoxLayout;
        if (add) {
            *add = new QToolButton;
            (*add)->setObjectName(outlet(addName));
            (*add)->setAccessibleName(addText);
            (*add)->setText(QStringLiteral("+"));
            (*add)->setPopupMode(QToolButton::InstantPopup);
            row->addWidget(*add);
        }
        *remove = new QPushButton(QStringLiteral("-"));
        (*remove)->setObjectName(outlet(removeName));
        (*remove)->setAccessibleName(removeText);
        row->addWidget(*remove);
        row->addStretch(1);
        return row;
    };

    m_itemsTable = makeTable("ItemsTable", loc(QStringLiteral("ColonneElements")));
    layout->addWidget(m_itemsTable, 2);
    m_itemsButtons = buttonRow(&m_addActionButton, "AddActionItem", loc(QStringLiteral("AjouterAction")),
                               &m_removeItemsButton, "RemoveItemsButton", loc(QStringLiteral("SupprimerElements")));
    layout->addLayout(m_itemsButtons);

    m_launchersTable = makeTable("LaunchersTable", loc(QStringLiteral("ColonneLanceurs")));
    m_contextsTable = makeTable("ContextsTable", loc(QStringLiteral("ColonneContextes")));
    auto* references = new QGridLayout;
    references->addWidget(m_launchersTable, 0, 0);
    references->addWidget(m_contextsTable, 0, 1);
    references->addLayout(buttonRow(&m_addLauncherButton, "AddLauncherButton", loc(QStringLiteral("AjouterLanceur")),
                                    &m_removeLaunchersButton, "RemoveLaunchersButton",
                                    loc(QStringLiteral("SupprimerLanceurs"))),
                          1, 0);
    QHBoxLayout* contextButtons = buttonRow(nullptr, nullptr, {}, &m_removeContextsButton, "RemoveContextsButton",
                                            loc(QStringLiteral("SupprimerContextes")));
    auto* library = new QPushButton(loc(QStringLiteral("AfficherBibliotheque")));
    library->setObjectName(outlet("ContextLibraryButton"));
    library->setAccessibleName(loc(QStringLiteral("AfficherBibliotheque")));
    contextButtons->insertWidget(1, library);
    connect(library, &QPushButton::clicked, this, [] { editorWindowHost().displayLibrary(2); });
    references->addLayout(contextButtons, 1, 1);
    layout->addLayout(references, 1);

    auto* bottom = new QHBoxLayout;
    auto button = [&](const QString& text, const char* name, const QString& accessible) {
        auto* b = new QPushButton(text);
        b->setObjectName(outlet(name));
        b->setAccessibleName(accessible);
        return b;
    };
    auto* help = button(QStringLiteral("?"), "HelpButton", loc(QStringLiteral("Aide")));
    m_testButton = button(loc(QStringLiteral("Tester")), "TestButton", loc(QStringLiteral("Tester")));
    auto* cancel = button(loc(QStringLiteral("Annuler")), "CancelButton", loc(QStringLiteral("Annuler")));
    auto* ok = button(QStringLiteral("OK"), "OKButton", QStringLiteral("OK"));
    ok->setDefault(true);
    bottom->addWidget(help);
    bottom->addWidget(m_testButton);
    bottom->addStretch(1);
    bottom->addWidget(cancel);
    bottom->addWidget(ok);
    layout->addLayout(bottom);
    connect(help, &QPushButton::clicked, this, &QVEItemsEditor::showHelp);
    connect(cancel, &QPushButton::clicked, this, [this] { abortEditing(nullptr); });
    connect(ok, &QPushButton::clicked, this, [this] { stopEditing(); });

    // The window's edit commands act on the focused table; undo on the
    // object's stack.
    addEditCommands(m_window, this, {[this] { return m_undoStack.data(); }, [this] { return focusedList(); },
                                     [this] { pastePasteboard(); }});
    m_window->resize(600, 640);
}

void QVEItemsEditor::showName(const QString& name)
{
    m_lastName = name;
    m_nameField->setText(name);
    if (!m_window)
        return;
    m_window->setWindowTitle(titleWithName(m_startTitle, name));
    if (m_isEdited)
        editorWindowHost().changeWindowsItem(m_window, m_window->windowTitle());
}

void QVEItemsEditor::updateButtons()
{
    m_removeItemsButton->setEnabled(m_items && !m_items->selectedRows().isEmpty());
    m_removeLaunchersButton->setEnabled(m_launchers && !m_launchers->selectedRows().isEmpty());
    m_removeContextsButton->setEnabled(m_contexts && !m_contexts->selectedRows().isEmpty());
}

void QVEItemsEditor::connectTable(RecordListModel* list, QTableView* table)
{
    table->setModel(list);
    list->setView(table);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(int(list->config().columns.indexOf(QStringLiteral("name"))),
                                                    QHeaderView::Stretch);
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &QVEItemsEditor::updateButtons);
    connect(list, &RecordListModel::recordsChanged, this, &QVEItemsEditor::updateButtons);
    connect(list, &RecordListModel::droppedFromOutside, this, &QVEItemsEditor::makeFront);
    connect(table, &QTableView::clicked, this, [this, list](const QModelIndex& index) {
        if (list->config().columns.value(index.column()) != QLatin1String("active"))
            return;
        if (list == m_items)
            invertActiveOfItemAtIndex(index.row());
        else
            invertActiveFlag(list, list == m_launchers ? launcherReferenceKeys().active : contextReferenceKeys().active,
                             index.row());
    });
    connect(table, &QTableView::doubleClicked, this, [this, list](const QModelIndex& index) {
        if (list->config().columns.value(index.column()) == QLatin1String("active"))
            return;
        list->selectRow(index.row());
        editSelected(list);
    });
    connect(table, &QWidget::customContextMenuRequested, this, [this, list, table](const QPoint& at) {
        TableCommands commands;
        commands.paste = [this] { pastePasteboard(); };
        commands.edit = [this, list] { editSelected(list); };
        commands.activate = [this, list] { invertActiveOfSelected(list); };
        if (list == m_items) {
            commands.more = [this](QMenu* menu, bool selected) {
                addMenuCommand(menu, QStringLiteral("Dupliquer"), selected, this, [this] { duplicateSelectedItems(); });
                addMenuCommand(menu, QStringLiteral("Tester"), selected, this, [this] { runSelectedItems(); });
                addItemCommands(menu);
            };
        }
        execTableMenu(table, list, at, this, commands);
    });
}

// --- Opening ------------------------------------------------------------------------------

void QVEItemsEditor::open(QVEMainModel* object, const QVariantList& storedItems)
{
    m_object = object;
    m_undoStack = object->undoManager();
    showName(object->nameValue());

    m_items = new RecordListModel(m_itemsConfig, m_undoStack, this);
    m_launchers = new RecordListModel(launcherReferencesConfig(), m_undoStack, this);
    m_contexts = new RecordListModel(contextReferencesConfig([this](const QList<int>& rows) {
                                         if (rows.size() < m_contexts->count())
                                             return true;
                                         editorAlert(QStringLiteral("ImpossibleEnleverContexte"),
                                                     m_traits.lastContextKey);
                                         return false;
                                     }),
                                     m_undoStack, this);
    // Items of a kind the editor does not know stay as they are; items and
    // references whose object is gone are not brought in.
    const QVariantList lists[] = {storedItems, object->launchersDictArray(), object->contextsDictArray()};
    const std::pair<RecordListModel*, QTableView*> tables[] = {
        {m_items, m_itemsTable}, {m_launchers, m_launchersTable}, {m_contexts, m_contextsTable}};
    for (int k = 0; k < 3; ++k) {
        auto [list, table] = tables[k];
        QVariantList known;
        for (const QVariant& record : lists[k]) {
            if (list->config().isKnown(record.toMap()))
                known << record;
            else
                zelk::zlog("QVEItemsEditor", "open") << "left out a reference to a missing object" << record.toMap();
        }
        list->setRecords(known);
        connectTable(list, table);
    }
    connect(m_removeItemsButton, &QPushButton::clicked, m_items, &RecordListModel::removeSelected);
    connect(m_removeLaunchersButton, &QPushButton::clicked, m_launchers, &RecordListModel::removeSelected);
    connect(m_removeContextsButton, &QPushButton::clicked, m_contexts, &RecordListModel::removeSelected);

    m_addActionButton->setMenu(QVEActionsManager::sharedManager().actionsMenuForTarget(
        [this](const QVariantMap& model) { newActionFromMenu(model); }));
    if (QMenu* menu = m_addActionButton->menu()) {
        menu->setParent(m_addActionButton, menu->windowFlags());
        frameAddMenu(menu, this, 1);
    }
    m_addLauncherButton->setMenu(QVELaunchersManager::sharedManager().launchersMenuForTarget(
        [this](const QVariantMap& record) { newLauncherFromMenu(record); }));
    if (QMenu* menu = m_addLauncherButton->menu()) {
        menu->setParent(m_addLauncherButton, menu->windowFlags());
        frameAddMenu(menu, this, 0);
    }

    m_isEdited = true;
    observe();

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    QRect frame = editorWindowFrame(object->editorRect(), m_window->size(), available);
    if (QWidget* front = QApplication::activeWindow();
        front && front != m_window && front->objectName() == QLatin1String(m_traits.windowName))
        frame = cascadedFrame(frame, front->geometry());
    editorWindowHost().addWindowsItem(m_window, m_window->windowTitle());
    editorWindowHost().maybeAnimateOpen(m_window, frame, {m_traits.kind, object->IDValue()});
    updateButtons();
}

void QVEItemsEditor::makeFront()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

// --- Observing ---------------------------------------------------------------------------

void QVEItemsEditor::observe()
{
    zelk::NotificationCenter& center = zelk::NotificationCenter::defaultCenter();
    auto on = [&](const QString& name, std::function<void(const zelk::Notification&)> handler) {
        m_observers.push_back(center.addObserver(name, nullptr, std::move(handler)));
    };
    on(QStringLiteral("UpdateLaunchersNotification"), [this](const zelk::Notification&) { updateLaunchers(); });
    on(QStringLiteral("UpdateContextsNotification"), [this](const zelk::Notification&) { updateContexts(); });
    on(QStringLiteral("UpdateActionsNotification"), [this](const zelk::Notification&) { updateActions(); });
    on(QStringLiteral("UpdateShortcutsNotification"), [this](const zelk::Notification&) { updateShortcuts(); });
    if (m_itemsConfig.pboardType == QLatin1String("QVMenuItemPboardType"))
        on(QStringLiteral("UpdateMenusNotification"), [this](const zelk::Notification&) {
            removeUnknownRows(m_items, [this](const QVariantMap& item) {
                return intValue(item.value(m_itemKeys.type)) == 3;
            });
        });
    on(QStringLiteral("SubstituteLauncherNotification"),
       [this](const zelk::Notification& n) { subsituteLauncherNotification(n.userInfo); });
    on(QStringLiteral("SubstituteContextNotification"),
       [this](const zelk::Notification& n) { subsituteContextNotification(n.userInfo); });
    on(QStringLiteral("SubstituteActionNotification"),
       [this](const zelk::Notification& n) { subsituteActionNotification(n.userInfo); });
}

void QVEItemsEditor::removeUnknownRows(RecordListModel* list,
                                       const std::function<bool(const QVariantMap&)>& concerned)
{
    if (m_isEdited)
        removeMissingRows(list, concerned);
}

void QVEItemsEditor::updateLaunchers()
{
    removeUnknownRows(m_launchers, {});
}

void QVEItemsEditor::updateContexts()
{
    removeUnknownRows(m_contexts, {});
}

void QVEItemsEditor::updateActions()
{
    removeUnknownRows(m_items, [this](const QVariantMap& item) { return intValue(item.value(m_itemKeys.type)) == 2; });
}

void QVEItemsEditor::updateShortcuts()
{
    removeUnknownRows(m_items, [this](const QVariantMap& item) { return intValue(item.value(m_itemKeys.type)) == 1; });
}

void QVEItemsEditor::substitute(RecordListModel* list, int kind, const QVariantMap& payload)
{
    if (!m_isEdited)
        return;
    if (list == m_items) {
        substituteRows(
            list, payload, kind,
            [this](const QVariantMap& item, quint32 id) {
                return intValue(item.value(m_itemKeys.type)) == 2 && itemObjectID(m_itemKeys, item) == id;
            },
            m_itemsConfig.moreRealTypes.value(0).referenceFor);
        return;
    }
    const QString idKey = list == m_launchers ? launcherReferenceKeys().id : contextReferenceKeys().id;
    substituteRows(
        list, payload, kind,
        [idKey](const QVariantMap& record, quint32 id) { return uintValue(record.value(idKey)) == id; },
        list->config().referenceFor);
}

void QVEItemsEditor::subsituteLauncherNotification(const QVariantMap& payload)
{
    substitute(m_launchers, ObjectsFile::Launchers, payload);
}

void QVEItemsEditor::subsituteContextNotification(const QVariantMap& payload)
{
    substitute(m_contexts, ObjectsFile::Contexts, payload);
}

void QVEItemsEditor::subsituteActionNotification(const QVariantMap& payload)
{
    substitute(m_items, ObjectsFile::Actions, payload);
}

// --- Items --------------------------------------------------------------------------------

void QVEItemsEditor::editItemAtIndex(int row)
{
    if (row < 0 || row >= m_items->count())
        return;
    const QVariantMap item = m_items->recordAt(row);
    const int type = intValue(item.value(m_itemKeys.type));
    const quint32 id = itemObjectID(m_itemKeys, item);
    switch (type) {
    case 1: QVEShortcutsManager::sharedManager().editObjectsID({id}); break;
    case 2: QVEActionsManager::sharedManager().editActionsID({id}); break;
    default: editOtherItem(row, type); break;
    }
}

void QVEItemsEditor::runItemAtIndex(int row)
{
    if (row < 0 || row >= m_items->count())
        return;
    const QVariantMap item = m_items->recordAt(row);
    const quint32 id = itemObjectID(m_itemKeys, item);
    switch (intValue(item.value(m_itemKeys.type))) {
    case 1: QVEShortcutsManager::sharedManager().runShortcutsID({id}); break;
    case 2: QVEActionsManager::sharedManager().runActionsID({id}); break;
    default: break;
    }
}

void QVEItemsEditor::invertActiveOfItemAtIndex(int row)
{
    invertActiveFlag(m_items, m_itemKeys.active, row);
}

void QVEItemsEditor::editSelected(RecordListModel* list)
{
    const QList<int> rows = list->selectedRows();
    if (list == m_items) {
        for (const int row : rows)
            editItemAtIndex(row);
        return;
    }
    QList<quint32> ids;
    const QString idKey = list == m_launchers ? launcherReferenceKeys().id : contextReferenceKeys().id;
    for (const int row : rows)
        ids << uintValue(list->recordAt(row).value(idKey));
    for (const quint32 id : ids) {
        if (list == m_launchers)
            QVELaunchersManager::sharedManager().editLaunchersID({id});
        else
            QVEContextsManager::sharedManager().editContextsID({id});
    }
}

void QVEItemsEditor::runSelectedItems()
{
    for (const int row : m_items->selectedRows())
        runItemAtIndex(row);
}

void QVEItemsEditor::invertActiveOfSelected(RecordListModel* list)
{
    const QString key = list == m_items       ? m_itemKeys.active
                        : list == m_launchers ? launcherReferenceKeys().active
                                              : contextReferenceKeys().active;
    for (const int row : list->selectedRows())
        invertActiveFlag(list, key, row);
}

void QVEItemsEditor::duplicateSelectedItems()
{
    const QList<int> rows = m_items->selectedRows();
    if (rows.isEmpty())
        return;
    QVariantList copies;
    for (const int row : rows)
        copies << m_items->recordAt(row);
    const int at = m_items->selectedRow() + 1;
    QList<int> targets;
    for (int k = 0; k < copies.size(); ++k)
        targets << at + k;
    m_items->addRecords(copies, targets, at,
                        locFormat(QStringLiteral("AnnulerDupliquerElements"), {qulonglong(copies.size())}));
}

void QVEItemsEditor::newActionFromMenu(const QVariantMap& model)
{
    const QList<quint32> ids = QVEActionsManager::sharedManager().addActionsWithModels({model}, false);
    if (ids.isEmpty() || !m_isEdited)
        return;
    zelk::QVEAction* action = QVEActionsManager::sharedManager().actionWithID(ids.first());
    if (!action)
        return;
    m_items->addRealRecordsOfType(QStringLiteral("QVActionPboardType"), {action->dictValue()},
                                  m_items->selectedRow() + 1,
                                  locFormat(QStringLiteral("AnnulerAjouterAction"), {action->nameValue()}));
}

void QVEItemsEditor::newLauncherFromMenu(const QVariantMap& record)
{
    QVLauncher* launcher = QVELaunchersManager::sharedManager().newLauncherWithDict(record);
    if (!launcher || !m_isEdited)
        return;
    const int listed = m_launchers->indexOfID(launcher->IDValue());
    if (listed >= 0) {
        m_launchers->selectRow(listed);
        return;
    }
    m_launchers->addRealRecords({launcher->dictValue()}, m_launchers->selectedRow() + 1,
                                locFormat(QStringLiteral("AnnulerAjouterLanceur"), {launcher->nameValue()}));
}

RecordListModel* QVEItemsEditor::focusedList() const
{
    return focusedListOf({{m_itemsTable, m_items}, {m_launchersTable, m_launchers}, {m_contextsTable, m_contexts}});
}

void QVEItemsEditor::pastePasteboard()
{
    // The first type present decides the table: items, then launchers, then contexts.
    pasteIntoFirstTaker({m_items, m_launchers, m_contexts});
}

// --- Commit and discard --------------------------------------------------------------------

void QVEItemsEditor::closeWindow()
{
    m_observers.clear();
    if (!m_window)
        return;
    if (m_object)
        m_object->setEditorRect(QRectF(m_window->geometry()));
    editorWindowHost().maybeAnimateClose(m_window, {m_traits.kind, m_object ? m_object->IDValue() : 0});
    m_isEdited = false;
    m_window->hide();
    editorWindowHost().removeWindowsItem(m_window);
}

void QVEItemsEditor::finish()
{
    // The working copies go with the window, and so do the steps on them.
    if (m_undoStack)
        m_undoStack->clear();
    m_undoStack = nullptr;
    QVEMainModel* object = m_object;
    m_object = nullptr;
    m_isEdited = false;
    if (object)
        object->releaseEditor();
}

QVariantList QVEItemsEditor::knownRecords(const RecordListModel* list) const
{
    return knownRecordsOf(list, "QVEItemsEditor");
}

bool QVEItemsEditor::stopEditing()
{
    if (!m_isEdited || !m_object)
        return false;
    const auto keep = shared_from_this(); // releaseEditor() lets go of this editor
    emit m_nameField->editingFinished();
    if (m_nameField->text().isEmpty()) {
        editorAlert(QStringLiteral("ImpossibleChangement"), m_traits.emptyNameKey);
        return false;
    }
    if (!mayCommit())
        return false;
    const QVariantList items = knownRecords(m_items);
    const QVariantList launchers = knownRecords(m_launchers);
    const QVariantList contexts = knownRecords(m_contexts);
    closeWindow();
    writeObject(items);
    m_object->setLaunchersDictArray(launchers);
    m_object->setContextsDictArray(contexts);
    m_object->setIsNew(false);
    QVEContextsManager::sharedManager().updateContexts();
    QVELaunchersManager::sharedManager().updateLaunchers();
    QVEShortcutsManager::sharedManager().updateShortcuts();
    QVEActionsManager::sharedManager().updateActions();
    announceObject();
    finish();
    return true;
}

void QVEItemsEditor::abortEditing(QObject*)
{
    if (!m_object)
        return;
    const auto keep = shared_from_this();
    closeWindow();
    if (m_object->isNew()) {
        const quint32 id = m_object->IDValue();
        finish();
        // The deletion posts its own step and notice; the object is gone after it.
        deleteNewObject(id);
        return;
    }
    finish();
}

void QVEItemsEditor::showHelp()
{
    if (zelk::QVEActionHostApplication* application = zelk::QVEAction::applicationObject())
        application->showHelpWithSubject(loc(m_traits.helpKey));
}

} // namespace editor
