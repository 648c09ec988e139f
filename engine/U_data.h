// The session as the engine sees it: the owner, the channels the owner is in
// with their members, and the users met in those channels. A user exists
// exactly while some channel lists it, and no two users share a nick.
#pragma once

#include <memory>
#include <vector>

#include "C_channel.h"
#include "C_owner.h"
#include "C_user.h"
#include "U_chanmodekinds.h"
#include "U_memberranks.h"
#include "U_membernews.h"
#include "U_nameindex.h"

class CZoData {
 public:
  CZoData() = default;
  CZoData(const CZoData&) = delete;
  CZoData& operator=(const CZoData&) = delete;

  // The one listener told of every member change; null for none.
  void SetMemberNews(IZoMemberNews* news) { news_ = news; }

  CZoUser* FindUser(const char* nick, int* index = nullptr) const;
  CZoChannel* FindChannel(const char* name, int* index = nullptr) const;
  CZoOwner* GetOwner() { return &owner_; }
  bool IsOwner(const char* nick) const { return ZoSameName(nick, owner_.Nick()); }
  void SetOwnerNick(const char* nick) { owner_.SetNick(nick); }
  // The server's member ranks, from its 005; they last as long as the session.
  CZoMemberRanks& Ranks() { return ranks_; }
  const CZoMemberRanks& Ranks() const { return ranks_; }
  // Which of its channel modes take arguments, from the same 005.
  CZoChanModeKinds& ModeKinds() { return modeKinds_; }

  CZoChannel* AddChannel(const char* name);
  void RemoveChannel(const char* name);
  void AddMember(const char* channel, const char* nick);
  void RemoveMember(const char* channel, const char* nick);
  // The user left the server (`quit`), or its nick went to someone else.
  void RemoveUser(const char* nick, bool quit = true);
  // A null names text ends the listing.
  void AddNames(const char* channel, const char* names);
  void SetUserHost(const char* nick, const char* host);
  // A user already holding the new nick is stale (the server has given the
  // nick away) and leaves every channel first.
  void RenameUser(const char* oldNick, const char* newNick);
  void SetTopic(const char* channel, const char* topic);
  void SetChannelModes(const char* channel, const char* added, const char* removed);
  void SetMemberMode(const char* channel, const char* nick, const char* added, const char* removed);
  // A null message: back again.
  void SetUserAway(CZoUser* user, const char* message);
  void SetKey(const char* channel, const char* key);
  void SetLimit(const char* channel, const char* limit);
  // Forgets the channels, users and ranks of a connection that has closed;
  // the owner stays. The next connection reports them afresh.
  void ClearSession();

  int ChannelCount() const { return static_cast<int>(channels_.Size()); }
  // In order of arrival.
  const std::vector<std::unique_ptr<CZoUser>>& Users() const { return users_.Entries(); }
  const std::vector<std::unique_ptr<CZoChannel>>& Channels() const { return channels_.Entries(); }

 private:
  static const char* UserNick(const std::unique_ptr<CZoUser>& user) { return user ? user->Nick() : nullptr; }
  static const char* ChannelName(const std::unique_ptr<CZoChannel>& channel) {
    return channel ? channel->Name() : nullptr;
  }

  void Join(CZoChannel* channel, const char* nick, const char* modes);
  void JoinListed(CZoChannel* channel, const char* name, const char* modes);
  void Leave(CZoChannel* channel, CZoUser* user, bool quit);
  void ClearMembers(CZoChannel* channel);
  // MemberChanged in every channel the user is in.
  void TellChanged(CZoUser* user, const char* oldNick);

  CZoNameIndex<std::unique_ptr<CZoUser>, UserNick> users_;
  CZoNameIndex<std::unique_ptr<CZoChannel>, ChannelName> channels_;
  CZoOwner owner_;
  CZoMemberRanks ranks_;
  CZoChanModeKinds modeKinds_;
  IZoMemberNews* news_ = nullptr;
};
