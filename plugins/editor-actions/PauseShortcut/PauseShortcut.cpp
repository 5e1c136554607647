#include "PauseShortcut.h"

#include "ActionPaths.h"
#include "FormatText.h"
#include "Platform.h"

#include <QFormLayout>

namespace zelk::editor {

namespace K = PauseShortcutKeys;
namespace M = PauseShortcutModels;

namespace {

const PauseShortcutClass& cls() { return paneClassObject<PauseShortcutClass>(); }

} // namespace

// --- Class side ----------------------------------------------------------------------------

QVariantMap PauseShortcutClass::dataForAction(int model, float delay) const
{
    switch (M::categoryOfAction(model)) {
    case M::DelayCategory:
        return {{K::Action, qint64(model)}, {K::Seconds, double(delay)}};
    case M::AppCategory:
        return {{K::Action, qint64(model)}, {K::Application, QString()}};
    case M::WindowCategory:
        return {{K::Action, qint64(model)}, {K::Title, QString()}, {K::IgnoreCase, false}, {K::InvertCondition, false}};
    default:
        return {};
    }
}

QString PauseShortcutClass::nameForAction(int model, float delay, const QString& application, const QString& title) const
{
    switch (M::categoryOfAction(model)) {
    case M::DelayCategory:
        return fillFormat(localizedActionName(model), {double(delay)});
    case M::AppCategory:
        return fillFormat(localizedActionName(model), {application});
    case M::WindowCategory:
        return fillFormat(localizedActionName(model), {title});
    default:
        return {};
    }
}

QVariantMap PauseShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model, 0.0F),
                           ActionPane::suggestsNameForNew() ? nameForAction(model, 0.0F, QString(), QString()) : QString());
}

// --- Reading, the editing cycle ---------------------------------------------------------------

bool PauseShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

void PauseShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    if (cat == M::WindowCategory && !Platform::instance().workspace().canReadWindows())
        notifyNotAvailable(cls());
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    CUTLastAction = CUTAction;
    switch (cat) {
    case M::DelayCategory:
        CUTLastSeconds = CUTSeconds;
        CUTSecondsField->setValue(CUTSeconds);
        break;
    case M::AppCategory:
        CUTLastApplication = CUTApplication;
        setAppButtonWithName(CUTLastApplication);
        selectItemWithTag(CUTActionButton, CUTLastAction);
        controlsForAppActionButton();
        break;
    case M::WindowCategory:
        CUTLastTitle = CUTTitle;
        CUTTitleField->setText(CUTTitle);
        CUTIgnoreCaseCheck->setChecked(CUTIgnoreCase);
        CUTInvertConditionCheck->setChecked(CUTInvertCondition);
        selectItemWithTag(CUTActionButton, CUTLastAction);
        controlsForWindowActionButton();
        break;
    default:
        break;
    }
    CUTIsModifiedByUser = false;
    CUTIsEdited = true;
    showPaneView(accessoryView, CUTView);
}

QVariantMap PauseShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited)
        return data;
    switch (category()) {
    case M::DelayCategory:
        data.insert(K::Seconds, double(float(CUTSecondsField->value())));
        break;
    case M::AppCategory:
        data.insert(K::Action, qint64(CUTLastAction));
        data.insert(K::Application, CUTLastApplication);
        break;
    case M::WindowCategory:
        data.insert(K::Action, qint64(CUTLastAction));
        data.insert(K::Title, CUTTitleField->text());
        data.insert(K::IgnoreCase, CUTIgnoreCaseCheck->isChecked());
        data.insert(K::InvertCondition, CUTInvertConditionCheck->isChecked());
        break;
    default:
        break;
    }
    return data;
}

bool PauseShortcut::willValidateEditing()
{
    if (CUTIsEdited && category() != 0) {
        if (CUTSecondsField)
            CUTSecondsField->interpretText();
        CUTPersoDict = editedDataValue();
        CUTAction = CUTPersoDict.value(K::Action).toInt();
        readParameters(CUTPersoDict);
    }
    CUTIsEdited = false;
    return ActionPane::willValidateEditing();
}

void PauseShortcut::abortEditing()
{
    CUTLastTitle.clear();
    CUTLastApplication.clear();
    CUTIsEdited = false;
}

// --- Control states -------------------------------------------------------------------------------

void PauseShortcut::controlsForAppActionButton()
{
    if (!CUTApplicationButton)
        return;
    const bool named = M::modelNamesApplication(CUTLastAction);
    CUTApplicationButton->setEnabled(named);
    if (CUTAppLabel)
        CUTAppLabel->setEnabled(named);
    if (named) {
        showApplicationName(CUTApplicationButton, CUTLastApplication);
    } else {
        CUTApplicationButton->setItemText(0, QString());
        CUTApplicationButton->setItemIcon(0, QIcon());
    }
}

void PauseShortcut::controlsForWindowActionButton()
{
    if (!CUTTitleField)
        return;
    const bool compares = M::modelComparesTitle(CUTLastAction);
    CUTTitleField->setEnabled(compares);
    CUTIgnoreCaseCheck->setEnabled(compares);
    CUTTitleLabelField->setEnabled(compares);
    if (!compares) {
        CUTTitleField->clear();
        CUTIgnoreCaseCheck->setChecked(false);
    }
    const bool invertible = CUTLastAction != M::WindowChange;
    CUTInvertConditionCheck->setEnabled(invertible);
    if (invertible) {
        CUTInvertConditionCheck->setText(localizedStr(QStringLiteral("ActionInvertName%1").arg(CUTLastAction)));
    } else {
        CUTInvertConditionCheck->setChecked(false);
        CUTInvertConditionCheck->setText(QString());
    }
}

void PauseShortcut::setAppButtonWithName(const QString& name)
{
    if (!CUTApplicationButton)
        return;
    showApplicationName(CUTApplicationButton, name);
    fillLaunchedRecentApp(CUTApplicationButton);
}

// --- Control handlers -------------------------------------------------------------------------------

void PauseShortcut::modifySeconds()
{
    if (!CUTIsEdited || !CUTSecondsField)
        return;
    const float seconds = float(CUTSecondsField->value());
    if (seconds == CUTLastSeconds)
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTAction, seconds, {}, {}) : possibleNameValue();
    CUTIsModifiedByUser = true;
    setDelay(seconds, name, false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierDelai")), {double(seconds)}));
}

void PauseShortcut::modifyAction()
{
    if (!CUTIsEdited || !CUTActionButton)
        return;
    const int tag = tagOfItem(CUTActionButton, CUTActionButton->currentIndex());
    if (tag == CUTLastAction)
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(tag, 0, CUTLastApplication, CUTLastTitle)
                                                   : possibleNameValue();
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerSelectionnerAction")), {CUTActionButton->currentText()});
    if (category() == M::WindowCategory)
        setActionTitle(tag, CUTLastTitle, CUTIgnoreCaseCheck->isChecked(), CUTInvertConditionCheck->isChecked(), name,
                       false, undo);
    else
        setActionApplication(tag, CUTLastApplication, name, false, undo);
}

void PauseShortcut::chooseApplication(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString application = applicationNameOfPath(path);
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTLastAction, 0, application, {}) : possibleNameValue();
    const QString undo =
        fillFormat(localizedStr(QStringLiteral("AnnulerModifierApplication")), {applicationDisplayName(path)});
    setActionApplication(CUTLastAction, application, name, false, undo);
}

void PauseShortcut::modifyApplication()
{
    if (!CUTIsEdited)
        return;
    chooseApplication(QVEAction::getApplicationFromPath(fullPathForApplication(CUTLastApplication)));
}

void PauseShortcut::modifyApplicationFromMenu(const QString& path)
{
    if (CUTIsEdited)
        chooseApplication(path);
}

void PauseShortcut::appButtonActivated(int index)
{
    const ApplicationChoice choice = applicationPopUpActivated(CUTApplicationButton, index);
    if (choice.other)
        modifyApplication();
    else if (!choice.path.isEmpty())
        modifyApplicationFromMenu(choice.path);
}

void PauseShortcut::modifyTitle()
{
    if (!CUTIsEdited || !CUTTitleField)
        return;
    const QString title = CUTTitleField->text();
    if (title == CUTLastTitle)
        return;
    const QString name = suggestsNameForModified() ? cls().nameForAction(CUTLastAction, 0, {}, title) : possibleNameValue();
    setActionTitle(CUTLastAction, title, CUTIgnoreCaseCheck->isChecked(), CUTInvertConditionCheck->isChecked(), name,
                   false, fillFormat(localizedStr(QStringLiteral("AnnulerModifierTitre")), {title}));
}

void PauseShortcut::modifyIgnoreCase()
{
    if (!CUTIsEdited)
        return;
    const bool state = CUTIgnoreCaseCheck->isChecked();
    CUTIgnoreCaseCheck->setChecked(!state);
    setActionTitle(CUTLastAction, CUTLastTitle, state, CUTInvertConditionCheck->isChecked(), possibleNameValue(), false,
                   localizedStr(QStringLiteral("AnnulerIgnorerCasse%1").arg(state ? 1 : 0)));
}

void PauseShortcut::modifyInvertCondition()
{
    if (!CUTIsEdited)
        return;
    const bool state = CUTInvertConditionCheck->isChecked();
    CUTInvertConditionCheck->setChecked(!state);
    setActionTitle(CUTLastAction, CUTLastTitle, CUTIgnoreCaseCheck->isChecked(), state, possibleNameValue(), false,
                   localizedStr(QStringLiteral("AnnulerInverserCondition%1").arg(state ? 1 : 0)));
}

// --- Setters ---------------------------------------------------------------------------------------------

void PauseShortcut::setDelay(float seconds, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastSeconds, oldName = possibleNameValue()] { setDelay(old, oldName, true, {}); },
            [this, seconds, withCutName] { setDelay(seconds, withCutName, true, {}); }))
        return;
    if (seconds != CUTLastSeconds) {
        CUTLastSeconds = seconds;
        if (CUTSecondsField) {
            CUTSecondsField->setValue(seconds);
            if (!CUTIsModifiedByUser)
                CUTSecondsField->selectAll();
        }
    }
    CUTIsModifiedByUser = false;
    setPossibleNameValue(withCutName);
}

void PauseShortcut::setActionApplication(int model, const QString& application, const QString& withCutName,
                                         bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastAction, oldApp = CUTLastApplication, oldName = possibleNameValue()] {
                setActionApplication(old, oldApp, oldName, true, {});
            },
            [this, model, application, withCutName] { setActionApplication(model, application, withCutName, true, {}); }))
        return;
    if (showAction(model))
        controlsForAppActionButton();
    if (application != CUTLastApplication) {
        CUTLastApplication = application;
        if (M::modelNamesApplication(CUTLastAction))
            setAppButtonWithName(application);
    }
    setPossibleNameValue(withCutName);
}

bool PauseShortcut::showAction(int model)
{
    if (model == CUTLastAction)
        return false;
    setPossibleDescriptionValue(cls().descriptionOfModelID(model));
    CUTLastAction = model;
    if (CUTActionButton)
        selectItemWithTag(CUTActionButton, model);
    return true;
}

void PauseShortcut::setActionTitle(int model, const QString& title, bool ignoreCase, bool invertCondition,
                                   const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastAction, oldTitle = CUTLastTitle,
             oldIgnore = CUTIgnoreCaseCheck && CUTIgnoreCaseCheck->isChecked(),
             oldInvert = CUTInvertConditionCheck && CUTInvertConditionCheck->isChecked(), oldName = possibleNameValue()] {
                setActionTitle(old, oldTitle, oldIgnore, oldInvert, oldName, true, {});
            },
            [=, this] { setActionTitle(model, title, ignoreCase, invertCondition, withCutName, true, {}); }))
        return;
    if (showAction(model))
        controlsForWindowActionButton();
    CUTLastTitle = title;
    // Also when only the field was emptied by a model without a title.
    if (CUTTitleField && M::modelComparesTitle(CUTLastAction) && CUTTitleField->text() != title)
        CUTTitleField->setText(title);
    if (CUTIgnoreCaseCheck)
        CUTIgnoreCaseCheck->setChecked(ignoreCase);
    if (CUTInvertConditionCheck)
        CUTInvertConditionCheck->setChecked(invertCondition);
    setPossibleNameValue(withCutName);
}

// --- Views ---------------------------------------------------------------------------------------------------

QWidget* PauseShortcut::makeView(int category)
{
    static const char* const viewNames[] = {"", "PauseView", "WaitAppView", "WaitWindowView"};
    auto* view = new QWidget;
    view->setObjectName(QString::fromLatin1(viewNames[category]));
    auto* form = new QFormLayout(view);
    if (category == M::DelayCategory) {
        CUTSecondsField = new QDoubleSpinBox(view);
        CUTSecondsField->setObjectName(QStringLiteral("CUTSecondsField"));
        CUTSecondsField->setAccessibleName(localizedStr(QStringLiteral("SecondsLabel")));
        CUTSecondsField->setRange(0, 86400);
        CUTSecondsField->setDecimals(2);
        QObject::connect(CUTSecondsField, &QDoubleSpinBox::editingFinished, view, [this] { modifySeconds(); });
        form->addRow(localizedStr(QStringLiteral("SecondsLabel")), CUTSecondsField);
        return view;
    }
    CUTActionButton = new QComboBox(view);
    CUTActionButton->setObjectName(QStringLiteral("CUTActionButton"));
    CUTActionButton->setAccessibleName(localizedStr(QStringLiteral("ActionLabel")));
    fillModelPopUp(CUTActionButton, cls(), editor::modelsOfCategory(cls(), category));
    QObject::connect(CUTActionButton, &QComboBox::activated, view, [this] { modifyAction(); });
    form->addRow(localizedStr(QStringLiteral("ActionLabel")), CUTActionButton);
    if (category == M::AppCategory) {
        CUTApplicationButton = makeApplicationPopUp(cls(), view);
        CUTApplicationButton->setObjectName(QStringLiteral("CUTApplicationButton"));
        CUTApplicationButton->setAccessibleName(localizedStr(QStringLiteral("AppLabel")));
        QObject::connect(CUTApplicationButton, &QComboBox::activated, view, [this](int index) { appButtonActivated(index); });
        CUTAppLabel = new QLabel(localizedStr(QStringLiteral("AppLabel")), view);
        CUTAppLabel->setObjectName(QStringLiteral("CUTAppLabel"));
        form->addRow(CUTAppLabel, CUTApplicationButton);
        return view;
    }
    CUTTitleField = new QLineEdit(view);
    CUTTitleField->setObjectName(QStringLiteral("CUTTitleField"));
    CUTTitleField->setAccessibleName(localizedStr(QStringLiteral("TitleLabel")));
    QObject::connect(CUTTitleField, &QLineEdit::editingFinished, view, [this] { modifyTitle(); });
    CUTTitleLabelField = new QLabel(localizedStr(QStringLiteral("TitleLabel")), view);
    CUTTitleLabelField->setObjectName(QStringLiteral("CUTTitleLabelField"));
    form->addRow(CUTTitleLabelField, CUTTitleField);
    CUTIgnoreCaseCheck = new QCheckBox(localizedStr(QStringLiteral("IgnoreCaseCheck")), view);
    CUTIgnoreCaseCheck->setObjectName(QStringLiteral("CUTIgnoreCaseCheck"));
    QObject::connect(CUTIgnoreCaseCheck, &QCheckBox::clicked, view, [this] { modifyIgnoreCase(); });
    form->addRow(QString(), CUTIgnoreCaseCheck);
    CUTInvertConditionCheck = new QCheckBox(view);
    CUTInvertConditionCheck->setObjectName(QStringLiteral("CUTInvertConditionCheck"));
    CUTInvertConditionCheck->setAccessibleName(localizedStr(QStringLiteral("InvertConditionCheck")));
    QObject::connect(CUTInvertConditionCheck, &QCheckBox::clicked, view, [this] { modifyInvertCondition(); });
    form->addRow(QString(), CUTInvertConditionCheck);
    return view;
}

ZELK_REGISTER_ACTION_PANE(PauseShortcutClass)

} // namespace zelk::editor
