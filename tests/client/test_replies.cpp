#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

#include "F_mchanlist.h"
#include "F_mchannel.h"
#include "F_mstatus.h"
#include "M_chaninfo.h"
#include "M_inputbox.h"
#include "M_motd.h"
#include "M_msgbox.h"
#include "M_nickchange.h"
#include "U_chanlistgrid.h"
#include "U_codepage.h"
#include "U_htmlskin.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "wait_until.h"

namespace {

QString Utf8(const char* text) { return QString::fromUtf8(text); }

// Answers every dialog as a person would and remembers what each one showed.
struct DialogAnswers {
  DialogAnswers() { SetModalAnswer([this](TModalForm& form) { Answer(form); }); }
  ~DialogAnswers() { SetModalAnswer(nullptr); }

  void Answer(TModalForm& form) {
    if (auto* box = dynamic_cast<TKInputBox*>(&form)) {
      asked.push_back(box->lText->text());
      if (during) during();
      box->eInput->setText(key);
      box->sbOk->click();
    } else if (auto* box = dynamic_cast<TKMessageBox*>(&form)) {
      told.push_back(box->lText->text());
      box->SetModalResult(mrOk);
    } else if (auto* dialog = dynamic_cast<TmNickChange*>(&form)) {
      asked.push_back("nick");
      if (during) during();
      dialog->eNick->setText(nick);
      dialog->sbOk->click();
    }
  }

  QString key = "secret";
  QString nick = "velko1";
  std::function<void()> during;  // runs while a question is open
  QStringList asked;
  QStringList told;
};

int OpenDialogs() {
  int open = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && dynamic_cast<TModalForm*>(widget)) ++open;
  return open;
}

TmChanList* ChanList(TMainForm& form) {
  return static_cast<TmChanList*>(form.Subforms().FindForm(wkChanList, nullptr));
}

int RowOf(TChanListGrid* grid, const char* name) {
  for (int row = 0; row < grid->Model().EntryCount(); ++row)
    if (grid->Model().Entry(row)->name == name) return row;
  return -1;
}

// A person's double click: the first press selects, the second is the double click.
void DoubleClickRow(TChanListGrid* grid, int row) {
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
  other.engine.Send(
      "JOIN #locked\r\nMODE #locked +k secret\r\nJOIN #full\r\nMODE #full +l 1\r\n"
      "JOIN #open\r\nMODE #open +tl 50\r\nTOPIC #open :\x02" "bold\x02 talk\r\n");
  ASSERT_TRUE(WaitUntil([&] {
    const CZoChannel* open = other.engine.FindChan("#open");
    return open && open->Limit() == 50 && *open->Topic();
  }, 10000));

  ScratchRegistry registry;
  DialogAnswers answers;
  TMainForm form;
  form.resize(640, 480);
  form.show();
  form.ApplyNick("taken");
  form.ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
  ASSERT_TRUE(WaitUntil([&] { return ChanList(form) && ChanList(form)->sgChanList->CloseEnabled(); }, 15000));
  EXPECT_EQ(form.Engine().Nick(), "velko1");
  EXPECT_EQ(answers.asked, QStringList{"nick"});
  TChanListGrid* grid = ChanList(form)->sgChanList;
  EXPECT_EQ(grid->Model().EntryCount(), 3);
  for (const char* name : {"#locked", "#full", "#open"}) EXPECT_GE(RowOf(grid, name), 0) << name;
  EXPECT_FALSE(form.Listing);

  form.SendIRCLine("JOIN #full");
  ASSERT_TRUE(WaitUntil([&] { return !answers.told.isEmpty(); }));
  EXPECT_EQ(answers.told.front(), Utf8("대화실 인원이 모두차서 입장할수 없습니다."));
  form.SendIRCLine("JOIN #locked");
  ASSERT_TRUE(WaitUntil([&] { return form.Subforms().FindChannel("#locked"); }));
  EXPECT_EQ(answers.asked.back(), Utf8("#locked 채널의 암호를 입력해 주세요"));
  EXPECT_TRUE(PaneText(form.Subforms().OpenStatus()).contains("ERROR(471)"));

  // A row whose channel is open only brings its window to the front.
  ChanList(form)->Activate();
  DoubleClickRow(grid, RowOf(grid, "#locked"));
  EXPECT_EQ(form.Subforms().FrontForm(), form.Subforms().FindChannel("#locked"));
  DoubleClickRow(grid, RowOf(grid, "#open"));
  ASSERT_TRUE(WaitUntil([&] { return form.Subforms().FindChannel("#open"); }));
  ASSERT_TRUE(WaitUntil([&] { return form.Engine().FindChan("#open") && *form.Engine().FindChan("#open")->Modes(); }));

  // The dialog is filled from the replies to its own requests, which show no
  // further topic line in the window (the join showed one).
  const auto topicLines = [&] { return PaneText(form.Subforms().FindChannel("#open")).count(Utf8("채널의 주제는")); };
  ASSERT_TRUE(WaitUntil([&] { return topicLines() == 1; }));
  QString topic, limit;
  bool topicOnly = false;
  SetModalAnswer([&](TModalForm& shown) {
    auto& dialog = dynamic_cast<TmChanInfo&>(shown);
    WaitUntil([&] { return !dialog.eTopic->text().isEmpty() && !dialog.tMax->text().isEmpty(); });
    topic = dialog.eTopic->text();
    limit = dialog.tMax->text();
    topicOnly = dialog.clbMode->item(0)->checkState() == Qt::Checked;
    QImage picture = form.grab().toImage();
    const QImage box = dialog.grab().toImage();
    QPainter(&picture).drawImage((picture.width() - box.width()) / 2, (picture.height() - box.height()) / 2, box);
    if (!qEnvironmentVariable("VELKO_GRAB_DIR").isEmpty())
      picture.save(qEnvironmentVariable("VELKO_GRAB_DIR") + "/chaninfo_in_mainform.png");
    dialog.close();
  });
  form.ShowChanChange();
  EXPECT_EQ(topic, Utf8("\x02" "bold\x02 talk"));
  EXPECT_EQ(limit, "50");
  EXPECT_TRUE(topicOnly);
  SpinFor(200);
  EXPECT_EQ(topicLines(), 1);
}

// Refusals that arrive while a question is open never pile up more dialogs:
// each keyed channel is asked once, in turn, and a refused nick while the nick
// dialog is open is left to that dialog.
TEST(Replies, QuestionsDoNotPileUp) {
  WiredForm wired;
  DialogAnswers answers;
  int mostOpen = 0;
  bool repeated = false;
  answers.during = [&] {
    if (!repeated) {
      repeated = true;
      wired.server.Write(":srv 475 me #a :Cannot join\r\n:srv 475 me #b :Cannot join\r\n:srv 433 me x :taken\r\n");
      SpinFor(300);
    }
    mostOpen = std::max(mostOpen, OpenDialogs());
  };
  answers.key = "k1 ignored";
  wired.server.Write(":srv 475 me #a :Cannot join\r\n");
  EXPECT_TRUE(wired.Sent("JOIN #b k1\r\n"));
  EXPECT_TRUE(wired.server.Received().contains("JOIN #a k1\r\n"));
  ASSERT_TRUE(WaitUntil([&] { return answers.asked.size() == 3; }));
  SpinFor(200);
  EXPECT_EQ(answers.asked.size(), 3);  // #a, #b, then the nick
  EXPECT_EQ(mostOpen, 1);

  // An empty answer joins nothing.
  answers.key.clear();
  wired.server.Write(":srv 475 me #c :Cannot join\r\n");
  ASSERT_TRUE(WaitUntil([&] { return answers.asked.size() == 4; }));
  SpinFor(200);
  EXPECT_FALSE(wired.server.Received().contains("JOIN #c"));
}

// Rows for a list window closed during the listing are dropped; a listing
// cut off by a disconnect ends, so the next logon is handled and the window
// can be closed again.
TEST(Replies, ListingOutlivesItsWindowAndTheConnection) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  TZoEngine& irc = form.Engine();
  irc.SimulateLine(":srv 321 me Channel :Users Name");
  ASSERT_NE(ChanList(form), nullptr);
  EXPECT_FALSE(ChanList(form)->CloseEnabled);
  form.Subforms().CloseForm(ChanList(form));
  irc.SimulateLine(":srv 322 me #late 3 :gone");
  irc.SimulateLine(":srv 323 me :End");
  EXPECT_EQ(ChanList(form), nullptr);
  EXPECT_FALSE(form.Listing);

  irc.SimulateLine(":srv 321 me Channel :Users Name");
  irc.SimulateLine(":srv 322 me #kept 3 :here");
  wired.server.CloseClient();
  ASSERT_TRUE(WaitUntil([&] { return !form.Listing; }));
  EXPECT_TRUE(ChanList(form)->CloseEnabled);
  EXPECT_EQ(ChanList(form)->sgChanList->Model().EntryCount(), 1);
}

// Topic replies go to the open dialog of their channel only; the message of
// the day keeps filling one viewer.
TEST(Replies, TopicRepliesAndMessageOfTheDay) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  TZoEngine& irc = form.Engine();
  irc.SimulateLine(":me!u@h JOIN :#c");
  irc.SimulateLine(":me!u@h JOIN :#d");
  form.Subforms().BringToFront(form.Subforms().FindChannel("#c"));
  bool shown = false;
  SetModalAnswer([&](TModalForm& dialog) {
    irc.SimulateLine(":srv 332 me #C :for the dialog");
    irc.SimulateLine(":srv 332 me #d :for the window");
    shown = dynamic_cast<TmChanInfo&>(dialog).eTopic->text() == "for the dialog";
    form.Subforms().CloseChannel("#c");  // the window goes while the dialog is open
    dialog.close();
  });
  form.ShowChanChange();
  SetModalAnswer(nullptr);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(wired.Sent("TOPIC #c\r\nMODE #c\r\n"));
  EXPECT_TRUE(PaneText(form.Subforms().FindChannel("#d")).contains("for the window"));

  irc.SimulateLine(":srv 375 me :- srv Message of the day -");
  irc.SimulateLine(":srv 372 me :- first");
  irc.SimulateLine(":srv 372 me :-");
  irc.SimulateLine(":srv 375 me :- srv Message of the day -");
  irc.SimulateLine(":srv 372 me :- second");
  ASSERT_NE(CurrentMOTD(), nullptr);
  EXPECT_EQ(CurrentMOTD()->rView->toPlainText().split('\n').size(), 3);
  EXPECT_EQ(CurrentMOTD()->rView->toPlainText().split('\n').back().trimmed(), "second");
  CurrentMOTD()->close();
}

// A thousand channels, most users on top, as the window shows them.
TEST(Replies, ThousandChannelsByUsers) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  form.resize(800, 600);
  form.show();
  TZoEngine& irc = form.Engine();
  form.Skin().ChListWinIndexBg = 0xD7DFFF;
  irc.SimulateLine(":srv 321 me Channel :Users Name");
  for (int i = 0; i < 1000; ++i)
    irc.SimulateLine((":srv 322 me #room" + std::to_string(i) + " " + std::to_string((i * 37) % 1000 + 1) +
                      " :\x03" "4topic\x03 " + std::to_string(i)).c_str());
  irc.SimulateLine(":srv 323 me :End of LIST");
  TmChanList* list = ChanList(form);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(form.Subforms().FrontForm(), list);
  EXPECT_EQ(list->sgChanList->Model().Entry(0)->users, 1000);
  EXPECT_EQ(list->sgChanList->Model().Entry(999)->users, 1);
  list->setGeometry(0, 0, 640, 420);
  SaveGrab(&form, "chanlist_1000");

  // The header takes the skin's colour when the window is made and when a skin arrives.
  const auto headerColour = [&] { return list->sgChanList->horizontalHeader()->grab().toImage().pixel(92, 2) & 0xFFFFFF; };
  EXPECT_EQ(headerColour(), 0xD7DFFFu);
  form.Skin().ChListWinIndexBg = 0x102030;
  form.Subforms().ApplySkin();
  EXPECT_EQ(headerColour(), 0x102030u);
}

}  // namespace
