// The engine as the user meets it, on a private Xvfb and session bus:
// - from a hot key's press to the first character its typing action types
//   into a window (the key posted through XTest, as xdotool posts it, and
//   timed by the window that receives the character), median and spread;
//   the same for sxhkd running `xdotool type` on the same desktop, when
//   sxhkd is installed, and the ratio of the two medians;
// - the engine's CPU time while idle, and its resident memory, on the
//   default data of a first run.
// A plain program that prints its measures. The default run is brief (it
// proves the measure works); ZELK_BENCH_FULL=1 measures 300 presses and a
// minute of idling. Arguments are ignored (scripts/test passes Google
// Benchmark's).
#include "DataFileRecords.h"
#include "Desktop.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

#include <poll.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

// After Qt: Xlib defines macros that collide with Qt names.
#include "XReceiver.h"

namespace {

using namespace zelk::e2e;
using namespace zelk::test::records;
using Clock = std::chrono::steady_clock;

// A focused window of ours that presses the hot key and times the first
// character that reaches it.
class Receiver : public zelk::bench::XReceiver {
public:
    using XReceiver::XReceiver;

    // Ctrl+Alt+T pressed and released; the time until an "x" arrives, none
    // when it did not within the time-out.
    std::optional<double> pressAndTime(int timeoutMs)
    {
        drain();
        const KeyCode keys[] = {XKeysymToKeycode(m_display, XK_Control_L), XKeysymToKeycode(m_display, XK_Alt_L),
                                XKeysymToKeycode(m_display, XK_t)};
        const auto start = Clock::now();
        for (KeyCode k : keys)
            XTestFakeKeyEvent(m_display, k, True, CurrentTime);
        for (auto k = std::rbegin(keys); k != std::rend(keys); ++k)
            XTestFakeKeyEvent(m_display, *k, False, CurrentTime);
        XFlush(m_display);
        const auto deadline = start + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < deadline) {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == MappingNotify)
                    XRefreshKeyboardMapping(&event.xmapping);
                if (event.type != KeyPress)
                    continue;
                char text[8];
                KeySym keysym = NoSymbol;
                XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
                if (keysym == XK_x)
                    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            }
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            ::poll(&fd, 1, 5);
        }
        return std::nullopt;
    }

private:
    void drain()
    {
        XSync(m_display, False);
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
        }
    }
};

struct Latencies {
    std::vector<double> ms;
    int lost = 0;
};

// The first press waits for the hot key to be taken at all; then presses
// a moment apart, so that each starts a run rather than stopping the last.
Latencies measure(Receiver& receiver, int presses)
{
    Latencies result;
    bool ready = false;
    for (int attempt = 0; attempt < 20 && !ready; ++attempt)
        ready = receiver.pressAndTime(1500).has_value();
    if (!ready) {
        result.lost = presses;
        return result;
    }
    for (int i = 0; i < presses; ++i) {
        QThread::msleep(250);
        if (const auto ms = receiver.pressAndTime(5000))
            result.ms.push_back(*ms);
        else
            ++result.lost;
    }
    return result;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const double at = p * double(values.size() - 1);
    const size_t below = size_t(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - double(below));
}

void report(const char* what, const Latencies& l)
{
    if (l.ms.empty()) {
        std::printf("  %-28s no character arrived (%d presses lost)\n", what, l.lost);
        return;
    }
    std::printf("  %-28s median %6.2f ms   p25 %6.2f  p75 %6.2f  p95 %6.2f  min %6.2f  max %6.2f   (%zu presses, %d lost)\n",
                what, percentile(l.ms, 0.5), percentile(l.ms, 0.25), percentile(l.ms, 0.75), percentile(l.ms, 0.95),
                *std::min_element(l.ms.begin(), l.ms.end()), *std::max_element(l.ms.begin(), l.ms.end()), l.ms.size(), l.lost);
}

DataFiles typingX()
{
    DataFiles files;
    files.actions = {typeTextAction(0, "x", 1000)};
    files.contexts = {context(0, "Everywhere", 0)};
    files.launchers = {keyLauncher(0, Command | Option | 17)}; // Ctrl+Alt+T
    files.shortcuts = {shortcut(0, "Type x", {0}, {0}, {0})};
    return files;
}

// utime + stime of a process, in seconds.
std::optional<double> cpuSeconds(qint64 pid)
{
    QFile file(QString("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray stat = file.readAll();
    // Fields after the command's closing parenthesis: state is field 3, utime 14, stime 15.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return std::nullopt;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

QString residentMemory(qint64 pid)
{
    QFile file(QString("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return "?";
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return QString::fromLatin1(line.mid(6).simplified());
    }
    return "?";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!qEnvironmentVariableIsSet("ZELK_APP_DIR"))
        qputenv("ZELK_APP_DIR", ZELK_APP_DIR_DEFAULT);
    const bool full = qEnvironmentVariable("ZELK_BENCH_FULL") == "1";
    const int presses = full ? 300 : 10;
    const int idleSeconds = full ? 60 : 2;
    std::printf("hot key to first typed character (%s run; ZELK_BENCH_FULL=1 for the full one)\n", full ? "full" : "brief");
    Latencies zelk;

    {
        Desktop desktop;
        if (!desktop.whyNot().isEmpty()) {
            std::printf("  skipped: %s\n", qPrintable(desktop.whyNot()));
            return 0;
        }
        QString why;
        if (!typingX().write(desktop.dataFolder()) || !desktop.onboard(false) || !desktop.startEngine(&why)) {
            std::printf("  the engine did not start: %s\n", qPrintable(why));
            return 1;
        }
        Receiver receiver(desktop.display());
        if (!receiver.isOpen())
            return 1;
        zelk = measure(receiver, presses);
        report("Zelk", zelk);
    }

    if (QStandardPaths::findExecutable("sxhkd").isEmpty()) {
        std::printf("  %-28s skipped: sxhkd is not installed\n", "sxhkd + xdotool type");
    } else {
        Desktop desktop;
        const QString config = desktop.home() + "/sxhkdrc";
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly) || file.write("ctrl + alt + t\n    xdotool type --delay 0 x\n") <= 0)
            return 1;
        file.close();
        QProcessEnvironment env = desktop.environment();
        env.insert("SHELL", "/bin/sh");
        Child sxhkd("sxhkd", {"-c", config}, env, desktop.home() + "/logs/sxhkd.log");
        Receiver receiver(desktop.display());
        if (!receiver.isOpen())
            return 1;
        const Latencies other = measure(receiver, presses);
        report("sxhkd + xdotool type", other);
        if (!zelk.ms.empty() && !other.ms.empty())
            std::printf("  Zelk's median is %.3f of sxhkd's\n", percentile(zelk.ms, 0.5) / percentile(other.ms, 0.5));
    }

    {
        Desktop desktop;
        QString why;
        // No data folder: the first run copies the default data.
        if (!desktop.onboard(false) || !desktop.startEngine(&why)) {
            std::printf("  the engine did not start: %s\n", qPrintable(why));
            return 1;
        }
        const qint64 pid = desktop.engine()->pid();
        QThread::sleep(1); // past its start-up
        const auto before = cpuSeconds(pid);
        QThread::sleep(idleSeconds);
        const auto after = cpuSeconds(pid);
        if (before && after)
            std::printf("engine idle: %.3f s of CPU in %d s (%.3f %%); resident memory %s (default data)\n", *after - *before,
                        idleSeconds, 100.0 * (*after - *before) / idleSeconds, qPrintable(residentMemory(pid)));
    }
    return 0;
}
