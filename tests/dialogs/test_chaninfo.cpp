#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <gtest/gtest.h>

#include "C_channel.h"
#include "M_chaninfo.h"
#include "M_msgbox.h"
#include "U_chanlistgrid.h"
#include "U_codepage.h"
#include "engine_recorder.h"
#include "frame_input.h"
#include "grab.h"
#include "ngircd_server.h"

namespace {

TChanChange Change(const char* curModes, const char* ticked, const char* key, const char* limit, const char* topic) {
  TChanChange change{"#c", curModes, {}, key, limit, topic};
  for (size_t i = 0; i < kChanModeLetters.size(); ++i) change.ticked[i] = strchr(ticked, kChanModeLetters[i]);
  return change;
}

// Only what differs from the channel's modes is sent; a key or limit the
// channel has is never sent again; line breaks end a typed value.
TEST(ChanChangeLine, SendsWhatChanged) {
  struct Case {
    const char* what;
    TChanChange change;
    std::string line;
  };
  const Case cases[] = {
      {"unchanged", Change("tnkl", "tn", "key", "9", ""), ""},
      {"key alone", Change("", "", "pw", "", ""), "MODE #c +k pw\r\n"},
      {"limit alone", Change("", "", "", " 50 ", ""), "MODE #c +l 50\r\n"},
      {"topic alone", Change("tn", "tn", "", "", "hi there"), "TOPIC #c :hi there\r\n"},
      {"key cleared", Change("k", "", "", "", ""), "MODE #c -k\r\n"},
      {"limit cleared", Change("l", "", "", "", ""), "MODE #c -l\r\n"},
      {"new key for a keyed channel", Change("k", "", "new", "", ""), ""},
      {"n off, m on", Change("tn", "tm", "", "", ""), "MODE #c +m-n\r\n"},
      {"key, limit and s", Change("", "s", "pw", "50", ""), "MODE #c +kls pw 50\r\n"},
      {"all together", Change("", "tnimps", "pw", "50", "hi"), "MODE #c +tnimklps pw 50\r\nTOPIC #c :hi\r\n"},
      {"all removed", Change("tnimklps", "", "", "", ""), "MODE #c -tnimklps\r\n"},
      {"line breaks", Change("", "", "pw\r\nQUIT", "", "a\nQUIT :x"), "MODE #c +k pw\r\nTOPIC #c :a\r\n"},
      {"a key is one word", Change("", "", "two words", "3", ""), "MODE #c +kl two 3\r\n"},
      {"junk limit not sent", Change("l", "", "", "abc", ""), ""},
      {"no channel", {"", "", {true}, "pw", "5", "t"}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ChanChangeLine(c.change), c.line) << c.what;

  for (size_t i = 0; i < kChanModeLetters.size(); ++i) {
    const std::string letter(1, kChanModeLetters[i]);
    EXPECT_EQ(ChanChangeLine(Change("", letter.c_str(), "", "", "")), "MODE #c +" + letter + "\r\n");
    EXPECT_EQ(ChanChangeLine(Change(letter.c_str(), "", "", "", "")), "MODE #c -" + letter + "\r\n");
  }
}

TEST(ChanChangeLine, RefusesALimitThatIsNoUserCount) {
  for (const char* limit : {"abc", "5x", "-1", "1 2", "2147483648", "99999999999"})
    EXPECT_EQ(ChanChangeLine(Change("", "", "", limit, "")), std::nullopt) << limit;
  EXPECT_EQ(ChanChangeLine(Change("", "", "", "2147483647", "")), "MODE #c +l 2147483647\r\n");
}

// Each line stays within 512 bytes and no double-byte character is split.
TEST(ChanChangeLine, LongValuesFitTheLine) {
  std::string korean;
  for (int i = 0; i < 400; ++i) korean += Cp949Literal("가");
  const std::string line = *ChanChangeLine(Change("", "", korean.c_str(), "50", korean.c_str()));
  const size_t split = line.find("\r\n") + 2;
  const std::string mode = line.substr(0, split);
  const std::string topic = line.substr(split);
  EXPECT_LE(mode.size(), 512u);
  EXPECT_GE(mode.size(), 500u);
  EXPECT_EQ(mode.substr(mode.size() - 5), " 50\r\n");
  EXPECT_EQ((mode.size() - strlen("MODE #c +kl  50\r\n")) % 2, 0u);
  EXPECT_LE(topic.size(), 512u);
  EXPECT_GE(topic.size(), 510u);
  EXPECT_EQ(topic.substr(topic.size() - 2), "\r\n");
  EXPECT_EQ((topic.size() - strlen("TOPIC #c :\r\n")) % 2, 0u);
}

struct ChanInfoTest : testing::Test {
  // Runs the dialog for `channel` with `act` answering it; a message box it raises is noted and closed.
  void Run(const char* channel, const std::function<void(TmChanInfo&)>& act) {
    ScopedAnswer answer([&](TModalForm& form) {
      if (auto* dialog = dynamic_cast<TmChanInfo*>(&form)) return act(*dialog);
      refusal = dynamic_cast<TKMessageBox&>(form).lText->text();
      form.close();
    });
    TModalHolder<TmChanInfo> dialog([this](const char* line) { sent.push_back(line); });
    dialog->ChanName = channel;
    EXPECT_EQ(TmChanInfo::Current(), &*dialog);
    dialog->ShowModal();
  }
  static bool Ticked(TmChanInfo& dialog, int item) { return dialog.clbMode->item(item)->checkState() == Qt::Checked; }

  std::vector<std::string> sent;
  QString refusal;
};

TEST_F(ChanInfoTest, RepliesFillOnlyTheirOwnChannel) {
  Run("#Velko", [](TmChanInfo& dialog) {
    EXPECT_EQ(dialog.eChan->text(), "#Velko");
    EXPECT_FALSE(dialog.ShowModes("#other", "s", nullptr, -1));
    EXPECT_FALSE(dialog.ShowTopic("#other", "wrong"));
    EXPECT_TRUE(dialog.ShowModes("#VELKO", "tnkl", "pw", 20));
    EXPECT_TRUE(dialog.ShowTopic("#velko", "hello"));
    EXPECT_TRUE(dialog.ShowModes("#velko", "i", nullptr, -1)) << "a second report";
    const bool expected[] = {true, true, true, false, false, false};
    for (int item = 0; item < 6; ++item) EXPECT_EQ(Ticked(dialog, item), expected[item]) << item;
    EXPECT_EQ(dialog.tPass->text(), "pw");
    EXPECT_EQ(dialog.tMax->text(), "20");
    EXPECT_EQ(dialog.eTopic->text(), "hello");
    dialog.clbMode->item(1)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(dialog.sbOk, Qt::LeftButton);
  });
  // The last report (only "i") is what the channel has now.
  EXPECT_EQ(sent, (std::vector<std::string>{"MODE #Velko +tkl pw 20\r\nTOPIC #Velko :hello\r\n"}));
  EXPECT_EQ(TmChanInfo::Current(), nullptr);
}

TEST_F(ChanInfoTest, ALimitThatIsNoNumberIsRefused) {
  Run("#c", [this](TmChanInfo& dialog) {
    TypeText(dialog.tMax, "ten");
    QTest::mouseClick(dialog.sbOk, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible()) << "the dialog closed on a refused limit";
    EXPECT_TRUE(sent.empty());
    dialog.tMax->setText("10");
    QTest::mouseClick(dialog.sbOk, Qt::LeftButton);
  });
  EXPECT_EQ(refusal, QString::fromUtf8("최대인원은 숫자로 입력해 주세요"));
  EXPECT_EQ(sent, (std::vector<std::string>{"MODE #c +l 10\r\n"}));
}

TEST_F(ChanInfoTest, AnUnchangedDialogSendsNothing) {
  Run("#c", [](TmChanInfo& dialog) {
    dialog.ShowModes("#c", "tn", nullptr, -1);
    QTest::mouseClick(dialog.sbOk, Qt::LeftButton);
  });
  Run("#c", [](TmChanInfo& dialog) {
    TypeText(dialog.eTopic, "typed");
    Press(&dialog, ButtonCentre(dialog, TFlatForm::CloseButton));
    Release(&dialog, ButtonCentre(dialog, TFlatForm::CloseButton));
  });
  EXPECT_TRUE(sent.empty());
}

// A real channel: the server's list fills the grid, its replies fill the
// dialog as the main window hands them on, and the change reaches the server.
TEST(ChanInfoOnServer, RealChannelFillsListAndDialog) {
  NgircdServer ngircd;
  ASSERT_TRUE(ngircd.Start());
  EngineRecorder op;
  ASSERT_TRUE(op.LogOn(ngircd.Port(), "chanop"));
  op.engine.Send("JOIN #velko\r\nMODE #velko +tnl 30\r\n");
  op.engine.Send(("TOPIC #velko :\x02" + std::string(Cp949Literal("벨코")) + "\x02 room\r\n").c_str());
  ASSERT_TRUE(WaitUntil([&] {
    const CZoChannel* channel = op.engine.FindChan("#velko");
    return channel && channel->Limit() == 30;
  }));

  TChanListGrid grid;
  op.engine.OnList = [&](int code, const char* name, const char* topic, int users) {
    grid.ListReply(code, name, users, topic);
  };
  op.engine.Send("LIST\r\n");
  ASSERT_TRUE(WaitUntil([&] { return grid.CloseEnabled(); }));
  ASSERT_EQ(grid.Model().EntryCount(), 1);
  EXPECT_EQ(grid.Model().Entry(0)->name, "#velko");
  EXPECT_EQ(grid.Model().Entry(0)->users, 1);
  EXPECT_EQ(grid.Model().data(grid.Model().index(0, 2), Qt::DisplayRole).toString(), QString::fromUtf8("벨코 room"));

  op.engine.OnNTopic = [](const char* channel, const char* topic) {
    if (TmChanInfo* dialog = TmChanInfo::Current()) dialog->ShowTopic(channel, topic);
  };
  op.engine.OnChanMode = [&](const char* name, const char*) {
    const CZoChannel* channel = op.engine.FindChan(name);
    if (TmChanInfo* dialog = TmChanInfo::Current(); dialog && channel)
      dialog->ShowModes(name, channel->Modes(), channel->Key(), channel->Limit());
  };
  ScopedAnswer answer([&](TModalForm& form) {
    auto& dialog = dynamic_cast<TmChanInfo&>(form);
    op.engine.Send("TOPIC #velko\r\nMODE #velko\r\n");
    ASSERT_TRUE(WaitUntil([&] { return !dialog.tMax->text().isEmpty() && !dialog.eTopic->text().isEmpty(); }));
    Grab(dialog, "chaninfo_filled.png");
    dialog.clbMode->item(2)->setCheckState(Qt::Checked);
    dialog.tPass->setText("secret");
    QTest::mouseClick(dialog.sbOk, Qt::LeftButton);
  });
  TModalHolder<TmChanInfo> dialog([&](const char* line) { op.engine.Send(line); });
  dialog->ChanName = "#velko";
  dialog->ShowModal();
  EXPECT_TRUE(WaitUntil([&] {
    const CZoChannel* channel = op.engine.FindChan("#velko");
    return channel && channel->Key() && std::string(channel->Key()) == "secret" && strchr(channel->Modes(), 'i');
  }));
}

}  // namespace
