#include "F_mquery.h"

#include "U_codepage.h"
#include "U_commondata.h"

TmQuery::TmQuery(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TmABSRich(panel, manager, colors) {
  Kind = wkQuery;
  setWindowTitle("mQuery");
}

bool TmQuery::Rename(const char* oldNick, const char* newNick) {
  if (!ZoSameName(Nick.c_str(), oldNick)) return false;
  SetNick(newNick);
  return true;
}

void TmQuery::SetNick(const char* nick) {
  Nick = nick;
  setWindowTitle(DecodeDisplay(nick));
  update();
}
