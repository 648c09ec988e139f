// A chat client without a window: a view that records what it is asked to
// show and answers questions, and a rig that connects the client to a
// scripted server.
#pragma once

#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "U_chatclient.h"
#include "U_codepage.h"
#include "U_render.h"
#include "U_userlist.h"
#include "inspircd_server.h"
#include "scratch_registry.h"
#include "scripted_server.h"
#include "wait_until.h"

class RecordingView : public IChatView {
 public:
  void Write(const TOutLine& line) override {
    shown += DecodeDisplay(line.text.c_str()) + '\n';
    if (!line.name.empty()) into[line.name] << DecodeDisplay(line.text.c_str());
    if (line.where == TOutTarget::Query) queries.insert(line.name);
    lines.push_back(line);
  }
  TFront InputFront() const override { return front; }
  bool HostActive() const override { return active; }
  void Alert() override { ++alerts; }
  bool IsOpen(TFrontKind kind, const std::string& name) const override {
    return (kind == TFrontKind::Channel && channels.count(name)) || (kind == TFrontKind::Query && queries.count(name));
  }
  int OpenQueries() const override { return static_cast<int>(queries.size()); }
  std::vector<std::string> OpenChannels() const override { return {channels.begin(), channels.end()}; }
  void OpenChannel(const std::string& name) override {
    channels.insert(name);
    lists[name] = std::make_unique<TUserListModel>();
  }
  void CloseChannel(const std::string& name) override {
    channels.erase(name);
    lists.erase(name);
  }
  void ActivateChannel(const std::string&) override {}
  void ShowQuery(const std::string& nick) override { queries.insert(nick); }
  void OpenChat(int, const std::string&) override {}
  std::string ChatPeer(int) const override { return {}; }
  void ShowOwnNick(const std::string&) override {}
  void ShowOwnAway(bool away) override { awayShown << away; }
  IZoMemberNews* MemberList(const std::string& channel) override {
    const auto found = lists.find(channel);
    return found == lists.end() ? nullptr : found->second.get();
  }
  void NickChanged(const std::string&, const std::string&) override {}
  void ChannelChanged(const std::string&) override {}
  void ListReply(int numeric, const char*, int, const char*) override { listings += numeric == 321; }
  void OpenMotd() override {}
  void AddMotdLine(const char* text) override { motd << text; }
  bool TopicAnswered(const std::string&, const std::string&) override { return false; }
  void ModesAnswered(const std::string&) override {}
  void OpenTransfer(const TTransferShown&) override {}
  void TransferConnected(int, bool, const std::string&) override {}
  void TransferProgress(int, bool, uint64_t) override {}
  void TransferEnded(int, bool, bool) override {}
  void CloseTransfer(int, bool) override {}
  void Tell(const std::string& text) override { Asked(DecodeDisplay(text.c_str())); }
  void AskNick() override { Asked("nick"); }
  std::string AskKey(const std::string& channel) override {
    Asked(QString::fromStdString(channel));
    return key;
  }
  bool AskChat(const std::string& nick) override {
    Asked(QString::fromStdString(nick));
    return false;
  }
  bool AskTrust(const std::string& host, const std::string& fingerprint) override {
    Asked(QString::fromStdString(host + " " + fingerprint));
    return trust;
  }
  FileHandle AskSaveFile(const TQuestion& offer, const std::function<bool()>&) override {
    Asked(QString::fromStdString(offer.fileName));
    return kNoFile;
  }
  void CancelQuestion() override {}

  // Each question; `during` runs while the first one is open, as a dialog's loop would.
  void Asked(const QString& what) {
    asked << what;
    ++open;
    mostOpen = std::max(mostOpen, open);
    if (asked.size() == 1 && during) during();
    --open;
  }

  std::vector<std::string> Members(const std::string& channel) const { return lists.at(channel)->Entries(); }
  QVariant Member(const std::string& channel, const char* nick, int role) const {
    const TUserListModel& list = *lists.at(channel);
    return list.index(list.Find(nick)).data(role);
  }

  TFront front;
  std::set<std::string> channels;
  std::set<std::string> queries;
  QString shown;
  std::vector<TOutLine> lines;
  std::map<std::string, std::unique_ptr<TUserListModel>> lists;
  std::map<std::string, QStringList> into;  // lines by the window they name
  QList<bool> awayShown;
  QStringList asked;
  QStringList motd;
  std::string key = "secret";
  bool trust = false;
  bool active = false;
  int alerts = 0;
  std::function<void()> during;
  int open = 0;
  int mostOpen = 0;
  int listings = 0;
};

struct ClientRig {
  ClientRig() {
    client.SetView(&view);
    client.ApplyNick("me");
    client.ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
    server.WaitForText("NICK me\r\n");
  }
  // The engine has handled everything the server wrote before.
  bool Caught(const char* marker) {
    server.Write(QByteArray("PING :") + marker + "\r\n");
    return server.WaitForText(QByteArray("PONG :") + marker);
  }

  // The server offers `caps`, acknowledges what the client asks for of
  // them, and welcomes it with `supported` (005 words).
  bool Welcome(const QByteArray& caps, const QByteArray& supported = "CHANTYPES=#") {
    server.Write(":srv CAP * LS :" + caps + "\r\n");
    if (!server.WaitForText("CAP REQ :")) return false;
    const QByteArray& sent = server.Received();
    const qsizetype from = sent.lastIndexOf("CAP REQ :") + 9;
    server.Write(":srv CAP me ACK :" + sent.mid(from, sent.indexOf("\r\n", from) - from) + "\r\n");
    if (!server.WaitForText("CAP END")) return false;
    server.Write(":srv 001 me :Welcome\r\n:srv 005 me " + supported + " :are supported\r\n");
    return Caught("welcomed");
  }

  ScratchRegistry registry;
  ScriptedServer server;
  RecordingView view;
  TChatClient client;
};

// A chat client for an InspIRCd with its IRCv3 modules; Connect when ready.
struct Ircv3Rig {
  Ircv3Rig() {
    server.EnableIrcv3();
    started = server.Start();
    client.SetView(&view);
    client.ApplyNick("me");
  }
  ~Ircv3Rig() { client.SetView(nullptr); }
  bool LogOn() {
    client.ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
    return WaitUntil([&] { return client.Engine().state == TZoEngine::LoggedOn; }, 10000);
  }

  InspircdServer server;
  bool started = false;
  ScratchRegistry registry;
  RecordingView view;
  TChatClient client;
};

class RecordingListener : public IChatListener {
 public:
  void Connected() override { heard << "connected"; }
  void Disconnected(const QString& reason) override { heard << "disconnected " + reason; }
  void Message(const QString& window, const QString& nick, const QString& text, const QString& kind) override {
    ++messages;
    last = QStringList{window, nick, text, kind}.join(' ');
  }
  void Joined(const QString& channel, const QString& nick) override { heard << "join " + channel + ' ' + nick; }
  void Left(const QString& channel, const QString& nick, const QString& reason, const QString& how) override {
    heard << QStringList{how, channel, nick, reason}.join(' ');
  }
  void Renamed(const QString& oldNick, const QString& newNick) override { heard << "nick " + oldNick + ' ' + newNick; }
  void Topic(const QString& channel, const QString& topic) override { heard << "topic " + channel + ' ' + topic; }
  void Unread(const QString& window, int count, bool mention) override {
    unread << QStringLiteral("%1 %2%3").arg(window).arg(count).arg(mention ? " mention" : "");
  }
  void Error(const QString& code, const QString&) override { heard << "error " + code; }

  QStringList heard;
  QStringList unread;
  QString last;
  int messages = 0;
};
