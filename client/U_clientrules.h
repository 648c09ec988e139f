// The window layer's decisions that need no widget: where tiled and cascaded
// windows go, how captions and menu entries read, how the page's channel and
// server texts are taken apart, and how long to wait before reconnecting.
#pragma once

#include <QRect>
#include <QSize>
#include <string>
#include <vector>

// One rectangle per visible window, in list order (front first). A single
// window that is not the front one stays where it is: the result is empty.
std::vector<QRect> TileGeometry(int visibleCount, bool frontVisible, QSize area);
// One rectangle per visible window, from the back of the list to the front.
std::vector<QRect> CascadeGeometry(int visibleCount, QSize area);
// A new sub-window's place: the bottom-right corner of the area.
QRect NewWindowGeometry(QSize area);
// Back inside the area after a move (size kept) or a resize (size cut).
QRect KeepMovedInside(QRect frame, QSize area);
QRect KeepSizedInside(QRect frame, QSize area);

// "%s [%d %s ...] %s" with the key and limit shown only when present.
std::string ChannelCaption(const char* name, int users, const char* modes, const char* key, int limit,
                           const char* topic);
// "[KIND] - caption", the caption cut to 32 bytes and marked "..." when longer.
std::string SelectMenuCaption(int kind, const char* caption);

// The auto-join entries of a comma-separated channel list.
std::vector<std::string> AutoJoinEntries(const char* list);
// "host[:port]": false for an empty text (nothing changes). A port that is
// not a number from 1 to 65535 gives 6667. "ircs://host[:port]" and
// "host:+port" ask for TLS (`tls` set), whose default port is 6697.
bool SplitServerAddress(const char* text, std::string* host, int* port, bool* tls = nullptr);

// Whether an outgoing raw line is the user leaving the server.
bool IsQuitLine(const char* line);
// The lines of an output text, without their CR LF; a trailing line end
// makes no empty line.
std::vector<std::string> OutputLines(const char* text);

// Waits between reconnects: none the first time, then 1, 2, 4 ... 60 s.
class TReconnectBackoff {
 public:
  static constexpr int kMaxDelayMs = 60000;
  int NextDelayMs();
  void Reset() { attempts_ = 0; }

 private:
  int attempts_ = 0;
};

