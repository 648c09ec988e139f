#include "Zoengine.h"

#include <QTimer>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "C_analirc.h"
#include "C_batches.h"
#include "C_dccchat.h"
#include "C_dccfile.h"
#include "C_servercaps.h"
#include "U_codepage.h"
#include "U_connection.h"
#include "U_ircline.h"
#include "winsock_errors.h"

namespace {

// One line (CR LF included) in UTF-8, cut between characters so it keeps
// within the protocol's 512 bytes. The client's text is CP949; a line already
// in UTF-8 stays as it is.
std::string Utf8Line(std::string_view line) {
  const bool ended = line.size() >= 2 && line.substr(line.size() - 2) == "\r\n";
  if (ended) line.remove_suffix(2);
  std::string text = Utf8Text(line.data(), line.size());
  if (text.size() > 510) {
    size_t cut = 510;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  return ended ? text + "\r\n" : text;
}

}  // namespace

TZoEngine::TZoEngine(QObject* parent)
    : QObject(parent),
      connection_(std::make_unique<CZoConnection>()),
      data_(std::make_unique<CZoData>()),
      analysis_(std::make_unique<CZoAnalysis>(*this, data_.get(), [this](const char* text) { Send(text); })),
      simulated_(std::make_unique<char[]>(CZoConnection::kReceiveSize + 1)) {
  BindConnection();
}

TZoEngine::~TZoEngine() = default;

// The connection's news reaches the engine, which acts and raises its event.
void TZoEngine::BindConnection() {
  connection_->OnLine = [this](char* line) { atLine(line); };
  connection_->OnConnect = [this](void* noUse) { atConnect(noUse); };
  connection_->OnDisconnect = [this](void* noUse) { atDisconnect(noUse); };
  connection_->OnError = [this](int* code) { atIRCError(code); };
  analysis_->DCC().ServerAddress = [this] { return LocalAddress(); };
  analysis_->Caps().OnPolicy = [this](const char* value) { Policy(value); };
}

void TZoEngine::SetNick(const std::string& nick) {
  nick_ = nick;
  data_->SetOwnerNick(nick.c_str());
}

bool TZoEngine::Connect() {
  if (connection_->IsOpen()) return false;  // a live connection keeps its state
  state = Connecting;
  ZoTlsOptions tls = tls_;
  livePort_ = port_;
  if (const auto policy = tls.on ? std::nullopt : sts_.Find(address_, ZoNowMs())) {
    tls.on = true;
    livePort_ = policy->port;
  }
  liveTls_ = tls.on;
  connection_->SetTls(tls);
  if (!connection_->Connect(address_.c_str(), static_cast<uint32_t>(livePort_))) return false;
  // A refusal reported during the call has already ended the attempt.
  if (state == Connecting && connection_->IsOpen()) watch_.Connecting();
  return true;
}

void TZoEngine::Disconnect() {
  reopening_ = false;
  watch_.Stop();
  connection_->Disconnect();
  state = Idle;
}

// Each overdue stage ends the connection with a time-out, which the host
// answers like any lost connection; registration first gets to go on
// without the capabilities still under negotiation.
void TZoEngine::Overdue(CZoLinkWatch::Late late) {
  if (late == CZoLinkWatch::Late::Ping) {
    Send(Irc::Ping("velko").c_str());
    return;
  }
  if (late == CZoLinkWatch::Late::Register && analysis_->Caps().Negotiating()) {
    analysis_->Caps().GiveUp();
    watch_.Registering();
    return;
  }
  connection_->Fail(WSAETIMEDOUT);
}

// Over TLS a duration keeps the policy (0 drops it); in plain the policy
// only says where TLS is, and the connection goes there at once.
void TZoEngine::Policy(const char* value) {
  const ZoStsValue policy = ZoParseSts(value);
  if (liveTls_) {
    if (policy.durationS >= 0) sts_.Remember(address_, livePort_, ZoNowMs() + policy.durationS * 1000, ZoNowMs());
    return;
  }
  if (policy.port < 0) return;
  sts_.Upgrade(address_, policy.port);
  upgrading_ = true;
  connection_->Disconnect();
  if (upgrading_ && !connection_->IsOpen()) Reopen();
}

// The plain connection is gone without the host hearing of it: the next one
// is the same session's, over TLS.
void TZoEngine::Reopen() {
  upgrading_ = false;
  watch_.Stop();
  state = Idle;
  analysis_->Batches().Clear();
  reopening_ = true;
  QTimer::singleShot(0, this, [this] {
    if (std::exchange(reopening_, false)) Connect();
  });
}

bool TZoEngine::CapEnabled(const char* name) const { return analysis_->Caps().Enabled(name); }

int TZoEngine::MonitorLimit() const { return analysis_->Caps().MonitorLimit(); }
int TZoEngine::HistoryLimit() const { return analysis_->Caps().HistoryLimit(); }
bool TZoEngine::HistoryByMsgid() const { return analysis_->Caps().HistoryByMsgid(); }

void TZoEngine::SetLogin(const std::string& account, const std::string& password) {
  analysis_->Caps().SetLogin(account, password);
}

void TZoEngine::SetTlsTrust(const std::string& fingerprint, const std::string& caFile) {
  tls_.fingerprint = fingerprint;
  tls_.caFile = caFile;
}

const std::string& TZoEngine::RefusedCertificate() const { return connection_->RefusedCertificate(); }

void TZoEngine::SetTlsClientCert(const std::string& certFile, const std::string& keyFile) {
  tls_.clientCert = certFile;
  tls_.clientKey = keyFile;
}

bool TZoEngine::Utf8Wire() const {
  if (wireCoding_ != TWireCoding::Auto) return wireCoding_ == TWireCoding::Utf8;
  return analysis_->Caps().Utf8Announced();
}

bool TZoEngine::Send(const char* text) {
  if (!text || !Utf8Wire()) return connection_->Send(text);
  std::string wire;
  for (std::string_view rest(text); !rest.empty();) {
    const size_t end = std::min(rest.find('\n'), rest.size() - 1) + 1;
    wire += Utf8Line(rest.substr(0, end));
    rest.remove_prefix(end);
  }
  return connection_->Send(wire.c_str());
}

void TZoEngine::SimulateLine(const char* text) {
  if (!text) return;
  ZoCopy(simulated_.get(), CZoConnection::kReceiveSize + 1, text);
  analysis_->Analyse(simulated_.get());
}

CZoUser* TZoEngine::FindUser(const char* nick, int* index) const { return data_->FindUser(nick, index); }

CZoChannel* TZoEngine::FindChan(const char* name, int* index) const { return data_->FindChannel(name, index); }

CZoOwner* TZoEngine::GetOwnerData() { return data_->GetOwner(); }

void TZoEngine::SetMemberNews(IZoMemberNews* news) { data_->SetMemberNews(news); }

uint32_t TZoEngine::LocalAddress() const { return connection_->LocalAddress(); }

int TZoEngine::SendFile(const char* nick, const char* fileName, FileHandle file) {
  return analysis_->DCC().Sends().SendFile(nick, fileName, file);
}

bool TZoEngine::CancelSend(int seqnum) { return analysis_->DCC().Sends().CancelSend(seqnum); }

bool TZoEngine::CancelRecv(int seqnum) { return analysis_->DCC().Recvs().CancelRecv(seqnum); }

bool TZoEngine::AcceptRecv(int seqnum, FileHandle file) { return analysis_->DCC().Recvs().AcceptRecv(seqnum, file); }

bool TZoEngine::DeclineRecv(int seqnum) { return analysis_->DCC().Recvs().DeclineRecv(seqnum); }

std::string TZoEngine::RecvFilePath(int seqnum) const { return analysis_->DCC().Recvs().RecvPath(seqnum); }

void TZoEngine::SetDCCConnectTimeout(int ms) { analysis_->DCC().Recvs().SetConnectTimeout(ms); }

int TZoEngine::SendChatRequest(const char* nick) { return analysis_->DCC().Chats().SendChatRequest(nick); }

bool TZoEngine::SendChatMsg(int seqnum, const char* text) {
  return analysis_->DCC().Chats().SendChatMsg(seqnum, text);
}

bool TZoEngine::CancelChat(int seqnum) { return analysis_->DCC().Chats().CancelChat(seqnum); }

bool TZoEngine::AcceptChat(int seqnum) { return analysis_->DCC().Chats().AcceptChat(seqnum); }

bool TZoEngine::DeclineChat(int seqnum) { return analysis_->DCC().Chats().DeclineChat(seqnum); }

void TZoEngine::atLine(char* line) {
  watch_.Heard();
  analysis_->Analyse(line);
  ZoRaise(OnLine, line);
}

void TZoEngine::atConnect(void* p) {
  watch_.Registering();
  state = InConnect;
  analysis_->Caps().Start(tls_.on && !tls_.clientCert.empty());
  ZoRaise(OnConnect, p);
  if (state == InConnect) state = Connected;  // the receiver may have disconnected
}

void TZoEngine::atDisconnect(void* p) {
  if (upgrading_) return Reopen();
  watch_.Stop();
  state = Idle;
  data_->ClearSession();
  analysis_->Batches().Clear();
  ZoRaise(OnDisconnect, p);
}

// A failed attempt is over once reported: the engine is idle again, unless
// the receiver has started the next one.
void TZoEngine::atIRCError(int* code) {
  ZoRaise(OnIRCError, code);
  if (state != Connecting || connection_->IsOpen()) return;
  watch_.Stop();
  state = Idle;
}

void TZoEngine::atLogon(void* p) {
  watch_.LoggedOn();
  state = LoggedOn;
  ZoRaise(OnLogon, p);
}

void TZoEngine::atNick(const char* oldNick, const char* newNick) {
  if (ZoSameName(oldNick, nick_.c_str())) nick_ = newNick;
  ZoRaise(OnNick, oldNick, newNick);
}
