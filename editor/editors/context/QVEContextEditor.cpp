#include "QVEContextEditor.h"

#include "EditorWidgets.h"
#include "EditorWindowHost.h"
#include "Log.h"
#include "ManagerSupport.h"
#include "ModelSupport.h"
#include "QVContext.h"
#include "QVEContextsManager.h"
#include "QVERuleEditor.h"
#include "QVUtility.h"
#include "ReferenceLists.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace editor {

namespace {

const char* const kWindowName = "QVEContextEditorWindow";

class ContextWindowWatcher : public QObject {
public:
    ContextWindowWatcher(QVEContextEditor* editor, QObject* parent) : QObject(parent), m_editor(editor) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (closeIsCancel(m_editor, event))
            return true;
        if (event->type() == QEvent::WindowActivate && m_editor->editedContext())
            editorWindowHost().undoStackActivated(m_editor->editedContext()->undoManager());
        return QObject::eventFilter(watched, event);
    }

private:
    QVEContextEditor* m_editor;
};

QString appNameOfPath(const QString& path)
{
    QFileInfo info(path);
    return info.suffix() == QLatin1String("app") ? info.completeBaseName() : info.fileName();
}

QString displayNameWithoutApp(const QString& path)
{
    QString name = QVUtility::sharedUtility().displayNameAtPath(path);
    if (name.endsWith(QLatin1String(".app")))
        name.chop(4);
    return name;
}

QImage applicationImage(const QString& name, int size)
{
    QVUtility& utility = QVUtility::sharedUtility();
    const QString path = name.isEmpty() ? QString() : utility.fullPathForApplication(name);
    return path.isEmpty() ? utility.unknownIconWithSize(size) : utility.iconImageForPath(path, size);
}

} // namespace

QVEContextEditor::QVEContextEditor()
{
    m_startTitle = loc(QStringLiteral("TitreContexte"));
    buildWindow();
}

QVEContextEditor::~QVEContextEditor()
{
    // An editor let go of during the application's teardown leaves its
    // window to it.
    if (QCoreApplication::closingDown())
        return;
    // Gone with its context while open (a new context taken back by an undo).
    if (m_isEdited && m_window)
        editorWindowHost().removeWindowsItem(m_window);
    delete m_window;
}

void QVEContextEditor::buildWindow()
{
    m_window = new QWidget(nullptr, Qt::Window);
    m_window->setObjectName(QString::fromLatin1(kWindowName));
    m_window->installEventFilter(new ContextWindowWatcher(this, m_window));
    auto* layout = new QVBoxLayout(m_window);

    auto* top = new QHBoxLayout;
    m_contextImage = named(new QLabel, "CEContextImage", loc(QStringLiteral("ImageContexte")));
    m_contextImage->setFixedSize(32, 32);
    m_nameField = named(new QLineEdit, "CENameField", loc(QStringLiteral("NomContexte")));
    top->addWidget(m_contextImage);
    top->addWidget(m_nameField, 1);
    layout->addLayout(top);
    m_descriptionField = named(new QLabel, "CEDescriptionField", loc(QStringLiteral("DescriptionContexte")));
    layout->addWidget(m_descriptionField);
    connect(m_nameField, &QLineEdit::editingFinished, this, &QVEContextEditor::modifyName);
    passUndoToWindowWhenCommitted(m_nameField, [this] { return m_nameField->text() == m_last.name; });

    m_accessoryView = named(new QStackedWidget, "CEAccessoryView", loc(QStringLiteral("ApplicationContexte")));
    m_type0View = named(new QWidget, "CEType0View", loc(QStringLiteral("ContexteUniversel")));
    m_type1View = named(new QWidget, "CEType1View", loc(QStringLiteral("ApplicationContexte")));
    auto* appLayout = new QHBoxLayout(m_type1View);
    m_type1AppButton = named(new QToolButton, "CEType1AppButton", loc(QStringLiteral("Application")));
    m_type1AppButton->setPopupMode(QToolButton::InstantPopup);
    m_type1AppButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_appMenu = new QMenu(m_type1AppButton);
    m_type1AppButton->setMenu(m_appMenu);
    appLayout->addWidget(m_type1AppButton);
    appLayout->addStretch(1);
    m_accessoryView->addWidget(m_type0View);
    m_accessoryView->addWidget(m_type1View);
    layout->addWidget(m_accessoryView);

    m_rulesTable = named(new QTableView, "CERulesTable", loc(QStringLiteral("ColonneRegles")));
    m_rulesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rulesTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_rulesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rulesTable->setDragDropMode(QAbstractItemView::DragDrop);
    m_rulesTable->setDefaultDropAction(Qt::MoveAction);
    m_rulesTable->setDragDropOverwriteMode(false);
    m_rulesTable->verticalHeader()->hide();
    m_rulesTable->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(m_rulesTable, 1);

    auto* ruleButtons = new QHBoxLayout;
    m_rulesAddButton = named(new QToolButton, "CERulesAddButton", loc(QStringLiteral("AjouterRegle")));
    m_rulesAddButton->setText(QStringLiteral("+"));
    m_rulesAddButton->setPopupMode(QToolButton::InstantPopup);
    auto* addMenu = new QMenu(m_rulesAddButton);
    for (int type = 0; type <= 1; ++type) {
        QAction* item = addMenu->addAction(QVERuleEditor::labelOfRule(QVERuleEditor::newRuleDataForType(type)));
        item->setIcon(QPixmap::fromImage(QVUtility::sharedUtility().imageWithName(QStringLiteral("rule%1").arg(type))));
        item->setData(type);
        connect(item, &QAction::triggered, this, [this, type] { newRuleForType(type); });
    }
    m_rulesAddButton->setMenu(addMenu);
    m_delRulesButton = named(new QPushButton(QStringLiteral("-")), "CEDelRulesButton", loc(QStringLiteral("SupprimerRegles")));
    ruleButtons->addWidget(m_rulesAddButton);
    ruleButtons->addWidget(m_delRulesButton);
    ruleButtons->addStretch(1);
    layout->addLayout(ruleButtons);

    addEditorButtons(layout, "CE", this,
                     {[this] { showHelp(); }, {}, [this] { abortEditing(nullptr); }, [this] { stopEditing(); }});
    m_window->resize(460, 420);
}

// --- Opening ---------------------------------------------------------------------------------

void QVEContextEditor::displayWithContext(QVContext* context)
{
    if (!context) {
        zelk::zlog("QVEContextEditor", "displayWithContext") << "no context";
        return;
    }
    m_context = context;
    m_undoStack = context->undoManager();
    m_params = context->paramsDict();
    const int type = context->contextType();
    m_last.name = context->nameValue();
    m_image = context->imageValue();
    if (type >= 1 && type <= 4) {
        m_accessoryView->setCurrentWidget(m_type1View);
        m_last.application = m_params.value(QStringLiteral("contextactivatedapplication")).toString();
        m_imageApplication = m_last.application;
        setAppButtonWithName(m_last.application);
    } else {
        m_accessoryView->setCurrentWidget(m_type0View);
    }
    showNameState();
    m_descriptionField->setText(context->descriptionValue());

    m_rules = new RecordListModel(contextRulesConfig(&QVERuleEditor::labelOfRule), m_undoStack, this);
    m_rules->setRecords(context->rulesDictArray());
    m_rulesTable->setModel(m_rules);
    m_rules->setView(m_rulesTable);
    m_rulesTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_rulesTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    connect(m_rulesTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &QVEContextEditor::updateButtons);
    connect(m_rules, &RecordListModel::recordsChanged, this, &QVEContextEditor::updateButtons);
    connect(m_delRulesButton, &QPushButton::clicked, m_rules, &RecordListModel::removeSelected);
    connect(m_rulesTable, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() == 0)
            invertActiveOfRuleAtIndex(index.row());
    });
    connect(m_rulesTable, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() == 1)
            editRuleAtIndex(index.row(), false);
    });
    connect(m_rulesTable, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu;
        auto add = [&](const QString& key, bool enabled, const std::function<void()>& run) {
            QAction* item = menu.addAction(loc(key));
            item->setEnabled(enabled);
            connect(item, &QAction::triggered, this, run);
        };
        const bool selected = !m_rules->selectedRows().isEmpty();
        add(QStringLiteral("Couper"), selected, [this] { m_rules->cutSelected(); });
        add(QStringLiteral("Copier"), selected, [this] { m_rules->copySelected(); });
        add(QStringLiteral("Coller"), m_rules->canPaste(generalPasteboard()), [this] { pastePasteboard(); });
        add(QStringLiteral("Supprimer"), selected, [this] { m_rules->removeSelected(); });
        add(QStringLiteral("Modifier"), selected, [this] { editSelectedRule(); });
        add(QStringLiteral("Dupliquer"), selected, [this] { duplicateSelectedRules(); });
        add(QStringLiteral("Activer"), selected, [this] { invertActiveOfSelectedRules(); });
        menu.exec(m_rulesTable->viewport()->mapToGlobal(at));
    });

    // The window's commands: undo on the context's stack, the table's verbs
    // on the rules, Return or Enter on the table edits the selected rule.
    auto command = [this](const QKeySequence& key, QWidget* on, Qt::ShortcutContext where,
                          const std::function<void()>& run) {
        auto* action = new QAction(on);
        action->setShortcut(key);
        action->setShortcutContext(where);
        connect(action, &QAction::triggered, this, run);
        on->addAction(action);
    };
    command(QKeySequence::Undo, m_window, Qt::WindowShortcut, [this] {
        if (m_undoStack)
            m_undoStack->undo();
    });
    command(QKeySequence::Redo, m_window, Qt::WindowShortcut, [this] {
        if (m_undoStack)
            m_undoStack->redo();
    });
    command(QKeySequence::Cut, m_rulesTable, Qt::WidgetShortcut, [this] { m_rules->cutSelected(); });
    command(QKeySequence::Copy, m_rulesTable, Qt::WidgetShortcut, [this] { m_rules->copySelected(); });
    command(QKeySequence::Paste, m_rulesTable, Qt::WidgetShortcut, [this] { pastePasteboard(); });
    command(QKeySequence::Delete, m_rulesTable, Qt::WidgetShortcut, [this] { m_rules->removeSelected(); });
    command(QKeySequence(Qt::Key_Return), m_rulesTable, Qt::WidgetShortcut, [this] { editSelectedRule(); });
    command(QKeySequence(Qt::Key_Enter), m_rulesTable, Qt::WidgetShortcut, [this] { editSelectedRule(); });

    m_isEdited = true;
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    QRect frame = editorWindowFrame(context->editorRect(), m_window->size(), available);
    if (QWidget* front = QApplication::activeWindow(); front && front != m_window
                                                      && front->objectName() == QLatin1String(kWindowName))
        frame = cascadedFrame(frame, front->geometry());
    editorWindowHost().addWindowsItem(m_window, m_window->windowTitle());
    editorWindowHost().maybeAnimateOpen(m_window, frame, {ObjectsFile::Contexts, context->IDValue()});
    updateButtons();
}

void QVEContextEditor::makeFront()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QVEContextEditor::showHelp()
{
    zelk::zlog("QVEContextEditor", "showHelp") << loc(QStringLiteral("ContextHelpSubject"));
    QVUtility::sharedUtility().displayNotImplemented();
}

void QVEContextEditor::updateButtons()
{
    m_delRulesButton->setEnabled(m_rules && !m_rules->selectedRows().isEmpty());
}

// --- Name and application -------------------------------------------------------------------------

void QVEContextEditor::showNameState()
{
    m_nameField->setText(m_last.name);
    m_window->setWindowTitle(titleWithName(m_startTitle, m_last.name));
    editorWindowHost().changeWindowsItem(m_window, m_window->windowTitle());
    if (m_context && m_context->contextType() != 0 && m_last.application != m_imageApplication) {
        m_imageApplication = m_last.application;
        m_image = applicationImage(m_last.application, 32);
        setAppButtonWithName(m_last.application);
    }
    m_contextImage->setPixmap(QPixmap::fromImage(imageSized(m_image, 32)));
}

void QVEContextEditor::modifyName()
{
    if (!m_isEdited)
        return;
    const QString name = m_nameField->text();
    if (name == m_last.name)
        return;
    NameState state = m_last;
    state.name = name;
    setNameState(state, locFormat(QStringLiteral("AnnulerModifierNomContexte"), {name}));
}

void QVEContextEditor::setNameState(const NameState& state, const QString& undoString)
{
    if (state == m_last) {
        showNameState();
        return;
    }
    QPointer<QVEContextEditor> self(this);
    auto apply = [self](const NameState& value) {
        if (!self || !self->m_isEdited)
            return;
        self->m_last = value;
        self->showNameState();
    };
    if (!m_undoStack) {
        apply(state);
        return;
    }
    m_undoStack->push(new StateStep<NameState>(apply, m_last, state, undoString));
}

bool QVEContextEditor::optionHeld()
{
    return QGuiApplication::keyboardModifiers().testFlag(Qt::AltModifier);
}

void QVEContextEditor::modifyApplication()
{
    QVUtility& utility = QVUtility::sharedUtility();
    const QString from = m_last.application.isEmpty() ? QString() : utility.fullPathForApplication(m_last.application);
    const QString path = utility.getApplicationFromPath(from);
    if (path.isEmpty() || appNameOfPath(path) == m_last.application)
        return;
    modifyApplicationFromPath(path, optionHeld());
}

void QVEContextEditor::modifyApplicationFromPath(const QString& path, bool keepName)
{
    if (!m_context || m_context->contextType() == 0 || path.isEmpty())
        return;
    const QString display = displayNameWithoutApp(path);
    NameState state;
    state.application = appNameOfPath(path);
    state.name = keepName ? m_last.name
                          : locFormat(QStringLiteral("NomContexte%1").arg(m_context->contextType()), {display});
    setNameState(state, locFormat(QStringLiteral("AnnulerModifierApplication"), {display}));
}

void QVEContextEditor::setAppButtonWithName(const QString& name)
{
    QVUtility& utility = QVUtility::sharedUtility();
    const QString path = name.isEmpty() ? QString() : utility.fullPathForApplication(name);
    m_type1AppButton->setText(path.isEmpty() ? name : displayNameWithoutApp(path));
    m_type1AppButton->setIcon(QPixmap::fromImage(applicationImage(name, 16)));
    fillLaunchedRecentApp();
}

void QVEContextEditor::fillLaunchedRecentApp()
{
    QVUtility& utility = QVUtility::sharedUtility();
    m_appMenu->clear();
    QStringList titles{m_type1AppButton->text()};
    auto addGroup = [&](const QString& header, const QStringList& paths) {
        m_appMenu->addSection(header);
        for (const QString& path : paths) {
            const QString title = utility.displayNameAtPath(path);
            if (titles.contains(title))
                continue;
            titles << title;
            QAction* item = m_appMenu->addAction(QPixmap::fromImage(utility.iconImageForPath(path, 16)), title);
            item->setData(path);
            connect(item, &QAction::triggered, this, [this, path] { modifyApplicationFromPath(path, optionHeld()); });
        }
    };
    addGroup(loc(QStringLiteral("ApplicationsLancees")), utility.launchedAppPathArray());
    addGroup(loc(QStringLiteral("ApplicationsRecentes")), utility.recentAppPathArray());
    m_appMenu->addSeparator();
    QAction* other = m_appMenu->addAction(loc(QStringLiteral("AutreApplication")));
    other->setObjectName(QStringLiteral("CEAppOtherItem"));
    connect(other, &QAction::triggered, this, &QVEContextEditor::modifyApplication);
}

// --- Rules ----------------------------------------------------------------------------------------

void QVEContextEditor::newRuleForType(int type)
{
    if (!m_rules)
        return;
    const int row = m_rules->selectedRow() + 1;
    if (!m_rules->addRecords({QVERuleEditor::newRuleDataForType(type)}, {row}, row))
        return;
    editRuleAtIndex(row, true);
}

void QVEContextEditor::editSelectedRule()
{
    if (m_rules && m_rules->selectedRow() >= 0)
        editRuleAtIndex(m_rules->selectedRow(), false);
}

void QVEContextEditor::editRuleAtIndex(int row, bool isNew)
{
    if (!m_rules || row < 0 || row >= m_rules->count()) {
        zelk::zlog("QVEContextEditor", "editRuleAtIndex") << "no rule" << row;
        return;
    }
    const std::optional<QVariantMap> edited = QVERuleEditor::sharedEditor().editRuleParameters(
        m_rules->recordAt(row), locFormat(QStringLiteral("EditRuleTitle"), {m_last.name}));
    if (edited) {
        m_rules->replaceRecord(row, *edited);
        return;
    }
    // A new rule the user did not confirm goes again, as a removal of its own.
    if (isNew)
        m_rules->removeRecords({row}, row);
}

void QVEContextEditor::duplicateSelectedRules()
{
    if (!m_rules)
        return;
    const QList<int> rows = m_rules->selectedRows();
    if (rows.isEmpty())
        return;
    QVariantList copies;
    QList<int> at;
    const int first = m_rules->selectedRow() + 1;
    for (int k = 0; k < rows.size(); ++k) {
        copies << m_rules->recordAt(rows[k]);
        at << first + k;
    }
    m_rules->addRecords(copies, at, first, locFormat(QStringLiteral("AnnulerDupliquerRegles"), {qulonglong(copies.size())}));
}

void QVEContextEditor::invertActiveOfRuleAtIndex(int row)
{
    invertActiveFlag(m_rules, QStringLiteral("ruleactive"), row);
}

void QVEContextEditor::invertActiveOfSelectedRules()
{
    if (!m_rules)
        return;
    for (const int row : m_rules->selectedRows())
        invertActiveOfRuleAtIndex(row);
}

void QVEContextEditor::pastePasteboard()
{
    if (m_rules)
        m_rules->paste(generalPasteboard());
}

// --- Commit and discard -------------------------------------------------------------------------------

void QVEContextEditor::closeWindow()
{
    if (m_context && m_window)
        m_context->setEditorRect(QRectF(m_window->geometry()));
    m_isEdited = false;
    if (m_window) {
        editorWindowHost().maybeAnimateClose(m_window, {ObjectsFile::Contexts, m_context ? m_context->IDValue() : 0});
        m_window->hide();
        editorWindowHost().removeWindowsItem(m_window);
    }
    if (m_undoStack)
        m_undoStack->clear();
    m_undoStack = nullptr;
}

bool QVEContextEditor::stopEditing(QObject*)
{
    if (!m_isEdited || !m_context)
        return false;
    const auto keep = shared_from_this();
    modifyName();
    if (m_nameField->text().isEmpty()) {
        editorAlert(QStringLiteral("ImpossibleChangement"), QStringLiteral("NomContexteVide"));
        return false;
    }
    QVContext* context = m_context;
    const int type = context->contextType();
    if (type >= 1 && type <= 4)
        m_params.insert(QStringLiteral("contextactivatedapplication"), m_last.application);
    QVEContextsManager& manager = QVEContextsManager::sharedManager();
    QVContext* identical = manager.contextWithType(type, m_params);
    if (identical && identical != context && !context->isNew()) {
        const int answer = alert(loc(QStringLiteral("ContexteIdentique1")), loc(QStringLiteral("ContexteIdentique2")),
                                 loc(QStringLiteral("Modifier")), loc(QStringLiteral("Substituer")));
        if (answer == 1)
            return false; // "Modifier": keep editing
    }
    const QVariantList rules = m_rules->records();
    closeWindow();
    m_context = nullptr;
    context->setNameValue(m_last.name);
    context->setImageValue(m_image);
    if (identical && identical != context) {
        // The edited context goes; as a new one its deletion leaves this editor alone.
        context->setIsNew(true);
        context->releaseEditor();
        manager.substituteContext(context, identical, true);
        manager.updateContexts();
        return true;
    }
    context->setParamsDict(m_params);
    context->setRulesDictArray(rules);
    context->setIsNew(false);
    manager.updateContexts();
    context->releaseEditor();
    return true;
}

void QVEContextEditor::abortEditing(QObject*)
{
    if (!m_context)
        return;
    const auto keep = shared_from_this();
    QVContext* context = m_context;
    closeWindow();
    m_context = nullptr;
    if (context->isNew()) {
        const quint32 id = context->IDValue();
        context->releaseEditor();
        QVEContextsManager::sharedManager().delContextsID({id}, false);
        return;
    }
    context->releaseEditor();
}

} // namespace editor
