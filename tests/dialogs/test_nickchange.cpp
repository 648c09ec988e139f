#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>

#include "M_msgbox.h"
#include "M_nickchange.h"
#include "U_codepage.h"
#include "engine_recorder.h"
#include "frame_input.h"
#include "ngircd_server.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

struct NickChangeTest : testing::Test {
  // Runs the dialog with `act` answering it; the nick the settings were given, if any.
  void Run(const std::function<void(TmNickChange&)>& act) {
    ScopedAnswer answer([&](TModalForm& form) {
      if (auto* dialog = dynamic_cast<TmNickChange*>(&form)) act(*dialog);
    });
    TModalHolder<TmNickChange> dialog(recorder.engine, [&](const char* nick) { stored = nick; });
    dialog->ShowModal();
  }
  static void Type(TmNickChange& dialog, const QString& nick) {
    TypeText(dialog.eNick, nick);
    QTest::keyClick(dialog.eNick, Qt::Key_Return);
  }
  void ConnectTo(ScriptedServer& server) {
    recorder.engine.SetAddress("127.0.0.1");
    recorder.engine.SetPort(server.Port());
    ASSERT_TRUE(recorder.engine.Connect());
    ASSERT_TRUE(server.WaitForClient());
    ASSERT_TRUE(WaitUntil([&] { return recorder.engine.state == TZoEngine::Connected; }));
  }

  EngineRecorder recorder;
  std::optional<std::string> stored;
};

TEST_F(NickChangeTest, EmptyNickIsRefusedAndTheDialogStaysOpen) {
  QString message;
  bool stillOpen = false, closedAfterNick = false;
  Run([&](TmNickChange& dialog) {
    SaveGrab(&dialog, "nickchange");
    {
      ScopedAnswer inner([&](TModalForm& box) {
        message = dynamic_cast<TKMessageBox&>(box).lText->text();
        QTest::keyClick(&box, Qt::Key_Return);
      });
      QTest::keyClick(dialog.eNick, Qt::Key_Return);
    }
    stillOpen = dialog.isVisible();
    Type(dialog, "velko");
    closedAfterNick = !dialog.isVisible();
  });
  EXPECT_EQ(message, QString::fromUtf8("대화명을 올바르게 입력해 주세요"));
  EXPECT_TRUE(stillOpen);
  EXPECT_TRUE(closedAfterNick);
}

TEST_F(NickChangeTest, NickKeepsToSixteenBytesOfWholeCharacters) {
  QString kept;
  Run([&](TmNickChange& dialog) {
    TypeText(dialog.eNick, "abc" + QString::fromUtf8("벨").repeated(7));
    kept = dialog.eNick->text();
    dialog.close();
  });
  EXPECT_EQ(kept, "abc" + QString::fromUtf8("벨").repeated(6));
}

TEST_F(NickChangeTest, WhileDisconnectedNothingLocalChanges) {
  Run([](TmNickChange& dialog) {
    TypeText(dialog.eNick, "other");
    QTest::mouseClick(dialog.sbOk, Qt::LeftButton);
  });
  EXPECT_FALSE(stored);
  EXPECT_EQ(recorder.engine.Nick(), "QUELBO");
}

TEST_F(NickChangeTest, BeforeTheWelcomeTheNickChangesAtOnce) {
  ScriptedServer server;
  ConnectTo(server);
  Run([](TmNickChange& dialog) { Type(dialog, QString::fromUtf8("벨코")); });
  const std::string nick = Cp949Literal("벨코");
  EXPECT_EQ(stored, nick);
  EXPECT_EQ(recorder.engine.Nick(), nick);
  EXPECT_TRUE(server.WaitForText(QByteArray::fromStdString("NICK " + nick + "\r\n")));
}

TEST_F(NickChangeTest, EscapeClosesWithoutSending) {
  ScriptedServer server;
  ConnectTo(server);
  bool closed = false;
  Run([&](TmNickChange& dialog) {
    TypeText(dialog.eNick, "unsent");
    QTest::keyClick(dialog.eNick, Qt::Key_Escape);
    closed = !dialog.isVisible();
  });
  EXPECT_TRUE(closed);
  SpinFor(200);
  EXPECT_FALSE(server.Received().contains("NICK"));
  EXPECT_FALSE(stored);
}

TEST_F(NickChangeTest, LoggedOnTheServerDecides) {
  NgircdServer ngircd;
  ASSERT_TRUE(ngircd.Start());
  ASSERT_TRUE(recorder.LogOn(ngircd.Port(), "oldnick"));
  Run([](TmNickChange& dialog) { Type(dialog, "newnick"); });
  EXPECT_FALSE(stored);
  EXPECT_EQ(recorder.engine.Nick(), "oldnick");
  EXPECT_TRUE(WaitUntil([&] { return recorder.engine.Nick() == "newnick"; }));
  recorder.engine.Disconnect();
}

}  // namespace
