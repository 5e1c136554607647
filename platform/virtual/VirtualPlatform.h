#pragma once
// The virtual desktop: deterministic and in memory, driven by tests.
// It records every synthetic event in a log, keeps the keys "the user"
// holds, counts the exclusive-source bracket, and delivers distributed
// notifications inside the process (recording each post).
#include "Platform.h"
#include "VirtualDesktop.h"

#include <QList>
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
    DocumentServices& documents() override { return m_documents; }
    PrintService& printing() override { return m_printing; }

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
    VirtualDocumentServices& virtualDocuments() { return m_documents; }
    VirtualPrintService& virtualPrinting() { return m_printing; }

    // EventPoster: posted keys also change the held-key state, as on a
    // real keyboard.
    int postKey(uint16_t keyCode, bool down) override;
    int postMouseButton(Button button, const QPointF& at, bool down) override;
    int postMouseMove(const QPointF& to, bool dragging) override;
    int postScroll(int wheelCount, int32_t vertical, int32_t horizontal) override;
    KeyMap heldKeys() override;
    void beginExclusive() override;
    void endExclusive() override;

    // DistributedNotificationCenter: observers are called synchronously.
    bool post(const QString& name, const QVariantMap& userInfo) override;
    [[nodiscard]] ObserverHandle addObserver(const QString& name, Observer observer) override;

    // Test controls.
    QList<PostedEvent> eventLog() const;
    QStringList eventLogStrings() const;      // toString() of each event
    void clearEventLog();
    void userPressesKey(uint16_t keyCode);    // held, not logged
    void userReleasesKey(uint16_t keyCode);
    int exclusiveDepth() const;               // begins minus ends
    QPointF pointerPosition() const;
    struct Posted { QString name; QVariantMap userInfo; };
    QList<Posted> postedNotifications() const;
    void clearPostedNotifications();

private:
    mutable std::mutex m_mutex;
    QList<PostedEvent> m_log;
    QSet<uint16_t> m_held;
    int m_exclusive = 0;
    QPointF m_pointer;
    QList<Posted> m_posted;
    NotificationCenter m_distributed;
    VirtualHotKeys m_hotKeys;
    VirtualWorkspace m_workspace;
    VirtualPower m_power;
    VirtualNetwork m_network;
    VirtualCalendar m_calendar;
    VirtualKeyboardLayout m_layout;
    VirtualClock m_clock;
    VirtualLoginItems m_loginItems;
    VirtualCommandService m_commands;
    VirtualDocumentServices m_documents;
    VirtualPrintService m_printing;
};

} // namespace zelk
