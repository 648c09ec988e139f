// Feeds arbitrary received lines through the DCC offer parser and the file
// name helper that turns an offered name into a path part.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "C_analdcc.h"
#include "U_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, line.find('\0'));
  stIRC irc;
  CZoAnalysis::Parse(line.c_str(), &irc);
  stDCC dcc;
  CZoAnalDCC::Parse(irc, &dcc);
  const std::string name = SafeFileName(dcc.Arg);
  if (name.empty() || name.find('/') != std::string::npos || name[0] == '.' || name.size() > 255) __builtin_trap();
  if (strnlen(dcc.AddrText, sizeof dcc.AddrText) > 15) __builtin_trap();
  return 0;
}
