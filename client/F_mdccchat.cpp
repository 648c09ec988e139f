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

bool TmDCCChat::Knows(const char* nick) { return ZoSameName(Nick.c_str(), nick); }

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
