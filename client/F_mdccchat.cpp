#include "F_mdccchat.h"

#include "U_clientrules.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_render.h"
#include "Zoengine.h"

TmDCCChat::TmDCCChat(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TmABSRich(panel, manager, colors) {
  Kind = wkDccChat;
  setWindowTitle("mDCCChat");
}

void TmDCCChat::AddMessage(const char* text) {
  // Peers end their lines with CR LF and only the LF is cut off.
  std::string line = text ? text : "";
  if (!line.empty() && line.back() == '\r') line.pop_back();
  AddLine(ComposeLine("<%s> %s", {Nick.c_str(), line.c_str()}).c_str(), kKindMessage);
}

bool TmDCCChat::Rename(const char* oldNick, const char* newNick) {
  if (!ZoSameName(Nick.c_str(), oldNick)) return false;
  SetNick(newNick);
  return true;
}

void TmDCCChat::SetNick(const char* nick) {
  Nick = nick ? nick : "";
  setWindowTitle(DecodeDisplay(Nick.c_str()));
  update();
}

void TmDCCChat::EndOnClose(TZoEngine& engine) { engine.CancelChat(ChatId); }
