#include "F_mquery.h"

#include <string_view>

#include "U_codepage.h"
#include "U_commondata.h"

TmQuery::TmQuery(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TmABSRich(panel, manager, colors) {
  Kind = wkQuery;
  setWindowTitle("mQuery");
}

// A server may rename the partner to a channel name or a target list; the
// user's private lines would then go there, so the window keeps its partner.
static bool UsableQueryTarget(const char* nick) {
  const std::string_view name(nick);
  return !name.empty() && std::string_view("#&+!").find(name[0]) == std::string_view::npos &&
         name.find_first_of(", ") == std::string_view::npos;
}

bool TmQuery::Rename(const char* oldNick, const char* newNick) {
  if (!ZoSameName(Nick.c_str(), oldNick)) return false;
  if (UsableQueryTarget(newNick)) SetNick(newNick);
  return true;
}

void TmQuery::SetNick(const char* nick) {
  Nick = nick;
  setWindowTitle(DecodeDisplay(nick));
  update();
}

bool TmQuery::IsNamed(const char* name) const { return ZoSameName(Nick.c_str(), name); }
