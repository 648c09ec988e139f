#include "F_usermenu.h"

#include <QPointer>

#include "F_mchannel.h"
#include "M_filesend.h"
#include "M_inputbox.h"
#include "U_chatclient.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_ircline.h"
#include "U_render.h"
#include "U_subforms.h"

TUserMenu::TUserMenu(CSubforms& subforms, TChatClient& client, QWidget* parent)
    : QMenu(parent), subforms_(subforms), client_(client) {
  miWhois = Item("사용자 정보 보기");
  miQuery = Item("귓속말 전송창 열기");
  miSendDCC = Item("파일 보내기(DCC-SEND)");
  miDCCChat = Item("직접대화창 열기(DCC-CHAT)");
  addSeparator();
  miOp = Item("방장 권한 주기");
  miDeop = Item("방장 권한 뺏기");
  addSeparator();
  miVoice = Item("보이스 주기");
  miDevoice = Item("보이스 뺏기");
  addSeparator();
  miKick = Item("방에서 쫓아내기");
  connect(miWhois, &QAction::triggered, this, &TUserMenu::Whois);
  connect(miQuery, &QAction::triggered, this, &TUserMenu::QuerySelected);
  connect(miSendDCC, &QAction::triggered, this, &TUserMenu::SendFile);
  connect(miDCCChat, &QAction::triggered, this, &TUserMenu::StartChat);
  connect(miOp, &QAction::triggered, this, [this] { SendMode("+o"); });
  connect(miDeop, &QAction::triggered, this, [this] { SendMode("-o"); });
  connect(miVoice, &QAction::triggered, this, [this] { SendMode("+v"); });
  connect(miDevoice, &QAction::triggered, this, [this] { SendMode("-v"); });
  connect(miKick, &QAction::triggered, this, &TUserMenu::Kick);
}

QAction* TUserMenu::Item(const char* caption) { return addAction(QString::fromUtf8(caption)); }

void TUserMenu::PopupFor(QPoint at) {
  std::string channel;
  std::string nick;
  const bool other = OtherTarget(&channel, &nick);
  for (QAction* item : {miSendDCC, miDCCChat, miOp, miDeop, miVoice, miDevoice, miKick}) item->setEnabled(other);
  popup(at);
}

bool TUserMenu::Target(std::string* channel, std::string* nick) const {
  auto* form = qobject_cast<TmChannel*>(subforms_.FrontForm());
  if (!form) return false;
  *nick = form->SelectedNick();
  *channel = form->ChannelName;
  return !nick->empty();
}

bool TUserMenu::OtherTarget(std::string* channel, std::string* nick) const {
  return Target(channel, nick) && !ZoSameName(nick->c_str(), client_.Engine().Nick().c_str());
}

void TUserMenu::SendMode(const char* mode) {
  std::string channel;
  std::string nick;
  if (OtherTarget(&channel, &nick)) client_.Send(Irc::MemberMode(channel, mode, nick));
}

void TUserMenu::Kick() {
  std::string channel;
  std::string nick;
  if (!OtherTarget(&channel, &nick)) return;
  QPointer<TUserMenu> alive(this);
  const std::optional<std::string> reason =
      AskInputBox(Cp949Literal("방에서 쫓아내기"),
                  ComposeLine("%s님을 %s채널에서 쫓아내는 이유를 적어 주세요", {nick.c_str(), channel.c_str()}).c_str(),
                  client_.Engine().Nick().c_str());
  if (alive && reason) client_.Send(Irc::Kick(channel, nick, *reason));
}

void TUserMenu::Whois() {
  std::string channel;
  std::string nick;
  if (Target(&channel, &nick)) client_.Send(Irc::Whois(nick));
}

void TUserMenu::QuerySelected() {
  std::string channel;
  std::string nick;
  if (Target(&channel, &nick)) subforms_.OpenQuery(nick.c_str());
}

void TUserMenu::SendFile() {
  std::string channel;
  std::string nick;
  if (!OtherTarget(&channel, &nick)) return;
  QPointer<TUserMenu> alive(this);
  const std::string path = AskSendFile(nick.c_str(), client_.Settings().DCCDir);
  if (!alive || path.empty()) return;
  const FileHandle file = OpenFileToSend(path);
  if (file != kNoFile) client_.Engine().SendFile(nick.c_str(), OfferedFileName(path).c_str(), file);
}

void TUserMenu::StartChat() {
  std::string channel;
  std::string nick;
  if (OtherTarget(&channel, &nick)) client_.StartChat(nick);
}
