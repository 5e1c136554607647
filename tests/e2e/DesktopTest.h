#pragma once
// The fixture of the end-to-end cases that run the engine: a private
// desktop per case (skipped, saying why, where it cannot be had; failing
// in CI), the engine started on the case's data files with an X client of
// the test's own in front, and the engine's log printed when a case fails.
#include "DataFileRecords.h"
#include "Desktop.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <iostream>
#include <memory>

namespace zelk::e2e {

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop = std::make_unique<Desktop>();
        if (!desktop->whyNot().isEmpty())
            ZELK_SKIP_UNLESS_CI(desktop->whyNot().toStdString());
    }

    void TearDown() override
    {
        if (HasFailure() && desktop && desktop->engine())
            std::cerr << "--- engine log\n" << desktop->engineLog().toStdString() << "---\n";
        client.reset();
        desktop.reset();
    }

    // The engine on the data, and a client of ours in front.
    void start(const zelk::test::records::DataFiles& files)
    {
        ASSERT_TRUE(desktop->writeData(files));
        QString why;
        ASSERT_TRUE(desktop->startEngine(&why)) << why.toStdString();
        client = desktop->startClient("ZelkTarget");
        ASSERT_NE(client->window(), 0u) << "the test's X client has no window";
        ASSERT_TRUE(desktop->focus(*client));
    }

    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<KeyClient> client;
};

} // namespace zelk::e2e
