#include "QVReport.h"

#include "Log.h"
#include "Platform.h"
#include "PropertyList.h"
#include "WorkerPool.h"

#include <QDate>
#include <QDateTime>

namespace engine {

namespace {

constexpr const char* kDayFormat = "yyyyMMdd";

QString todayKey() { return zelk::Platform::instance().clock().now().toLocalTime().date().toString(kDayFormat); }

} // namespace

void QVReport::initReport(const QString& path, int daysSaveReport)
{
    std::lock_guard lock(m_lock);
    if (m_init)
        return;
    m_path = path;
    m_dict.clear();
    if (auto value = zelk::plist::readFile(path); value && value->metaType().id() == QMetaType::QVariantMap)
        m_dict = value->toMap();
    if (daysSaveReport > 0) {
        const QDateTime limit = zelk::Platform::instance().clock().now().toLocalTime().addDays(-daysSaveReport);
        for (auto it = m_dict.begin(); it != m_dict.end();) {
            const QDate day = QDate::fromString(it.key(), kDayFormat);
            if (day.isValid() && day.startOfDay() < limit)
                it = m_dict.erase(it);
            else
                ++it;
        }
    }
    // QVariantMap iterates in key order, which is day order for these keys.
    m_text.clear();
    for (auto it = m_dict.cbegin(); it != m_dict.cend(); ++it)
        m_text += it.value().toString();
    m_init = true;
}

bool QVReport::isLoaded() const
{
    std::lock_guard lock(m_lock);
    return m_init;
}

void QVReport::reset()
{
    std::lock_guard lock(m_lock);
    m_init = false;
}

void QVReport::writeToReport(const QString& line)
{
    {
        std::lock_guard lock(m_lock);
        const QString key = todayKey();
        m_dict.insert(key, m_dict.value(key).toString() + line);
    }
    {
        std::lock_guard lock(m_writersMutex);
        m_pending.append(line);
        if (m_writing)
            return; // the writer at work takes it with the next write
        m_writing = true;
    }
    if (!zelk::runInBackground([self = shared_from_this()] { self->writeReportFileInThread(); }))
        writeReportFileInThread(); // the engine is quitting: written here
}

void QVReport::writeReportFileInThread()
{
    for (;;) {
        QStringList lines;
        {
            std::lock_guard lock(m_writersMutex);
            if (m_pending.isEmpty()) {
                m_writing = false;
                m_writersDone.notify_all();
                return;
            }
            lines.swap(m_pending);
        }
        // One write for every line that came meanwhile: the file holds the
        // whole report each time.
        {
            std::lock_guard lock(m_lock);
            QString error;
            if (!m_path.isEmpty() && !zelk::plist::writeFile(m_path, m_dict, &error))
                zelk::zlog("QVReport", "writeReportFileInThread") << error;
            for (const QString& line : std::as_const(lines))
                m_text += line;
        }
        std::function<void(const QString&)> observer;
        {
            std::lock_guard lock(m_lock);
            observer = m_lineObserver;
        }
        for (const QString& line : std::as_const(lines)) {
            if (observer)
                observer(line);
            zelk::Platform::instance().distributedNotifications().post(
                QStringLiteral("QVLauncherNotification"),
                {{QStringLiteral("action"), QStringLiteral("report")}, {QStringLiteral("report"), line}});
        }
    }
}

void QVReport::cleanReport()
{
    std::lock_guard lock(m_lock);
    m_dict.clear();
    m_text.clear();
    QString error;
    if (!m_path.isEmpty() && !zelk::plist::writeFile(m_path, m_dict, &error))
        zelk::zlog("QVReport", "cleanReport") << error;
}

void QVReport::setLineObserver(std::function<void(const QString&)> observer)
{
    std::lock_guard lock(m_lock);
    m_lineObserver = std::move(observer);
}

QVariantMap QVReport::reportDict() const
{
    std::lock_guard lock(m_lock);
    return m_dict;
}

QString QVReport::reportText() const
{
    std::lock_guard lock(m_lock);
    return m_text;
}

void QVReport::waitForWriters()
{
    std::unique_lock lock(m_writersMutex);
    m_writersDone.wait(lock, [this] { return !m_writing; });
}

} // namespace engine
