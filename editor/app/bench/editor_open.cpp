// Opening a data folder of n shortcuts, n key launchers and n actions as
// the editor does at start (the six files read, the layout handed over, the
// lists told to reload) and showing the main window with them.
#include "EditorBenchData.h"
#include "EditorBenchMain.h"
#include "MainWindowLink.h"
#include "NotificationCenter.h"
#include "ObjectStore.h"
#include "QVEController.h"
#include "QVUtility.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <benchmark/benchmark.h>

namespace {

void BM_OpenDataFolderAndShowMainWindow(benchmark::State& state)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    const QString folder = home.path() + "/Zelk";
    if (!QDir().mkpath(folder) || !editor::bench::writeFolder(folder, int(state.range(0)))) {
        state.SkipWithError("cannot write the data folder");
        return;
    }
    editor::QVUtility::sharedUtility().setAlertAnswerer(
        [](const QString&, const QString&, const QString&, const QString&, const QString&) { return 1; });
    {
        editor::QVEController controller;
        editor::installMainWindow(controller);
        if (!controller.finishLaunching()) {
            state.SkipWithError("the editor did not start");
            return;
        }
        for (auto _ : state) {
            if (!controller.readPrefs())
                state.SkipWithError("cannot read the data folder");
            for (const char* notice : {"UpdateShortcutsNotification", "UpdateMenusNotification", "UpdatePalettesNotification"})
                zelk::NotificationCenter::defaultCenter().post(QLatin1String(notice));
            if (editor::QVEMainWindowLink* window = controller.mainWindow()) {
                window->display();
                if (QWidget* w = window->window())
                    w->repaint();
            }
            QApplication::processEvents();
        }
    }
    editor::QVUtility::sharedUtility().setAlertAnswerer(nullptr);
    state.SetItemsProcessed(state.iterations() * state.range(0) * 3);
}

BENCHMARK(BM_OpenDataFolderAndShowMainWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return editor::bench::runBenchmarks(argc, argv, ZELK_EDITOR_BUNDLE);
}
