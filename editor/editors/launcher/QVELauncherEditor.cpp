#include "QVELauncherEditor.h"

#include "EditorWidgets.h"
#include "EditorWindowHost.h"
#include "HotKeyCode.h"
#include "KeyCapture.h"
#include "Log.h"
#include "ModelSupport.h"
#include "ModifierFlags.h"
#include "QVELaunchersManager.h"
#include "QVLauncher.h"
#include "QVUSBManager.h"
#include "QVUtility.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>

namespace editor {

namespace {

const char* const kWindowName = "QVELauncherEditorWindow";

// The window: closing it by its frame is Cancel; it follows its key state
// for the USB capture and takes the device's events while it is active.
class LauncherWindow : public QWidget, public QVUSBEventReceiver {
public:
    explicit LauncherWindow(QVELauncherEditor* editor) : QWidget(nullptr, Qt::Window), m_editor(editor) {}
    void HIDEvent(int value, const zelk::recElement& element, const zelk::recDevice& device) override
    {
        m_editor->HIDEvent(value, element, device);
    }

protected:
    bool event(QEvent* event) override
    {
        if (closeIsCancel(m_editor, event))
            return true;
        switch (event->type()) {
        case QEvent::WindowActivate:
            if (QVLauncher* launcher = m_editor->editedLauncher()) {
                editorWindowHost().undoStackActivated(launcher->undoManager());
                launcher->windowDidBecomeKey();
            }
            break;
        case QEvent::WindowDeactivate:
            if (QVLauncher* launcher = m_editor->editedLauncher())
                launcher->windowDidResignKey();
            break;
        default:
            break;
        }
        return QWidget::event(event);
    }

private:
    QVELauncherEditor* m_editor;
};

// Key presses in the two key fields are captured, shortcuts included.
class KeyFieldFilter : public QObject {
public:
    KeyFieldFilter(QVELauncherEditor* editor, QObject* parent) : QObject(parent), m_editor(editor) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride && m_editor->wantKeyEvent()) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && m_editor->wantKeyEvent())
            return m_editor->captureKey(static_cast<QKeyEvent*>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    QVELauncherEditor* m_editor;
};

// Grey text for the labels of options that do not apply.
void setGreyed(QWidget* widget, bool grey)
{
    widget->setEnabled(!grey);
}

int intOf(const QVariantMap& map, const char* key, int fallback = 0)
{
    const QVariant value = map.value(QString::fromLatin1(key));
    return value.isValid() ? value.toInt() : fallback;
}

QString appNameOfPath(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(QLatin1String(".app")))
        name.chop(4);
    return name;
}

QString displayNameWithoutApp(const QString& path)
{
    QString name = QVUtility::sharedUtility().displayNameAtPath(path);
    if (name.endsWith(QLatin1String(".app")))
        name.chop(4);
    return name;
}

// Devices whose one element reports several buttons as a bit mask.
bool reportsButtonsAsMask(const zelk::recDevice& device)
{
    return device.vendorID == 0x05F3 && (device.productID == 0x0309 || device.productID == 0x0306);
}

constexpr int kModifierBits[4] = {0x20000, 0x40000, 0x80000, 0x100000};

} // namespace

QVELauncherEditor::QVELauncherEditor()
{
    m_startTitle = loc(QStringLiteral("TitreLanceur"));
    buildWindow();
}

QVELauncherEditor::~QVELauncherEditor()
{
    endKeyCapture();
    if (m_listening && m_usbSelectedDevice >= 0 && m_usbSelectedDevice < m_usbDevices.size())
        QVUSBManager::sharedManager().stopWaitEventOfDevice(m_usbDevices[m_usbSelectedDevice].toMap());
    if (QCoreApplication::closingDown())
        return;
    // Gone with its launcher while open (a new launcher taken back by an undo).
    if (m_isEdited && m_window)
        editorWindowHost().removeWindowsItem(m_window);
    delete m_window;
}

QWidget* QVELauncherEditor::window() const
{
    return m_window;
}

// --- The window ------------------------------------------------------------------------------

void QVELauncherEditor::buildWindow()
{
    m_window = new LauncherWindow(this);
    m_window->setObjectName(QString::fromLatin1(kWindowName));
    auto* layout = new QVBoxLayout(m_window);
    m_descriptionField = named(new QLabel, "LEDescriptionField", loc(QStringLiteral("DescriptionLanceur")));
    m_usedWarningField = named(new QLabel, "LEUsedWarningField", loc(QStringLiteral("AttentionLanceurUtiliseX")));
    m_usedWarningField->setWordWrap(true);
    layout->addWidget(m_descriptionField);
    layout->addWidget(m_usedWarningField);

    m_accessoryView = named(new QStackedWidget, "LEAccessoryView", loc(QStringLiteral("ParametresLanceur")));
    m_noView = new QWidget;
    m_keyView = buildKeyView();
    m_dateView = buildDateView();
    m_appView = buildAppView();
    m_usbView = buildUSBView();
    for (QWidget* view : {m_noView, m_keyView, m_dateView, m_appView, m_usbView})
        m_accessoryView->addWidget(view);
    layout->addWidget(m_accessoryView, 1);

    QPushButton* ok = addEditorButtons(layout, "LE", this,
                     {[this] { showHelp(); }, {}, [this] { abortEditing(nullptr); }, [this] { stopEditing(); }});
    ok->setAutoDefault(true);

    auto command = [this](QKeySequence::StandardKey key, void (QUndoStack::*run)()) {
        auto* action = new QAction(m_window);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, run] {
            if (m_undoStack)
                (m_undoStack->*run)();
        });
        m_window->addAction(action);
    };
    command(QKeySequence::Undo, &QUndoStack::undo);
    command(QKeySequence::Redo, &QUndoStack::redo);
}

QWidget* QVELauncherEditor::buildKeyView()
{
    auto* view = named(new QWidget, "LEKeyView", loc(QStringLiteral("LanceurTouche")));
    auto* grid = new QGridLayout(view);
    m_keyComboField = named(new QLineEdit, "LEKeyComboField", loc(QStringLiteral("CombinaisonTouches")));
    m_keySecondKeyField = named(new QLineEdit, "LEKeySecondKeyField", loc(QStringLiteral("SecondeTouche")));
    auto* filter = new KeyFieldFilter(this, view);
    for (QLineEdit* field : {m_keyComboField, m_keySecondKeyField}) {
        field->setReadOnly(true);
        field->installEventFilter(filter);
    }
    m_keyPressedOption = named(new QRadioButton(loc(QStringLiteral("ToucheEnfoncee"))), "LEKeyPressedOption",
                               loc(QStringLiteral("ToucheEnfoncee")));
    m_keyReleasedOption = named(new QRadioButton(loc(QStringLiteral("ToucheRelachee"))), "LEKeyReleasedOption",
                                loc(QStringLiteral("ToucheRelachee")));
    // The states follow the working copy, never the click itself.
    for (QRadioButton* radio : {m_keyPressedOption, m_keyReleasedOption})
        radio->setAutoExclusive(false);
    m_keyRepeatCheck = named(new QCheckBox(loc(QStringLiteral("RepeterTouche"))), "LEKeyRepeatCheck",
                             loc(QStringLiteral("RepeterTouche")));
    m_keyRepeatDelayField = named(new QLineEdit, "LEKeyRepeatDelayField", loc(QStringLiteral("DelaiRepetition")));
    m_keyRepeatDelayField->setValidator(new QDoubleValidator(0.0, 3600.0, 3, m_keyRepeatDelayField));
    m_keyRepeatDelayLabel = named(new QLabel(loc(QStringLiteral("DelaiRepetition"))), "LEKeyRepeatDelayLabel",
                                  loc(QStringLiteral("DelaiRepetition")));
    m_keyRepeatDelayInfo = named(new QLabel(loc(QStringLiteral("Secondes"))), "LEKeyRepeatDelayInfo",
                                 loc(QStringLiteral("Secondes")));
    grid->addWidget(m_keyComboField, 0, 0, 1, 2);
    grid->addWidget(m_keySecondKeyField, 0, 2);
    grid->addWidget(m_keyPressedOption, 1, 0);
    grid->addWidget(m_keyReleasedOption, 1, 1);
    grid->addWidget(m_keyRepeatCheck, 2, 0);
    grid->addWidget(m_keyRepeatDelayLabel, 3, 0);
    grid->addWidget(m_keyRepeatDelayField, 3, 1);
    grid->addWidget(m_keyRepeatDelayInfo, 3, 2);
    connect(m_keyPressedOption, &QRadioButton::clicked, this, [this] { modifyKeyPressedReleased(false); });
    connect(m_keyReleasedOption, &QRadioButton::clicked, this, [this] { modifyKeyPressedReleased(true); });
    connect(m_keyRepeatCheck, &QCheckBox::clicked, this, [this](bool on) { modifyKeyRepeat(on); });
    connect(m_keyRepeatDelayField, &QLineEdit::editingFinished, this, &QVELauncherEditor::modifyKeyRepeatDelay);
    return view;
}

QWidget* QVELauncherEditor::buildDateView()
{
    auto* view = named(new QWidget, "LEDateView", loc(QStringLiteral("LanceurDate")));
    auto* layout = new QVBoxLayout(view);
    m_dateTimeField = named(new QLineEdit, "LEDateTimeField", loc(QStringLiteral("HeureLanceur")));
    layout->addWidget(m_dateTimeField);
    const char* const options[3] = {"LEDateDayOption", "LEDateWeekOption", "LEDateMonthOption"};
    auto* radios = new QHBoxLayout;
    for (int tag = 0; tag < 3; ++tag) {
        const QString title = loc(QStringLiteral("LanceurDateType%1").arg(tag));
        m_dateOptions[tag] = named(new QRadioButton(title), options[tag], title);
        m_dateOptions[tag]->setAutoExclusive(false);
        radios->addWidget(m_dateOptions[tag]);
        connect(m_dateOptions[tag], &QRadioButton::clicked, this, [this, tag] { modifyDateType(tag); });
    }
    layout->addLayout(radios);
    auto* week = named(new QWidget, "LEDateWeekDaysBox", loc(QStringLiteral("JoursSemaine")));
    auto* weekLayout = new QHBoxLayout(week);
    for (int day = 0; day < 7; ++day) {
        auto* box = new QCheckBox(QLocale().dayName(day == 0 ? 7 : day, QLocale::ShortFormat));
        box->setObjectName(QStringLiteral("LEDateWeekDay%1").arg(41 + day));
        weekLayout->addWidget(box);
        m_weekDays << box;
    }
    auto* month = named(new QWidget, "LEDateMonthDaysBox", loc(QStringLiteral("JoursMois")));
    auto* monthLayout = new QGridLayout(month);
    for (int day = 1; day <= 31; ++day) {
        auto* box = new QCheckBox(QString::number(day));
        box->setObjectName(QStringLiteral("LEDateMonthDay%1").arg(day));
        monthLayout->addWidget(box, (day - 1) / 7, (day - 1) % 7);
        m_monthDays << box;
    }
    layout->addWidget(week);
    layout->addWidget(month);
    m_dateExceedButton = named(new QComboBox, "LEDateExceedButton", loc(QStringLiteral("DepassementDate")));
    for (int tag = 0; tag < 3; ++tag)
        m_dateExceedButton->addItem(loc(QStringLiteral("DepassementDate%1").arg(tag)), tag);
    layout->addWidget(m_dateExceedButton);
    connect(m_dateTimeField, &QLineEdit::editingFinished, this, &QVELauncherEditor::modifyDateTime);
    passUndoToWindowWhenCommitted(m_dateTimeField, [this] { return m_dateTimeField->text() == m_date.time; });
    connect(m_dateExceedButton, &QComboBox::activated, this, &QVELauncherEditor::modifyExceedType);
    return view;
}

QWidget* QVELauncherEditor::buildAppView()
{
    auto* view = named(new QWidget, "LEAppView", loc(QStringLiteral("LanceurApplication")));
    auto* layout = new QVBoxLayout(view);
    m_appApplicationButton = named(new QToolButton, "LEAppApplicationButton", loc(QStringLiteral("Application")));
    m_appApplicationButton->setPopupMode(QToolButton::InstantPopup);
    m_appApplicationButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_appMenu = new QMenu(m_appApplicationButton);
    m_appApplicationButton->setMenu(m_appMenu);
    m_appEventButton = named(new QComboBox, "LEAppEventButton", loc(QStringLiteral("EvenementApplication")));
    for (int tag = 0; tag < 4; ++tag)
        m_appEventButton->addItem(loc(QStringLiteral("EvenementApplication%1").arg(tag)), tag);
    layout->addWidget(m_appApplicationButton);
    layout->addWidget(m_appEventButton);
    layout->addStretch(1);
    connect(m_appEventButton, &QComboBox::activated, this, &QVELauncherEditor::modifyAppEvent);
    return view;
}

QWidget* QVELauncherEditor::buildUSBView()
{
    auto* view = named(new QWidget, "LEUSBView", loc(QStringLiteral("LanceurUSB")));
    auto* layout = new QVBoxLayout(view);
    m_usbDeviceButton = named(new QComboBox, "LEUSBDeviceButton", loc(QStringLiteral("USBDevice")));
    m_usbInfoField = named(new QLabel, "LEUSBInfoField", loc(QStringLiteral("USBDeviceInfo")));
    m_usbEventField = named(new QLabel, "LEUSBEventField", loc(QStringLiteral("USBDeviceMakeEvent")));
    layout->addWidget(m_usbDeviceButton);
    layout->addWidget(m_usbInfoField);
    layout->addWidget(m_usbEventField);

    m_usbModifierView = named(new QWidget, "LEUSBModifierView", loc(QStringLiteral("TouchesModificatrices")));
    auto* modifiers = new QHBoxLayout(m_usbModifierView);
    const char* const checks[4] = {"LEUSBShiftCheck", "LEUSBControlCheck", "LEUSBOptionCheck", "LEUSBCommandCheck"};
    const char* const keys[4] = {"Shift", "Control", "Option", "Command"};
    for (int k = 0; k < 4; ++k) {
        const QString title = loc(QString::fromLatin1(keys[k]));
        m_usbModifierChecks[k] = named(new QCheckBox(title), checks[k], title);
        modifiers->addWidget(m_usbModifierChecks[k]);
        connect(m_usbModifierChecks[k], &QCheckBox::clicked, this, &QVELauncherEditor::modifyUSBModifiers);
    }
    layout->addWidget(m_usbModifierView);

    m_usbAccessoryView = named(new QStackedWidget, "LEUSBAccessoryView", loc(QStringLiteral("USBOptions")));
    m_usbButtonView = named(new QWidget, "LEUSBButtonView", loc(QStringLiteral("USBButtonEvent")));
    auto* button = new QGridLayout(m_usbButtonView);
    m_usbButtonPressedOption = named(new QRadioButton(loc(QStringLiteral("ToucheEnfoncee"))),
                                     "LEUSBButtonPressedOption", loc(QStringLiteral("ToucheEnfoncee")));
    m_usbButtonReleasedOption = named(new QRadioButton(loc(QStringLiteral("ToucheRelachee"))),
                                      "LEUSBButtonReleasedOption", loc(QStringLiteral("ToucheRelachee")));
    for (QRadioButton* radio : {m_usbButtonPressedOption, m_usbButtonReleasedOption})
        radio->setAutoExclusive(false);
    m_usbButtonRepeatCheck = named(new QCheckBox(loc(QStringLiteral("RepeterTouche"))), "LEUSBButtonRepeatCheck",
                                   loc(QStringLiteral("RepeterTouche")));
    m_usbButtonRepeatDelayField = named(new QLineEdit, "LEUSBButtonRepeatDelayField",
                                        loc(QStringLiteral("DelaiRepetition")));
    m_usbButtonRepeatDelayField->setValidator(new QDoubleValidator(0.0, 3600.0, 3, m_usbButtonRepeatDelayField));
    m_usbButtonRepeatDelayLabel = named(new QLabel(loc(QStringLiteral("DelaiRepetition"))),
                                        "LEUSBButtonRepeatDelayLabel", loc(QStringLiteral("DelaiRepetition")));
    button->addWidget(m_usbButtonPressedOption, 0, 0);
    button->addWidget(m_usbButtonReleasedOption, 0, 1);
    button->addWidget(m_usbButtonRepeatCheck, 1, 0);
    button->addWidget(m_usbButtonRepeatDelayLabel, 2, 0);
    button->addWidget(m_usbButtonRepeatDelayField, 2, 1);
    m_usbWheelView = named(new QWidget, "LEUSBWheelView", loc(QStringLiteral("USBWheelEvent")));
    auto* wheel = new QHBoxLayout(m_usbWheelView);
    m_usbWheelIncrementField = named(new QLineEdit, "LEUSBWheelIncrementField", loc(QStringLiteral("USBWheelIncrement")));
    m_usbWheelIncrementField->setValidator(new QIntValidator(-1000, 1000, m_usbWheelIncrementField));
    wheel->addWidget(m_usbWheelIncrementField);
    m_usbAccessoryView->addWidget(m_usbButtonView);
    m_usbAccessoryView->addWidget(m_usbWheelView);
    layout->addWidget(m_usbAccessoryView);
    layout->addStretch(1);

    connect(m_usbDeviceButton, &QComboBox::activated, this, &QVELauncherEditor::modifyUSBDevice);
    connect(m_usbButtonPressedOption, &QRadioButton::clicked, this, [this] { modifyUSBButtonPressedReleased(false); });
    connect(m_usbButtonReleasedOption, &QRadioButton::clicked, this, [this] { modifyUSBButtonPressedReleased(true); });
    connect(m_usbButtonRepeatCheck, &QCheckBox::clicked, this, [this](bool on) { modifyUSBButtonRepeat(on); });
    connect(m_usbButtonRepeatDelayField, &QLineEdit::editingFinished, this,
            &QVELauncherEditor::modifyUSBButtonRepeatDelay);
    connect(m_usbWheelIncrementField, &QLineEdit::editingFinished, this, &QVELauncherEditor::modifyUSBWheelIncrement);
    return view;
}

// --- Opening ---------------------------------------------------------------------------------

void QVELauncherEditor::displayWithLauncher(QVLauncher* launcher)
{
    if (!launcher || !launcher->canEdit()) {
        zelk::zlog("QVELauncherEditor", "displayWithLauncher") << "no launcher to edit";
        return;
    }
    m_launcher = launcher;
    m_undoStack = launcher->undoManager();
    m_params = launcher->paramsDict();
    switch (launcher->launcherType()) {
    case QVLauncher::KeyCombination:
        loadKeyLauncher();
        break;
    case QVLauncher::Date:
        loadDateLauncher();
        break;
    case QVLauncher::Application:
        loadAppLauncher();
        break;
    case QVLauncher::USB:
        loadUSBLauncher();
        break;
    default:
        m_accessoryView->setCurrentWidget(m_noView);
    }
    m_window->setWindowTitle(titleWithName(m_startTitle, launcher->nameValue()));
    m_descriptionField->setText(launcher->descriptionValue());
    m_usedWarningField->setText(launcher->linkedObjects().size() >= 2 ? loc(QStringLiteral("AttentionLanceurUtiliseX"))
                                                                      : QString());
    m_isEdited = true;
    m_window->adjustSize();
    m_window->resize(qMax(m_window->width(), 436), m_window->sizeHint().height());

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    QRect frame = editorWindowFrame(launcher->editorRect(), m_window->size(), available);
    if (QWidget* front = QApplication::activeWindow(); front && front != m_window
                                                      && front->objectName() == QLatin1String(kWindowName))
        frame = cascadedFrame(frame, front->geometry());
    editorWindowHost().addWindowsItem(m_window, m_window->windowTitle());
    editorWindowHost().maybeAnimateOpen(m_window, frame, {ObjectsFile::Launchers, launcher->IDValue()});
    if (launcher->launcherType() == QVLauncher::KeyCombination)
        m_keyComboField->setFocus();
}

void QVELauncherEditor::makeFront()
{
    if (!m_window)
        return;
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void QVELauncherEditor::showHelp()
{
    zelk::zlog("QVELauncherEditor", "showHelp") << loc(QStringLiteral("LauncherHelpSubject"));
    QVUtility::sharedUtility().displayNotImplemented();
}

template <class State>
void QVELauncherEditor::pushStep(State& field, const State& state, const QString& undoString,
                                 void (QVELauncherEditor::*show)())
{
    if (state == field)
        return;
    QPointer<QVELauncherEditor> self(this);
    State* target = &field;
    auto apply = [self, target, show](const State& value) {
        if (!self || !self->m_isEdited)
            return;
        *target = value;
        (self.data()->*show)();
    };
    if (!m_undoStack) {
        apply(state);
        return;
    }
    m_undoStack->push(new StateStep<State>(apply, field, state, undoString));
}

// --- Key view ------------------------------------------------------------------------------------

void QVELauncherEditor::loadKeyLauncher()
{
    // The combination typed must reach this window, not fire a hot key.
    if (!m_capturingKeys) {
        QVUtility::sharedUtility().deactivateKeyCombo();
        m_capturingKeys = true;
    }
    m_accessoryView->setCurrentWidget(m_keyView);
    m_key.first = intOf(m_params, "launcherkeycode");
    m_key.released = m_params.value(QStringLiteral("launcherkeyrelease")).toBool();
    m_key.repeat = m_params.value(QStringLiteral("launcherkeyrepeat")).toBool();
    m_key.delay = m_params.value(QStringLiteral("launcherkeyrepeatdelay")).toDouble();
    m_key.second = intOf(m_params, "launcherkeysecondcode", -1);
    m_keyRepeatDelayField->setText(m_key.delay > 0 ? QString::number(m_key.delay) : QString());
    showKeyState();
}

void QVELauncherEditor::endKeyCapture()
{
    if (!m_capturingKeys)
        return;
    m_capturingKeys = false;
    QVUtility::sharedUtility().activateKeyCombo();
}

void QVELauncherEditor::showKeyState()
{
    QVUtility& utility = QVUtility::sharedUtility();
    m_keyComboField->setText(m_key.first ? utility.keystrokeStringWithKeycode(quint32(m_key.first)) : QString());
    m_keySecondKeyField->setText(m_key.second < 0 ? QString() : utility.keyStringWithKeycode(quint32(m_key.second)));
    m_keyPressedOption->setChecked(!m_key.released);
    m_keyReleasedOption->setChecked(m_key.released);
    // A key fired on release cannot repeat.
    m_keyRepeatCheck->setEnabled(!m_key.released);
    m_keyRepeatCheck->setChecked(m_key.repeat && !m_key.released);
    const bool repeating = m_key.repeat && !m_key.released;
    setGreyed(m_keyRepeatDelayLabel, !repeating);
    setGreyed(m_keyRepeatDelayInfo, !repeating);
    m_keyRepeatDelayField->setEnabled(repeating);
    if (repeating)
        m_keyRepeatDelayField->setText(QString::number(m_key.delay));
    else
        m_keyRepeatDelayField->clear();
}

bool QVELauncherEditor::wantKeyEvent()
{
    return m_isEdited && m_launcher && m_launcher->launcherType() == QVLauncher::KeyCombination
           && (m_keyComboField->hasFocus() || m_keySecondKeyField->hasFocus());
}

void QVELauncherEditor::keyEvent(QKeyEvent* event)
{
    if (event && wantKeyEvent() && !captureKey(event) && m_window)
        QCoreApplication::sendEvent(m_window, event);
}

bool QVELauncherEditor::captureKey(QKeyEvent* event)
{
    const KeyPress key = keyPressOfEvent(event);
    QVUtility& utility = QVUtility::sharedUtility();
    if (m_keyComboField->hasFocus()) {
        const FirstKeyCapture capture = captureFirstKey(key, zelk::HotKey::LauncherCaptureMask);
        if (capture.answer == FirstKeyCapture::PassedOn)
            return false;
        if (capture.answer == FirstKeyCapture::Refused) {
            refusedKeyAlert();
            return true;
        }
        KeyState state = m_key;
        // The working first key keeps what the capture saw; the repeat
        // delay follows a repeating key once it is on.
        state.first = int(capture.code);
        setKeyState(state, locFormat(QStringLiteral("AnnulerModifierTouche"),
                                     {utility.keystrokeStringWithKeycode(capture.code)}));
        return true;
    }
    if (key.keyCode < 0)
        return true; // a modifier alone names no second key
    KeyState state = m_key;
    QString undoString;
    if (key.character == 127 || key.character == 0xF728) {
        state.second = -1;
        undoString = loc(QStringLiteral("AnnulerSupprimerSecondeTouche"));
    } else {
        state.second = key.keyCode;
        undoString = locFormat(QStringLiteral("AnnulerModifierSecondeTouche"),
                               {utility.keyStringWithKeycode(quint32(key.keyCode))});
    }
    setKeyState(state, undoString);
    return true;
}

void QVELauncherEditor::modifyKeyPressedReleased(bool released)
{
    KeyState state = m_key;
    state.released = released;
    if (released)
        state.repeat = false;
    if (state == m_key) {
        showKeyState(); // the click changed nothing: the radios show the state again
        return;
    }
    setKeyState(state, loc(QStringLiteral("AnnulerKeyReleased%1").arg(released ? 1 : 0)));
}

void QVELauncherEditor::modifyKeyRepeat(bool repeat)
{
    KeyState state = m_key;
    state.repeat = repeat;
    // Turning repeat on with no delay gives one second; off stores none.
    if (repeat && state.delay <= 0)
        state.delay = 1.0;
    if (!repeat)
        state.delay = 0.0;
    setKeyState(state, loc(QStringLiteral("AnnulerKeyRepeat%1").arg(repeat ? 1 : 0)));
}

void QVELauncherEditor::modifyKeyRepeatDelay()
{
    if (!m_isEdited || !m_keyRepeatDelayField->isEnabled())
        return;
    const double delay = qMax(0.0, m_keyRepeatDelayField->text().toDouble());
    if (qFuzzyCompare(delay + 1, m_key.delay + 1))
        return;
    KeyState state = m_key;
    state.delay = delay;
    setKeyState(state, locFormat(QStringLiteral("AnnulerModifierKeyDelay"), {delay}));
}

void QVELauncherEditor::setKeyState(const KeyState& state, const QString& undoString)
{
    if (state == m_key) {
        showKeyState();
        return;
    }
    pushStep(m_key, state, undoString, &QVELauncherEditor::showKeyState);
}

bool QVELauncherEditor::keepSystemCombination(quint32 code)
{
    if (!QVUtility::sharedUtility().isSystemHotkeycode(code))
        return true;
    return alert(loc(QStringLiteral("CombinaisonSysteme")), loc(QStringLiteral("UtiliserCombinaison")),
                 QStringLiteral("OK"), loc(QStringLiteral("Modifier")))
           == 1;
}

bool QVELauncherEditor::writeKeyParams()
{
    if (m_keyComboField->text().isEmpty() || m_key.first == 0) {
        editorAlert(QStringLiteral("ImpossibleChangement"), QStringLiteral("AucunRaccourci"));
        return false;
    }
    if (!keepSystemCombination(quint32(m_key.first)))
        return false;
    if (m_key.second != -1
        && !keepSystemCombination(HotKeyCode::secondKeyCode(quint32(m_key.first) & ~0x7Fu, quint32(m_key.second))))
        return false;
    m_params.insert(QStringLiteral("launcherkeycode"), m_key.first);
    m_params.insert(QStringLiteral("launcherkeyrelease"), m_key.released);
    m_params.insert(QStringLiteral("launcherkeyrepeat"), m_key.repeat && !m_key.released);
    m_params.insert(QStringLiteral("launcherkeyrepeatdelay"), m_key.repeat && !m_key.released ? m_key.delay : 0.0);
    if (m_key.second == -1)
        m_params.remove(QStringLiteral("launcherkeysecondcode"));
    else
        m_params.insert(QStringLiteral("launcherkeysecondcode"), m_key.second);
    return true;
}

// --- Date view --------------------------------------------------------------------------------

void QVELauncherEditor::loadDateLauncher()
{
    m_accessoryView->setCurrentWidget(m_dateView);
    m_date.type = intOf(m_params, "launcherdatetype");
    m_date.time = m_params.value(QStringLiteral("launcherdatetime")).toString();
    m_date.exceed = intOf(m_params, "launcherdatewarnover", 1);
    showDateState();
    for (const QVariant& day : m_params.value(QStringLiteral("launcherdatedays")).toList()) {
        const int n = day.toInt();
        if (m_date.type == 2 && n >= 1 && n <= 31)
            m_monthDays[n - 1]->setChecked(true);
        else if (m_date.type == 1 && n >= 0 && n <= 6)
            m_weekDays[n]->setChecked(true);
    }
}

void QVELauncherEditor::showDateState()
{
    m_dateTimeField->setText(m_date.time);
    for (int tag = 0; tag < 3; ++tag)
        m_dateOptions[tag]->setChecked(tag == m_date.type);
    showControlsForDateType();
    m_dateExceedButton->setCurrentIndex(qMax(0, m_dateExceedButton->findData(m_date.exceed)));
}

void QVELauncherEditor::showControlsForDateType()
{
    for (QCheckBox* box : m_weekDays) {
        box->setEnabled(m_date.type == 1);
        if (m_date.type != 1)
            box->setChecked(false);
    }
    for (QCheckBox* box : m_monthDays) {
        box->setEnabled(m_date.type == 2);
        if (m_date.type != 2)
            box->setChecked(false);
    }
}

QString QVELauncherEditor::completedTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (QTime::fromString(trimmed, QStringLiteral("H:mm:ss")).isValid())
        return trimmed;
    if (QTime::fromString(trimmed, QStringLiteral("H:mm")).isValid())
        return trimmed + QStringLiteral(":00");
    if (QTime::fromString(trimmed, QStringLiteral("H")).isValid())
        return trimmed + QStringLiteral(":00:00");
    return {};
}

void QVELauncherEditor::modifyDateTime()
{
    if (!m_isEdited)
        return;
    const QString time = completedTime(m_dateTimeField->text());
    if (time.isEmpty() || time == m_date.time) {
        m_dateTimeField->setText(time.isEmpty() ? m_dateTimeField->text() : time);
        return;
    }
    DateState state = m_date;
    state.time = time;
    setDateState(state, locFormat(QStringLiteral("AnnulerModifierDateHeure"), {time}));
}

void QVELauncherEditor::modifyDateType(int type)
{
    if (type == m_date.type) {
        showDateState();
        return;
    }
    DateState state = m_date;
    state.type = type;
    setDateState(state, locFormat(QStringLiteral("AnnulerModifierDateType"), {m_dateOptions[type]->text()}));
}

void QVELauncherEditor::modifyExceedType()
{
    const int exceed = m_dateExceedButton->currentData().toInt();
    if (exceed == m_date.exceed)
        return;
    DateState state = m_date;
    state.exceed = exceed;
    setDateState(state, locFormat(QStringLiteral("AnnulerModifierExceed"), {m_dateExceedButton->currentText()}));
}

void QVELauncherEditor::setDateState(const DateState& state, const QString& undoString)
{
    pushStep(m_date, state, undoString, &QVELauncherEditor::showDateState);
}

void QVELauncherEditor::writeDateParams()
{
    m_params.insert(QStringLiteral("launcherdatetime"), m_date.time);
    m_params.insert(QStringLiteral("launcherdatetype"), m_date.type);
    QVariantList days;
    if (m_date.type == 2) {
        for (int k = 0; k < m_monthDays.size(); ++k)
            if (m_monthDays[k]->isChecked())
                days << k + 1;
    } else if (m_date.type == 1) {
        for (int k = 0; k < m_weekDays.size(); ++k)
            if (m_weekDays[k]->isChecked())
                days << k;
    }
    m_params.insert(QStringLiteral("launcherdatedays"), days);
    m_params.insert(QStringLiteral("launcherdatewarnover"), m_date.exceed);
}

// --- Application view ------------------------------------------------------------------------

void QVELauncherEditor::loadAppLauncher()
{
    m_accessoryView->setCurrentWidget(m_appView);
    m_app.application = m_params.value(QStringLiteral("launcherapplicationapp")).toString();
    m_app.event = intOf(m_params, "launcherapplicationtype");
    showAppState();
}

void QVELauncherEditor::showAppState()
{
    setAppButtonWithName(m_app.application);
    m_appEventButton->setCurrentIndex(qMax(0, m_appEventButton->findData(m_app.event)));
}

void QVELauncherEditor::setAppButtonWithName(const QString& name)
{
    QVUtility& utility = QVUtility::sharedUtility();
    const QString path = name.isEmpty() ? QString() : utility.fullPathForApplication(name);
    if (!path.isEmpty()) {
        m_appApplicationButton->setText(displayNameWithoutApp(path));
        m_appApplicationButton->setIcon(QPixmap::fromImage(utility.iconImageForPath(path, 16)));
    } else {
        m_appApplicationButton->setText(name);
        m_appApplicationButton->setIcon(QPixmap::fromImage(utility.unknownIconWithSize(16)));
    }
    m_isValid = true;
    fillLaunchedRecentApp();
}

void QVELauncherEditor::fillLaunchedRecentApp()
{
    QVUtility& utility = QVUtility::sharedUtility();
    m_appMenu->clear();
    QStringList titles{m_appApplicationButton->text()};
    auto addGroup = [&](const QString& header, const QStringList& paths) {
        m_appMenu->addSection(header);
        for (const QString& path : paths) {
            const QString title = utility.displayNameAtPath(path);
            if (titles.contains(title))
                continue; // listed once, the chosen one not at all
            titles << title;
            QAction* item = m_appMenu->addAction(QPixmap::fromImage(utility.iconImageForPath(path, 16)), title);
            item->setData(path);
            connect(item, &QAction::triggered, this, [this, path] { modifyApplicationFromPath(path); });
        }
    };
    addGroup(loc(QStringLiteral("ApplicationsLancees")), utility.launchedAppPathArray());
    addGroup(loc(QStringLiteral("ApplicationsRecentes")), utility.recentAppPathArray());
    m_appMenu->addSeparator();
    QAction* other = m_appMenu->addAction(loc(QStringLiteral("AutreApplication")));
    other->setObjectName(QStringLiteral("LEAppOtherItem"));
    connect(other, &QAction::triggered, this, &QVELauncherEditor::modifyAppApplication);
}

void QVELauncherEditor::modifyApplicationFromPath(const QString& path)
{
    if (path.isEmpty())
        return;
    AppState state = m_app;
    state.application = appNameOfPath(path);
    setAppState(state, locFormat(QStringLiteral("AnnulerModifierApplication"), {displayNameWithoutApp(path)}));
}

void QVELauncherEditor::modifyAppApplication()
{
    QVUtility& utility = QVUtility::sharedUtility();
    const QString from = m_app.application.isEmpty() ? QString() : utility.fullPathForApplication(m_app.application);
    const QString path = utility.getApplicationFromPath(from);
    if (path.isEmpty() || appNameOfPath(path) == m_app.application)
        return;
    modifyApplicationFromPath(path);
}

void QVELauncherEditor::modifyAppEvent()
{
    const int event = m_appEventButton->currentData().toInt();
    if (event == m_app.event)
        return;
    AppState state = m_app;
    state.event = event;
    setAppState(state, locFormat(QStringLiteral("AnnulerModifierAppEvent"), {m_appEventButton->currentText()}));
}

void QVELauncherEditor::setAppState(const AppState& state, const QString& undoString)
{
    pushStep(m_app, state, undoString, &QVELauncherEditor::showAppState);
}

// --- USB view -------------------------------------------------------------------------------------

void QVELauncherEditor::loadUSBLauncher()
{
    m_accessoryView->setCurrentWidget(m_usbView);
    m_usbDevices = QVUSBManager::sharedManager().devicesArray();
    m_usbDeviceButton->clear();
    m_usbDeviceButton->addItem(loc(QStringLiteral("ChoisirUSBDevice")));
    const qint64 vendor = m_params.value(QStringLiteral("launcherusbvendorid")).toLongLong();
    const qint64 product = m_params.value(QStringLiteral("launcherusbproductid")).toLongLong();
    int found = -1;
    if (m_usbDevices.isEmpty())
        m_usbDeviceButton->setItemText(0, loc(QStringLiteral("NoUSBDevice")));
    for (int k = 0; k < m_usbDevices.size(); ++k) {
        const QVariantMap device = m_usbDevices[k].toMap();
        QString title = device.value(QStringLiteral("productname")).toString();
        while (m_usbDeviceButton->findText(title) >= 0)
            title += QLatin1Char(' ');
        m_usbDeviceButton->addItem(title);
        if (found < 0 && device.value(QStringLiteral("vendorID")).toLongLong() == vendor
            && device.value(QStringLiteral("productID")).toLongLong() == product) {
            found = k;
            m_usbInfoField->setText(locFormat(QStringLiteral("USBDeviceInfo"),
                                              {device.value(QStringLiteral("buttoncount")).toInt(),
                                               device.value(QStringLiteral("wheelcount")).toInt()}));
        }
    }
    if (m_launcher->isNew()) {
        m_usbSelectedDevice = -1;
        m_usbDeviceButton->setEnabled(true);
    } else {
        if (found < 0) {
            m_usbDeviceButton->addItem(locFormat(QStringLiteral("USBDeviceDisconnected"),
                                                 {m_params.value(QStringLiteral("launcherusbproductname")).toString()}));
            m_usbDeviceButton->setCurrentIndex(m_usbDeviceButton->count() - 1);
        } else {
            m_usbDeviceButton->setCurrentIndex(found + 1);
        }
        m_usbSelectedDevice = found;
        // The device of an existing launcher stays its device.
        m_usbDeviceButton->setEnabled(false);
    }
    const QVariantMap p = m_params.value(QStringLiteral("launcherusbparamsdict")).toMap();
    m_usb.elementType = intOf(m_params, "launcherusbtype", -1);
    m_usb.cookie = intOf(m_params, "launcherusbcookie");
    m_usb.modifiers = intOf(m_params, "launcherusbmodifiers");
    if (m_usb.elementType == 1) {
        m_usb.increment = intOf(p, "launcherusbwheelincrement");
    } else if (m_usb.elementType == 0) {
        m_usb.usage = intOf(p, "launcherusbbuttonusage");
        m_usb.delay = p.value(QStringLiteral("launcherusbbuttonrepeatdelay")).toDouble();
        m_usb.released = p.value(QStringLiteral("launcherusbbuttonrelease")).toBool();
        m_usb.repeat = p.value(QStringLiteral("launcherusbbuttonrepeat")).toBool();
    }
    showUSBState();
}

void QVELauncherEditor::showUSBState()
{
    const bool captured = m_usb.elementType >= 0;
    m_usbModifierView->setVisible(captured);
    m_usbAccessoryView->setVisible(captured);
    if (!captured)
        return;
    for (int k = 0; k < 4; ++k)
        m_usbModifierChecks[k]->setChecked(m_usb.modifiers & kModifierBits[k]);
    if (m_usb.elementType == 1) {
        m_usbEventField->setText(loc(QStringLiteral("USBWheelEvent")));
        m_usbAccessoryView->setCurrentWidget(m_usbWheelView);
        m_usbWheelIncrementField->setText(QString::number(m_usb.increment));
        return;
    }
    m_usbEventField->setText(locFormat(QStringLiteral("USBButtonEvent"), {m_usb.usage}));
    m_usbAccessoryView->setCurrentWidget(m_usbButtonView);
    m_usbButtonPressedOption->setChecked(!m_usb.released);
    m_usbButtonReleasedOption->setChecked(m_usb.released);
    m_usbButtonRepeatCheck->setEnabled(!m_usb.released);
    m_usbButtonRepeatCheck->setChecked(m_usb.repeat && !m_usb.released);
    const bool repeating = m_usb.repeat && !m_usb.released;
    setGreyed(m_usbButtonRepeatDelayLabel, !repeating);
    m_usbButtonRepeatDelayField->setEnabled(repeating);
    m_usbButtonRepeatDelayField->setText(QString::number(m_usb.delay));
}

void QVELauncherEditor::modifyUSBDevice()
{
    const int index = m_usbDeviceButton->currentIndex();
    if (index < 1 || index > m_usbDevices.size())
        return;
    m_usbDeviceButton->setEnabled(false);
    m_usbSelectedDevice = index - 1;
    const QVariantMap device = m_usbDevices[m_usbSelectedDevice].toMap();
    m_usbInfoField->setText(locFormat(QStringLiteral("USBDeviceInfo"),
                                      {device.value(QStringLiteral("buttoncount")).toInt(),
                                       device.value(QStringLiteral("wheelcount")).toInt()}));
    m_usbEventField->setText(loc(QStringLiteral("USBDeviceMakeEvent")));
    m_params.insert(QStringLiteral("launcherusbvendorid"), device.value(QStringLiteral("vendorID")));
    m_params.insert(QStringLiteral("launcherusbproductid"), device.value(QStringLiteral("productID")));
    m_params.insert(QStringLiteral("launcherusbproductname"), device.value(QStringLiteral("productname")));
    windowDidBecomeKey();
}

void QVELauncherEditor::windowDidBecomeKey()
{
    if (m_listening || m_usbSelectedDevice < 0 || m_usbSelectedDevice >= m_usbDevices.size())
        return;
    m_listening = true;
    QVUSBManager::sharedManager().startWaitEventOfDevice(m_usbDevices[m_usbSelectedDevice].toMap());
}

void QVELauncherEditor::windowDidResignKey()
{
    if (!m_listening || m_usbSelectedDevice < 0 || m_usbSelectedDevice >= m_usbDevices.size())
        return;
    m_listening = false;
    QVUSBManager::sharedManager().stopWaitEventOfDevice(m_usbDevices[m_usbSelectedDevice].toMap());
}

int QVELauncherEditor::currentModifiers()
{
    const quint32 flags = zelk::hotKeyModifiersOfQt(QGuiApplication::keyboardModifiers());
    return int(flags & (0x20000 | 0x40000 | 0x80000 | 0x100000));
}

void QVELauncherEditor::HIDEvent(int value, const zelk::recElement& element, const zelk::recDevice& device)
{
    if (!m_isEdited || m_usbSelectedDevice < 0)
        return;
    const HIDElementKind kind = kindOfElement(&element, &device);
    USBState state = m_usb;
    if (kind == HIDElementWheel) {
        state.cookie = int(element.cookie);
        if (m_usb.elementType != 1) {
            state.modifiers = currentModifiers();
            state.increment = 10;
        }
        state.elementType = 1;
        setUSBState(state, loc(QStringLiteral("AnnulerSelectionnerMolette")));
        return;
    }
    if (kind != HIDElementButton || value == 0)
        return;
    int usage = int(element.usage);
    int cookie = int(element.cookie);
    if (reportsButtonsAsMask(device)) {
        usage *= 8;
        cookie *= 8;
        for (unsigned bits = unsigned(value); bits > 1; bits >>= 1) {
            ++usage;
            ++cookie;
        }
    }
    state.cookie = cookie;
    state.usage = usage;
    if (m_usb.elementType != 0) {
        state.modifiers = currentModifiers();
        state.released = false;
        state.repeat = false;
        state.delay = 1.0;
    }
    state.elementType = 0;
    setUSBState(state, locFormat(QStringLiteral("AnnulerSelectionnerBouton"), {usage}));
}

void QVELauncherEditor::modifyUSBModifiers()
{
    if (m_usb.elementType < 0)
        return;
    USBState state = m_usb;
    state.modifiers = 0;
    for (int k = 0; k < 4; ++k)
        if (m_usbModifierChecks[k]->isChecked())
            state.modifiers |= kModifierBits[k];
    setUSBState(state, loc(QStringLiteral("AnnulerModifierTouchesModificatrices")));
}

void QVELauncherEditor::modifyUSBButtonPressedReleased(bool released)
{
    USBState state = m_usb;
    state.released = released;
    if (released)
        state.repeat = false;
    if (state == m_usb) {
        showUSBState();
        return;
    }
    setUSBState(state, loc(QStringLiteral("AnnulerButtonReleased%1").arg(released ? 1 : 0)));
}

void QVELauncherEditor::modifyUSBButtonRepeat(bool repeat)
{
    USBState state = m_usb;
    state.repeat = repeat;
    if (repeat && state.delay <= 0)
        state.delay = 1.0;
    setUSBState(state, loc(QStringLiteral("AnnulerButtonRepeat%1").arg(repeat ? 1 : 0)));
}

void QVELauncherEditor::modifyUSBButtonRepeatDelay()
{
    if (!m_isEdited || m_usb.elementType != 0)
        return;
    const double delay = qMax(0.0, m_usbButtonRepeatDelayField->text().toDouble());
    if (qFuzzyCompare(delay + 1, m_usb.delay + 1))
        return;
    USBState state = m_usb;
    state.delay = delay;
    setUSBState(state, locFormat(QStringLiteral("AnnulerModifierButtonDelay"), {delay}));
}

void QVELauncherEditor::modifyUSBWheelIncrement()
{
    if (!m_isEdited || m_usb.elementType != 1)
        return;
    const int increment = m_usbWheelIncrementField->text().toInt();
    if (increment == m_usb.increment)
        return;
    USBState state = m_usb;
    state.increment = increment;
    setUSBState(state, locFormat(QStringLiteral("AnnulerModifierWheelIncrement"), {increment}));
}

void QVELauncherEditor::setUSBState(const USBState& state, const QString& undoString)
{
    if (m_usb.elementType < 0) {
        // Nothing captured yet: undo never goes back to nothing.
        m_usb = state;
        showUSBState();
        return;
    }
    pushStep(m_usb, state, undoString, &QVELauncherEditor::showUSBState);
}

bool QVELauncherEditor::writeUSBParams()
{
    if (m_usb.elementType < 0) {
        editorAlert(QStringLiteral("ImpossibleChangement"), QStringLiteral("AucunElementUSB"));
        return false;
    }
    m_params.insert(QStringLiteral("launcherusbtype"), m_usb.elementType);
    if (m_usbSelectedDevice >= 0 && m_usbSelectedDevice < m_usbDevices.size()) {
        const QVariantMap device = m_usbDevices[m_usbSelectedDevice].toMap();
        m_params.insert(QStringLiteral("launcherusbvendorid"), device.value(QStringLiteral("vendorID")));
        m_params.insert(QStringLiteral("launcherusbproductid"), device.value(QStringLiteral("productID")));
        m_params.insert(QStringLiteral("launcherusbproductname"), device.value(QStringLiteral("productname")));
    }
    m_params.insert(QStringLiteral("launcherusbcookie"), m_usb.cookie);
    m_params.insert(QStringLiteral("launcherusbmodifiers"), m_usb.modifiers);
    if (m_usb.elementType == 1) {
        m_params.insert(QStringLiteral("launcherusbparamsdict"),
                        QVariantMap{{QStringLiteral("launcherusbwheelincrement"), m_usb.increment}});
    } else {
        m_params.insert(QStringLiteral("launcherusbparamsdict"),
                        QVariantMap{{QStringLiteral("launcherusbbuttonusage"), m_usb.usage},
                                    {QStringLiteral("launcherusbbuttonrelease"), m_usb.released},
                                    {QStringLiteral("launcherusbbuttonrepeat"), m_usb.repeat && !m_usb.released},
                                    {QStringLiteral("launcherusbbuttonrepeatdelay"), m_usb.delay}});
    }
    return true;
}

// --- Commit and discard -------------------------------------------------------------------------------

void QVELauncherEditor::closeWindow()
{
    if (m_launcher && m_window)
        m_launcher->setEditorRect(QRectF(m_window->geometry()));
    windowDidResignKey();
    // Capture ends with the window, not before a question that may keep it open.
    endKeyCapture();
    m_isEdited = false;
    if (m_window) {
        editorWindowHost().maybeAnimateClose(m_window, {ObjectsFile::Launchers, m_launcher ? m_launcher->IDValue() : 0});
        m_window->hide();
        editorWindowHost().removeWindowsItem(m_window);
    }
    // The steps acted on the working copy, which goes with the window.
    if (m_undoStack)
        m_undoStack->clear();
    m_undoStack = nullptr;
}

bool QVELauncherEditor::stopEditing(QObject*)
{
    if (!m_isEdited || !m_launcher)
        return false;
    const auto keep = shared_from_this(); // releaseEditor() lets go of this editor
    // A field still being edited hands its text in first.
    if (auto* field = m_window ? qobject_cast<QLineEdit*>(m_window->focusWidget()) : nullptr)
        emit field->editingFinished();
    QVLauncher* launcher = m_launcher;
    const int type = launcher->launcherType();
    switch (type) {
    case QVLauncher::KeyCombination:
        if (!writeKeyParams())
            return false;
        break;
    case QVLauncher::Date:
        if (completedTime(m_dateTimeField->text()).isEmpty()) {
            editorAlert(QStringLiteral("ImpossibleChangement"), QStringLiteral("ParametreIncorrect"));
            return false;
        }
        writeDateParams();
        break;
    case QVLauncher::Application:
        // An application event of no application can never fire.
        if (m_app.application.trimmed().isEmpty()) {
            editorAlert(QStringLiteral("ImpossibleChangement"), QStringLiteral("ParametreIncorrect"));
            return false;
        }
        m_params.insert(QStringLiteral("launcherapplicationapp"), m_app.application);
        m_params.insert(QStringLiteral("launcherapplicationtype"), m_app.event);
        break;
    case QVLauncher::USB:
        if (!writeUSBParams())
            return false;
        break;
    default:
        break;
    }

    QVELaunchersManager& manager = QVELaunchersManager::sharedManager();
    QVLauncher* identical = manager.launcherWithType(type, m_params);
    if (identical && identical != launcher && !launcher->isNew()) {
        const int answer = alert(loc(QStringLiteral("LanceurIdentique1")), loc(QStringLiteral("LanceurIdentique2")),
                                 loc(QStringLiteral("Modifier")), loc(QStringLiteral("Substituer")));
        if (answer == 1)
            return false; // "Modifier": editing goes on (hot keys already back on)
    }
    closeWindow();
    if (type == QVLauncher::Application)
        launcher->setIsValid(m_isValid);
    m_launcher = nullptr;
    if (identical && identical != launcher) {
        // The edited launcher goes; as a new one its deletion leaves this editor alone.
        launcher->setIsNew(true);
        launcher->releaseEditor();
        manager.substituteLauncher(launcher, identical, true);
        manager.updateLaunchers();
        return true;
    }
    launcher->setParamsDict(m_params);
    launcher->setIsNew(false);
    manager.updateLaunchers();
    launcher->releaseEditor();
    return true;
}

void QVELauncherEditor::abortEditing(QObject*)
{
    if (!m_launcher)
        return;
    const auto keep = shared_from_this();
    QVLauncher* launcher = m_launcher;
    closeWindow();
    m_launcher = nullptr;
    if (launcher->isNew()) {
        const quint32 id = launcher->IDValue();
        launcher->releaseEditor();
        QVELaunchersManager::sharedManager().delLaunchersID({id}, false, false);
        return;
    }
    launcher->releaseEditor();
}

} // namespace editor
