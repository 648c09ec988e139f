#include "C_channel.h"

#include <cstdlib>
#include <cstring>

#include "C_user.h"

const char* CZoChannel::Key() const { return strchr(Modes(), 'k') ? key_.str() : nullptr; }

int32_t CZoChannel::Limit() const { return strchr(Modes(), 'l') ? limit_ : -1; }

const char* ZoMemberName(const __stZoUserList& member) { return member.user ? member.user->Nick() : nullptr; }

__stZoUserList* CZoChannel::FindMember(const char* nick) { return members_.Find(nick); }

std::string ZoMemberEntry(const __stZoUserList& member) {
  const char* letters = member.modes.str();
  const char* prefix = strchr(letters, 'o') ? "@" : strchr(letters, 'v') ? "+" : "";
  return std::string(prefix) + member.user->Nick();
}

const char* CZoChannel::MemberDisplayName(const char* nick, ZoString* out) const {
  __stZoUserList* member = const_cast<CZoChannel*>(this)->FindMember(nick);
  *out = member ? ZoMemberEntry(*member).c_str() : "";
  return out->str();
}

const char* CZoChannel::MemberListText(ZoString* out) const {
  const std::vector<__stZoUserList>& members = Members();
  if (members.empty()) return nullptr;
  std::string text;
  for (const __stZoUserList& member : members) {
    if (&member != &members.front()) text += "\r\n";
    text += ZoMemberEntry(member);
  }
  *out = text.c_str();
  return out->str();
}

void ZoApplyLetters(ZoString* letters, const char* added, const char* removed) {
  std::string result = letters->str();
  // Each letter is held once: a mode reported again (every reply to a MODE
  // query repeats them all) must not survive its own removal.
  for (const char* letter = added; letter && *letter; ++letter)
    if (result.find(*letter) == std::string::npos) result += *letter;
  for (const char* letter = removed; letter && *letter; ++letter) {
    const size_t at = result.find(*letter);
    if (at != std::string::npos) result.erase(at, 1);
  }
  *letters = result.c_str();
}
