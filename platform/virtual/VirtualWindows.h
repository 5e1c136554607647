#pragma once
// The virtual desktop's windows: each belongs to an application of the
// virtual workspace, has a title, a frame, a place in one stack shared by
// all applications, and may be a dialog of another window, minimised,
// maximised or carry scroll bars. The front application's focused window is
// its window highest in the stack that is not minimised. Every request is
// logged; tests say which windows refuse moves or resizes and read where
// each window ended.
#include "DesktopServices.h"

#include <QHash>
#include <QStringList>
#include <mutex>

namespace zelk {

class VirtualWorkspace;

class VirtualWindows : public WindowService {
public:
    explicit VirtualWindows(VirtualWorkspace& workspace) : m_workspace(workspace) {}

    WindowId focusedWindow() override;
    WindowId mainWindow() override;
    QList<WindowId> frontApplicationWindows() override;
    std::optional<QRect> frame(WindowId window) override;
    std::optional<bool> isMinimized(WindowId window) override;
    bool moveWindow(WindowId window, const QPoint& frameTopLeft) override;
    bool resizeWindow(WindowId window, const QSize& frameSize) override;
    bool zoomWindow(WindowId window) override;
    bool minimizeWindow(WindowId window) override;
    bool unminimizeWindow(WindowId window) override;
    bool closeWindow(WindowId window) override;
    bool activateWindow(WindowId window) override;
    bool lowerWindow(WindowId window) override;
    bool scrollWindow(WindowId window, Orientation orientation, bool pages, int count) override;
    std::optional<double> scrollPosition(WindowId window, Orientation orientation) override;
    bool setScrollPosition(WindowId window, Orientation orientation, double position) override;
    QRect mainScreenFrame() override;

    // Test controls. A new window goes on top of the stack; owner makes it
    // a dialog of that window.
    WindowId userOpensWindow(qint64 pid, const QString& title, const QRect& frame, WindowId owner = 0);
    void userClosesWindow(WindowId window);
    void setMinimized(WindowId window, bool minimized);
    // Moves or resizes that the window manager refuses: the window stays.
    void setRefusesChanges(WindowId window, bool refuses);
    // A scroll bar: a line moves it by lineStep, a page by pageStep.
    void setScrollBar(WindowId window, Orientation orientation, double position, double lineStep = 0.01,
                      double pageStep = 0.1);
    void setMainScreenFrame(const QRect& frame);       // 1440 x 900 at (0, 0) until set
    QList<WindowId> stack() const;                     // every window, the top last
    bool isMaximized(WindowId window) const;
    // "move <title> {x, y}", "resize <title> {w, h}", "zoom <title>",
    // "minimize <title>", "unminimize <title>", "close <title>",
    // "activate <title>", "lower <title>", "scroll <title> <v|h> <lines|pages> <count>",
    // "scroll-to <title> <v|h> <position>"; a refused request is logged too.
    QStringList requests() const;
    void clearRequests();

private:
    struct Bar {
        double position = 0, lineStep = 0.01, pageStep = 0.1;
    };
    struct Window {
        qint64 pid = 0;
        QString title;
        QRect frame;
        WindowId owner = 0;
        bool minimized = false;
        bool maximized = false;
        QRect beforeZoom;
        bool refuses = false;
        QHash<int, Bar> bars; // by orientation
    };
    Window* find(WindowId window);
    WindowId focusedLocked();
    void log(const QString& request);

    VirtualWorkspace& m_workspace;
    mutable std::mutex m_mutex;
    QHash<WindowId, Window> m_windows;
    QList<WindowId> m_stack;
    WindowId m_next = 1;
    QRect m_screen{0, 0, 1440, 900};
    QStringList m_requests;
};

} // namespace zelk
