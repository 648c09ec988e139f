#include "bot_session.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "U_codepage.h"
#include "U_ircline.h"
#include "bot_lines.h"

namespace {

constexpr int kQuitWaitMs = 3000;
constexpr int kNickRetries = 3;

void Log(const std::string& text) {
  fprintf(stdout, "velkobot: %s\n", text.c_str());
  fflush(stdout);
}

}  // namespace

BotSession::BotSession(CliOptions options)
    : options_(std::move(options)),
      reconnector_(engine_, [](int delayMs) { Log("connecting again in " + std::to_string(delayMs / 1000) + " s"); }),
      replies_([this](const std::string& line) { engine_.Send(line.c_str()); }) {
  engine_.SetAddress(options_.host);
  engine_.SetPort(options_.port);
  engine_.SetTls(options_.tls);
  engine_.SetNick(options_.nick);
  engine_.SetUserName(options_.user);
  quitTimer_.setSingleShot(true);
  quitTimer_.setInterval(kQuitWaitMs);
  connect(&quitTimer_, &QTimer::timeout, this, [this] { Finish(0); });
  BindRegistration();
  BindConversation();
}

void BotSession::BindRegistration() {
  engine_.OnConnect = [this](void*) {
    engine_.Send((Irc::User("quelbo", options_.user) + Irc::Nick(engine_.Nick())).c_str());
  };
  engine_.OnLogon = [this](void*) {
    nickRetries_ = 0;
    reconnector_.LoggedOn();
    for (const std::string& channel : options_.channels) engine_.Send(Irc::Join(channel).c_str());
  };
  engine_.OnIRC = [this](stIRC* irc) { RetryNick(*irc); };
  engine_.OnOwnerJoin = [](const char* channel) { Log(std::string("joined ") + channel); };
  // Without reconnecting, a connection that never came up ends the bot.
  engine_.OnIRCError = [this](int* code) {
    Log("socket error " + std::to_string(*code));
    const bool retrying = options_.reconnect && !quitting_ && reconnector_.Failed(*code);
    if (!retrying && engine_.state < TZoEngine::Connected) Finish(quitting_ ? 0 : 1);
  };
  engine_.OnDisconnect = [this](void*) {
    if (quitting_) return QCoreApplication::exit(0);
    Log("disconnected");
    replies_.Clear();
    if (!options_.reconnect) return QCoreApplication::exit(1);
    reconnector_.Disconnected();
  };
}

void BotSession::BindConversation() {
  engine_.OnOtherJoin = [this](const char* channel, const char* nick) {
    replies_.Push(GreetingLine(channel, nick));
  };
  engine_.OnPrivmsg = [this](const char* sender, const char* target, const char* text) {
    const bool toMe = strcasecmp(target, engine_.Nick().c_str()) == 0;
    if (toMe || NamesNick(text, engine_.Nick())) replies_.Push(AnswerLine(toMe ? sender : target, sender, text));
  };
  engine_.OnCTCP = [this](stCTCP* ctcp) { AnswerCtcp(*ctcp); };
  engine_.OnKick = [this](const char* channel, const char*, const char* victim, const char*) {
    if (strcasecmp(victim, engine_.Nick().c_str()) == 0) replies_.Push(Irc::Join(channel));
  };
}

// Replies travel as NOTICE, which no one answers, so two bots never loop.
void BotSession::AnswerCtcp(const stCTCP& ctcp) {
  if (strcmp(ctcp.command, "PRIVMSG") != 0) return;
  const std::string reply = CtcpReplyLine(ctcp.nick, ctcp.ctcp, ctcp.params);
  if (!reply.empty()) replies_.Push(reply);
}

// A taken nick before logon gets an underscore, a few times at most.
void BotSession::RetryNick(const stIRC& irc) {
  if (engine_.state == TZoEngine::LoggedOn || strcmp(irc.command, "433") != 0) return;
  if (++nickRetries_ > kNickRetries) {
    Log("nick " + engine_.Nick() + " is taken");
    Quit();
    return;
  }
  engine_.SetNick(engine_.Nick() + "_");
  engine_.Send(Irc::Nick(engine_.Nick()).c_str());
}

void BotSession::Start() {
  if (!engine_.Connect()) Finish(1);
}

void BotSession::Quit() {
  if (quitting_) return;
  quitting_ = true;
  reconnector_.Stop();
  replies_.Clear();
  if (engine_.state < TZoEngine::Connected) return Finish(0);
  engine_.Send(Irc::Quit(Cp949Literal("안녕히 계세요, 다음에 또 만나요!")).c_str());
  quitTimer_.start();
}

void BotSession::Finish(int code) {
  quitTimer_.stop();
  engine_.Disconnect();
  QCoreApplication::exit(code);
}
