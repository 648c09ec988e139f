// velkobot's session: one engine that registers, joins its channels, greets
// whoever joins after it, answers when named or spoken to privately, and
// rejoins when kicked. Everything it says goes through a ReplyQueue.
#pragma once

#include <QObject>
#include <QTimer>

#include "Zoengine.h"
#include "cli_options.h"
#include "reconnector.h"
#include "reply_queue.h"

class BotSession : public QObject {
  Q_OBJECT

 public:
  explicit BotSession(CliOptions options);
  void Start();
  // Says goodbye with QUIT and ends the event loop once the server has closed,
  // or after a short wait when it does not.
  void Quit();

 private:
  void BindRegistration();
  void BindConversation();
  void AnswerCtcp(const stCTCP& ctcp);
  void RetryNick(const stIRC& irc);
  void Finish(int code);

  CliOptions options_;
  TZoEngine engine_;
  Reconnector reconnector_;
  ReplyQueue replies_;
  QTimer quitTimer_;
  bool quitting_ = false;
  int nickRetries_ = 0;
};
