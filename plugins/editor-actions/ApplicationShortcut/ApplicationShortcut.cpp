#include "ApplicationShortcut.h"

#include "Log.h"
#include "FormatText.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace zelk::editor {

namespace K = ApplicationShortcutKeys;

namespace {

const ApplicationShortcutClass& cls()
{
    return paneClassObject<ApplicationShortcutClass>();
}

// The models each view's model pop-up offers.
QList<int> modelsOfCategory(int category)
{
    QList<int> models;
    for (int model = ApplicationShortcutModels::First; model <= ApplicationShortcutModels::Last; ++model)
        if (ApplicationShortcutModels::categoryOfAction(model) == category)
            models.append(model);
    return models;
}

void disableItem(QComboBox* popUp, int index)
{
    if (auto* model = qobject_cast<QStandardItemModel*>(popUp->model()))
        if (QStandardItem* item = model->item(index))
            item->setEnabled(false);
}

// The name shown for an application: its display name without extension.
QString applicationDisplayName(const QString& path)
{
    return withoutAppExtension(displayNameAtPath(path));
}

} // namespace

// --- Class side ------------------------------------------------------------------------

QList<int> ApplicationShortcutClass::modelsID() const
{
    QList<int> models;
    for (int model = ApplicationShortcutModels::First; model <= ApplicationShortcutModels::Last; ++model)
        models.append(model);
    return models;
}

QVariantMap ApplicationShortcutClass::dataForAction(int model, const QString& application) const
{
    const qint64 action = model;
    switch (ApplicationShortcutModels::categoryOfAction(model)) {
    case 1:
        return {{K::Action, action},
                {K::AppPath, application},
                {K::AppFSRef, application.isEmpty() ? QByteArray() : QVEAction::FSRefForPath(application)},
                {K::HideOthers, false}};
    case 2:
    case 3:
        return {{K::Action, action}, {K::Order, qint64(0)}, {K::HideOthers, false}};
    case 4:
        return {{K::Action, action}, {K::AppName, application}, {K::HideOthers, false}};
    case 5:
        return {{K::Action, action}, {K::AppName, application}};
    case 6:
        return {{K::Action, action}, {K::AppName, application}, {K::Force, false}};
    default:
        return {};
    }
}

QString ApplicationShortcutClass::nameForAction(int model, const QString& application) const
{
    if (model < ApplicationShortcutModels::First || model > ApplicationShortcutModels::Last)
        return {};
    const QString format = localizedActionName(model);
    if (model == 1)
        return fillFormat(format, {application.isEmpty() ? QString() : applicationDisplayName(application)});
    if (ApplicationShortcutModels::isNamedModel(model)) {
        QString name = withoutAppExtension(application);
        const QString found = fullPathForApplication(name);
        if (!found.isEmpty())
            name = applicationDisplayName(found);
        return fillFormat(format, {name});
    }
    return format;
}

QVariantMap ApplicationShortcutClass::newDataForAction(int model) const
{
    const QString name = ActionPane::suggestsNameForNew() ? nameForAction(model, QString()) : QString();
    return newActionRecord(*this, dataForAction(model, QString()), name);
}

QStringList ApplicationShortcutClass::pasteboardTypes() const
{
    return {QString::fromLatin1(kFilenamesPboardType)};
}

QList<int> ApplicationShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    const QStringList paths = filePathsOfPasteboard(pasteboard);
    if (paths.isEmpty())
        return {};
    for (const QString& path : paths)
        if (QVEAction::typeForTargetPath(path) != 1)
            return {};
    return {1, 6, 10, 13, 16, 19};
}

QVariantList ApplicationShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    const bool suggest = ActionPane::suggestsNameForNew();
    QVariantList records;
    for (const QString& path : filePathsOfPasteboard(pasteboard)) {
        if (QVEAction::typeForTargetPath(path) != 1)
            continue;
        QString target = QVEAction::targetPath(path);
        if (target.isEmpty())
            target = path;
        QVariantMap data;
        QString name;
        if (forAction == 1) {
            data = dataForAction(1, path);
            name = nameForAction(1, path);
        } else if (ApplicationShortcutModels::isNamedModel(forAction)) {
            data = dataForAction(forAction, applicationNameOfPath(target));
            name = nameForAction(forAction, applicationDisplayName(target));
        } else {
            data = dataForAction(forAction, QString());
            name = nameForAction(forAction, QString());
        }
        records.append(newActionRecord(*this, data, suggest ? name : QString()));
    }
    return records;
}

// --- Reading, validity ------------------------------------------------------------------

bool ApplicationShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

bool ApplicationShortcut::isValid() const
{
    return CUTAction != 1 || fileExistsAtPath(bestPath());
}

QString ApplicationShortcut::notValidString() const
{
    if (CUTAction != 1)
        return {};
    const QString path = bestPath();
    if (fileExistsAtPath(path))
        return {};
    return fillFormat(localizedStr(QStringLiteral("ApplicationNonValide")), {path});
}

// --- The editing cycle --------------------------------------------------------------------

void ApplicationShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    CUTLastAction = CUTAction;
    m_editing = true;
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    switch (cat) {
    case 1:
        // A moved application is shown where it is now.
        CUTLastAppPath = bestPath();
        setAppButtonWithPath(CUTLastAppPath);
        CUTHideOthersCheck->setChecked(CUTHideOthers);
        break;
    case 2:
    case 3:
        CUTLastOrder = CUTOrder;
        selectItemWithTag(CUTOrderButton, CUTOrder == 0 ? 0 : 1);
        CUTHideOthersCheck->setChecked(CUTHideOthers);
        break;
    default:
        CUTLastAppName = CUTAppName;
        selectItemWithTag(CUTActionButton, CUTAction);
        setAppButtonWithName(CUTLastAppName);
        if (cat == 4)
            CUTHideOthersCheck->setChecked(CUTHideOthers);
        if (cat == 6)
            CUTForceCheck->setChecked(CUTForce);
        controlsForActionButton();
        break;
    }
    showPaneView(accessoryView, CUTView);
}

bool ApplicationShortcut::willValidateEditing()
{
    if (m_editing) {
        switch (category()) {
        case 1:
            CUTAppPath = CUTLastAppPath;
            CUTAppFSRef = QVEAction::FSRefForPath(CUTAppPath);
            CUTHideOthers = hideOthersChecked();
            CUTPersoDict.insert(K::AppPath, CUTAppPath);
            CUTPersoDict.insert(K::AppFSRef, CUTAppFSRef);
            CUTPersoDict.insert(K::HideOthers, CUTHideOthers);
            break;
        case 2:
        case 3:
            CUTOrder = CUTLastOrder;
            CUTHideOthers = hideOthersChecked();
            CUTPersoDict.insert(K::Order, qint64(CUTOrder));
            CUTPersoDict.insert(K::HideOthers, CUTHideOthers);
            break;
        case 4:
        case 5:
        case 6:
            CUTAppName = CUTLastAppName;
            CUTAction = CUTLastAction;
            CUTPersoDict.insert(K::AppName, CUTAppName);
            CUTPersoDict.insert(K::Action, qint64(CUTAction));
            if (category() == 4) {
                CUTHideOthers = hideOthersChecked();
                CUTPersoDict.insert(K::HideOthers, CUTHideOthers);
            } else if (category() == 6) {
                CUTForce = forceChecked();
                CUTPersoDict.insert(K::Force, CUTForce);
            }
            break;
        default:
            break;
        }
    }
    m_editing = false;
    CUTLastAppPath.clear();
    CUTLastAppName.clear();
    return ActionPane::willValidateEditing();
}

void ApplicationShortcut::abortEditing()
{
    m_editing = false;
    CUTLastAppPath.clear();
    CUTLastAppName.clear();
}

QVariantMap ApplicationShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!m_editing)
        return data;
    switch (category()) {
    case 1:
        data.insert(K::AppPath, CUTLastAppPath);
        data.insert(K::AppFSRef, QVEAction::FSRefForPath(CUTLastAppPath));
        data.insert(K::HideOthers, hideOthersChecked());
        break;
    case 2:
    case 3:
        data.insert(K::Order, qint64(CUTLastOrder));
        data.insert(K::HideOthers, hideOthersChecked());
        break;
    case 4:
        data.insert(K::AppName, CUTLastAppName);
        data.insert(K::Action, qint64(CUTLastAction));
        data.insert(K::HideOthers, hideOthersChecked());
        break;
    case 5:
        data.insert(K::AppName, CUTLastAppName);
        data.insert(K::Action, qint64(CUTLastAction));
        break;
    case 6:
        data.insert(K::AppName, CUTLastAppName);
        data.insert(K::Action, qint64(CUTLastAction));
        data.insert(K::Force, forceChecked());
        break;
    default:
        break;
    }
    return data;
}

// --- Control handlers ------------------------------------------------------------------------

void ApplicationShortcut::modifyAction()
{
    if (!CUTActionButton)
        return;
    const int index = CUTActionButton->currentIndex();
    const int model = tagOfItem(CUTActionButton, index);
    if (model == CUTLastAction)
        return;
    const QString name =
        suggestsNameForModified() ? cls().nameForAction(model, CUTLastAppName) : possibleNameValue();
    const QString undo =
        fillFormat(localizedStr(QStringLiteral("AnnulerSelectionnerAction")), {CUTActionButton->itemText(index)});
    setActionOfCategory(model, CUTLastAppName, name, undo);
}

void ApplicationShortcut::modifyHideOthers()
{
    if (!CUTHideOthersCheck)
        return;
    const bool state = CUTHideOthersCheck->isChecked();
    // The setter, and so its undo, sets the box.
    CUTHideOthersCheck->setChecked(!state);
    const QString name = possibleNameValue();
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerMasquerAutres%d")), {state ? 1 : 0});
    switch (category()) {
    case 1:
        setApplicationPath(CUTLastAppPath, state, name, false, undo);
        break;
    case 2:
    case 3:
        setHideOthers(state, CUTLastOrder, name, false, undo);
        break;
    case 4:
        setActionApplicationNameHideOthers(CUTLastAction, CUTLastAppName, state, name, false, undo);
        break;
    default:
        break;
    }
}

void ApplicationShortcut::modifyForce()
{
    if (!CUTForceCheck)
        return;
    const bool state = CUTForceCheck->isChecked();
    CUTForceCheck->setChecked(!state);
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerForcer%d")), {state ? 1 : 0});
    setActionApplicationNameForce(CUTLastAction, CUTLastAppName, state, possibleNameValue(), false, undo);
}

void ApplicationShortcut::modifyOrder()
{
    if (!CUTOrderButton)
        return;
    const int index = CUTOrderButton->currentIndex();
    const int order = tagOfItem(CUTOrderButton, index);
    // Any order but 0 sorts by name: an old record's 5 equals the item 1.
    if ((order != 0) == (CUTLastOrder != 0))
        return;
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerTri")), {CUTOrderButton->itemText(index)});
    setHideOthers(hideOthersChecked(), order, possibleNameValue(), false, undo);
}

void ApplicationShortcut::modifyApplicationPath()
{
    const QString path = QVEAction::getApplicationFromPath(CUTLastAppPath);
    if (!path.isEmpty())
        chooseApplication(path);
}

void ApplicationShortcut::modifyApplicationName()
{
    const QString path = QVEAction::getApplicationFromPath(fullPathForApplication(CUTLastAppName));
    if (!path.isEmpty())
        chooseApplication(path);
}

void ApplicationShortcut::modifyApplicationFromMenu(const QString& path)
{
    if (!path.isEmpty())
        chooseApplication(path);
}

void ApplicationShortcut::setRecents()
{
    QVEAction::openPreferencePanel(QStringLiteral("Appearance"));
}

void ApplicationShortcut::chooseApplication(const QString& path)
{
    const QString undo =
        fillFormat(localizedStr(QStringLiteral("AnnulerModifierApplication")), {applicationDisplayName(path)});
    if (category() == 1) {
        if (path == CUTLastAppPath)
            return;
        const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, path) : possibleNameValue();
        setApplicationPath(path, hideOthersChecked(), name, false, undo);
        return;
    }
    const QString applicationName = applicationNameOfPath(path);
    if (applicationName == CUTLastAppName)
        return;
    const QString name =
        suggestsNameForModified() ? cls().nameForAction(CUTLastAction, applicationName) : possibleNameValue();
    setActionOfCategory(CUTLastAction, applicationName, name, undo);
}

void ApplicationShortcut::setActionOfCategory(int action, const QString& applicationName, const QString& withCutName,
                                              const QString& undoString)
{
    switch (category()) {
    case 4:
        setActionApplicationNameHideOthers(action, applicationName, hideOthersChecked(), withCutName, false, undoString);
        break;
    case 5:
        setAction(action, applicationName, withCutName, false, undoString);
        break;
    case 6:
        setActionApplicationNameForce(action, applicationName, forceChecked(), withCutName, false, undoString);
        break;
    default:
        break;
    }
}

// --- Setters -------------------------------------------------------------------------------------

void ApplicationShortcut::setApplicationPath(const QString& path, bool hideOthers, const QString& withCutName,
                                             bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldPath = CUTLastAppPath, oldHide = hideOthersChecked(), oldName = possibleNameValue()] {
                setApplicationPath(oldPath, oldHide, oldName, true, {});
            },
            [this, path, hideOthers, withCutName] { setApplicationPath(path, hideOthers, withCutName, true, {}); }))
        return;
    if (path != CUTLastAppPath) {
        CUTLastAppPath = path;
        setAppButtonWithPath(path);
    }
    if (CUTHideOthersCheck)
        CUTHideOthersCheck->setChecked(hideOthers);
    const QImage image = QVEAction::iconImageForPath(path, 32);
    if (image.isNull())
        zlog("ApplicationShortcut", "setApplicationPath")
            << QStringLiteral("ApplicatonShortcut: no image for path '%1'").arg(path);
    else
        setPossibleImageValue(image);
    setPossibleNameValue(withCutName);
}

void ApplicationShortcut::setHideOthers(bool hideOthers, int order, const QString& withCutName, bool isUndo,
                                        const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldHide = hideOthersChecked(), oldOrder = CUTLastOrder, oldName = possibleNameValue()] {
                setHideOthers(oldHide, oldOrder, oldName, true, {});
            },
            [this, hideOthers, order, withCutName] { setHideOthers(hideOthers, order, withCutName, true, {}); }))
        return;
    if (CUTHideOthersCheck)
        CUTHideOthersCheck->setChecked(hideOthers);
    if (order != CUTLastOrder) {
        CUTLastOrder = order;
        if (CUTOrderButton)
            selectItemWithTag(CUTOrderButton, order == 0 ? 0 : 1);
    }
    setPossibleNameValue(withCutName);
}

void ApplicationShortcut::setActionApplicationNameHideOthers(int action, const QString& applicationName,
                                                             bool hideOthers, const QString& withCutName,
                                                             bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldAction = CUTLastAction, oldApp = CUTLastAppName, oldHide = hideOthersChecked(),
             oldName = possibleNameValue()] {
                setActionApplicationNameHideOthers(oldAction, oldApp, oldHide, oldName, true, {});
            },
            [this, action, applicationName, hideOthers, withCutName] {
                setActionApplicationNameHideOthers(action, applicationName, hideOthers, withCutName, true, {});
            }))
        return;
    setAction(action, applicationName, withCutName, true, {});
    if (CUTHideOthersCheck)
        CUTHideOthersCheck->setChecked(hideOthers);
}

void ApplicationShortcut::setAction(int action, const QString& applicationName, const QString& withCutName,
                                    bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldAction = CUTLastAction, oldApp = CUTLastAppName, oldName = possibleNameValue()] {
                setAction(oldAction, oldApp, oldName, true, {});
            },
            [this, action, applicationName, withCutName] { setAction(action, applicationName, withCutName, true, {}); }))
        return;
    if (action != CUTLastAction)
        setPossibleDescriptionValue(cls().descriptionOfModelID(action));
    CUTLastAction = action;
    if (CUTActionButton)
        selectItemWithTag(CUTActionButton, action);
    if (applicationName != CUTLastAppName) {
        CUTLastAppName = applicationName;
        setAppButtonWithName(applicationName);
    }
    controlsForActionButton();
    setPossibleNameValue(withCutName);
}

void ApplicationShortcut::setActionApplicationNameForce(int action, const QString& applicationName, bool force,
                                                        const QString& withCutName, bool isUndo,
                                                        const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldAction = CUTLastAction, oldApp = CUTLastAppName, oldForce = forceChecked(),
             oldName = possibleNameValue()] {
                setActionApplicationNameForce(oldAction, oldApp, oldForce, oldName, true, {});
            },
            [this, action, applicationName, force, withCutName] {
                setActionApplicationNameForce(action, applicationName, force, withCutName, true, {});
            }))
        return;
    setAction(action, applicationName, withCutName, true, {});
    if (CUTForceCheck)
        CUTForceCheck->setChecked(force);
}

// --- The application pop-up ----------------------------------------------------------------------

void ApplicationShortcut::setAppButtonWithPath(const QString& path)
{
    if (!CUTAppButton)
        return;
    setPathPopUp(CUTAppButton, path, indexOfMarker(CUTAppButton, QString::fromLatin1(AppFirstItem)));
    CUTAppButton->setItemText(0, withoutAppExtension(CUTAppButton->itemText(0)));
    CUTAppButton->setCurrentIndex(0);
    fillLaunchedRecentApp();
}

void ApplicationShortcut::setAppButtonWithName(const QString& name)
{
    if (!CUTAppButton)
        return;
    showApplicationName(name);
    fillLaunchedRecentApp();
}

void ApplicationShortcut::showApplicationName(const QString& name)
{
    editor::showApplicationName(CUTAppButton, name);
}

void ApplicationShortcut::fillLaunchedRecentApp()
{
    if (!CUTAppButton)
        return;
    fillLaunchedRecentApplications(CUTAppButton, QString::fromLatin1(AppLaunchedItem),
                                   QString::fromLatin1(AppRecentItem), QString::fromLatin1(AppOtherItem));
}

void ApplicationShortcut::controlsForActionButton()
{
    if (!CUTAppButton)
        return;
    const bool named = ApplicationShortcutModels::isNamedModel(CUTLastAction);
    CUTAppButton->setEnabled(named);
    if (CUTAppLabel)
        CUTAppLabel->setEnabled(named);
    if (named) {
        showApplicationName(CUTLastAppName);
    } else {
        CUTAppButton->setItemText(0, QString());
        CUTAppButton->setItemIcon(0, QIcon());
    }
    if (CUTHideOthersCheck && category() == 4)
        CUTHideOthersCheck->setEnabled(CUTLastAction != 20);
}

void ApplicationShortcut::appButtonActivated(int index)
{
    const QString marker = CUTAppButton->itemData(index, MarkerRole).toString();
    const QString path = CUTAppButton->itemData(index, PathRole).toString();
    const bool inAppSections = index > indexOfMarker(CUTAppButton, QString::fromLatin1(AppLaunchedItem));
    // The pop-up always shows the chosen application.
    CUTAppButton->setCurrentIndex(0);
    if (marker == QLatin1String(AppOtherItem)) {
        if (category() == 1)
            modifyApplicationPath();
        else
            modifyApplicationName();
    } else if (inAppSections && !path.isEmpty()) {
        modifyApplicationFromMenu(path);
    }
}

// --- Views ------------------------------------------------------------------------------------------

QWidget* ApplicationShortcut::makeView(int category)
{
    static const char* const viewNames[] = {"", "LaunchView", "LaunchedView", "RecentView",
                                            "SwitchView", "ShowHideView", "QuitRelaunchView"};
    auto* view = new QWidget;
    view->setObjectName(QString::fromLatin1(viewNames[category]));
    auto* form = new QFormLayout(view);

    if (category >= 4) {
        CUTActionButton = new QComboBox(view);
        CUTActionButton->setObjectName(QStringLiteral("CUTActionButton"));
        fillModelPopUp(CUTActionButton, cls(), modelsOfCategory(category));
        QObject::connect(CUTActionButton, &QComboBox::activated, view, [this](int) { modifyAction(); });
        form->addRow(localizedStr(QStringLiteral("ActionLabel")), CUTActionButton);
    }
    if (category == 1 || category >= 4) {
        CUTAppButton = new QComboBox(view);
        CUTAppButton->setObjectName(QStringLiteral("CUTAppButton"));
        CUTAppButton->addItem(QString());
        CUTAppButton->insertSeparator(1);
        CUTAppButton->setItemData(1, QString::fromLatin1(AppFirstItem), MarkerRole);
        addMarkerItem(CUTAppButton, localizedStr(QStringLiteral("AppLaunchedItem")), QString::fromLatin1(AppLaunchedItem));
        disableItem(CUTAppButton, CUTAppButton->count() - 1);
        addMarkerItem(CUTAppButton, localizedStr(QStringLiteral("AppRecentItem")), QString::fromLatin1(AppRecentItem));
        disableItem(CUTAppButton, CUTAppButton->count() - 1);
        addMarkerItem(CUTAppButton, localizedStr(QStringLiteral("AppOtherItem")), QString::fromLatin1(AppOtherItem));
        QObject::connect(CUTAppButton, &QComboBox::activated, view, [this](int index) { appButtonActivated(index); });
        CUTAppLabel = new QLabel(localizedStr(QStringLiteral("AppLabel")), view);
        CUTAppLabel->setObjectName(QStringLiteral("CUTAppLabel"));
        form->addRow(CUTAppLabel, CUTAppButton);
    }
    if (category == 2 || category == 3) {
        CUTOrderButton = new QComboBox(view);
        CUTOrderButton->setObjectName(QStringLiteral("CUTOrderButton"));
        addTaggedItem(CUTOrderButton, localizedStr(QStringLiteral("OrderUnsorted")), 0);
        addTaggedItem(CUTOrderButton, localizedStr(QStringLiteral("OrderByName")), 1);
        QObject::connect(CUTOrderButton, &QComboBox::activated, view, [this](int) { modifyOrder(); });
        form->addRow(localizedStr(QStringLiteral("OrderLabel")), CUTOrderButton);
    }
    if (category <= 4) {
        CUTHideOthersCheck = new QCheckBox(localizedStr(QStringLiteral("HideOthersCheck")), view);
        CUTHideOthersCheck->setObjectName(QStringLiteral("CUTHideOthersCheck"));
        QObject::connect(CUTHideOthersCheck, &QCheckBox::clicked, view, [this] { modifyHideOthers(); });
        form->addRow(CUTHideOthersCheck);
    }
    if (category == 6) {
        CUTForceCheck = new QCheckBox(localizedStr(QStringLiteral("ForceCheck")), view);
        CUTForceCheck->setObjectName(QStringLiteral("CUTForceCheck"));
        QObject::connect(CUTForceCheck, &QCheckBox::clicked, view, [this] { modifyForce(); });
        form->addRow(CUTForceCheck);
    }
    if (category == 3) {
        auto* recents = new QPushButton(localizedStr(QStringLiteral("RecentsButton")), view);
        recents->setObjectName(QStringLiteral("CUTRecentsButton"));
        QObject::connect(recents, &QPushButton::clicked, view, [this] { setRecents(); });
        form->addRow(recents);
    }
    return view;
}

ZELK_REGISTER_ACTION_PANE(ApplicationShortcutClass)

} // namespace zelk::editor
