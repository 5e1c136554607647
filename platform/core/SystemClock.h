#pragma once
// The real clock: wall-clock time and one-shot timers on the main thread.
// One timer re-arms for the earliest date, at most a minute ahead, so a
// changed system time or a machine that slept is noticed within a minute.
#include "DesktopServices.h"

#include <QMultiMap>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>

namespace zelk {

class SystemClock : public Clock {
public:
    SystemClock();
    ~SystemClock() override;
    QDateTime now() override;
    [[nodiscard]] ObserverHandle scheduleAt(const QDateTime& when, std::function<void()> fn) override;

private:
    void rearm();
    void fireDue();
    std::mutex m_mutex;
    QMultiMap<QDateTime, QString> m_timers;
    quint64 m_next = 1;
    NotificationCenter m_center;
    QPointer<QTimer> m_timer; // lives on the main thread
    std::shared_ptr<std::atomic<bool>> m_alive = std::make_shared<std::atomic<bool>>(true);
};

} // namespace zelk
