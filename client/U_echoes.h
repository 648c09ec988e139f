// The user's messages a server with echo-message has yet to repeat, oldest
// first: an echo settles the oldest to its target, and a refusal names the
// line that was not sent. Bounded: a server that repeats nothing costs little.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

class TPendingEchoes {
 public:
  static constexpr size_t kMax = 100;

  // A PRIVMSG or NOTICE as it went on the wire; other lines are not repeated.
  void Sent(const std::string& wire);
  // The server repeated a line to `target`: the oldest one's wire, settled.
  std::optional<std::string> Echoed(const char* target);
  // The server refused a line to `target`: the text of the oldest one, taken.
  std::optional<std::string> Refused(const char* target);
  void Clear() { lines_.clear(); }

 private:
  struct TLine {
    std::string target;
    std::string text;
    std::string wire;
  };
  std::optional<TLine> TakeOldest(const char* target);

  std::deque<TLine> lines_;
};

// Whether the wire line is one echo-message repeats (PRIVMSG, NOTICE).
bool IsRepeatedLine(const std::string& wire);
