// Carries the engine's member news to the member list of the channel's
// window, and notes the channels a quitting member left: the quit line goes
// to exactly those, and by the time the quit is raised no list holds it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "U_membernews.h"

class TMemberRoute : public IZoMemberNews {
 public:
  // The member list of a channel's window; null when none is open.
  using TListOf = std::function<IZoMemberNews*(const char* channel)>;
  explicit TMemberRoute(TListOf listOf) : listOf_(std::move(listOf)) {}

  // The channels `nick` left by its quit, in the order left; forgotten then.
  std::vector<std::string> TakeQuitChannels(const char* nick);

  void MemberJoined(const CZoChannel& channel, const __stZoUserList& member) override;
  void MemberLeaving(const CZoChannel& channel, const __stZoUserList& member, bool quit) override;
  void MemberChanged(const CZoChannel& channel, const __stZoUserList& member, const char* oldNick) override;
  void MembersClearing(const CZoChannel& channel) override;
  void MembersListed(const CZoChannel& channel) override;

 private:
  IZoMemberNews* ListOf(const CZoChannel& channel) const;

  TListOf listOf_;
  std::string quitNick_;
  std::vector<std::string> quitFrom_;
};
