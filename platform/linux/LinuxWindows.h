#pragma once
// Windows of the front application on an X11 desktop, through the window
// manager's EWMH client messages (_NET_MOVERESIZE_WINDOW, _NET_WM_STATE,
// _NET_CLOSE_WINDOW, _NET_ACTIVE_WINDOW, _NET_RESTACK_WINDOW), or the
// plain requests of the core protocol when no window manager runs. The
// front application and its windows are the workspace's (LinuxWorkspace).
//
// A frame is the client window grown by _NET_FRAME_EXTENTS. Moves and
// resizes wait, a second at most, until the window manager has done them:
// it may place a window elsewhere than asked (size increments, screen
// edges), which counts as done; a window that did not change at all counts
// as refused.
//
// Scrolling: lines are wheel clicks with the pointer over the window (put
// back afterwards), vertical pages the Page Up and Page Down keys. Scroll
// bars themselves are out of reach of the window manager: their position
// is never known here, so the models that read or set it fail.
//
// The main screen is the root window's screen.
#include "DesktopServices.h"

#include <memory>

namespace zelk {

class LinuxWorkspace;
class XSession;

class LinuxWindows : public WindowService {
public:
    static constexpr int kSettleMilliseconds = 1000;

    LinuxWindows(std::shared_ptr<XSession> session, LinuxWorkspace& workspace);
    ~LinuxWindows() override;

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

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zelk
