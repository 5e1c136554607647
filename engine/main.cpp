// The engine: checks that there is a desktop to run on, makes the
// application object and runs the event loop until the object quits.
// SIGINT and SIGTERM (the session ending) quit the way the user's quit does.
#include "Bundle.h"
#include "JournalLog.h"
#include "Log.h"
#include "Platform.h"
#include "QVAppl.h"
#include "URLHandlerCommand.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    // Only async-signal-safe work here: the event loop reads the byte.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

void quitOnSignals(engine::QVAppl* appl)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        zelk::zlog("QVAppl", "main") << "no signal pipe: SIGTERM ends the engine without saving";
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, appl);
    QObject::connect(notifier, &QSocketNotifier::activated, appl, [appl] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(g_signalPipe[1], &byte, 1);
        appl->terminate();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    zelk::JournalLog::install(QStringLiteral("Zelk"));
    // Without a display Qt would abort with a trace; say what is missing instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        zelk::zlog("QVAppl", "main") << "Zelk needs an X11 desktop session: start it from a desktop session, or set "
                                        "DISPLAY (for example DISPLAY=:0 Zelk).";
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelk"));
    // The engine lives on without windows; closing the onboarding panel
    // quits it only when the panel says so.
    QApplication::setQuitOnLastWindowClosed(false);

    if (!zelk::Bundle::main().isValid()) {
        zelk::zlog("QVAppl", "main") << "not started from inside Zelk.app";
        return 1;
    }

    int exitStatus = 0;
    {
        engine::QVAppl::Ptr appl = engine::QVAppl::make();
        QObject::connect(appl.get(), &engine::QVAppl::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        quitOnSignals(appl.get());
        QStringList urls;
        for (const QString& argument : QCoreApplication::arguments().mid(1))
            if (engine::URLHandlerCommand::isEngineURL(argument))
                urls.append(argument);
        appl->setStartURLs(urls);
        // Launch inside the event loop, so a quit asked during start-up (a
        // signal while an alert is up) ends every loop, the main one included.
        QTimer::singleShot(0, appl.get(), [&appl] { appl->finishLaunching(); });
        const int status = QApplication::exec();
        exitStatus = status ? status : appl->exitStatus();
        if (!appl->endBackgroundWork()) {
            // A thread stuck in an action: no thread of ours may outlive
            // main, and waiting for it would keep the instance lock for ever.
            std::fflush(stderr);
            std::_Exit(exitStatus);
        }
    }
    // The desktop's services post to the application's loop and own
    // objects of it: they go while it is still there, not among the exit
    // handlers after it.
    zelk::Platform::install(nullptr);
    return exitStatus;
}
