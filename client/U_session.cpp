#include "U_session.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>

#include "U_clientrules.h"
#include "U_ircline.h"
#include "U_pacedsender.h"
#include "U_render.h"
#include "U_serveraddress.h"
#include "Zoengine.h"

TSession::TSession(TZoEngine& engine, TPacedSender& sender, TWindow window, QObject* parent)
    : QObject(parent), engine_(engine), sender_(sender), window_(std::move(window)) {
  for (QTimer* timer : {&retry_, &settled_, &quitGrace_}) timer->setSingleShot(true);
  connect(&retry_, &QTimer::timeout, this,
          [this] { QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(kReconnectEvent))); });
  connect(&settled_, &QTimer::timeout, this, [this] { backoff_.Reset(); });
  connect(&quitGrace_, &QTimer::timeout, this, [this] {
    if (userQuit_) engine_.Disconnect();
  });
  sender_.OnUnsent = [this] { window_.write(RenderNotSent()); };
  SetTimings(timings_);
}

void TSession::SetTimings(const TSessionTimings& timings) {
  timings_ = timings;
  backoff_ = TReconnectBackoff(timings.backoffUnitMs);
}

void TSession::SetAutoJoinChannels(const char* list) {
  for (std::string& entry : AutoJoinEntries(list)) autoJoin_.push_back(std::move(entry));
}

void TSession::ConnectTo(const char* server) {
  if (const auto address = ParseServerAddress(server ? server : "")) {
    engine_.SetAddress(address->host);
    engine_.SetPort(address->port);
    engine_.SetTls(address->tls);
  }
  userQuit_ = false;
  quitGrace_.stop();
  reconnectPending_ = false;
  retry_.stop();
  backoff_.Reset();
  engine_.Connect();
}

void TSession::UserQuit() {
  userQuit_ = true;
  reconnectPending_ = false;
  retry_.stop();
  if (engine_.state == TZoEngine::Connecting)
    engine_.Disconnect();
  else if (engine_.state != TZoEngine::Idle)
    quitGrace_.start(timings_.quitGraceMs);
}

void TSession::Connected(const std::string& userName, const std::string& nick) {
  window_.write(RenderConnected());
  engine_.Send(Irc::User("quelbo", userName).c_str());
  engine_.Send(Irc::Nick(nick).c_str());
}

void TSession::LoggedOn() {
  for (const TOutLine& line : RenderLogon()) window_.write(line);
  settled_.start(timings_.settledMs);
  if (!autoJoin_.empty()) {
    listRequested_ = true;
    if (!autoJoining_) JoinNextAutoJoin();
  } else if (!listRequested_) {
    listRequested_ = true;
    engine_.Send(Irc::List().c_str());
  }
  window_.rejoin();
}

void TSession::JoinNextAutoJoin() {
  size_t taken = 0;
  std::string line = Irc::JoinMany(autoJoin_, autoJoinSent_, &taken);
  autoJoining_ = true;
  auto sent = [this, taken] {
    autoJoinSent_ += taken;
    autoJoining_ = false;
    if (autoJoinSent_ < autoJoin_.size()) return JoinNextAutoJoin();
    autoJoin_.clear();
    autoJoinSent_ = 0;
  };
  if (line.empty()) return sent();
  sender_.Enqueue(std::move(line), std::move(sent));
}

void TSession::Disconnected() {
  settled_.stop();
  quitGrace_.stop();
  sender_.Clear();
  autoJoining_ = false;
  window_.write(RenderDisconnected(userQuit_));
  ScheduleReconnect();
}

void TSession::Failed(int* code) {
  if (const auto refusal = RenderTlsRefusal(*code, engine_.RefusedCertificate())) {
    // The same certificate would be refused again: no retry.
    window_.write(*refusal);
    engine_.Disconnect();
    return;
  }
  window_.write(RenderSocketError(*code));
  *code = 0;
  // A failed attempt raises no disconnect; without this it would never be retried.
  if (engine_.state == TZoEngine::Connecting) ScheduleReconnect();
}

void TSession::ScheduleReconnect() {
  if (userQuit_ || reconnectPending_) return;
  reconnectPending_ = true;
  const int delay = backoff_.NextDelayMs();
  if (delay == 0) {
    QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(kReconnectEvent)));
    return;
  }
  window_.write(RenderRetryIn(delay));
  retry_.start(delay);
}

bool TSession::event(QEvent* event) {
  if (event->type() != kReconnectEvent) return QObject::event(event);
  if (reconnectPending_) {
    reconnectPending_ = false;
    if (!userQuit_) engine_.Connect();
  }
  return true;
}
