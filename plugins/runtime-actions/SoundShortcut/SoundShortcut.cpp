#include "SoundShortcut.h"

#include "Log.h"
#include "Platform.h"

#include <QFile>

namespace zelk::engine {

namespace M = SoundShortcutModels;

namespace {

SoundService& sound()
{
    return Platform::instance().sound();
}

} // namespace

bool SoundShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString SoundShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    QVActionController& c = *controller;
    switch (CUTAction) {
    case M::PlayFile:
        return playFile();
    case M::VolumeUp:
        return systemSoundUpFromObject(c);
    case M::VolumeDown:
        return systemSoundDownFromObject(c);
    case M::Mute:
        return systemSoundMuteFromObject(c);
    case M::VolumeFull:
        return systemSoundFullFromObject(c);
    default:
        return {};
    }
}

QString SoundShortcut::playFile()
{
    std::lock_guard lock(m_soundMutex);
    if (CUTSound.isEmpty()) {
        const QString path = bestPath();
        QFile file(targetPath(path));
        if (path.isEmpty() || !fileExistsAtPath(path) || !file.open(QIODevice::ReadOnly))
            return localized(classObject(), "SonNonValide", {path});
        CUTSound = file.readAll();
        m_soundName = file.fileName();
    }
    if (!sound().play(CUTSound, m_soundName))
        return localized(classObject(), "LectureImpossible", {m_soundName});
    return {};
}

QString SoundShortcut::changeVolume(const std::function<int(int)>& change)
{
    const std::optional<int> volume = sound().outputVolume();
    if (!volume || !sound().setOutputVolume(change(*volume)))
        return localized(classObject(), "VolumeImpossible");
    return {};
}

QString SoundShortcut::systemSoundUpFromObject(QVActionController&)
{
    return changeVolume([](int v) { return v < 90 ? v + 10 : 100; });
}

QString SoundShortcut::systemSoundDownFromObject(QVActionController&)
{
    return changeVolume([](int v) { return v > 10 ? v - 10 : 1; });
}

QString SoundShortcut::systemSoundFullFromObject(QVActionController&)
{
    return sound().setOutputVolume(100) ? QString() : localized(classObject(), "VolumeImpossible");
}

QString SoundShortcut::systemSoundMuteFromObject(QVActionController&)
{
    const std::optional<bool> muted = sound().outputMuted();
    if (!muted || !sound().setOutputMuted(!*muted))
        return localized(classObject(), "VolumeImpossible");
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(SoundShortcut)

} // namespace zelk::engine
