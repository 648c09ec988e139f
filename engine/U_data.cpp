#include "U_data.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

template <typename Item>
Item* FindByName(const std::vector<std::unique_ptr<Item>>& items, const char* name, int* index,
                 const char* (Item::*nameOf)() const) {
  if (!name || !*name) return nullptr;
  for (size_t i = 0; i < items.size(); ++i) {
    if (ZoSameName((items[i].get()->*nameOf)(), name)) {
      if (index) *index = static_cast<int>(i);
      return items[i].get();
    }
  }
  return nullptr;
}

}  // namespace

CZoUser* CZoData::FindUser(const char* nick, int* index) const {
  return FindByName(users_, nick, index, &CZoUser::Nick);
}

CZoChannel* CZoData::FindChannel(const char* name, int* index) const {
  return FindByName(channels_, name, index, &CZoChannel::Name);
}

CZoChannel* CZoData::AddChannel(const char* name) {
  if (CZoChannel* channel = FindChannel(name)) return channel;
  if (!name || !*name) return nullptr;
  channels_.push_back(std::make_unique<CZoChannel>(name));
  return channels_.back().get();
}

void CZoData::RemoveChannel(const char* name) {
  int index = 0;
  CZoChannel* channel = FindChannel(name, &index);
  if (!channel) return;
  ClearMembers(channel);
  channels_.erase(channels_.begin() + index);
}

void CZoData::ClearMembers(CZoChannel* channel) {
  for (const __stZoUserList& member : channel->members_) member.user->RemoveChannel(channel->Name());
  channel->members_.clear();
  DropOrphans();
}

void CZoData::DropOrphans() {
  std::erase_if(users_, [](const std::unique_ptr<CZoUser>& user) { return user->ChannelCount() == 0; });
}

void CZoData::Join(CZoChannel* channel, const char* nick, const char* modes) {
  if (!nick || !*nick || channel->FindMember(nick)) return;
  CZoUser* user = FindUser(nick);
  if (!user) {
    users_.push_back(std::make_unique<CZoUser>(nick));
    user = users_.back().get();
  }
  user->AddChannel(channel);
  channel->members_.push_back({user, modes});
}

void CZoData::AddMember(const char* channel, const char* nick) {
  if (CZoChannel* found = FindChannel(channel)) Join(found, nick, "");
}

void CZoData::RemoveMember(const char* channel, const char* nick) {
  CZoChannel* found = FindChannel(channel);
  if (!found) return;
  std::erase_if(found->members_, [nick](const __stZoUserList& m) { return ZoSameName(m.user->Nick(), nick); });
  CZoUser* user = FindUser(nick);
  if (!user) return;
  user->RemoveChannel(found->Name());
  DropOrphans();
}

void CZoData::RemoveUser(const char* nick) {
  int index = 0;
  CZoUser* user = FindUser(nick, &index);
  if (!user) return;
  for (CZoChannel* channel : user->Channels())
    std::erase_if(channel->members_, [user](const __stZoUserList& m) { return m.user == user; });
  users_.erase(users_.begin() + index);
}

void CZoData::AddNames(const char* channel, const char* names) {
  CZoChannel* found = FindChannel(channel);
  if (!found) return;
  if (found->namesComplete_) ClearMembers(found);
  found->namesComplete_ = names == nullptr;
  if (!names) return;
  ZoStringSpc tokens;
  tokens.setText(names);
  while (const char* token = tokens.nextToken()) {
    const char* modes = *token == '@' ? "o" : *token == '+' ? "v" : "";
    Join(found, *modes ? token + 1 : token, modes);
  }
}

void CZoData::SetUserHost(const char* nick, const char* host) {
  if (CZoUser* user = FindUser(nick)) user->SetHost(host);
}

void CZoData::RenameUser(const char* oldNick, const char* newNick) {
  if (CZoUser* user = FindUser(oldNick)) user->SetNick(newNick);
}

void CZoData::SetTopic(const char* channel, const char* topic) {
  if (CZoChannel* found = FindChannel(channel)) found->topic_ = topic;
}

void CZoData::SetChannelModes(const char* channel, const char* added, const char* removed) {
  if (CZoChannel* found = FindChannel(channel)) ZoApplyLetters(&found->modes_, added, removed);
}

void CZoData::SetMemberMode(const char* channel, const char* nick, const char* added, const char* removed) {
  CZoChannel* found = FindChannel(channel);
  __stZoUserList* member = found ? found->FindMember(nick) : nullptr;
  if (member) ZoApplyLetters(&member->modes, added, removed);
}

void CZoData::SetKey(const char* channel, const char* key) {
  CZoChannel* found = FindChannel(channel);
  if (found && key && *key) found->key_ = key;
}

void CZoData::SetLimit(const char* channel, const char* limit) {
  CZoChannel* found = FindChannel(channel);
  if (found && limit && isdigit(static_cast<unsigned char>(*limit))) found->limit_ = atoi(limit);
}
