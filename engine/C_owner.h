// The engine's own user: its nick, its fixed user name, its away state.
#pragma once

#include "U_commondata.h"

class CZoOwner {
 public:
  const char* Nick() const { return nick_.str(); }
  void SetNick(const char* nick) { nick_ = nick; }
  const char* UserName() const { return userName_.str(); }
  // The server has marked the owner away (306) or back (305).
  bool Away() const { return away_; }
  void SetAway(bool away) { away_ = away; }

 private:
  ZoString nick_;
  ZoString userName_{"QUELBO"};
  bool away_ = false;
};
