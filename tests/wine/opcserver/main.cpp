// The test program's entry: the tests in the MTA, or the child client.
#include <gtest/gtest.h>

#include <cstring>

#include "ChildSubscriber.h"
#include "OpcTestSupport.h"

int main(int argc, char** argv) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  int rc;
  if (argc >= 3 && std::strcmp(argv[1], kChildSwitch) == 0) {
    rc = RunChildSubscriber(argv[2]);
  } else {
    testing::InitGoogleTest(&argc, argv);
    rc = RUN_ALL_TESTS();
  }
  CoUninitialize();
  return rc;
}
