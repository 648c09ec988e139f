// The engine's own user: its nick and its fixed user name.
#pragma once

#include "U_commondata.h"

class CZoOwner {
 public:
  const char* Nick() const { return nick_.str(); }
  void SetNick(const char* nick) { nick_ = nick; }
  const char* UserName() const { return userName_.str(); }

 private:
  ZoString nick_;
  ZoString userName_{"QUELBO"};
};
