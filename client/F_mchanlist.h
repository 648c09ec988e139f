// The channel list sub-window: hosts the grid of the server's channels, keeps
// its close button off while a listing arrives, and joins the channel the
// user picks (or brings its window to the front when it is already open).
#pragma once

#include <cstdint>

#include "F_mdiabstract.h"

class TChanListGrid;
class TZoEngine;

class TmChanList : public TMDIABS {
  Q_OBJECT

 public:
  TmChanList(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  void SetEngine(TZoEngine* engine) { engine_ = engine; }
  // One list reply: 321 starts a listing, 322 is a channel, any other code ends it.
  void ListReply(int code, const char* name, int32_t users, const char* topic);

  void ApplySkin(const TSkinValues& skin) override;

  TChanListGrid* sgChanList;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void JoinChannel(const char* channel);

  TZoEngine* engine_ = nullptr;
};
