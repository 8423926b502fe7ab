#include "opcserver/core/CommandLine.h"

namespace opcsrv {
namespace {

String Lower(String s) {
  for (char16_t& c : s)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return s;
}

std::string Narrow(const String& s) {
  std::string out;
  for (char16_t c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace

bool ParseCommandLine(const std::vector<String>& args, ServerOptions& out, std::string& error) {
  out = ServerOptions();
  for (size_t i = 0; i < args.size(); ++i) {
    const String& a = args[i];
    if (a.size() < 2 || (a[0] != u'/' && a[0] != u'-')) {
      error = "unexpected argument '" + Narrow(a) + "'";
      return false;
    }
    // "--scenario" and "-scenario" alike.
    const String name = Lower(a.substr(a[1] == u'-' ? 2 : 1));
    String* value = nullptr;
    if (name == u"regserver") out.action = ServerOptions::Register;
    else if (name == u"unregserver") out.action = ServerOptions::Unregister;
    else if (name == u"embedding" || name == u"automation") out.embedding = true;
    else if (name == u"scenario") value = &out.scenario;
    else if (name == u"ready") value = &out.readyEvent;
    else if (name == u"log") value = &out.logFile;
    else {
      error = "unknown switch '" + Narrow(a) + "'";
      return false;
    }
    if (value) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = "switch '" + Narrow(a) + "' needs a value";
        return false;
      }
      *value = args[++i];
    }
  }
  return true;
}

String LocalServerCommand(const String& exePath, const String& scenario, const String& logFile) {
  String cmd = u"\"" + exePath + u"\"";
  if (!scenario.empty()) cmd += u" --scenario \"" + scenario + u"\"";
  if (!logFile.empty()) cmd += u" --log \"" + logFile + u"\"";
  return cmd;
}

}  // namespace opcsrv
