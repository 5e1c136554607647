#pragma once
// The run report: the lines that shortcut runs write, kept by day
// ("%Y%m%d" of the local date -> the day's text) in Report.plist of the data
// folder. After every line the whole report is written atomically on a
// thread of its own and the line is announced to the editor with the engine
// message "QVLauncherNotification" {"action": "report", "report": line}.
// The report window comes later; its text is kept here already.
#include <QString>
#include <QVariantMap>
#include <condition_variable>
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

    // Appends the line to today's text and writes the file on a new thread.
    void writeToReport(const QString& line);
    // Empties the report; the file keeps its content until the next line.
    void cleanReport();

    QVariantMap reportDict() const;
    // The kept days' texts one after the other, in day order: the window's text.
    QString reportText() const;

    // Returns once every file write started so far has ended.
    void waitForWriters();

private:
    void writeReportFileInThread(const QString& line, quint64 ticket);

    mutable std::recursive_mutex m_lock;
    QVariantMap m_dict;  // QVReportDict
    QString m_path;      // QVReportPath
    QString m_text;
    bool m_init = false; // QVReportInit

    // Lines are written and announced in the order they came, though each
    // has a thread of its own: a line waits for its turn.
    std::mutex m_writersMutex;
    std::condition_variable m_writersDone;
    int m_writers = 0;
    quint64 m_nextTicket = 0;
    quint64 m_turn = 0;
};

} // namespace engine
