// Every unit test starts from an empty simulated machine and must leave no handle open.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "InfInstall.h"
#include "winsim/control.h"

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winsim::Reset();
    // The library's tests run once more as on Wine, whose successful calls leave a stale code.
    if (std::getenv("WINSIM_STALE_LAST_ERROR")) winsim::LeaveLastErrorAfterSuccess(true);
    std::memset(g_szError, 0, sizeof g_szError);
    std::memset(g_szModemDesc, 0, sizeof g_szModemDesc);
  }
  void TearDown() override { EXPECT_EQ(winsim::OpenHandles(), 0) << "a handle was not released"; }
};
