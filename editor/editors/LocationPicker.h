#pragma once
// LocationPicker: waits, without blocking the event loop, until the user
// holds the Ctrl key (the stored command key) with the pointer where a
// palette should go, then answers the pointer's global position. Escape
// or the time-out cancels. While it waits the application's icon blinks,
// swapped on the main thread.
//
// The keys are read from the platform's keyboard state, so the pick works
// while another application is in front.
#include <QIcon>
#include <QObject>
#include <QPointF>
#include <QTimer>
#include <atomic>

namespace editor {

class LocationPicker : public QObject {
    Q_OBJECT
public:
    explicit LocationPicker(QObject* parent = nullptr);
    ~LocationPicker() override;

    // Starts waiting; a key already held answers on the first look.
    void start();
    void cancel();
    bool isWaiting() const { return m_waitSelect.load(); }
    // 60 s unless changed.
    void setTimeout(int milliseconds) { m_timeout.setInterval(milliseconds); }

signals:
    void picked(const QPointF& globalPoint);
    void cancelled();

private:
    void look();
    void blinkIcon();
    void end();

    std::atomic<bool> m_waitSelect{false};
    QTimer m_poll;
    QTimer m_blink;
    QTimer m_timeout;
    QIcon m_icon;          // the application's own, restored at the end
    bool m_blinked = false;
};

} // namespace editor
