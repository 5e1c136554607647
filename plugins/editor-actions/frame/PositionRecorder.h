#pragma once
// Recording a screen position for the types that store one (window and
// mouse actions). Once the user confirmed the explaining alert, the
// pointer's place is taken when the user holds Command (the Ctrl key),
// wherever the focus is; Escape gives up, and so does the time-out. The
// wait runs on the main loop, which goes on serving the windows meanwhile,
// and the application icon blinks, the action's image and its own, a
// second each, until the wait ends. The keys are heard as the desktop
// tells them (EventPoster::observeKeys), wherever the focus is. One wait at
// a time: starting again while one runs does nothing.
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPointF>
#include <QTimer>
#include "NotificationCenter.h"
#include <functional>
#include <optional>

namespace zelk::editor {

class PositionRecorder : public QObject {
public:
    enum class Outcome { Taken, Cancelled, TimedOut };
    // The outcome and, when taken, the pointer's place (global coordinates).
    using Done = std::function<void(Outcome, const QPointF&)>;

    static constexpr int kBlinkMilliseconds = 1000;
    static constexpr int kTimeoutMilliseconds = 60000;
    // The stored codes of the keys it watches.
    static constexpr uint16_t kEscapeKey = 53;
    static constexpr uint16_t kCommandKeys[2] = {55, 54};

    PositionRecorder();
    ~PositionRecorder() override;

    // Starts waiting; false (nothing started) while a wait runs. A key
    // already held counts at once.
    bool start(const QImage& blinkImage, Done done);
    // Ends the wait without a position (done hears Cancelled); nothing
    // when none runs.
    void cancel();
    bool isWaiting() const { return m_deadline.isActive(); }
    void setTimeoutMilliseconds(int milliseconds) { m_timeout = milliseconds; }

private:
    // Ends the wait when the keys say so; true when it ended.
    bool keyChanged(uint16_t keyCode, bool down);
    void blink();
    void finish(Outcome outcome, const QPointF& point = {});

    ObserverHandle m_keys;
    QTimer m_blinks;
    QTimer m_deadline;
    int m_timeout = kTimeoutMilliseconds;
    Done m_done;
    QImage m_blinkImage;
    std::optional<QIcon> m_savedIcon; // the application's own, while it blinks
    bool m_showingImage = false;
};

} // namespace zelk::editor
