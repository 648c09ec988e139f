#include "U_memberroute.h"

#include "C_channel.h"
#include "C_user.h"

IZoMemberNews* TMemberRoute::ListOf(const CZoChannel& channel) const { return listOf_(channel.Name()); }

std::vector<std::string> TMemberRoute::TakeQuitChannels(const char* nick) {
  std::vector<std::string> channels;
  if (ZoSameName(quitNick_.c_str(), nick)) channels.swap(quitFrom_);
  quitFrom_.clear();
  quitNick_.clear();
  return channels;
}

void TMemberRoute::MemberJoined(const CZoChannel& channel, const __stZoUserList& member) {
  if (IZoMemberNews* list = ListOf(channel)) list->MemberJoined(channel, member);
}

// Only channels with a window count: the line has nowhere else to go.
void TMemberRoute::MemberLeaving(const CZoChannel& channel, const __stZoUserList& member, bool quit) {
  IZoMemberNews* list = ListOf(channel);
  if (!list) return;
  if (quit) {
    if (!ZoSameName(quitNick_.c_str(), member.user->Nick())) quitFrom_.clear();
    quitNick_ = member.user->Nick();
    quitFrom_.emplace_back(channel.Name());
  }
  list->MemberLeaving(channel, member, quit);
}

void TMemberRoute::MemberChanged(const CZoChannel& channel, const __stZoUserList& member, const char* oldNick) {
  if (IZoMemberNews* list = ListOf(channel)) list->MemberChanged(channel, member, oldNick);
}

void TMemberRoute::MembersClearing(const CZoChannel& channel) {
  if (IZoMemberNews* list = ListOf(channel)) list->MembersClearing(channel);
}

void TMemberRoute::MembersListed(const CZoChannel& channel) {
  if (IZoMemberNews* list = ListOf(channel)) list->MembersListed(channel);
}
