// The server's command line: register, unregister or serve, and the options
// of a serving process. Switches start with '/' or '-' and are not case
// sensitive; options take the next argument as their value.
#pragma once
#include <string>
#include <vector>

#include "framework/Types.h"

namespace opcsrv {

struct ServerOptions {
  enum Action { Serve, Register, Unregister };
  Action action = Serve;
  bool embedding = false;  // started by COM
  String scenario;         // empty: the default plant
  String readyEvent;       // named event to set once clients can reach us
  String logFile;
};

// false with error set for an unknown switch or a missing value.
bool ParseCommandLine(const std::vector<String>& args, ServerOptions& out, std::string& error);

// The LocalServer32 command line: the quoted program, then the scenario
// and the log file when given.
String LocalServerCommand(const String& exePath, const String& scenario, const String& logFile = String());

}  // namespace opcsrv
