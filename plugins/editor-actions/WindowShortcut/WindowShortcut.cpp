#include "WindowShortcut.h"

#include "FormatText.h"
#include "Platform.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>

namespace zelk::editor {

namespace K = WindowShortcutKeys;
namespace M = WindowShortcutModels;

namespace {

const WindowShortcutClass& cls() { return paneClassObject<WindowShortcutClass>(); }

bool canReadWindows() { return Platform::instance().workspace().canReadWindows(); }

// The value box's models and the names their controls go by.
struct ValueModel {
    int model;
    const char* prefix;
    const char* undoKey; // "AnnulerModifier..." with the new X and Y
};
constexpr ValueModel kValueModels[] = {
    {M::MoveTo, "CUTMoveAbs", "AnnulerModifierPosition"},
    {M::MoveBy, "CUTMoveRel", "AnnulerModifierDiffPos"},
    {M::Center, "CUTMoveCenter", nullptr},
    {M::ResizeTo, "CUTResizeAbs", "AnnulerModifierTaille"},
    {M::ResizeBy, "CUTResizeRelPoint", "AnnulerModifierDiffPoint"},
    {M::ResizePercent, "CUTResizeRelPercent", "AnnulerModifierDiffPercent"},
    {M::ResizeScreenPercent, "CUTResizeAbsScreen", "AnnulerModifierTailleEcran"},
};

const ValueModel* valueModel(int model)
{
    for (const ValueModel& v : kValueModels)
        if (v.model == model)
            return &v;
    return nullptr;
}

int fieldValue(const QLineEdit* field) { return field ? field->text().trimmed().toInt() : 0; }

} // namespace

// --- Class side --------------------------------------------------------------------------------------

QString WindowShortcutClass::nameForAction(int model, int value1, int value2) const
{
    switch (categoryOfAction(model)) {
    case M::CommandCategory:
    case M::SwitchCategory:
        return localizedActionName(model);
    case M::MoveCategory:
    case M::ResizeCategory:
        return fillFormat(localizedActionName(model), {value1, value2});
    case M::ScrollCategory:
        return fillFormat(localizedActionName(model), {value2, localizedStr(QStringLiteral("UnitName%1").arg(value1))});
    default:
        return {};
    }
}

QVariantMap WindowShortcutClass::newDataForAction(int model) const
{
    const int cat = categoryOfAction(model);
    return newActionRecord(*this, dataForAction(model),
                           ActionPane::suggestsNameForNew() ? nameForAction(model, 0, cat == M::ScrollCategory ? 1 : 0)
                                                            : QString());
}

// --- Reading, the editing cycle ------------------------------------------------------------------------

bool WindowShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

void WindowShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    CUTActionButton = m_actionButtons.value(cat);
    CUTOriginButton = m_originButtons.value(cat);
    CUTValueAccessoryView = m_valueBoxes.value(cat);
    CUTLastAction = CUTAction;
    selectItemWithTag(CUTActionButton, CUTLastAction);
    switch (cat) {
    case M::MoveCategory:
    case M::ResizeCategory:
        CUTLastOrigin = CUTOrigin;
        CUTLastXValue = CUTXValue;
        CUTLastYValue = CUTYValue;
        selectItemWithTag(CUTOriginButton, CUTLastOrigin);
        CUTLastShowedAction = -1;
        showAction();
        break;
    case M::ScrollCategory:
        CUTLastUnit = CUTUnit;
        CUTLastCount = CUTCount;
        selectItemWithTag(CUTUnitButton, CUTLastUnit);
        CUTCountField->setText(QString::number(CUTLastCount));
        break;
    default:
        break;
    }
    CUTIsEdited = true;
    if (cat != M::SwitchCategory && !canReadWindows())
        notifyNotAvailable(cls());
    showPaneView(accessoryView, CUTView);
}

std::pair<int, int> WindowShortcut::valuesInControls() const
{
    const ValueControls c = m_valueControls.value(CUTLastAction);
    if (CUTLastAction == M::Center)
        return {c.hCheck && c.hCheck->isChecked() ? 1 : 0, c.vCheck && c.vCheck->isChecked() ? 1 : 0};
    if (!c.xField || !c.yField)
        return {CUTLastXValue, CUTLastYValue};
    return {fieldValue(c.xField), fieldValue(c.yField)};
}

QVariantMap WindowShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited)
        return data;
    switch (category()) {
    case M::CommandCategory:
    case M::SwitchCategory:
        data.insert(K::Action, CUTLastAction);
        break;
    case M::MoveCategory:
    case M::ResizeCategory: {
        const auto [x, y] = valuesInControls();
        data.insert(K::Action, CUTLastAction);
        data.insert(K::Origin, CUTLastOrigin);
        data.insert(K::XValue, x);
        data.insert(K::YValue, y);
        break;
    }
    case M::ScrollCategory:
        data.insert(K::Action, CUTLastAction);
        data.insert(K::Unit, tagOfItem(CUTUnitButton, CUTUnitButton->currentIndex()));
        data.insert(K::Count, fieldValue(CUTCountField));
        break;
    default:
        break;
    }
    return data;
}

bool WindowShortcut::willValidateEditing()
{
    if (CUTIsEdited) {
        CUTPersoDict = editedDataValue();
        CUTAction = CUTPersoDict.value(K::Action).toInt();
        readParameters(CUTPersoDict);
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void WindowShortcut::abortEditing()
{
    // A wait for a position ends with the edit that asked for it.
    if (m_recorder)
        m_recorder->cancel();
    CUTIsEdited = false;
}

bool WindowShortcut::isValid() const
{
    const int cat = category();
    return cat == 0 || cat == M::SwitchCategory || canReadWindows();
}

QString WindowShortcut::notValidString() const
{
    return isValid() ? QString() : localizedStr(QStringLiteral("FonctionNonValide"));
}

// --- The value box ---------------------------------------------------------------------------------------

void WindowShortcut::showAction()
{
    if (!CUTValueAccessoryView)
        return;
    const ValueControls c = m_valueControls.value(CUTLastAction);
    if (CUTLastAction != CUTLastShowedAction && c.view)
        CUTValueAccessoryView->setCurrentWidget(c.view);
    if (CUTOriginButton)
        CUTOriginButton->setEnabled(CUTLastAction != M::Center);
    if (CUTLastAction == M::Center) {
        if (c.hCheck)
            c.hCheck->setChecked(CUTLastXValue != 0);
        if (c.vCheck)
            c.vCheck->setChecked(CUTLastYValue != 0);
    } else if (c.xField && c.yField) {
        c.xField->setText(QString::number(CUTLastXValue));
        c.yField->setText(QString::number(CUTLastYValue));
    }
    CUTLastShowedAction = CUTLastAction;
}

// --- Handlers --------------------------------------------------------------------------------------------

QString WindowShortcut::nameRule(int model, int value1, int value2) const
{
    return suggestsNameForModified() ? cls().nameForAction(model, value1, value2) : possibleNameValue();
}

void WindowShortcut::modifyAction()
{
    if (!CUTActionButton)
        return;
    const int tag = tagOfItem(CUTActionButton, CUTActionButton->currentIndex());
    if (tag == CUTLastAction || M::categoryOfAction(tag) == 0)
        return;
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerModifierAction")), {CUTActionButton->currentText()});
    switch (M::categoryOfAction(tag)) {
    case M::MoveCategory:
    case M::ResizeCategory:
        setAction(tag, 0, 0, CUTLastOrigin, nameRule(tag, 0, 0), false, undo);
        break;
    case M::ScrollCategory:
        setAction(tag, CUTLastUnit, CUTLastCount, nameRule(tag, CUTLastUnit, CUTLastCount), false, undo);
        break;
    default:
        setAction(tag, nameRule(tag, 0, 0), false, undo);
        break;
    }
}

void WindowShortcut::modifyValue(bool isX)
{
    if (!CUTIsEdited)
        return;
    const ValueControls c = m_valueControls.value(CUTLastAction);
    int value = 0;
    if (CUTLastAction == M::Center) {
        QCheckBox* box = isX ? c.hCheck : c.vCheck;
        if (!box)
            return;
        value = box->isChecked() ? 1 : 0;
        // Back as it was: the setter shows the new state, on redo and undo alike.
        box->setChecked(!box->isChecked());
    } else {
        value = fieldValue(isX ? c.xField : c.yField);
    }
    if (value == (isX ? CUTLastXValue : CUTLastYValue))
        return;
    const int x = isX ? value : CUTLastXValue, y = isX ? CUTLastYValue : value;
    QString undo;
    if (CUTLastAction == M::Center)
        undo = localizedStr(QString::fromLatin1(isX ? "AnnulerModifierCentrerH%1" : "AnnulerModifierCentrerV%1").arg(value));
    else if (const ValueModel* v = valueModel(CUTLastAction))
        undo = fillFormat(localizedStr(QString::fromLatin1(v->undoKey)), {x, y});
    setAction(CUTLastAction, x, y, CUTLastOrigin, nameRule(CUTLastAction, x, y), false, undo);
}

void WindowShortcut::modifyXValue() { modifyValue(true); }

void WindowShortcut::modifyYValue() { modifyValue(false); }

void WindowShortcut::modifyOrigin()
{
    if (!CUTOriginButton)
        return;
    const int origin = tagOfItem(CUTOriginButton, CUTOriginButton->currentIndex());
    if (origin == CUTLastOrigin)
        return;
    setAction(CUTLastAction, CUTLastXValue, CUTLastYValue, origin, possibleNameValue(), false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierOrigine")), {CUTOriginButton->currentText()}));
}

void WindowShortcut::modifyUnit()
{
    if (!CUTUnitButton)
        return;
    const int unit = tagOfItem(CUTUnitButton, CUTUnitButton->currentIndex());
    if (unit == CUTLastUnit)
        return;
    setAction(CUTLastAction, unit, CUTLastCount, nameRule(CUTLastAction, unit, CUTLastCount), false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierUnite")), {CUTUnitButton->currentText()}));
}

void WindowShortcut::modifyCount()
{
    if (!CUTIsEdited || !CUTCountField)
        return;
    const int count = fieldValue(CUTCountField);
    if (count == CUTLastCount)
        return;
    setAction(CUTLastAction, CUTLastUnit, count, nameRule(CUTLastAction, CUTLastUnit, count), false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierNombre")), {count}));
}

PositionRecorder& WindowShortcut::positionRecorder()
{
    if (!m_recorder)
        m_recorder = std::make_unique<PositionRecorder>();
    return *m_recorder;
}

void WindowShortcut::setLocation()
{
    if (!CUTIsEdited || isRecording())
        return;
    if (alertPanel(cls(), localizedStr(QStringLiteral("DefinirPosition1")), localizedStr(QStringLiteral("DefinirPosition2")),
                   localizedStr(QStringLiteral("DefinirPosition")), localizedStr(QStringLiteral("Annuler")))
        != 1)
        return;
    positionRecorder().start(imageValueWithSize(32),
                     [this](PositionRecorder::Outcome outcome, const QPointF& point) { positionTaken(outcome, point); });
}

void WindowShortcut::positionTaken(PositionRecorder::Outcome outcome, const QPointF& point)
{
    if (outcome != PositionRecorder::Outcome::Taken || !CUTIsEdited)
        return;
    playClicSound();
    Workspace& workspace = Platform::instance().workspace();
    workspace.activate(workspace.ownPid());
    const int x = int(point.x()), y = int(point.y());
    setAction(CUTLastAction, x, y, CUTLastOrigin, nameRule(CUTLastAction, x, y), false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierPosition")), {x, y}));
}

// --- Setters ---------------------------------------------------------------------------------------------

void WindowShortcut::setAction(int action, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastAction, oldName = possibleNameValue()] { setAction(old, oldName, true, {}); },
            [=, this] { setAction(action, withCutName, true, {}); }))
        return;
    if (action != CUTLastAction) {
        setPossibleDescriptionValue(cls().descriptionOfModelID(action));
        CUTLastAction = action;
    }
    selectItemWithTag(CUTActionButton, action);
    setPossibleNameValue(withCutName);
}

void WindowShortcut::setAction(int action, int xValue, int yValue, int origin, const QString& withCutName, bool isUndo,
                               const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastAction, oldX = CUTLastXValue, oldY = CUTLastYValue, oldOrigin = CUTLastOrigin,
             oldName = possibleNameValue()] { setAction(old, oldX, oldY, oldOrigin, oldName, true, {}); },
            [=, this] { setAction(action, xValue, yValue, origin, withCutName, true, {}); }))
        return;
    if (action != CUTLastAction) {
        setPossibleDescriptionValue(cls().descriptionOfModelID(action));
        CUTLastAction = action;
    }
    selectItemWithTag(CUTActionButton, action);
    CUTLastXValue = xValue;
    CUTLastYValue = yValue;
    showAction();
    CUTLastOrigin = origin;
    selectItemWithTag(CUTOriginButton, origin);
    setPossibleNameValue(withCutName);
}

void WindowShortcut::setAction(int action, int unit, int count, const QString& withCutName, bool isUndo,
                               const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastAction, oldUnit = CUTLastUnit, oldCount = CUTLastCount, oldName = possibleNameValue()] {
                setAction(old, oldUnit, oldCount, oldName, true, {});
            },
            [=, this] { setAction(action, unit, count, withCutName, true, {}); }))
        return;
    if (action != CUTLastAction) {
        setPossibleDescriptionValue(cls().descriptionOfModelID(action));
        CUTLastAction = action;
    }
    selectItemWithTag(CUTActionButton, action);
    CUTLastUnit = unit;
    selectItemWithTag(CUTUnitButton, unit);
    CUTLastCount = count;
    if (CUTCountField)
        CUTCountField->setText(QString::number(count));
    setPossibleNameValue(withCutName);
}

// --- Views -----------------------------------------------------------------------------------------------

QWidget* WindowShortcut::makeValueView(int model, QWidget* parent)
{
    const ValueModel* v = valueModel(model);
    auto* view = new QWidget(parent);
    auto* form = new QFormLayout(view);
    form->setContentsMargins(0, 0, 0, 0);
    ValueControls c;
    c.view = view;
    const QString prefix = QString::fromLatin1(v->prefix);
    if (model == M::Center) {
        const auto check = [&](const char* name, const char* title, void (WindowShortcut::*handler)()) {
            auto* box = new QCheckBox(localizedStr(QString::fromLatin1(title)), view);
            box->setObjectName(prefix + QString::fromLatin1(name));
            QObject::connect(box, &QCheckBox::clicked, view, [this, handler] { (this->*handler)(); });
            form->addRow(QString(), box);
            return box;
        };
        c.hCheck = check("HCheck", "CentrerHCheck", &WindowShortcut::modifyXValue);
        c.vCheck = check("VCheck", "CentrerVCheck", &WindowShortcut::modifyYValue);
    } else {
        const QString labels = QStringLiteral("ValueLabels%1").arg(model);
        const QStringList names = localizedStr(labels).split(QLatin1Char('|'));
        const auto field = [&](const char* name, int index, void (WindowShortcut::*handler)()) {
            auto* edit = new QLineEdit(view);
            edit->setObjectName(prefix + QString::fromLatin1(name));
            edit->setValidator(new QIntValidator(edit));
            const QString label = names.value(index);
            edit->setAccessibleName(label);
            QObject::connect(edit, &QLineEdit::editingFinished, view, [this, handler] { (this->*handler)(); });
            form->addRow(label, edit);
            return edit;
        };
        c.xField = field("XValueField", 0, &WindowShortcut::modifyXValue);
        c.yField = field("YValueField", 1, &WindowShortcut::modifyYValue);
        if (model == M::MoveTo) {
            c.positionButton = new QPushButton(localizedStr(QStringLiteral("PositionButton")), view);
            c.positionButton->setObjectName(QStringLiteral("CUTPositionButton"));
            QObject::connect(c.positionButton, &QPushButton::clicked, view, [this] { setLocation(); });
            form->addRow(QString(), c.positionButton);
        }
    }
    m_valueControls.insert(model, c);
    return view;
}

QWidget* WindowShortcut::makeView(int category)
{
    static const char* const viewNames[] = {"", "WindowShowView", "MoveView", "ResizeView", "WindowSwitchView", "ScrollView"};
    auto* view = new QWidget;
    view->setObjectName(QString::fromLatin1(viewNames[category]));
    auto* form = new QFormLayout(view);
    const auto popUp = [&](const char* name, const char* label) {
        auto* button = new QComboBox(view);
        button->setObjectName(QString::fromLatin1(name));
        button->setAccessibleName(localizedStr(QString::fromLatin1(label)));
        form->addRow(localizedStr(QString::fromLatin1(label)), button);
        return button;
    };
    QComboBox* actionButton = popUp("CUTActionButton", "ActionLabel");
    fillModelPopUp(actionButton, cls(), modelsOfCategory(cls(), category));
    QObject::connect(actionButton, &QComboBox::activated, view, [this] { modifyAction(); });
    m_actionButtons.insert(category, actionButton);
    switch (category) {
    case M::MoveCategory:
    case M::ResizeCategory: {
        QComboBox* originButton = popUp("CUTOriginButton", "OriginLabel");
        for (int origin = 0; origin < 4; ++origin)
            addTaggedItem(originButton, localizedStr(QStringLiteral("OriginName%1").arg(origin)), origin);
        QObject::connect(originButton, &QComboBox::activated, view, [this] { modifyOrigin(); });
        m_originButtons.insert(category, originButton);
        auto* box = new QStackedWidget(view);
        box->setObjectName(QStringLiteral("CUTValueAccessoryView"));
        for (int model : modelsOfCategory(cls(), category))
            box->addWidget(makeValueView(model, box));
        m_valueBoxes.insert(category, box);
        form->addRow(box);
        break;
    }
    case M::ScrollCategory: {
        CUTUnitButton = popUp("CUTUnitButton", "UnitLabel");
        for (int unit = 0; unit < 3; ++unit)
            addTaggedItem(CUTUnitButton, localizedStr(QStringLiteral("UnitName%1").arg(unit)), unit);
        QObject::connect(CUTUnitButton, &QComboBox::activated, view, [this] { modifyUnit(); });
        CUTCountField = new QLineEdit(view);
        CUTCountField->setObjectName(QStringLiteral("CUTCountField"));
        CUTCountField->setValidator(new QIntValidator(CUTCountField));
        CUTCountField->setAccessibleName(localizedStr(QStringLiteral("CountLabel")));
        QObject::connect(CUTCountField, &QLineEdit::editingFinished, view, [this] { modifyCount(); });
        form->addRow(localizedStr(QStringLiteral("CountLabel")), CUTCountField);
        break;
    }
    default:
        break;
    }
    return view;
}

ZELK_REGISTER_ACTION_PANE(WindowShortcutClass)

} // namespace zelk::editor
