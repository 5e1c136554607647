#pragma once
// Fixtures for tests on the shared test X server: XServerTest skips (fails
// in CI), saying why, when no server could start; XClientTest adds a focused client window
// of the test's own and the linux backend, and lets go of every key and
// button at the end so one test's failure does not leak into the next.
#include "Platform.h"
#include "TestSupport.h"
#include "XClientWindow.h"

#include <gtest/gtest.h>
#include <memory>

namespace zelk::test {

class XServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString whyNot;
        xDisplay = sharedXDisplay(&whyNot);
        if (xDisplay.isEmpty())
            ZELK_SKIP_UNLESS_CI("no X server for the test: " << whyNot.toStdString());
    }

    QString xDisplay; // ":NN", also in $DISPLAY
};

class XClientTest : public XServerTest {
protected:
    void SetUp() override
    {
        XServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        client = std::make_unique<XClientWindow>(xDisplay);
        ASSERT_TRUE(client->isOpen()) << "cannot open a client window on " << xDisplay.toStdString();
        platform = makeLinuxPlatform();
    }

    void TearDown() override
    {
        platform.reset();
        if (client)
            client->releaseEverything();
    }

    std::unique_ptr<XClientWindow> client;
    std::unique_ptr<Platform> platform;
};

} // namespace zelk::test
