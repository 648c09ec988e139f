// The session as the engine sees it: the owner, the channels the owner is in
// with their members, and the users met in those channels. A user exists
// exactly while some channel lists it.
#pragma once

#include <memory>
#include <vector>

#include "C_channel.h"
#include "C_owner.h"
#include "C_user.h"

class CZoData {
 public:
  CZoData() = default;
  CZoData(const CZoData&) = delete;
  CZoData& operator=(const CZoData&) = delete;

  CZoUser* FindUser(const char* nick, int* index = nullptr) const;
  CZoChannel* FindChannel(const char* name, int* index = nullptr) const;
  CZoOwner* GetOwner() { return &owner_; }
  bool IsOwner(const char* nick) const { return ZoSameName(nick, owner_.Nick()); }
  void SetOwnerNick(const char* nick) { owner_.SetNick(nick); }

  CZoChannel* AddChannel(const char* name);
  void RemoveChannel(const char* name);
  void AddMember(const char* channel, const char* nick);
  void RemoveMember(const char* channel, const char* nick);
  void RemoveUser(const char* nick);
  // A null names text ends the listing.
  void AddNames(const char* channel, const char* names);
  void SetUserHost(const char* nick, const char* host);
  void RenameUser(const char* oldNick, const char* newNick);
  void SetTopic(const char* channel, const char* topic);
  void SetChannelModes(const char* channel, const char* added, const char* removed);
  void SetMemberMode(const char* channel, const char* nick, const char* added, const char* removed);
  void SetKey(const char* channel, const char* key);
  void SetLimit(const char* channel, const char* limit);

  int UserCount() const { return static_cast<int>(users_.size()); }
  int ChannelCount() const { return static_cast<int>(channels_.size()); }

 private:
  void Join(CZoChannel* channel, const char* nick, const char* modes);
  void ClearMembers(CZoChannel* channel);
  void DropOrphans();

  std::vector<std::unique_ptr<CZoUser>> users_;
  std::vector<std::unique_ptr<CZoChannel>> channels_;
  CZoOwner owner_;
};
