#pragma once
// The engine's own path operations (kinds, links, file references, icons)
// for the types that act on files, with menus and alerts recorded as the
// fakes of RunnerTestSupport.h record them.
#include "QVUtilityShared.h"
#include "RunnerTestSupport.h"

namespace zelk::test {

class FilesEngineUtility : public QVUtilityShared {
public:
    // As the engine's: shown on the main thread, the caller waiting until
    // it closes; the choice comes at a later turn of the loop.
    void displayFloatingMenu(QMenu* menu) override
    {
        MainThread::runUntilDone([this, menu](std::function<void()> done) {
            {
                std::lock_guard lock(mutex);
                menus.append(menuTitles(menu));
            }
            QTimer::singleShot(0, menu, [menu, done, choose = choose] {
                pickMenuItem(menu, choose);
                done();
            });
        });
    }
    int runAlertPanelWithTitle(const QString& title, const QString& message, const QString&, const QString&,
                               const QString&) override
    {
        std::lock_guard lock(mutex);
        alerts.append(title + " / " + message);
        return 1;
    }
    QStringList shownMenus()
    {
        std::lock_guard lock(mutex);
        return menus;
    }
    QStringList shownAlerts()
    {
        std::lock_guard lock(mutex);
        return alerts;
    }

    QString choose;
    std::mutex mutex;
    QStringList menus;
    QStringList alerts;
};

} // namespace zelk::test
