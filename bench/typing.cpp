// Typing throughput on a real X server: the typing action's text typed at
// its highest speed into a window of our own on a private Xvfb, through
// the engine's QVUtility and the linux backend. Counts the characters per
// second that arrive, and those lost or out of order. Skips when Xvfb is
// not there.
#include "KeyboardShortcut/KeyboardShortcut.h"
#include "KeysymUnicode.h"
#include "Platform.h"
#include "QVUtility.h"
#include "XvfbServer.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <vector>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

// After Qt: Xlib defines macros that collide with Qt names.
#include "XReceiver.h"

namespace {

using namespace zelk;

// Never says stop.
class Controller : public QVActionController {
public:
    bool canGoRunning() override { return true; }
    bool canGoRunningAfterError(const QString&) override { return true; }
    void stopRunning() override {}
    void setErrorWhenRunning(const QString&, const std::shared_ptr<QVAction>&) override {}
    void setActionTerminatesWithoutError(const std::shared_ptr<QVAction>&) override {}
};

// One focused window that reads back the text its key presses type.
class Receiver : public zelk::bench::XReceiver {
public:
    using XReceiver::XReceiver;

    // Everything typed since the last call: each key's symbol at the level
    // its Shift state picks, modifiers left out, Return as a line feed.
    std::u32string takeText()
    {
        std::u32string text;
        XSync(m_display, False);
        while (XPending(m_display) > 0) {
            XEvent e;
            XNextEvent(m_display, &e);
            if (e.type == MappingNotify) {
                XRefreshKeyboardMapping(&e.xmapping);
                continue;
            }
            if (e.type != KeyPress)
                continue;
            KeySym symbol = (e.xkey.state & ShiftMask) ? XLookupKeysym(&e.xkey, 1) : NoSymbol;
            if (symbol == NoSymbol)
                symbol = XLookupKeysym(&e.xkey, 0);
            if (IsModifierKey(symbol))
                continue;
            const char32_t c = symbol == XK_Return ? U'\n' : keysyms::toUnicode(symbol);
            text += c ? c : U'\uFFFD';
        }
        return text;
    }
};

// The longest common subsequence: what arrived in its place.
size_t inOrder(const std::u32string& a, const std::u32string& b)
{
    std::vector<size_t> row(b.size() + 1, 0), next(b.size() + 1, 0);
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j)
            next[j] = a[i - 1] == b[j - 1] ? row[j - 1] + 1 : std::max(row[j], next[j - 1]);
        std::swap(row, next);
    }
    return row[b.size()];
}

struct Desk {
    std::unique_ptr<test::XvfbServer> server;
    std::unique_ptr<Receiver> receiver;
    std::unique_ptr<Platform> previous;
    bool ready = false;
    QString whyNot;
};

Desk& desk()
{
    static Desk d = [] {
        Desk d;
        d.server = std::make_unique<test::XvfbServer>();
        if (!d.server->isRunning()) {
            d.whyNot = "no X server: " + d.server->error();
            return d;
        }
        qputenv("DISPLAY", d.server->display().toLocal8Bit());
        d.receiver = std::make_unique<Receiver>(d.server->display());
        if (!d.receiver->isOpen()) {
            d.whyNot = "cannot open a window on " + d.server->display();
            return d;
        }
        d.previous = Platform::install(makeLinuxPlatform());
        ClassRegistry::shared().registerClass(&::engine::QVUtility::sharedUtility());
        d.ready = true;
        return d;
    }();
    return d;
}

void BM_TypeTextIntoXClient(benchmark::State& state)
{
    Desk& d = desk();
    if (!d.ready) {
        state.SkipWithError(qPrintable(d.whyNot));
        return;
    }
    // Letters, capitals, digits, punctuation, line ends and characters the
    // US layout has no key for; long enough that the call's start and the
    // reading back weigh little against the typing itself.
    const QString text = QString::fromUtf8("The Quick brown fox, 42 jumps; over [the] lazy dog!\nÀ bientôt, 5€ ÷ 2.\n").repeated(4);
    const std::u32string expected = text.toStdU32String();
    Controller controller;
    size_t arrived = 0, lost = 0, reordered = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        zelk::engine::KeyboardShortcut::typeText(text, KeyboardShortcutModels::MaxCharSecond, controller);
        const std::u32string received = d.receiver->takeText();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const size_t matched = inOrder(expected, received);
        arrived += matched;
        lost += expected.size() - matched;
        reordered += received.size() - matched;
    }
    state.counters["chars_per_second"] = seconds > 0 ? double(arrived) / seconds : 0;
    state.counters["lost"] = double(lost);
    state.counters["reordered"] = double(reordered);
}
BENCHMARK(BM_TypeTextIntoXClient)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The linux backend goes while its X server is still there.
    Desk& d = desk();
    ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility"));
    if (d.ready)
        Platform::install(std::move(d.previous));
    d.receiver.reset();
    d.server.reset();
    return 0;
}
