#include "U_chatclient.h"

#include <QDir>

#include "U_clientrules.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_ircline.h"
#include "U_lib.h"
#include "U_pacedsender.h"
#include "U_render.h"
#include "U_secrets.h"
#include "U_session.h"
#include "registry.h"

namespace {

// Events that arrive while the window tears down (a cancelled transfer, a
// closing socket) find no view and are dropped.
template <class... Args, class Handler>
void BindTo(std::function<void(Args...)>& event, TChatClient* client, IChatView* const& view, Handler handler) {
  event = [client, &view, handler](Args... args) {
    if (view) (client->*handler)(args...);
  };
}

constexpr int kWindowHintMs = 7000;

}  // namespace

TChatClient::TChatClient(QObject* parent)
    : QObject(parent),
      chatLog_(QDir(RegistryFolder()).filePath(QStringLiteral("logs"))),
      alias_(std::make_unique<MCommandProcedure>(datas_.Alias)),
      sender_(new TPacedSender([this](const std::string& line) { return Send(line); }, this)) {
  IRC.SetNick(datas_.Nick);
  IRC.SetUserName(datas_.UserName);
  IRC.SetAddress(datas_.Address);
  IRC.SetPort(datas_.Port);
  IRC.SetWireCoding(ChosenWireCoding(datas_));
  IRC.SetLogin(datas_.SaslAccount, datas_.SaslPassword);
  IRC.SetTlsTrust(datas_.TlsFingerprint, datas_.TlsCaFile);
  IRC.SetTlsClientCert(datas_.TlsClientCert, datas_.TlsClientKey);
  BindEngine();
  TSession::TWindow window;
  window.write = [this](const TOutLine& line) { Write(line); };
  window.rejoin = [this] { Rejoin(); };
  session_ = std::make_unique<TSession>(IRC, *sender_, std::move(window), this);
  windowHint_.setInterval(kWindowHintMs);
  windowHint_.setSingleShot(true);
  connect(&windowHint_, &QTimer::timeout, this, &TChatClient::ShowWindowHint);
  questionExpiry_.setSingleShot(true);
  questionExpiry_.setTimerType(Qt::PreciseTimer);
  connect(&questionExpiry_, &QTimer::timeout, this, &TChatClient::ExpireQuestions);
}

TChatClient::~TChatClient() { view_ = nullptr; }

void TChatClient::BindEngine() {
  const auto bind = [this](auto& event, auto handler) { BindTo(event, this, view_, handler); };
#define VELKO_BIND_HANDLER(name, params, part, window) \
  ZO_WINDOW_##window(bind(IRC.On##name, &TChatClient::IRC##name);)
  ZO_ENGINE_EVENTS(VELKO_BIND_HANDLER)
#undef VELKO_BIND_HANDLER
}

void TChatClient::Write(const std::optional<TOutLine>& line) {
  if (line && view_) view_->Write(*line);
}

// --- the session ---

void TChatClient::ApplyNick(const std::string& nick) {
  if (nick.empty()) return;
  datas_.Nick = nick;
  IRC.SetNick(nick);
  if (view_) view_->ShowOwnNick(nick);
}

void TChatClient::SetAutoJoinChannels(const char* list) { session_->SetAutoJoinChannels(list); }
const std::vector<std::string>& TChatClient::AutoJoin() const { return session_->AutoJoin(); }

void TChatClient::ConnectTo(const char* server) {
  // A new session, with its own viewer for the message of the day.
  motdShown_ = false;
  motdToStatus_ = false;
  if (TakeSecretInFileNotice()) Write(RenderSecretInFile());
  session_->ConnectTo(server);
}

void TChatClient::UserQuit() { session_->UserQuit(); }

void TChatClient::Rejoin() {
  for (const std::string& name : view_->OpenChannels()) {
    Write(RenderRejoin(name.c_str()));
    Send(Irc::Join(name));
  }
}

void TChatClient::ShowWindowHint() { Write(RenderWindowHint()); }

void TChatClient::FrontSeen() {
  if (view_) feed_.Seen(view_->InputFront().name);
}

bool TChatClient::IsFront(TFrontKind kind, const char* name) const {
  const TFront front = view_->InputFront();
  return front.kind == kind && ZoSameName(front.name.c_str(), name);
}

void TChatClient::IRCConnect(void*) { session_->Connected(datas_.UserName, datas_.Nick); }

void TChatClient::IRCLogon(void*) {
  if (listing_) return;
  session_->LoggedOn();
  windowHint_.start();
  feed_.Connected();
}

void TChatClient::IRCDisconnect(void*) {
  AbandonListing();
  view_->ReloadMembers({});
  const bool byUser = session_->UserQuitting();
  session_->Disconnected();
  feed_.Disconnected(byUser ? "quit" : "lost");
}

void TChatClient::IRCIRCError(int* errorCode) {
  const int code = *errorCode;
  session_->Failed(errorCode);
  feed_.Error(code, RenderSocketError(code).text.c_str());
  // Only a certificate no one vouches for is offered for trust; a pinned
  // one that changed is never asked about again.
  if (code == kZoTlsUntrusted && !IRC.RefusedCertificate().empty()) {
    TQuestion question;
    question.kind = TQuestionKind::Certificate;
    question.address = IRC.Address();
    question.fingerprint = IRC.RefusedCertificate();
    Ask(question);
  }
}

// --- lines out ---

bool TChatClient::Send(const std::string& line) { return IRC.Send(line.c_str()); }

void TChatClient::SendRaw(const std::string& line) {
  if (IsQuitLine(line.c_str())) UserQuit();
  Send(Irc::Raw(line));
}

std::string TChatClient::WireText(const QString& text) const {
  return IRC.Utf8Wire() ? text.toStdString() : EncodeText(text);
}

int TChatClient::Waiting() const { return sender_->Pending(); }

void TChatClient::RunLine(const std::string& line) {
  TInputContext context;
  context.front = view_->InputFront();
  context.ownNick = datas_.Nick;
  context.aliases = alias_.get();
  context.isChannelOpen = [this](std::string_view name) {
    return view_->IsOpen(TFrontKind::Channel, std::string(name));
  };
  context.isQueryOpen = [this](std::string_view nick) { return view_->IsOpen(TFrontKind::Query, std::string(nick)); };
  RunAction(ProcessLine(line, context));
}

void TChatClient::RunAction(TLineAction action) {
  switch (action.kind) {
    case TLineAction::Kind::Server:
      // The user's intent counts, even while the line still waits its turn.
      if (IsQuitLine(action.text.c_str())) UserQuit();
      // The echo names its window: the user may have moved on by the time
      // the line goes out.
      sender_->Enqueue(action.text, [this, echo = std::move(action.echo), wire = action.text] {
        Write(echo);
        feed_.Sent(wire, datas_.Nick);
      });
      return;
    case TLineAction::Kind::Chat:
      if (IRC.SendChatMsg(action.chatId, action.text.c_str())) Write(action.echo);
      return;
    case TLineAction::Kind::Activate:
      view_->ActivateChannel(action.text);
      return;
    case TLineAction::Kind::Connect:
      if (IRC.state == TZoEngine::Idle)
        ConnectTo(action.text.c_str());
      else
        Write(RenderAlreadyConnected());
      return;
    case TLineAction::Kind::OpenQuery:
      view_->ShowQuery(action.text);
      if (!action.said.empty()) RunAction(PlainText(action.said, view_->InputFront(), datas_.Nick));
      return;
    case TLineAction::Kind::Show:
      for (const TOutLine& line : action.shown) Write(line);
      return;
    case TLineAction::Kind::None:
      return;
  }
}

void TChatClient::Queue(std::string line) {
  TLineAction action;
  action.kind = TLineAction::Kind::Server;
  action.text = std::move(line);
  RunAction(std::move(action));
}

void TChatClient::CancelSending() {
  const int waiting = sender_->Pending();
  if (!waiting) return;
  sender_->Clear();
  Write(RenderPasteStopped(waiting));
}

void TChatClient::Paste(const std::vector<std::string_view>& lines, const TFront& front, bool joined) {
  if (joined)
    RunAction(PasteJoined(lines, front, datas_.Nick));
  else
    for (TLineAction& action : PasteEach(lines, front, datas_.Nick)) RunAction(std::move(action));
  if (const int waiting = sender_->Pending()) Write(RenderPasteWaiting(waiting));
}

void TChatClient::LogLine(const std::string& window, const std::string& line) {
  if (!datas_.ChatLogs) return;
  std::string plain = line;
  StripCodes(plain.data());
  chatLog_.Append(DecodeDisplay(IRC.Address().c_str()), DecodeDisplay(window.c_str()), DecodeDisplay(plain.c_str()));
}
