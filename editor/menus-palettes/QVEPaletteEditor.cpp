#include "QVEPaletteEditor.h"

#include "EditorWidgets.h"
#include "Log.h"
#include "ModelSupport.h"
#include "QVEActionsManager.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"
#include "QVPalette.h"
#include "QVUtility.h"
#include "ScreenGeometry.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QUndoCommand>
#include <cmath>

namespace editor {

namespace {


bool on(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

// A slider with the number field that follows it.
QSlider* sliderRow(QFormLayout* form, const char* objectName, const QString& key, int minimum, int maximum)
{
    auto* row = new QHBoxLayout;
    auto* slider = named(new QSlider(Qt::Horizontal), objectName, loc(key));
    slider->setRange(minimum, maximum);
    auto* field = new QLabel;
    field->setObjectName(QString::fromLatin1(objectName) + QStringLiteral("Field"));
    field->setMinimumWidth(30);
    QObject::connect(slider, &QSlider::valueChanged, field, [field](int value) { field->setNum(value); });
    row->addWidget(slider, 1);
    row->addWidget(field);
    form->addRow(loc(key), row);
    return slider;
}

int comboIndexOfTag(const QComboBox* box, int tag)
{
    return box->findData(tag);
}

} // namespace

QVEPaletteEditor::QVEPaletteEditor()
    : QVEItemsEditor({ObjectsFile::Palettes, "QVEPaletteEditorWindow", "PE", QStringLiteral("TitrePalette"),
                      QStringLiteral("PaletteHelpSubject"), QStringLiteral("SeulContextPalette"),
                      QStringLiteral("NomPaletteVide"), QStringLiteral("NomPalette")},
                     paletteItemsConfig(), paletteItemKeys())
{
    buildWindow();
    connect(&m_picker, &LocationPicker::picked, this, &QVEPaletteEditor::locationPicked);
    connect(m_testButton, &QPushButton::clicked, this, &QVEPaletteEditor::showPalette);
    m_testButton->setText(loc(QStringLiteral("ApercuPalette")));
    m_testButton->setAccessibleName(loc(QStringLiteral("ApercuPalette")));
}

QVEPaletteEditor::~QVEPaletteEditor() = default;

QVPalette* QVEPaletteEditor::editedPalette() const
{
    return static_cast<QVPalette*>(object());
}

// --- The window ---------------------------------------------------------------------------

void QVEPaletteEditor::buildSettings(QBoxLayout* layout)
{
    layout->addWidget(nameField());
    connect(nameField(), &QLineEdit::editingFinished, this, &QVEPaletteEditor::modifyName);

    auto* columns = new QHBoxLayout;
    auto* left = new QFormLayout;
    auto* right = new QFormLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    layout->addLayout(columns);

    m_showActiveCheck = named(new QCheckBox(loc(QStringLiteral("AfficherSiActive"))), "PEShowActiveCheck",
                              loc(QStringLiteral("AfficherSiActive")));
    m_titleOutsideCheck = named(new QCheckBox(loc(QStringLiteral("TitreExterieur"))), "PETitleOutsideCheck",
                                loc(QStringLiteral("TitreExterieur")));
    left->addRow(m_showActiveCheck);
    left->addRow(m_titleOutsideCheck);
    connect(m_showActiveCheck, &QCheckBox::clicked, this, &QVEPaletteEditor::modifyShowActive);
    connect(m_titleOutsideCheck, &QCheckBox::clicked, this, &QVEPaletteEditor::modifyTitleOutside);
    m_transparencySlider = sliderRow(left, "PETransparencySlider", QStringLiteral("Transparence"), 0, 100);

    auto* location = new QHBoxLayout;
    m_xField = named(new QLineEdit, "PEXField", loc(QStringLiteral("PositionX")));
    m_yField = named(new QLineEdit, "PEYField", loc(QStringLiteral("PositionY")));
    for (QLineEdit* field : {m_xField, m_yField}) {
        field->setValidator(new QIntValidator(-100000, 100000, field));
        field->setMaximumWidth(70);
        location->addWidget(field);
        connect(field, &QLineEdit::editingFinished, this, &QVEPaletteEditor::modifyLocation);
    }
    auto* pick = named(new QPushButton(loc(QStringLiteral("DefinirPosition"))), "PEPickLocationButton",
                       loc(QStringLiteral("DefinirPosition")));
    location->addWidget(pick);
    connect(pick, &QPushButton::clicked, this, &QVEPaletteEditor::setLocation);
    left->addRow(loc(QStringLiteral("Position")), location);

    m_originPopUp = named(new QComboBox, "PEOriginPopUp", loc(QStringLiteral("OriginePosition")));
    for (int tag = 0; tag <= 3; ++tag)
        m_originPopUp->addItem(loc(QStringLiteral("Origine%1").arg(tag)), tag);
    left->addRow(loc(QStringLiteral("OriginePosition")), m_originPopUp);
    connect(m_originPopUp, &QComboBox::activated, this, &QVEPaletteEditor::modifyLocationOrigin);

    m_typePopUp = named(new QComboBox, "PEItemsTypePopUp", loc(QStringLiteral("TypeBoutons")));
    for (int tag = 0; tag <= 6; ++tag) {
        const QImage image = QVUtility::sharedUtility().imageWithName(QStringLiteral("ButtonType%1").arg(tag));
        m_typePopUp->addItem(QIcon(QPixmap::fromImage(image)), loc(QStringLiteral("ButtonType%1").arg(tag)), tag);
    }
    right->addRow(loc(QStringLiteral("TypeBoutons")), m_typePopUp);
    connect(m_typePopUp, &QComboBox::activated, this, &QVEPaletteEditor::modifyItemsType);
    // A row holds at least one button: the layout divides by it.
    m_itemsInWidthSlider = sliderRow(right, "PEItemsInWidthSlider", QStringLiteral("BoutonsParLigne"), 1, 20);
    m_imageSizeSlider = sliderRow(right, "PEImageSizeSlider", QStringLiteral("TailleImages"), 8, 128);
    m_fontSizeSlider = sliderRow(right, "PEFontSizeSlider", QStringLiteral("TailleTexte"), 6, 48);
}

// --- Opening ------------------------------------------------------------------------------

void QVEPaletteEditor::displayWithPalette(QVPalette* palette)
{
    if (!palette) {
        zelk::zlog("QVEPaletteEditor", "displayWithPalette") << "no palette";
        return;
    }
    m_showActiveCheck->setChecked(palette->showActive());
    m_titleOutsideCheck->setChecked(palette->titleOutside());
    m_transparencySlider->setValue(palette->outsideTransparency());
    m_lastLocation = palette->location();
    m_xField->setText(QString::number(int(m_lastLocation.x())));
    m_yField->setText(QString::number(int(m_lastLocation.y())));
    m_lastOrigin = palette->locationOrigin();
    m_originPopUp->setCurrentIndex(comboIndexOfTag(m_originPopUp, m_lastOrigin));
    m_lastType = palette->itemsType();
    m_typePopUp->setCurrentIndex(comboIndexOfTag(m_typePopUp, m_lastType));
    for (auto [slider, value] : {std::pair{m_itemsInWidthSlider, palette->itemsInWidth()},
                                 std::pair{m_imageSizeSlider, palette->itemsImageSize()},
                                 std::pair{m_fontSizeSlider, palette->itemsFontSize()}}) {
        slider->setValue(value);
        // The field shows the value even when the slider had it already.
        if (auto* field = m_window->findChild<QLabel*>(slider->objectName() + QStringLiteral("Field")))
            field->setNum(slider->value());
    }
    if (auto* field = m_window->findChild<QLabel*>(QStringLiteral("PETransparencySliderField")))
        field->setNum(m_transparencySlider->value());
    open(palette, palette->itemsDictArray());
}

// --- The combined setter ------------------------------------------------------------------

QVEPaletteEditor::Settings QVEPaletteEditor::shownSettings() const
{
    return {m_lastName, on(m_showActiveCheck), on(m_titleOutsideCheck), m_lastLocation, m_lastOrigin, m_lastType};
}

void QVEPaletteEditor::applySettings(const Settings& settings)
{
    if (!m_isEdited)
        return;
    if (settings.name != m_lastName)
        showName(settings.name);
    m_showActiveCheck->setChecked(settings.showActive);
    m_titleOutsideCheck->setChecked(settings.titleOutside);
    m_lastLocation = settings.location;
    m_xField->setText(QString::number(int(settings.location.x())));
    m_yField->setText(QString::number(int(settings.location.y())));
    m_lastOrigin = settings.origin;
    m_originPopUp->setCurrentIndex(comboIndexOfTag(m_originPopUp, settings.origin));
    m_lastType = settings.itemsType;
    m_typePopUp->setCurrentIndex(comboIndexOfTag(m_typePopUp, settings.itemsType));
}

void QVEPaletteEditor::setSettings(const Settings& settings, const QString& undoString)
{
    const Settings before = shownSettings();
    QPointer<QVEPaletteEditor> self(this);
    auto apply = [self](const Settings& value) {
        if (self)
            self->applySettings(value);
    };
    if (!m_undoStack) {
        apply(settings);
        return;
    }
    m_undoStack->push(new StateStep<Settings>(apply, before, settings, undoString));
}

void QVEPaletteEditor::modifyName()
{
    if (!m_isEdited || nameField()->text() == m_lastName)
        return;
    Settings settings = shownSettings();
    settings.name = nameField()->text();
    setSettings(settings, locFormat(QStringLiteral("AnnulerModifierNomPalette"), {settings.name}));
}

void QVEPaletteEditor::modifyShowActive()
{
    const bool value = on(m_showActiveCheck);
    m_showActiveCheck->setChecked(!value);
    if (!m_isEdited)
        return;
    Settings settings = shownSettings();
    settings.showActive = value;
    setSettings(settings, loc(QStringLiteral("AnnulerShowActive%1").arg(value ? 1 : 0)));
}

void QVEPaletteEditor::modifyTitleOutside()
{
    const bool value = on(m_titleOutsideCheck);
    m_titleOutsideCheck->setChecked(!value);
    if (!m_isEdited)
        return;
    Settings settings = shownSettings();
    settings.titleOutside = value;
    setSettings(settings, loc(QStringLiteral("AnnulerTitleOutside%1").arg(value ? 1 : 0)));
}

void QVEPaletteEditor::modifyLocation()
{
    if (!m_isEdited)
        return;
    const int x = m_xField->text().toInt();
    const int y = m_yField->text().toInt();
    if (x == int(m_lastLocation.x()) && y == int(m_lastLocation.y())) {
        // Whatever was typed that is no number shows the location again.
        m_xField->setText(QString::number(int(m_lastLocation.x())));
        m_yField->setText(QString::number(int(m_lastLocation.y())));
        return;
    }
    Settings settings = shownSettings();
    settings.location = QPointF(x, y);
    setSettings(settings, locFormat(QStringLiteral("AnnulerModifierPositionPalette"), {qint64(x), qint64(y)}));
}

void QVEPaletteEditor::modifyLocationOrigin()
{
    const int origin = m_originPopUp->currentData().toInt();
    if (!m_isEdited || origin == m_lastOrigin)
        return;
    // The palette stays where it is: the point goes through global
    // coordinates into the new corner.
    const QPointF global = zelk::pointOnScreenForPointOnScreen(m_lastLocation, m_lastOrigin);
    Settings settings = shownSettings();
    settings.location = zelk::pointOnScreenForPointOnScreen(global, origin);
    settings.origin = origin;
    setSettings(settings, locFormat(QStringLiteral("AnnulerModifierLocationOrigin"), {m_originPopUp->currentText()}));
}

void QVEPaletteEditor::modifyItemsType()
{
    const int type = m_typePopUp->currentData().toInt();
    if (!m_isEdited || type == m_lastType)
        return;
    Settings settings = shownSettings();
    settings.itemsType = type;
    setSettings(settings, locFormat(QStringLiteral("AnnulerModifierItemsType"), {m_typePopUp->currentText()}));
}

// --- Preview ------------------------------------------------------------------------------

PaletteLook QVEPaletteEditor::previewLook() const
{
    return {nameField()->text(),
            QPointF(m_xField->text().toInt(), m_yField->text().toInt()),
            m_lastOrigin,
            m_lastType,
            std::max(m_itemsInWidthSlider->value(), 1),
            m_imageSizeSlider->value(),
            m_fontSizeSlider->value()};
}

QList<QVEPalettesManager::PreviewItem> QVEPaletteEditor::workingPreviewItems() const
{
    QList<QVEPalettesManager::PreviewItem> objects;
    for (const QVariant& value : items()->records()) {
        const QVariantMap item = value.toMap();
        const quint32 id = itemObjectID(itemKeys(), item);
        QVEPalettesManager::PreviewItem preview;
        switch (intValue(item.value(itemKeys().type))) {
        case 1: preview.shortcut = QVEShortcutsManager::sharedManager().objectWithID(id); break;
        case 2: preview.action = QVEActionsManager::sharedManager().actionWithID(id); break;
        default: break;
        }
        if (preview.shortcut || preview.action)
            objects << preview;
    }
    return objects;
}

void QVEPaletteEditor::showPalette()
{
    if (!m_isEdited)
        return;
    const QList<QVEPalettesManager::PreviewItem> objects = workingPreviewItems();
    if (objects.isEmpty()) {
        editorAlert(QStringLiteral("UnablePreviewPalette"), QStringLiteral("NoPaletteItem"));
        return;
    }
    editorAlert(QStringLiteral("ViewPalette"), QStringLiteral("ClosePaletteContinue"));
    std::unique_ptr<PalettePreview> panel = PalettePreview::paletteForItems(objects, previewLook());
    m_preview = panel.get();
    panel->exec();
    m_preview = nullptr;
}

// --- Location picking ----------------------------------------------------------------------

void QVEPaletteEditor::setLocation()
{
    if (!m_isEdited || m_picker.isWaiting())
        return;
    if (alert(loc(QStringLiteral("DefinirPosition1")), loc(QStringLiteral("DefinirPosition2")),
              loc(QStringLiteral("DefinirPosition")), loc(QStringLiteral("Annuler")))
        != 1)
        return;
    m_picker.start();
}

void QVEPaletteEditor::locationPicked(const QPointF& global)
{
    if (!m_isEdited)
        return;
    QVUtility::sharedUtility().playClicSound();
    const QPointF point = zelk::pointOnScreenForPointOnScreen(global, m_lastOrigin);
    makeFront();
    m_xField->setText(QString::number(int(point.x())));
    m_yField->setText(QString::number(int(point.y())));
    modifyLocation();
}

// --- OK and Cancel ------------------------------------------------------------------------

void QVEPaletteEditor::writeObject(const QVariantList& itemRecords)
{
    m_picker.cancel();
    QVPalette* palette = editedPalette();
    palette->setNameValue(nameField()->text());
    palette->setShowActive(on(m_showActiveCheck));
    palette->setTitleOutside(on(m_titleOutsideCheck));
    palette->setOutsideTransparency(m_transparencySlider->value());
    palette->setLocation(QPointF(m_xField->text().toInt(), m_yField->text().toInt()));
    palette->setLocationOrigin(m_lastOrigin);
    palette->setItemsType(m_lastType);
    palette->setItemsInWidth(std::max(m_itemsInWidthSlider->value(), 1));
    palette->setItemsImageSize(m_imageSizeSlider->value());
    palette->setItemsFontSize(m_fontSizeSlider->value());
    palette->setItemsDictArray(itemRecords);
}

void QVEPaletteEditor::abortEditing(QObject* sender)
{
    m_picker.cancel();
    QVEItemsEditor::abortEditing(sender);
}

void QVEPaletteEditor::announceObject()
{
    QVEPalettesManager::sharedManager().updatePalettes();
}

void QVEPaletteEditor::deleteNewObject(quint32 id)
{
    // The palette alone: the shortcuts and actions it was made from stay.
    QVEPalettesManager::sharedManager().delPalettesID({id}, false, false);
}

} // namespace editor
