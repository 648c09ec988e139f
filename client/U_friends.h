// The friends whose coming and going the server reports (MONITOR): the list
// from the settings and /monitor, and the lines that tell the server of it
// within the number of nicks the server will watch.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TFriends {
 public:
  // What a change sends, and the nicks left out for the server's limit.
  struct TChange {
    std::vector<std::string> lines;
    std::vector<std::string> refused;
  };

  // Nicks separated by commas (blanks around them allowed).
  void Set(std::string_view list);
  // A new connection: the lines that watch the list, as far as `limit` (-1: none) goes.
  TChange Watch(int limit) const;
  // "+a,b" adds the nicks (as far as `limit` goes), "-a,b" takes them off.
  TChange Change(std::string_view change, int limit);
  const std::vector<std::string>& Nicks() const { return nicks_; }

 private:
  bool Has(std::string_view nick) const;

  std::vector<std::string> nicks_;
};
