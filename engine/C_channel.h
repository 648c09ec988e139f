// One channel the owner is in: members with their mode letters, topic, channel
// mode letters, key and user limit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "U_commondata.h"
#include "U_nameindex.h"

class CZoUser;

struct __stZoUserList {
  CZoUser* user;  // not owned
  ZoString modes;  // the rank letters the server gives: "o" operator, "h" halfop, "v" voice ...
};

// The member's nick; null for a vacant slot.
const char* ZoMemberName(const __stZoUserList& member);
// "@nick" for an operator, else "+nick" for voice, else the bare nick.
std::string ZoMemberEntry(const __stZoUserList& member);

class CZoChannel {
 public:
  explicit CZoChannel(const char* name) : name_(name) {}

  const char* Name() const { return name_.str(); }
  const char* Topic() const { return topic_.str(); }
  const char* Modes() const { return modes_.str(); }
  // The key while "k" is among the mode letters, otherwise null.
  const char* Key() const;
  // The user limit while "l" is among the mode letters, otherwise -1.
  int32_t Limit() const;
  // "@nick", "+nick" or "nick"; empty when the nick is no member.
  const char* MemberDisplayName(const char* nick, ZoString* out) const;
  // All members' display names joined by CR LF; null when there are none.
  const char* MemberListText(ZoString* out) const;

  const std::vector<__stZoUserList>& Members() const { return members_.Entries(); }
  __stZoUserList* FindMember(const char* nick);
  bool NamesComplete() const { return namesComplete_; }

 private:
  friend class CZoData;

  ZoString name_;
  ZoString topic_;
  ZoString modes_;
  ZoString key_;
  CZoNameIndex<__stZoUserList, ZoMemberName> members_;
  int32_t limit_ = 0;
  bool namesComplete_ = true;
};

// Appends `added`, then removes the first occurrence of each letter of `removed`.
void ZoApplyLetters(ZoString* letters, const char* added, const char* removed);
