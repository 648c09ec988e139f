// Which window asked for what a command brings back: a server with
// labeled-response tags each reply, or a batch of them, with the label the
// command went out with. Bounded: labels never answered are forgotten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>

#include "U_analysis.h"
#include "U_input.h"

class TAskedLabels {
 public:
  static constexpr size_t kMax = 32;

  // A new label for a command sent from `asker`.
  std::string Ask(const TFront& asker);
  // The window that asked for the line; null for lines no label answers.
  const TFront* Asker(const stIRC& record) const;
  // After the line was shown (a reply or a WHOIS line, what labeled commands
  // bring): an answer that is complete (a single reply, ACK, the end of its
  // batch) lets go of its label.
  void Handled(const stIRC& record);
  void Clear() { asked_.clear(); }

 private:
  void Forget(const std::string& label);

  std::deque<std::pair<std::string, TFront>> asked_;
  uint64_t next_ = 0;
};

// A command whose replies belong to the window that sent it (WHOIS, WHOWAS).
bool RepliesToAsker(const std::string& wire);
