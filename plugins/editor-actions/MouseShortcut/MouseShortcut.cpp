#include "MouseShortcut.h"

#include "FormatText.h"
#include "ListMove.h"
#include "Log.h"
#include "MouseShortcut/WindowPoints.h"
#include "Platform.h"

#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace zelk::editor {

namespace K = MouseShortcutKeys;
namespace M = MouseShortcutModels;

namespace {

const MouseShortcutClass& cls() { return paneClassObject<MouseShortcutClass>(); }

bool canReadWindows() { return Platform::instance().workspace().canReadWindows(); }

int fieldInt(const QLineEdit* field) { return field ? field->text().trimmed().toInt() : 0; }

double fieldDouble(const QLineEdit* field) { return field ? QLocale::c().toDouble(field->text().trimmed()) : 0; }

QString pauseText(double pause) { return QString::asprintf("%0.1f", pause); }

} // namespace

// --- Class side --------------------------------------------------------------------------------------

QVariantMap MouseShortcutClass::dataForAction(int model) const
{
    if (!categoryOfAction(model))
        return {};
    return {{K::Action, model}, {K::Movements, QVariantList()}};
}

QString MouseShortcutClass::nameForAction(int model) const
{
    return categoryOfAction(model) ? localizedActionName(model) : QString();
}

QVariantMap MouseShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model), ActionPane::suggestsNameForNew() ? nameForAction(model) : QString());
}

// --- Reading, the editing cycle ------------------------------------------------------------------------

bool MouseShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

void MouseShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    if (category() == 0)
        return;
    CUTView = paneView(1, [this] { return makeView(); });
    CUTLastAction = CUTAction;
    selectItemWithTag(CUTActionButton, CUTLastAction);
    CUTLastMovements = CUTMovements;
    CUTMovementsTable->setRulesDelegate(this);
    CUTIsEdited = true;
    CUTLastMouseCategory = -1;
    reloadMovements(CUTLastMovements.isEmpty() ? QList<int>() : QList<int>{0});
    showPaneView(accessoryView, CUTView);
}

QVariantMap MouseShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited)
        return data;
    data.insert(K::Action, CUTLastAction);
    data.insert(K::Movements, CUTLastMovements);
    return data;
}

bool MouseShortcut::willValidateEditing()
{
    if (CUTIsEdited) {
        CUTPersoDict = editedDataValue();
        CUTAction = CUTLastAction;
        readParameters(CUTPersoDict);
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void MouseShortcut::abortEditing()
{
    // Neither a wait for a position nor the chooser outlives the edit.
    if (m_recorder)
        m_recorder->cancel();
    if (CUTAppPanel)
        CUTAppPanel->close();
    CUTAppArray.clear();
    if (CUTMovementsTable)
        CUTMovementsTable->setRulesDelegate(nullptr);
    CUTLastMovements.clear();
    CUTIsEdited = false;
}

bool MouseShortcut::isValid() const
{
    return (CUTAction != M::MainWindowArea && CUTAction != M::FocusedWindowArea) || canReadWindows();
}

QString MouseShortcut::notValidString() const
{
    return isValid() ? QString() : localizedStr(QStringLiteral("FonctionNonValide"));
}

// --- The table -------------------------------------------------------------------------------------------

QString MouseShortcut::movementName(const QVariantMap& movement) const
{
    const int type = movement.value(K::Type).toInt();
    const QString format = localizedStr(QStringLiteral("MovementName%1").arg(type));
    switch (M::categoryOfMouseMovement(type)) {
    case M::PlainMovement:
        return format;
    case M::PointMovement:
        return fillFormat(format, {movement.value(K::XValue).toInt(), movement.value(K::YValue).toInt(),
                                   localizedStr(QStringLiteral("OriginName%1").arg(movement.value(K::Origin).toInt()))});
    case M::IntervalMovement:
        return fillFormat(format, {movement.value(K::XValue).toInt(), movement.value(K::YValue).toInt()});
    case M::WheelMovement:
        return fillFormat(format, {movement.value(K::Wheel).toInt()});
    default:
        return {};
    }
}

QList<int> MouseShortcut::selectedRows() const
{
    return CUTMovementsTable ? CUTMovementsTable->selectedRows() : QList<int>();
}

void MouseShortcut::reloadMovements(const QList<int>& selectRows)
{
    if (!CUTMovementsTable)
        return;
    const QSignalBlocker blocker(CUTMovementsTable);
    CUTMovementsTable->setRowCount(int(CUTLastMovements.size()));
    for (int row = 0; row < CUTLastMovements.size(); ++row) {
        const QVariantMap movement = CUTLastMovements.at(row).toMap();
        const QString cells[2] = {movementName(movement), pauseText(movement.value(K::Pause).toDouble())};
        for (int column = 0; column < 2; ++column) {
            QTableWidgetItem* item = CUTMovementsTable->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                CUTMovementsTable->setItem(row, column, item);
            }
            item->setText(cells[column]);
        }
    }
    CUTMovementsTable->clearSelection();
    int shown = -1;
    for (int row : selectRows) {
        if (row < 0 || row >= CUTLastMovements.size())
            continue;
        CUTMovementsTable->selectionModel()->select(CUTMovementsTable->model()->index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (shown < 0)
            shown = row;
    }
    if (shown >= 0)
        CUTMovementsTable->scrollToItem(CUTMovementsTable->item(shown, 0));
    selectMovementAtIndex(shown);
}

void MouseShortcut::selectMovementAtIndex(int row)
{
    if (!CUTMovementsTable)
        return;
    CUTSelectedRow = row >= 0 && row < CUTLastMovements.size() ? row : -1;
    const QVariantMap movement = CUTSelectedRow >= 0 ? CUTLastMovements.at(CUTSelectedRow).toMap() : QVariantMap();
    const int category = CUTSelectedRow >= 0 ? M::categoryOfMouseMovement(movement.value(K::Type).toInt()) : 0;
    if (category != CUTLastMouseCategory) {
        QWidget* views[] = {CUTEmptyView, CUTEmptyView, CUTLocationView, CUTRelativeView, CUTWheelView};
        CUTMovementAccessoryView->setCurrentWidget(views[category]);
        CUTPauseAccessoryView->setCurrentWidget(category == 0 ? CUTNoPauseView : CUTPauseView);
        CUTLastMouseCategory = category;
    }
    CUTDeleteButton->setEnabled(category != 0);
    if (category == 0)
        return;
    CUTLastPause = movement.value(K::Pause).toDouble();
    CUTPauseField->setText(pauseText(CUTLastPause));
    switch (category) {
    case M::PointMovement:
        CUTLastPoint = QPointF(movement.value(K::XValue).toInt(), movement.value(K::YValue).toInt());
        CUTLastOrigin = movement.value(K::Origin).toInt();
        CUTPosXField->setText(QString::number(int(CUTLastPoint.x())));
        CUTPosYField->setText(QString::number(int(CUTLastPoint.y())));
        selectItemWithTag(CUTOriginButton, CUTLastOrigin);
        CUTPositionButton->setEnabled(CUTLastAction == M::ScreenArea || canReadWindows());
        break;
    case M::IntervalMovement:
        CUTLastPoint = QPointF(movement.value(K::XValue).toInt(), movement.value(K::YValue).toInt());
        CUTDecalXField->setText(QString::number(int(CUTLastPoint.x())));
        CUTDecalYField->setText(QString::number(int(CUTLastPoint.y())));
        break;
    case M::WheelMovement:
        CUTLastWheel = movement.value(K::Wheel).toInt();
        CUTWheelField->setText(QString::number(CUTLastWheel));
        break;
    default:
        break;
    }
}

// --- List editing ----------------------------------------------------------------------------------------

void MouseShortcut::setMovements(const QVariantList& movements, const QList<int>& selectRows, bool isUndo,
                                 const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastMovements, oldSelection = selectedRows()] { setMovements(old, oldSelection, true, {}); },
            [=, this] { setMovements(movements, selectRows, true, {}); }))
        return;
    CUTLastMovements = movements;
    reloadMovements(selectRows);
}

void MouseShortcut::addMovement(int type)
{
    const QVariantMap movement = M::dataForMovement(type);
    if (!CUTIsEdited || movement.isEmpty())
        return;
    const QList<int> rows = selectedRows();
    const int at = rows.isEmpty() ? 0 : rows.last() + 1;
    addMovements({movement}, {at}, at, QStringLiteral("AnnulerAjouterMovement"));
}

void MouseShortcut::addMovements(const QVariantList& movements, const QList<int>& atIndexes, int selectAfterIndex,
                                 const QString& undoKey)
{
    QList<int> select;
    const QVariantList list = listWithInsertedItems(CUTLastMovements, movements, atIndexes, selectAfterIndex, &select);
    if (!select.isEmpty())
        setMovements(list, select, false, fillFormat(localizedStr(undoKey), {int(movements.size())}));
}

void MouseShortcut::delSelectedMovements()
{
    const QList<int> rows = selectedRows();
    if (!CUTIsEdited || rows.isEmpty())
        return;
    delMovementsAtIndexes(rows, rows.first(), QStringLiteral("AnnulerSupprimerMovement"));
}

void MouseShortcut::delMovementsAtIndexes(const QList<int>& indexes, int selectAfterIndex, const QString& undoKey)
{
    QList<int> select;
    int removed = 0;
    const QVariantList list = listWithoutRows(CUTLastMovements, indexes, selectAfterIndex, &select, &removed);
    if (removed > 0)
        setMovements(list, select, false, fillFormat(localizedStr(undoKey), {removed}));
}

void MouseShortcut::moveMovementsFromIndexes(const QList<int>& rows, int toRow)
{
    const std::optional<MovedList> moved = movedList(CUTLastMovements, rows, toRow);
    if (!moved)
        return;
    setMovements(moved->list, moved->rows, false,
                 fillFormat(localizedStr(QStringLiteral("AnnulerDeplacerMovement")), {int(moved->rows.size())}));
}

bool MouseShortcut::canClear() const { return CUTIsEdited && !selectedRows().isEmpty(); }

bool MouseShortcut::canPaste() const { return CUTIsEdited && clipboardHasListItems(QString::fromLatin1(MovementType)); }

void MouseShortcut::copySelectedRules()
{
    QVariantList movements;
    for (int row : selectedRows())
        movements.append(CUTLastMovements.at(row));
    putListItemsOnClipboard(QString::fromLatin1(MovementType), QStringLiteral("MovementDictionary"), movements);
}

void MouseShortcut::cutSelectedRules()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    copySelectedRules();
    delMovementsAtIndexes(rows, rows.first(), QStringLiteral("AnnulerCouperMovement"));
}

void MouseShortcut::clearSelectedRules()
{
    const QList<int> rows = selectedRows();
    if (!rows.isEmpty())
        delMovementsAtIndexes(rows, rows.first(), QStringLiteral("AnnulerEffacerMovement"));
}

void MouseShortcut::pastePasteboard()
{
    if (!CUTIsEdited)
        return;
    const QVariantList movements = listItemsOnClipboard(QString::fromLatin1(MovementType), QStringLiteral("MovementDictionary"));
    if (movements.isEmpty())
        return;
    const QList<int> rows = selectedRows();
    // After the selected row; at the top when none is.
    const int first = rows.isEmpty() ? 0 : rows.last() + 1;
    QList<int> at;
    for (int k = 0; k < movements.size(); ++k)
        at.append(first + k);
    addMovements(movements, at, first, QStringLiteral("AnnulerCollerMovement"));
}

void MouseShortcut::dropRules(const QList<int>& rows, int atRow, bool copy)
{
    if (!CUTIsEdited)
        return;
    if (!copy) {
        moveMovementsFromIndexes(rows, atRow);
        return;
    }
    QVariantList movements;
    QList<int> at;
    for (int k = 0; k < rows.size(); ++k) {
        movements.append(CUTLastMovements.value(rows.at(k)));
        at.append(atRow + k);
    }
    addMovements(movements, at, atRow, QStringLiteral("AnnulerCopierMovement"));
}

// --- The selected movement ---------------------------------------------------------------------------------

void MouseShortcut::replaceMovement(int row, const QVariantMap& movement, bool isUndo, const QString& undoString)
{
    if (row < 0 || row >= CUTLastMovements.size())
        return;
    QVariantList list = CUTLastMovements;
    list[row] = movement;
    setMovements(list, {row}, isUndo, undoString);
}

void MouseShortcut::setPause(double pause, int forMovementAtIndex, bool isUndo, const QString& undoString)
{
    QVariantMap movement = CUTLastMovements.value(forMovementAtIndex).toMap();
    movement.insert(K::Pause, pause);
    replaceMovement(forMovementAtIndex, movement, isUndo, undoString);
}

void MouseShortcut::setPoint(const QPointF& point, int origin, double pause, int forMovementAtIndex, bool isUndo,
                             const QString& undoString)
{
    QVariantMap movement = CUTLastMovements.value(forMovementAtIndex).toMap();
    movement.insert(K::XValue, int(point.x()));
    movement.insert(K::YValue, int(point.y()));
    movement.insert(K::Origin, origin);
    movement.insert(K::Pause, pause);
    replaceMovement(forMovementAtIndex, movement, isUndo, undoString);
}

void MouseShortcut::setInterval(const QPointF& interval, double pause, int forMovementAtIndex, bool isUndo,
                                const QString& undoString)
{
    QVariantMap movement = CUTLastMovements.value(forMovementAtIndex).toMap();
    movement.insert(K::XValue, int(interval.x()));
    movement.insert(K::YValue, int(interval.y()));
    movement.insert(K::Pause, pause);
    replaceMovement(forMovementAtIndex, movement, isUndo, undoString);
}

void MouseShortcut::setWheel(int wheel, double pause, int forMovementAtIndex, bool isUndo, const QString& undoString)
{
    QVariantMap movement = CUTLastMovements.value(forMovementAtIndex).toMap();
    movement.insert(K::Wheel, wheel);
    movement.insert(K::Pause, pause);
    replaceMovement(forMovementAtIndex, movement, isUndo, undoString);
}

void MouseShortcut::setAction(int action, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString, [this, old = CUTLastAction] { setAction(old, true, {}); },
            [=, this] { setAction(action, true, {}); }))
        return;
    CUTLastAction = action;
    selectItemWithTag(CUTActionButton, action);
    if (CUTPositionButton)
        CUTPositionButton->setEnabled(action == M::ScreenArea || canReadWindows());
}

// --- Handlers --------------------------------------------------------------------------------------------

void MouseShortcut::modifyAction()
{
    const int tag = tagOfItem(CUTActionButton, CUTActionButton->currentIndex());
    if (tag == CUTLastAction)
        return;
    setAction(tag, false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierArea")), {CUTActionButton->currentText()}));
}

void MouseShortcut::modifyPosX()
{
    if (!CUTIsEdited || CUTSelectedRow < 0)
        return;
    const bool interval = CUTLastMouseCategory == M::IntervalMovement;
    QLineEdit* field = interval ? CUTDecalXField : CUTPosXField;
    const int x = fieldInt(field);
    if (x == int(CUTLastPoint.x()))
        return;
    const QPointF point(x, CUTLastPoint.y());
    if (interval)
        setInterval(point, CUTLastPause, CUTSelectedRow, false,
                    fillFormat(localizedStr(QStringLiteral("AnnulerModifierInterval")), {x, int(point.y())}));
    else if (CUTLastMouseCategory == M::PointMovement)
        setPoint(point, CUTLastOrigin, CUTLastPause, CUTSelectedRow, false,
                 fillFormat(localizedStr(QStringLiteral("AnnulerModifierPosition")), {x, int(point.y())}));
}

void MouseShortcut::modifyPosY()
{
    if (!CUTIsEdited || CUTSelectedRow < 0)
        return;
    const bool interval = CUTLastMouseCategory == M::IntervalMovement;
    QLineEdit* field = interval ? CUTDecalYField : CUTPosYField;
    const int y = fieldInt(field);
    if (y == int(CUTLastPoint.y()))
        return;
    const QPointF point(CUTLastPoint.x(), y);
    if (interval)
        setInterval(point, CUTLastPause, CUTSelectedRow, false,
                    fillFormat(localizedStr(QStringLiteral("AnnulerModifierInterval")), {int(point.x()), y}));
    else if (CUTLastMouseCategory == M::PointMovement)
        setPoint(point, CUTLastOrigin, CUTLastPause, CUTSelectedRow, false,
                 fillFormat(localizedStr(QStringLiteral("AnnulerModifierPosition")), {int(point.x()), y}));
}

void MouseShortcut::modifyOrigin()
{
    if (CUTSelectedRow < 0 || CUTLastMouseCategory != M::PointMovement)
        return;
    const int origin = tagOfItem(CUTOriginButton, CUTOriginButton->currentIndex());
    if (origin == CUTLastOrigin)
        return;
    QPointF point = CUTLastPoint;
    // On the screen the point keeps its place; in a window the numbers stay.
    if (CUTLastAction == M::ScreenArea)
        point = WindowPoints::pointOnScreenForPointOnScreen(WindowPoints::pointOnScreenForPointOnScreen(point, CUTLastOrigin), origin);
    setPoint(point, origin, CUTLastPause, CUTSelectedRow, false,
             fillFormat(localizedStr(QStringLiteral("AnnulerModifierOrigine")), {CUTOriginButton->currentText()}));
}

void MouseShortcut::modifyWheel()
{
    if (!CUTIsEdited || CUTSelectedRow < 0 || CUTLastMouseCategory != M::WheelMovement)
        return;
    const int wheel = fieldInt(CUTWheelField);
    if (wheel == CUTLastWheel)
        return;
    setWheel(wheel, CUTLastPause, CUTSelectedRow, false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierWheel")), {wheel}));
}

void MouseShortcut::modifyPause()
{
    if (!CUTIsEdited || CUTSelectedRow < 0)
        return;
    const double pause = fieldDouble(CUTPauseField);
    if (pause == CUTLastPause)
        return;
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerModifierPause")), {pause});
    // Every movement has its pause: the other values stay as they are.
    setPause(pause, CUTSelectedRow, false, undo);
}

// --- Recording a point -----------------------------------------------------------------------------------

PositionRecorder& MouseShortcut::positionRecorder()
{
    if (!m_recorder)
        m_recorder = std::make_unique<PositionRecorder>();
    return *m_recorder;
}

void MouseShortcut::setLocation()
{
    if (!CUTIsEdited || CUTSelectedRow < 0 || CUTLastMouseCategory != M::PointMovement || isRecording())
        return;
    if (CUTLastAction == M::ScreenArea) {
        if (alertPanel(cls(), localizedStr(QStringLiteral("DefinirPosition1")), localizedStr(QStringLiteral("DefinirPosition2")),
                       localizedStr(QStringLiteral("DefinirPosition")), localizedStr(QStringLiteral("Annuler")))
            == 1)
            startRecording();
        return;
    }
    CUTAppArray = getApplications();
    CUTAppTable->clear();
    CUTAppTable->addItems(CUTAppArray);
    if (!CUTAppArray.isEmpty())
        CUTAppTable->setCurrentRow(0);
    CUTAppPanel->open();
}

QStringList MouseShortcut::getApplications() const
{
    QStringList names;
    for (const RunningApplication& app : Platform::instance().workspace().runningApplications())
        if (!app.background)
            names << app.displayName;
    return names;
}

void MouseShortcut::abortAppPanel()
{
    if (CUTAppPanel)
        CUTAppPanel->close();
    CUTAppArray.clear();
}

void MouseShortcut::stopAppPanel()
{
    if (!CUTAppPanel)
        return;
    const QString name = CUTAppTable->currentItem() ? CUTAppTable->currentItem()->text() : QString();
    CUTAppPanel->close();
    CUTAppArray.clear();
    if (name.isEmpty() || !CUTIsEdited)
        return;
    Workspace& workspace = Platform::instance().workspace();
    for (const RunningApplication& app : workspace.runningApplications()) {
        if (app.displayName != name)
            continue;
        if (app.pid <= 0 || !workspace.activate(app.pid)) {
            alertPanel(cls(), localizedStr(QStringLiteral("SourisImpossible")),
                       fillFormat(localizedStr(QStringLiteral("ApplicationPasCompatible")), {name}),
                       localizedStr(QStringLiteral("OK")));
            return;
        }
        startRecording();
        return;
    }
}

void MouseShortcut::startRecording()
{
    const int area = CUTLastAction;
    positionRecorder().start(imageValueWithSize(32), [this, area](PositionRecorder::Outcome outcome, const QPointF& point) {
        positionTaken(outcome, point, area);
    });
}

void MouseShortcut::positionTaken(PositionRecorder::Outcome outcome, const QPointF& point, int area)
{
    if (outcome != PositionRecorder::Outcome::Taken || !CUTIsEdited || CUTSelectedRow < 0)
        return;
    QPointF stored;
    if (area == M::ScreenArea) {
        stored = WindowPoints::pointOnScreenForPointOnScreen(point, CUTLastOrigin);
    } else {
        const WindowService::WindowId window =
            area == M::MainWindowArea ? WindowPoints::mainWindowOfFrontApp() : WindowPoints::focusedWindowOfFrontApp();
        if (!window) {
            const std::optional<RunningApplication> front = Platform::instance().workspace().frontApplication();
            alertPanel(cls(), localizedStr(QStringLiteral("SourisImpossible")),
                       fillFormat(localizedStr(QStringLiteral("ApplicationPasFenetre")), {front ? front->displayName : QString()}),
                       localizedStr(QStringLiteral("OK")));
            return;
        }
        stored = WindowPoints::pointOnWindow(WindowPoints::rectOfWindow(window), point, CUTLastOrigin);
    }
    playClicSound();
    Workspace& workspace = Platform::instance().workspace();
    workspace.activate(workspace.ownPid());
    const int x = int(stored.x()), y = int(stored.y());
    setPoint(QPointF(x, y), CUTLastOrigin, CUTLastPause, CUTSelectedRow, false,
             fillFormat(localizedStr(QStringLiteral("AnnulerModifierPosition")), {x, y}));
}

// --- The view --------------------------------------------------------------------------------------------

QWidget* MouseShortcut::makeView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("MouseView"));
    auto* layout = new QVBoxLayout(view);
    auto* top = new QFormLayout;
    CUTActionButton = new QComboBox(view);
    CUTActionButton->setObjectName(QStringLiteral("CUTActionButton"));
    CUTActionButton->setAccessibleName(localizedStr(QStringLiteral("AreaLabel")));
    for (int area = M::ScreenArea; area <= M::FocusedWindowArea; ++area)
        addTaggedItem(CUTActionButton, cls().titleOfModelID(area), area);
    QObject::connect(CUTActionButton, &QComboBox::activated, view, [this] { modifyAction(); });
    top->addRow(localizedStr(QStringLiteral("AreaLabel")), CUTActionButton);
    layout->addLayout(top);

    CUTMovementsTable = new RulesTableView(view, MovementIndexType, 2);
    CUTMovementsTable->setObjectName(QStringLiteral("CUTMovementsTable"));
    CUTMovementsTable->setAccessibleName(localizedStr(QStringLiteral("MovementsLabel")));
    CUTMovementsTable->setHorizontalHeaderLabels({localizedStr(QStringLiteral("name")), localizedStr(QStringLiteral("pause"))});
    CUTMovementsTable->horizontalHeader()->setStretchLastSection(false);
    CUTMovementsTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    CUTMovementsTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    QObject::connect(CUTMovementsTable, &QTableWidget::itemSelectionChanged, view, [this] {
        const QList<int> rows = selectedRows();
        selectMovementAtIndex(rows.isEmpty() ? -1 : rows.first());
    });
    layout->addWidget(CUTMovementsTable);

    auto* buttons = new QHBoxLayout;
    auto* add = new QToolButton(view);
    add->setObjectName(QStringLiteral("CUTAddButton"));
    add->setText(localizedStr(QStringLiteral("AddMovementButton")));
    add->setAccessibleName(localizedStr(QStringLiteral("AddMovementButton")));
    add->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(add);
    for (int type = 0; type < 15; ++type)
        menu->addAction(localizedStr(QStringLiteral("MovementTitle%1").arg(type)), view, [this, type] { addMovement(type); });
    add->setMenu(menu);
    CUTDeleteButton = new QPushButton(localizedStr(QStringLiteral("DelMovementButton")), view);
    CUTDeleteButton->setObjectName(QStringLiteral("CUTDeleteButton"));
    QObject::connect(CUTDeleteButton, &QPushButton::clicked, view, [this] { delSelectedMovements(); });
    buttons->addWidget(add);
    buttons->addWidget(CUTDeleteButton);
    buttons->addStretch();
    layout->addLayout(buttons);

    const auto field = [this](QWidget* parent, QFormLayout* form, const char* name, const char* label, void (MouseShortcut::*handler)(),
                              bool real = false) {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QString::fromLatin1(name));
        if (real)
            edit->setValidator(new QDoubleValidator(0, 1e9, 3, edit));
        else
            edit->setValidator(new QIntValidator(edit));
        edit->setAccessibleName(localizedStr(QString::fromLatin1(label)));
        QObject::connect(edit, &QLineEdit::editingFinished, parent, [this, handler] { (this->*handler)(); });
        form->addRow(localizedStr(QString::fromLatin1(label)), edit);
        return edit;
    };
    const auto page = [](QStackedWidget* box, const char* name) {
        auto* w = new QWidget(box);
        w->setObjectName(QString::fromLatin1(name));
        box->addWidget(w);
        return w;
    };

    CUTMovementAccessoryView = new QStackedWidget(view);
    CUTMovementAccessoryView->setObjectName(QStringLiteral("CUTMovementAccessoryView"));
    CUTEmptyView = page(CUTMovementAccessoryView, "CUTEmptyView");
    CUTLocationView = page(CUTMovementAccessoryView, "CUTLocationView");
    auto* location = new QFormLayout(CUTLocationView);
    CUTPosXField = field(CUTLocationView, location, "CUTPosXField", "XLabel", &MouseShortcut::modifyPosX);
    CUTPosYField = field(CUTLocationView, location, "CUTPosYField", "YLabel", &MouseShortcut::modifyPosY);
    CUTOriginButton = new QComboBox(CUTLocationView);
    CUTOriginButton->setObjectName(QStringLiteral("CUTOriginButton"));
    CUTOriginButton->setAccessibleName(localizedStr(QStringLiteral("OriginLabel")));
    for (int origin = 0; origin < 4; ++origin)
        addTaggedItem(CUTOriginButton, localizedStr(QStringLiteral("OriginName%1").arg(origin)), origin);
    QObject::connect(CUTOriginButton, &QComboBox::activated, view, [this] { modifyOrigin(); });
    location->addRow(localizedStr(QStringLiteral("OriginLabel")), CUTOriginButton);
    CUTPositionButton = new QPushButton(localizedStr(QStringLiteral("PositionButton")), CUTLocationView);
    CUTPositionButton->setObjectName(QStringLiteral("CUTPositionButton"));
    QObject::connect(CUTPositionButton, &QPushButton::clicked, view, [this] { setLocation(); });
    location->addRow(QString(), CUTPositionButton);
    CUTRelativeView = page(CUTMovementAccessoryView, "CUTRelativeView");
    auto* relative = new QFormLayout(CUTRelativeView);
    CUTDecalXField = field(CUTRelativeView, relative, "CUTDecalXField", "DecalXLabel", &MouseShortcut::modifyPosX);
    CUTDecalYField = field(CUTRelativeView, relative, "CUTDecalYField", "DecalYLabel", &MouseShortcut::modifyPosY);
    CUTWheelView = page(CUTMovementAccessoryView, "CUTWheelView");
    auto* wheel = new QFormLayout(CUTWheelView);
    CUTWheelField = field(CUTWheelView, wheel, "CUTWheelField", "WheelLabel", &MouseShortcut::modifyWheel);
    layout->addWidget(CUTMovementAccessoryView);

    CUTPauseAccessoryView = new QStackedWidget(view);
    CUTPauseAccessoryView->setObjectName(QStringLiteral("CUTPauseAccessoryView"));
    CUTNoPauseView = page(CUTPauseAccessoryView, "CUTNoPauseView");
    CUTPauseView = page(CUTPauseAccessoryView, "CUTPauseView");
    auto* pause = new QFormLayout(CUTPauseView);
    CUTPauseField = field(CUTPauseView, pause, "CUTPauseField", "PauseLabel", &MouseShortcut::modifyPause, true);
    layout->addWidget(CUTPauseAccessoryView);

    // The application chooser of the window areas: shown, never waited for.
    std::tie(CUTAppPanel, CUTAppTable) = makeAppPanel(cls(), view, {}, localizedStr(QStringLiteral("AppPanelMessage")),
                                                      [this] { stopAppPanel(); }, [this] { abortAppPanel(); });
    return view;
}

ZELK_REGISTER_ACTION_PANE(MouseShortcutClass)

} // namespace zelk::editor
