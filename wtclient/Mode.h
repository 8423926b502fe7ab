// Which AE server the library talks to: the in-process simulator (tests, and
// machines where our server is not registered) or a real one over COM.
#pragma once

namespace wtclient {

// True when WTCLIENT_SIM_SCENARIO names a scenario file or WTCLIENT_INPROCESS
// is 1. Read at each connect, so a process may switch between connections.
bool UseInProcessSimulator();

}  // namespace wtclient
