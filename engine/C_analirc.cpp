#include "C_analirc.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <utility>

#include "U_data.h"
#include "U_ircline.h"

namespace {

// A trailing parameter without its colon; servers may leave the colon out of a
// one-word parameter, and then nothing is dropped.
const char* Trailing(const char* text) { return text[0] == ':' ? text + 1 : text; }

// Splits `text` at its first space in place; returns what follows, or null.
char* CutAtSpace(char* text) {
  char* space = strchr(text, ' ');
  if (!space) return nullptr;
  *space = 0;
  return space + 1;
}

// Everything after the command word. The record splits off the first
// parameter only for prefixed lines, and a one-parameter message (QUIT :bye,
// a prefixed PING) would otherwise lose its text.
void AllParameters(const stIRC& r, char (&out)[sizeof r.rest]) {
  if (!r.param1[0]) {
    ZoCopy(out, r.rest);
    return;
  }
  snprintf(out, sizeof out, r.rest[0] ? "%s %s" : "%s", r.param1, r.rest);
}

bool IsWhoisNumeric(int numeric) {
  switch (numeric) {
    case 311: case 312: case 313: case 314: case 315: case 317: case 318: case 319: case 330: case 352: case 369:
      return true;
    default:
      return false;
  }
}

bool IsMessage(const char* command) { return strcasecmp(command, "PRIVMSG") == 0 || strcasecmp(command, "NOTICE") == 0; }

}  // namespace

// A receiver may analyse another line meanwhile: the outer line's mark is kept.
void CZoAnalIRC::Handle(stIRC* record) {
  const bool outer = std::exchange(typed_, false);
  // Replayed history tells of the past: its joins, quits and modes are no news of members.
  if (!record->history || IsMessage(record->command)) Analyse(record);
  if (!std::exchange(typed_, outer)) ZoRaise(events_.OnReply, record);
  ZoRaise(events_.OnIRC, record);
}

void CZoAnalIRC::Analyse(stIRC* record) {
  if (isalpha(static_cast<unsigned char>(record->command[0]))) {
    isCommand_ = true;
    NoteAccountTag(*record);
    ZoCopy(command_, record->command);
    HandleCommand(record);
  } else {
    isCommand_ = false;
    numeric_ = atoi(record->command);
    if (numeric_ < 400) HandleNumeric(record);
  }
}

void CZoAnalIRC::HandleCommand(stIRC* r) {
  const char* trailing = Trailing(r->rest);
  if (strcasecmp(command_, "PRIVMSG") == 0) {
    data_->SetUserHost(r->nick, r->host);
    Raise(events_.OnPrivmsg, r->nick, r->param1, trailing);
  } else if (strcasecmp(command_, "NOTICE") == 0) {
    if (r->nick[0]) data_->SetUserHost(r->nick, r->host);
    Raise(events_.OnNotice, r->nick[0] ? r->nick : r->host, r->param1, trailing);
  } else if (strcasecmp(command_, "NICK") == 0) {
    const char* newNick = ZoParam(*r, 0);
    data_->SetUserHost(r->nick, r->host);
    data_->RenameUser(r->nick, newNick);
    if (data_->IsOwner(r->nick)) data_->SetOwnerNick(newNick);
    typed_ = true;
    events_.atNick(r->nick, newNick);
  } else if (strcasecmp(command_, "JOIN") == 0) {
    HandleJoin(r);
  } else if (strcasecmp(command_, "PART") == 0) {
    HandlePart(r);
  } else if (strcasecmp(command_, "QUIT") == 0) {
    if (data_->IsOwner(r->nick)) return;
    char message[sizeof r->rest];
    AllParameters(*r, message);
    data_->RemoveUser(r->nick);
    Raise(events_.OnOtherQuit, r->nick, message);
  } else if (strcasecmp(command_, "KICK") == 0) {
    HandleKick(r);
  } else if (strcasecmp(command_, "MODE") == 0) {
    HandleMode(r);
  } else if (strcasecmp(command_, "INVITE") == 0) {
    // With invite-notify, operators also hear of invites to others: those are replies.
    if (data_->IsOwner(ZoParam(*r, 0))) Raise(events_.OnInvite, ZoParam(*r, 1), r->nick);
  } else if (strcasecmp(command_, "TOPIC") == 0) {
    data_->SetTopic(ZoParam(*r, 0), ZoParam(*r, 1));
    Raise(events_.OnTopic, ZoParam(*r, 0), r->nick, ZoParam(*r, 1));
  } else if (strcasecmp(command_, "PING") == 0) {
    HandlePing(r);
  } else {
    HandleUserNews(r);
  }
}

// What other users' changes tell the session data; the record goes on as a reply.
void CZoAnalIRC::HandleUserNews(stIRC* r) {
  CZoUser* user = data_->FindUser(r->nick);
  if (!user) return;
  if (strcasecmp(command_, "AWAY") == 0) {
    data_->SetUserAway(user, r->paramCount > 0 ? ZoParam(*r, 0) : nullptr);
  } else if (strcasecmp(command_, "ACCOUNT") == 0) {
    user->SetAccount(ZoParam(*r, 0));
  } else if (strcasecmp(command_, "CHGHOST") == 0 && r->paramCount >= 2) {
    user->SetUserName(ZoParam(*r, 0));
    user->SetHost(ZoParam(*r, 1));
  } else if (strcasecmp(command_, "SETNAME") == 0) {
    user->SetRealName(ZoParam(*r, 0));
  }
}

void CZoAnalIRC::NoteAccountTag(const stIRC& r) {
  const char* account = ZoTag(r.tags, "account");
  CZoUser* user = account ? data_->FindUser(r.nick) : nullptr;
  if (user) user->SetAccount(account);
}

void CZoAnalIRC::HandleJoin(stIRC* r) {
  const char* channel = ZoParam(*r, 0);
  if (data_->IsOwner(r->nick)) {
    data_->AddChannel(channel);
    Raise(events_.OnOwnerJoin, channel);
    return;
  }
  data_->AddMember(channel, r->nick);
  data_->SetUserHost(r->nick, r->host);
  if (CZoUser* user = data_->FindUser(r->nick)) {
    user->SetUserName(r->user);
    // extended-join: "JOIN #c account :real name"
    if (r->paramCount >= 3) {
      user->SetAccount(ZoParam(*r, 1));
      user->SetRealName(ZoParam(*r, 2));
    }
  }
  Raise(events_.OnOtherJoin, channel, r->nick);
}

void CZoAnalIRC::HandlePart(stIRC* r) {
  const char* channel = ZoParam(*r, 0);
  if (data_->IsOwner(r->nick)) {
    data_->RemoveChannel(channel);
    Raise(events_.OnOwnerPart, channel, r->rest);
    return;
  }
  data_->RemoveMember(channel, r->nick);
  Raise(events_.OnOtherPart, channel, r->nick, r->rest);
}

void CZoAnalIRC::HandleKick(stIRC* r) {
  const char* channel = ZoParam(*r, 0);
  const char* victim = ZoParam(*r, 1);
  if (data_->IsOwner(victim))
    data_->RemoveChannel(channel);
  else
    data_->RemoveMember(channel, victim);
  Raise(events_.OnKick, channel, r->nick, victim, ZoParam(*r, 2));
}

void CZoAnalIRC::HandleMode(stIRC* r) {
  if (r->nick[0]) data_->SetUserHost(r->nick, r->host);
  char modes[sizeof r->paramText];
  ZoJoinParams(*r, 1, modes);
  ApplyModes(ZoParam(*r, 0), modes);
  Raise(events_.OnMode, ZoParam(*r, 0), r->nick[0] ? r->nick : r->host, modes);
}

void CZoAnalIRC::HandlePing(stIRC* r) {
  char token[sizeof r->rest];
  AllParameters(*r, token);
  if (sendLine_) sendLine_(Irc::Pong(token).c_str());
  Raise(events_.OnPing, nullptr);
}

void CZoAnalIRC::HandleNumeric(stIRC* r) {
  if (numeric_ == 1) {
    typed_ = true;
    events_.atLogon(nullptr);
  } else if (numeric_ == 5) {
    for (size_t i = 1; i + 1 < r->paramCount; ++i) {
      if (strncasecmp(ZoParam(*r, i), "PREFIX=", 7) == 0) data_->Ranks().Set(ZoParam(*r, i) + 7);
      if (strncasecmp(ZoParam(*r, i), "CHANMODES=", 10) == 0) data_->ModeKinds().Set(ZoParam(*r, i) + 10);
    }
  } else if (IsWhoisNumeric(numeric_)) {
    NoteWhoisNews(*r);
    Raise(events_.OnWhois, r->rest, numeric_, r->rest);
  } else if (numeric_ == 301) {
    if (CZoUser* user = data_->FindUser(ZoParam(*r, 1))) data_->SetUserAway(user, ZoParam(*r, 2));
  } else if (numeric_ == 305 || numeric_ == 306) {
    data_->GetOwner()->SetAway(numeric_ == 306);
  } else if (numeric_ == 321 || numeric_ == 323) {
    Raise(events_.OnList, numeric_, nullptr, nullptr, 0);
  } else if (numeric_ == 322) {
    HandleList(r);
  } else if (numeric_ == 324) {
    HandleChannelModes(r);
  } else if (numeric_ == 331 || numeric_ == 332) {
    HandleTopicReply(r, numeric_ == 332);
  } else if (numeric_ == 353) {
    HandleNames(r);
  } else if (numeric_ == 366) {
    HandleEndOfNames(r);
  }
}

// 330 "me nick account :is logged in as"; 352 "me #c user host server nick
// H|G... :hops real name" (G: gone, away).
void CZoAnalIRC::NoteWhoisNews(const stIRC& r) {
  if (numeric_ == 330) {
    if (CZoUser* user = data_->FindUser(ZoParam(r, 1))) user->SetAccount(ZoParam(r, 2));
    return;
  }
  if (numeric_ != 352 || r.paramCount < 8) return;
  CZoUser* user = data_->FindUser(ZoParam(r, 5));
  if (!user) return;
  user->SetUserName(ZoParam(r, 2));
  user->SetHost(ZoParam(r, 3));
  const char* flags = ZoParam(r, 6);
  if (flags[0] == 'G' && !user->Away()) data_->SetUserAway(user, "");
  if (flags[0] == 'H') data_->SetUserAway(user, nullptr);
  const char* hops = ZoParam(r, 7);
  const char* realName = strchr(hops, ' ');
  user->SetRealName(realName ? realName + 1 : "");
}

std::vector<std::string> ZoMonitorNicks(const stIRC& r) {
  std::vector<std::string> nicks;
  const char* list = ZoParam(r, r.paramCount - 1u);
  for (const char* at = list; *at;) {
    const size_t length = strcspn(at, ",");
    const size_t nick = std::min(length, strcspn(at, "!,"));
    if (nick > 0) nicks.emplace_back(at, nick);
    at += length + (at[length] == ',');
  }
  return nicks;
}

void CZoAnalIRC::HandleList(stIRC* r) {
  Raise(events_.OnList, numeric_, ZoParam(*r, 1), ZoParam(*r, 3), atoi(ZoParam(*r, 2)));
}

void CZoAnalIRC::HandleChannelModes(stIRC* r) {
  const char* channel = ZoParam(*r, 1);
  char modes[sizeof r->paramText];
  ZoJoinParams(*r, 2, modes);
  if (modes[0]) ApplyModes(channel, modes);
  Raise(events_.OnNMode, channel, modes);
}

void CZoAnalIRC::HandleTopicReply(stIRC* r, bool hasTopic) {
  const char* channel = ZoParam(*r, 1);
  const char* topic = hasTopic ? ZoParam(*r, 2) : "";
  data_->SetTopic(channel, topic);
  Raise(events_.OnNTopic, channel, topic);
}

// "353 me = #c :names", or without the "=" from older servers: the channel is
// the word before the names either way. A reply without names ends in the channel.
void CZoAnalIRC::HandleNames(stIRC* r) {
  const auto isChannel = [](const char* name) { return name[0] == '#' || name[0] == '&'; };
  const char* last = ZoParam(*r, r->paramCount - 1u);
  const char* channel = r->paramCount >= 3 ? ZoParam(*r, r->paramCount - 2u) : "";
  const char* names = last;
  if (!isChannel(channel) && r->paramCount >= 2 && isChannel(last)) {
    channel = last;
    names = nullptr;
  }
  if (!isChannel(channel)) {
    Raise(events_.OnNames, nullptr, nullptr);
    return;
  }
  data_->AddNames(channel, names);
  Raise(events_.OnNames, channel, names);
}

void CZoAnalIRC::HandleEndOfNames(stIRC* r) {
  const char* channel = ZoParam(*r, 1);
  data_->AddNames(channel, nullptr);
  Raise(events_.OnNames, channel, nullptr);
}

void CZoAnalIRC::ApplyModes(const char* target, const char* modeText) {
  char original[128];
  ZoCopy(original, modeText);
  char letters[512];
  ZoCopy(letters, Trailing(modeText));
  ZoStringSpc arguments;
  arguments.setText(CutAtSpace(letters));

  char added[32] = {};
  char removed[32] = {};
  bool adding = true;
  bool channelLetters = false;
  for (const char* letter = letters; *letter; ++letter) {
    const char c = *letter;
    if (c == '+' || c == '-') {
      adding = c == '+';
      continue;
    }
    if (data_->Ranks().IsRank(c)) {
      const char* nick = arguments.nextToken();
      if (!nick) continue;
      const char letterText[2] = {c, 0};
      data_->SetMemberMode(target, nick, adding ? letterText : "", adding ? "" : letterText);
      const char change[3] = {adding ? '+' : '-', c, 0};
      Raise(events_.OnUserMode, target, nick, change);
      continue;
    }
    const CZoChanModeKinds& kinds = data_->ModeKinds();
    const char* argument = kinds.TakesArgument(c, adding) ? arguments.nextToken() : nullptr;
    if (c == 'k') data_->SetKey(target, argument);
    if (c == 'l' && adding) data_->SetLimit(target, argument);
    channelLetters = true;
    if (kinds.IsList(c)) continue;
    char* collected = adding ? added : removed;
    const size_t length = strlen(collected);
    if (length + 1 < sizeof added) {
      collected[length] = c;
      collected[length + 1] = 0;
    }
  }
  if (channelLetters) {
    data_->SetChannelModes(target, added, removed);
    Raise(events_.OnChanMode, target, original);
  }
}
