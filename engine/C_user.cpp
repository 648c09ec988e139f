#include "C_user.h"

#include <algorithm>
#include <cstring>

#include "C_channel.h"

void CZoUser::AddChannel(CZoChannel* channel) {
  for (const CZoChannel* present : channels_)
    if (ZoSameName(present->Name(), channel->Name())) return;
  channels_.push_back(channel);
}

void CZoUser::RemoveChannel(const char* name) {
  std::erase_if(channels_, [name](const CZoChannel* channel) { return ZoSameName(channel->Name(), name); });
}

void CZoUser::SetAccount(const char* account) {
  const bool none = !account || strcmp(account, "*") == 0;
  if (!ZoSameBytes(account_.c_str(), none ? "" : account)) account_ = none ? "" : account;
}

void CZoUser::SetAway(const char* message) {
  away_ = message != nullptr;
  awayMessage_ = message ? message : "";
}
