// The chat client without a window: a real engine against a scripted server,
// and a view that records what it is asked to show and answers questions.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <set>

#include "U_chatclient.h"
#include "U_codepage.h"
#include "U_render.h"
#include "scratch_registry.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

class RecordingView : public IChatView {
 public:
  void Write(const TOutLine& line) override { shown += DecodeDisplay(line.text.c_str()) + '\n'; }
  TFront InputFront() const override { return front; }
  bool IsOpen(TFrontKind kind, const std::string& name) const override {
    return kind == TFrontKind::Channel && channels.count(name);
  }
  std::vector<std::string> OpenChannels() const override { return {channels.begin(), channels.end()}; }
  void OpenChannel(const std::string& name) override { channels.insert(name); }
  void CloseChannel(const std::string& name) override { channels.erase(name); }
  void ActivateChannel(const std::string&) override {}
  void ShowQuery(const std::string&) override {}
  void OpenChat(int, const std::string&) override {}
  std::string ChatPeer(int) const override { return {}; }
  void ShowOwnNick(const std::string&) override {}
  void MemberJoined(const std::string&, const std::string&) override {}
  void MemberLeft(const std::string&, const std::string&) override {}
  void MemberQuit(const std::string&) override {}
  void NickChanged(const std::string&, const std::string&) override {}
  void MemberChanged(const std::string&, const std::string&, const std::string&) override {}
  void ModesChanged(const std::string&) override {}
  void TopicChanged(const std::string&, const std::string&) override {}
  void ReloadMembers(const std::string&) override {}
  void ListReply(int numeric, const char*, int, const char*) override { listings += numeric == 321; }
  void OpenMotd() override {}
  void AddMotdLine(const char*) override {}
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

  TFront front;
  std::set<std::string> channels;
  QString shown;
  QStringList asked;
  std::string key = "secret";
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

  ScratchRegistry registry;
  ScriptedServer server;
  RecordingView view;
  TChatClient client;
};

// Refusals that arrive while a question is open wait their turn: each keyed
// channel is asked once, then the nick; a key is one word and an empty
// answer joins nothing.
TEST(ChatClient, RefusalsAskOneQuestionAtATime) {
  ClientRig rig;
  rig.view.during = [&] {
    rig.server.Write(":srv 475 me #b :no\r\n:srv 471 me #full :no\r\n:srv 433 me x :taken\r\n");
    ASSERT_TRUE(rig.Caught("during"));
  };
  rig.view.key = "k1 ignored";
  rig.server.Write(":srv 475 me #a :no\r\n");
  ASSERT_TRUE(rig.server.WaitForText("JOIN #a k1\r\nJOIN #b k1\r\n"));
  ASSERT_TRUE(WaitUntil([&] { return rig.view.asked.size() == 4; }));
  EXPECT_EQ(rig.view.asked, (QStringList{"#a", "#b", QString::fromUtf8("대화실 인원이 모두차서 입장할수 없습니다."), "nick"}));
  EXPECT_EQ(rig.view.mostOpen, 1);
  rig.view.key.clear();
  rig.server.Write(":srv 475 me #c :no\r\n");
  ASSERT_TRUE(WaitUntil([&] { return rig.view.asked.size() == 5; }));
  ASSERT_TRUE(rig.Caught("after"));
  EXPECT_FALSE(rig.server.Received().contains("JOIN #c"));
}

// A flood of file offers under as many nicks: the session goes on (a PING is
// answered while the first question is open), the queue holds its bound and
// every other offer is declined at once with a line.
TEST(ChatClient, AFloodOfOffersWaitsInABoundedQueue) {
  ClientRig rig;
  const auto offer = [](int from) {
    const QByteArray number = QByteArray::number(from);
    return ":p" + number + "!u@h PRIVMSG me :\x01" "DCC SEND f" + number + ".bin 2130706433 1 10\x01\r\n";
  };
  QByteArray flood;
  for (int from = 1; from < 1200; ++from) flood += offer(from);
  rig.view.during = [&] {
    rig.server.Write(flood);
    ASSERT_TRUE(rig.Caught("during"));
  };
  rig.server.Write(offer(0));
  const int held = static_cast<int>(TQuestions::kMaxHeld);
  ASSERT_TRUE(WaitUntil([&] { return rig.view.asked.size() == held; }, 30000));
  QCoreApplication::processEvents();
  EXPECT_EQ(rig.view.asked.size(), held);
  EXPECT_EQ(rig.view.mostOpen, 1);
  EXPECT_EQ(rig.view.asked.back(), "f19.bin");
  EXPECT_TRUE(rig.view.shown.contains(QString::fromUtf8("◆ p1199님의 파일(f1199.bin) 받기 요청이 너무 많아 거절했습니다.")));
  EXPECT_FALSE(rig.view.shown.contains(QString::fromUtf8("p19님의 파일(f19.bin) 받기 요청이")));
  for (int seq = 0; seq < 1200; ++seq) ASSERT_FALSE(rig.client.Engine().DeclineRecv(seq)) << seq;
}

// A logon while a listing runs does nothing: no rejoin, no second list.
TEST(ChatClient, LogonDuringAListingDoesNothing) {
  ClientRig rig;
  rig.client.Engine().SimulateLine(":me!u@h JOIN :#kept");
  rig.client.Engine().SimulateLine(":srv 321 me Channel :Users Name");
  EXPECT_TRUE(rig.client.Listing());
  rig.client.Engine().SimulateLine(":srv 001 me :Welcome");
  ASSERT_TRUE(rig.Caught("marker"));
  EXPECT_FALSE(rig.server.Received().contains("JOIN #kept"));
  EXPECT_FALSE(rig.server.Received().contains("LIST"));
  EXPECT_EQ(rig.view.listings, 1);
}

// Aliases expand; the user's own line is shown once it went out.
TEST(ChatClient, TypedLinesExpandAliases) {
  ClientRig rig;
  rig.view.front = {TFrontKind::Channel, "#c"};
  rig.client.RunLine("/j #d");
  ASSERT_TRUE(rig.server.WaitForText("JOIN #d\r\n"));
  rig.client.RunLine("hello");
  ASSERT_TRUE(rig.server.WaitForText("PRIVMSG #c :hello\r\n"));
  EXPECT_TRUE(WaitUntil([&] { return rig.view.shown.contains("<me> hello"); }));
}

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

// A page hears each message in Unicode whatever the wire's coding, but the
// unread count of a window behind only a few times however many arrive; a
// window brought to the front starts again from nothing.
TEST(ChatClient, ThePageHearsMessagesAndCoalescedUnreadCounts) {
  ClientRig rig;
  RecordingListener listener;
  rig.client.Feed().SetListener(&listener);
  rig.view.front = {TFrontKind::Channel, "#front"};
  rig.server.Write(":srv 001 me :hi\r\n:me!u@h JOIN #front\r\n:me!u@h JOIN #back\r\n");
  QByteArray flood;
  for (int i = 0; i < 2000; ++i) flood += ":bob!u@h PRIVMSG #back :line " + QByteArray::number(i) + "\r\n";
  rig.server.Write(flood + ":bob!u@h PRIVMSG #back :me: look\r\n");
  rig.server.Write(":bob!u@h PRIVMSG #front :" + QByteArray::fromStdString(EncodeText(QString::fromUtf8("안녕 친구"))) + "\r\n");
  ASSERT_TRUE(rig.Caught("flood"));
  EXPECT_EQ(listener.messages, 2002);
  EXPECT_EQ(listener.last, QString::fromUtf8("#front bob 안녕 친구 channel"));
  rig.server.Write(":bob!u@h PRIVMSG #front :" + QString::fromUtf8("잘 가").toUtf8() + "\r\n");
  ASSERT_TRUE(rig.Caught("utf8"));
  EXPECT_EQ(listener.last, QString::fromUtf8("#front bob 잘 가 channel"));
  ASSERT_TRUE(WaitUntil([&] { return listener.unread.contains("#back 2001 mention"); })) << listener.unread.join('|').toStdString();
  EXPECT_LE(listener.unread.size(), 5);

  rig.view.front = {TFrontKind::Channel, "#back"};
  rig.client.FrontSeen();
  ASSERT_TRUE(WaitUntil([&] { return listener.unread.last() == "#back 0"; }));

  rig.server.Write(":bob!u@h PART #back :bye\r\n:op!u@h KICK #front amy :out\r\n:cat!u@h QUIT :gone\r\n"
                   ":bob!u@h NICK robert\r\n:srv 433 me x :taken\r\n");
  ASSERT_TRUE(rig.Caught("members"));
  EXPECT_EQ(listener.heard.mid(3).join('|').toStdString(),
            "part #back bob bye|kick #front amy out|quit  cat gone|nick bob robert|error 433");
  rig.client.Feed().SetListener(nullptr);
}

}  // namespace
