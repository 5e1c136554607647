#pragma once
// Test doubles for the engine-side action framework: a recording controller,
// two action types defined as plug-ins define theirs, a fake host utility
// class and application object (log lines: zelk::test::LogCapture).
#include "QVAction.h"
#include "QVUtilityClass.h"
#include "TestSupport.h"

#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <vector>

namespace zelk::test {

// Calls in the order they came, from any thread.
class CallLog {
public:
    void add(const QString& call)
    {
        std::lock_guard lock(m_mutex);
        m_calls << call;
    }
    QStringList calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    bool waitForCount(qsizetype n, int timeoutMs = 5000) const
    {
        return waitUntil([&] { return calls().size() >= n; }, timeoutMs);
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_calls;
};

// Records every controller call, and the action of each outcome report (weakly:
// an action may be its own reports' controller).
class TestController : public QVActionController {
public:
    explicit TestController(std::shared_ptr<CallLog> log = std::make_shared<CallLog>()) : log(std::move(log)) {}

    bool canGoRunning() override
    {
        log->add("canGoRunning");
        return true;
    }
    bool canGoRunningAfterError(const QString& error) override
    {
        log->add("canGoRunningAfterError " + error);
        return true;
    }
    void stopRunning() override { log->add("stopRunning"); }
    void setErrorWhenRunning(const QString& error, const std::shared_ptr<QVAction>& action) override
    {
        keep(action);
        log->add("error " + error);
    }
    void setActionTerminatesWithoutError(const std::shared_ptr<QVAction>& action) override
    {
        keep(action);
        log->add("success");
    }

    std::vector<std::shared_ptr<QVAction>> reportedActions() const
    {
        std::lock_guard lock(m_mutex);
        std::vector<std::shared_ptr<QVAction>> out;
        for (const auto& a : m_reported)
            out.push_back(a.lock());
        return out;
    }

    std::shared_ptr<CallLog> log;

private:
    void keep(const std::shared_ptr<QVAction>& action)
    {
        std::lock_guard lock(m_mutex);
        m_reported.push_back(action);
    }
    mutable std::mutex m_mutex;
    std::vector<std::weak_ptr<QVAction>> m_reported;
};

// Holds a run until the test opens it.
class Gate {
public:
    void passThrough()
    {
        std::unique_lock lock(m_mutex);
        m_entered = true;
        m_cv.notify_all();
        m_cv.wait(lock, [&] { return m_open; });
    }
    bool waitEntered()
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(5), [&] { return m_entered; });
    }
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_entered = false;
    bool m_open = false;
};

// An action type as a plug-in writes one: it fails with the text stored
// under "error" in its parameters, or succeeds. As its own controller it
// passes its reports to ownReports.
class TestAction : public QVAction {
    ZELK_ACTION_CLASS(TestAction, QVAction)

public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override
    {
        if (!QVAction::initWithDictionaryInLauncher(record))
            return false;
        m_error = record.value("actiondata").toMap().value("error").toString();
        return true;
    }

    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override
    {
        controllerSeen.store(controller.get());
        controller->canGoRunning();
        if (gate)
            gate->passThrough();
        return m_error;
    }

    void setErrorWhenRunning(const QString& error, const std::shared_ptr<QVAction>& action) override
    {
        ownReports->setErrorWhenRunning(error, action);
    }
    void setActionTerminatesWithoutError(const std::shared_ptr<QVAction>& action) override
    {
        ownReports->setActionTerminatesWithoutError(action);
    }

    std::shared_ptr<TestController> ownReports = std::make_shared<TestController>();
    std::shared_ptr<Gate> gate;
    std::atomic<const QVActionController*> controllerSeen{nullptr};

private:
    QString m_error;
};

// A second type, derived from the first: never enters the recent runs.
class NoRecentTestAction : public TestAction {
    ZELK_ACTION_CLASS(NoRecentTestAction, TestAction)

public:
    bool addToRecent() const override { return false; }
};

// What a plug-in's entry point does.
inline void registerTestClasses(ClassRegistry& registry)
{
    registry.registerClass(&TestAction::classObject());
    registry.registerClass(&NoRecentTestAction::classObject());
}

// The host's utility class: answers that name what was asked, records every
// call with its argument (so a forwarder that calls the wrong operation or
// passes another argument shows), and the last alert.
class FakeUtility : public QVUtilityClass {
public:
    int typeForPath(const QString& p) override { return note("typeForPath " + p, p.size()); }
    int typeForTargetPath(const QString& p) override { return note("typeForTargetPath " + p, p.size() + 1); }
    QString targetPath(const QString& p) override { return note("targetPath " + p, "target of " + p); }
    QByteArray FSRefForPath(const QString& p) override { return note("FSRefForPath " + p, "ref:" + p.toUtf8()); }
    QString pathForFSRef(const QByteArray& r) override
    {
        return note("pathForFSRef " + QString::fromUtf8(r), "path of " + QString::fromUtf8(r));
    }
    QImage iconImageForPath(const QString& p, int size) override
    {
        QImage i(size, size, QImage::Format_ARGB32);
        i.fill(Qt::red);
        return note(QString("iconImageForPath %1 %2").arg(p).arg(size), i);
    }
    int runScript(const QString& s) override { return note("runScript " + s, s.size()); }
    char asciiForKeycode(quint32 k) override { return note(QString("asciiForKeycode %1").arg(k), char('a' + k)); }
    QString modifierStringWithKeycode(quint32 k) override
    {
        return note(QString("modifierStringWithKeycode %1").arg(k), QString("mods %1").arg(k));
    }
    bool isTextFileAtPath(const QString& p) override { return note("isTextFileAtPath " + p, p.endsWith(".txt")); }
    QString stringWithPath(const QString& p) override { return note("stringWithPath " + p, "text of " + p); }
    void openPreferencePanel(const QString& name) override
    {
        calls.add("openPreferencePanel " + name);
        lastPanel = name;
    }
    int runAlertPanelWithTitle(const QString& title, const QString& message, const QString& b1, const QString& b2,
                               const QString& b3) override
    {
        calls.add("runAlertPanelWithTitle " + QStringList{title, message, b1, b2, b3}.join('|'));
        std::lock_guard lock(m_mutex);
        lastAlert = {title, message, b1, b2, b3};
        return alertAnswer;
    }
    void displayFloatingMenu(QMenu* menu) override
    {
        calls.add("displayFloatingMenu");
        lastMenu = menu;
    }
    int typeAsciiChar(char c) override { return note(QString("typeAsciiChar %1").arg(c), int(c)); }
    quint32 asciiKeycodesForAsciiChar(char c) override
    {
        return note(QString("asciiKeycodesForAsciiChar %1").arg(c), quint32(c) << 8);
    }

    QStringList alert() const
    {
        std::lock_guard lock(m_mutex);
        return lastAlert;
    }

    std::atomic<int> alertAnswer{0};
    QString lastPanel;
    QMenu* lastMenu = nullptr;

    zelk::test::Lines calls;

private:
    template <class T> T note(const QString& call, T answer)
    {
        calls.add(call);
        return answer;
    }
    mutable std::mutex m_mutex;
    QStringList lastAlert;
};

// Registers a fake QVUtility for its lifetime.
class HostUtility {
public:
    HostUtility() { ClassRegistry::shared().registerClass(&fake); }
    ~HostUtility() { ClassRegistry::shared().unregisterClass(QVUtilityClass::Name); }
    FakeUtility fake;
};

// The engine's application object, installed for its lifetime.
class FakeHost : public QVActionHostApplication {
public:
    explicit FakeHost(std::shared_ptr<CallLog> log = std::make_shared<CallLog>()) : log(std::move(log))
    {
        QVAction::setApplicationObject(this);
    }
    ~FakeHost() override { QVAction::setApplicationObject(nullptr); }

    void addLastCutAction(std::shared_ptr<QVAction> action) override
    {
        std::lock_guard lock(m_mutex);
        m_lastCut = action;
        log->add("addLastCutAction " + action->nameValue());
    }
    void activateLastProcess() override { log->add("activateLastProcess"); }
    bool isActive() const override { return active.load(); }
    bool TraceAppEng() const override { return trace.load(); }

    std::shared_ptr<QVAction> lastCut() const
    {
        std::lock_guard lock(m_mutex);
        return m_lastCut;
    }

    std::shared_ptr<CallLog> log;
    std::atomic<bool> active{false};
    std::atomic<bool> trace{false};

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<QVAction> m_lastCut;
};

} // namespace zelk::test

// Readable failure messages for Qt values.
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(" | ").toStdString() << ']'; }
inline void PrintTo(const QVariant& v, std::ostream* os)
{
    *os << v.metaType().name() << '(' << v.toString().toStdString() << ')';
}
