#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QToolButton>
#include <gtest/gtest.h>

#include "F_mchannel.h"
#include "F_usermenu.h"
#include "F_mquery.h"
#include "M_inputbox.h"
#include "M_msgbox.h"
#include "U_codepage.h"
#include "U_htmlskin.h"
#include "U_modalman.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "frame_input.h"
#include "wait_until.h"

namespace {

TmChannel* JoinedChannel(WiredForm& wired, const char* name, const char* names) {
  TZoEngine& engine = wired.form->Client().Engine();
  engine.SimulateLine((std::string(":me!u@h JOIN :") + name).c_str());
  engine.SimulateLine((std::string(":srv 353 me = ") + name + " :" + names).c_str());
  engine.SimulateLine((std::string(":srv 366 me ") + name + " :End").c_str());
  return wired.form->Subforms().FindChannel(name);
}

// Each member-menu item sends its exact line for the selected member, and
// nothing without a selection or with another kind of window in front.
TEST(MainForm, UserMenuSendsExactLines) {
  WiredForm wired;
  TmChannel* channel = JoinedChannel(wired, "#c", "@Zed bob me");
  ASSERT_NE(channel, nullptr);
  TMainForm& form = *wired.form;

  form.pmUser->miOp->trigger();  // nothing selected yet
  SelectMemberRow(channel, 0);  // "@Zed"
  const std::vector<std::pair<QAction*, std::string>> items = {
      {form.pmUser->miWhois, "WHOIS Zed\r\n"},        {form.pmUser->miOp, "MODE #c +o :Zed\r\n"},
      {form.pmUser->miDeop, "MODE #c -o :Zed\r\n"},   {form.pmUser->miVoice, "MODE #c +v :Zed\r\n"},
      {form.pmUser->miDevoice, "MODE #c -v :Zed\r\n"},
  };
  for (const auto& [item, line] : items) {
    item->trigger();
    EXPECT_TRUE(wired.Sent(line)) << line;
  }
  EXPECT_FALSE(wired.server.Received().contains("+o :@Zed"));
  EXPECT_EQ(wired.server.Received().count("MODE #c +o"), 1);

  // A kick asks for its reason, offering the user's nick; Esc sends nothing.
  for (const bool sent : {false, true}) {
    QString offered;
    ScopedAnswer answer([&](TModalForm& dialog) {
      auto& box = dynamic_cast<TKInputBox&>(dialog);
      offered = box.eInput->text();
      if (!sent) return QTest::keyClick(box.eInput, Qt::Key_Escape);
      box.eInput->setText(QString::fromUtf8("도배 그만"));
      QTest::keyClick(box.eInput, Qt::Key_Return);
    });
    form.pmUser->miKick->trigger();
    EXPECT_EQ(offered, "me");
  }
  EXPECT_TRUE(wired.Sent(std::string("KICK #c Zed :") + Cp949Literal("도배 그만") + "\r\n"));
  EXPECT_EQ(wired.server.Received().count("KICK"), 1);

  // On the user's own row the acting items are not offered and do nothing.
  SelectMemberRow(channel, 2);  // "me"
  form.Subforms().OnUserMenu(channel, QPoint(0, 0));
  form.pmUser->close();
  for (QAction* item : {form.pmUser->miSendDCC, form.pmUser->miDCCChat, form.pmUser->miOp, form.pmUser->miDeop, form.pmUser->miVoice, form.pmUser->miDevoice,
                        form.pmUser->miKick}) {
    EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    item->trigger();
  }
  EXPECT_TRUE(form.pmUser->miWhois->isEnabled());
  form.Client().SendRaw("PING :self");
  EXPECT_TRUE(wired.Sent("PING :self\r\n"));
  EXPECT_FALSE(wired.server.Received().contains(" :me\r\n"));
  EXPECT_EQ(wired.server.Received().count("KICK"), 1);
  EXPECT_FALSE(wired.server.Received().contains("PRIVMSG me"));
  SelectMemberRow(channel, 0);
  form.Subforms().OnUserMenu(channel, QPoint(0, 0));
  form.pmUser->close();
  EXPECT_TRUE(form.pmUser->miKick->isEnabled()) << "another member's row offers the items again";

  form.pmUser->miQuery->trigger();
  auto* front = qobject_cast<TmQuery*>(form.Subforms().FrontForm());
  ASSERT_NE(front, nullptr);
  EXPECT_EQ(front->Nick, "Zed");
  form.pmUser->miWhois->trigger();  // a query in front: no member to act on
  form.Client().SendRaw("PING :marker");
  EXPECT_TRUE(wired.Sent("PING :marker\r\n"));
  EXPECT_EQ(wired.server.Received().count("WHOIS"), 1);
}

TEST(MainForm, WindowMenuAndNick) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  ASSERT_NE(JoinedChannel(wired, "#c", "me"), nullptr);
  // The select menu lists the windows front first and activates the chosen one.
  form.sbWinSelect->click();
  const QList<QAction*> entries = form.pmVMDI->actions();
  ASSERT_GE(entries.size(), 2);
  EXPECT_TRUE(entries[0]->text().startsWith(QString::fromUtf8("[채널] - #c [1 ")));
  EXPECT_EQ(entries[1]->text(), QString::fromUtf8("[상태창] - 상태창"));
  form.pmVMDI->close();
  entries[1]->trigger();
  EXPECT_TRUE(WaitUntil([&] { return form.Subforms().FrontForm()->Kind == wkStatus; }));

  // A closed status window comes back from the menu.
  form.Subforms().CloseForm(form.Subforms().FrontForm());
  form.sbWinSelect->click();
  form.pmVMDI->close();
  QAction* reopen = form.pmVMDI->actions().value(2);
  ASSERT_EQ(reopen->text(), QString::fromUtf8("상태창 열기"));
  reopen->trigger();
  EXPECT_NE(form.Subforms().FindForm(wkStatus, nullptr), nullptr);

  form.Client().Engine().SimulateLine(":me!u@h NICK :you");
  EXPECT_EQ(form.Client().Settings().Nick, "you");
  EXPECT_EQ(form.lbNick->text(), "you");
}

TEST(MainForm, SettingsSurviveTheWindow) {
  ScratchRegistry registry;
  {
    TMainForm form;
    form.Client().ApplyNick("keeper");
    form.Client().ApplyNick("");  // ignored
  }
  TMainForm again;
  EXPECT_EQ(again.Client().Settings().Nick, "keeper");
  EXPECT_EQ(again.Client().Engine().Nick(), "keeper");
  EXPECT_EQ(again.lbNick->text(), "keeper");
}

TEST(MainForm, SkinErrorIsShownAsAMessageBox) {
  ScratchRegistry registry;
  TMainForm form;
  std::string shown;
  ScopedAnswer answer([&](TModalForm& box) {
    shown = EncodeText(dynamic_cast<TKMessageBox&>(box).lText->text());
    box.SetModalResult(mrOk);
  });
  form.Skin().OnError(&form.Skin(), "HTML-Error : 10061");
  EXPECT_TRUE(WaitUntil([&] { return !shown.empty(); }));
  EXPECT_EQ(shown, "HTML-Error : 10061");
  EXPECT_EQ(ModalOwner(), &form);
}

// A skin parsed once the windows are open reaches every one of them. The
// main window with a status window, two channels and a query is saved tiled
// and cascaded.
TEST(MainForm, SkinColoursReachEveryWindow) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  CZoHTMLSkin& skin = form.Skin();
  skin.MainWinBg = 0xF2E5BF;
  skin.ChanWinUserListBg = 0xE8C4C4;
  skin.ChanWinUserListFg = 0x2B3A55;
  skin.SubWinFrame = {0x444444, 0xFFFFFF, 0xE8C4C4, 0x2B3A55, 0x2B3A55, 0xFFFFFF,
                      0x2B3A55, 0x2B3A55, 0xE8C4C4, 0xCE7777, 18,       14};
  skin.ModalFrame = skin.SubWinFrame;
  TmChannel* lobby = JoinedChannel(wired, "#lobby", "@Zed bob +amy me Carl");
  JoinedChannel(wired, "#dev", "me alice");
  form.Client().Engine().SimulateLine(":Zed!u@h PRIVMSG #lobby :\x02hello\x02 \x03" "4red\x03 world");
  form.Client().Engine().SimulateLine(":bob!u@h PRIVMSG me :psst");
  form.Client().Engine().SimulateLine(":alice!u@h PRIVMSG #dev :build is green");
  skin.OnSkinParsed(&skin);

  for (int i = 0; i < form.Subforms().Count(); ++i)
    EXPECT_EQ(form.Subforms().Form(i)->ActiveCaptionBack, 0x2B3A55u) << i;
  EXPECT_EQ(lobby->lbUsers->palette().color(QPalette::Base), QColor::fromRgb(0xE8C4C4));
  EXPECT_EQ(DialogFrameColors(), skin.ModalFrame);

  form.show();
  form.Subforms().Tile();
  Grab(form, "client_main_tiled");
  form.Subforms().Cascade();
  Grab(form, "client_main_cascaded");
}

}  // namespace
