#pragma once
// The run report: the lines that shortcut runs write, kept by day
// ("%Y%m%d" of the local date -> the day's text) in Report.plist of the data
// folder. One writer at a time writes the whole report atomically in the
// background, once for all the lines that came while it wrote the last
// time, and announces each line to the editor with the engine
// message "QVLauncherNotification" {"action": "report", "report": line}.
// The report window shows the text kept here; it hears of each written
// line through the line observer.
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace engine {

class QVReport : public std::enable_shared_from_this<QVReport> {
public:
    // QVReportLock: every change of the report, and the reload of the data
    // files, happen under it.
    std::recursive_mutex& lock() { return m_lock; }

    // Loads the report once (until reset()): an unreadable file counts as
    // empty; with daysSaveReport > 0 only today and the days - 1 before it
    // are kept.
    void initReport(const QString& path, int daysSaveReport);
    bool isLoaded() const;
    void reset();

    // Appends the line to today's text; the writer writes the file.
    void writeToReport(const QString& line);
    // Empties the report and rewrites the file empty, so the old days do
    // not come back at the next start.
    void cleanReport();
    // Called on the writer's thread for each line once it is in the file
    // and the text; never under the report's lock.
    void setLineObserver(std::function<void(const QString& line)> observer);

    QVariantMap reportDict() const;
    // The kept days' texts one after the other, in day order: the window's text.
    QString reportText() const;

    // Returns once every line so far is written.
    void waitForWriters();

private:
    void writeReportFileInThread();

    mutable std::recursive_mutex m_lock;
    QVariantMap m_dict;  // QVReportDict
    QString m_path;      // QVReportPath
    QString m_text;
    bool m_init = false; // QVReportInit
    std::function<void(const QString&)> m_lineObserver;

    // Lines not yet written, in the order they came, and whether the
    // writer is at work.
    std::mutex m_writersMutex;
    std::condition_variable m_writersDone;
    QStringList m_pending;
    bool m_writing = false;
};

} // namespace engine
