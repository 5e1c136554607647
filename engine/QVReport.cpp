#include "QVReport.h"

#include "Log.h"
#include "Platform.h"
#include "PropertyList.h"

#include <QDate>
#include <QDateTime>
#include <thread>

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
    quint64 ticket = 0;
    {
        std::lock_guard lock(m_writersMutex);
        ++m_writers;
        ticket = m_nextTicket++;
    }
    std::thread([self = shared_from_this(), line, ticket] { self->writeReportFileInThread(line, ticket); }).detach();
}

void QVReport::writeReportFileInThread(const QString& line, quint64 ticket)
{
    {
        std::unique_lock lock(m_writersMutex);
        m_writersDone.wait(lock, [&] { return m_turn == ticket; });
    }
    {
        std::lock_guard lock(m_lock);
        QString error;
        // A failed write is not reported: the next line writes the whole report again.
        if (!m_path.isEmpty() && !zelk::plist::writeFile(m_path, m_dict, &error))
            zelk::zlog("QVReport", "writeReportFileInThread") << error;
        m_text += line;
    }
    zelk::Platform::instance().distributedNotifications().post(
        QStringLiteral("QVLauncherNotification"), {{QStringLiteral("action"), QStringLiteral("report")}, {QStringLiteral("report"), line}});
    std::lock_guard lock(m_writersMutex);
    --m_writers;
    ++m_turn;
    m_writersDone.notify_all();
}

void QVReport::cleanReport()
{
    std::lock_guard lock(m_lock);
    m_dict.clear();
    m_text.clear();
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
    m_writersDone.wait(lock, [this] { return m_writers == 0; });
}

} // namespace engine
