// Direct chats and file transfers through the windows: the main window
// against a plain engine on a real server, both in this thread.
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTcpServer>
#include <QTimer>
#include <QToolButton>

#include "F_mchannel.h"
#include "F_usermenu.h"
#include "F_mdccchat.h"
#include "F_mdccfile.h"
#include "F_mstatus.h"
#include "M_filesave.h"
#include "M_filesend.h"
#include "M_msgbox.h"
#include "U_input.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "dcc_fixture.h"
#include "frame_input.h"
#include "wait_until.h"

namespace {

void Accept(TModalForm& dialog) { dynamic_cast<TmSaveFile&>(dialog).sbDown->click(); }

QString Caption(const std::string& nick, const char* status) {
  return QString::fromStdString(nick) + " - " + QString::fromUtf8(status);
}

// The window's user and a plain engine, both in #d, the engine selected in
// the channel window's member list.
class DccWindows : public DccNgircdTest {
 protected:
  void SetUp() override {
    DccNgircdTest::SetUp();
    static int counter = 0;
    me = "win" + std::to_string(++counter);
    form = std::make_unique<TMainForm>();
    form->Client().Settings().DCCDir = QDir(Path("")).absolutePath().toStdString() + "/";
    form->Client().ApplyNick(me.c_str());
    form->Client().SetAutoJoinChannels("#d");
    form->Client().ConnectTo(("127.0.0.1:" + std::to_string(server_->Port())).c_str());
    ASSERT_TRUE(WaitUntil([&] { return form->Subforms().FindChannel("#d"); }, 10000));
    peer = &AddSide();
    peer->engine.Send("JOIN #d\r\n");
    TmChannel* channel = form->Subforms().FindChannel("#d");
    ASSERT_TRUE(WaitUntil([&] { return channel->Users().size() == 2; }, 10000));
    SelectMemberRow(channel, channel->Users().front() == peer->nick ? 0 : 1);
    channel->Activate();
  }
  TmDCCFile* Progress() const { return form->Subforms().Find<TmDCCFile>(nullptr); }
  // A line the peer gets through the server after what it must not have
  // seen: a connect made before it would have reached the peer first.
  void Marker() {
    static int count = 0;
    const std::string text = "marker " + std::to_string(++count);
    form->Client().Engine().Send(("PRIVMSG " + peer->nick + " :" + text + "\r\n").c_str());
    ASSERT_TRUE(peer->WaitForPart("OnPrivmsg", text));
  }
  // Waits for the progress window to show the end.
  bool Ended(TmDCCFile* window) const {
    return window && WaitUntil([&] { return !window->Timer1->isActive(); }, 20000);
  }

  ScratchRegistry registry_;
  std::string me;
  std::unique_ptr<TMainForm> form;
  DccSide* peer = nullptr;
};

// An offer made through the member menu and its send dialog arrives whole,
// under its name with blanks as underscores; the window ends at 100%.
TEST_F(DccWindows, FileOfferedThroughTheMenuArrivesWhole) {
  const QByteArray bytes = RandomBytes(300000, 1);
  ASSERT_TRUE(WriteBytes(Path("two words.bin"), bytes));
  peer->target = [this](const char*, uint32_t) { return Append("got"); };
  ScopedAnswer answer([](TModalForm& dialog) { dynamic_cast<TmSendFile&>(dialog).sbSend->click(); });
  form->pmUser->miSendDCC->trigger();

  ASSERT_TRUE(peer->WaitFor("OnDisconnectRecv\t0\t1", 20000));
  EXPECT_EQ(peer->Events({"OnSendRequest"}).at(0).rfind("OnSendRequest\t0\t" + me + "\ttwo_words.bin\t300000", 0), 0u);
  EXPECT_EQ(ReadBytes(Path("got")), bytes);
  TmDCCFile* window = Progress();
  ASSERT_TRUE(Ended(window));
  EXPECT_EQ(window->windowTitle(), Caption(peer->nick, "파일전송 성공"));
  EXPECT_EQ(window->lTransfer->text(), QString::fromUtf8("전송량 : 293 KB / 293 KB (100%)"));
}

// Accepted in the save dialog, a file arrives whole and a cut one is resumed
// after its last byte; the held bytes count as transferred, not toward the speed.
TEST_F(DccWindows, AcceptedInTheSaveDialogArrivesWhole) {
  for (const int held : {0, 90000}) {
    const std::string name = "in" + std::to_string(held);
    const QByteArray bytes = RandomBytes(250000, held);
    if (held) {
      ASSERT_TRUE(WriteBytes(Path(name.c_str()), bytes.left(held)));
    }
    ScopedAnswer answer(Accept);
    Offer(*peer, me, name.c_str(), bytes);
    TmDCCFile* window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = Progress()); }, 10000));
    ASSERT_TRUE(Ended(window));
    EXPECT_EQ(window->Status(), TTransferStatus::Succeeded);
    EXPECT_EQ(ReadBytes(Path(name.c_str())), bytes) << name;
    EXPECT_EQ(window->Counts().sessionStart, static_cast<uint64_t>(held));
    EXPECT_EQ(window->Counts().transferred, 250000u);
    form->Subforms().CloseForm(window);
  }
}

// Closing a progress window with its close button in the middle of a
// transfer ends it on both sides and keeps the part received.
TEST_F(DccWindows, ClosingTheProgressWindowCancelsBothSides) {
  const int size = 64 << 20;
  ScopedAnswer answer(Accept);
  Offer(*peer, me, "big.bin", RandomBytes(size, 7));
  TmDCCFile* window = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (window = Progress()) && window->Counts().transferred > 0; }, 20000));
  window->Timer1Timer();
  EXPECT_EQ(window->windowTitle(), Caption(peer->nick, "접속 되었습니다."));
  EXPECT_EQ(window->pClient->size(), QSize(300, 110));
  Grab(*window, "dcc_progress");
  form->Subforms().PostClose(window);

  ASSERT_TRUE(peer->WaitFor("OnDisconnectSend\t0\t0", 10000));
  EXPECT_EQ(Progress(), nullptr);
  const qint64 kept = QFileInfo(Path("big.bin")).size();
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, size);
}

// A chat asked for through the member menu carries lines both ways, follows
// the peer's nick change, and closing its window ends it for the peer.
TEST_F(DccWindows, ChatFromTheMenuBothWays) {
  peer->acceptChat = true;
  form->pmUser->miDCCChat->trigger();
  auto* window = qobject_cast<TmDCCChat*>(form->Subforms().FrontForm());
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(peer->WaitFor("OnDCCChatConnect\t0", 10000));
  ASSERT_TRUE(WaitUntil([&] { return PaneText(window).contains(QString::fromUtf8("◆ 접속되었습니다")); }));

  peer->engine.SendChatMsg(0, "hello there\r\n");
  ASSERT_TRUE(WaitUntil([&] { return PaneText(window).contains(QString::fromStdString("<" + peer->nick + "> hello there")); }));
  EXPECT_FALSE(PaneText(window).contains('\r'));
  // A line typed with the chat in front goes to the chat and is echoed there.
  form->Input("and back");
  EXPECT_TRUE(peer->WaitFor("OnDCCChatMessage\t0\tand back\\r"));
  EXPECT_TRUE(PaneText(window).contains(QString::fromStdString("<" + form->Client().Settings().Nick + "> and back")));

  const std::string renamed = peer->nick + "x";
  peer->engine.Send(("NICK " + renamed + "\r\n").c_str());
  ASSERT_TRUE(WaitUntil([&] { return window->windowTitle() == QString::fromStdString(renamed); }));
  Grab(*window, "dcc_chat");
  form->Subforms().CloseForm(window);
  EXPECT_TRUE(peer->WaitFor("OnDCCChatDisconnect\t0"));
}

// A second offer arriving while the first one's dialog is open is asked
// next and gets its own window and name; a receive that never connects ends
// as failed instead of waiting unseen.
TEST_F(DccWindows, OffersThatNeverConnect) {
  const auto offer = [&](const char* name, int size) {
    const std::string line = ":" + peer->nick + "!u@h PRIVMSG " + me + " :\x01" "DCC SEND " + name +
                             " 2130706433 1 " + std::to_string(size) + "\x01";
    form->Client().Engine().SimulateLine(line.c_str());
  };
  int shown = 0;
  ScopedAnswer answer([&](TModalForm& dialog) {
    if (++shown == 1) offer("second.bin", 20);
    Accept(dialog);
  });
  offer("first.bin", 10);
  ASSERT_TRUE(WaitUntil([&] { return shown == 2 && form->Subforms().FindDCCRecv(1); }));

  for (const auto& [size, name] : {std::pair{10u, "first.bin"}, std::pair{20u, "second.bin"}}) {
    TmDCCFile* window = form->Subforms().FindDCCRecv(size == 10 ? 0 : 1);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(form->Subforms().FindDCCSend(window->Seqnum), nullptr);
    EXPECT_EQ(window->Counts().total, size);
    EXPECT_EQ(window->lFilename->text(), QString::fromUtf8("파일명 : ") + name);
    // The engine gives up on a sender it cannot reach; the window must say so.
    EXPECT_TRUE(WaitUntil([&] { return window->windowTitle() == Caption(peer->nick, "파일전송 실패"); }));
    EXPECT_FALSE(window->Timer1->isActive());
  }
}

// A second receive of a name still being written goes beside it, and its
// window names the file it really writes.
TEST_F(DccWindows, ASecondReceiveOfOneNameShowsWhereItWrites) {
  QTcpServer senders[2];
  ScopedAnswer answer(Accept);
  for (QTcpServer& sender : senders) {
    ASSERT_TRUE(sender.listen(QHostAddress::LocalHost));
    form->Client().Engine().SimulateLine((":" + peer->nick + "!u@h PRIVMSG " + me + " :\x01" "DCC SEND same.bin 2130706433 " +
                                 std::to_string(sender.serverPort()) + " 100\x01").c_str());
  }
  for (const auto& [seq, name] : {std::pair{0, "same.bin"}, std::pair{1, "same (1).bin"}}) {
    TmDCCFile* window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = form->Subforms().FindDCCRecv(seq)); }));
    EXPECT_TRUE(WaitUntil([&] { return window->lFilename->text() == QString::fromUtf8("파일명 : ") + name; })) << name;
    EXPECT_TRUE(QFileInfo::exists(Path(name)));
  }
}

// Declined in the save dialog, an offer connects nowhere and leaves nothing
// behind.
TEST_F(DccWindows, ADeclinedOfferConnectsNowhere) {
  bool asked = false;
  ScopedAnswer answer([&](TModalForm& dialog) {
    asked = true;
    dynamic_cast<TmSaveFile&>(dialog).sbNo->click();
  });
  Offer(*peer, me, "refused.bin", RandomBytes(1000, 3));
  ASSERT_TRUE(WaitUntil([&] { return asked; }));
  Marker();
  EXPECT_TRUE(peer->Events({"OnConnectForSend"}).empty());
  EXPECT_FALSE(QFileInfo::exists(Path("refused.bin")));
  EXPECT_FALSE(form->Client().Engine().DeclineRecv(0)) << "the declined offer still waits in the engine";
}

// Offers nobody answers expire: the open dialog closes, the waiting one goes
// too, each with a line, and nothing is left waiting or connected.
TEST_F(DccWindows, OffersNobodyAnswersExpire) {
  form->Client().SetOfferLifetime(std::chrono::milliseconds(300));
  bool closedByItself = false;
  ScopedAnswer answer([&](TModalForm& dialog) {
    QPointer<TModalForm> open(&dialog);
    closedByItself = WaitUntil([&] { return !open || !open->isVisible(); }, 5000);
  });
  Offer(*peer, me, "late1.bin", RandomBytes(10, 1));
  Offer(*peer, me, "late2.bin", RandomBytes(10, 2));
  TmChannel* channel = form->Subforms().FindChannel("#d");
  const QString expired = QString::fromUtf8("받기 요청에 응답이 없어 취소했습니다.");
  ASSERT_TRUE(WaitUntil([&] { return PaneText(channel).count(expired) == 2; }, 10000));
  EXPECT_TRUE(closedByItself);
  EXPECT_TRUE(PaneText(channel).contains(QString::fromStdString("◆ " + peer->nick) + QString::fromUtf8("님의 파일(late2.bin)")));
  Marker();
  EXPECT_EQ(Progress(), nullptr);
  EXPECT_TRUE(peer->Events({"OnConnectForSend"}).empty());
  EXPECT_FALSE(form->Client().Engine().DeclineRecv(0));
  EXPECT_FALSE(form->Client().Engine().DeclineRecv(1));
}

// A chat offer asks first and connects nowhere before the answer or after a
// no; the setting connects at once without asking, as before.
TEST_F(DccWindows, AChatOfferAsksBeforeConnecting) {
  QStringList asked;
  bool accept = true;
  bool connectedBeforeTheAnswer = false;
  ScopedAnswer answer([&](TModalForm& dialog) {
    auto& box = dynamic_cast<TKConfirmBox&>(dialog);
    asked << box.lText->text();
    if (asked.size() == 1) Grab(box, "dcc_chat_question");
    Marker();
    connectedBeforeTheAnswer |= peer->Events({"OnDCCChatConnect"}).size() >= static_cast<size_t>(asked.size());
    (accept ? box.sbOk : box.sbCancel)->click();
  });
  peer->engine.SendChatRequest(me.c_str());
  ASSERT_TRUE(peer->WaitFor("OnDCCChatConnect\t0", 10000));
  EXPECT_FALSE(connectedBeforeTheAnswer);
  EXPECT_EQ(asked, QStringList{QString::fromStdString("◆ " + peer->nick) + QString::fromUtf8("님이 DCC-CHAT를 요청합니다. 수락하시겠습니까?")});
  ASSERT_NE(form->Subforms().FindDCCChat(0), nullptr);

  accept = false;
  peer->engine.SendChatRequest(me.c_str());
  ASSERT_TRUE(WaitUntil([&] { return asked.size() == 2; }, 10000));
  Marker();
  EXPECT_EQ(peer->Events({"OnDCCChatConnect"}).size(), 1u);
  EXPECT_EQ(form->Subforms().FindDCCChat(1), nullptr);

  form->Client().Settings().DCCChatAutoAccept = 1;
  peer->engine.SendChatRequest(me.c_str());
  ASSERT_TRUE(peer->WaitFor("OnDCCChatConnect\t2", 10000));
  EXPECT_EQ(asked.size(), 2);
  EXPECT_NE(form->Subforms().FindDCCChat(2), nullptr);
}

}  // namespace
