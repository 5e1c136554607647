#pragma once
// Picking a palette location with the mouse: once started, the user moves
// the pointer anywhere on the desktop and holds Ctrl (the stored command
// key, pressed in any application); the pointer's place is then answered,
// counted inwards from the chosen ScreenOrigin corner of the main screen.
//
// Event-driven: the keyboard is looked at every 100 ms on the main thread,
// so the editor's windows stay alive meanwhile. Escape (in the editor) and
// the time-out cancel. While waiting, the application's icon blinks on a
// main-thread timer and is put back when the pick ends either way.
#include <QIcon>
#include <QObject>
#include <QPointF>
#include <QTimer>

namespace editor {

class PaletteLocationPicker : public QObject {
    Q_OBJECT
public:
    explicit PaletteLocationPicker(QObject* parent = nullptr);
    ~PaletteLocationPicker() override;

    // Origin 0 leaves the point; 1 and 2 count x from the right edge, 2 and
    // 3 count y from the bottom edge of the main screen.
    static QPointF pointOnScreenForPointOnScreen(const QPointF& point, int origin);
    // The pointer's place in global coordinates.
    static QPointF mousePoint();
    // Whether the stored command key (either Ctrl) is held now.
    static bool commandKeyHeld();

    // Starts waiting (ends a pick already under way first, as cancelled).
    void start(int origin);
    void cancel();
    bool isPicking() const { return m_poll.isActive(); }
    // How long the user has to hold the key; 30 s unless told.
    void setTimeout(int ms) { m_timeoutMs = ms; }
    // Whether the icon shows the placeholder now (tests).
    bool iconBlinked() const { return m_blinked; }

signals:
    void picked(const QPointF& location);
    void cancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void poll();
    void blink();
    void finish();

    QTimer m_poll;
    QTimer m_blink;
    QTimer m_timeout;
    int m_timeoutMs = 30000;
    int m_origin = 0;
    QIcon m_savedIcon;
    bool m_blinked = false;
};

} // namespace editor
