#include "InterfaceShortcut.h"

#include "FormatText.h"
#include "ListMove.h"
#include "Log.h"
#include "Platform.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace zelk::editor {

namespace K = InterfaceShortcutKeys;
namespace E = InterfaceElements;

namespace {

const InterfaceShortcutClass& cls() { return paneClassObject<InterfaceShortcutClass>(); }

constexpr int kTickMs = 250;
constexpr int kNoticeMs = 1000;
// The stored Command is Ctrl here, Option is Alt.
constexpr Qt::KeyboardModifiers kAddOne = Qt::ControlModifier | Qt::AltModifier;
constexpr Qt::KeyboardModifiers kAddWindow = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier;

} // namespace

// --- Supporting views ----------------------------------------------------------------------------

IItemsTableView::IItemsTableView(QWidget* parent) : RulesTableView(parent, InterfaceItemIndexType)
{
    setColumnCount(1);
    horizontalHeader()->hide();
}

FrameItemView::FrameItemView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void FrameItemView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setPen(QPen(Qt::red, 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

// --- Class side ----------------------------------------------------------------------------------

QVariantMap InterfaceShortcutClass::dataForAction(int model) const
{
    if (E::categoryOfAction(model) != 1)
        return {};
    return {{K::Action, qint64(model)}, {K::Items, QVariantList()}};
}

QString InterfaceShortcutClass::nameForAction(int model) const
{
    return E::categoryOfAction(model) == 1 ? localizedActionName(model) : QString();
}

QVariantMap InterfaceShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model), ActionPane::suggestsNameForNew() ? nameForAction(model) : QString());
}

// --- Reading, validity, the editing cycle --------------------------------------------------------

InterfaceShortcut::~InterfaceShortcut() { stopRecording(); }

bool InterfaceShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

bool InterfaceShortcut::isValid() const { return CUTAction != E::Replay || accessibilityEnabled(); }

QString InterfaceShortcut::notValidString() const
{
    return isValid() ? QString() : localizedStr(QStringLiteral("FonctionNonValide"));
}

void InterfaceShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    if (category() != 1)
        return;
    CUTView = paneView(1, [this] { return makeView(); });
    if (!accessibilityEnabled())
        notifyNotAvailable(cls());
    CUTLastItems = CUTItems;
    CUTItemsTable->setRulesDelegate(this);
    CUTIsEdited = true;
    reloadItems(CUTLastItems.isEmpty() ? QList<int>() : QList<int>{0});
    showPaneView(accessoryView, CUTView);
}

QVariantMap InterfaceShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (category() == 1 && CUTIsEdited)
        data.insert(K::Items, CUTLastItems);
    return data;
}

bool InterfaceShortcut::willValidateEditing()
{
    stopRecording();
    if (category() == 1 && CUTIsEdited) {
        CUTItems = CUTLastItems;
        CUTPersoDict.insert(K::Items, CUTItems);
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void InterfaceShortcut::abortEditing()
{
    stopRecording();
    if (CUTItemsTable)
        CUTItemsTable->setRulesDelegate(nullptr);
    CUTLastItems.clear();
    CUTIsEdited = false;
    ActionPane::abortEditing();
}

// --- Recording -----------------------------------------------------------------------------------

void InterfaceShortcut::startRecording()
{
    if (category() != 1)
        return;
    if (CUTIsRecording) {
        stopRecording();
        return;
    }
    CUTIsRecording = true;
    m_keysHeld = false;
    if (CUTRecordButton)
        CUTRecordButton->setText(localizedStr(QStringLiteral("FinRecord")));
    alertPanel(cls(), localizedStr(QStringLiteral("InfoRecord1")), localizedStr(QStringLiteral("InfoRecord2")),
               localizedStr(QStringLiteral("OK")));
    // The alert may have ended the edit meanwhile.
    if (!CUTIsRecording)
        return;
    m_blink.start(imageValue());
    m_tick.start(kTickMs);
}

void InterfaceShortcut::stopRecording()
{
    CUTIsRecording = false;
    m_tick.stop();
    m_blink.stop();
    hideCurrentElementFrame();
    if (CUTRecordButton)
        CUTRecordButton->setText(localizedStr(QStringLiteral("DebutRecord")));
}

void InterfaceShortcut::updateCurrentElement()
{
    updateCurrentElement(QGuiApplication::queryKeyboardModifiers(), Platform::instance().events().pointerLocation().value_or(QPointF()));
}

void InterfaceShortcut::updateCurrentElement(Qt::KeyboardModifiers modifiers, const QPointF& mouse)
{
    const Qt::KeyboardModifiers held = modifiers & kAddWindow;
    // Added once per press of the combination, not at every tick it is held.
    const bool pressedNow = (held == kAddOne || held == kAddWindow) && !m_keysHeld;
    m_keysHeld = held == kAddOne || held == kAddWindow;
    const AXElement app = frontProcApp();
    const AXElement window = focusedWindowOfApp(app);
    if (window && held == kAddWindow) {
        if (pressedNow) {
            playClicSound();
            int added = 0;
            for (const AXElement& element : E::childrensOfElement(window)) {
                if (E::typeForElement(element) == E::Button)
                    continue;
                const QVariantMap record = E::dataForElement(element, window);
                if (!record.isEmpty()) {
                    addItemDict(record);
                    ++added;
                }
            }
            if (added)
                showRecordInfoPanel();
        }
        return;
    }
    const AXElement under = app ? Platform::instance().accessibility().elementAtPosition(app, mouse) : nullptr;
    if (!under) {
        hideCurrentElementFrame();
        return;
    }
    const AXElement element = E::substituteOfElement(under);
    const QVariantMap record = E::dataForElement(element, window);
    if (sameElement(element, CUTCurrentElement)) {
        // Only a control framed by an earlier tick is added.
        if (pressedNow && held == kAddOne && !record.isEmpty()) {
            playClicSound();
            addItemDict(record);
            showRecordInfoPanel();
        }
        return;
    }
    hideCurrentElementFrame();
    if (!record.isEmpty() && sameElement(E::windowForElement(element), window)) {
        CUTCurrentElement = element;
        showCurrentElementFrame();
    }
}

void InterfaceShortcut::showCurrentElementFrame()
{
    if (!CUTFrameItemWindow || !CUTCurrentElement)
        return;
    const QPointF position = CUTCurrentElement->position().value_or(QPointF());
    const QSizeF size = CUTCurrentElement->size().value_or(QSizeF());
    CUTFrameItemWindow->setGeometry(QRectF(position.x() - 2, position.y() - 2, size.width() + 4, size.height() + 4).toRect());
    CUTFrameItemWindow->show();
    CUTFrameItemWindow->raise();
}

void InterfaceShortcut::hideCurrentElementFrame()
{
    if (CUTFrameItemWindow)
        CUTFrameItemWindow->hide();
    CUTCurrentElement = nullptr;
}

void InterfaceShortcut::showRecordInfoPanel()
{
    if (!CUTRecordInfoWindow)
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = CUTRecordInfoWindow->frameGeometry();
        frame.moveCenter(screen->geometry().center());
        CUTRecordInfoWindow->move(frame.topLeft());
    }
    CUTRecordInfoWindow->show();
    CUTRecordInfoWindow->raise();
    // Closed a second later, without holding up the editor.
    QTimer::singleShot(kNoticeMs, CUTRecordInfoWindow, [window = CUTRecordInfoWindow] {
        if (window)
            window->hide();
    });
}

// --- The list ------------------------------------------------------------------------------------

QList<int> InterfaceShortcut::selectedRows() const { return CUTItemsTable ? CUTItemsTable->selectedRows() : QList<int>(); }

QString InterfaceShortcut::textOfRow(int row) const
{
    if (row < 0 || row >= CUTLastItems.size())
        return {};
    const QVariantMap item = CUTLastItems.at(row).toMap();
    const QString title = item.value(K::Title).toString();
    switch (item.value(K::Type).toInt()) {
    case E::Button: return fillFormat(localizedStr(QStringLiteral("ItemName0")), {title});
    case E::TextField: return fillFormat(localizedStr(QStringLiteral("ItemName1")), {item.value(K::Value).toString()});
    case E::CheckBox:
        return fillFormat(localizedStr(QStringLiteral("ItemName%1").arg(20 + item.value(K::Value).toInt())), {title});
    case E::RadioButton: return fillFormat(localizedStr(QStringLiteral("ItemName3")), {title});
    case E::Slider: return fillFormat(localizedStr(QStringLiteral("ItemName4")), {item.value(K::Value).toDouble()});
    default: return {};
    }
}

void InterfaceShortcut::reloadItems(const QList<int>& selectRows)
{
    if (!CUTItemsTable)
        return;
    const QSignalBlocker block(CUTItemsTable);
    CUTItemsTable->setRowCount(int(CUTLastItems.size()));
    for (int row = 0; row < CUTLastItems.size(); ++row) {
        QTableWidgetItem* item = CUTItemsTable->item(row, 0);
        if (!item) {
            item = new QTableWidgetItem;
            CUTItemsTable->setItem(row, 0, item);
        }
        item->setText(textOfRow(row));
    }
    CUTItemsTable->clearSelection();
    for (int row : selectRows)
        if (row >= 0 && row < CUTLastItems.size())
            CUTItemsTable->selectionModel()->select(CUTItemsTable->model()->index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!selectRows.isEmpty() && selectRows.first() >= 0 && selectRows.first() < CUTLastItems.size()) {
        CUTItemsTable->setCurrentCell(selectRows.first(), 0, QItemSelectionModel::NoUpdate);
        CUTItemsTable->scrollToItem(CUTItemsTable->item(selectRows.first(), 0));
    }
    if (CUTDeleteButton)
        CUTDeleteButton->setEnabled(!CUTLastItems.isEmpty());
}

void InterfaceShortcut::setItems(const QVariantList& items, const QList<int>& selectRows, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastItems, oldSelection = selectedRows()] { setItems(old, oldSelection, true, {}); },
            [=, this] { setItems(items, selectRows, true, {}); }))
        return;
    CUTLastItems = items;
    reloadItems(selectRows);
}

void InterfaceShortcut::addItemDict(const QVariantMap& record)
{
    if (record.isEmpty())
        return;
    const QList<int> rows = selectedRows();
    const int at = rows.isEmpty() ? 0 : rows.last() + 1;
    addItems({record}, {at}, at, QStringLiteral("AnnulerAjouterElement"));
}

void InterfaceShortcut::addItems(const QVariantList& records, const QList<int>& atIndexes, int selectAfterIndex,
                                 const QString& undoKey)
{
    QList<int> select;
    const QVariantList list = listWithInsertedItems(CUTLastItems, records, atIndexes, selectAfterIndex, &select);
    if (!select.isEmpty())
        setItems(list, select, false, fillFormat(localizedStr(undoKey), {int(records.size())}));
}

void InterfaceShortcut::delSelectedItems()
{
    const QList<int> rows = selectedRows();
    if (!CUTIsEdited || rows.isEmpty())
        return;
    delItemsAtIndexes(rows, rows.first(), QStringLiteral("AnnulerSupprimerElement"));
}

void InterfaceShortcut::delItemsAtIndexes(const QList<int>& indexes, int selectAfterIndex, const QString& undoKey)
{
    QList<int> select;
    int removed = 0;
    const QVariantList list = listWithoutRows(CUTLastItems, indexes, selectAfterIndex, &select, &removed);
    if (removed > 0)
        setItems(list, select, false, fillFormat(localizedStr(undoKey), {removed}));
}

void InterfaceShortcut::moveItemsFromIndexes(const QList<int>& rows, int toRow)
{
    const std::optional<MovedList> moved = movedList(CUTLastItems, rows, toRow);
    if (!moved)
        return;
    setItems(moved->list, moved->rows, false,
             fillFormat(localizedStr(QStringLiteral("AnnulerDeplacerElement")), {int(moved->rows.size())}));
}

bool InterfaceShortcut::canClear() const { return CUTIsEdited && !selectedRows().isEmpty(); }

bool InterfaceShortcut::canPaste() const { return CUTIsEdited && clipboardHasListItems(QString::fromLatin1(InterfaceItemType)); }

void InterfaceShortcut::copySelectedItems()
{
    QVariantList records;
    for (int row : selectedRows())
        records.append(CUTLastItems.at(row));
    putListItemsOnClipboard(QString::fromLatin1(InterfaceItemType), QStringLiteral("ItemDictionary"), records);
}

void InterfaceShortcut::cutSelectedItems()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    copySelectedItems();
    delItemsAtIndexes(rows, rows.first(), QStringLiteral("AnnulerCouperElement"));
}

void InterfaceShortcut::clearSelectedItems()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    delItemsAtIndexes(rows, rows.first(), QStringLiteral("AnnulerEffacerElement"));
}

void InterfaceShortcut::pastePasteboard()
{
    if (!CUTIsEdited)
        return;
    const QVariantList records = listItemsOnClipboard(QString::fromLatin1(InterfaceItemType), QStringLiteral("ItemDictionary"));
    if (records.isEmpty())
        return;
    const QList<int> rows = selectedRows();
    // After the selected row; at the top when none is.
    const int first = rows.isEmpty() ? 0 : rows.last() + 1;
    QList<int> at;
    for (int k = 0; k < records.size(); ++k)
        at.append(first + k);
    addItems(records, at, first, QStringLiteral("AnnulerCollerElement"));
}

void InterfaceShortcut::dropRules(const QList<int>& rows, int atRow, bool copy)
{
    if (!CUTIsEdited)
        return;
    if (!copy) {
        moveItemsFromIndexes(rows, atRow);
        return;
    }
    QVariantList records;
    QList<int> at;
    for (int k = 0; k < rows.size(); ++k) {
        records.append(CUTLastItems.value(rows.at(k)));
        at.append(atRow + k);
    }
    addItems(records, at, atRow, QStringLiteral("AnnulerCopierElement"));
}

// --- The view ------------------------------------------------------------------------------------

QWidget* InterfaceShortcut::makeView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("InterfaceView"));
    auto* layout = new QVBoxLayout(view);
    CUTItemsTable = new IItemsTableView(view);
    CUTItemsTable->setObjectName(QStringLiteral("CUTItemsTable"));
    CUTItemsTable->setAccessibleName(localizedStr(QStringLiteral("ItemsLabel")));
    layout->addWidget(CUTItemsTable);
    auto* buttons = new QHBoxLayout;
    CUTDeleteButton = new QPushButton(localizedStr(QStringLiteral("DeleteButton")), view);
    CUTDeleteButton->setObjectName(QStringLiteral("CUTDeleteButton"));
    QObject::connect(CUTDeleteButton, &QPushButton::clicked, view, [this] { delSelectedItems(); });
    CUTRecordButton = new QPushButton(localizedStr(QStringLiteral("DebutRecord")), view);
    CUTRecordButton->setObjectName(QStringLiteral("CUTRecordButton"));
    QObject::connect(CUTRecordButton, &QPushButton::clicked, view, [this] { startRecording(); });
    buttons->addWidget(CUTDeleteButton);
    buttons->addStretch();
    buttons->addWidget(CUTRecordButton);
    layout->addLayout(buttons);

    // Overlays of their own, above every window, never taking the focus.
    const Qt::WindowFlags overlay = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                                    | Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint;
    CUTFrameItemWindow = new FrameItemView(view);
    CUTFrameItemWindow->setWindowFlags(overlay | Qt::WindowTransparentForInput);
    CUTFrameItemWindow->setObjectName(QStringLiteral("CUTFrameItemWindow"));
    CUTFrameItemWindow->setMinimumSize(10, 10);
    auto* notice = new QLabel(localizedStr(QStringLiteral("ElementAjoute")), view);
    notice->setWindowFlags(overlay);
    notice->setObjectName(QStringLiteral("CUTRecordInfoWindow"));
    notice->setMargin(16);
    notice->setWindowOpacity(0.5);
    CUTRecordInfoWindow = notice;

    m_tick.setSingleShot(false);
    QObject::connect(&m_tick, &QTimer::timeout, view, [this] {
        if (CUTIsRecording)
            updateCurrentElement();
    });
    // Closing the edit window ends a recording as validating or cancelling does.
    onHide(view, [this] { stopRecording(); });
    return view;
}

ZELK_REGISTER_ACTION_PANE(InterfaceShortcutClass)

} // namespace zelk::editor
