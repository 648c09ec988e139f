#include <QApplication>
#include <QClipboard>
#include <QListView>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

#include "F_mchannel.h"
#include "F_mdccchat.h"
#include "F_mquery.h"
#include "F_mstatus.h"
#include "U_codepage.h"
#include "U_lib.h"
#include "U_subforms.h"
#include "U_windowview.h"
#include "U_clientrules.h"
#include "U_paneview.h"
#include "U_render.h"
#include "client_fixture.h"
#include "pane_lines.h"
#include "frame_input.h"
#include "wait_until.h"

namespace {

std::vector<std::string> Order(const CSubforms& manager) {
  std::vector<std::string> names;
  for (int i = 0; i < manager.Count(); ++i) {
    TMDIABS* form = manager.Form(i);
    if (auto* channel = qobject_cast<TmChannel*>(form))
      names.push_back(channel->ChannelName);
    else if (auto* query = qobject_cast<TmQuery*>(form))
      names.push_back("q:" + query->Nick);
    else
      names.push_back(WindowKindLabel(form->Kind));
  }
  return names;
}

using Names = std::vector<std::string>;

TEST(Subforms, OrderActivationAndArrangement) {
  WiredForm wired;
  CSubforms& manager = wired.form->Subforms();
  EXPECT_EQ(Order(manager), Names{"STATUS"});
  // Alone at the start, the status window fills the area.
  EXPECT_EQ(manager.Form(0)->geometry(), QRect(-1, -1, 562, 441));

  manager.CloseForm(manager.Form(0));
  for (const char* name : {"#a", "#b", "#c"}) manager.OpenChannel(name);
  EXPECT_EQ(Order(manager), (Names{"#c", "#b", "#a"}));
  manager.OpenChannel("#A");  // the same window in another letter case comes to the front
  EXPECT_EQ(Order(manager), (Names{"#A", "#c", "#b"}));
  EXPECT_TRUE(manager.IsFront(manager.FindChannel("#a")));

  manager.SelectNext();
  EXPECT_EQ(Order(manager), (Names{"#c", "#b", "#A"}));
  manager.SelectPrev();
  EXPECT_EQ(Order(manager), (Names{"#A", "#c", "#b"}));
  manager.OpenQuery("bob");
  manager.OpenQuery("BOB");  // reused, left where it is
  manager.SelectNext();
  EXPECT_EQ(Order(manager), (Names{"#A", "#c", "#b", "q:bob"}));
  manager.CloseForm(manager.FindForm(wkQuery, "bob"));

  // Front first: tiled into the right half of row one, cascaded on top.
  manager.Tile();
  EXPECT_EQ(manager.Form(0)->geometry(), QRect(280, 0, 281, 220));
  manager.Cascade();
  EXPECT_EQ(manager.Form(0)->geometry(), QRect(32, 32, 392, 263));

  // One at a time: each fills the area, the front one on top, a new window too.
  const QRect full(-1, -1, 562, 441);
  manager.OneAtATime();
  manager.SelectNext();
  manager.OpenChannel("#d");
  ASSERT_TRUE(WaitUntil([&] { return manager.Form(0)->geometry() == full; }));
  for (int i = 0; i < manager.Count(); ++i) EXPECT_EQ(manager.Form(i)->geometry(), full) << i;
  EXPECT_TRUE(manager.Form(0)->isAncestorOf(wired.form->pMDIClient->childAt(280, 220)));
  manager.CloseForm(manager.Form(0));
  manager.Cascade();

  // A hidden window is neither counted nor moved; a lone visible window that
  // is not in front stays where it is.
  manager.Form(1)->hide();
  manager.Tile();
  EXPECT_EQ(manager.Form(1)->geometry(), QRect(16, 16, 392, 263));
  EXPECT_EQ(manager.Form(0)->geometry(), QRect(0, 0, 561, 220));
  manager.Form(0)->hide();
  manager.Tile();
  EXPECT_EQ(manager.Form(2)->geometry(), QRect(0, 219, 561, 220));
}

TOutLine Out(TOutTarget where, const char* name, const char* text) { return {where, name, kKindNotice, text}; }

QString Lines(TmABSRich* pane) { return PaneText(pane).replace(" \n", "\n").trimmed(); }

// Each target reaches its windows and no other; a rename's goes where the
// member is and to the partner's private window.
TEST(Subforms, OutputGoesWhereItBelongs) {
  WiredForm wired;
  CSubforms& manager = wired.form->Subforms();
  TWindowView& view = wired.form->View();
  TmABSRich* status = manager.Form(0)->Output();
  wired.form->Client().Engine().SimulateLine(":me!u@h JOIN :#a");
  wired.form->Client().Engine().SimulateLine(":zed!u@h JOIN :#a");
  TmChannel* a = manager.FindChannel("#a");
  TmChannel* b = manager.OpenChannel("#b");
  TmQuery* zed = manager.OpenQuery("Zed");
  view.Write(Out(TOutTarget::Channel, "#A", "to a"));
  view.Write(Out(TOutTarget::Channel, "#none", "lost"));
  view.Write(Out(TOutTarget::Active, "", "active line"));
  view.Write(Out(TOutTarget::All, "", "everyone"));
  view.Write(Out(TOutTarget::Renamed, "zed", "zed renamed"));
  EXPECT_TRUE(Lines(a).endsWith("\nto a\neveryone\nzed renamed")) << Lines(a).toStdString();
  EXPECT_EQ(Lines(b), "everyone");
  EXPECT_EQ(Lines(zed), "active line\neveryone\nzed renamed");
  manager.CloseForm(zed);
  manager.CloseForm(a);
  manager.CloseForm(b);
  view.Write(Out(TOutTarget::Active, "", "falls back to status"));
  EXPECT_TRUE(Lines(status).endsWith("everyone\nfalls back to status"));
  manager.CloseForm(manager.Form(0));
  view.Write(Out(TOutTarget::Status, "", "reopens it"));
  EXPECT_EQ(Lines(manager.Find<TmStatus>(nullptr)), "reopens it");
}

// A partner renamed to a name that addresses channels keeps the window on
// the partner; the user's private lines never reach a channel.
TEST(Subforms, QueryFollowsOnlyRenamesToANick) {
  const std::vector<std::pair<const char*, const char*>> renames = {
      {"#c", "bob"}, {"&c", "bob"}, {"+c", "bob"}, {"a,#c", "bob"}, {"bobby", "bobby"}};
  for (const auto& [renamed, target] : renames) {
    WiredForm wired;
    TmQuery* query = wired.form->Subforms().OpenQuery("bob");
    query->Activate();
    wired.form->Client().Engine().SimulateLine((std::string(":bob!u@h NICK :") + renamed).c_str());
    wired.form->Input("private");
    EXPECT_TRUE(wired.Sent("PRIVMSG " + std::string(target) + " :private\r\n")) << renamed;
    EXPECT_EQ(query->Nick, target) << renamed;
  }
}

TEST(Subforms, ClosingPartsOnlyChannelsNotLeft) {
  WiredForm wired;
  CSubforms& manager = wired.form->Subforms();
  manager.OpenChannel("#left")->Parted = true;
  manager.CloseChannel("#left");
  TmChannel* framed = manager.OpenChannel("#framed");
  QByteArrayList kept;  // front first, as they are left
  for (int i = 0; i < 60; ++i) {
    kept.prepend("#kept-channel-" + QByteArray::number(1000 + i));
    manager.OpenChannel(kept.first().constData());
  }
  // The frame's close button posts the close; the window goes after the click.
  Press(framed, ButtonCentre(*framed, TFlatForm::CloseButton));
  Release(framed, ButtonCentre(*framed, TFlatForm::CloseButton));
  EXPECT_NE(manager.FindChannel("#framed"), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return manager.FindChannel("#framed") == nullptr; }));
  EXPECT_TRUE(wired.Sent("PART #framed\r\n"));
  // Teardown leaves what is still open in as few lines as fit.
  wired.form.reset();
  EXPECT_TRUE(wired.Sent("#kept-channel-1000\r\n"));
  QByteArrayList parts;
  for (const QByteArray& line : wired.server.Received().split('\n'))
    if (line.startsWith("PART #kept")) parts << line.mid(5).trimmed();
  EXPECT_EQ(parts.size(), 3);
  EXPECT_EQ(parts.join(','), kept.join(','));
  EXPECT_FALSE(wired.server.Received().contains("#left"));
}

// The window's list view shows the engine's members as they change (the
// order itself is the model's test, the lines the chat client's), with the
// count in the caption.
TEST(Subforms, MemberListShowsTheEngineAndItsLines) {
  WiredForm wired;
  TZoEngine& engine = wired.form->Client().Engine();
  engine.SimulateLine(":me!u@h JOIN :#c");
  TmChannel* channel = wired.form->Subforms().FindChannel("#c");
  ASSERT_NE(channel, nullptr);
  for (const char* line : {":srv 353 me = #c :@Zed bob +amy me", ":srv 366 me #c :End", ":Carl!u@h JOIN :#c",
                           ":bob!u@h NICK :Aaron", ":Zed!u@h MODE #c +v Carl", ":amy!u@h PART #c :bye",
                           ":Carl!u@h QUIT :gone", ":Zed!u@h KICK #c Aaron :out"})
    engine.SimulateLine(line);
  EXPECT_EQ(channel->Users(), (Names{"@Zed", "me"}));
  const QAbstractItemModel* shown = channel->lbUsers->model();
  ASSERT_EQ(shown->rowCount(), 2);
  EXPECT_EQ(EncodeText(shown->index(0, 0).data().toString()), "@Zed");
  EXPECT_TRUE(channel->windowTitle().startsWith("#c [2 "));

  // Kicked ourselves: the line goes to the active window and no PART follows.
  engine.SimulateLine(":Zed!u@h KICK #c me :out");
  EXPECT_EQ(wired.form->Subforms().FindChannel("#c"), nullptr);
  EXPECT_TRUE(PaneText(wired.form->Subforms().FrontOutputForm()).contains(QString::fromUtf8("쫓겨났습니다")));
  wired.form.reset();
  EXPECT_FALSE(wired.server.Received().contains("PART #c"));
}

// A names burst from the server ends with every member listed once, in
// order, and the count in the caption; a member who quits in the middle of
// the burst and one listed by an earlier, stale listing are not there.
TEST(Subforms, NamesBurstEndsWithEveryMemberAndTheCount) {
  WiredForm wired;
  QByteArray burst = ":srv 001 me :Welcome\r\n:me!u@h JOIN :#big\r\n:srv 353 me = #big :stale @me\r\n"
                     ":srv 366 me #big :End\r\n";
  constexpr int kMembers = 6000;
  QByteArray names;
  for (int i = 0; i < kMembers; ++i) {
    names += (i % 10 == 0 ? "@m" : i % 10 == 1 ? "+m" : "m") + QByteArray::number(i) + ' ';
    if (names.size() > 400 || i == kMembers - 1) {
      burst += ":srv 353 me = #big :" + names + "\r\n";
      names.clear();
    }
    if (i == kMembers / 2) burst += ":m7!u@h QUIT :gone\r\n:srv 353 me = #big :@me\r\n";
  }
  burst += ":srv 366 me #big :End of NAMES list\r\nPING :done\r\n";
  wired.server.Write(burst);
  ASSERT_TRUE(wired.Sent("PONG :done\r\n", 10000));
  TmChannel* channel = wired.form->Subforms().FindChannel("#big");
  ASSERT_NE(channel, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return channel->windowTitle().startsWith(QString("#big [%1 ").arg(kMembers)); }));
  const std::vector<std::string>& users = channel->Users();
  ASSERT_EQ(users.size(), static_cast<size_t>(kMembers));
  EXPECT_TRUE(std::is_sorted(users.begin(), users.end(), UserEntryLess));
  EXPECT_EQ(users.front(), "+m1");
  EXPECT_FALSE(HasMember(*wired.form, "#big", "m7"));
  EXPECT_FALSE(HasMember(*wired.form, "#big", "stale"));
  EXPECT_TRUE(HasMember(*wired.form, "#big", "@me"));
  EXPECT_EQ(channel->lbUsers->model()->rowCount(), kMembers);
}

// Whatever happens to the list, the selection stays on its member (under
// a new nick or prefix) or goes; it never lands on someone else, so a member
// menu action hits the member the user chose.
TEST(Subforms, MemberSelectionFollowsItsMemberOrGoes) {
  WiredForm wired;
  TZoEngine& engine = wired.form->Client().Engine();
  struct Step {
    const char* selected;
    const char* line;
    const char* after;
  };
  const std::vector<Step> steps = {
      {"bob", ":bob!u@h PART #s%d :bye", ""},
      {"bob", ":bob!u@h QUIT :gone", ""},
      {"bob", ":Zed!u@h KICK #s%d bob :out", ""},
      {"bob", ":bob!u@h NICK :Aaron", "Aaron"},
      {"bob", ":Zed!u@h MODE #s%d +o bob", "bob"},
      {"amy", ":Zed!u@h MODE #s%d -v amy", "amy"},
      {"bob", ":amy!u@h PART #s%d :bye", "bob"},
      {"bob", ":Carl!u@h JOIN :#s%d", "bob"},
  };
  int round = 0;
  for (const Step& step : steps) {
    const std::string channelName = "#s" + std::to_string(++round);
    engine.SimulateLine((":me!u@h JOIN :" + channelName).c_str());
    engine.SimulateLine((":srv 353 me = " + channelName + " :@Zed bob +amy Cy me").c_str());
    engine.SimulateLine((":srv 366 me " + channelName + " :End").c_str());
    TmChannel* channel = wired.form->Subforms().FindChannel(channelName.c_str());
    ASSERT_NE(channel, nullptr);
    const auto& users = channel->Users();
    SelectMemberRow(channel, static_cast<int>(
        std::find_if(users.begin(), users.end(), [&](const std::string& e) { return StripNickPrefix(e.c_str()) == std::string(step.selected); }) -
        users.begin()));
    ASSERT_EQ(channel->SelectedNick(), step.selected);
    std::string line = step.line;
    if (const size_t at = line.find("%d"); at != std::string::npos) line.replace(at, 2, std::to_string(round));
    engine.SimulateLine(line.c_str());
    EXPECT_EQ(channel->SelectedNick(), step.after) << line;
  }
}

// A chat's lines read right whatever the coding of the nick and the text,
// and a line too long for the pane is cut between whole characters.
TEST(DccChatLines, NickAndTextKeepTheirCharacters) {
  WiredForm wired;
  wired.form->Client().Settings().DCCChatAutoAccept = 1;
  wired.form->Client().Engine().SimulateLine(":철수!u@h PRIVMSG me :\x01" "DCC CHAT chat 2130706433 1\x01");
  TmDCCChat* chat = wired.form->Subforms().FindDCCChat(0);
  ASSERT_NE(chat, nullptr);
  EXPECT_TRUE(Shows(chat, "◆ 철수님과 DCC-CHAT접속중 (127.0.0.1/1)...", kKindCtcp));

  std::string korean;
  for (int i = 0; i < 300; ++i) korean += "가";
  for (const std::string& text : {korean, std::string(Cp949Literal(korean.c_str()))}) {
    wired.form->Client().Engine().OnDCCChatMessage(0, text.c_str());
    const QString shown = PaneText(chat).section(QLatin1Char('\n'), -1);
    EXPECT_TRUE(shown.startsWith(QString::fromUtf8("<철수> 가가"))) << shown.left(20).toStdString();
    EXPECT_FALSE(shown.contains(QChar::ReplacementCharacter));
  }
}

TEST(OutputPane, SelectionHoldsLinesBackAndThePaneKeepsItsSetLines) {
  WiredForm wired;
  wired.form->Client().Settings().PaneLines = 300;
  wired.form->show();
  TmChannel* pane = wired.form->Subforms().OpenChannel("#p");
  AddPaneLine(pane, "one", 5);
  pane->ShowPendingLines();
  ASSERT_EQ(pane->rView->Lines().Count(), 1);

  // While the mouse drags a selection the lines that arrive wait; letting
  // go copies it, and they follow in order.
  QWidget* viewport = pane->rView->viewport();
  const int y = pane->rView->LineRect(pane->rView->Lines().First()).center().y();
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(1, y));
  QTest::mouseMove(viewport, QPoint(viewport->width() - 2, y));
  AddPaneLine(pane, "two", 12);
  AddPaneLine(pane, "three\r\nfour", 13);
  pane->ShowPendingLines();
  EXPECT_EQ(pane->PendingCount(), 3);
  EXPECT_EQ(pane->rView->Lines().Count(), 1);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(viewport->width() - 2, y));
  EXPECT_TRUE(QApplication::clipboard()->text().trimmed().endsWith("one"));
  EXPECT_EQ(pane->PendingCount(), 0);
  EXPECT_EQ(PaneText(pane), "one \ntwo \nthree \nfour ");
  EXPECT_EQ(pane->rView->ColourAt(1, 0), QColor::fromRgb(KindColor(12)));
  EXPECT_EQ(pane->rView->ColourAt(3, 0), QColor::fromRgb(KindColor(13)));

  // However long the flood, no more lines wait or stay than the setting
  // keeps, and the oldest go first.
  for (int i = 1; i <= 1000; ++i) AddPaneLine(pane, "flood " + std::to_string(i), 5);
  EXPECT_EQ(pane->PendingCount(), 300);
  EXPECT_TRUE(WaitUntil([&] { return pane->PendingCount() == 0; }));
  const QStringList kept = PaneText(pane).split('\n');
  EXPECT_EQ(kept.size(), 300);
  EXPECT_EQ(kept.last(), "flood 1000 ");
  EXPECT_EQ(kept.first(), QStringLiteral("flood %1 ").arg(1001 - kept.size()));
}

}  // namespace
