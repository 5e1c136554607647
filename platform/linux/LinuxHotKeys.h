#pragma once
// Hot keys as passive key grabs on the X root window.
//
// A stored code's key is its physical key (KeyTable), its modifiers follow
// the project's convention: command is Control, shift Shift, option Alt
// (Mod1), control Super (Mod4), caps lock Lock; the numeric-pad and function
// bits play no part. Each combination is grabbed with and without Num Lock
// and Caps Lock, so the lock keys never stop a hot key. Auto-repeat is made
// detectable: a held key gives one press and one release. Keys are grabbed
// again on their new keycodes whenever the keymap changes.
//
// Registration belongs on the main thread, where the presses arrive.
#include "DesktopServices.h"

#include <memory>

namespace zelk {

class XSession;

class LinuxHotKeys : public HotKeyService {
public:
    explicit LinuxHotKeys(std::shared_ptr<XSession> session);
    ~LinuxHotKeys() override;

    int registerHotKey(quint32 code, quint64* ref) override;
    void unregisterHotKey(quint64 ref) override;
    void setHandler(Handler handler) override;
    QList<quint32> desktopHotKeys() override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zelk
