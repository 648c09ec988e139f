// Direct chats and file transfers through the windows: the main window
// against a plain engine on a real server, both in this thread.
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <random>

#include "F_mchannel.h"
#include "F_mdccchat.h"
#include "F_mdccfile.h"
#include "M_filesave.h"
#include "M_filesend.h"
#include "U_input.h"
#include "U_modalman.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "wait_until.h"

namespace {

QByteArray RandomBytes(int size, unsigned seed) {
  std::mt19937 random(seed);
  QByteArray bytes(size, 0);
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

QByteArray Digest(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

bool Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Answers every dialog shown while it lives.
struct Answering {
  explicit Answering(TModalAnswer answer) { SetModalAnswer(std::move(answer)); }
  ~Answering() { SetModalAnswer(nullptr); }
};

// The other side: a plain engine that takes offers into its own folder and
// accepts chats.
struct Peer : EngineRecorder {
  Peer() {
    auto record = engine.OnSendRequest;
    engine.OnSendRequest = [this, record](int seq, const char* from, const char* name, uint32_t size,
                                          FileHandle* file) {
      offered = name;
      *file = FileOpen(target.toUtf8().constData(), false, true);
      record(seq, from, name, size, file);
    };
    auto recordChat = engine.OnDCCChat;
    engine.OnDCCChat = [this, recordChat](int seq, const char* from, const char* address, int port, int* accept) {
      *accept = 1;
      chat = seq;
      recordChat(seq, from, address, port, accept);
    };
  }
  QString target;
  std::string offered;
  int chat = -1;
};

TmDCCFile* ProgressWindow(TMainForm& form, bool receiving) {
  CSubforms& forms = form.Subforms();
  for (int i = 0; i < forms.Count(); ++i)
    if (forms.Form(i)->Kind == wkDccFile && static_cast<TmDCCFile*>(forms.Form(i))->Receiving == receiving)
      return static_cast<TmDCCFile*>(forms.Form(i));
  return nullptr;
}

QString Caption(const char* nick, const char* status) { return QString::fromUtf8(nick) + " - " + QString::fromUtf8(status); }

class DccWindows : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<NgircdServer>();
    if (!server_->Start()) server_.reset();
  }
  static void TearDownTestSuite() { server_.reset(); }

  // The window's user and the peer, both in #d, the peer selected in the
  // channel window's member list.
  void SetUp() override {
    ASSERT_TRUE(server_) << "ngircd did not start";
    static int counter = 0;
    ++counter;
    me = "win" + std::to_string(counter);
    peerNick = "peer" + std::to_string(counter);
    form = std::make_unique<TMainForm>();
    form->Settings().DCCDir = Folder("mine");
    form->ApplyNick(me.c_str());
    form->SetAutoJoinChannels("#d");
    form->ConnectTo(("127.0.0.1:" + std::to_string(server_->Port())).c_str());
    ASSERT_TRUE(WaitUntil([&] { return form->Subforms().FindChannel("#d") != nullptr; }, 10000));
    ASSERT_TRUE(peer.LogOn(server_->Port(), peerNick));
    peer.engine.Send("JOIN #d\r\n");
    TmChannel* channel = form->Subforms().FindChannel("#d");
    ASSERT_TRUE(WaitUntil([&] { return channel->lbUsers->count() == 2; }, 10000));
    const auto& users = channel->Users();
    const auto at = std::find(users.begin(), users.end(), peerNick);
    ASSERT_NE(at, users.end());
    channel->lbUsers->setCurrentRow(static_cast<int>(at - users.begin()));
    channel->Activate();
  }

  std::string Folder(const char* name) {
    QDir(dir_.path()).mkpath(name);
    return dir_.filePath(name).toStdString() + "/";
  }
  QString Mine(const char* name) { return QString::fromStdString(Folder("mine")) + name; }
  // The peer offers `bytes` as `name`.
  void PeerOffers(const char* name, const QByteArray& bytes) {
    const QString source = QString::fromStdString(Folder("peer")) + "source";
    ASSERT_TRUE(Write(source, bytes));
    peer.engine.SendFile(me.c_str(), name, FileOpen(source.toUtf8().constData(), true, false));
  }

  static inline std::unique_ptr<NgircdServer> server_;
  QTemporaryDir dir_;
  ScratchRegistry registry_;
  std::string me;
  std::string peerNick;
  std::unique_ptr<TMainForm> form;
  Peer peer;
};

// An offer made through the member menu and its send dialog arrives whole,
// under the name with blanks as underscores; the progress window ends at 100%.
TEST_F(DccWindows, FileOfferedThroughTheMenuArrivesWhole) {
  const QByteArray bytes = RandomBytes(300000, 1);
  ASSERT_TRUE(Write(Mine("two words.bin"), bytes));
  peer.target = QString::fromStdString(Folder("peer")) + "got";
  Answering answer([](TModalForm& dialog) { dynamic_cast<TmSendFile&>(dialog).sbSend->click(); });
  form->miSendDCC->trigger();

  ASSERT_TRUE(peer.WaitFor("OnDisconnectRecv\t0\t1", 20000));
  EXPECT_EQ(peer.offered, "two_words.bin");
  EXPECT_EQ(Digest(peer.target), Digest(Mine("two words.bin")));
  TmDCCFile* window = ProgressWindow(*form, false);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return window->Status() == TTransferStatus::Succeeded; }));
  EXPECT_FALSE(window->Timer1->isActive());
  EXPECT_EQ(window->windowTitle(), Caption(peerNick.c_str(), "파일전송 성공"));
  EXPECT_EQ(window->lWith->text(), QString::fromUtf8("수신자 : ") + peerNick.c_str());
  EXPECT_EQ(window->lTransfer->text(), QString::fromUtf8("전송량 : 300000 / 300000 (100%)"));
}

struct ReceiveCase {
  const char* name;
  int size;
  int held;  // bytes the target already holds
};

class DccReceive : public DccWindows, public testing::WithParamInterface<ReceiveCase> {};

// An offer accepted in the save dialog is received whole, a cut file resumed
// after its last byte; the held bytes show in the count but not in the speed.
TEST_P(DccReceive, AcceptedInTheSaveDialogArrivesWhole) {
  const ReceiveCase& c = GetParam();
  const QByteArray bytes = RandomBytes(c.size, c.size);
  if (c.held) {
    ASSERT_TRUE(Write(Mine(c.name), bytes.left(c.held)));
  }
  QString proposed;
  Answering answer([&](TModalForm& dialog) {
    auto& save = dynamic_cast<TmSaveFile&>(dialog);
    proposed = save.eFileName->text();
    save.sbDown->click();
  });
  PeerOffers(c.name, bytes);

  ASSERT_TRUE(peer.WaitFor("OnDisconnectSend\t0\t1", 20000));
  EXPECT_EQ(proposed, Mine(c.name));
  TmDCCFile* window = ProgressWindow(*form, true);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return window->Status() == TTransferStatus::Succeeded; }));
  EXPECT_EQ(Digest(Mine(c.name)), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
  EXPECT_EQ(window->Counts().sessionStart, static_cast<uint64_t>(c.held));
  EXPECT_EQ(window->Counts().transferred, static_cast<uint64_t>(c.size));
  EXPECT_EQ(window->lWith->text(), QString::fromUtf8("송신자 : ") + peerNick.c_str());
  EXPECT_TRUE(window->lTransfer->text().endsWith("(100%)")) << window->lTransfer->text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, DccReceive,
                         testing::Values(ReceiveCase{"fresh.bin", 250000, 0}, ReceiveCase{"cut.bin", 250000, 90000}),
                         [](const auto& info) { return std::string(info.param.held ? "Resumed" : "Fresh"); });

// Closing a progress window in the middle of a transfer ends it on both sides
// and keeps the part received.
TEST_F(DccWindows, ClosingTheProgressWindowCancelsBothSides) {
  const int size = 64 << 20;
  Answering answer([](TModalForm& dialog) { dynamic_cast<TmSaveFile&>(dialog).sbDown->click(); });
  PeerOffers("big.bin", RandomBytes(size, 7));
  TmDCCFile* window = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    window = ProgressWindow(*form, true);
    return window && window->Counts().transferred > 0;
  }, 20000));
  window->Timer1Timer();
  EXPECT_EQ(window->windowTitle(), Caption(peerNick.c_str(), "접속 되었습니다."));
  SaveGrab(window, "dcc_progress");
  form->Subforms().PostClose(window);  // as the frame's close button does

  ASSERT_TRUE(peer.WaitFor("OnDisconnectSend\t0\t0", 10000));
  EXPECT_FALSE(ProgressWindow(*form, true));
  const qint64 kept = QFileInfo(Mine("big.bin")).size();
  EXPECT_GT(kept, 0);
  EXPECT_LT(kept, size);
}

// A chat asked for through the member menu carries lines both ways, follows
// the peer's nick change, and closing its window ends it for the peer.
TEST_F(DccWindows, ChatFromTheMenuBothWays) {
  form->miDCCChat->trigger();
  auto* window = static_cast<TmDCCChat*>(form->Subforms().FrontForm());
  ASSERT_EQ(window->Kind, wkDccChat);
  ASSERT_TRUE(WaitUntil([&] { return peer.chat >= 0; }, 10000));
  ASSERT_TRUE(peer.WaitFor("OnDCCChatConnect\t" + std::to_string(peer.chat)));
  ASSERT_TRUE(WaitUntil([&] { return PaneText(window).contains(QString::fromUtf8("◆ 접속되었습니다")); }));

  peer.engine.SendChatMsg(peer.chat, "hello there\r\n");
  ASSERT_TRUE(WaitUntil([&] { return PaneText(window).contains(QString::fromStdString("<" + peerNick + "> hello there")); }));
  // Where the input line sends what is typed into the front window.
  const TFront front = form->Subforms().InputFront();
  EXPECT_EQ(front.kind, TFrontKind::Chat);
  EXPECT_EQ(front.chatId, window->ChatId);
  EXPECT_EQ(front.name, peerNick);
  form->Engine().SendChatMsg(front.chatId, "and back\r\n");
  // The peer's engine keeps the CR of the CR LF; the window drops it.
  EXPECT_TRUE(peer.WaitFor("OnDCCChatMessage\t" + std::to_string(peer.chat) + "\tand back\\r"));
  EXPECT_FALSE(PaneText(window).contains('\r'));

  const std::string renamed = peerNick + "x";
  peer.engine.Send(("NICK " + renamed + "\r\n").c_str());
  ASSERT_TRUE(WaitUntil([&] { return window->Nick == renamed; }));
  EXPECT_EQ(window->windowTitle(), QString::fromStdString(renamed));
  SaveGrab(window, "dcc_chat");

  form->Subforms().CloseForm(window);
  EXPECT_TRUE(peer.WaitFor("OnDCCChatDisconnect\t" + std::to_string(peer.chat)));
}

// Offers whose sender never answers: a second offer arriving while the first
// one's dialog is open gets its own window and name, and a receive that never
// connects ends as failed instead of waiting unseen.
TEST_F(DccWindows, OffersThatNeverConnect) {
  const auto offer = [&](const char* name, int size) {
    const std::string line = ":" + peerNick + "!u@h PRIVMSG " + me + " :\x01" "DCC SEND " + name +
                             " 2130706433 1 " + std::to_string(size) + "\x01";
    form->Engine().SimulateLine(line.c_str());
  };
  int shown = 0;
  Answering answer([&](TModalForm& dialog) {
    if (++shown == 1) offer("second.bin", 20);
    dynamic_cast<TmSaveFile&>(dialog).sbDown->click();
  });
  offer("first.bin", 10);
  ASSERT_EQ(shown, 2);

  std::vector<TmDCCFile*> windows;
  for (int i = 0; i < form->Subforms().Count(); ++i)
    if (form->Subforms().Form(i)->Kind == wkDccFile) windows.push_back(static_cast<TmDCCFile*>(form->Subforms().Form(i)));
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_NE(windows[0]->Seqnum, windows[1]->Seqnum);
  for (TmDCCFile* window : windows) {
    const bool second = window->Counts().total == 20;
    EXPECT_EQ(window->lFilename->text(), QString::fromUtf8("파일명 : ") + (second ? "second.bin" : "first.bin"));
    EXPECT_EQ(form->Subforms().FindDCCRecv(window->Seqnum), window);
    EXPECT_EQ(form->Subforms().FindDCCSend(window->Seqnum), nullptr);
    EXPECT_EQ(window->pClient->size(), QSize(300, 110));
    window->ConnectPatience = 3;
    for (int tick = 0; tick < 3; ++tick) window->Timer1Timer();
    EXPECT_EQ(window->windowTitle(), Caption(peerNick.c_str(), "접속중...."));
    window->Timer1Timer();
    EXPECT_EQ(window->windowTitle(), Caption(peerNick.c_str(), "파일전송 실패"));
    EXPECT_FALSE(window->Timer1->isActive());
  }
}

}  // namespace
