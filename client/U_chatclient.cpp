#include "U_chatclient.h"

#include <QDir>
#include <algorithm>
#include <tuple>

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
// closing socket) find no view and are dropped. `inLine` counts the handlers
// running for a received line, whose lines take that line's time.
template <class... Args, class Handler>
void BindTo(std::function<void(Args...)>& event, TChatClient* client, IChatView* const& view, Handler handler,
            int* inLine) {
  event = [client, &view, handler, inLine](Args... args) {
    if (!view) return;
    if (inLine) ++*inLine;
    (client->*handler)(args...);
    if (inLine) --*inLine;
  };
}

// Which parts raise their events while a received line is analysed.
constexpr bool kOnLine_Engine = false;
constexpr bool kOnLine_IRC = true;
constexpr bool kOnLine_CTCP = true;
constexpr bool kOnLine_DCC = true;
constexpr bool kOnLine_Sends = false;
constexpr bool kOnLine_Recvs = false;
constexpr bool kOnLine_Chats = false;

constexpr int kWindowHintMs = 7000;

}  // namespace

TChatClient::TChatClient(QObject* parent)
    : QObject(parent),
      chatLog_(QDir(RegistryFolder()).filePath(QStringLiteral("logs"))),
      alias_(std::make_unique<MCommandProcedure>(datas_.Alias)),
      sender_(new TPacedSender([this](const std::string& line) { return Send(line); }, this)),
      members_([this](const char* channel) { return view_ ? view_->MemberList(channel) : nullptr; }) {
  IRC.SetNick(datas_.Nick);
  ApplyServerSettings();
  ApplyConnectionSettings();
  IRC.SetEchoMessage(true);
  friends_.Set(datas_.Friends);
  IRC.SetMemberNews(&members_);
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
  historyDue_.setSingleShot(true);
  connect(&historyDue_, &QTimer::timeout, this, &TChatClient::ReleaseHistory);
}

TChatClient::~TChatClient() {
  view_ = nullptr;
  IRC.SetMemberNews(nullptr);
}

void TChatClient::BindEngine() {
  const auto bind = [this](auto& event, auto handler, bool onLine) {
    BindTo(event, this, view_, handler, onLine ? &inLine_ : nullptr);
  };
#define VELKO_BIND_HANDLER(name, params, part, window) \
  ZO_WINDOW_##window(bind(IRC.On##name, &TChatClient::IRC##name, kOnLine_##part);)
  ZO_ENGINE_EVENTS(VELKO_BIND_HANDLER)
#undef VELKO_BIND_HANDLER
}

void TChatClient::ApplyServerSettings() {
  IRC.SetAddress(datas_.Address);
  IRC.SetPort(datas_.Port);
  IRC.SetTls(datas_.Tls != 0);
}

void TChatClient::ApplyConnectionSettings() {
  IRC.SetUserName(datas_.UserName);
  IRC.SetWireCoding(ChosenWireCoding(datas_));
  IRC.SetLogin(datas_.SaslAccount, datas_.SaslPassword);
  IRC.SetTlsTrust(datas_.TlsFingerprint, datas_.TlsCaFile);
  IRC.SetTlsClientCert(datas_.TlsClientCert, datas_.TlsClientKey);
}

void TChatClient::Write(std::optional<TOutLine> line) {
  if (!line || !view_) return;
  if (inLine_ > 0) {
    if (line->time == 0) line->time = IRC.CurrentLine().time;
    if (line->where == TOutTarget::Active) ToAsker(*line);
  }
  if (!history_.Waiting()) return Show(*line);
  for (const TOutLine& shown : history_.Pass(*line)) Show(shown);
}

// The chat logs hear of the line from its pane, within this call.
void TChatClient::Show(const TOutLine& line) {
  if (PastQueryCap(line)) {
    if (!std::exchange(queryCapNoted_, true)) Show(RenderQueryCapNote());
    TOutLine status = line;
    status.where = TOutTarget::Status;
    return Show(status);
  }
  const int64_t before = std::exchange(shownTime_, line.time);
  view_->Write(line);
  shownTime_ = before;
}

bool TChatClient::PastQueryCap(const TOutLine& line) const {
  return line.where == TOutTarget::Query && !view_->IsOpen(TFrontKind::Query, line.name) &&
         view_->OpenQueries() >= kPeerQueryCap;
}

// --- the session ---

void TChatClient::ApplyNick(const std::string& nick) {
  if (nick.empty()) return;
  datas_.Nick = nick;
  IRC.SetNick(nick);
  if (view_) view_->ShowOwnNick(nick);
}

void TChatClient::ChangeSettings(const std::vector<std::pair<std::string, std::string>>& values) {
  std::vector<std::pair<std::string, std::string>> rest;
  std::string nick;
  for (const auto& value : values)
    if (value.first == "Nick")
      nick = value.second;
    else
      rest.push_back(value);
  const auto server = [this] { return std::tuple(datas_.Address, datas_.Port, datas_.Tls); };
  const auto stored = server();
  const bool namesServer = std::any_of(rest.begin(), rest.end(), [](const auto& value) {
    return value.first == "Address" || value.first == "Port" || value.first == "Tls";
  });
  AssignSettings(datas_, rest);
  datas_.FetchKeptPassword();
  // A server the page named stays, and is not stored, until the user names another.
  if (namesServer && server() != std::tuple(IRC.Address(), int32_t{IRC.Port()}, int32_t{IRC.Tls()}))
    ApplyServerSettings();
  else
    std::tie(datas_.Address, datas_.Port, datas_.Tls) = stored;
  ApplyConnectionSettings();
  if (!nick.empty() && nick != datas_.Nick) RequestNick(nick);
  datas_.Save();
}

std::vector<std::pair<std::string, std::string>> TChatClient::ServerInUse() const {
  return {{"Address", IRC.Address()}, {"Port", std::to_string(IRC.Port())}, {"Tls", IRC.Tls() ? "1" : "0"}};
}

// Until the welcome the server confirms no nick, so it is taken at once.
void TChatClient::RequestNick(const std::string& nick) {
  if (IRC.state != TZoEngine::LoggedOn) ApplyNick(nick);
  if (IRC.state & (TZoEngine::Connected | TZoEngine::LoggedOn)) Send(Irc::Nick(nick));
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

void TChatClient::IRCConnect(void*) {
  friendsWatched_ = false;
  session_->Connected(datas_.UserName, datas_.Nick);
}

void TChatClient::IRCLogon(void*) {
  if (listing_) return;
  session_->LoggedOn();
  windowHint_.start();
  feed_.Connected();
}

void TChatClient::IRCDisconnect(void*) {
  AbandonListing();
  echoes_.Clear();
  labels_.Clear();
  ReleaseHistory();
  view_->ShowOwnAway(false);
  peerAway_.clear();
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
      sender_->Enqueue(Labeled(action.text),
                       [this, echo = std::move(action.echo), wire = action.text] { ShowSent(wire, echo); });
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
    case TLineAction::Kind::Friends:
      return ChangeFriends(action.text);
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
  chatLog_.Append(DecodeDisplay(IRC.Address().c_str()), DecodeDisplay(window.c_str()), shownTime_,
                  DecodeDisplay(plain.c_str()));
}
