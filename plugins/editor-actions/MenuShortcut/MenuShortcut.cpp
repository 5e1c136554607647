#include "MenuShortcut.h"

#include "FormatText.h"
#include "Log.h"
#include "Platform.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QVBoxLayout>
#include <algorithm>

namespace zelk::editor {

namespace K = MenuShortcutKeys;
namespace M = MenuShortcutModels;

namespace {

const MenuShortcutClass& cls() { return paneClassObject<MenuShortcutClass>(); }

} // namespace

// --- Class side ----------------------------------------------------------------------------------

QVariantMap MenuShortcutClass::dataForAction(int model) const
{
    if (M::categoryOfAction(model) != M::Path)
        return {};
    return {{K::Action, qint64(model)}, {K::Items, QVariantList()}, {K::OnlyDisplayMenu, false}};
}

QString MenuShortcutClass::nameForAction(int model, const QString& itemName, int itemIndex, int itemSelection) const
{
    if (M::categoryOfAction(model) != M::Path)
        return {};
    return fillFormat(localizedActionName(model), {M::labelForName(itemName, itemIndex, itemSelection)});
}

QVariantMap MenuShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model),
                           ActionPane::suggestsNameForNew() ? nameForAction(model, {}, 0, M::FromFirst) : QString());
}

int MenuShortcutClass::indexOfItemWithTitle(const QString& title, const AXElement& parent, bool isInverse)
{
    const auto children = parent ? parent->children() : std::nullopt;
    if (!children)
        return 0;
    for (int i = 0; i < children->size(); ++i) {
        const auto childTitle = children->at(i)->title();
        if (childTitle && *childTitle == title)
            return isInverse ? int(children->size()) - i : i + 1;
    }
    return 0;
}

// --- Reading, validity, the editing cycle --------------------------------------------------------

MenuShortcut::~MenuShortcut() { stopRecording(); }

bool MenuShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    const int storedCategory = categoryOfAction(CUTAction);
    readParameters(CUTPersoDict);
    if (storedCategory == M::TwoLevels || storedCategory == M::ThreeLevels) {
        // The older flat layouts are stored as the path from now on.
        CUTPersoDict.insert(K::Items, CUTItems);
        for (const QString& key : M::flatKeys())
            CUTPersoDict.remove(key);
        CUTPersoDict.insert(K::Action, qint64(M::Path));
    }
    return true;
}

bool MenuShortcut::isValid() const { return CUTAction != M::Path || accessibilityEnabled(); }

QString MenuShortcut::notValidString() const
{
    return isValid() ? QString() : localizedStr(QStringLiteral("FonctionNonValide"));
}

bool MenuShortcut::canTest() const
{
    // A test from the editor would choose among the editor's own menus.
    if (QGuiApplication::applicationState() == Qt::ApplicationActive) {
        alertPanel(cls(), localizedStr(QStringLiteral("PasTest1")), localizedStr(QStringLiteral("PasTest2")),
                   localizedStr(QStringLiteral("OK")));
        return false;
    }
    return true;
}

void MenuShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    if (category() != M::Path)
        return;
    CUTView = paneView(M::Path, [this] { return makeView(); });
    const bool enabled = accessibilityEnabled();
    if (!enabled)
        notifyNotAvailable(cls());
    CUTEditedItems = CUTItems;
    CUTSelItemIndex = -1;
    CUTSelectAppButton->setEnabled(enabled);
    CUTOnlyDisplayMenuCheck->setChecked(CUTOnlyDisplayMenu);
    reloadTable();
    if (!CUTEditedItems.isEmpty()) {
        CUTItemsTable->selectRow(0);
        selectItemAtIndex(0);
    } else {
        selectItemAtIndex(-1);
    }
    CUTRemoveItemButton->setEnabled(!CUTEditedItems.isEmpty());
    CUTIsEdited = true;
    showPaneView(accessoryView, CUTView);
}

QVariantMap MenuShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (category() != M::Path || !CUTIsEdited)
        return data;
    QVariantList items = CUTEditedItems;
    if (CUTSelItemIndex >= 0 && CUTSelItemIndex < items.size())
        items[CUTSelItemIndex] = M::level(CUTItemNameField->text(), CUTItemIndexField->text().toInt(),
                                          tagOfItem(CUTItemSelectionButton, CUTItemSelectionButton->currentIndex()));
    data.insert(K::OnlyDisplayMenu, CUTOnlyDisplayMenuCheck->isChecked());
    data.insert(K::Items, items);
    return data;
}

bool MenuShortcut::willValidateEditing()
{
    stopRecording();
    if (category() == M::Path && CUTIsEdited) {
        saveEditedItem();
        CUTItems = CUTEditedItems;
        CUTPersoDict.insert(K::Items, CUTItems);
        CUTOnlyDisplayMenu = CUTOnlyDisplayMenuCheck->isChecked();
        CUTPersoDict.insert(K::OnlyDisplayMenu, CUTOnlyDisplayMenu);
        CUTIsEdited = false;
    }
    return ActionPane::willValidateEditing();
}

void MenuShortcut::abortEditing()
{
    stopRecording();
    if (CUTAppPanel)
        CUTAppPanel->hide();
    CUTEditedItems.clear();
    CUTIsEdited = false;
    ActionPane::abortEditing();
}

// --- Editing the path ----------------------------------------------------------------------------

QString MenuShortcut::suggestionForEditedRow(const QVariantList& items, int row) const
{
    if (suggestsNameForModified() && row >= 0 && row == items.size() - 1) {
        const QVariantMap last = items.at(row).toMap();
        return cls().nameForAction(CUTAction, last.value(K::ItemName).toString(), last.value(K::ItemIndex).toInt(),
                                   last.value(K::ItemSelection).toInt());
    }
    return possibleNameValue();
}

void MenuShortcut::modifyItemName()
{
    if (!CUTIsEdited || CUTSelItemIndex < 0 || CUTSelItemIndex >= CUTEditedItems.size())
        return;
    const QString name = CUTItemNameField->text();
    QVariantMap lvl = CUTEditedItems.at(CUTSelItemIndex).toMap();
    if (name == lvl.value(K::ItemName).toString())
        return;
    lvl.insert(K::ItemName, name);
    QVariantList items = CUTEditedItems;
    items[CUTSelItemIndex] = lvl;
    setItems(items, CUTSelItemIndex, CUTOnlyDisplayMenuCheck->isChecked(), suggestionForEditedRow(items, CUTSelItemIndex),
             false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierNom")), {name}));
}

void MenuShortcut::modifyItemIndex()
{
    if (!CUTIsEdited || CUTSelItemIndex < 0 || CUTSelItemIndex >= CUTEditedItems.size())
        return;
    const int index = CUTItemIndexField->text().toInt();
    QVariantMap lvl = CUTEditedItems.at(CUTSelItemIndex).toMap();
    if (index == lvl.value(K::ItemIndex).toInt())
        return;
    lvl.insert(K::ItemIndex, index);
    QVariantList items = CUTEditedItems;
    items[CUTSelItemIndex] = lvl;
    setItems(items, CUTSelItemIndex, CUTOnlyDisplayMenuCheck->isChecked(), suggestionForEditedRow(items, CUTSelItemIndex),
             false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierIndex")), {index}));
}

void MenuShortcut::modifyItemSelection()
{
    if (CUTSelItemIndex < 0 || CUTSelItemIndex >= CUTEditedItems.size())
        return;
    const int selection = tagOfItem(CUTItemSelectionButton, CUTItemSelectionButton->currentIndex());
    QVariantMap lvl = CUTEditedItems.at(CUTSelItemIndex).toMap();
    lvl.insert(K::ItemSelection, selection);
    QVariantList items = CUTEditedItems;
    items[CUTSelItemIndex] = lvl;
    setItems(items, CUTSelItemIndex, CUTOnlyDisplayMenuCheck->isChecked(), suggestionForEditedRow(items, CUTSelItemIndex),
             false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierSelection")), {CUTItemSelectionButton->currentText()}));
}

void MenuShortcut::modifyDisplayOnlyMenu()
{
    const bool on = CUTOnlyDisplayMenuCheck->isChecked();
    // The box shows its new state already; the undo step puts the old one back.
    CUTOnlyDisplayMenuCheck->setChecked(!on);
    setItems(CUTEditedItems, CUTSelItemIndex, on, possibleNameValue(), false,
             localizedStr(QStringLiteral("AnnulerAfficherUniquementMenu%1").arg(on ? 1 : 0)));
}

void MenuShortcut::addItem()
{
    const QList<QTableWidgetItem*> selected = CUTItemsTable->selectedItems();
    const int at = selected.isEmpty() ? 0 : CUTItemsTable->currentRow() + 1;
    saveEditedItem();
    QVariantList items = CUTEditedItems;
    items.insert(std::clamp(at, 0, int(items.size())), M::level(QString(), 1, M::FromFirst));
    setItems(items, at, CUTOnlyDisplayMenuCheck->isChecked(), possibleNameValue(), false,
             localizedStr(QStringLiteral("AnnulerAjouterElement")));
    CUTRemoveItemButton->setEnabled(!CUTEditedItems.isEmpty());
}

void MenuShortcut::removeItem()
{
    const int row = CUTItemsTable->selectedItems().isEmpty() ? -1 : CUTItemsTable->currentRow();
    if (row < 0 || row >= CUTEditedItems.size())
        return;
    saveEditedItem();
    QVariantList items = CUTEditedItems;
    items.removeAt(row);
    const int shown = items.isEmpty() ? -1 : std::min(row, int(items.size()) - 1);
    setItems(items, shown, CUTOnlyDisplayMenuCheck->isChecked(), possibleNameValue(), false,
             localizedStr(QStringLiteral("AnnulerSupprimerElement")));
    CUTRemoveItemButton->setEnabled(!CUTEditedItems.isEmpty());
}

void MenuShortcut::setItems(const QVariantList& items, int editedItemIndex, bool displayOnlyMenu, const QString& withCutName,
                            bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTEditedItems, oldRow = CUTSelItemIndex, oldFlag = CUTOnlyDisplayMenuCheck->isChecked(),
             oldName = possibleNameValue()] { setItems(old, oldRow, oldFlag, oldName, true, {}); },
            [=, this] { setItems(items, editedItemIndex, displayOnlyMenu, withCutName, true, {}); }))
        return;
    const bool changed = items != CUTEditedItems;
    CUTEditedItems = items;
    reloadTable();
    if (editedItemIndex >= 0 && editedItemIndex < CUTEditedItems.size())
        CUTItemsTable->selectRow(editedItemIndex);
    else
        CUTItemsTable->clearSelection();
    if (changed || editedItemIndex != CUTSelItemIndex)
        selectItemAtIndex(editedItemIndex < CUTEditedItems.size() ? editedItemIndex : -1);
    CUTOnlyDisplayMenuCheck->setChecked(displayOnlyMenu);
    CUTRemoveItemButton->setEnabled(!CUTEditedItems.isEmpty());
    setPossibleNameValue(withCutName);
}

void MenuShortcut::selectItemAtIndex(int row)
{
    if (row < 0 || row >= CUTEditedItems.size()) {
        CUTItemNameField->clear();
        CUTItemIndexField->clear();
        selectItemWithTag(CUTItemSelectionButton, M::FromFirst);
        CUTSelItemIndex = -1;
        return;
    }
    const QVariantMap lvl = CUTEditedItems.at(row).toMap();
    CUTItemNameField->setText(lvl.value(K::ItemName).toString());
    CUTItemIndexField->setText(QString::number(lvl.value(K::ItemIndex).toInt()));
    selectItemWithTag(CUTItemSelectionButton, lvl.value(K::ItemSelection).toInt());
    CUTSelItemIndex = row;
}

void MenuShortcut::saveEditedItem()
{
    if (CUTSelItemIndex < 0 || CUTSelItemIndex >= CUTEditedItems.size())
        return;
    CUTEditedItems[CUTSelItemIndex] = M::level(CUTItemNameField->text(), CUTItemIndexField->text().toInt(),
                                               tagOfItem(CUTItemSelectionButton, CUTItemSelectionButton->currentIndex()));
}

void MenuShortcut::reloadTable()
{
    const QSignalBlocker block(CUTItemsTable);
    CUTItemsTable->setRowCount(int(CUTEditedItems.size()));
    for (int row = 0; row < CUTEditedItems.size(); ++row) {
        const QVariantMap lvl = CUTEditedItems.at(row).toMap();
        const QStringList cells = {QString::number(row + 1), QLatin1Char(' ') + lvl.value(K::ItemName).toString(),
                                   QString::number(lvl.value(K::ItemIndex).toInt()),
                                   QLatin1Char(' ') + localizedStr(QStringLiteral("SelectionType%1").arg(lvl.value(K::ItemSelection).toInt()))};
        for (int column = 0; column < cells.size(); ++column) {
            QTableWidgetItem* item = CUTItemsTable->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                CUTItemsTable->setItem(row, column, item);
            }
            item->setText(cells[column]);
        }
    }
}

// --- Recording a menu choice ---------------------------------------------------------------------

QStringList MenuShortcut::getApplications() const
{
    QStringList names;
    for (const RunningApplication& app : Platform::instance().workspace().runningApplications())
        if (!app.background)
            names.append(app.name);
    return names;
}

void MenuShortcut::selectMenuItem()
{
    stopRecording();
    CUTAppArray = getApplications();
    CUTAppTable->clear();
    CUTAppTable->addItems(CUTAppArray);
    CUTAppPanel->show();
    CUTAppPanel->raise();
    CUTAppPanel->activateWindow();
}

void MenuShortcut::stopAppPanel()
{
    CUTAppPanel->hide();
    const int row = CUTAppTable->currentRow();
    const QString name = row >= 0 && row < CUTAppArray.size() && CUTAppTable->currentItem() && CUTAppTable->currentItem()->isSelected()
                             ? CUTAppArray.at(row)
                             : QString();
    CUTAppArray.clear();
    if (!name.isEmpty())
        recordMenuOfApplication(name);
}

void MenuShortcut::abortAppPanel()
{
    CUTAppPanel->hide();
    CUTAppArray.clear();
}

bool MenuShortcut::recordMenuOfApplication(const QString& name)
{
    stopRecording();
    Platform& platform = Platform::instance();
    qint64 pid = 0;
    for (const RunningApplication& app : platform.workspace().runningApplications())
        if (app.name == name) {
            pid = app.pid;
            break;
        }
    if (pid <= 0)
        return false;
    CUTObserverApp = platform.accessibility().applicationElement(pid);
    if (CUTObserverApp)
        CUTMenuObserver = platform.accessibility().observeMenus(CUTObserverApp, [this](MenuNotification what, const AXElement& element) {
            switch (what) {
            case MenuNotification::Opened: openMenu(element); break;
            case MenuNotification::Closed: closeMenu(element); break;
            case MenuNotification::ItemSelected: selectedMenuItem(element); break;
            }
        });
    if (!CUTObserverApp || !CUTMenuObserver) {
        CUTObserverApp = nullptr;
        notifyNotCompatibleApplication(name);
        return false;
    }
    CUTWaitSelect = true;
    CUTMenuClosedCount = 0;
    menuRefArray.clear();
    m_blink.start(imageValue());
    platform.workspace().activate(pid);
    return true;
}

void MenuShortcut::stopRecording()
{
    CUTWaitSelect = false;
    CUTMenuObserver.reset();
    CUTObserverApp = nullptr;
    m_blink.stop();
}

void MenuShortcut::notifyNotCompatibleApplication(const QString& name) const
{
    alertPanel(cls(), localizedStr(QStringLiteral("MenuImpossible")),
               fillFormat(localizedStr(QStringLiteral("ApplicationPasCompatible")), {name}), localizedStr(QStringLiteral("OK")));
}

namespace {

// The owner of a menu that opened or closed, and whether it is a menu of
// the menu bar.
struct MenuOwner {
    AXElement owner;
    bool topLevel = false;
};

std::optional<MenuOwner> ownerOfMenu(const AXElement& menu)
{
    const AXElement owner = menu ? menu->parent() : nullptr;
    const AXElement grandparent = owner ? owner->parent() : nullptr;
    const auto role = grandparent ? grandparent->role() : std::nullopt;
    if (!owner || !role)
        return std::nullopt;
    return MenuOwner{owner, *role == AXRole::MenuBar || *role == AXRole::MenuBarItem};
}

} // namespace

void MenuShortcut::openMenu(const AXElement& menu)
{
    const std::optional<MenuOwner> owner = ownerOfMenu(menu);
    if (!owner)
        return;
    if (owner->topLevel)
        menuRefArray.clear();
    else
        menuRefArray.erase(menuRefArray.end() - std::min<qsizetype>(CUTMenuClosedCount, menuRefArray.size()), menuRefArray.end());
    CUTMenuClosedCount = 0;
    menuRefArray.append(owner->owner);
}

void MenuShortcut::closeMenu(const AXElement& menu)
{
    if (!CUTWaitSelect)
        return;
    const std::optional<MenuOwner> owner = ownerOfMenu(menu);
    if (owner && !owner->topLevel)
        ++CUTMenuClosedCount;
}

void MenuShortcut::selectedMenuItem(const AXElement& item)
{
    if (!CUTWaitSelect)
        return;
    QList<AXElement> chain = menuRefArray;
    chain.append(item);
    CUTWaitSelect = false;
    m_blink.stop();
    playClicSound();
    Platform& platform = Platform::instance();
    platform.workspace().activate(platform.workspace().ownPid());
    // Dropping the observer from inside its own call is safe: the centre
    // skips removed observers.
    CUTMenuObserver.reset();
    CUTObserverApp = nullptr;
    menuRefArray.clear();

    const int mode = tagOfItem(CUTItemSelectionButton, CUTItemSelectionButton->currentIndex());
    QVariantList path;
    for (const AXElement& element : chain) {
        const AXElement parent = element->parent();
        const auto title = element->title();
        if (!parent || !title)
            return;
        const int index = MenuShortcutClass::indexOfItemWithTitle(*title, parent, mode == M::FromLast);
        if (index == 0)
            alertPanel(cls(), fillFormat(localizedStr(QStringLiteral("IndexNonTrouve1")), {*title}),
                       localizedStr(QStringLiteral("IndexNonTrouve2")), localizedStr(QStringLiteral("OK")));
        path.append(M::level(*title, index, mode));
    }
    const QVariantMap last = path.last().toMap();
    const QString name = suggestsNameForModified()
                             ? cls().nameForAction(CUTAction, last.value(K::ItemName).toString(), last.value(K::ItemIndex).toInt(), mode)
                             : possibleNameValue();
    setItems(path, 0, CUTOnlyDisplayMenuCheck->isChecked(), name, false,
             fillFormat(localizedStr(QStringLiteral("AnnulerSelectionnerArticle")), {last.value(K::ItemName).toString()}));
}

// --- The view ------------------------------------------------------------------------------------

QWidget* MenuShortcut::makeView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("MenuView"));
    auto* layout = new QVBoxLayout(view);
    CUTItemsTable = new QTableWidget(0, 4, view);
    CUTItemsTable->setObjectName(QStringLiteral("CUTItemsTable"));
    CUTItemsTable->setAccessibleName(localizedStr(QStringLiteral("ItemsLabel")));
    CUTItemsTable->setHorizontalHeaderLabels({localizedStr(QStringLiteral("level")), localizedStr(QStringLiteral("name")),
                                              localizedStr(QStringLiteral("index")), localizedStr(QStringLiteral("selection"))});
    CUTItemsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    CUTItemsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    CUTItemsTable->setSelectionMode(QAbstractItemView::SingleSelection);
    CUTItemsTable->horizontalHeader()->setStretchLastSection(true);
    CUTItemsTable->verticalHeader()->hide();
    QObject::connect(CUTItemsTable, &QTableWidget::itemSelectionChanged, view, [this] {
        const QList<QTableWidgetItem*> selected = CUTItemsTable->selectedItems();
        if (selected.isEmpty())
            return;
        const int row = selected.first()->row();
        if (row == CUTSelItemIndex)
            return;
        saveEditedItem();
        reloadTable();
        selectItemAtIndex(row);
    });
    layout->addWidget(CUTItemsTable);

    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton(localizedStr(QStringLiteral("AddItemButton")), view);
    add->setObjectName(QStringLiteral("CUTAddItemButton"));
    QObject::connect(add, &QPushButton::clicked, view, [this] { addItem(); });
    CUTRemoveItemButton = new QPushButton(localizedStr(QStringLiteral("RemoveItemButton")), view);
    CUTRemoveItemButton->setObjectName(QStringLiteral("CUTRemoveItemButton"));
    QObject::connect(CUTRemoveItemButton, &QPushButton::clicked, view, [this] { removeItem(); });
    CUTSelectAppButton = new QPushButton(localizedStr(QStringLiteral("RecordButton")), view);
    CUTSelectAppButton->setObjectName(QStringLiteral("CUTSelectAppButton"));
    QObject::connect(CUTSelectAppButton, &QPushButton::clicked, view, [this] { selectMenuItem(); });
    buttons->addWidget(add);
    buttons->addWidget(CUTRemoveItemButton);
    buttons->addStretch();
    buttons->addWidget(CUTSelectAppButton);
    layout->addLayout(buttons);

    auto* form = new QFormLayout;
    CUTItemNameField = new QLineEdit(view);
    CUTItemNameField->setObjectName(QStringLiteral("CUTItemNameField"));
    CUTItemNameField->setAccessibleName(localizedStr(QStringLiteral("NameLabel")));
    QObject::connect(CUTItemNameField, &QLineEdit::editingFinished, view, [this] { modifyItemName(); });
    form->addRow(localizedStr(QStringLiteral("NameLabel")), CUTItemNameField);
    CUTItemIndexField = new QLineEdit(view);
    CUTItemIndexField->setObjectName(QStringLiteral("CUTItemIndexField"));
    CUTItemIndexField->setAccessibleName(localizedStr(QStringLiteral("IndexLabel")));
    CUTItemIndexField->setValidator(new QIntValidator(0, 9999, CUTItemIndexField));
    QObject::connect(CUTItemIndexField, &QLineEdit::editingFinished, view, [this] { modifyItemIndex(); });
    form->addRow(localizedStr(QStringLiteral("IndexLabel")), CUTItemIndexField);
    CUTItemSelectionButton = new QComboBox(view);
    CUTItemSelectionButton->setObjectName(QStringLiteral("CUTItemSelectionButton"));
    CUTItemSelectionButton->setAccessibleName(localizedStr(QStringLiteral("SelectionLabel")));
    for (int tag = M::FromFirst; tag <= M::EndsWith; ++tag)
        addTaggedItem(CUTItemSelectionButton, localizedStr(QStringLiteral("SelectionType%1").arg(tag)), tag);
    QObject::connect(CUTItemSelectionButton, &QComboBox::activated, view, [this] { modifyItemSelection(); });
    form->addRow(localizedStr(QStringLiteral("SelectionLabel")), CUTItemSelectionButton);
    layout->addLayout(form);
    CUTOnlyDisplayMenuCheck = new QCheckBox(localizedStr(QStringLiteral("OnlyDisplayMenuCheck")), view);
    CUTOnlyDisplayMenuCheck->setObjectName(QStringLiteral("CUTOnlyDisplayMenuCheck"));
    QObject::connect(CUTOnlyDisplayMenuCheck, &QCheckBox::clicked, view, [this] { modifyDisplayOnlyMenu(); });
    layout->addWidget(CUTOnlyDisplayMenuCheck);

    // The chooser of the application whose menus are recorded.
    std::tie(CUTAppPanel, CUTAppTable) =
        makeAppPanel(cls(), view, Qt::Tool, {}, [this] { stopAppPanel(); }, [this] { abortAppPanel(); });

    // Closing the edit window ends a recording as validating or cancelling does.
    onHide(view, [this] { stopRecording(); });
    return view;
}

ZELK_REGISTER_ACTION_PANE(MenuShortcutClass)

} // namespace zelk::editor
