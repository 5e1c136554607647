#include "SystemClock.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

namespace zelk {

SystemClock::SystemClock() = default;

SystemClock::~SystemClock()
{
    // Queued re-arms find the clock gone. The timer is the application's
    // child: gone with it already when the application went first.
    m_alive->store(false);
    if (!m_timer)
        return;
    if (QThread::currentThread() == m_timer->thread())
        delete m_timer.data();
    else
        m_timer->deleteLater();
}

QDateTime SystemClock::now() { return QDateTime::currentDateTime(); }

ObserverHandle SystemClock::scheduleAt(const QDateTime& when, std::function<void()> fn)
{
    ObserverHandle handle;
    {
        std::lock_guard lock(m_mutex);
        const QString name = QString("timer-%1").arg(m_next++);
        handle = m_center.addObserver(name, nullptr, [fn](const Notification&) { fn(); });
        m_timers.insert(when, name);
    }
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(app, [this, alive = m_alive] {
            if (alive->load())
                rearm();
        }, Qt::QueuedConnection);
    }
    return handle;
}

void SystemClock::rearm()
{
    if (!m_timer) {
        m_timer = new QTimer(QCoreApplication::instance());
        m_timer->setSingleShot(true);
        QObject::connect(m_timer, &QTimer::timeout, [this] { fireDue(); });
    }
    std::lock_guard lock(m_mutex);
    if (m_timers.isEmpty()) {
        m_timer->stop();
        return;
    }
    const qint64 ms = QDateTime::currentDateTime().msecsTo(m_timers.firstKey());
    m_timer->start(int(std::clamp<qint64>(ms, 0, 60'000)));
}

void SystemClock::fireDue()
{
    for (;;) {
        QString name;
        {
            std::lock_guard lock(m_mutex);
            if (m_timers.isEmpty() || m_timers.firstKey() > QDateTime::currentDateTime())
                break;
            name = m_timers.first();
            m_timers.erase(m_timers.begin());
        }
        m_center.post(name);
    }
    rearm();
}

} // namespace zelk
