#include "QVERunParamsEditor.h"

#include "EditorWidgets.h"
#include "ModelSupport.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

namespace editor {

namespace {

const QString kRunRepeatNum = QStringLiteral("runrepeatnum");
const QString kRunRepeatPause = QStringLiteral("runrepeatpause");
const QString kResultSuccess = QStringLiteral("resultsuccess");
const QString kResultFailing = QStringLiteral("resultfailing");
const QString kResultDelay = QStringLiteral("resultdelay");
constexpr int kResultCodes = 7;

double nonNegative(double value)
{
    return std::max(0.0, value);
}

// A text field's number; empty reads as 0, anything else unreadable as none.
std::optional<double> numberOfField(const QLineEdit* field)
{
    const QString text = field->text().trimmed();
    if (text.isEmpty())
        return 0.0;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString numberText(double value)
{
    return QString::number(value, 'g', 10);
}

} // namespace

// One change of the panel: the values before and after, applied exactly.
class RunParamsStep : public QUndoCommand {
public:
    RunParamsStep(RunParamsPanel* panel, const RunParamsPanel::State& before, const RunParamsPanel::State& after,
                  const QString& text)
        : QUndoCommand(text), m_panel(panel), m_before(before), m_after(after)
    {
    }
    void redo() override { m_panel->apply(m_after); }
    void undo() override { m_panel->apply(m_before); }

private:
    RunParamsPanel* m_panel;
    RunParamsPanel::State m_before, m_after;
};

RunParamsPanel::RunParamsPanel(bool withResult, const QString& layoutName) : m_withResult(withResult)
{
    m_panel = new QDialog;
    m_panel->setObjectName(layoutName);
    m_panel->setWindowTitle(loc(withResult ? QStringLiteral("RunResultPanelTitle") : QStringLiteral("RunPanelTitle")));
    m_panel->setModal(true);
    auto* layout = new QVBoxLayout(m_panel);

    m_titleField = named(new QLabel, "RPTitleField", loc(QStringLiteral("RunPanelTitle")));
    layout->addWidget(m_titleField);

    m_timesOption = named(new QRadioButton(loc(QStringLiteral("RunPanelTimesOption"))), "RPRepeatTimesOption",
                          loc(QStringLiteral("RunPanelTimesOption")));
    m_infiniteOption = named(new QRadioButton(loc(QStringLiteral("RunPanelInfiniteOption"))),
                             "RPRepeatInfiniteOption", loc(QStringLiteral("RunPanelInfiniteOption")));
    auto* options = new QButtonGroup(m_panel);
    options->addButton(m_timesOption, 0);
    options->addButton(m_infiniteOption, -1);
    m_timesLabel = named(new QLabel(loc(QStringLiteral("RunPanelTimes"))), "RPTimesLabel",
                         loc(QStringLiteral("RunPanelTimes")));
    m_timesField = named(new QLineEdit, "RPTimesField", loc(QStringLiteral("RunPanelTimes")));
    m_pauseField = named(new QLineEdit, "RPPauseField", loc(QStringLiteral("RunPanelPause")));
    auto* timesRow = new QHBoxLayout;
    timesRow->addWidget(m_timesOption);
    timesRow->addWidget(m_timesField);
    timesRow->addWidget(m_timesLabel);
    layout->addLayout(timesRow);
    layout->addWidget(m_infiniteOption);
    auto* form = new QFormLayout;
    form->addRow(loc(QStringLiteral("RunPanelPause")), m_pauseField);
    if (withResult) {
        m_successButton = named(new QComboBox, "RPSuccessButton", loc(QStringLiteral("RunPanelSuccess")));
        m_failingButton = named(new QComboBox, "RPFailingButton", loc(QStringLiteral("RunPanelFailing")));
        for (int code = 0; code < kResultCodes; ++code) {
            const QString text = loc(QStringLiteral("ResultLabel%1").arg(code));
            m_successButton->addItem(text, code);
            m_failingButton->addItem(text, code);
        }
        m_delayField = named(new QLineEdit, "RPDelayField", loc(QStringLiteral("RunPanelDelay")));
        form->addRow(loc(QStringLiteral("RunPanelSuccess")), m_successButton);
        form->addRow(loc(QStringLiteral("RunPanelFailing")), m_failingButton);
        form->addRow(loc(QStringLiteral("RunPanelDelay")), m_delayField);
    }
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole), "RPOKButton",
                            QStringLiteral("OK"));
    QPushButton* cancel = named(buttons->addButton(loc(QStringLiteral("Annuler")), QDialogButtonBox::RejectRole),
                                "RPCancelButton", loc(QStringLiteral("Annuler")));
    ok->setDefault(true);
    layout->addWidget(buttons);

    // The panel's own undo, within the modal run.
    QAction* undo = m_undoManager.createUndoAction(m_panel);
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = m_undoManager.createRedoAction(m_panel);
    redo->setShortcut(QKeySequence::Redo);
    m_panel->addAction(undo);
    m_panel->addAction(redo);

    connect(ok, &QPushButton::clicked, this, &RunParamsPanel::stopPanel);
    connect(cancel, &QPushButton::clicked, this, &RunParamsPanel::abortPanel);
    for (QRadioButton* option : {m_timesOption, m_infiniteOption}) {
        connect(option, &QRadioButton::toggled, this, [this, option, options](bool on) {
            if (on && !m_applying)
                modifyRepeatType(options->id(option), option->text());
        });
    }
    connect(m_timesField, &QLineEdit::editingFinished, this, &RunParamsPanel::modifyTimes);
    connect(m_pauseField, &QLineEdit::editingFinished, this, &RunParamsPanel::modifyPause);
    if (withResult) {
        connect(m_successButton, &QComboBox::activated, this, &RunParamsPanel::modifySuccessType);
        connect(m_failingButton, &QComboBox::activated, this, &RunParamsPanel::modifyFailingType);
        connect(m_delayField, &QLineEdit::editingFinished, this, &RunParamsPanel::modifyDelay);
    }
}

RunParamsPanel::~RunParamsPanel()
{
    m_undoManager.clear();
    delete m_panel;
}

void RunParamsPanel::apply(const State& state)
{
    m_applying = true;
    m_last = state;
    // One button of the exclusive pair is set; the group clears the other.
    (state.repeatType == -1 ? m_infiniteOption : m_timesOption)->setChecked(true);
    m_timesField->setText(QString::number(state.repeatTimes));
    showControlsForRepeatType();
    m_pauseField->setText(numberText(state.pause));
    if (m_withResult) {
        m_successButton->setCurrentIndex(m_successButton->findData(state.successType));
        m_failingButton->setCurrentIndex(m_failingButton->findData(state.failingType));
        m_delayField->setText(numberText(state.delay));
    }
    m_applying = false;
}

void RunParamsPanel::showControlsForRepeatType()
{
    const bool infinite = m_infiniteOption->isChecked();
    m_timesLabel->setEnabled(!infinite);
    m_timesField->setEnabled(!infinite);
    if (infinite)
        m_timesField->clear();
}

void RunParamsPanel::setState(const State& values, bool isUndo, const QString& undoName)
{
    State next = m_last;
    if (values.repeatType != next.repeatType)
        next.repeatType = values.repeatType;
    if (values.repeatTimes != next.repeatTimes) {
        next.repeatTimes = values.repeatTimes;
        if (next.repeatTimes > 1)
            next.repeatType = 1;
        else if (next.repeatTimes == 1)
            next.repeatType = 0;
    }
    next.pause = values.pause;
    next.successType = values.successType;
    next.failingType = values.failingType;
    next.delay = values.delay;
    if (next == m_last)
        return;
    m_undoManager.push(new RunParamsStep(this, m_last, next, isUndo ? QString() : undoName));
}

void RunParamsPanel::modifyRepeatType(int tag, const QString& title)
{
    if (tag == m_last.repeatType)
        return;
    State values = m_last;
    values.repeatType = tag;
    values.repeatTimes = tag == -1 ? 0 : 1;
    setState(values, false, title);
}

void RunParamsPanel::modifyTimes()
{
    if (!m_isEdited || m_applying || !m_timesField->isEnabled())
        return;
    const std::optional<double> value = numberOfField(m_timesField);
    if (!value)
        return; // refused when the panel is confirmed
    const int count = int(std::clamp(*value, 0.0, double(std::numeric_limits<int>::max())));
    m_timesField->setText(QString::number(count)); // a clamped entry shows what is kept
    State values = m_last;
    values.repeatTimes = count;
    setState(values, false, locFormat(QStringLiteral("AnnulerModifierRepeatTimes"), {count}));
}

void RunParamsPanel::modifyPause()
{
    if (!m_isEdited || m_applying)
        return;
    const std::optional<double> value = numberOfField(m_pauseField);
    if (!value)
        return;
    State values = m_last;
    values.pause = nonNegative(*value);
    m_pauseField->setText(numberText(values.pause));
    setState(values, false, locFormat(QStringLiteral("AnnulerModifierPause"), {values.pause}));
}

void RunParamsPanel::modifySuccessType()
{
    if (!m_withResult || m_applying)
        return;
    const int code = m_successButton->currentData().toInt();
    if (code == m_last.successType)
        return;
    State values = m_last;
    values.successType = code;
    setState(values, false,
             locFormat(QStringLiteral("AnnulerModidierTypeResultSuccess"), {m_successButton->currentText()}));
}

void RunParamsPanel::modifyFailingType()
{
    if (!m_withResult || m_applying)
        return;
    const int code = m_failingButton->currentData().toInt();
    if (code == m_last.failingType)
        return;
    State values = m_last;
    values.failingType = code;
    setState(values, false,
             locFormat(QStringLiteral("AnnulerModidierTypeResultFailing"), {m_failingButton->currentText()}));
}

void RunParamsPanel::modifyDelay()
{
    if (!m_withResult || !m_isEdited || m_applying)
        return;
    const std::optional<double> value = numberOfField(m_delayField);
    if (!value)
        return;
    State values = m_last;
    values.delay = nonNegative(*value);
    m_delayField->setText(numberText(values.delay));
    setState(values, false, locFormat(QStringLiteral("AnnulerModifierDelay"), {values.delay}));
}

bool RunParamsPanel::endFieldEditing()
{
    QList<QLineEdit*> fields{m_pauseField};
    if (m_timesField->isEnabled())
        fields << m_timesField;
    if (m_withResult)
        fields << m_delayField;
    for (QLineEdit* field : fields) {
        if (!numberOfField(field))
            return false;
    }
    modifyTimes();
    modifyPause();
    modifyDelay();
    return true;
}

void RunParamsPanel::stopPanel()
{
    if (!endFieldEditing()) {
        editorAlert(QStringLiteral("ImpossibleChangement"), QStringLiteral("ParametreIncorrect"));
        return;
    }
    m_isEdited = false;
    m_panel->accept();
}

void RunParamsPanel::abortPanel()
{
    m_isEdited = false;
    m_panel->reject();
}

void RunParamsPanel::loadRun(const QVariantMap& runParams, const QString& title)
{
    m_undoManager.clear();
    m_titleField->setText(QStringLiteral("(%1)").arg(title));
    int n = intValue(runParams.value(kRunRepeatNum));
    if (n < -1)
        n = 0;
    State state = m_last;
    if (n >= 2) {
        state.repeatType = 1;
        state.repeatTimes = n;
    } else if (n == 0) {
        state.repeatType = 0;
        state.repeatTimes = 1;
    } else {
        state.repeatType = n;
        state.repeatTimes = 0;
    }
    state.pause = nonNegative(runParams.value(kRunRepeatPause).toDouble());
    apply(state);
}

void RunParamsPanel::loadResult(const QVariantMap& resultParams)
{
    State state = m_last;
    state.successType = std::clamp(intValue(resultParams.value(kResultSuccess)), 0, kResultCodes - 1);
    state.failingType = std::clamp(intValue(resultParams.value(kResultFailing)), 0, kResultCodes - 1);
    state.delay = nonNegative(resultParams.value(kResultDelay).toDouble());
    apply(state);
}

QVariantMap RunParamsPanel::storedRun(QVariantMap runParams) const
{
    int repeat = m_last.repeatType;
    if (repeat == 1)
        repeat = m_last.repeatTimes;
    runParams.insert(kRunRepeatNum, qint64(repeat));
    runParams.insert(kRunRepeatPause, m_last.pause);
    return runParams;
}

QVariantMap RunParamsPanel::storedResult(QVariantMap resultParams) const
{
    resultParams.insert(kResultSuccess, qint64(m_last.successType));
    resultParams.insert(kResultFailing, qint64(m_last.failingType));
    resultParams.insert(kResultDelay, m_last.delay);
    return resultParams;
}

bool RunParamsPanel::runModal()
{
    m_isEdited = true;
    const int answer = m_panel->exec();
    m_isEdited = false;
    return answer == QDialog::Accepted;
}

// --- The two panels -------------------------------------------------------------------------------

QVERunParamsEditor::QVERunParamsEditor() : RunParamsPanel(false, QStringLiteral("QVERunParamsPanel")) {}

QVERunParamsEditor& QVERunParamsEditor::sharedEditor()
{
    static QVERunParamsEditor* editor = new QVERunParamsEditor;
    return *editor;
}

std::optional<QVariantMap> QVERunParamsEditor::editRunParameters(const QVariantMap& runParams, const QString& title)
{
    loadRun(runParams, title);
    if (!runModal())
        return std::nullopt;
    return storedRun(runParams);
}

QVERunResultParamsEditor::QVERunResultParamsEditor()
    : RunParamsPanel(true, QStringLiteral("QVERunResultParamsPanel"))
{
}

QVERunResultParamsEditor& QVERunResultParamsEditor::sharedEditor()
{
    static QVERunResultParamsEditor* editor = new QVERunResultParamsEditor;
    return *editor;
}

std::optional<QVariantMap> QVERunResultParamsEditor::editRunResultParameters(const QVariantMap& params,
                                                                             const QString& title)
{
    const QVariantMap run = params.value(QStringLiteral("runparams")).toMap();
    const QVariantMap result = params.value(QStringLiteral("resultparams")).toMap();
    loadRun(run, title);
    loadResult(result);
    if (!runModal())
        return std::nullopt;
    return QVariantMap{{QStringLiteral("runparams"), storedRun(run)},
                       {QStringLiteral("resultparams"), storedResult(result)}};
}

QString QVERunResultParamsEditor::labelOfRunParametersDict(const QVariantMap& runParams)
{
    const int n = intValue(runParams.value(kRunRepeatNum));
    const QString pause = locFormat(QStringLiteral("PauseExecuter"), {runParams.value(kRunRepeatPause).toDouble()});
    QString label = QStringLiteral(" ");
    if (n == 0)
        return label + loc(QStringLiteral("ExecuterUneFois"));
    if (n == -1)
        return label + loc(QStringLiteral("ExecuterInfiniment")) + QStringLiteral(", ") + pause;
    label += locFormat(QStringLiteral("ExecuterPlusieursFois"), {n});
    if (n >= 2)
        label += QStringLiteral(", ") + pause;
    return label;
}

QString QVERunResultParamsEditor::labelOfResultParametersDict(const QVariantMap& resultParams)
{
    return locFormat(QStringLiteral("ResultBaseLabel"),
                     {loc(QStringLiteral("ResultLabel%1").arg(intValue(resultParams.value(kResultSuccess)))),
                      loc(QStringLiteral("ResultLabel%1").arg(intValue(resultParams.value(kResultFailing)))),
                      resultParams.value(kResultDelay).toDouble()});
}

} // namespace editor
