#pragma once
// Fakes for the running side's tests: controllers, the engine's QVUtility
// (menus are recorded and may be answered), and the built plug-in's path.
#include "QVAction.h"
#include "QVUtilityClass.h"

#include <QMenu>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <ostream>

// Readable failure messages for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace zelk::test {

// A controller that may go on until told to stop, and keeps the outcome.
class TestController : public QVActionController {
public:
    bool canGoRunning() override
    {
        ++asked;
        if (stopAfter >= 0 && asked > stopAfter)
            stopped = true;
        return !stopped;
    }
    bool canGoRunningAfterError(const QString&) override { return false; }
    void stopRunning() override { stopped = true; }
    void setErrorWhenRunning(const QString& error, const std::shared_ptr<QVAction>&) override
    {
        std::lock_guard lock(mutex);
        outcome = error;
        ended = true;
    }
    void setActionTerminatesWithoutError(const std::shared_ptr<QVAction>&) override
    {
        std::lock_guard lock(mutex);
        outcome.clear();
        ended = true;
    }

    std::atomic<bool> stopped{false};
    std::atomic<int> asked{0};
    std::atomic<int> stopAfter{-1};  // canGoRunning answers true this many times, then false
    std::atomic<bool> ended{false};
    std::mutex mutex;
    QString outcome;
};

// The engine's utility class: menus are recorded (titles, "*" before a
// checked one, "-" before one that does nothing) and the item named by
// choose is triggered.
class FakeEngineUtility : public QVUtilityClass {
public:
    void displayFloatingMenu(QMenu* menu) override
    {
        QStringList titles;
        QAction* chosen = nullptr;
        for (QAction* item : menu->actions()) {
            QString title = item->text();
            if (item->isChecked())
                title.prepend('*');
            if (!item->data().isValid())
                title.prepend('-');
            titles.append(title);
            if (item->text() == choose)
                chosen = item;
        }
        {
            std::lock_guard lock(mutex);
            menus.append(titles.join(", "));
        }
        if (chosen)
            chosen->trigger();
    }
    QStringList recentAppPathArray() override { return recent; }

    QStringList shownMenus()
    {
        std::lock_guard lock(mutex);
        return menus;
    }

    QString choose;
    QStringList recent;
    std::mutex mutex;
    QStringList menus;
};

class EngineUtilityScope {
public:
    EngineUtilityScope() { ClassRegistry::shared().registerClass(&utility); }
    ~EngineUtilityScope() { ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility")); }
    FakeEngineUtility utility;
};

// The built engine plug-in.
QString actionRunnersPath();

} // namespace zelk::test
