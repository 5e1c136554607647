#pragma once
// The engine's own path operations (kinds, links, file references, icons)
// for the types that act on files, with menus and alerts recorded as the
// fakes of RunnerTestSupport.h record them.
#include "QVUtilityShared.h"
#include "RunnerTestSupport.h"

namespace zelk::test {

class FilesEngineUtility : public QVUtilityShared {
public:
    void displayFloatingMenu(QMenu* menu) override
    {
        const QString titles = recordMenu(menu, choose);
        std::lock_guard lock(mutex);
        menus.append(titles);
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
