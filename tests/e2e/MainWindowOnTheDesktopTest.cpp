// The editor's main window on a real X server, driven from the keyboard
// with xdotool: the first row of the contexts pane shows every shortcut,
// and typing in the search field (Ctrl+F) filters the list. A screenshot
// is kept for people to look at.
#include "Desktop.h"

#include "TestSupport.h"

#include <QDir>
#include <QImage>
#include <QScreen>
#include <gtest/gtest.h>

using namespace zelk::e2e;

namespace {

class MainWindowOnTheDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop = std::make_unique<Desktop>();
        if (!desktop->whyNot().isEmpty())
            ZELK_SKIP_UNLESS_CI(desktop->whyNot().toStdString());
    }

    std::unique_ptr<Desktop> desktop;
};

TEST_F(MainWindowOnTheDesktopTest, TheFirstContextRowShowsEverythingAndTypingFilters)
{
    QString why;
    ASSERT_TRUE(desktop->startWindowManager(&why)) << why.toStdString();
    QProcessEnvironment environment = desktop->environment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("ZELK_PLATFORM", "virtual");
    Child preview(ZELK_LISTS_PREVIEW, {ZELK_SAMPLE_DATA}, environment, desktop->home() + "/preview.log");
    // At first start the universal context is selected: no sample shortcut is in it.
    ASSERT_TRUE(preview.waitForOutput("info: 0 element(s)", 20000)) << preview.output().toStdString();
    ASSERT_TRUE(pollUntil([&] { return !desktop->windowsOf(preview.pid()).isEmpty(); }, 15000));
    // The pane has the focus: its first row stands for all objects.
    ASSERT_TRUE(desktop->xdotool({"key", "Home"}));
    ASSERT_TRUE(preview.waitForOutput("info: 2 element(s)", 15000)) << preview.output().toStdString();
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+f"}));
    ASSERT_TRUE(desktop->xdotool({"type", "--delay", "50", "beep"}));
    ASSERT_TRUE(preview.waitForOutput("info: 1 element(s)", 15000)) << preview.output().toStdString();
    const QImage shot = desktop->screenshot();
    ASSERT_FALSE(shot.isNull());
    const QString artefacts = qEnvironmentVariable("ZELK_TEST_ARTEFACTS", QDir::tempPath());
    EXPECT_TRUE(shot.save(artefacts + "/main-window.png")) << artefacts.toStdString();
}

} // namespace
