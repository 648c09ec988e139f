// The ranks a server gives channel members, highest first, as its 005 PREFIX
// names them ("(qaohv)~&@%+"): each rank's mode letter and the sign NAMES
// shows it with. Until a server says otherwise, those five.
#pragma once

#include <string>

class CZoMemberRanks {
 public:
  // Takes a PREFIX value; one that is no "(letters)signs" of equal length changes nothing.
  void Set(const char* prefix);
  void Reset() { *this = CZoMemberRanks(); }
  // The mode letter of a NAMES sign; 0 when the sign is no rank's.
  char LetterOf(char sign) const;
  bool IsRank(char letter) const { return letter && letters_.find(letter) != std::string::npos; }
  // One of `letters` is a rank at or above halfop (operator on a server without halfops).
  bool AtLeastHalfop(const char* letters) const;

 private:
  std::string letters_ = "qaohv";
  std::string signs_ = "~&@%+";
};
