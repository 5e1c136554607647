// The engine. For now it finds its bundle, loads its frameworks and
// plug-ins, and waits for the session to end.
#include "Bundle.h"
#include "ClassRegistry.h"
#include "Log.h"

#include <QCoreApplication>
#include <QDir>
#include <csignal>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const zelk::Bundle bundle = zelk::Bundle::main();
    if (!bundle.isValid()) {
        zelk::zlog("QVAppl", "main") << "not started from inside Zelk.app";
        return 1;
    }
    auto& registry = zelk::ClassRegistry::shared();
    registry.loadPluginsInFolder(bundle.frameworksPath());
    registry.loadPluginsInFolder(bundle.builtInPlugInsPath());
    qInfo().noquote() << "Zelk" << bundle.version() << "(" + bundle.identifier() + ") running from" << bundle.bundlePath();
    std::signal(SIGINT, [](int) { QCoreApplication::quit(); });
    std::signal(SIGTERM, [](int) { QCoreApplication::quit(); });
    return app.exec();
}
