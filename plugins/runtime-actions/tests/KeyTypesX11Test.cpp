// The typing and key types on a real X server: what reaches a client
// window of the test's own, typed through the engine's QVUtility and the
// linux backend.
#include "KeyShortcut/KeyShortcut.h"
#include "KeyboardShortcut/KeyboardShortcut.h"
#include "KeysymUnicode.h"
#include "Platform.h"
#include "QVUtility.h"
#include "RunnerTestSupport.h"
#include "X11TestSupport.h"

#include <gtest/gtest.h>
#include <memory>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

using namespace zelk;
using namespace zelk::test;
using Event = XClientWindow::Event;

namespace {

class KeyTypesX11Test : public XServerTest {
protected:
    void SetUp() override
    {
        XServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // One window for every test: Xvfb resets when its last client
        // goes, and a connection made during the reset fails.
        if (!client)
            client = std::make_unique<XClientWindow>(xDisplay);
        ASSERT_TRUE(client->isOpen()) << "cannot open a client window on " << xDisplay.toStdString();
        client->takeEvents();
        previous = Platform::install(makeLinuxPlatform());
        installed = true;
        ASSERT_TRUE(loadActionRunners());
        ClassRegistry::shared().registerClass(&::engine::QVUtility::sharedUtility());
    }

    void TearDown() override
    {
        ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility"));
        // The linux backend goes while its X server is still there.
        if (installed)
            Platform::install(std::move(previous));
        if (client && client->isOpen())
            client->releaseEverything();
    }

    static void TearDownTestSuite() { client.reset(); }

    QString run(const QString& className, const QVariantMap& data)
    {
        return runAction(actionWithParameters(className, "x11", 21, data), controller);
    }

    // The text the client's key presses type: each key's symbol at the
    // level its Shift state picks, modifiers left out, Return as "\n".
    QString typedText(const QList<Event>& events) const
    {
        QString text;
        for (const Event& e : events) {
            if (e.kind != Event::KeyDown)
                continue;
            KeySym symbol = (e.state & ShiftMask) ? XkbKeycodeToKeysym(client->display(), KeyCode(e.code), 0, 1) : 0;
            if (symbol == NoSymbol)
                symbol = e.keysym;  // a lent key types the same with Shift
            if (IsModifierKey(symbol))
                continue;
            const char32_t c = symbol == XK_Return ? U'\n' : keysyms::toUnicode(symbol);
            text += c ? QString::fromUcs4(&c, 1) : QString("<%1>").arg(symbol, 0, 16);
        }
        return text;
    }

    inline static std::unique_ptr<XClientWindow> client;
    std::unique_ptr<Platform> previous;  // may be none yet: made on first use
    bool installed = false;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
};

TEST_F(KeyTypesX11Test, TypedTextArrivesInOrder)
{
    // Capitals, punctuation, a line end and characters the US layout has
    // no key for (typed through keys the backend lends).
    const QString text = QString::fromUtf8("Hello, wörld 1€!\nOK");
    EXPECT_EQ(run("KeyboardShortcut", {{"Action", 1}, {"Text", text}, {"CharSecond", 1000}}), QString());
    EXPECT_EQ(typedText(client->takeEvents()), text);
    EXPECT_EQ(client->modifierState(), 0u);
}

TEST_F(KeyTypesX11Test, KeyGoesDownAndUpInsideItsModifiers)
{
    // Shift with the key that types "a" on the layout of the moment.
    EXPECT_EQ(run("KeyShortcut", {{"Action", 1}, {"Keycode", 0x20000 | 12}, {"AsciiCode", 'a'}}), QString());
    const QList<Event> events = client->takeEvents();
    QStringList seen;
    for (const Event& e : events)
        seen << QString("%1 %2").arg(e.kind == Event::KeyDown ? "down" : "up", XKeysymToString(e.keysym));
    EXPECT_EQ(seen, (QStringList{"down Shift_L", "down a", "up a", "up Shift_L"}));

    // Pressed by one action, released by another: nothing stays down.
    EXPECT_EQ(run("KeyShortcut", {{"Action", 2}, {"Keycode", 0x100000 | 0x80000}, {"AsciiCode", 0}}), QString());
    EXPECT_NE(client->modifierState(), 0u);
    EXPECT_EQ(run("KeyShortcut", {{"Action", 3}, {"Keycode", 0x100000 | 0x80000}, {"AsciiCode", 0}}), QString());
    EXPECT_EQ(client->modifierState(), 0u);
}

} // namespace
