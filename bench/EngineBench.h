#pragma once
// What the engine benchmarks share: a temporary home on the virtual desktop,
// an action type that notes when it first runs, generated data files, and
// the engine started on them the way it starts at log-in.
#include "ClassRegistry.h"
#include "PropertyList.h"
#include "QVAction.h"
#include "QVAppl.h"
#include "QVUtility.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>

namespace enginebench {

inline qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// When a BenchAction last began to run (steady clock, ns); 0 until it does.
inline std::atomic<qint64>& firstCallNs()
{
    static std::atomic<qint64> ns{0};
    return ns;
}

class BenchAction : public zelk::QVAction {
    ZELK_ACTION_CLASS(BenchAction, QVAction)
public:
    QString runActionFromObject(const std::shared_ptr<zelk::QVActionController>&) override
    {
        firstCallNs() = nowNs();
        return {};
    }
};

// A distinct combination for each i below 31 * 128: the key, and one of the
// 31 non-empty sets of the five modifier flags.
inline quint32 combination(int i) { return quint32(i % 128) | (quint32(i / 128 + 1) << 16); }

inline QVariantMap actionRecord(qint64 id)
{
    return {{"actionname", QStringLiteral("Action %1").arg(id)}, {"actionclass", "BenchAction"}, {"actionID", id},
            {"actiondata", QVariantMap()}, {"actioneditorrect", "{{0, 0}, {0, 0}}"}, {"actionnotused", false}};
}

inline QVariantMap keyLauncherRecord(qint64 id, quint32 code)
{
    return {{"launcherID", id}, {"launchertype", 0},
            {"launcherparams", QVariantMap{{"launcherkeycode", qint64(code)}, {"launcherkeyrelease", false},
                                           {"launcherkeyrepeat", false}, {"launcherkeyrepeatdelay", 0.0}}}};
}

inline QVariantMap appLauncherRecord(qint64 id, const QString& app)
{
    return {{"launcherID", id}, {"launchertype", 2},
            {"launcherparams", QVariantMap{{"launcherapplicationtype", 0}, {"launcherapplicationapp", app}}}};
}

inline QVariantMap contextRecord(qint64 id, int type, const QString& app = {})
{
    return {{"contextID", id}, {"contextname", QStringLiteral("Context %1").arg(id)}, {"contexttype", type},
            {"contextparams", type == 0 ? QVariantMap() : QVariantMap{{"contextactivatedapplication", app}}},
            {"contextrules", QVariantList()}};
}

inline QVariantMap shortcutRecord(qint64 id, qint64 action, qint64 launcher, const QList<qint64>& contexts)
{
    QVariantList contextRefs;
    for (qint64 c : contexts)
        contextRefs << QVariantMap{{"cutcontextID", c}, {"cutcontextactive", true}};
    return {{"cutname", QStringLiteral("Shortcut %1").arg(id)}, {"cutID", id}, {"cutimage", QByteArray()},
            {"cutactions", QVariantList{QVariantMap{{"cutactionID", action}, {"cutactionactive", true},
                                                    {"cutactionrunparams", QVariantMap{{"runrepeatnum", 0}, {"runrepeatpause", 0.0}}},
                                                    {"cutactionresultparams",
                                                     QVariantMap{{"resultsuccess", 0}, {"resultfailing", 0}, {"resultdelay", 5.0}}}}}},
            {"cutlaunchers", QVariantList{QVariantMap{{"cutlauncherID", launcher}, {"cutlauncheractive", true}}}},
            {"cutcontexts", contextRefs}, {"cutrunparams", QVariantMap{{"runrepeatnum", 0}, {"runrepeatpause", 0.0}}}};
}

// Writes the four data files of the engine's data folder; false when one fails.
inline bool writeDataFolder(const QVariantList& actions, const QVariantList& contexts, const QVariantList& launchers,
                            const QVariantList& shortcuts)
{
    const QString folder = engine::QVAppl::defaultObjectsPath();
    QDir().mkpath(folder);
    const std::pair<const char*, std::pair<const char*, const QVariantList*>> files[] = {
        {"Actions.plist", {"actionsarray", &actions}},
        {"Contexts.plist", {"contextsarray", &contexts}},
        {"Launchers.plist", {"launchersarray", &launchers}},
        {"Shortcuts.plist", {"shortcutsarray", &shortcuts}},
    };
    for (const auto& [name, content] : files) {
        const QVariantMap file{{"nextID", qint64(content.second->size() + 1)}, {content.first, *content.second}};
        if (!zelk::plist::writeFile(folder + "/" + name, file))
            return false;
    }
    return true;
}

// The engine started on the data folder, as at log-in (no onboarding panel).
inline engine::QVAppl::Ptr startEngine()
{
    zelk::ClassRegistry::shared().registerClass(&BenchAction::classObject());
    // No alert may wait for a user here.
    engine::QVUtility::sharedUtility().setAlertAnswerer(
        [](const QString&, const QString&, const QString&, const QString&, const QString&) { return 0; });
    engine::QVAppl::Ptr appl = engine::QVAppl::make();
    if (appl)
        appl->startEngine();
    return appl;
}

// Runs the benchmarks in a temporary home on the virtual desktop, with the
// engine's log lines dropped (they would drown the figures).
inline int runBenchmarks(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("ZELK_PLATFORM"))
        qputenv("ZELK_PLATFORM", "virtual");
    QTemporaryDir home;
    const QString base = home.path();
    const std::pair<const char*, QString> folders[] = {{"HOME", base},
                                                       {"XDG_CONFIG_HOME", base + "/.config"},
                                                       {"XDG_DATA_HOME", base + "/.local/share"},
                                                       {"XDG_CACHE_HOME", base + "/.cache"},
                                                       {"XDG_RUNTIME_DIR", base + "/run"}};
    for (const auto& [name, path] : folders) {
        QDir().mkpath(path);
        qputenv(name, path.toLocal8Bit());
    }
    QFile::setPermissions(base + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace enginebench
