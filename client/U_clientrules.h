// The window layer's decisions that need no widget: where tiled and cascaded
// windows go, how captions and menu entries read and how the page's channel
// list is taken apart.
#pragma once

#include <QRect>
#include <QSize>
#include <string>
#include <vector>

// One rectangle per visible window, in list order (front first). A single
// window that is not the front one stays where it is: the result is empty.
std::vector<QRect> TileGeometry(int visibleCount, bool frontVisible, QSize area);
// A window that fills the area, its frame just outside it.
QRect FullAreaGeometry(QSize area);
// One rectangle per visible window, from the back of the list to the front.
std::vector<QRect> CascadeGeometry(int visibleCount, QSize area);
// A new sub-window's place once the user has arranged the windows: the
// cascade's size, one cascade step below and right of the front window
// (`front`, empty when there is none), back at the area's corner when that
// step would leave the area. So a new window never hides the front one.
QRect NewWindowGeometry(QRect front, QSize area);
// A window moved back inside an area that shrank, cut to it when larger.
QRect FitInside(QRect frame, QSize area);
// Back inside the area after a move (size kept) or a resize (size cut).
QRect KeepMovedInside(QRect frame, QSize area);
QRect KeepSizedInside(QRect frame, QSize area);

// "%s [%d %s ...] %s" with the key and limit shown only when present.
std::string ChannelCaption(const char* name, int users, const char* modes, const char* key, int limit,
                           const char* topic);
// "[kind] - caption" with the kind's Korean name (CP949), the caption cut to
// 32 bytes and marked "..." when longer.
std::string SelectMenuCaption(int kind, const char* caption);
// The same entries, each repeated one numbered " (2)", " (3)" ... so no two read the same.
std::vector<std::string> DistinctEntries(std::vector<std::string> entries);

// The auto-join entries of a comma-separated channel list.
std::vector<std::string> AutoJoinEntries(const char* list);

// Whether an outgoing raw line is the user leaving the server.
bool IsQuitLine(const char* line);
// The lines of an output text, without their CR LF; a trailing line end
// makes no empty line.
std::vector<std::string> OutputLines(const char* text);

// Whole-entry member order of a channel's user list: byte-wise with ASCII
// letters folded, so "+" sorts before "@" and both before letters.
bool UserEntryLess(const std::string& a, const std::string& b);
// The same order for entries given as a prefix sign (0 for none) and a nick.
bool MemberEntryLess(char prefixA, const char* nickA, char prefixB, const char* nickB);

