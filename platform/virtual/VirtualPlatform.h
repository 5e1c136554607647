#pragma once
// The virtual desktop: deterministic and in memory, driven by tests.
// It records every synthetic event in a log, keeps the keys "the user"
// holds, counts the exclusive-source bracket, and delivers distributed
// notifications inside the process (recording each post).
#include "Platform.h"
#include "QtClipboard.h"
#include "VirtualAccessibility.h"
#include "VirtualDesktop.h"
#include "VirtualInputDevices.h"
#include "VirtualSystem.h"
#include "VirtualWindows.h"

#include <QList>
#include <atomic>
#include <QPointF>
#include <QSet>
#include <mutex>

namespace zelk {

struct PostedEvent {
    enum Kind { KeyDown, KeyUp, MouseDown, MouseUp, MouseMove, MouseDrag, Scroll, ExclusiveBegin, ExclusiveEnd };
    Kind kind;
    uint16_t keyCode = 0;                                        // KeyDown, KeyUp
    EventPoster::Button button = EventPoster::Button::Primary;   // MouseDown, MouseUp
    QPointF point;                                               // mouse events
    int wheelCount = 0;                                          // Scroll
    int32_t vertical = 0, horizontal = 0;                        // Scroll
    bool operator==(const PostedEvent&) const = default;
    QString toString() const; // "down 55", "up 0", "mouse-down primary {1, 2}", "scroll 1 -3 0", ...
};

class VirtualPlatform : public Platform, public EventPoster, public DistributedNotificationCenter {
public:
    VirtualPlatform();
    ~VirtualPlatform() override;

    // The installed backend when it is the virtual one, else nullptr.
    static VirtualPlatform* current();

    QString name() const override { return "virtual"; }
    EventPoster& events() override { return *this; }
    DistributedNotificationCenter& distributedNotifications() override { return *this; }
    HotKeyService& hotKeys() override { return m_hotKeys; }
    Workspace& workspace() override { return m_workspace; }
    PowerService& power() override { return m_power; }
    NetworkService& network() override { return m_network; }
    CalendarService& calendar() override { return m_calendar; }
    KeyboardLayout& keyboardLayout() override { return m_layout; }
    Clock& clock() override { return m_clock; }
    LoginItems& loginItems() override { return m_loginItems; }
    CommandService& commands() override { return m_commands; }
    InputDeviceService& inputDevices() override { return m_inputDevices; }
    // Qt's clipboard: in-process under the offscreen platform of the tests.
    ClipboardService& clipboard() override { return m_clipboard; }
    ProcessService& processes() override { return m_processes; }
    DocumentServices& documents() override { return m_documents; }
    PrintService& printing() override { return m_printing; }
    AccessibilityService& accessibility() override { return m_accessibility; }
    SettingsPanels& settingsPanels() override { return m_settingsPanels; }
    SoundService& sound() override { return m_sound; }
    VolumeService& volumes() override { return m_volumes; }
    SecretStore& secrets() override { return m_secrets; }
    WindowService& windows() override { return m_windows; }

    // The services with their test controls.
    VirtualHotKeys& virtualHotKeys() { return m_hotKeys; }
    VirtualWorkspace& virtualWorkspace() { return m_workspace; }
    VirtualPower& virtualPower() { return m_power; }
    VirtualNetwork& virtualNetwork() { return m_network; }
    VirtualCalendar& virtualCalendar() { return m_calendar; }
    VirtualKeyboardLayout& virtualKeyboardLayout() { return m_layout; }
    VirtualClock& virtualClock() { return m_clock; }
    VirtualLoginItems& virtualLoginItems() { return m_loginItems; }
    VirtualCommandService& virtualCommands() { return m_commands; }
    VirtualInputDevices& virtualInputDevices() { return m_inputDevices; }
    VirtualProcesses& virtualProcesses() { return m_processes; }
    VirtualDocumentServices& virtualDocuments() { return m_documents; }
    VirtualPrintService& virtualPrinting() { return m_printing; }
    VirtualAccessibility& virtualAccessibility() { return m_accessibility; }
    VirtualSettingsPanels& virtualSettingsPanels() { return m_settingsPanels; }
    VirtualSound& virtualSound() { return m_sound; }
    VirtualVolumes& virtualVolumes() { return m_volumes; }
    VirtualSecretStore& virtualSecrets() { return m_secrets; }
    VirtualWindows& virtualWindows() { return m_windows; }

    // EventPoster: posted keys also change the held-key state, as on a
    // real keyboard.
    int postKey(uint16_t keyCode, bool down) override;
    int postMouseButton(Button button, const QPointF& at, bool down) override;
    int postMouseMove(const QPointF& to, bool dragging) override;
    int postScroll(int wheelCount, int32_t vertical, int32_t horizontal) override;
    KeyMap heldKeys() override;
    std::optional<QPointF> pointerLocation() override;
    // Told of the user's keys (userPressesKey, userReleasesKey), at once.
    [[nodiscard]] ObserverHandle observeKeys(std::function<void(uint16_t, bool)> observer) override;
    void beginExclusive() override;
    void endExclusive() override;
    void releaseOwnKeys() override;

    // DistributedNotificationCenter: observers are called synchronously.
    // Posts come from this process unless a test says otherwise.
    bool post(const QString& name, const QVariantMap& userInfo) override;
    [[nodiscard]] ObserverHandle addObserver(const QString& name, Observer observer) override;
    [[nodiscard]] ObserverHandle addObserverWithSender(const QString& name, SenderObserver observer) override;
    void setPostSender(const NotificationSender& sender);

    // Test controls.
    QList<PostedEvent> eventLog() const;
    QStringList eventLogStrings() const;      // toString() of each event
    void clearEventLog();
    void userPressesKey(uint16_t keyCode);    // held, not logged
    // How often the held keys were asked for (a waiter polling them).
    int heldKeysQueries() const { return m_heldKeysQueries; }
    void userReleasesKey(uint16_t keyCode);
    int exclusiveDepth() const;               // begins minus ends
    // Per-key auto-repeat, on for every key but the modifiers until the
    // user or a posted key holds it otherwise.
    bool keyRepeats(uint16_t keyCode) const;
    void userSetsKeyRepeat(uint16_t keyCode, bool on);
    QPointF pointerPosition() const;
    void userMovesPointer(const QPointF& to); // not logged
    struct Posted { QString name; QVariantMap userInfo; };
    QList<Posted> postedNotifications() const;
    void clearPostedNotifications();

    // The text field of the front application, as the user left it: the
    // text before the selection, the selection, the text after it. Command
    // (key 55) held with C (8), X (7) or V (9) posted copies the selection
    // to the clipboard (nothing when it is empty), cuts it, or puts the
    // clipboard's text in its place, as a real editor does.
    void setFrontTextField(const QString& before, const QString& selected, const QString& after);
    QString frontText() const;      // the whole text
    QString frontSelection() const;

private:
    mutable std::mutex m_mutex;
    std::atomic<int> m_heldKeysQueries{0};
    QList<PostedEvent> m_log;
    QSet<uint16_t> m_held;
    QSet<uint16_t> m_ownHeld;     // posted down, not up yet
    QSet<uint16_t> m_noRepeat;    // keys whose repeat is off
    QSet<uint16_t> m_repeatLent;  // switched off while held, back on at release
    int m_exclusive = 0;
    QPointF m_pointer;
    QList<Posted> m_posted;
    NotificationSender m_postSender;
    NotificationCenter m_distributed;
    NotificationCenter m_keys; // the user's presses and releases
    VirtualHotKeys m_hotKeys;
    VirtualWorkspace m_workspace;
    VirtualPower m_power;
    VirtualNetwork m_network;
    VirtualCalendar m_calendar;
    VirtualKeyboardLayout m_layout;
    VirtualClock m_clock;
    VirtualLoginItems m_loginItems;
    VirtualCommandService m_commands;
    VirtualInputDevices m_inputDevices;
    QtClipboard m_clipboard;
    VirtualProcesses m_processes;
    QString m_fieldBefore, m_fieldSelected, m_fieldAfter;
    VirtualDocumentServices m_documents;
    VirtualPrintService m_printing;
    VirtualAccessibility m_accessibility;
    VirtualSettingsPanels m_settingsPanels;
    VirtualSound m_sound;
    VirtualVolumes m_volumes;
    VirtualSecretStore m_secrets;
    VirtualWindows m_windows{m_workspace};
};

} // namespace zelk
