#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "F_mchanlist.h"
#include "F_mchannel.h"
#include "M_chaninfo.h"
#include "M_inputbox.h"
#include "M_msgbox.h"
#include "M_nickchange.h"
#include "U_chanlistgrid.h"
#include "U_htmlskin.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "wait_until.h"

namespace {

// Answers the key box, the message box and the nick dialog as a person would,
// noting what each showed; `during` runs while a question is open.
struct DialogAnswers {
  DialogAnswers() {
    SetModalAnswer([this](TModalForm& form) {
      if (auto* box = dynamic_cast<TKInputBox*>(&form)) asked.push_back(box->lText->text());
      if (auto* box = dynamic_cast<TKMessageBox*>(&form)) told.push_back(box->lText->text());
      if (dynamic_cast<TmNickChange*>(&form)) asked.push_back("nick");
      if (during) during();
      if (auto* box = dynamic_cast<TKInputBox*>(&form)) box->eInput->setText(key);
      if (auto* dialog = dynamic_cast<TmNickChange*>(&form)) {
        dialog->eNick->setText("velko1");
        dialog->sbOk->click();
      } else {
        form.SetModalResult(mrOk);
      }
    });
  }
  ~DialogAnswers() { SetModalAnswer(nullptr); }

  QString key = "secret";
  std::function<void()> during;
  QStringList asked, told;
};

TmChanList* ChanList(TMainForm& form) { return form.Subforms().Find<TmChanList>(nullptr); }

// A person's double click on a channel's row: the first press selects.
void DoubleClick(TChanListGrid* grid, const char* channel) {
  int row = 0;
  while (row < grid->Model().EntryCount() && grid->Model().Entry(row)->name != channel) ++row;
  const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

// Against a real server: a taken nick, the first listing, a full and a keyed
// channel, joining from the grid and the channel dialog filled by the replies.
TEST(Replies, DialogsAgainstARealServer) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  EngineRecorder other;
  ASSERT_TRUE(other.LogOn(server.Port(), "taken"));
  other.engine.Send("JOIN #locked\r\nMODE #locked +k secret\r\nJOIN #full\r\nMODE #full +l 1\r\n"
                    "JOIN #open\r\nMODE #open +tl 50\r\nTOPIC #open :\x02" "bold\x02 talk\r\n");
  ASSERT_TRUE(WaitUntil([&] { return other.engine.FindChan("#open") && *other.engine.FindChan("#open")->Topic(); }));
  ScratchRegistry registry;
  DialogAnswers answers;
  TMainForm form;
  form.resize(640, 480);
  form.show();
  form.Client().ApplyNick("taken");
  form.Client().ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
  ASSERT_TRUE(WaitUntil([&] { return ChanList(form) && ChanList(form)->CloseEnabled; }, 15000));
  EXPECT_EQ(form.Client().Engine().Nick(), "velko1");
  TChanListGrid* grid = ChanList(form)->sgChanList;
  EXPECT_EQ(grid->Model().EntryCount(), 3);

  form.Client().SendRaw("JOIN #full");
  form.Client().SendRaw("JOIN #locked");
  ASSERT_TRUE(WaitUntil([&] { return form.Subforms().FindChannel("#locked"); }));
  EXPECT_EQ(answers.told, QStringList{QString::fromUtf8("대화실 인원이 모두차서 입장할수 없습니다.")});
  EXPECT_EQ(answers.asked, (QStringList{"nick", QString::fromUtf8("#locked 채널의 암호를 입력해 주세요")}));

  // A row whose channel is open only brings its window to the front.
  ChanList(form)->Activate();
  DoubleClick(grid, "#locked");
  EXPECT_EQ(form.Subforms().FrontForm(), form.Subforms().FindChannel("#locked"));
  DoubleClick(grid, "#open");
  ASSERT_TRUE(WaitUntil([&] { return form.Client().Engine().FindChan("#open") && *form.Client().Engine().FindChan("#open")->Modes(); }));

  // The dialog's own requests fill it, and add no topic line to the window:
  // the line would have come with the reply that filled the dialog.
  const auto topicLines = [&] { return PaneText(form.Subforms().FindChannel("#open")).count(QString::fromUtf8("채널의 주제는")); };
  ASSERT_TRUE(WaitUntil([&] { return topicLines() == 1; }));
  SetModalAnswer([&](TModalForm& shown) {
    auto& dialog = dynamic_cast<TmChanInfo&>(shown);
    ASSERT_TRUE(WaitUntil([&] { return !dialog.eTopic->text().isEmpty() && !dialog.tMax->text().isEmpty(); }));
    EXPECT_EQ(dialog.eTopic->text(), QString::fromUtf8("\x02" "bold\x02 talk"));
    EXPECT_EQ(dialog.tMax->text(), "50");
    EXPECT_EQ(dialog.clbMode->item(0)->checkState(), Qt::Checked);
    Grab(dialog, "chaninfo_filled");
    dialog.close();
  });
  form.View().ShowChanChange();
  EXPECT_EQ(topicLines(), 1);
}

// The list window and the channel window may go, and the connection with
// them, while their listing or dialog is still running.
TEST(Replies, WindowsAndConnectionGoMidway) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  TZoEngine& irc = form.Client().Engine();
  irc.SimulateLine(":srv 321 me Channel :Users Name");
  EXPECT_FALSE(ChanList(form)->CloseEnabled);
  form.Subforms().CloseForm(ChanList(form));
  irc.SimulateLine(":srv 322 me #late 3 :gone");
  irc.SimulateLine(":srv 323 me :End");
  EXPECT_EQ(ChanList(form), nullptr);
  EXPECT_FALSE(form.Client().Listing());

  irc.SimulateLine(":srv 321 me Channel :Users Name");
  irc.SimulateLine(":me!u@h JOIN :#c");
  bool requested = false;
  SetModalAnswer([&](TModalForm& dialog) {
    requested = wired.Sent("TOPIC #c\r\nMODE #c\r\n");
    irc.SimulateLine(":srv 332 me #C :for the dialog");
    form.Subforms().CloseChannel("#c");
    wired.server.CloseClient();
    WaitUntil([&] { return !form.Client().Listing(); });
    dialog.close();
  });
  form.View().ShowChanChange();
  SetModalAnswer(nullptr);
  EXPECT_TRUE(ChanList(form)->CloseEnabled);  // a listing cut off ends
  EXPECT_TRUE(requested);
}

// Some servers answer LIST with rows and the end only.
TEST(Replies, ListingWithoutStartReplyOpensAtTheFirstRow) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  form.Client().Engine().SimulateLine(":srv 322 me #a 3 :one");
  form.Client().Engine().SimulateLine(":srv 322 me #b 5 :two");
  form.Client().Engine().SimulateLine(":srv 323 me :End of LIST");
  ASSERT_NE(ChanList(form), nullptr);
  EXPECT_EQ(ChanList(form)->sgChanList->Model().Entry(0)->users, 5);
  EXPECT_EQ(ChanList(form)->sgChanList->Model().Entry(1)->users, 3);
  EXPECT_FALSE(form.Client().Listing());
}

// A server that takes UTF-8 only gets typed text beyond CP949 whole, and it
// shows whole; the server's refusals show in the front window like the
// error replies.
TEST(Replies, TypedTextFollowsTheServersCharset) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  wired.server.Write(":srv 001 me :Welcome\r\n:srv 005 me UTF8ONLY :are supported\r\n:me!u@h JOIN :#c\r\n");
  ASSERT_TRUE(WaitUntil([&] { return form.Client().Engine().Utf8Wire() && form.Subforms().FindChannel("#c"); }));
  form.Input(QString::fromUtf8("こんにちは 😀"));
  EXPECT_TRUE(wired.Sent("PRIVMSG #c :こんにちは 😀\r\n"));
  EXPECT_TRUE(PaneText(form.Subforms().FindChannel("#c")).contains(QString::fromUtf8("<me> こんにちは 😀")));
  wired.server.Write(":srv FAIL PRIVMSG INVALID_UTF8 :Message rejected\r\n:srv 400 me PRIVMSG :Unknown error\r\n");
  TmABSRich* channel = form.Subforms().FindChannel("#c");
  EXPECT_TRUE(WaitUntil([&] { return PaneText(channel).contains(QString::fromUtf8("◆ ERROR(400)")); }));
  EXPECT_TRUE(PaneText(channel).contains(QString::fromUtf8("◆ FAIL(PRIVMSG INVALID_UTF8) Message rejected")));
}

// A thousand channels, most users on top, under the skin's header colour.
TEST(Replies, ThousandChannelsByUsers) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  form.resize(800, 600);
  form.show();
  form.Skin().ChListWinIndexBg = 0xD7DFFF;
  form.Client().Engine().SimulateLine(":srv 321 me Channel :Users Name");
  for (int i = 0; i < 1000; ++i)
    form.Client().Engine().SimulateLine((":srv 322 me #room" + std::to_string(i) + " " + std::to_string((i * 37) % 1000 + 1) +
                                " :\x03" "4topic\x03 " + std::to_string(i)).c_str());
  form.Client().Engine().SimulateLine(":srv 323 me :End of LIST");
  TmChanList* list = ChanList(form);
  EXPECT_EQ(form.Subforms().FrontForm(), list);
  EXPECT_EQ(list->sgChanList->Model().Entry(0)->users, 1000);
  list->setGeometry(0, 0, 640, 420);
  Grab(form, "chanlist_1000");
  const auto header = [&] { return list->sgChanList->horizontalHeader()->grab().toImage().pixel(92, 2) & 0xFFFFFF; };
  EXPECT_EQ(header(), 0xD7DFFFu);
  const QImage cells = list->sgChanList->grab().toImage();
  EXPECT_EQ(cells.pixelColor(300, 19), cells.pixelColor(95, 19)) << "the selected row's topic cell is not highlighted";
  EXPECT_NE(cells.pixelColor(300, 19), QColor(Qt::white));
  form.Skin().ChListWinIndexBg = 0x102030;
  form.Subforms().ApplySkin();
  EXPECT_EQ(header(), 0x102030u);
}

}  // namespace
