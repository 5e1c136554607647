// Zelk Editor: makes the application object, starts it inside the event
// loop and runs until it quits. Paths given on the command line are files
// opened with the editor (exchange files to import, or files to make
// actions of).
#include "Bundle.h"
#include "JournalLog.h"
#include "Log.h"
#include "MainWindowLink.h"
#include "Platform.h"
#include "QVEController.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

int main(int argc, char** argv)
{
    zelk::JournalLog::install(QStringLiteral("Zelk Editor"));
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        zelk::zlog("QVEController", "main") << "Zelk Editor needs a desktop session: set DISPLAY (for example DISPLAY=:0).";
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelk Editor"));
    // Closing the main window asks first; the window quits through the controller.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!zelk::Bundle::main().isValid()) {
        zelk::zlog("QVEController", "main") << "not started from inside Zelk Editor.app";
        return 1;
    }
    const QStringList files = app.arguments().mid(1);

    int status = 0;
    {
        editor::QVEController controller;
        editor::installMainWindow(controller);
        QObject::connect(&controller, &editor::QVEController::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        QTimer::singleShot(0, &controller, [&controller, files] {
            if (!controller.finishLaunching())
                return;
            for (const QString& file : files)
                controller.openFile(QFileInfo(file).absoluteFilePath());
        });
        status = QApplication::exec();
    }
    // The desktop's services own objects of the application: they go first.
    zelk::Platform::install(nullptr);
    return status;
}
