// The IRC engine as one component: owns the server connection, the analysis
// layer and the session data, and republishes everything as events.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "C_analctcp.h"
#include "C_analdcc.h"
#include "C_servercaps.h"
#include "C_socket.h"
#include "C_stspolicies.h"
#include "U_analysis.h"
#include "U_data.h"
#include "U_engineevents.h"
#include "U_linkwatch.h"

class CZoConnection;

class TZoEngine : public QObject, public CZoEvents {
  Q_OBJECT

 public:
  enum State { Idle = 0, Connecting = 1, InConnect = 2, Connected = 4, LoggedOn = 8 };

  explicit TZoEngine(QObject* parent = nullptr);
  ~TZoEngine() override;

  const std::string& Nick() const { return nick_; }
  const std::string& UserName() const { return userName_; }
  const std::string& Address() const { return address_; }
  int Port() const { return port_; }
  void SetNick(const std::string& nick);
  void SetUserName(const std::string& userName) { userName_ = userName; }
  void SetAddress(const std::string& address) { address_ = address; }
  void SetPort(int port) { port_ = port; }
  // SASL PLAIN login for the next connections; an empty account logs in without.
  void SetLogin(const std::string& account, const std::string& password);
  // Auto follows what the server announces; the others hold whatever it says.
  void SetWireCoding(TWireCoding coding) { wireCoding_ = coding; }
  // TLS for the next connections, and what the user trusts beyond the system's store.
  void SetTls(bool on) { tls_.on = on; }
  void SetTlsTrust(const std::string& fingerprint, const std::string& caFile);
  // A client certificate to present over TLS; it then logs in (SASL EXTERNAL).
  void SetTlsClientCert(const std::string& certFile, const std::string& keyFile);
  bool Tls() const { return tls_.on; }
  // The SHA-256 (colon-separated hex) of the certificate the last attempt
  // refused, for OnIRCError's TLS codes; empty otherwise.
  const std::string& RefusedCertificate() const;
  // The wire encoding of the live connection: UTF-8 or the default CP949.
  // Lines received are read line by line whatever it is.
  bool Utf8Wire() const;

  // The host shows the owner's own lines when the server repeats them
  // (echo-message), not when they are sent; off unless set.
  void SetEchoMessage(bool on) { analysis_->Caps().SetEchoWanted(on); }
  // A capability the server has switched on ("echo-message": the server
  // repeats the owner's own messages, so they are shown when they come back).
  bool CapEnabled(const char* name) const;
  // How many nicks MONITOR may watch: 0 without MONITOR, -1 without a limit.
  int MonitorLimit() const;
  // How many past lines a CHATHISTORY request may ask for: 0 when the server
  // keeps none for clients, -1 without a limit.
  int HistoryLimit() const;
  // Whether a history request may name a line by its msgid (else by time).
  bool HistoryByMsgid() const;
  // When lines arrive (ms since 1970, UTC), which ends a batch left open; tests set their own.
  void SetArrivalClock(std::function<int64_t()> clock) { analysis_->SetClock(std::move(clock)); }
  // The line being analysed, with its tags, time and batch: valid during
  // the events it raises.
  const stIRC& CurrentLine() const { return analysis_->Record(); }
  // The TLS-only policies servers have set; a policy makes a plain address
  // connect over TLS, and a TLS failure under it is never retried in plain.
  CZoStsPolicies& StsPolicies() { return sts_; }

  // Deadlines for the stages of every connection; tests shorten them.
  void SetDeadlines(const ZoDeadlines& deadlines) { watch_.SetDeadlines(deadlines); }

  bool Connect();
  void Disconnect();
  // True when the text was handed to a live connection.
  bool Send(const char* text);
  void SimulateLine(const char* text);
  CZoUser* FindUser(const char* nick, int* index = nullptr) const;
  CZoChannel* FindChan(const char* name, int* index = nullptr) const;
  CZoOwner* GetOwnerData();
  // The whole session: every channel and user, in order of arrival.
  const CZoData& SessionData() const { return *data_; }
  // The one listener told of every channel member's change; null for none.
  void SetMemberNews(IZoMemberNews* news);
  // The local IPv4 address of the live server connection in host order, 0 when none.
  uint32_t LocalAddress() const;

  // DCC: each chat and transfer is named by its sequence number in its table.
  // SendFile takes over the handle, opened for reading with FileOpen.
  int SendFile(const char* nick, const char* fileName, FileHandle file);
  bool CancelSend(int seqnum);
  // Ends a receive; an offer still waiting for its answer is declined.
  bool CancelRecv(int seqnum);
  // Answers a file offer whose OnSendRequest stored kFileAskLater, as the
  // handle would have then (the engine takes it over), or declines it. False
  // when no offer waits under that number: the handle stays the caller's.
  bool AcceptRecv(int seqnum, FileHandle file);
  bool DeclineRecv(int seqnum);
  // The path a receive writes to: a second receive of a name already being
  // received writes beside it, as "name (1).ext". Empty when unknown.
  std::string RecvFilePath(int seqnum) const;
  // How long a receive may take to connect (60 s unless set).
  void SetDCCConnectTimeout(int ms);
  int SendChatRequest(const char* nick);
  // Sends the text unchanged: the caller adds CR LF.
  bool SendChatMsg(int seqnum, const char* text);
  // Ends a chat; an offer still waiting for its answer is declined.
  bool CancelChat(int seqnum);
  // Answers a chat offer whose OnDCCChat stored kChatAskLater: connects to
  // the peer, or drops it. False when no offer waits under that number.
  bool AcceptChat(int seqnum);
  bool DeclineChat(int seqnum);

  // 0 idle, 1 connecting, 2 during OnConnect, 4 connected, 8 logged on.
  int state = Idle;

  // Forwarders: the events whose raising changes the engine's own state first.
  // atLine takes the writable line, since the analysis cuts it in place.
  void atLine(char* line);
  void atConnect(void* noUse);
  void atDisconnect(void* noUse);
  void atIRCError(int* errorCode);
  void atLogon(void* noUse) override;
  void atNick(const char* oldNick, const char* newNick) override;

 private:
  void BindConnection();
  void Overdue(CZoLinkWatch::Late late);
  void Policy(const char* value);
  void Reopen();

  std::unique_ptr<CZoConnection> connection_;
  std::unique_ptr<CZoData> data_;
  std::unique_ptr<CZoAnalysis> analysis_;
  std::string nick_ = "QUELBO";
  std::string userName_ = "QUELBO";
  std::string address_ = "localhost";
  int port_ = 6667;
  TWireCoding wireCoding_ = TWireCoding::Auto;
  ZoTlsOptions tls_;
  CZoStsPolicies sts_;
  bool liveTls_ = false;  // what the live connection uses, policy included
  int livePort_ = 0;
  bool upgrading_ = false;  // closing a plain connection to come back over TLS
  bool reopening_ = false;  // the TLS connection is about to start, unless the host disconnects
  std::unique_ptr<char[]> simulated_;
  CZoLinkWatch watch_{[this](CZoLinkWatch::Late late) { Overdue(late); }};
};
