// What the session data tells one listener about channel members as they
// change, so a member list can follow the engine's own records instead of
// keeping a copy of them.
#pragma once

class CZoChannel;
struct __stZoUserList;

class IZoMemberNews {
 public:
  virtual ~IZoMemberNews() = default;

  // After the member was added. Members a names listing brings are not told
  // one by one: the listing ends in MembersListed.
  virtual void MemberJoined(const CZoChannel& channel, const __stZoUserList& member) = 0;
  // Before the member goes; the member and its user are still whole. `quit`:
  // the user left the server, not just the channel.
  virtual void MemberLeaving(const CZoChannel& channel, const __stZoUserList& member, bool quit) = 0;
  // After its mode letters, its nick (then `oldNick` is the one before) or
  // its away state changed.
  virtual void MemberChanged(const CZoChannel& channel, const __stZoUserList& member, const char* oldNick) = 0;
  // Before every member of the channel is forgotten at once: a new listing
  // starts, the channel was left or the connection closed.
  virtual void MembersClearing(const CZoChannel& channel) = 0;
  // A names listing has ended: every member is there.
  virtual void MembersListed(const CZoChannel& channel) = 0;
};
