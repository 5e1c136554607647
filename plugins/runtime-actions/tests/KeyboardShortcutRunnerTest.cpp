// The typing action type, running side, with the engine's QVUtility on the
// virtual desktop: the exact keys typed for texts, line ends, a character
// through a dead key, one the layout can't type, a stop part way, and the
// date, file and clipboard models.
#include "KeyboardShortcut/KeyboardShortcut.h"
#include "QVUtility.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <chrono>
#include <gtest/gtest.h>
#include <chrono>
#include <thread>
#include <vector>

using namespace zelk;
using namespace zelk::test;

namespace {

// The events of one character's keystroke: the key, or shift around it.
QStringList key(int code)
{
    return {QString("down %1").arg(code), QString("up %1").arg(code)};
}

QStringList shifted(int code)
{
    return QStringList{"down 56"} + key(code) + QStringList{"up 56"};
}

// What typing posts: the bracket opens; each character's keys, the bracket
// closed and opened again around the wait; the bracket closes.
QStringList typed(const QList<QStringList>& characters)
{
    QStringList log{"exclusive-begin"};
    for (const QStringList& keys : characters)
        log << keys << "exclusive-end" << "exclusive-begin";
    log << "exclusive-end";
    return log;
}

class KeyboardShortcutRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        desktop = VirtualPlatform::current();
        ASSERT_NE(desktop, nullptr);
        ClassRegistry::shared().registerClass(&::engine::QVUtility::sharedUtility());
        desktop->clearEventLog();
    }

    void TearDown() override { ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility")); }

    std::shared_ptr<QVAction> make(const QVariantMap& data)
    {
        return actionWithParameters("KeyboardShortcut", "type", 11, data);
    }

    QString run(const std::shared_ptr<QVAction>& action) { return action->runActionFromObject(controller); }
    QString run(const QVariantMap& data) { return run(make(data)); }

    QString typeText(const QString& text) { return run(params({{"Action", 1}, {"Text", text}, {"CharSecond", 1000}})); }

    QStringList log() const { return desktop->eventLogStrings(); }

    VirtualPlatform* desktop = nullptr;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
};

TEST_F(KeyboardShortcutRunnerTest, TypesEachCharacterWithLineEndsAsReturn)
{
    // A carriage return and a line feed give two Returns, a lone line feed one.
    EXPECT_EQ(typeText("Hi\r\nx\ny"), QString());
    EXPECT_EQ(log(), typed({shifted(4), key(34), key(36), key(36), key(7), key(36), key(16)}));
    EXPECT_EQ(desktop->exclusiveDepth(), 0);
}

TEST_F(KeyboardShortcutRunnerTest, TypesThroughADeadKey)
{
    // é: option-e, then e.
    EXPECT_EQ(typeText("é!"), QString());
    const QStringList acute{"down 58", "down 14", "up 14", "up 58", "down 14", "up 14"};
    EXPECT_EQ(log(), typed({acute, shifted(18)}));
}

TEST_F(KeyboardShortcutRunnerTest, SkipsWhatTheLayoutCantTypeAndNamesIt)
{
    const QString result = typeText("a€b€");
    EXPECT_EQ(log(), typed({key(0), {}, key(11), {}}));  // the rest in order
    EXPECT_EQ(result, "The keyboard layout can’t type these characters, which were left out: €");
}

TEST_F(KeyboardShortcutRunnerTest, StopEndsTypingWithoutError)
{
    controller->stopAfter = 3;
    EXPECT_EQ(typeText("abcdef"), QString());
    EXPECT_EQ(log(), typed({key(0), key(11), key(8)}));
    EXPECT_EQ(desktop->exclusiveDepth(), 0);  // local input goes through again
}

TEST_F(KeyboardShortcutRunnerTest, EmptyTextAndUnknownModel)
{
    EXPECT_EQ(typeText(""), QString());
    EXPECT_EQ(log(), typed({}));
    desktop->clearEventLog();
    EXPECT_EQ(run(params({{"Action", 9}, {"Text", "x"}})), QString());
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(KeyboardShortcutRunnerTest, SpeedBelowOneStillTypes)
{
    EXPECT_EQ(run(params({{"Action", 1}, {"Text", "x"}, {"CharSecond", 0}})), QString());
    EXPECT_EQ(log(), typed({key(7)}));
}

// Notes when each character is asked for, just before it is typed.
class PacedController : public TestController {
public:
    bool canGoRunning() override
    {
        asks.push_back(std::chrono::steady_clock::now());
        return TestController::canGoRunning();
    }
    std::vector<std::chrono::steady_clock::time_point> asks;
};

// The n-th character is never typed before n periods have passed, however
// quickly the ones before it went: the speed is an upper bound on the
// whole text, not only between two characters.
TEST_F(KeyboardShortcutRunnerTest, NeverTypesAheadOfItsSpeed)
{
    const struct {
        QVariant stored;
        int charSecond;
    } cases[] = {{100, 100}, {QVariant(), 50}};
    for (const auto& c : cases) {
        QVariantMap data = params({{"Action", 1}, {"Text", "abcdef"}});
        if (c.stored.isValid())
            data.insert("CharSecond", c.stored);
        auto paced = std::make_shared<PacedController>();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(make(data)->runActionFromObject(paced), QString());
        ASSERT_EQ(paced->asks.size(), 6u);
        const std::chrono::duration<double> period(1.0 / c.charSecond);
        for (size_t i = 1; i < paced->asks.size(); ++i)
            EXPECT_GE(paced->asks[i] - start, double(i) * period) << "character " << i << " at " << c.charSecond;
    }
}

TEST_F(KeyboardShortcutRunnerTest, TypesTheDateFormattedAtTheStart)
{
    VirtualClock& clock = desktop->virtualClock();
    const QDateTime before = clock.now();
    clock.setNow(QDateTime(QDate(2026, 1, 7), QTime(12, 0)));
    EXPECT_EQ(run(params({{"Action", 2}, {"Text", "%y-%m"}, {"CharSecond", 1000}})), QString());
    clock.setNow(before);
    EXPECT_EQ(log(), typed({key(19), key(22), key(27), key(29), key(18)}));  // 26-01
}

TEST_F(KeyboardShortcutRunnerTest, FileIsReadAgainOnlyWhenItChanged)
{
    const QString path = home->path() + "/notes.txt";
    auto write = [&](const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    write("ab");
    auto action = make(params({{"Action", 3},
                               {"Path", path},
                               {"FSRef", QVAction::FSRefForPath(path)},
                               {"CharSecond", 1000}}));
    EXPECT_EQ(run(action), QString());
    EXPECT_EQ(log(), typed({key(0), key(11)}));

    // Same size, same date: the held text is typed.
    QFile file(path);
    const QDateTime modified = QFileInfo(path).lastModified();
    write("cd");
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();
    desktop->clearEventLog();
    EXPECT_EQ(run(action), QString());
    EXPECT_EQ(log(), typed({key(0), key(11)}));

    // Changed: read again.
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified.addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    desktop->clearEventLog();
    EXPECT_EQ(run(action), QString());
    EXPECT_EQ(log(), typed({key(8), key(2)}));

    // Gone: the error names where it was looked for.
    QFile::remove(path);
    desktop->clearEventLog();
    EXPECT_EQ(run(action), QString("The file “%1” can’t be found.").arg(path));
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(KeyboardShortcutRunnerTest, ClipboardIsReadOnTheMainThread)
{
    QGuiApplication::clipboard()->setText("ok");
    auto action = make(params({{"Action", 4}, {"CharSecond", 1000}}));
    std::thread thread([&] { action->runActionFromObjectInThread(controller); });
    EXPECT_TRUE(waitUntil([&] { return controller->ended.load(); }));
    thread.join();
    EXPECT_EQ(controller->outcome, QString());
    EXPECT_EQ(log(), typed({key(31), key(40)}));

    QGuiApplication::clipboard()->setMimeData(new QMimeData);
    desktop->clearEventLog();
    EXPECT_EQ(run(action), "There is no text on the clipboard.");
    EXPECT_TRUE(log().isEmpty());

    QGuiApplication::clipboard()->setText("");  // empty text: nothing typed, success
    EXPECT_EQ(run(action), QString());
    EXPECT_EQ(log(), typed({}));
}

} // namespace
