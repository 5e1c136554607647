#pragma once
// Synthetic input on an X server through XTest, on a connection of its own
// opened at first use (from $DISPLAY). Posts may come from any thread; all
// Xlib use is serialised here.
//
// The exclusive-source bracket releases the modifiers the user still holds
// (say, of the hot key that started an action) so posted keys never combine
// with them, and at its end presses back only those the user still holds on
// a physical keyboard. Keys this process pressed itself and has not let go
// of (a "press and hold" key action) are not the user's: the bracket leaves
// them down.
#include "MacKeyTable.h"
#include "XKeyWatch.h"
#include "Platform.h"

#include <QList>
#include <mutex>
#include <optional>
#include <vector>

namespace zelk {

class XEventPoster : public EventPoster {
public:
    // Errors of our own; X protocol errors answer their own code (below 256).
    enum Error { NoDisplay = 1001, NoXTest, NoXkb, UnmappedKey, BadArgument };

    XEventPoster();
    ~XEventPoster() override;

    int postKey(uint16_t keyCode, bool down) override;
    int postMouseButton(Button button, const QPointF& at, bool down) override;
    int postMouseMove(const QPointF& to, bool dragging) override;
    int postScroll(int wheelCount, int32_t vertical, int32_t horizontal) override;
    KeyMap heldKeys() override;
    std::optional<QPointF> pointerLocation() override;
    // Through XKeyWatch, on a connection of its own.
    [[nodiscard]] ObserverHandle observeKeys(std::function<void(uint16_t, bool)> observer) override;
    void beginExclusive() override;
    void endExclusive() override;
    void releaseOwnKeys() override;
    // Whether the server auto-repeats the X key (tests).
    bool keyRepeats(uint8_t keycode);

private:
    void holdWithoutRepeat(uint8_t keycode);
    void setKeyRepeat(uint8_t keycode, bool on);
    void letGo(uint8_t keycode);
    int open();
    void refreshKeymap();
    int sync();
    void clickButton(int32_t amount, unsigned int positive, unsigned int negative);
    std::optional<std::array<uint8_t, 32>> physicallyHeldKeys();

    std::mutex m_mutex;
    _XDisplay* m_display = nullptr;
    int m_openError = 0;  // set once opening failed; never retried
    int m_xkbEventBase = 0;
    bool m_keymapDirty = true;
    std::vector<uint8_t> m_modifierKeys; // the modifier mapping (8 rows), until it changes
    int m_keysPerModifier = 0;
    KeyTable m_keys;
    QList<uint8_t> m_releasedModifiers;
    QList<uint8_t> m_ownHeld; // keycodes posted down here and not up yet
    QList<uint8_t> m_repeatLent; // their repeat is off until they are let go
    XKeyWatch m_keyWatch;
};

} // namespace zelk
