#include "QVEMenuEditor.h"

#include "EditorFrame.h"
#include "EditorWidgets.h"
#include "Log.h"
#include "ManagerSupport.h"
#include "ModelSupport.h"
#include "QVEAction.h"
#include "QVEActionsManager.h"
#include "QVECustomImageView.h"
#include "QVEMenusManager.h"
#include "QVEShortcutsManager.h"
#include "QVMenu.h"
#include "QVShortcut.h"
#include "QVUtility.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QUndoCommand>

namespace editor {

namespace {


bool on(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

QCheckBox* checkBox(const char* objectName, const QString& key)
{
    return named(new QCheckBox(loc(key)), objectName, loc(key));
}

} // namespace

QVEMenuEditor::QVEMenuEditor()
    : QVEItemsEditor({ObjectsFile::Menus, "QVEMenuEditorWindow", "ME", QStringLiteral("TitreMenu"),
                      QStringLiteral("MenuHelpSubject"), QStringLiteral("SeulContextMenu"),
                      QStringLiteral("NomMenuVide"), QStringLiteral("NomMenu")},
                     menuItemsConfig([this](const QVariantList& menus) { return !menuDictsContainsEditedMenu(menus); }),
                     menuItemKeys())
{
    buildWindow();
    auto* separator = named(new QPushButton(loc(QStringLiteral("AjouterSeparateur"))), "MEAddSeparatorButton",
                            loc(QStringLiteral("AjouterSeparateur")));
    m_itemsButtons->insertWidget(2, separator);
    connect(separator, &QPushButton::clicked, this, &QVEMenuEditor::addSeparatorItem);
    connect(m_testButton, &QPushButton::clicked, this, &QVEMenuEditor::test);
}

QVEMenuEditor::~QVEMenuEditor() = default;

QVMenu* QVEMenuEditor::editedMenu() const
{
    return static_cast<QVMenu*>(object());
}

// --- The window ---------------------------------------------------------------------------

void QVEMenuEditor::buildSettings(QBoxLayout* layout)
{
    auto* top = new QHBoxLayout;
    m_imageWell = named(new QVECustomImageView, "MEMenuImage", loc(QStringLiteral("ImageMenu")));
    top->addWidget(m_imageWell);
    top->addWidget(nameField(), 1);
    layout->addLayout(top);
    connect(nameField(), &QLineEdit::editingFinished, this, &QVEMenuEditor::modifyName);

    auto* boxes = new QGridLayout;
    m_inBarCheck = checkBox("MEInBarCheck", QStringLiteral("MenuDansBarre"));
    m_imageInBarCheck = checkBox("MEImageInBarCheck", QStringLiteral("ImageDansBarre"));
    m_imageIsTemplate = checkBox("MEImageIsTemplate", QStringLiteral("ImageModele"));
    m_nameInBarCheck = checkBox("MENameInBarCheck", QStringLiteral("NomDansBarre"));
    m_showImageCheck = checkBox("MEShowImageCheck", QStringLiteral("AfficherIcones"));
    m_showComboCheck = checkBox("MEShowComboCheck", QStringLiteral("AfficherCombinaisons"));
    boxes->addWidget(m_inBarCheck, 0, 0);
    boxes->addWidget(m_imageInBarCheck, 1, 0);
    boxes->addWidget(m_imageIsTemplate, 1, 1);
    boxes->addWidget(m_nameInBarCheck, 2, 0);
    boxes->addWidget(m_showImageCheck, 0, 2);
    boxes->addWidget(m_showComboCheck, 1, 2);
    layout->addLayout(boxes);
    connect(m_inBarCheck, &QCheckBox::clicked, this, &QVEMenuEditor::modifyInBar);
    connect(m_imageInBarCheck, &QCheckBox::clicked, this, &QVEMenuEditor::modifyImageInBar);
    connect(m_nameInBarCheck, &QCheckBox::clicked, this, &QVEMenuEditor::modifyNameInBar);
    connect(m_showImageCheck, &QCheckBox::clicked, this, &QVEMenuEditor::modifyShowImage);
    connect(m_showComboCheck, &QCheckBox::clicked, this, &QVEMenuEditor::modifyShowCombo);

    // The label dialog of a separator item.
    m_separatorPanel = new QDialog;
    m_separatorPanel->setObjectName(QStringLiteral("MESeparatorPanel"));
    m_separatorPanel->setWindowModality(Qt::ApplicationModal);
    m_separatorPanel->setWindowTitle(loc(QStringLiteral("TitreSeparateur")));
    auto* panelLayout = new QVBoxLayout(m_separatorPanel);
    m_separatorLabelField =
        named(new QLineEdit, "MESeparatorLabelField", loc(QStringLiteral("LibelleSeparateur")));
    panelLayout->addWidget(m_separatorLabelField);
    auto* panelButtons = new QHBoxLayout;
    auto* abort = named(new QPushButton(loc(QStringLiteral("Annuler"))), "MESeparatorCancelButton",
                        loc(QStringLiteral("Annuler")));
    auto* stop = named(new QPushButton(QStringLiteral("OK")), "MESeparatorOKButton", QStringLiteral("OK"));
    stop->setDefault(true);
    panelButtons->addStretch(1);
    panelButtons->addWidget(abort);
    panelButtons->addWidget(stop);
    panelLayout->addLayout(panelButtons);
    connect(abort, &QPushButton::clicked, m_separatorPanel, &QDialog::reject);
    connect(stop, &QPushButton::clicked, m_separatorPanel, &QDialog::accept);
}

// --- Opening ------------------------------------------------------------------------------

void QVEMenuEditor::displayWithMenu(QVMenu* menu)
{
    if (!menu) {
        zelk::zlog("QVEMenuEditor", "displayWithMenu") << "no menu";
        return;
    }
    m_imageWell->setNewImage(menu->imageValue());
    // The boxes as stored: "in bar" on with the image and the name off
    // stays so until the user changes something.
    const bool inBar = menu->inBar();
    m_inBarCheck->setChecked(inBar);
    m_imageInBarCheck->setChecked(inBar && menu->imageInBar());
    m_nameInBarCheck->setChecked(inBar && menu->nameInBar());
    m_imageIsTemplate->setChecked(menu->imageIsTemplate());
    for (QCheckBox* box : {m_imageInBarCheck, m_imageIsTemplate, m_nameInBarCheck})
        box->setEnabled(inBar);
    m_showImageCheck->setChecked(menu->showImage());
    m_showComboCheck->setChecked(menu->showCombo());

    open(menu, menu->itemsDictArray());
}

// --- Name and boxes -----------------------------------------------------------------------

QVEMenuEditor::Look QVEMenuEditor::shownLook() const
{
    return {m_lastName, on(m_inBarCheck), on(m_imageInBarCheck), on(m_nameInBarCheck), on(m_showImageCheck),
            on(m_showComboCheck)};
}

void QVEMenuEditor::applyLook(const Look& look)
{
    if (!m_isEdited)
        return;
    if (look.name != m_lastName)
        showName(look.name);
    const bool statusItem = look.inBar && (look.imageInBar || look.nameInBar);
    m_inBarCheck->setChecked(statusItem);
    m_imageInBarCheck->setChecked(statusItem && look.imageInBar);
    m_nameInBarCheck->setChecked(statusItem && look.nameInBar);
    for (QCheckBox* box : {m_imageInBarCheck, m_imageIsTemplate, m_nameInBarCheck})
        box->setEnabled(statusItem);
    m_showImageCheck->setChecked(look.showImage);
    m_showComboCheck->setChecked(look.showCombo);
}

void QVEMenuEditor::setLook(const Look& look, const QString& undoString)
{
    const Look before = shownLook();
    QPointer<QVEMenuEditor> self(this);
    auto apply = [self](const Look& value) {
        if (self)
            self->applyLook(value);
    };
    if (!m_undoStack) {
        apply(look);
        return;
    }
    m_undoStack->push(new StateStep<Look>(apply, before, look, undoString));
}

void QVEMenuEditor::modifyName()
{
    if (!m_isEdited)
        return;
    const QString text = nameField()->text();
    if (text == m_lastName)
        return;
    Look look = shownLook();
    look.name = text;
    setLook(look, locFormat(QStringLiteral("AnnulerModifierNomMenu"), {text}));
}

void QVEMenuEditor::boxClicked(QCheckBox* box, const char* keyFormat, const std::function<void(Look&, bool)>& set)
{
    const bool value = on(box);
    // Back to the state before the click, so that the step records it.
    box->setChecked(!value);
    if (!m_isEdited)
        return;
    Look look = shownLook();
    set(look, value);
    setLook(look, loc(QString::fromLatin1(keyFormat).arg(value ? 1 : 0)));
}

void QVEMenuEditor::modifyInBar()
{
    // Turning the status item on shows the image, turning it off hides it.
    boxClicked(m_inBarCheck, "AnnulerInBar%1", [](Look& look, bool v) { look.inBar = look.imageInBar = v; });
}

void QVEMenuEditor::modifyImageInBar()
{
    boxClicked(m_imageInBarCheck, "AnnulerImageInBar%1", [](Look& look, bool v) { look.imageInBar = v; });
}

void QVEMenuEditor::modifyNameInBar()
{
    boxClicked(m_nameInBarCheck, "AnnulerNameInBar%1", [](Look& look, bool v) { look.nameInBar = v; });
}

void QVEMenuEditor::modifyShowImage()
{
    boxClicked(m_showImageCheck, "AnnulerShowImage%1", [](Look& look, bool v) { look.showImage = v; });
}

void QVEMenuEditor::modifyShowCombo()
{
    boxClicked(m_showComboCheck, "AnnulerShowCombo%1", [](Look& look, bool v) { look.showCombo = v; });
}

// --- Separators, submenus, image ------------------------------------------------------------

void QVEMenuEditor::addSeparatorItem()
{
    if (!m_isEdited)
        return;
    // An undo step like any add: the window's other steps name rows, and a
    // row slipped in without one would send their undo to the wrong items.
    // The selection stays on its row number.
    const QList<int> selected = items()->selectedRows();
    const int current = items()->selectedRow();
    items()->addRecords({QVMenu::newSeparatorItemDict()}, {current + 1}, current + 1);
    items()->selectRows(selected, current);
}

void QVEMenuEditor::editSeparatorItemAtIndex(int row)
{
    if (row < 0 || row >= items()->count())
        return;
    QVariantMap item = items()->recordAt(row);
    const ItemKeys keys = itemKeys();
    m_separatorLabelField->setText(item.value(keys.params).toMap().value(keys.label).toString());
    if (m_separatorPanel->exec() != QDialog::Accepted || !m_isEdited || row >= items()->count())
        return;
    // Type and active flag stay; the parameters hold the label alone.
    item.insert(keys.params, QVariantMap{{keys.label, m_separatorLabelField->text()}});
    items()->replaceRecord(row, item);
}

void QVEMenuEditor::editOtherItem(int row, int type)
{
    if (type == 0) {
        editSeparatorItemAtIndex(row);
    } else if (type == 3) {
        QVEMenusManager::sharedManager().editObjectsID({itemObjectID(itemKeys(), items()->recordAt(row))});
    }
}

void QVEMenuEditor::addItemCommands(QMenu* menu)
{
    addMenuCommand(menu, QStringLiteral("DonnerImage"), items()->selectedRow() >= 0, this,
                   [this] { giveImageToMenu(); });
}

bool QVEMenuEditor::menuReachesMenu(quint32 from, quint32 target)
{
    QSet<quint32> visited;
    QList<quint32> next{from};
    const ItemKeys keys = menuItemKeys();
    while (!next.isEmpty()) {
        const quint32 id = next.takeLast();
        if (id == target)
            return true;
        if (visited.contains(id))
            continue;
        visited.insert(id);
        const QVMenu* menu = QVEMenusManager::sharedManager().objectWithID(id);
        if (!menu)
            continue;
        for (const QVariant& value : menu->itemsDictArray()) {
            const QVariantMap item = value.toMap();
            if (intValue(item.value(keys.type)) == QVMenu::SubmenuItem)
                next << itemObjectID(keys, item);
        }
    }
    return false;
}

bool QVEMenuEditor::menuDictsContainsEditedMenu(const QVariantList& menuRecords)
{
    const QVMenu* edited = editedMenu();
    if (!edited)
        return false;
    for (const QVariant& record : menuRecords) {
        if (menuReachesMenu(uintValue(record.toMap().value(QStringLiteral("menuID"))), edited->IDValue())) {
            makeFront();
            editorAlert(QStringLiteral("ImpossibleAjouterMenu"), QStringLiteral("MenuMenuEdite"));
            return true;
        }
    }
    return false;
}

bool QVEMenuEditor::mayCommit()
{
    // Another editor may have stored a submenu since this one was added.
    QVariantList submenus;
    const ItemKeys keys = itemKeys();
    for (const QVariant& value : items()->records()) {
        const QVariantMap item = value.toMap();
        if (intValue(item.value(keys.type)) == QVMenu::SubmenuItem)
            submenus << QVariantMap{{QStringLiteral("menuID"), qint64(itemObjectID(keys, item))}};
    }
    return !menuDictsContainsEditedMenu(submenus);
}

void QVEMenuEditor::giveImageToMenu()
{
    const int row = items()->selectedRow();
    if (row < 0)
        return;
    const QVariantMap item = items()->recordAt(row);
    const quint32 id = itemObjectID(itemKeys(), item);
    switch (intValue(item.value(itemKeys().type))) {
    case 1:
        if (const QVShortcut* shortcut = QVEShortcutsManager::sharedManager().objectWithID(id))
            m_imageWell->setNewImage(shortcut->imageValue());
        break;
    case 2:
        if (const zelk::QVEAction* action = QVEActionsManager::sharedManager().actionWithID(id))
            m_imageWell->setNewImage(action->imageValue());
        break;
    default: break;
    }
}

QImage QVEMenuEditor::wellImage() const
{
    return m_imageWell->image();
}

// --- Test ---------------------------------------------------------------------------------

void QVEMenuEditor::test()
{
    if (!m_isEdited)
        return;
    delete m_testMenu;
    m_testMenu = QVMenu::menuWithItemsDict(items()->records(), on(m_showImageCheck), on(m_showComboCheck));
    m_testMenu->setAttribute(Qt::WA_DeleteOnClose);
    QVUtility::sharedUtility().displayFloatingMenu(m_testMenu);
}

// --- OK and Cancel ------------------------------------------------------------------------

void QVEMenuEditor::writeObject(const QVariantList& itemRecords)
{
    QVMenu* menu = editedMenu();
    menu->setNameValue(nameField()->text());
    menu->setInBar(on(m_inBarCheck));
    menu->setImageInBar(on(m_imageInBarCheck));
    menu->setImageIsTemplate(on(m_imageIsTemplate));
    menu->setNameInBar(on(m_nameInBarCheck));
    menu->setShowImage(on(m_showImageCheck));
    menu->setShowCombo(on(m_showComboCheck));
    // A record always holds an image: an emptied well keeps the menu's own,
    // or the default.
    QImage image = m_imageWell->image();
    if (image.isNull())
        image = menu->imageValue();
    if (image.isNull())
        image = QVMenu::defaultIcon();
    menu->setImageValue(image);
    menu->setItemsDictArray(itemRecords);
}

void QVEMenuEditor::announceObject()
{
    QVEMenusManager::sharedManager().updateMenus();
}

void QVEMenuEditor::deleteNewObject(quint32 id)
{
    QVEMenusManager::sharedManager().delMenusID({id}, true, false, false);
}

} // namespace editor
