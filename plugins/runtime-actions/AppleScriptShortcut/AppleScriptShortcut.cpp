#include "AppleScriptShortcut.h"

#include "AppleScriptShortcut/ScriptText.h"
#include "Log.h"

#include <QFileInfo>

namespace zelk::engine {

namespace M = AppleScriptShortcutModels;

namespace {

bool traceRun()
{
    QVActionHostApplication* app = QVAction::applicationObject();
    return app && app->TraceRun();
}

} // namespace

bool AppleScriptShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    if (CUTAction == M::ScriptFile)
        loadScript();
    return true;
}

void AppleScriptShortcut::loadScript()
{
    const QString path = bestPath();
    const QFileInfo info(path);
    if (!info.exists())
        return; // the script read before, if any, stays
    const QDateTime modified = info.lastModified();
    {
        std::lock_guard lock(m_scriptMutex);
        if (m_loadDate.isValid() && modified.isValid() && modified <= m_loadDate)
            return;
    }
    if (traceRun())
        zlog("AppleScriptShortcut", "compiledScriptWithPath") << path;
    const QByteArray script = script::compiledScriptWithPath(path);
    if (traceRun())
        zlog("AppleScriptShortcut", "compiledScriptWithPath") << "exiting with data (" << script.size() << ")";
    if (script.isEmpty())
        return; // not renewed: read again before the next run
    std::lock_guard lock(m_scriptMutex);
    CUTCompiledScript = script;
    m_loadDate = modified;
}

QByteArray AppleScriptShortcut::loadedScript() const
{
    std::lock_guard lock(m_scriptMutex);
    return CUTCompiledScript;
}

QString AppleScriptShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller)
        return {};
    switch (CUTAction) {
    case M::ScriptText:
        if (CUTCompiledScript.isEmpty()) {
            // Kept uncompiled: it can't run, and saying nothing would pass
            // for success. An empty action has nothing to run.
            if (!CUTSource.isEmpty())
                return localized(classObject(), "ScriptNonCompile");
            return {};
        }
        return runScript(CUTCompiledScript, *controller);
    case M::ScriptFile: {
        loadScript();
        const QByteArray script = loadedScript();
        if (script.isEmpty())
            return localized(classObject(), "ScriptNonValide", {bestPath()});
        return runScript(script, *controller);
    }
    default:
        return {};
    }
}

QString AppleScriptShortcut::runScript(const QByteArray& script, QVActionController& fromObject)
{
    if (!script::sourceWithCompiledScript(script))
        return localized(classObject(), "ScriptNonCompile");
    if (traceRun())
        zlog("AppleScriptShortcut", "runScript") << "starting";
    const ProcessResult result = script::runCompiledScript(script, [&fromObject] { return fromObject.canGoRunning(); });
    if (traceRun())
        zlog("AppleScriptShortcut", "runScript") << "finished, status" << result.status;
    if (!result.started)
        return localized(classObject(), "ScriptNonExecute", {result.error});
    if (result.stopped || result.status == 0)
        return {};
    const int code = result.status >> 8 ? result.status >> 8 : result.status;
    const QStringList lines = QString::fromUtf8(result.errorOutput).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString message = lines.isEmpty() ? QString() : lines.last().trimmed();
    zlog("AppleScriptShortcut", "runScript") << "script error" << code << message;
    return localized(classObject(), "ErreurApplescriptNumero", {code, message});
}

ZELK_REGISTER_ACTION_RUNNER(AppleScriptShortcut)

} // namespace zelk::engine
