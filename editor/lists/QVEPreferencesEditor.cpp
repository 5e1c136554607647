#include "QVEPreferencesEditor.h"

#include "EditorCommand.h"
#include "Geometry.h"
#include "ModelSupport.h"
#include "LocationPicker.h"
#include "ScreenGeometry.h"
#include "QVERunParamsEditor.h"
#include "QVETableVerbTarget.h"
#include "QVMenu.h"
#include "QVPalette.h"
#include "QVShortcut.h"
#include "QVUtility.h"
#include "SharedUtilities.h"
#include "StripedTableView.h"

#include "Bundle.h"
#include "Log.h"
#include "Platform.h"
#include "QVEAction.h"
#include "UserDefaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace editor {

static constexpr int kPaneCount = 5;

// The pane bar's clicks.
class PaneBarTarget : public QVETableVerbTarget {
public:
    explicit PaneBarTarget(QVEPreferencesEditor* editor) : m_editor(editor) {}
    bool answersVerb(const QString&) const override { return false; }
    bool verbEnabledInTableView(const QString&, QAbstractItemView*) override { return false; }
    void verbInTableView(const QString&, QObject*, QAbstractItemView*) override {}
    void tableViewClickInTableColumn(QAbstractItemView*, int column, int, const QPoint&) override
    {
        // The filler column (5) shows nothing.
        if (column >= 0 && column < kPaneCount)
            m_editor->displayPrefAtIndex(column);
    }

private:
    QVEPreferencesEditor* m_editor;
};

static bool boolOf(const QVariantMap& prefs, const char* key)
{
    return prefs.value(QLatin1String(key)).toBool();
}

static int intOf(const QVariantMap& prefs, const char* key)
{
    return intValue(prefs.value(QLatin1String(key)));
}

static bool isOn(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

static QCheckBox* checkBox(QWidget* pane, const char* name, const char* title)
{
    auto* box = new QCheckBox(loc(QLatin1String(title)), pane);
    box->setObjectName(QLatin1String(name));
    box->setAccessibleName(loc(QLatin1String(title)));
    return box;
}

static QLineEdit* numberField(QWidget* pane, const char* name, const char* title, bool decimal)
{
    auto* field = new QLineEdit(pane);
    field->setObjectName(QLatin1String(name));
    field->setAccessibleName(loc(QLatin1String(title)));
    if (decimal)
        field->setValidator(new QDoubleValidator(0, 3600, 2, field));
    else
        field->setValidator(new QIntValidator(-100000, 100000, field));
    field->setMaximumWidth(80);
    return field;
}

static QSlider* slider(QWidget* pane, const char* name, const char* title, int min, int max)
{
    auto* slider = new QSlider(Qt::Horizontal, pane);
    slider->setObjectName(QLatin1String(name));
    slider->setAccessibleName(loc(QLatin1String(title)));
    slider->setRange(min, max);
    return slider;
}

static void selectTag(QComboBox* box, int tag)
{
    const int index = box->findData(tag);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

QVEPreferencesEditor& QVEPreferencesEditor::sharedEditor()
{
    static QVEPreferencesEditor* editor = new QVEPreferencesEditor; // lives as long as the process
    return *editor;
}

QVEPreferencesEditor::QVEPreferencesEditor()
{
    loadPanel();
    loadPreferences();
}

QVEPreferencesEditor::~QVEPreferencesEditor()
{
    delete m_panel;
}

qint64 QVEPreferencesEditor::loginItemInstalledState()
{
    return engine::SharedUtilities::isLoginItemInstalled() ? 1 : 0;
}

void QVEPreferencesEditor::loadPanel()
{
    m_panel = new QDialog(nullptr);
    m_panel->setObjectName(QStringLiteral("QVEPreferencesPanel"));
    m_panel->setAccessibleName(loc(QStringLiteral("Preferences")));
    m_panel->setModal(true);
    auto* layout = new QVBoxLayout(m_panel);

    m_prefsTable = new QVEPrefTableView(m_panel);
    m_prefsTable->setObjectName(QStringLiteral("PEPrefsTable"));
    m_prefsTable->setAccessibleName(loc(QStringLiteral("PreferencesPanes")));
    m_paneModel = new QStandardItemModel(1, kPaneCount + 1, m_prefsTable);
    for (int column = 0; column <= kPaneCount; ++column) {
        auto* item = new QStandardItem;
        item->setEditable(false);
        item->setSelectable(false);
        if (column < kPaneCount) {
            const QString identifier = QStringLiteral("pref%1").arg(column);
            item->setText(loc(identifier));
            item->setData(QPixmap::fromImage(QVUtility::sharedUtility().imageWithName(identifier)), Qt::DecorationRole);
            item->setTextAlignment(Qt::AlignCenter);
        }
        m_paneModel->setItem(0, column, item);
    }
    m_prefsTable->setModel(m_paneModel);
    m_prefsTable->horizontalHeader()->hide();
    m_prefsTable->verticalHeader()->hide();
    m_prefsTable->setShowGrid(false);
    m_prefsTable->setSelectionMode(QAbstractItemView::NoSelection);
    m_prefsTable->setFocusPolicy(Qt::NoFocus);
    m_prefsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_prefsTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_prefsTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_prefsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_prefsTable->horizontalHeader()->setStretchLastSection(true);
    m_prefsTable->verticalHeader()->setDefaultSectionSize(48);
    m_prefsTable->setFixedHeight(52);
    m_paneBarTarget = std::make_unique<PaneBarTarget>(this);
    m_prefsTable->setVerbDelegate(m_paneBarTarget.get());
    layout->addWidget(m_prefsTable);

    m_accessoryView = new QGroupBox(m_panel);
    m_accessoryView->setObjectName(QStringLiteral("PEAccessoryView"));
    new QVBoxLayout(m_accessoryView);
    layout->addWidget(m_accessoryView, 1);

    const char* paneNames[kPaneCount] = {"PEGeneralView", "PEActionsView", "PEShortcutsView", "PEMenusView",
                                         "PEPalettesView"};
    for (int i = 0; i < kPaneCount; ++i) {
        m_panes[i] = new QWidget;
        m_panes[i]->setObjectName(QLatin1String(paneNames[i]));
        m_panes[i]->setAccessibleName(loc(QStringLiteral("pref%1").arg(i)));
    }

    // General.
    {
        QWidget* pane = m_panes[0];
        auto* form = new QFormLayout(pane);
        m_launchStartup = checkBox(pane, "PEGELaunchStartupCheck", "PEGELaunchStartup");
        m_checkUpdate = checkBox(pane, "PEGECheckUpdateCheck", "PEGECheckUpdate");
        m_reportEachItem = checkBox(pane, "PEGEReportEachItemCheck", "PEGEReportEachItem");
        m_daysSaveReport = numberField(pane, "PEGEDaysSaveReportField", "PEGEDaysSaveReport", false);
        m_dontAnimateCheck = checkBox(pane, "PEGEDontAnimateWindowCheck", "PEGEDontAnimateWindow");
        auto* update = new QPushButton(loc(QStringLiteral("CheckUpdateNow")), pane);
        update->setObjectName(QStringLiteral("PEGECheckUpdateNowButton"));
        update->setAccessibleName(update->text());
        m_versionField = new QLabel(pane);
        m_versionField->setObjectName(QStringLiteral("PEVersionField"));
        form->addRow(m_launchStartup);
        form->addRow(m_checkUpdate, update);
        form->addRow(m_reportEachItem);
        form->addRow(loc(QStringLiteral("PEGEDaysSaveReport")), m_daysSaveReport);
        form->addRow(m_dontAnimateCheck);
        form->addRow(m_versionField);
        connect(m_launchStartup, &QCheckBox::clicked, this, &QVEPreferencesEditor::launchAtStartupStateChanged);
        connect(update, &QPushButton::clicked, this, &QVEPreferencesEditor::checkUpdateNow);
    }
    // Actions.
    {
        QWidget* pane = m_panes[1];
        auto* box = new QVBoxLayout(pane);
        m_suggestNameNew = checkBox(pane, "PEACSuggestNameNewCheck", "PEACSuggestNameNew");
        m_suggestNameModified = checkBox(pane, "PEACSuggestNameModifiedCheck", "PEACSuggestNameModified");
        box->addWidget(m_suggestNameNew);
        box->addWidget(m_suggestNameModified);
        box->addStretch();
    }
    // Shortcuts.
    {
        QWidget* pane = m_panes[2];
        auto* grid = new QFormLayout(pane);
        m_runParamsField = new QLabel(pane);
        m_runParamsField->setObjectName(QStringLiteral("PESCRunParametersField"));
        auto* runButton = new QPushButton(loc(QStringLiteral("ChangeParams")), pane);
        runButton->setObjectName(QStringLiteral("PESCRunParametersButton"));
        runButton->setAccessibleName(loc(QStringLiteral("EditDefaultRunParams")));
        m_actionsRunParamsField = new QLabel(pane);
        m_actionsRunParamsField->setObjectName(QStringLiteral("PESCActionsRunParametersField"));
        auto* stepsButton = new QPushButton(loc(QStringLiteral("ChangeParams")), pane);
        stepsButton->setObjectName(QStringLiteral("PESCActionsRunParametersButton"));
        stepsButton->setAccessibleName(loc(QStringLiteral("EditDefaultActionsRunResultParams")));
        m_copyActions = checkBox(pane, "PESCCopyActionsCheck", "PESCCopyActions");
        grid->addRow(m_runParamsField, runButton);
        grid->addRow(m_actionsRunParamsField, stepsButton);
        grid->addRow(m_copyActions);
        connect(runButton, &QPushButton::clicked, this, &QVEPreferencesEditor::modifySCRunParameters);
        connect(stepsButton, &QPushButton::clicked, this, &QVEPreferencesEditor::modifySCActionsRunParameters);
    }
    // Menus.
    {
        QWidget* pane = m_panes[3];
        auto* box = new QVBoxLayout(pane);
        m_menuInBar = checkBox(pane, "PEMEMenuInBarCheck", "PEMEMenuInBar");
        m_menuImageInBar = checkBox(pane, "PEMEMenuImageInBarCheck", "PEMEMenuImageInBar");
        m_menuNameInBar = checkBox(pane, "PEMEMenuNameInBarCheck", "PEMEMenuNameInBar");
        m_menuShowImage = checkBox(pane, "PEMEMenuShowImageCheck", "PEMEMenuShowImage");
        m_menuShowCombo = checkBox(pane, "PEMEMenuShowComboCheck", "PEMEMenuShowCombo");
        box->addWidget(m_menuInBar);
        for (QCheckBox* sub : {m_menuImageInBar, m_menuNameInBar}) {
            auto* row = new QHBoxLayout;
            row->addSpacing(20);
            row->addWidget(sub);
            box->addLayout(row);
        }
        box->addWidget(m_menuShowImage);
        box->addWidget(m_menuShowCombo);
        box->addStretch();
        connect(m_menuInBar, &QCheckBox::clicked, this, &QVEPreferencesEditor::modifyMEInBar);
    }
    // Palettes.
    {
        QWidget* pane = m_panes[4];
        auto* form = new QFormLayout(pane);
        m_paletteShowActive = checkBox(pane, "PEPAPaletteShowActiveCheck", "PEPAPaletteShowActive");
        m_paletteOrigin = new QComboBox(pane);
        m_paletteOrigin->setObjectName(QStringLiteral("PEPAPaletteLocationOriginButton"));
        m_paletteOrigin->setAccessibleName(loc(QStringLiteral("PEPAPaletteLocationOrigin")));
        for (int tag = 0; tag < 4; ++tag)
            m_paletteOrigin->addItem(loc(QStringLiteral("ScreenOrigin%1").arg(tag)), tag);
        m_paletteX = numberField(pane, "PEPAPaletteLocationXField", "PEPAPaletteLocationX", false);
        m_paletteY = numberField(pane, "PEPAPaletteLocationYField", "PEPAPaletteLocationY", false);
        m_locationButton = new QPushButton(loc(QStringLiteral("DefinirPosition")), pane);
        m_locationButton->setObjectName(QStringLiteral("PEPAPaletteLocationButton"));
        m_locationButton->setAccessibleName(m_locationButton->text());
        auto* location = new QHBoxLayout;
        location->addWidget(m_paletteOrigin);
        location->addWidget(m_paletteX);
        location->addWidget(m_paletteY);
        location->addWidget(m_locationButton);
        m_paletteTitleOutside = checkBox(pane, "PEPAPaletteTitleOutsideCheck", "PEPAPaletteTitleOutside");
        m_paletteTransparency = slider(pane, "PEPAPaletteOutsideTransparencySlider", "PEPAPaletteOutsideTransparency", 0, 100);
        m_paletteItemsInWidth = slider(pane, "PEPAPaletteItemsInWidthSlider", "PEPAPaletteItemsInWidth", 1, 20);
        m_paletteItemsType = new QComboBox(pane);
        m_paletteItemsType->setObjectName(QStringLiteral("PEPAPaletteItemsTypeButton"));
        m_paletteItemsType->setAccessibleName(loc(QStringLiteral("PEPAPaletteItemsType")));
        for (int tag = 0; tag <= 6; ++tag)
            m_paletteItemsType->addItem(
                QIcon(QPixmap::fromImage(QVUtility::sharedUtility().imageWithName(QStringLiteral("ButtonType%1").arg(tag)))),
                loc(QStringLiteral("ButtonTypeName%1").arg(tag)), tag);
        m_paletteImageSize = slider(pane, "PEPAPaletteItemsImageSizeSlider", "PEPAPaletteItemsImageSize", 8, 128);
        m_paletteFontSize = slider(pane, "PEPAPaletteItemsFontSizeSlider", "PEPAPaletteItemsFontSize", 6, 48);
        m_paletteDelay = numberField(pane, "PEPAPaletteDeactivatedDelayField", "PEPAPaletteDeactivatedDelay", true);
        form->addRow(m_paletteShowActive);
        form->addRow(loc(QStringLiteral("PEPAPaletteLocation")), location);
        form->addRow(m_paletteTitleOutside);
        form->addRow(loc(QStringLiteral("PEPAPaletteOutsideTransparency")), m_paletteTransparency);
        form->addRow(loc(QStringLiteral("PEPAPaletteItemsInWidth")), m_paletteItemsInWidth);
        form->addRow(loc(QStringLiteral("PEPAPaletteItemsType")), m_paletteItemsType);
        form->addRow(loc(QStringLiteral("PEPAPaletteItemsImageSize")), m_paletteImageSize);
        form->addRow(loc(QStringLiteral("PEPAPaletteItemsFontSize")), m_paletteFontSize);
        form->addRow(loc(QStringLiteral("PEPAPaletteDeactivatedDelay")), m_paletteDelay);
        connect(m_locationButton, &QPushButton::clicked, this, &QVEPreferencesEditor::modifyPAPaletteLocation);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, m_panel);
    buttons->setObjectName(QStringLiteral("PEButtons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("PEOKButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("PECancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QVEPreferencesEditor::stopPanel);
    connect(buttons, &QDialogButtonBox::rejected, this, &QVEPreferencesEditor::abortPanel);

    m_picker = new LocationPicker(this);
    connect(m_picker, &LocationPicker::picked, this, &QVEPreferencesEditor::pickedLocation);
    connect(m_picker, &LocationPicker::cancelled, this, [this] { m_locationButton->setEnabled(true); });
    m_panel->installEventFilter(this);

    const QString version = zelk::Bundle::main().version();
    m_versionField->setText(QStringLiteral("v. %1").arg(version));
}

QWidget* QVEPreferencesEditor::paneView(int index) const
{
    return index >= 0 && index < kPaneCount ? m_panes[index] : nullptr;
}

void QVEPreferencesEditor::loadPreferences()
{
    zelk::UserDefaults& shared = zelk::UserDefaults::shared();
    shared.reload();
    m_prefsDict = shared.persistentDomain();
    m_baseDict = m_prefsDict;
    zelk::zlog("QVEPreferencesEditor", "loadPreferences") << "loaded" << m_prefsDict.size() << "shared settings";
    applySettings();
}

void QVEPreferencesEditor::applySettings()
{
    const QVariantMap& p = m_prefsDict;
    if (m_dontAnimate)
        m_dontAnimate(boolOf(p, "GEDontAnimateWindow"));
    zelk::QVEAction::setSuggestNameNew(boolOf(p, "ACSuggestNameNew"));
    zelk::QVEAction::setSuggestNameModified(boolOf(p, "ACSuggestNameModified"));
    QVShortcut::setRunParamsDict(p.value(QStringLiteral("SCRunParameters")).toMap());
    QVShortcut::setActionsRunParamsDict(p.value(QStringLiteral("SCActionsRunParameters")).toMap());
    QVShortcut::setActionsResultParamsDict(p.value(QStringLiteral("SCActionsResultParameters")).toMap());
    QVShortcut::setCopyActions(boolOf(p, "CopyActions"));
    QVMenu::Defaults& menu = QVMenu::defaults();
    menu.inBar = boolOf(p, "MEMenuInBar");
    menu.imageInBar = boolOf(p, "MEMenuImageInBar");
    menu.nameInBar = boolOf(p, "MEMenuNameInBar");
    menu.showImage = boolOf(p, "MEMenuShowImage");
    menu.showCombo = boolOf(p, "MEMenuShowCombo");
    QVPalette::Defaults& palette = QVPalette::defaults();
    palette.showActive = boolOf(p, "PAPaletteShowActive");
    palette.locationOrigin = intOf(p, "PAPaletteLocationOrigin");
    palette.location = zelk::pointFromString(p.value(QStringLiteral("PAPaletteLocation")).toString());
    palette.titleOutside = boolOf(p, "PAPaletteTitleOutside");
    palette.outsideTransparency = intOf(p, "PAPaletteOutsideTransparency");
    palette.itemsInWidth = intOf(p, "PAPaletteItemsInWidth");
    palette.itemsType = intOf(p, "PAPaletteItemsType");
    palette.itemsImageSize = intOf(p, "PAPaletteItemsImageSize");
    palette.itemsFontSize = intOf(p, "PAPaletteItemsFontSize");
}

void QVEPreferencesEditor::editPreferences()
{
    getPreferences();
    m_windowStillClosing = false;
    displayPrefAtIndex(0);
    const int result = m_panel->exec();
    m_picker->cancel();
    if (result == QDialog::Accepted)
        setPreferences();
    else
        dropWorkingCopies();
}

void QVEPreferencesEditor::getPreferences()
{
    const QVariantMap& p = m_prefsDict;
    m_loadAtStartState = loginItemInstalledState();
    m_launchStartup->setTristate(m_loadAtStartState == -1);
    m_launchStartup->setCheckState(m_loadAtStartState == -1 ? Qt::PartiallyChecked
                                   : m_loadAtStartState == 1 ? Qt::Checked
                                                              : Qt::Unchecked);
    const std::pair<QCheckBox*, const char*> boxes[] = {
        {m_checkUpdate, "GECheckUpdate"},         {m_reportEachItem, "GEReportEachItem"},
        {m_dontAnimateCheck, "GEDontAnimateWindow"},   {m_suggestNameNew, "ACSuggestNameNew"},
        {m_suggestNameModified, "ACSuggestNameModified"}, {m_copyActions, "CopyActions"},
        {m_menuInBar, "MEMenuInBar"},             {m_menuImageInBar, "MEMenuImageInBar"},
        {m_menuNameInBar, "MEMenuNameInBar"},     {m_menuShowImage, "MEMenuShowImage"},
        {m_menuShowCombo, "MEMenuShowCombo"},     {m_paletteShowActive, "PAPaletteShowActive"},
        {m_paletteTitleOutside, "PAPaletteTitleOutside"}};
    for (const auto& [box, key] : boxes)
        box->setChecked(boolOf(p, key));
    // The sub-boxes follow the loaded menu-bar value, not what a cancelled
    // session left them at.
    m_menuImageInBar->setEnabled(m_menuInBar->isChecked());
    m_menuNameInBar->setEnabled(m_menuInBar->isChecked());
    m_daysSaveReport->setText(QString::number(intOf(p, "GEDaysSaveReport")));
    m_paletteDelay->setText(QString::number(p.value(QStringLiteral("PAPaletteDeactivatedDelay")).toFloat()));
    m_lastRunParams = p.value(QStringLiteral("SCRunParameters")).toMap();
    m_lastActionsRunParams = p.value(QStringLiteral("SCActionsRunParameters")).toMap();
    m_lastActionsResultParams = p.value(QStringLiteral("SCActionsResultParameters")).toMap();
    showRunLabels();
    selectTag(m_paletteOrigin, intOf(p, "PAPaletteLocationOrigin"));
    selectTag(m_paletteItemsType, intOf(p, "PAPaletteItemsType"));
    const QPointF location = zelk::pointFromString(p.value(QStringLiteral("PAPaletteLocation")).toString());
    m_paletteX->setText(QString::number(int(location.x())));
    m_paletteY->setText(QString::number(int(location.y())));
    m_paletteTransparency->setValue(intOf(p, "PAPaletteOutsideTransparency"));
    m_paletteItemsInWidth->setValue(intOf(p, "PAPaletteItemsInWidth"));
    m_paletteImageSize->setValue(intOf(p, "PAPaletteItemsImageSize"));
    m_paletteFontSize->setValue(intOf(p, "PAPaletteItemsFontSize"));
    m_locationButton->setEnabled(true);
}

void QVEPreferencesEditor::showRunLabels()
{
    m_runParamsField->setText(QVERunResultParamsEditor::labelOfRunParametersDict(m_lastRunParams));
    m_actionsRunParamsField->setText(
        QStringLiteral("%1\n\n%2")
            .arg(QVERunResultParamsEditor::labelOfRunParametersDict(m_lastActionsRunParams),
                 QVERunResultParamsEditor::labelOfResultParametersDict(m_lastActionsResultParams)));
}

void QVEPreferencesEditor::setPreferences()
{
    QVariantMap& p = m_prefsDict;
    // The login item first: a switch the system refused is read back and told.
    const Qt::CheckState login = m_launchStartup->checkState();
    if (login != Qt::PartiallyChecked && qint64(login == Qt::Checked) != m_loadAtStartState) {
        if (!engine::SharedUtilities::installLoginItem(login == Qt::Checked)) {
            m_loadAtStartState = loginItemInstalledState();
            m_launchStartup->setCheckState(m_loadAtStartState == 1 ? Qt::Checked : Qt::Unchecked);
            QVUtility::sharedUtility().runAlertPanelWithTitle(loc(QStringLiteral("LoginItemFailed")),
                                                              loc(QStringLiteral("LoginItemFailedMessage")),
                                                              loc(QStringLiteral("OK")), QString(), QString());
        } else {
            m_loadAtStartState = login == Qt::Checked ? 1 : 0;
        }
    }
    p.insert(QStringLiteral("GECheckUpdate"), isOn(m_checkUpdate));
    EditorCommand::post(QLatin1String(EditorCommand::VersionCheck), isOn(m_checkUpdate));
    p.insert(QStringLiteral("GEReportEachItem"), isOn(m_reportEachItem));
    EditorCommand::post(QLatin1String(EditorCommand::ReportEachItem), isOn(m_reportEachItem));
    p.insert(QStringLiteral("GEDaysSaveReport"), qint64(m_daysSaveReport->text().toLongLong()));
    p.insert(QStringLiteral("GEDontAnimateWindow"), isOn(m_dontAnimateCheck));
    p.insert(QStringLiteral("ACSuggestNameNew"), isOn(m_suggestNameNew));
    p.insert(QStringLiteral("ACSuggestNameModified"), isOn(m_suggestNameModified));
    p.insert(QStringLiteral("SCRunParameters"), m_lastRunParams);
    p.insert(QStringLiteral("SCActionsRunParameters"), m_lastActionsRunParams);
    p.insert(QStringLiteral("SCActionsResultParameters"), m_lastActionsResultParams);
    dropWorkingCopies();
    p.insert(QStringLiteral("CopyActions"), isOn(m_copyActions));
    p.insert(QStringLiteral("MEMenuInBar"), isOn(m_menuInBar));
    p.insert(QStringLiteral("MEMenuImageInBar"), isOn(m_menuImageInBar));
    p.insert(QStringLiteral("MEMenuNameInBar"), isOn(m_menuNameInBar));
    p.insert(QStringLiteral("MEMenuShowImage"), isOn(m_menuShowImage));
    p.insert(QStringLiteral("MEMenuShowCombo"), isOn(m_menuShowCombo));
    p.insert(QStringLiteral("PAPaletteShowActive"), isOn(m_paletteShowActive));
    p.insert(QStringLiteral("PAPaletteLocationOrigin"), qint64(m_paletteOrigin->currentData().toInt()));
    p.insert(QStringLiteral("PAPaletteLocation"),
             zelk::stringFromPoint(QPointF(m_paletteX->text().toInt(), m_paletteY->text().toInt())));
    p.insert(QStringLiteral("PAPaletteTitleOutside"), isOn(m_paletteTitleOutside));
    p.insert(QStringLiteral("PAPaletteOutsideTransparency"), qint64(m_paletteTransparency->value()));
    p.insert(QStringLiteral("PAPaletteItemsInWidth"), qint64(m_paletteItemsInWidth->value()));
    p.insert(QStringLiteral("PAPaletteItemsType"), qint64(m_paletteItemsType->currentData().toInt()));
    p.insert(QStringLiteral("PAPaletteItemsImageSize"), qint64(m_paletteImageSize->value()));
    p.insert(QStringLiteral("PAPaletteItemsFontSize"), qint64(m_paletteFontSize->value()));
    const double delay = double(m_paletteDelay->text().toFloat());
    p.insert(QStringLiteral("PAPaletteDeactivatedDelay"), delay);
    EditorCommand::post(QLatin1String(EditorCommand::PaletteDelay), delay);
    applySettings();
    writePreferences();
}

void QVEPreferencesEditor::setValueForKey(const QVariant& value, const QString& key)
{
    if (value.isValid())
        m_prefsDict.insert(key, value);
    else
        m_prefsDict.remove(key);
    writePreferences();
}

bool QVEPreferencesEditor::writePreferences()
{
    zelk::UserDefaults& shared = zelk::UserDefaults::shared();
    // Another writer's keys stay: only what the editor changed since it
    // last read or wrote the domain is laid over the domain as it is now.
    shared.reload();
    QVariantMap merged = shared.persistentDomain();
    QSet<QString> keys(m_prefsDict.keyBegin(), m_prefsDict.keyEnd());
    for (auto it = m_baseDict.keyBegin(); it != m_baseDict.keyEnd(); ++it)
        keys.insert(*it);
    for (const QString& key : std::as_const(keys)) {
        const QVariant mine = m_prefsDict.value(key);
        if (mine == m_baseDict.value(key) && m_prefsDict.contains(key) == m_baseDict.contains(key))
            continue;
        if (m_prefsDict.contains(key))
            merged.insert(key, mine);
        else
            merged.remove(key);
    }
    if (!shared.setPersistentDomain(merged)) {
        zelk::zlog("QVEPreferencesEditor", "writePreferences") << "could not write the shared preferences";
        return false;
    }
    m_prefsDict = merged;
    m_baseDict = merged;
    return true;
}

void QVEPreferencesEditor::displayPrefAtIndex(int index)
{
    if (index < 0 || index >= kPaneCount || index == m_selectedIndex)
        return;
    const bool visible = m_panel->isVisible();
    const QPoint top = m_panel->pos();
    if (m_selectedIndex >= 0) {
        m_accessoryView->layout()->removeWidget(m_panes[m_selectedIndex]);
        m_panes[m_selectedIndex]->setParent(nullptr);
    }
    m_selectedIndex = index;
    for (int column = 0; column < kPaneCount; ++column) {
        QStandardItem* item = m_paneModel->item(0, column);
        item->setBackground(column == index ? QBrush(Qt::transparent) : m_prefsTable->palette().button());
        QFont font = item->font();
        font.setBold(column == index);
        item->setFont(font);
    }
    m_panel->setWindowTitle(loc(QStringLiteral("pref%1").arg(index)));
    m_accessoryView->layout()->addWidget(m_panes[index]);
    m_panes[index]->show();
    // The window grows or shrinks below its top edge.
    m_panel->adjustSize();
    if (visible)
        m_panel->move(top);
}

void QVEPreferencesEditor::launchAtStartupStateChanged()
{
    // From the first click on, the box goes between on and off.
    if (m_launchStartup->isTristate()) {
        m_launchStartup->setTristate(false);
        if (m_launchStartup->checkState() == Qt::PartiallyChecked)
            m_launchStartup->setCheckState(Qt::Checked);
    }
}

void QVEPreferencesEditor::modifyMEInBar()
{
    const bool on = m_menuInBar->isChecked();
    m_menuImageInBar->setEnabled(on);
    m_menuNameInBar->setEnabled(on);
    if (!on) {
        m_menuImageInBar->setChecked(false);
        m_menuNameInBar->setChecked(false);
    }
}

void QVEPreferencesEditor::modifySCRunParameters()
{
    const std::optional<QVariantMap> result = QVERunParamsEditor::sharedEditor().editRunParameters(
        m_lastRunParams, loc(QStringLiteral("EditDefaultRunParams")));
    if (!result)
        return;
    m_lastRunParams = *result;
    showRunLabels();
}

void QVEPreferencesEditor::modifySCActionsRunParameters()
{
    const std::optional<QVariantMap> result = QVERunResultParamsEditor::sharedEditor().editRunResultParameters(
        {{QStringLiteral("runparams"), m_lastActionsRunParams}, {QStringLiteral("resultparams"), m_lastActionsResultParams}},
        loc(QStringLiteral("EditDefaultActionsRunResultParams")));
    if (!result)
        return;
    m_lastActionsRunParams = result->value(QStringLiteral("runparams")).toMap();
    m_lastActionsResultParams = result->value(QStringLiteral("resultparams")).toMap();
    showRunLabels();
}

void QVEPreferencesEditor::modifyPAPaletteLocation()
{
    const int answer = QVUtility::sharedUtility().runAlertPanelWithTitle(
        loc(QStringLiteral("DefinirPosition1")), loc(QStringLiteral("DefinirPosition2")),
        loc(QStringLiteral("DefinirPosition")), loc(QStringLiteral("Annuler")), QString());
    if (answer != 1)
        return;
    m_locationButton->setEnabled(false);
    m_pickOrigin = m_paletteOrigin->currentData().toInt();
    m_picker->start();
}

bool QVEPreferencesEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_panel && event->type() == QEvent::KeyPress && m_picker->isWaiting()
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_picker->cancel();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void QVEPreferencesEditor::pickedLocation(const QPointF& globalPoint)
{
    const QPointF point = zelk::pointOnScreenForPointOnScreen(globalPoint, m_pickOrigin);
    m_locationButton->setEnabled(true);
    m_paletteX->setText(QString::number(int(point.x())));
    m_paletteY->setText(QString::number(int(point.y())));
    m_panel->raise();
    m_panel->activateWindow();
}

void QVEPreferencesEditor::checkUpdateNow()
{
    stopPanel();
    // The engine hears the update check before the settings that OK sends.
    if (m_checkVersion)
        m_checkVersion();
}

void QVEPreferencesEditor::stopPanel()
{
    m_windowStillClosing = true;
    m_picker->cancel();
    m_panel->accept();
}

void QVEPreferencesEditor::abortPanel()
{
    m_windowStillClosing = true;
    m_picker->cancel();
    m_panel->reject();
    dropWorkingCopies();
}

void QVEPreferencesEditor::dropWorkingCopies()
{
    m_lastRunParams.clear();
    m_lastActionsRunParams.clear();
    m_lastActionsResultParams.clear();
}

} // namespace editor
