// The test program run as a second client process: it subscribes to the
// running server, signals the parent once notifications flow, and waits to
// be killed.
#pragma once

constexpr const char* kChildSwitch = "--child-subscriber";

// Runs the child; its exit code tells the parent what failed.
int RunChildSubscriber(const char* readyEventName);
