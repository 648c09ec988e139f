// What each engine event shows: the line, the window it goes to and its line
// kind, decided without widgets so the main window's handlers only route it.
// Arguments are the event's own (CP949 or UTF-8 text, valid during the call).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "C_analctcp.h"
#include "C_batches.h"
#include "U_analysis.h"
#include "U_questions.h"

// Line kinds as the output panes colour them.
enum TLineKind : int {
  kKindAction = 1,
  kKindCtcp = 2,
  kKindNotice = 4,
  kKindMessage = 5,
  kKindOwnMessage = 6,
  kKindInvite = 7,
  kKindJoin = 8,
  kKindPart = 9,
  kKindKick = 10,
  kKindMode = 11,
  kKindNick = 12,
  kKindQuit = 13,
  kKindTopic = 14,
  kKindWhois = 15,
  kKindState = 16,
  kKindMention = 17,  // a message that names the user
  kKindHistory = 18,  // a line the server replays from before the user came
};
// The colour a pane gives a line of that kind (black for no kind).
uint32_t KindColor(int kind);

enum class TOutTarget {
  None,
  Active,   // the front output window, else the status window
  Status,   // the status window, opened when missing
  Channel,  // the channel window `name`, if open
  Query,    // the query window of nick `name`, opened when missing
  Chat,     // the DCC chat window `chat`
  All,      // every channel, status and query window
  Renamed,  // every channel, query and DCC chat window that knows nick `name`, once renamed
};

struct TOutLine {
  TOutTarget where = TOutTarget::None;
  std::string name;
  int kind = 0;
  std::string text;  // at most kLineMax bytes, never a split character
  int chat = -1;
  int64_t time = 0;  // when it was said, UTC milliseconds; 0 is now
  // The speaker's nick in `text` (bytes), drawn in `nickColour`; none when empty.
  size_t nickAt = 0;
  size_t nickLength = 0;
  uint32_t nickColour = 0;
};

// Room for the text of one line in the 512-byte buffers.
constexpr size_t kLineMax = 511;

// Replaces each "%s" of a UTF-8 literal with the next argument (null as empty)
// and bounds the result. The line is CP949, unless an argument is UTF-8 text:
// then the whole line is UTF-8, so the pane shows both the literal and the
// argument correctly.
std::string ComposeLine(const char* literalUtf8, std::initializer_list<const char*> args);

// A channel name starts with "#" or "&"; anything else is a nick.
bool IsChannelName(const char* name);

std::optional<TOutLine> RenderPrivmsg(const char* nick, const char* target, const char* text);
// The user's own message as the window it went to shows it.
TOutLine RenderOwnMessage(TOutTarget where, const std::string& name, const std::string& ownNick,
                          const std::string& text, int chat = -1);
// The user's own lines as they show where they went: in the channel's or
// partner's window when it is open (`windowOpen`), else in the front window
// with the partner named.
TOutLine RenderOwnLine(const std::string& target, const std::string& text, const std::string& ownNick,
                       bool windowOpen);
// An action (/me) of `nick`'s, in the window it went to when that is open.
TOutLine RenderAction(const std::string& target, const std::string& text, const std::string& nick, bool windowOpen);
TOutLine RenderOwnNotice(const std::string& target, const std::string& text);
TOutLine RenderOwnCtcp(const std::string& target, const std::string& body);
// A line of the user's that the server refused, with its reason, where the
// line would have shown.
TOutLine RenderRefused(const std::string& target, const std::string& text, const char* reason, bool windowOpen);
// A line replayed from the server's history: muted, at its own time.
TOutLine AsHistory(TOutLine line, int64_t time);
// One line per channel for what a netsplit or netjoin batch grouped; none
// for other batches.
std::vector<TOutLine> RenderBatch(const ZoBatch& batch);
// A friend came (730) or went (731): the status window's line, or the line
// for the friend's private window.
TOutLine RenderFriend(int numeric, const std::string& nick, bool inQuery);
// Friends the server will not watch: `limit` 0, it watches none.
TOutLine RenderFriendsRefused(int limit, const std::vector<std::string>& nicks);
TOutLine RenderFriendList(const std::vector<std::string>& nicks);
// A line the peer of a direct chat sent.
TOutLine RenderChatMessage(int chat, const std::string& nick, const char* text);
// Whether `text` names `nick` as a word of its own, letter case aside.
bool NamesNick(const char* text, const char* nick);
// A channel message that names the user, in the mention colour.
std::optional<TOutLine> RenderChannelMessage(const char* nick, const char* target, const char* text,
                                             const char* ownNick);
std::optional<TOutLine> RenderNotice(const char* nick, const char* target, const char* text);
std::optional<TOutLine> RenderCtcp(const stCTCP& ctcp);
std::optional<TOutLine> RenderOwnerJoin(const char* channel);
std::optional<TOutLine> RenderOtherJoin(const char* channel, const char* nick);
std::optional<TOutLine> RenderOtherPart(const char* channel, const char* nick);
// One line per channel window the member left by quitting.
std::optional<TOutLine> RenderOtherQuit(const char* channel, const char* nick);
// Being kicked oneself is decided against the engine's current nick.
bool IsOwnKick(const char* kicked, const char* ownNick);
std::optional<TOutLine> RenderKick(const char* channel, const char* kicker, const char* kicked,
                                   const char* reason, const char* ownNick);
std::optional<TOutLine> RenderNick(const char* oldNick, const char* newNick);
std::optional<TOutLine> RenderInvite(const char* channel, const char* nick);
// Someone invited another to the channel (what its operators hear).
TOutLine RenderOthersInvite(const char* channel, const char* inviter, const char* invitee);
// The server marked the user away (306) or back (305).
TOutLine RenderOwnAway(bool away);
// A peer's away message (301), into the query with that peer when one is open.
TOutLine RenderPeerAway(const char* nick, const char* message, bool toQuery);
std::optional<TOutLine> RenderMode(const char* target, const char* setter, const char* modes);
std::optional<TOutLine> RenderTopic(const char* channel, const char* setter, const char* topic);
std::optional<TOutLine> RenderNTopic(const char* channel, const char* topic);
std::optional<TOutLine> RenderWhois(int code, const char* text);
// The line for a TLS connection refused: why, and that nothing was sent;
// a changed pinned certificate shows the new one's SHA-256.
std::optional<TOutLine> RenderTlsRefusal(int code, const std::string& certificate = {});
// The user chose to trust the server's certificate: it connects again.
TOutLine RenderCertificateTrusted(const char* host);
// No secret service runs: the password stays in the settings file.
TOutLine RenderSecretInFile();
// A standard reply (FAIL, WARN or NOTE) in the error replies' style; nothing
// for other commands.
std::optional<TOutLine> RenderStandardReply(const stIRC& record);
// Numeric replies: error lines from 401 on.
std::optional<TOutLine> RenderNumeric(const char* command, const char* rest);
std::optional<TOutLine> RenderList(int code);

// The client's own lines: the connection's life, pasting, direct chats.
TOutLine RenderConnected();
// The hint and the logon line, in that order.
std::vector<TOutLine> RenderLogon();
TOutLine RenderWindowHint();
// The connection ended: a reconnect follows, unless the user asked for the end.
TOutLine RenderDisconnected(bool byUser);
TOutLine RenderRetryIn(int delayMs);
// The error number, with why in words where it is one a user meets.
TOutLine RenderSocketError(int code);
TOutLine RenderAlreadyConnected();
// A typed line that found no connection to go out on.
TOutLine RenderNotSent();
TOutLine RenderPasteWaiting(int lines);
TOutLine RenderPasteStopped(int lines);
TOutLine RenderRejoin(const char* channel);
// A command typed without what it needs: how it is used (UTF-8, as listed).
TOutLine RenderUsage(const char* usage);
// The command list: a heading, then each command's usage and help (UTF-8).
std::vector<TOutLine> RenderHelp(const std::vector<std::pair<const char*, const char*>>& commands);
TOutLine RenderBadServerAddress(const std::string& address);
// Private lines past the window cap go to the status window: said once.
TOutLine RenderQueryCapNote();
// A line of a message of the day that comes after the session's first.
TOutLine RenderMotdLine(const char* text);
TOutLine RenderChatRequested(int chat, const char* nick);
TOutLine RenderChatConnecting(int chat, const char* nick, const char* address, int port);
TOutLine RenderChatConnected(int chat);
TOutLine RenderChatDisconnected(int chat);

// A peer's file or chat offer left unasked: too many questions were waiting,
// or nobody answered in time.
enum class TOfferDrop { TooMany, Expired };
TOutLine RenderOfferDropped(const TQuestion& offer, TOfferDrop why);
// The question a chat offer puts to the person.
std::string ChatOfferPrompt(const char* nick);
