// Checks the session data's links: every user is found under its own nick,
// no two users or members share a nick, and users and channels point at each
// other exactly as the member lists say.
#pragma once

#include <algorithm>
#include <string>

#include "U_data.h"

// The first broken link found, or an empty text when all hold.
inline std::string SessionFault(const CZoData& data) {
  for (const auto& user : data.Users()) {
    if (data.FindUser(user->Nick()) != user.get()) return std::string("user not found as itself: ") + user->Nick();
    if (user->ChannelCount() == 0) return std::string("user without channel: ") + user->Nick();
    for (CZoChannel* channel : user->Channels()) {
      if (data.FindChannel(channel->Name()) != channel) return std::string("user in a gone channel: ") + user->Nick();
      __stZoUserList* member = channel->FindMember(user->Nick());
      if (!member || member->user != user.get()) return std::string("user not a member: ") + user->Nick();
    }
  }
  size_t memberships = 0;
  for (const auto& channel : data.Channels()) {
    for (const __stZoUserList& member : channel->Members()) {
      if (data.FindUser(member.user->Nick()) != member.user) return std::string("member not a user: ") + member.user->Nick();
      if (channel->FindMember(member.user->Nick()) != &member) return std::string("member twice: ") + member.user->Nick();
      const auto& listed = member.user->Channels();
      if (std::find(listed.begin(), listed.end(), channel.get()) == listed.end())
        return std::string("member without its channel: ") + member.user->Nick();
      ++memberships;
    }
  }
  size_t links = 0;
  for (const auto& user : data.Users()) links += static_cast<size_t>(user->ChannelCount());
  return links == memberships ? "" : "channel links and member lists differ";
}
