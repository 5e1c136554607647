#include "SystemShortcut.h"

#include "FormatText.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace zelk::editor {

namespace K = SystemShortcutKeys;
namespace M = SystemShortcutModels;

// --- Class side ------------------------------------------------------------------------

QVariantMap SystemShortcutClass::dataForAction(int model) const
{
    switch (categoryOfAction(model)) {
    case 0:
        return {};
    case 6:
        return {{K::Action, qint64(model)}, {K::SleepType, qint64(0)}, {K::WakeSeconds, qint64(0)}};
    case 2:
        return {{K::Action, qint64(model)}, {K::Module, QString("")}};
    default:
        return {{K::Action, qint64(model)}};
    }
}

QString SystemShortcutClass::nameForAction(int model) const
{
    return categoryOfAction(model) ? localizedActionName(model) : QString();
}

QVariantMap SystemShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model), ActionPane::suggestsNameForNew() ? nameForAction(model) : QString());
}

// --- Reading, validity -----------------------------------------------------------------------

bool SystemShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    if (readParameters(CUTPersoDict)) {
        CUTPersoDict.insert(K::SleepType, qint64(0));
        CUTPersoDict.insert(K::WakeSeconds, qint64(0));
    }
    return true;
}

bool SystemShortcut::isValid() const
{
    return !(CUTAction == M::Sleep && CUTSleepType != M::NoWake);
}

QString SystemShortcut::notValidString() const
{
    return isValid() ? QString() : localizedStr(QStringLiteral("ReveilNonValide"));
}

// --- The editing cycle -------------------------------------------------------------------------

void SystemShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat < 1 || cat > 6)
        return;
    CUTView = paneView(1, [this] { return makeView(); });
    CUTLastAction = CUTAction;
    setInterfaceForAction(CUTLastAction);
    CUTLastSleepType = CUTSleepType;
    CUTLastWakeSeconds = CUTWakeSeconds;
    setInterfaceForSleepType(CUTLastSleepType, CUTLastWakeSeconds);
    m_editing = true;
    showPaneView(accessoryView, CUTView);
}

QVariantMap SystemShortcut::parametersOfEdit() const
{
    QVariantMap data = CUTPersoDict;
    for (const QString& key : {K::SleepType, K::WakeSeconds, K::Module})
        data.remove(key);
    data.insert(K::Action, qint64(CUTLastAction));
    switch (categoryOfAction(CUTLastAction)) {
    case 6:
        data.insert(K::SleepType, qint64(CUTLastSleepType));
        data.insert(K::WakeSeconds, getWakeSeconds());
        break;
    case 2:
        data.insert(K::Module, CUTModule);
        break;
    default:
        break;
    }
    return data;
}

bool SystemShortcut::willValidateEditing()
{
    if (m_editing) {
        CUTPersoDict = parametersOfEdit();
        CUTAction = CUTLastAction;
        readParameters(CUTPersoDict);
    }
    m_editing = false;
    return ActionPane::willValidateEditing();
}

QVariantMap SystemShortcut::editedDataValue() const
{
    return m_editing ? parametersOfEdit() : CUTPersoDict;
}

// --- Control handlers, setter ------------------------------------------------------------------------

void SystemShortcut::modifyAction()
{
    if (!m_editing || !CUTActionButton)
        return;
    const int tag = tagOfItem(CUTActionButton, CUTActionButton->currentIndex());
    if (tag == CUTLastAction)
        return;
    const auto& cls = static_cast<const SystemShortcutClass&>(actionClass());
    const QString name = suggestsNameForModified() ? cls.nameForAction(tag) : possibleNameValue();
    setAction(tag, CUTLastSleepType, CUTLastWakeSeconds, name, false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierAction")), {CUTActionButton->currentText()}));
}

void SystemShortcut::modifySleepType(int type)
{
    if (!m_editing || type == CUTLastSleepType)
        return;
    const QAbstractButton* button = m_sleepTypeButtons ? m_sleepTypeButtons->button(type) : nullptr;
    setAction(CUTLastAction, type, CUTLastWakeSeconds, possibleNameValue(), false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierSleepType")), {button ? button->text() : QString()}));
}

void SystemShortcut::modifyWakeSeconds()
{
    if (!m_editing)
        return;
    setAction(CUTLastAction, CUTLastSleepType, getWakeSeconds(), possibleNameValue(), false,
              localizedStr(QStringLiteral("AnnulerModifierWakeSeconds")));
}

void SystemShortcut::setAction(int model, int sleepType, qint64 wakeSeconds, const QString& withCutName, bool isUndo,
                               const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldModel = CUTLastAction, oldType = CUTLastSleepType, oldSeconds = CUTLastWakeSeconds,
             oldName = possibleNameValue()] { setAction(oldModel, oldType, oldSeconds, oldName, true, {}); },
            [this, model, sleepType, wakeSeconds, withCutName] {
                setAction(model, sleepType, wakeSeconds, withCutName, true, {});
            }))
        return;
    if (model != CUTLastAction) {
        setPossibleDescriptionValue(actionClass().descriptionOfModelID(model));
        setPossibleImageValue(imageForModel(model, 32));
    }
    CUTLastAction = model;
    setInterfaceForAction(model);
    if (model == M::Sleep) {
        CUTLastSleepType = sleepType;
        CUTLastWakeSeconds = wakeSeconds;
        setInterfaceForSleepType(sleepType, wakeSeconds);
    }
    setPossibleNameValue(withCutName);
}

// --- The view ----------------------------------------------------------------------------------------

void SystemShortcut::setInterfaceForAction(int model)
{
    if (CUTActionButton) {
        const QSignalBlocker block(CUTActionButton);
        if (!selectItemWithTag(CUTActionButton, model))
            CUTActionButton->setCurrentIndex(-1);
    }
    if (CUTSleepView)
        CUTSleepView->setVisible(model == M::Sleep);
}

void SystemShortcut::setInterfaceForSleepType(int type, qint64 seconds)
{
    if (!CUTSleepView)
        return;
    if (m_sleepTypeButtons) {
        const QSignalBlocker block(m_sleepTypeButtons);
        if (QAbstractButton* button = m_sleepTypeButtons->button(type))
            button->setChecked(true);
    }
    const bool delay = type == M::WakeAfterDelay, date = type == M::WakeAtTime;
    for (QSpinBox* field : {CUTDelayDayField.data(), CUTDelayHourField.data(), CUTDelayMinuteField.data(),
                            CUTDelaySecondField.data()})
        field->setEnabled(delay);
    for (const QPointer<QLabel>& label : m_delayLabels)
        label->setEnabled(delay);
    CUTDateDayField->setEnabled(date);
    CUTDateTimeField->setEnabled(date);
    for (const QPointer<QLabel>& label : m_dateLabels)
        label->setEnabled(date);
    if (delay) {
        setWakeDelaySeconds(seconds);
    } else {
        for (QSpinBox* field : {CUTDelayDayField.data(), CUTDelayHourField.data(), CUTDelayMinuteField.data(),
                                CUTDelaySecondField.data()}) {
            const QSignalBlocker block(field);
            field->setValue(0);
        }
    }
    if (date) {
        setWakeDateSeconds(seconds);
    } else {
        const QSignalBlocker block(CUTDateDayField);
        CUTDateDayField->setValue(0);
        CUTDateTimeField->clear();
        m_acceptedTime.clear();
    }
}

void SystemShortcut::setWakeDelaySeconds(qint64 s)
{
    const qint64 parts[] = {s / 86400, (s % 86400) / 3600, (s % 3600) / 60, s % 60};
    QSpinBox* fields[] = {CUTDelayDayField, CUTDelayHourField, CUTDelayMinuteField, CUTDelaySecondField};
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker block(fields[i]);
        fields[i]->setValue(int(parts[i]));
    }
}

void SystemShortcut::setWakeDateSeconds(qint64 s)
{
    {
        const QSignalBlocker block(CUTDateDayField);
        CUTDateDayField->setValue(int(s / 86400));
    }
    const qint64 rest = s % 86400;
    m_acceptedTime = QStringLiteral("%1:%2:%3").arg(rest / 3600).arg((rest % 3600) / 60).arg(rest % 60);
    CUTDateTimeField->setText(m_acceptedTime);
}

qint64 SystemShortcut::getWakeSeconds() const
{
    if (!CUTSleepView)
        return CUTLastSleepType == M::NoWake ? 0 : CUTLastWakeSeconds;
    switch (CUTLastSleepType) {
    case M::WakeAfterDelay:
        return CUTDelaySecondField->value() + CUTDelayMinuteField->value() * qint64(60)
            + CUTDelayHourField->value() * qint64(3600) + CUTDelayDayField->value() * qint64(86400);
    case M::WakeAtTime: {
        static const QRegularExpression whole(QStringLiteral("^(\\d{1,2}):(\\d{1,2}):(\\d{1,2})$"));
        const QRegularExpressionMatch m = whole.match(CUTDateTimeField->text().trimmed());
        qint64 time = 0;
        if (m.hasMatch() && m.captured(1).toInt() < 24 && m.captured(2).toInt() < 60 && m.captured(3).toInt() < 60)
            time = m.captured(1).toInt() * qint64(3600) + m.captured(2).toInt() * qint64(60) + m.captured(3).toInt();
        return time + CUTDateDayField->value() * qint64(86400);
    }
    default:
        return 0;
    }
}

std::optional<QString> SystemShortcut::completedTime(const QString& typed)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})(?::(\\d{1,2}))?(?::(\\d{1,2}))?$"));
    const QString text = typed.trimmed();
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch() || m.captured(1).toInt() > 23 || (m.hasCaptured(2) && m.captured(2).toInt() > 59)
        || (m.hasCaptured(3) && m.captured(3).toInt() > 59))
        return std::nullopt;
    if (m.hasCaptured(3))
        return text;
    if (m.hasCaptured(2))
        return text + QStringLiteral(":00");
    return text + QStringLiteral(":00:00");
}

void SystemShortcut::timeFieldDone()
{
    if (!CUTDateTimeField)
        return;
    const std::optional<QString> time = completedTime(CUTDateTimeField->text());
    if (!time) {
        // Refused, as a formatter refuses: the field keeps the focus and
        // its last good text comes back when the user leaves it otherwise.
        CUTDateTimeField->setText(m_acceptedTime);
        CUTDateTimeField->setFocus();
        return;
    }
    CUTDateTimeField->setText(*time);
    m_acceptedTime = *time;
    modifyWakeSeconds();
}

QWidget* SystemShortcut::makeView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("SystemView"));
    auto* layout = new QVBoxLayout(view);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    CUTActionButton = new QComboBox(view);
    CUTActionButton->setObjectName(QStringLiteral("CUTActionButton"));
    CUTActionButton->setAccessibleName(localizedStr(QStringLiteral("ActionLabel")));
    fillModelPopUp(CUTActionButton, actionClass(), actionClass().modelsID());
    QObject::connect(CUTActionButton, &QComboBox::activated, view, [this] { modifyAction(); });
    form->addRow(localizedStr(QStringLiteral("ActionLabel")), CUTActionButton);

    CUTAccessoryView = new QWidget(view);
    CUTAccessoryView->setObjectName(QStringLiteral("CUTAccessoryView"));
    auto* box = new QVBoxLayout(CUTAccessoryView);
    box->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(CUTAccessoryView);
    layout->addStretch(1);

    CUTSleepView = new QWidget(CUTAccessoryView);
    CUTSleepView->setObjectName(QStringLiteral("CUTSleepView"));
    box->addWidget(CUTSleepView);
    auto* sleep = new QFormLayout(CUTSleepView);
    m_sleepTypeButtons = new QButtonGroup(CUTSleepView);
    const char* const radios[] = {"CUTSleepTypeNoWakeButton", "CUTSleepTypeWakeDelayButton", "CUTSleepTypeWakeDateButton"};
    for (int type = 0; type < 3; ++type) {
        auto* radio = new QRadioButton(localizedStr(QStringLiteral("SleepType%1").arg(type)), CUTSleepView);
        radio->setObjectName(QString::fromLatin1(radios[type]));
        radio->setAccessibleName(radio->text());
        m_sleepTypeButtons->addButton(radio, type);
        sleep->addRow(radio);
        if (type == M::WakeAfterDelay) {
            auto* row = new QHBoxLayout;
            auto* delayLabel = new QLabel(localizedStr(QStringLiteral("DelayLabel")), CUTSleepView);
            m_delayLabels << delayLabel;
            row->addWidget(delayLabel);
            const char* const fields[] = {"CUTDelayDayField", "CUTDelayHourField", "CUTDelayMinuteField", "CUTDelaySecondField"};
            const char* const labels[] = {"DayLabel", "HourLabel", "MinuteLabel", "SecondLabel"};
            QPointer<QSpinBox>* targets[] = {&CUTDelayDayField, &CUTDelayHourField, &CUTDelayMinuteField, &CUTDelaySecondField};
            for (int i = 0; i < 4; ++i) {
                auto* field = new QSpinBox(CUTSleepView);
                field->setObjectName(QString::fromLatin1(fields[i]));
                field->setRange(0, 9999);
                field->setKeyboardTracking(false);
                field->setAccessibleName(localizedStr(QString::fromLatin1(labels[i])));
                QObject::connect(field, &QSpinBox::valueChanged, view, [this] { modifyWakeSeconds(); });
                *targets[i] = field;
                auto* label = new QLabel(localizedStr(QString::fromLatin1(labels[i])), CUTSleepView);
                m_delayLabels << label;
                row->addWidget(field);
                row->addWidget(label);
            }
            sleep->addRow(row);
        } else if (type == M::WakeAtTime) {
            auto* row = new QHBoxLayout;
            CUTDateDayField = new QSpinBox(CUTSleepView);
            CUTDateDayField->setObjectName(QStringLiteral("CUTDateDayField"));
            CUTDateDayField->setRange(0, 9999);
            CUTDateDayField->setKeyboardTracking(false);
            CUTDateDayField->setAccessibleName(localizedStr(QStringLiteral("DateDayLabel")));
            QObject::connect(CUTDateDayField, &QSpinBox::valueChanged, view, [this] { modifyWakeSeconds(); });
            CUTDateTimeField = new QLineEdit(CUTSleepView);
            CUTDateTimeField->setObjectName(QStringLiteral("CUTDateTimeField"));
            CUTDateTimeField->setAccessibleName(localizedStr(QStringLiteral("DateTimeLabel")));
            QObject::connect(CUTDateTimeField, &QLineEdit::editingFinished, view, [this] { timeFieldDone(); });
            for (const char* key : {"DateDayLabel", "DateDayExampleLabel"})
                m_dateLabels << new QLabel(localizedStr(QString::fromLatin1(key)), CUTSleepView);
            for (const char* key : {"DateTimeLabel", "DateTimeExampleLabel"})
                m_dateLabels << new QLabel(localizedStr(QString::fromLatin1(key)), CUTSleepView);
            row->addWidget(m_dateLabels[0]);
            row->addWidget(CUTDateDayField);
            row->addWidget(m_dateLabels[1]);
            row->addWidget(m_dateLabels[2]);
            row->addWidget(CUTDateTimeField);
            row->addWidget(m_dateLabels[3]);
            sleep->addRow(row);
        }
    }
    QObject::connect(m_sleepTypeButtons, &QButtonGroup::idClicked, view, [this](int id) { modifySleepType(id); });
    return view;
}

ZELK_REGISTER_ACTION_PANE(SystemShortcutClass)

} // namespace zelk::editor
