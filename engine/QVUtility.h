#pragma once
// The engine's utility class object, registered as "QVUtility" so that the
// action framework and the plug-ins reach it. Beyond the shared operations
// it has the character table that turns a character into keystrokes and
// types it, the alert that runs on the main thread (the asking thread
// waits) and keeps the engine in front while it is up, the floating menu,
// process counting and the main-thread runner.
//
// The character table has 256 entries, indexed by a Latin-1 character.
// An entry holds up to two keystrokes: bits 0-15 the first, bits 16-31 the
// second (0xFFFF for none); a keystroke is the key code in its low byte
// and the modifier bits above (command 0x100, shift 0x200, caps lock 0x400,
// option 0x800, control 0x1000). 0xFFFFFFFF: the layout cannot type it.
// It is rebuilt whenever the keyboard layout changes.
#include "QVUtilityShared.h"
#include "NotificationCenter.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>

class QMenu;

namespace engine {

class QVUtility : public zelk::QVUtilityShared {
public:
    // The class object, registered under "QVUtility" on first use.
    static QVUtility& sharedUtility();

    // --- Characters and typing ----------------------------------------------------------
    // Logs and rebuilds the character table, then the key table.
    void reloadKeyboardCache();
    void fillAsciiToKeycode();
    quint32 asciiKeycodesForAsciiChar(char c) override;
    // Types the character's keystrokes (with a 0.02 s pause before a second
    // one); a character the layout cannot type posts nothing. Answers 0.
    int typeAsciiChar(char c) override;
    // Types any Unicode character as the layout answers for it at this
    // moment (a key the layout lends for a character outside it is good
    // only briefly, so no table is kept). 1, posting nothing, when the
    // layout cannot type it.
    int typeCharacter(char32_t c) override;
    // The keystroke's modifier keys, down or up, in the order command,
    // shift, caps lock, option, control.
    static void simulateModifiersForCarbonKeycode(quint16 keystroke, bool keyDown);
    // As shared, but the code 0 names no key.
    QString keyStringWithKeycode(quint32 keycode) override;
    QString resolveAliasPath(const QString& path) override;
    int runScript(const QString& script) override;

    // --- Alerts and menus (main thread; the calling thread waits) -------------------------
    // 1 for the first button, 0 for the second, -1 for the third.
    int runAlertPanelWithTitle(const QString& title, const QString& message, const QString& button1,
                               const QString& button2, const QString& button3) override;
    // While any alert is up a thread brings the engine back to the front
    // every 5 s; counted, so overlapping alerts share one thread.
    void startShowFrontApp();
    void stopShowFrontApp();
    // Pops the menu up at the mouse, or under the palette button there, and
    // returns once it has closed (the chosen item's action has run then).
    void displayFloatingMenu(QMenu* menu) override;
    // Closes the floating menus that are up (the quit); their callers go on.
    static void closeFloatingMenus();

    // --- Processes ------------------------------------------------------------------------
    // A running application whose file name equals the path's last component.
    bool isProcessLaunchedWithPath(const QString& path);
    // Running applications whose file name, without ".app" or ".desktop", is the name.
    int numberOfProcessLaunchedWithPathName(const QString& name);

    // Runs fn on the main thread and returns when it is done (at once when
    // already there; without an application object, here; without running
    // it once the quit has closed the main thread's hand-over).
    static void runOnMainQueueWithoutDeadlocking(const std::function<void()>& fn);

    // --- Tests ------------------------------------------------------------------------------
    // Answers alerts in place of the dialog (on the main thread, inside the
    // counted show-front bracket); nullptr gives the dialog back.
    using AlertAnswerer = std::function<int(const QString& title, const QString& message, const QString& button1,
                                            const QString& button2, const QString& button3)>;
    void setAlertAnswerer(AlertAnswerer answerer);
    int showFrontCount() const;         // alerts up
    int showFrontThreadsRunning() const; // show-front threads alive

private:
    QVUtility();
    std::array<quint32, 256> characterTable();
    void typeKeystroke(quint16 keystroke);
    int showAlert(const QString& title, const QString& message, const QString& button1, const QString& button2,
                  const QString& button3);

    std::mutex m_tableMutex;
    std::array<quint32, 256> m_characterTable{};
    bool m_characterTableFilled = false;
    zelk::ObserverHandle m_layoutObserver;

    // Shared with the show-front thread, which may outlive a call.
    struct ShowFront {
        std::mutex mutex;
        std::condition_variable wake;
        int count = 0;            // show-front counter
        quint64 generation = 0;   // a new thread's number; an older thread ends
        std::atomic<int> threads{0};
    };
    std::shared_ptr<ShowFront> m_showFront = std::make_shared<ShowFront>();

    std::mutex m_answererMutex;
    AlertAnswerer m_answerer;
};

} // namespace engine
