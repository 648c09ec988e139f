#include "F_mchanlist.h"

#include <QEvent>
#include <QHeaderView>

#include "F_mchannel.h"
#include "U_chanlistgrid.h"
#include "U_skinfile.h"
#include "U_ircline.h"
#include "U_subforms.h"
#include "Zoengine.h"

TmChanList::TmChanList(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TMDIABS(panel, manager, colors), sgChanList(new TChanListGrid(pClient)) {
  Kind = wkChanList;
  setWindowTitle(QString::fromUtf8("채널 리스트"));
  CloseEnabled = false;
  sgChanList->setGeometry(pClient->rect());
  sgChanList->SetJoin([this](const char* channel) { JoinChannel(channel); });
  // A press anywhere in the grid, header included, makes this the front window.
  sgChanList->viewport()->installEventFilter(this);
  sgChanList->horizontalHeader()->viewport()->installEventFilter(this);
}

void TmChanList::ListReply(int code, const char* name, int32_t users, const char* topic) {
  sgChanList->ListReply(code, name, users, topic);
  CloseEnabled = sgChanList->CloseEnabled();
  update();
}

void TmChanList::JoinChannel(const char* channel) {
  if (TmChannel* open = Manager().FindChannel(channel)) {
    open->Activate();
    return;
  }
  if (engine_) engine_->Send(Irc::Join(channel).c_str());
}

bool TmChanList::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress &&
      (watched == sgChanList->viewport() || watched == sgChanList->horizontalHeader()->viewport()))
    FormMouseDown();
  return TMDIABS::eventFilter(watched, event);
}

void TmChanList::resizeEvent(QResizeEvent* event) {
  TMDIABS::resizeEvent(event);
  sgChanList->setGeometry(pClient->rect());
}

void TmChanList::ApplySkin(const TSkinValues& skin) { sgChanList->SetFixedColor(skin.ChListWinIndexBg); }
