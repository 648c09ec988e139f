#include "U_data.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

CZoUser* CZoData::FindUser(const char* nick, int* index) const {
  std::unique_ptr<CZoUser>* user = users_.Find(nick, index);
  return user ? user->get() : nullptr;
}

CZoChannel* CZoData::FindChannel(const char* name, int* index) const {
  std::unique_ptr<CZoChannel>* channel = channels_.Find(name, index);
  return channel ? channel->get() : nullptr;
}

CZoChannel* CZoData::AddChannel(const char* name) {
  if (CZoChannel* channel = FindChannel(name)) return channel;
  if (!name || !*name) return nullptr;
  return channels_.Append(name, std::make_unique<CZoChannel>(name)).get();
}

void CZoData::RemoveChannel(const char* name) {
  CZoChannel* channel = FindChannel(name);
  if (!channel) return;
  ClearMembers(channel);
  channels_.Remove(name);
}

void CZoData::ClearMembers(CZoChannel* channel) {
  if (news_) news_->MembersClearing(*channel);
  for (const __stZoUserList& member : channel->Members()) {
    CZoUser* user = member.user;
    user->RemoveChannel(channel->Name());
    if (user->ChannelCount() == 0) users_.Remove(user->Nick());
  }
  channel->members_.Clear();
}

// Unlinks one member from one channel on both sides; a user left in no channel goes.
void CZoData::Leave(CZoChannel* channel, CZoUser* user, bool quit) {
  if (news_) news_->MemberLeaving(*channel, *channel->FindMember(user->Nick()), quit);
  channel->members_.Remove(user->Nick());
  user->RemoveChannel(channel->Name());
  if (user->ChannelCount() == 0) users_.Remove(user->Nick());
}

void CZoData::Join(CZoChannel* channel, const char* nick, const char* modes) {
  if (!nick || !*nick || channel->FindMember(nick)) return;
  CZoUser* user = FindUser(nick);
  if (!user) user = users_.Append(nick, std::make_unique<CZoUser>(nick)).get();
  user->AddChannel(channel);
  const __stZoUserList& member = channel->members_.Append(nick, {user, modes});
  if (news_ && channel->namesComplete_) news_->MemberJoined(*channel, member);
}

void CZoData::AddMember(const char* channel, const char* nick) {
  if (CZoChannel* found = FindChannel(channel)) Join(found, nick, "");
}

void CZoData::RemoveMember(const char* channel, const char* nick) {
  CZoChannel* found = FindChannel(channel);
  __stZoUserList* member = found ? found->FindMember(nick) : nullptr;
  if (member) Leave(found, member->user, false);
}

void CZoData::RemoveUser(const char* nick, bool quit) {
  CZoUser* user = FindUser(nick);
  if (!user) return;
  // Leaving the last channel deletes the user, so walk a copy.
  const std::vector<CZoChannel*> channels = user->Channels();
  for (CZoChannel* channel : channels) Leave(channel, user, quit);
}

void CZoData::AddNames(const char* channel, const char* names) {
  CZoChannel* found = FindChannel(channel);
  if (!found) return;
  if (found->namesComplete_) ClearMembers(found);
  found->namesComplete_ = names == nullptr;
  if (!names) {
    if (news_) news_->MembersListed(*found);
    return;
  }
  ZoStringSpc tokens;
  tokens.setText(names);
  while (const char* token = tokens.nextToken()) {
    // With multi-prefix a member may carry several signs ("~@+nick").
    std::string modes;
    for (char letter; (letter = ranks_.LetterOf(*token)); ++token)
      if (modes.find(letter) == std::string::npos) modes += letter;
    JoinListed(found, token, modes.c_str());
  }
}

// With userhost-in-names a name comes as "nick!user@host".
void CZoData::JoinListed(CZoChannel* channel, const char* name, const char* modes) {
  const char* bang = strchr(name, '!');
  if (!bang) return Join(channel, name, modes);
  const std::string nick(name, static_cast<size_t>(bang - name));
  Join(channel, nick.c_str(), modes);
  CZoUser* user = FindUser(nick.c_str());
  if (!user) return;
  const char* at = strchr(bang, '@');
  user->SetUserName(std::string(bang + 1, at ? static_cast<size_t>(at - bang - 1) : strlen(bang + 1)).c_str());
  if (at) user->SetHost(at + 1);
}

void CZoData::SetUserHost(const char* nick, const char* host) {
  if (CZoUser* user = FindUser(nick)) user->SetHost(host);
}

void CZoData::RenameUser(const char* oldNick, const char* newNick) {
  if (!newNick || !*newNick) return;
  CZoUser* user = FindUser(oldNick);
  CZoUser* holder = FindUser(newNick);
  if (holder && holder != user) RemoveUser(newNick, false);
  if (!user) return;
  const std::string old = user->Nick();
  for (CZoChannel* channel : user->Channels()) channel->members_.Rename(oldNick, newNick);
  users_.Rename(oldNick, newNick);
  user->SetNick(newNick);
  TellChanged(user, old.c_str());
}

void CZoData::TellChanged(CZoUser* user, const char* oldNick) {
  if (!news_) return;
  for (CZoChannel* channel : user->Channels())
    if (__stZoUserList* member = channel->FindMember(user->Nick())) news_->MemberChanged(*channel, *member, oldNick);
}

void CZoData::SetUserAway(CZoUser* user, const char* message) {
  const bool was = user->Away();
  user->SetAway(message);
  if (was != user->Away()) TellChanged(user, nullptr);
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
  if (!member) return;
  ZoApplyLetters(&member->modes, added, removed);
  if (news_) news_->MemberChanged(*found, *member, nullptr);
}

void CZoData::SetKey(const char* channel, const char* key) {
  CZoChannel* found = FindChannel(channel);
  if (found && key && *key) found->key_ = key;
}

void CZoData::SetLimit(const char* channel, const char* limit) {
  CZoChannel* found = FindChannel(channel);
  if (found && limit && isdigit(static_cast<unsigned char>(*limit))) found->limit_ = atoi(limit);
}

void CZoData::ClearSession() {
  if (news_)
    for (const auto& channel : channels_.Entries()) news_->MembersClearing(*channel);
  channels_.Clear();
  users_.Clear();
  ranks_.Reset();
  modeKinds_.Reset();
}
