// The gtest fixtures of the native tests. DesktopTest gives every test a clean process (see
// ResetProcessState) with every heap call succeeding; Far1Test also starts the plug-in in the
// host stand-in as FAR starts it, with the English messages in messages_.
#pragma once

#include "core/hidden_window_table.h"
#include "far1_support.h"
#include "heap_calls.h"
#include "sim_desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class DesktopTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override {
        heapcalls::ClearFailures();
        ResetProcessState();
    }
};

class Far1Test : public DesktopTest {
  protected:
    void SetUp() override {
        DesktopTest::SetUp();
        ASSERT_GE(messages_.size(), kMessageCount) << "VelumoEng.lng (VELUMO_LANG_DIR) not read";
        StartFar1();
    }

    const std::vector<std::string> messages_ = EnglishMessages();
};
