// What one typed or pasted line does: the IRC line or DCC chat text it sends,
// the echo the user sees, or the channel window it brings to the front
// (commands: U_commands). Also the input history. Decided without widgets;
// the main window carries the actions out.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "U_render.h"

class MCommandProcedure;

// The front sub-window as far as the input line cares.
enum class TFrontKind { None, Channel, Query, Chat };
struct TFront {
  TFrontKind kind = TFrontKind::None;
  std::string name;  // channel name or nick
  int chatId = -1;

  bool operator==(const TFront&) const = default;
};

struct TInputContext {
  TFront front;
  std::string ownNick;
  const MCommandProcedure* aliases = nullptr;
  // Whether a channel window of that name (any letter case) is open.
  std::function<bool(std::string_view)> isChannelOpen;
  // Whether a private window with that nick is open.
  std::function<bool(std::string_view)> isQueryOpen;
};

struct TLineAction {
  enum class Kind { None, Server, Chat, Activate, Connect, OpenQuery, Show, Friends };
  Kind kind = Kind::None;
  // Server: the IRC line, CR LF included, at most 512 bytes. Chat: the chat
  // text with CR LF. Activate: the channel whose window comes to the front.
  // Connect: the server to connect to ("host[:port]", empty: the last one).
  // OpenQuery: the nick whose private window comes to the front, and `said`
  // the text to send in it (none when empty). Friends: "+a,b" adds to the
  // friends list, "-a" takes off, empty shows it.
  std::string text;
  int chatId = -1;
  std::string said;
  // Shown when the text goes out.
  std::optional<TOutLine> echo;
  // Show: lines for the user alone, nothing is sent.
  std::vector<TOutLine> shown;
};

// A line typed in the edit or handed in by the page. Only the text before the
// first CR, LF or NUL counts: one typed line never becomes two IRC lines.
TLineAction ProcessLine(std::string_view line, const TInputContext& context);
// Plain text to the front window's channel, nick or DCC chat.
TLineAction PlainText(std::string_view text, const TFront& front, const std::string& ownNick);

// The lines of a clipboard text that hold something, in order.
std::vector<std::string_view> PastedLines(std::string_view clipboard);
// Each line as plain text to the front window; a line too long for one IRC
// line is cut like a typed one.
std::vector<TLineAction> PasteEach(const std::vector<std::string_view>& lines, const TFront& front,
                                   const std::string& ownNick);
// The lines joined by spaces into one, cut like a typed line.
TLineAction PasteJoined(const std::vector<std::string_view>& lines, const TFront& front, const std::string& ownNick);

// The lines sent from the edit, oldest first, and the browsing position,
// which starts one past the newest.
class THistory {
 public:
  static constexpr int kMax = 50;

  void Add(std::string line);
  // The entry to show, or nothing when browsing is at the oldest and the key
  // is left to the edit.
  std::optional<std::string> Up();
  // The entry to show; empty past the newest.
  std::string Down();
  void Clear();

  int Index() const { return index_; }
  int Count() const { return static_cast<int>(lines_.size()); }

 private:
  std::deque<std::string> lines_;
  int index_ = 0;
};
