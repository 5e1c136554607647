#pragma once
// QVELauncherEditor: the editor window of one launcher. It shows the view
// of the launcher's type (key combination, date and time, application
// event, USB device; calendar and network launchers have none) and edits
// a working copy of its parameters; OK writes them into the launcher,
// Cancel drops them (and deletes a launcher that is still new). Every
// change is a step on the launcher's undo stack, dropped when the window
// closes with the working copy it acts on.
//
// A key launcher's window captures key combinations: the engine's hot
// keys are off from the opening until OK passes the system hot-key
// questions, or until Cancel. A USB launcher's window listens to its
// device while it is the active window.
#include "QVEObjectEditor.h"

#include <QObject>
#include <QPointer>
#include <QUndoStack>
#include <QVariantMap>
#include <memory>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class QWidget;

namespace zelk {
struct recDevice;
struct recElement;
} // namespace zelk

namespace editor {

class QVLauncher;

class QVELauncherEditor : public QObject,
                          public QVEObjectEditor,
                          public std::enable_shared_from_this<QVELauncherEditor> {
    Q_OBJECT
public:
    // The working state of each view, as one undo step changes it.
    struct KeyState {
        int first = 0;
        int second = -1;
        bool released = false;
        bool repeat = false;
        double delay = 0.0;
        bool operator==(const KeyState&) const = default;
    };
    struct DateState {
        QString time;
        int type = 0;
        int exceed = 1;
        bool operator==(const DateState&) const = default;
    };
    struct AppState {
        QString application;
        int event = 0;
        bool operator==(const AppState&) const = default;
    };
    struct USBState {
        int elementType = -1; // -1 nothing captured, 0 button, 1 wheel
        int cookie = 0;
        int usage = 0;
        int modifiers = 0;
        bool released = false;
        bool repeat = false;
        double delay = 0.0;
        int increment = 0;
        bool operator==(const USBState&) const = default;
    };

    QVELauncherEditor();
    ~QVELauncherEditor() override;

    // --- The editing convention ---------------------------------------------------------
    void displayWithLauncher(QVLauncher* launcher) override;
    void makeFront() override;
    // OK: false (window open) when the edit is refused or sent back.
    bool stopEditing(QObject* sender = nullptr);
    void abortEditing(QObject* sender) override;
    void showHelp();
    bool wantKeyEvent() override;
    void keyEvent(QKeyEvent* event) override;
    void windowDidBecomeKey() override;
    void windowDidResignKey() override;

    QWidget* window() const;
    QVLauncher* editedLauncher() const { return m_launcher; }
    bool isEdited() const { return m_isEdited; }
    QVariantMap paramsDict() const { return m_params; }

    // --- Key view --------------------------------------------------------------------------
    // The key event of a key field: false when it keeps its ordinary meaning.
    bool captureKey(QKeyEvent* event);
    void modifyKeyPressedReleased(bool released);
    void modifyKeyRepeat(bool repeat);
    void modifyKeyRepeatDelay();
    void setKeyState(const KeyState& state, const QString& undoString);
    KeyState keyState() const { return m_key; }

    // --- Date view -------------------------------------------------------------------------
    void modifyDateTime();
    void modifyDateType(int type);
    void modifyExceedType();
    void setDateState(const DateState& state, const QString& undoString);
    DateState dateState() const { return m_date; }
    // The completion of a time the field refuses: "9" -> "9:00:00", "9:30" -> "9:30:00".
    static QString completedTime(const QString& text);

    // --- Application view --------------------------------------------------------------------
    void modifyAppApplication();
    void modifyApplicationFromPath(const QString& path);
    void modifyAppEvent();
    void setAppState(const AppState& state, const QString& undoString);
    AppState appState() const { return m_app; }

    // --- USB view ------------------------------------------------------------------------------
    void modifyUSBDevice();
    void HIDEvent(int value, const zelk::recElement& element, const zelk::recDevice& device);
    void modifyUSBModifiers();
    void modifyUSBButtonPressedReleased(bool released);
    void modifyUSBButtonRepeat(bool repeat);
    void modifyUSBButtonRepeatDelay();
    void modifyUSBWheelIncrement();
    void setUSBState(const USBState& state, const QString& undoString);
    USBState usbState() const { return m_usb; }
    int selectedDeviceIndex() const { return m_usbSelectedDevice; }
    // The modifier keys held now, as launcher modifier bits.
    static int currentModifiers();

private:
    void buildWindow();
    QWidget* buildKeyView();
    QWidget* buildDateView();
    QWidget* buildAppView();
    QWidget* buildUSBView();
    void loadKeyLauncher();
    void loadDateLauncher();
    void loadAppLauncher();
    void loadUSBLauncher();
    void showKeyState();
    void showDateState();
    void showControlsForDateType();
    void showAppState();
    void setAppButtonWithName(const QString& name);
    void fillLaunchedRecentApp();
    void showUSBState();
    template <class State>
    void pushStep(State& field, const State& state, const QString& undoString, void (QVELauncherEditor::*show)());
    bool writeKeyParams();
    void writeDateParams();
    bool writeUSBParams();
    // Asks whether to keep a combination the desktop holds; false: "Modifier".
    bool keepSystemCombination(quint32 code);
    void endKeyCapture();
    void closeWindow();

    QPointer<QWidget> m_window;
    QStackedWidget* m_accessoryView = nullptr;
    QLabel* m_descriptionField = nullptr;
    QLabel* m_usedWarningField = nullptr;
    QWidget* m_keyView = nullptr;
    QWidget* m_dateView = nullptr;
    QWidget* m_appView = nullptr;
    QWidget* m_usbView = nullptr;
    QWidget* m_noView = nullptr;

    QLineEdit* m_keyComboField = nullptr;
    QLineEdit* m_keySecondKeyField = nullptr;
    QRadioButton* m_keyPressedOption = nullptr;
    QRadioButton* m_keyReleasedOption = nullptr;
    QCheckBox* m_keyRepeatCheck = nullptr;
    QLineEdit* m_keyRepeatDelayField = nullptr;
    QLabel* m_keyRepeatDelayLabel = nullptr;
    QLabel* m_keyRepeatDelayInfo = nullptr;

    QLineEdit* m_dateTimeField = nullptr;
    QRadioButton* m_dateOptions[3] = {};
    QList<QCheckBox*> m_weekDays;  // index = tag - 41
    QList<QCheckBox*> m_monthDays; // index = tag - 1
    QComboBox* m_dateExceedButton = nullptr;

    QToolButton* m_appApplicationButton = nullptr;
    QMenu* m_appMenu = nullptr;
    QComboBox* m_appEventButton = nullptr;

    QComboBox* m_usbDeviceButton = nullptr;
    QLabel* m_usbInfoField = nullptr;
    QLabel* m_usbEventField = nullptr;
    QCheckBox* m_usbModifierChecks[4] = {}; // shift, control, option, command
    QWidget* m_usbModifierView = nullptr;
    QStackedWidget* m_usbAccessoryView = nullptr;
    QWidget* m_usbButtonView = nullptr;
    QWidget* m_usbWheelView = nullptr;
    QRadioButton* m_usbButtonPressedOption = nullptr;
    QRadioButton* m_usbButtonReleasedOption = nullptr;
    QCheckBox* m_usbButtonRepeatCheck = nullptr;
    QLineEdit* m_usbButtonRepeatDelayField = nullptr;
    QLabel* m_usbButtonRepeatDelayLabel = nullptr;
    QLineEdit* m_usbWheelIncrementField = nullptr;

    QVLauncher* m_launcher = nullptr;
    QPointer<QUndoStack> m_undoStack;
    QString m_startTitle;
    QVariantMap m_params;
    KeyState m_key;
    DateState m_date;
    AppState m_app;
    USBState m_usb;
    QVariantList m_usbDevices;
    int m_usbSelectedDevice = -1;
    bool m_listening = false;
    bool m_capturingKeys = false;
    bool m_isEdited = false;
    bool m_isValid = false;
};

} // namespace editor
