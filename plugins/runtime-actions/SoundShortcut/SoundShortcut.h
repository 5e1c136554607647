#pragma once
// The sound action type, running side (SoundShortcutCommon.h), on the
// platform's sound output. A play-file action reads its sound on the first
// run and keeps it, so later runs play it even when the file has gone. The
// volume moves in tenths, never below 1 when lowered; a volume the system
// won't read or set is reported.
#include "ActionRunner.h"
#include "SoundShortcut/SoundShortcutCommon.h"

#include <QByteArray>
#include <mutex>

namespace zelk::engine {

class SoundShortcut : public SoundShortcutCommon<Side> {
    ZELK_ACTION_CLASS(SoundShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    static QString systemSoundUpFromObject(QVActionController& fromObject);
    static QString systemSoundDownFromObject(QVActionController& fromObject);
    static QString systemSoundMuteFromObject(QVActionController& fromObject);
    static QString systemSoundFullFromObject(QVActionController& fromObject);

private:
    QString playFile();
    // Sets the volume to what change makes of the current one.
    static QString changeVolume(const std::function<int(int)>& change);

    std::mutex m_soundMutex;
    QByteArray CUTSound;      // the loaded sound, kept for later runs
    QString m_soundName;
};

} // namespace zelk::engine
