#include "CommandShortcut.h"

#include "Log.h"
#include "Platform.h"

#include <QFileInfo>

namespace zelk::engine {

namespace M = CommandShortcutModels;

bool CommandShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString CommandShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller)
        return {};
    switch (CUTAction) {
    case M::CommandText:
        return runCommand(CUTSource, CUTInTerminal, *controller);
    case M::CommandFile:
        switch (loadCommandFile()) {
        case FileState::Missing:
            return localized(classObject(), "CommandNonValide", {bestPath()});
        case FileState::NotText:
            return localized(classObject(), "CommandNonTexte", {bestPath()});
        case FileState::Loaded:
            return runCommand(loadedCommand(), CUTInTerminal, *controller);
        }
        return {};
    default:
        return {};
    }
}

CommandShortcut::FileState CommandShortcut::loadCommandFile()
{
    const QString path = bestPath();
    const QFileInfo info(path);
    if (!info.exists())
        return FileState::Missing;
    const QDateTime modified = info.lastModified();
    std::lock_guard lock(m_commandMutex);
    if (m_loaded && path == m_loadedPath) {
        if (!modified.isValid()) {
            zlog("CommandShortcut", "loadCommandFile") << "Error getting attributes for file:" << path;
            return FileState::Loaded;
        }
        if (modified <= m_loadDate)
            return FileState::Loaded;
    }
    if (!isTextFileAtPath(path)) {
        m_loaded = false;
        CUTSource.clear();
        return FileState::NotText;
    }
    CUTSource = stringWithPath(path);
    m_loaded = true;
    m_loadedPath = path;
    m_loadDate = modified;
    return FileState::Loaded;
}

QString CommandShortcut::loadedCommand() const
{
    std::lock_guard lock(m_commandMutex);
    return CUTSource;
}

QString CommandShortcut::runCommand(const QString& command, bool inTerminal, QVActionController& fromObject)
{
    ProcessService& processes = Platform::instance().processes();
    if (inTerminal) {
        QString error;
        if (!processes.runInTerminal(command, &error))
            return localized(classObject(), "TerminalNonValide", {error});
        return {};
    }
    const ProcessResult result =
        processes.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command}, [&fromObject] { return fromObject.canGoRunning(); });
    if (!result.started)
        return QStringLiteral("unix command return error %1.").arg(-1);
    if (result.stopped || result.status == 0)
        return {};
    return QStringLiteral("unix command return error %1.").arg(result.status);
}

ZELK_REGISTER_ACTION_RUNNER(CommandShortcut)

} // namespace zelk::engine
