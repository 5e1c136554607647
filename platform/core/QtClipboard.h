#pragma once
// The clipboard through Qt's QClipboard, for both backends: the window
// system's clipboard under xcb, an in-process one under the offscreen
// platform that tests use. QClipboard lives on the main thread, so calls
// from other threads are carried there while the caller waits. The process
// stays the X11 selection owner of what it wrote for as long as it runs.
#include "DesktopServices.h"

#include <atomic>
#include <mutex>

namespace zelk {

class QtClipboard : public ClipboardService {
public:
    quint64 changeCount() override;
    std::optional<QString> text() override;
    void setText(const QString& text) override;
    QList<ClipboardItem> items() override;
    void setItems(const QList<ClipboardItem>& items) override;

private:
    // Runs fn on the main thread with the clipboard; false (logged) when
    // there is no window system.
    bool withClipboard(const char* method, const std::function<void()>& fn);
    void watch();
    std::atomic<quint64> m_changes{0};
    std::once_flag m_watching;
};

} // namespace zelk
