// The member menu of a channel window's list: who the selected member is,
// and the lines, queries and direct chats its items start.
#pragma once

#include <QMenu>
#include <string>

class CSubforms;
class QAction;
class TChatClient;

class TUserMenu : public QMenu {
  Q_OBJECT

 public:
  TUserMenu(CSubforms& subforms, TChatClient& client, QWidget* parent);

  // Offers the acting items only for a member other than the user.
  void PopupFor(QPoint at);
  void QuerySelected();

  QAction* miWhois;
  QAction* miQuery;
  QAction* miSendDCC;
  QAction* miDCCChat;
  QAction* miOp;
  QAction* miDeop;
  QAction* miVoice;
  QAction* miDevoice;
  QAction* miKick;

 private:
  QAction* Item(const char* caption);
  // The selected member of the front channel window, or false when there is none.
  bool Target(std::string* channel, std::string* nick) const;
  // The selected member when it is someone other than the user: the only
  // member the acting items (modes, kick, direct chats) may act on.
  bool OtherTarget(std::string* channel, std::string* nick) const;
  // A member mode ("+o") for the selected member.
  void SendMode(const char* mode);
  // Asks for the reason, prefilled with the user's nick; nothing on cancel.
  void Kick();
  void Whois();
  void SendFile();
  void StartChat();

  CSubforms& subforms_;
  TChatClient& client_;
};
