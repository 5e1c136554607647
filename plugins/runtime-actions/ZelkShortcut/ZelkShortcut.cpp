#include "ZelkShortcut.h"

#include "Bundle.h"
#include "Log.h"
#include "Platform.h"

namespace zelk::engine {

namespace M = ZelkShortcutModels;

namespace {

QVActionHostApplication* host(const char* method)
{
    QVActionHostApplication* app = QVAction::applicationObject();
    if (!app)
        zlog("ZelkShortcut", method) << "no engine to send the command to";
    return app;
}

} // namespace

QString ZelkShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller)
        return {};
    using Command = QString (*)(QVActionController&);
    static constexpr Command commands[] = {
        &ZelkShortcut::zelkEditorFromObject,        nullptr,
        &ZelkShortcut::quitZelkFromObject,          &ZelkShortcut::showReportFromObject,
        &ZelkShortcut::stopShortcutsFromObject,     &ZelkShortcut::runLastCutAction1FromObject,
        &ZelkShortcut::runLastCutAction2FromObject, &ZelkShortcut::testEditedObjectFromObject,
    };
    if (!M::isModel(CUTAction) || !commands[CUTAction - 1])
        return {};
    return commands[CUTAction - 1](*controller);
}

bool ZelkShortcut::addToRecent() const { return CUTAction != M::RunLast1 && CUTAction != M::RunLast2; }

QString ZelkShortcut::editorPath()
{
    const Bundle bundle = Bundle::main();
    return bundle.isValid() ? bundle.bundlePath() + QStringLiteral("/Contents/MacOS/Zelk Editor.app") : QString();
}

QString ZelkShortcut::zelkEditorFromObject(QVActionController& /*fromObject*/)
{
    const QString path = editorPath();
    if (path.isEmpty() || !Platform::instance().workspace().launchApplication(path))
        zlog("ZelkShortcut", "zelkEditorFromObject") << "cannot open the editor" << path;
    return {};
}

QString ZelkShortcut::quitZelkFromObject(QVActionController& /*fromObject*/)
{
    if (QVActionHostApplication* app = host("quitZelkFromObject"))
        app->terminate();
    return {};
}

QString ZelkShortcut::showReportFromObject(QVActionController& /*fromObject*/)
{
    if (QVActionHostApplication* app = host("showReportFromObject"))
        app->showReport();
    return {};
}

QString ZelkShortcut::stopShortcutsFromObject(QVActionController& /*fromObject*/)
{
    if (QVActionHostApplication* app = host("stopShortcutsFromObject"))
        app->stopShortcuts();
    return {};
}

QString ZelkShortcut::runLastCutAction1FromObject(QVActionController& /*fromObject*/)
{
    if (QVActionHostApplication* app = host("runLastCutAction1FromObject"))
        app->runLastCutAction1();
    return {};
}

QString ZelkShortcut::runLastCutAction2FromObject(QVActionController& /*fromObject*/)
{
    if (QVActionHostApplication* app = host("runLastCutAction2FromObject"))
        app->runLastCutAction2();
    return {};
}

QString ZelkShortcut::testEditedObjectFromObject(QVActionController& /*fromObject*/)
{
    if (!Platform::instance().distributedNotifications().post(QStringLiteral("QVLauncherNotification"),
                                                             {{QStringLiteral("action"), QStringLiteral("testedited")}}))
        zlog("ZelkShortcut", "testEditedObjectFromObject") << "the editor could not be told";
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(ZelkShortcut)
ZELK_REGISTER_ACTION_RUNNER(QuovShortcut)

} // namespace zelk::engine
