#include "C_user.h"

#include <algorithm>

#include "C_channel.h"

void CZoUser::AddChannel(CZoChannel* channel) {
  for (const CZoChannel* present : channels_)
    if (ZoSameName(present->Name(), channel->Name())) return;
  channels_.push_back(channel);
}

void CZoUser::RemoveChannel(const char* name) {
  std::erase_if(channels_, [name](const CZoChannel* channel) { return ZoSameName(channel->Name(), name); });
}
