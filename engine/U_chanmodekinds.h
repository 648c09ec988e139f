// Which channel modes take an argument, as the server's 005 CHANMODES says
// ("A,B,C,D": lists such as bans, modes with an argument both ways, modes
// with one only when set, flags), so that a MODE line's arguments go to the
// right letters. Until a server says otherwise, "beI,k,l,imnpst".
#pragma once

#include <string>

class CZoChanModeKinds {
 public:
  // Takes a CHANMODES value; one without its four groups changes nothing.
  void Set(const char* chanmodes);
  void Reset() { *this = CZoChanModeKinds(); }
  // A list mode (a ban, an exception): an entry of a list, no channel flag.
  bool IsList(char letter) const { return Has(lists_, letter); }
  bool TakesArgument(char letter, bool adding) const {
    return IsList(letter) || Has(always_, letter) || (adding && Has(whenSet_, letter));
  }

 private:
  static bool Has(const std::string& group, char letter) {
    return letter && group.find(letter) != std::string::npos;
  }

  std::string lists_ = "beI";
  std::string always_ = "k";
  std::string whenSet_ = "l";
};
