// The input line driven by real key presses: Enter and the history, a
// multi-line paste, the formatting keys and the window keys.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest/QTest>
#include <QMap>
#include <QMenu>
#include <memory>
#include <functional>
#include <gtest/gtest.h>

#include "F_inputline.h"

#include "F_mchannel.h"
#include "F_mstatus.h"
#include "M_pastebox.h"
#include "U_render.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "frame_input.h"
#include "pane_lines.h"
#include "wait_until.h"

namespace {

TmChannel* Joined(WiredForm& wired, const char* name) {
  wired.form->Client().Engine().SimulateLine((std::string(":me!u@h JOIN :") + name).c_str());
  return wired.form->Subforms().FindChannel(name);
}

void Type(QLineEdit* edit, const char* ascii) {
  QTest::keyClicks(edit, ascii);
  QTest::keyClick(edit, Qt::Key_Return);
}

TEST(InputLine, EnterSendsAndTheHistoryKeepsTheNewestFifty) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  QLineEdit* edit = form.eInput;
  TmChannel* channel = Joined(wired, "#c");
  QTest::keyClicks(edit, "hello ");
  QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString::fromUtf8("세상"), Qt::NoModifier);
  QTest::keyClick(edit, Qt::Key_Enter);
  EXPECT_TRUE(wired.Sent("PRIVMSG #c :hello \xBC\xBC\xBB\xF3\r\n"));  // CP949 on the wire
  EXPECT_TRUE(Shows(channel, "<me> hello 세상", kKindOwnMessage));
  EXPECT_TRUE(edit->text().isEmpty());
  QTest::keyClick(edit, Qt::Key_Return);  // an empty edit sends nothing

  // With the status window in front plain text goes nowhere, but into the
  // history, which keeps the newest fifty lines: the first line is gone.
  form.Subforms().OpenStatus()->Activate();
  for (int i = 1; i <= 50; ++i) Type(edit, ("line " + std::to_string(i)).c_str());
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->text(), "line 50");
  for (int i = 0; i < 52; ++i) QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_EQ(edit->text(), "line 1");
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(edit->text(), "line 2");
  for (int i = 0; i < 49; ++i) QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_TRUE(edit->text().isEmpty());

  QTest::keyClick(edit, Qt::Key_Space, Qt::AltModifier);
  QTest::keyClick(edit, Qt::Key_Up);
  EXPECT_TRUE(edit->text().isEmpty());
  form.Client().SendRaw("PING :marker");
  ASSERT_TRUE(wired.Sent("PING :marker\r\n"));
  EXPECT_EQ(wired.server.Received().count("PRIVMSG"), 1);
}

// A block of lines is sent only as the user answers the question: Esc sends
// nothing, "한 줄로" one joined line, Enter each line. The clipboard keeps what
// was copied.
TEST(InputLine, PasteAsksAndFormattingKeys) {
  WiredForm wired;
  QLineEdit* edit = wired.form->eInput;
  TmChannel* channel = Joined(wired, "#c");
  QClipboard* clipboard = QApplication::clipboard();
  const QString block = QString::fromUtf8("첫째 줄\r\ntwo\n\nthree");
  clipboard->setText(block);
  std::function<void(TKPasteBox&)> answer = [](TKPasteBox& box) { QTest::keyClick(&box, Qt::Key_Escape); };
  QStringList asked;
  ScopedAnswer hook([&](TModalForm& form) {
    auto& box = dynamic_cast<TKPasteBox&>(form);
    asked << box.lText->text() + "|" + box.lFirstLine->text();
    answer(box);
  });
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  answer = [](TKPasteBox& box) { box.sbOneLine->click(); };
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_TRUE(wired.Sent("PRIVMSG #c :\xC3\xB9\xC2\xB0 \xC1\xD9 two three\r\n"));
  answer = [](TKPasteBox& box) { QTest::keyClick(&box, Qt::Key_Return); };
  QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_TRUE(wired.Sent("PRIVMSG #c :two\r\nPRIVMSG #c :three\r\n"));
  EXPECT_TRUE(Shows(channel, "<me> three", kKindOwnMessage));
  EXPECT_EQ(asked, QStringList(3, QString::fromUtf8("3줄을 보낼까요?|첫째 줄")));
  EXPECT_EQ(clipboard->text(), block);
  EXPECT_TRUE(edit->text().isEmpty());
  wired.form->Client().SendRaw("PING :marker");
  ASSERT_TRUE(wired.Sent("PING :marker\r\n"));
  EXPECT_EQ(wired.server.Received().count("PRIVMSG #c :"), 4);  // "no" sent nothing
  clipboard->setText("just one");
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "just one");  // a single line is the edit's own paste

  // Each code goes in at the caret or replaces the selection.
  edit->clear();
  QTest::keyClick(edit, Qt::Key_B, Qt::ControlModifier);
  QTest::keyClicks(edit, "bold");
  QTest::keyClick(edit, Qt::Key_U, Qt::ControlModifier);
  QTest::keyClicks(edit, "under");
  QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier);
  QTest::keyClicks(edit, "4red");
  QTest::keyClicks(edit, "XX");
  edit->setSelection(edit->text().size() - 2, 2);
  QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), QString("\x02" "bold\x1F" "under\x03" "4red\x16"));
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(wired.Sent("PRIVMSG #c :\x02" "bold\x1F" "under\x03" "4red\x16\r\n"));
}

// The edit's own menu pastes as Ctrl+V does: several lines are asked about
// first, one line goes into the edit, and the clipboard keeps both.
TEST(InputLine, MenuPasteAsksAsCtrlVDoes) {
  WiredForm wired;
  TInputLine* edit = wired.form->eInput;
  Joined(wired, "#c");
  QClipboard* clipboard = QApplication::clipboard();
  int asked = 0;
  ScopedAnswer hook([&](TModalForm& form) {
    ++asked;
    dynamic_cast<TKPasteBox&>(form).sbYes->click();
  });
  const auto pasteFromMenu = [&] {
    std::unique_ptr<QMenu> menu(edit->ContextMenu());
    for (QAction* action : menu->actions())
      if (action->text() == QString::fromUtf8("붙여넣기")) action->trigger();
  };
  clipboard->setText(QStringLiteral("one\ntwo"));
  pasteFromMenu();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(wired.Sent("PRIVMSG #c :one\r\nPRIVMSG #c :two\r\n"));
  EXPECT_EQ(clipboard->text(), QStringLiteral("one\ntwo"));
  EXPECT_TRUE(edit->text().isEmpty());
  clipboard->setText(QStringLiteral("single"));
  pasteFromMenu();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(edit->text(), QStringLiteral("single"));
  EXPECT_EQ(clipboard->text(), QStringLiteral("single"));
}

TEST(InputLine, WindowKeysAndJoiningAnOpenChannel) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  CSubforms& subforms = form.Subforms();
  QLineEdit* edit = form.eInput;
  TmChannel* a = Joined(wired, "#a");
  TmChannel* b = Joined(wired, "#b");
  TMDIABS* status = subforms.FindForm(wkStatus, nullptr);
  ASSERT_EQ(subforms.FrontForm(), b);  // order b, a, status

  QTest::keyClick(edit, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(subforms.FrontForm(), a);  // a, status, b
  QTest::keyClick(edit, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(subforms.FrontForm(), b);

  const QSize area = form.pMDIClient->size();
  QTest::keyClick(edit, Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(b->geometry().topLeft(), QPoint(area.width() / 2, 0));  // front: right half of the first row
  QTest::keyClick(edit, Qt::Key_2, Qt::ControlModifier);
  EXPECT_EQ(b->geometry().topLeft(), QPoint(32, 32));  // front: last placed, on top
  EXPECT_EQ(status->geometry().topLeft(), QPoint(0, 0));

  // Joining an open channel only brings its window up, once the key handler is done.
  form.Input("/join #A");
  EXPECT_EQ(subforms.FrontForm(), b);
  EXPECT_TRUE(WaitUntil([&] { return subforms.FrontForm() == a; }));

  QTest::keyClick(edit, Qt::Key_F4, Qt::ControlModifier);
  EXPECT_EQ(subforms.FindChannel("#a"), nullptr);
  EXPECT_TRUE(wired.Sent("PART #a\r\n"));
  EXPECT_FALSE(wired.server.Received().contains("JOIN #A"));
}

// Whether each frame last painted its caption active.
struct TCaptionWatch : QObject {
  explicit TCaptionWatch(CSubforms& subforms) : subforms(subforms) {
    for (int i = 0; i < subforms.Count(); ++i) subforms.Form(i)->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) lit[watched] = subforms.IsFront(static_cast<TMDIABS*>(watched));
    return false;
  }
  CSubforms& subforms;
  QMap<QObject*, bool> lit;
};

// Each Ctrl+Tab repaints the caption it leaves as well as the one it lights.
TEST(InputLine, OneCaptionLooksActive) {
  WiredForm wired;
  Joined(wired, "#a");
  CSubforms& subforms = wired.form->Subforms();
  subforms.OpenQuery("bob");
  wired.form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(wired.form.get()));
  TCaptionWatch watch(subforms);
  for (int press = 0; press < 2; ++press) {
    watch.lit.clear();
    QObject* leaving = subforms.FrontForm();
    QTest::keyClick(wired.form->eInput, Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_TRUE(WaitUntil([&] { return watch.lit.value(subforms.FrontForm()); }));
    EXPECT_TRUE(watch.lit.contains(leaving)) << "press " << press + 1;
    EXPECT_EQ(watch.lit.keys(true), QList<QObject*>{subforms.FrontForm()}) << "press " << press + 1;
  }
}

// Lines still waiting for their turn when the connection drops belong to the
// old session: they are never sent to the next one.
TEST(InputLine, WaitingLinesDieWithTheConnection) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  Joined(wired, "#c");
  std::string block;
  for (int i = 1; i <= 8; ++i) block += "paste " + std::to_string(i) + "\n";
  QApplication::clipboard()->setText(QString::fromStdString(block));
  ScopedAnswer yes([](TModalForm& box) { box.SetModalResult(mrOk); });
  QTest::keyClick(form.eInput, Qt::Key_V, Qt::ControlModifier);
  ASSERT_TRUE(wired.Sent("PRIVMSG #c :paste 5\r\n"));
  EXPECT_FALSE(wired.server.Received().contains("paste 6"));
  wired.server.CloseClient();
  ASSERT_TRUE(WaitUntil([&] { return wired.server.ClientClosed(); }));
  // A new client is a new session: what it receives starts afresh. A line
  // typed now queues behind whatever still waits.
  ASSERT_TRUE(WaitUntil([&] { return !wired.server.ClientClosed() && wired.server.Received().contains("NICK me"); }));
  form.Input("after");
  ASSERT_TRUE(wired.Sent("PRIVMSG #c :after\r\n", 10000));
  EXPECT_FALSE(wired.server.Received().contains("paste 6"));
}

// A QUIT the user types is meant: the server's closing is not answered by a
// reconnect, even though the line went through the alias expansion.
TEST(InputLine, TypedQuitEndsReconnecting) {
  WiredForm wired;
  wired.form->Input("/quit see you");
  ASSERT_TRUE(wired.Sent("QUIT :see you\r\n"));
  wired.server.CloseClient();
  // The end's line says why and how to connect again; a reconnect would have
  // been announced with it.
  TmABSRich* status = wired.form->Subforms().OpenStatus();
  ASSERT_TRUE(WaitUntil([&] { return PaneText(status).contains(QString::fromUtf8("요청하신 대로 서버와의 접속을 끊었습니다")); }));
  EXPECT_FALSE(PaneText(status).contains(QString::fromUtf8("재접속")));
  EXPECT_EQ(wired.form->Client().Engine().state, TZoEngine::Idle);
  wired.form->Input("/server");
  EXPECT_TRUE(WaitUntil([&] { return !wired.server.ClientClosed(); }));
}

}  // namespace
