// Base of the tests that run against a server instance of their own: it is
// started with the test's scenario, and when the test has released
// everything it must exit by itself.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "OpcTestSupport.h"
#include "ServerProcess.h"

class ServerFixture : public ::testing::Test {
 protected:
  void TearDown() override;
  // Starts the server on the scenario; records a failure and returns false
  // if it does not come up.
  bool StartServer(const std::string& scenario);
  // A new server object through the ProgID, as any client finds it.
  HRESULT Connect(ComPtr<IOPCEventServer>& out);

  ServerProcess server;
  bool started = false;
  // How long the server may take to exit after the last release.
  DWORD exitWaitMs = 5000;
};
