#include "QVEShortcutEditor.h"

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
#include "QVERunParamsEditor.h"
#include "QVEShortcutsManager.h"
#include "QVLauncher.h"
#include "QVShortcut.h"
#include "ReferenceLists.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

namespace editor {

namespace {

const char* const kWindowName = "QVEShortcutEditorWindow";

QVariantMap notificationPayload(const zelk::Notification& notification)
{
    return notification.userInfo;
}

} // namespace

QVEShortcutEditor::QVEShortcutEditor()
{
    m_startTitle = loc(QStringLiteral("TitreRaccourci"));
    buildWindow();
}

QVEShortcutEditor::~QVEShortcutEditor()
{
    stopObserving();
    // An editor let go of through a queued call may end while the
    // application is being torn down, when deleting a widget would wait
    // on the event queue's lock that the teardown holds.
    if (QCoreApplication::closingDown())
        return;
    // Gone with its object while open (a new object taken back by an undo).
    if (m_isEdited && m_window)
        editorWindowHost().removeWindowsItem(m_window);
    delete m_window;
}

// --- The window -------------------------------------------------------------------------------

QTableView* QVEShortcutEditor::makeTable(const char* objectName, const QString& accessibleName)
{
    return makeEditorTable(QString::fromLatin1(objectName), accessibleName);
}

void QVEShortcutEditor::buildWindow()
{
    m_window = new QWidget(nullptr, Qt::Window);
    m_window->setObjectName(QString::fromLatin1(kWindowName));
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    // Closing the window by its frame is Cancel; becoming key brings the
    // editor's other windows along.
    m_window->installEventFilter(new EditorWindowWatcher(
        [this] { return m_isEdited; }, [this] { abortEditing(nullptr); },
        [this] {
            if (!m_shortcut)
                return;
            editorWindowHost().undoStackActivated(m_shortcut->undoManager());
            m_shortcut->windowDidBecomeKey();
        },
        m_window));
    auto* layout = new QVBoxLayout(m_window);

    auto* top = new QHBoxLayout;
    m_imageView = named(new QLabel, "SEShortcutImage", loc(QStringLiteral("ImageRaccourci")));
    m_imageView->setFixedSize(32, 32);
    m_nameField = named(new QLineEdit, "SENameField", loc(QStringLiteral("NomRaccourci")));
    top->addWidget(m_imageView);
    top->addWidget(m_nameField, 1);
    layout->addLayout(top);
    connect(m_nameField, &QLineEdit::editingFinished, this, &QVEShortcutEditor::modifyName);
    passUndoToWindowWhenCommitted(m_nameField, [this] { return m_nameField->text() == m_lastName; });

    auto addRow = [&](const char* addName, const char* removeName, const QString& addText, const QString& removeText,
                      QToolButton** add, QPushButton** remove) {
        auto* row = new QHBoxLayout;
        *add = named(new QToolButton, addName, addText);
        (*add)->setText(QStringLiteral("+"));
        (*add)->setPopupMode(QToolButton::InstantPopup);
        *remove = named(new QPushButton(QStringLiteral("-")), removeName, removeText);
        row->addWidget(*add);
        row->addWidget(*remove);
        row->addStretch(1);
        return row;
    };

    m_actionsTable = makeTable("SEActionsTable", loc(QStringLiteral("ColonneActions")));
    layout->addWidget(m_actionsTable, 2);
    QHBoxLayout* actionButtons = addRow("SEAddActionButton", "SERemoveActionsButton", loc(QStringLiteral("AjouterAction")),
                                        loc(QStringLiteral("SupprimerActions")), &m_addActionButton,
                                        &m_removeActionsButton);
    m_runParametersField = named(new QLabel, "SERunParametersField", loc(QStringLiteral("ParametresExecution")));
    auto* runButton = named(new QPushButton(loc(QStringLiteral("ModifierParametres"))), "SERunParametersButton",
                            loc(QStringLiteral("ModifierParametres")));
    actionButtons->addWidget(m_runParametersField);
    actionButtons->addWidget(runButton);
    layout->addLayout(actionButtons);
    connect(runButton, &QPushButton::clicked, this, &QVEShortcutEditor::modifyRunParameters);

    auto* references = new QGridLayout;
    m_launchersTable = makeTable("SELaunchersTable", loc(QStringLiteral("ColonneLanceurs")));
    m_contextsTable = makeTable("SEContextsTable", loc(QStringLiteral("ColonneContextes")));
    references->addWidget(m_launchersTable, 0, 0);
    references->addWidget(m_contextsTable, 0, 1);
    references->addLayout(addRow("SEAddLauncherButton", "SERemoveLaunchersButton", loc(QStringLiteral("AjouterLanceur")),
                                 loc(QStringLiteral("SupprimerLanceurs")), &m_addLauncherButton,
                                 &m_removeLaunchersButton),
                          1, 0);
    references->addLayout(addRow("SEAddContextButton", "SERemoveContextsButton", loc(QStringLiteral("AjouterContexte")),
                                 loc(QStringLiteral("SupprimerContextes")), &m_addContextButton,
                                 &m_removeContextsButton),
                          1, 1);
    layout->addLayout(references, 1);

    addEditorButtons(layout, "SE", this,
                     {[this] { showHelp(); }, [this] { test(); }, [this] { abortEditing(nullptr); }, [this] { stopEditing(); }});

    // Contexts come from the types the contexts manager makes (the add menu).
    auto* contextsMenu = new QMenu(m_addContextButton);
    for (int type = 0; type <= 4; ++type) {
        QAction* item = contextsMenu->addAction(loc(QStringLiteral("NomContexte%1").arg(type)));
        connect(item, &QAction::triggered, this, [this, type] { newContextFromMenu(type); });
    }
    frameAddMenu(contextsMenu, this, 2);
    m_addContextButton->setMenu(contextsMenu);

    m_window->resize(560, 520);
}

void QVEShortcutEditor::setTitle()
{
    const QString title = titleWithName(m_startTitle, m_lastName);
    if (m_window)
        m_window->setWindowTitle(title);
}

void QVEShortcutEditor::updateButtons()
{
    m_removeActionsButton->setEnabled(m_actions && !m_actions->selectedRows().isEmpty());
    m_removeLaunchersButton->setEnabled(m_launchers && !m_launchers->selectedRows().isEmpty());
    m_removeContextsButton->setEnabled(m_contexts && !m_contexts->selectedRows().isEmpty());
}

// --- Opening ------------------------------------------------------------------------------------

void QVEShortcutEditor::displayWithShortcut(QVShortcut* shortcut)
{
    if (!shortcut) {
        zelk::zlog("QVEShortcutEditor", "displayWithShortcut") << "no shortcut";
        return;
    }
    m_shortcut = shortcut;
    m_undoStack = shortcut->undoManager();
    m_lastName = shortcut->nameValue();
    m_nameField->setText(m_lastName);
    m_image = shortcut->imageValue();
    m_imageView->setPixmap(QPixmap::fromImage(imageSized(m_image, 32)));
    setTitle();

    m_actions = new RecordListModel(actionStepsConfig(), m_undoStack, this);
    m_launchers = new RecordListModel(launcherReferencesConfig(), m_undoStack, this);
    m_contexts = new RecordListModel(contextReferencesConfig([this](const QList<int>& rows) {
                                         if (rows.size() < m_contexts->count())
                                             return true;
                                         editorAlert(QStringLiteral("ImpossibleEnleverContexte"),
                                                     QStringLiteral("SeulContextRaccourci"));
                                         return false;
                                     }),
                                     m_undoStack, this);
    const std::pair<RecordListModel*, QTableView*> tables[] = {
        {m_actions, m_actionsTable}, {m_launchers, m_launchersTable}, {m_contexts, m_contextsTable}};
    const QVariantList lists[] = {shortcut->actionsDictArray(), shortcut->launchersDictArray(),
                                  shortcut->contextsDictArray()};
    for (int k = 0; k < 3; ++k) {
        auto [list, table] = tables[k];
        // References to objects that are gone are not brought in.
        QVariantList known;
        for (const QVariant& record : lists[k]) {
            if (list->config().isKnown(record.toMap()))
                known << record;
            else
                zelk::zlog("QVEShortcutEditor", "displayWithShortcut") << "left out a reference to a missing object"
                                                                       << record.toMap();
        }
        list->setRecords(known);
        table->setModel(list);
        list->setView(table);
        connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &QVEShortcutEditor::updateButtons);
        connect(list, &RecordListModel::droppedFromOutside, this, &QVEShortcutEditor::makeFront);
        connect(table, &QTableView::clicked, this, [this, list](const QModelIndex& index) {
            if (list->config().columns.value(index.column()) == QLatin1String("active"))
                invertActiveAtIndex(list, index.row());
        });
        connect(table, &QTableView::doubleClicked, this, [this, list](const QModelIndex& index) {
            const QString column = list->config().columns.value(index.column());
            if (list == m_actions && column != QLatin1String("step") && column != QLatin1String("name")
                && column != QLatin1String("active")) {
                editRunResultParametersOfActionAtIndex(index.row());
                return;
            }
            if (column == QLatin1String("name") || (list == m_actions && column == QLatin1String("step"))) {
                list->selectRow(index.row());
                editSelected(list);
            }
        });
        connect(table, &QWidget::customContextMenuRequested, this, [this, list, table](const QPoint& at) {
            TableCommands commands;
            commands.paste = [this] { pastePasteboard(); };
            commands.edit = [this, list] { editSelected(list); };
            commands.activate = [this, list] { invertActiveOfSelected(list); };
            if (list == m_actions) {
                commands.more = [this](QMenu* menu, bool selected) {
                    addMenuCommand(menu, QStringLiteral("Dupliquer"), selected, this,
                                   [this] { substituteSelectedActionsWithCopies(); });
                    addMenuCommand(menu, QStringLiteral("Tester"), selected, this, [this] { runSelectedActions(); });
                    addMenuCommand(menu, QStringLiteral("ModifierParametres"), selected, this,
                                   [this] { editRunResultParametersOfActionAtIndex(m_actions->selectedRow()); });
                    addMenuCommand(menu, QStringLiteral("DonnerImage"), selected, this,
                                   [this] { giveImageToShortcutFromActionAtIndex(m_actions->selectedRow()); });
                };
            }
            execTableMenu(table, list, at, this, commands);
        });
    }
    // Every column as wide as its contents, the name taking the rest.
    for (QTableView* table : {m_actionsTable, m_launchersTable, m_contextsTable}) {
        auto* list = static_cast<RecordListModel*>(table->model());
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        table->horizontalHeader()->setSectionResizeMode(int(list->config().columns.indexOf(QStringLiteral("name"))),
                                                        QHeaderView::Stretch);
    }
    connect(m_removeActionsButton, &QPushButton::clicked, m_actions, &RecordListModel::removeSelected);
    connect(m_removeLaunchersButton, &QPushButton::clicked, m_launchers, &RecordListModel::removeSelected);
    connect(m_removeContextsButton, &QPushButton::clicked, m_contexts, &RecordListModel::removeSelected);
    // The first steps put into an empty list give the shortcut their image.
    connect(m_actions, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        if (first == 0 && last + 1 == m_actions->count())
            giveImageToShortcutFromActionAtIndex(0);
    });

    // The window's edit commands act on the focused table; undo on the
    // shortcut's stack.
    addEditCommands(m_window, this, {[this] { return m_undoStack.data(); }, [this] { return focusedList(); },
                                     [this] { pastePasteboard(); }});

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

    m_runParameters = shortcut->runParametersDict();
    m_runParametersField->setText(QVERunResultParamsEditor::labelOfRunParametersDict(m_runParameters));
    m_isEdited = true;
    observe();

    // Placement, then the cascade under another shortcut editor in front.
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    QRect frame = editorWindowFrame(shortcut->editorRect(), m_window->size(), available);
    if (QWidget* front = QApplication::activeWindow(); front && front != m_window
                                                      && front->objectName() == QLatin1String(kWindowName))
        frame = cascadedFrame(frame, front->geometry());
    editorWindowHost().addWindowsItem(m_window, m_window->windowTitle());
    editorWindowHost().maybeAnimateOpen(m_window, frame, {ObjectsFile::Shortcuts, shortcut->IDValue()});
    updateButtons();
}

void QVEShortcutEditor::makeFront()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

QVariantList QVEShortcutEditor::editedActionsDictArray() const
{
    return m_actions ? m_actions->records() : QVariantList();
}

// --- Observing ------------------------------------------------------------------------------------

void QVEShortcutEditor::observe()
{
    zelk::NotificationCenter& center = zelk::NotificationCenter::defaultCenter();
    auto on = [&](const QString& name, std::function<void(const zelk::Notification&)> handler) {
        m_observers.push_back(center.addObserver(name, nullptr, std::move(handler)));
    };
    on(QStringLiteral("UpdateLaunchersNotification"), [this](const zelk::Notification&) { updateLaunchers(); });
    on(QStringLiteral("UpdateContextsNotification"), [this](const zelk::Notification&) { updateContexts(); });
    on(QStringLiteral("UpdateActionsNotification"), [this](const zelk::Notification&) { updateActions(); });
    on(QStringLiteral("SubstituteLauncherNotification"),
       [this](const zelk::Notification& n) { subsituteLauncherNotification(notificationPayload(n)); });
    on(QStringLiteral("SubstituteContextNotification"),
       [this](const zelk::Notification& n) { subsituteContextNotification(notificationPayload(n)); });
    on(QStringLiteral("SubstituteActionNotification"),
       [this](const zelk::Notification& n) { subsituteActionNotification(notificationPayload(n)); });
}

void QVEShortcutEditor::stopObserving()
{
    m_observers.clear();
}

// --- Name ---------------------------------------------------------------------------------------

void QVEShortcutEditor::modifyName()
{
    if (!m_isEdited)
        return;
    const QString text = m_nameField->text();
    if (text != m_lastName)
        setName(text, false, locFormat(QStringLiteral("AnnulerModifierNomRaccourci"), {text}));
}

namespace {

// A rename of the editor's name: the name before and after.
class RenameStep : public QUndoCommand {
public:
    RenameStep(std::function<void(const QString&)> apply, QString before, QString after, const QString& text)
        : QUndoCommand(text), m_apply(std::move(apply)), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void redo() override { m_apply(m_after); }
    void undo() override { m_apply(m_before); }

private:
    std::function<void(const QString&)> m_apply;
    QString m_before, m_after;
};

} // namespace

void QVEShortcutEditor::setName(const QString& name, bool isUndo, const QString& undoString)
{
    if (name == m_lastName) {
        m_nameField->setText(name);
        return;
    }
    QPointer<QVEShortcutEditor> self(this);
    auto apply = [self](const QString& value) {
        if (!self || !self->m_isEdited)
            return;
        self->m_lastName = value;
        self->m_nameField->setText(value);
        self->setTitle();
        editorWindowHost().changeWindowsItem(self->m_window, self->m_window->windowTitle());
    };
    if (!m_undoStack) {
        apply(name);
        return;
    }
    m_undoStack->push(new RenameStep(apply, m_lastName, name, isUndo ? QString() : undoString));
}

// --- Commit and discard ------------------------------------------------------------------------------

void QVEShortcutEditor::closeWindow()
{
    stopObserving();
    if (!m_window)
        return;
    if (m_shortcut)
        m_shortcut->setEditorRect(QRectF(m_window->geometry()));
    editorWindowHost().maybeAnimateClose(m_window, {ObjectsFile::Shortcuts, m_shortcut ? m_shortcut->IDValue() : 0});
    m_isEdited = false;
    m_window->hide();
    editorWindowHost().removeWindowsItem(m_window);
}

void QVEShortcutEditor::finish()
{
    // The working copies go with the window, and so do the steps on them.
    if (m_undoStack)
        m_undoStack->clear();
    m_undoStack = nullptr; // the shortcut's, which may go next
    QVShortcut* shortcut = m_shortcut;
    m_shortcut = nullptr;
    m_isEdited = false;
    if (shortcut)
        shortcut->releaseEditor();
}

bool QVEShortcutEditor::stopEditing(QObject*)
{
    if (!m_isEdited || !m_shortcut)
        return false;
    const auto keep = shared_from_this(); // releaseEditor() lets go of this editor
    modifyName();
    if (m_nameField->text().isEmpty()) {
        editorAlert(QStringLiteral("ImpossibleChangement"), QStringLiteral("NomRaccourciVide"));
        return false;
    }
    closeWindow();
    QVShortcut* shortcut = m_shortcut;
    shortcut->setNameValue(m_nameField->text());
    shortcut->setImageValue(m_image.isNull() ? QVShortcut::defaultIcon() : m_image);
    // An undo in the window can bring back a row whose object was deleted
    // meanwhile: such rows are not written.
    auto known = [](const RecordListModel* list) { return knownRecordsOf(list, "QVEShortcutEditor"); };
    shortcut->setActionsDictArray(known(m_actions));
    shortcut->setLaunchersDictArray(known(m_launchers));
    shortcut->setContextsDictArray(known(m_contexts));
    shortcut->setRunParametersDict(m_runParameters);
    shortcut->setIsNew(false);
    QVEContextsManager::sharedManager().updateContexts();
    QVELaunchersManager::sharedManager().updateLaunchers();
    QVEShortcutsManager::sharedManager().updateShortcuts();
    QVEActionsManager::sharedManager().updateActions();
    finish();
    return true;
}

void QVEShortcutEditor::abortEditing(QObject*)
{
    if (!m_shortcut)
        return;
    const auto keep = shared_from_this();
    closeWindow();
    QVShortcut* shortcut = m_shortcut;
    if (shortcut->isNew()) {
        const quint32 id = shortcut->IDValue();
        finish();
        // The deletion posts its own step and notice; the shortcut is gone after it.
        QVEShortcutsManager::sharedManager().delShortcutsID({id}, true, false, false);
        return;
    }
    finish();
}

// --- Steps ----------------------------------------------------------------------------------------

void QVEShortcutEditor::newActionFromMenu(const QVariantMap& model)
{
    const QList<quint32> ids = QVEActionsManager::sharedManager().addActionsWithModels({model}, false);
    if (ids.isEmpty() || !m_isEdited)
        return;
    zelk::QVEAction* action = QVEActionsManager::sharedManager().actionWithID(ids.first());
    if (!action)
        return;
    const int row = m_actions->selectedRow() + 1;
    m_actions->addRealRecords({action->dictValue()}, row,
                              locFormat(QStringLiteral("AnnulerAjouterAction"), {action->nameValue()}));
}

void QVEShortcutEditor::substituteSelectedActionsWithCopies()
{
    for (const int row : m_actions->selectedRows()) {
        const QVariantMap step = m_actions->recordAt(row);
        zelk::QVEAction* copy = QVEActionsManager::sharedManager().duplicateActionID(
            uintValue(step.value(QStringLiteral("cutactionID"))));
        if (!copy)
            continue;
        QVariantMap replaced = QVShortcut::newActionRefDictWithActionDict(copy->dictValue());
        for (const char* key : {"cutactionactive", "cutactionrunparams", "cutactionresultparams"})
            replaced.insert(QString::fromLatin1(key), step.value(QString::fromLatin1(key)));
        m_actions->replaceRecord(row, replaced);
    }
}

void QVEShortcutEditor::editRunResultParametersOfActionAtIndex(int row)
{
    if (row < 0 || row >= m_actions->count()) {
        zelk::zlog("QVEShortcutEditor", "editRunResultParametersOfActionAtIndex") << "no step" << row;
        return;
    }
    const QVariantMap step = m_actions->recordAt(row);
    const zelk::QVEAction* action =
        QVEActionsManager::sharedManager().actionWithID(uintValue(step.value(QStringLiteral("cutactionID"))));
    const std::optional<QVariantMap> answer = QVERunResultParamsEditor::sharedEditor().editRunResultParameters(
        {{QStringLiteral("runparams"), step.value(QStringLiteral("cutactionrunparams"))},
         {QStringLiteral("resultparams"), step.value(QStringLiteral("cutactionresultparams"))}},
        locFormat(QStringLiteral("EditRunResultParamsActionTitle"), {action ? action->nameValue() : QString()}));
    if (!answer || !m_isEdited || row >= m_actions->count())
        return;
    QVariantMap replaced = m_actions->recordAt(row);
    replaced.insert(QStringLiteral("cutactionrunparams"), answer->value(QStringLiteral("runparams")));
    replaced.insert(QStringLiteral("cutactionresultparams"), answer->value(QStringLiteral("resultparams")));
    m_actions->replaceRecord(row, replaced);
}

void QVEShortcutEditor::giveImageToShortcutFromActionAtIndex(int row)
{
    if (row < 0 || row >= m_actions->count())
        return;
    const zelk::QVEAction* action = QVEActionsManager::sharedManager().actionWithID(
        uintValue(m_actions->recordAt(row).value(QStringLiteral("cutactionID"))));
    if (!action)
        return;
    m_image = action->imageValue();
    m_imageView->setPixmap(QPixmap::fromImage(imageSized(m_image, 32)));
}

void QVEShortcutEditor::modifyRunParameters()
{
    const std::optional<QVariantMap> answer = QVERunParamsEditor::sharedEditor().editRunParameters(
        m_runParameters, locFormat(QStringLiteral("EditRunParamsShortcutTitle"), {m_lastName}));
    if (!answer || !m_isEdited)
        return;
    m_runParameters = *answer;
    m_runParametersField->setText(QVERunResultParamsEditor::labelOfRunParametersDict(m_runParameters));
}

void QVEShortcutEditor::runSelectedActions()
{
    QList<quint32> ids;
    for (const int row : m_actions->selectedRows())
        ids << uintValue(m_actions->recordAt(row).value(QStringLiteral("cutactionID")));
    for (const quint32 id : ids)
        QVEActionsManager::sharedManager().runActionsID({id});
}

// --- References -----------------------------------------------------------------------------------

void QVEShortcutEditor::newLauncherFromMenu(const QVariantMap& record)
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

void QVEShortcutEditor::newContextFromMenu(int type)
{
    const quint32 before = QVContext::currentContextID();
    QVEContextsManager::sharedManager().newContextForType(type);
    if (QVContext::currentContextID() == before || !m_isEdited)
        return; // refused (a second universal context): the manager has said why
    QVContext* context = QVEContextsManager::sharedManager().contextWithID(QVContext::currentContextID() - 1);
    if (!context)
        return;
    m_contexts->addRealRecords({context->dictValue()}, m_contexts->selectedRow() + 1,
                               locFormat(QStringLiteral("AnnulerAjouterContexte"), {context->nameValue()}));
}

void QVEShortcutEditor::applyActiveFlagKey(RecordListModel* list, int row)
{
    const QString key = list == m_actions     ? actionStepKeys().active
                        : list == m_launchers ? launcherReferenceKeys().active
                                              : contextReferenceKeys().active;
    invertActiveFlag(list, key, row);
}

void QVEShortcutEditor::invertActiveAtIndex(RecordListModel* list, int row)
{
    if (row < 0)
        return;
    applyActiveFlagKey(list, row);
}

void QVEShortcutEditor::invertActiveOfSelected(RecordListModel* list)
{
    for (const int row : list->selectedRows())
        applyActiveFlagKey(list, row);
}

void QVEShortcutEditor::editSelected(RecordListModel* list)
{
    QList<quint32> ids;
    const QString idKey = list == m_actions     ? actionStepKeys().id
                          : list == m_launchers ? launcherReferenceKeys().id
                                                : contextReferenceKeys().id;
    for (const int row : list->selectedRows())
        ids << uintValue(list->recordAt(row).value(idKey));
    for (const quint32 id : ids) {
        if (list == m_actions)
            QVEActionsManager::sharedManager().editActionsID({id});
        else if (list == m_launchers)
            QVELaunchersManager::sharedManager().editLaunchersID({id});
        else
            QVEContextsManager::sharedManager().editContextsID({id});
    }
}

RecordListModel* QVEShortcutEditor::focusedList() const
{
    return focusedListOf({{m_actionsTable, m_actions}, {m_launchersTable, m_launchers}, {m_contextsTable, m_contexts}});
}

void QVEShortcutEditor::pastePasteboard()
{
    // The first type present decides the table, in the system's order.
    pasteIntoFirstTaker({m_actions, m_launchers, m_contexts});
}

// --- Notices ----------------------------------------------------------------------------------------

void QVEShortcutEditor::removeUnknownRows(RecordListModel* list)
{
    if (m_isEdited)
        removeMissingRows(list);
}

void QVEShortcutEditor::updateLaunchers()
{
    removeUnknownRows(m_launchers);
}

void QVEShortcutEditor::updateContexts()
{
    removeUnknownRows(m_contexts);
}

void QVEShortcutEditor::updateActions()
{
    if (!m_isEdited)
        return;
    removeUnknownRows(m_actions);
    // A one-step shortcut follows its action's name and image.
    if (m_actions->count() != 1)
        return;
    const zelk::QVEAction* action = QVEActionsManager::sharedManager().actionWithID(
        uintValue(m_actions->recordAt(0).value(QStringLiteral("cutactionID"))));
    if (!action)
        return;
    giveImageToShortcutFromActionAtIndex(0);
    setName(action->nameValue(), false, {});
}

void QVEShortcutEditor::substitute(RecordListModel* list, int kind, const QVariantMap& payload)
{
    if (!m_isEdited)
        return;
    const QString idKey = list == m_actions     ? actionStepKeys().id
                          : list == m_launchers ? launcherReferenceKeys().id
                                                : contextReferenceKeys().id;
    substituteRows(
        list, payload, kind,
        [idKey](const QVariantMap& record, quint32 id) { return uintValue(record.value(idKey)) == id; },
        list->config().referenceFor);
}

void QVEShortcutEditor::subsituteLauncherNotification(const QVariantMap& payload)
{
    substitute(m_launchers, ObjectsFile::Launchers, payload);
}

void QVEShortcutEditor::subsituteContextNotification(const QVariantMap& payload)
{
    substitute(m_contexts, ObjectsFile::Contexts, payload);
}

void QVEShortcutEditor::subsituteActionNotification(const QVariantMap& payload)
{
    substitute(m_actions, ObjectsFile::Actions, payload);
}

// --- Test and help ------------------------------------------------------------------------------------

void QVEShortcutEditor::test()
{
    if (m_shortcut)
        m_shortcut->test();
}

void QVEShortcutEditor::showHelp()
{
    if (zelk::QVEActionHostApplication* application = zelk::QVEAction::applicationObject())
        application->showHelpWithSubject(loc(QStringLiteral("ShortcutHelpSubject")));
}

} // namespace editor
