// An engine whose events are recorded as text lines, for asserting on what
// was raised and in which order.
#pragma once

#include <string>
#include <vector>

#include "Zoengine.h"

struct EngineRecorder {
  EngineRecorder();
  // Lines recorded so far whose event name is one of `names` (all when empty).
  std::vector<std::string> Events(std::initializer_list<const char*> names = {}) const;
  bool Saw(const std::string& line) const;
  // Waits until `line` has been recorded.
  bool WaitFor(const std::string& line, int timeoutMs = 5000) const;
  // Waits until a line of event `name` holds `part`.
  bool WaitForPart(const char* name, const std::string& part, int timeoutMs = 5000) const;
  // Connects to 127.0.0.1:port, registers as `nick` and waits for the welcome.
  bool LogOn(uint16_t port, const std::string& nick);
  // LogOn, then joins `channel` and waits until it is in.
  bool LogOnAndJoin(uint16_t port, const std::string& nick, const std::string& channel);

  TZoEngine engine;
  std::vector<std::string> lines;
};
