#include <QLineEdit>
#include <QToolButton>
#include <gtest/gtest.h>
#include <optional>

#include "M_nickchange.h"
#include "U_codepage.h"
#include "engine_recorder.h"
#include "frame_input.h"
#include "ngircd_server.h"

namespace {

struct NickChangeTest : testing::Test {
  // Runs the dialog with `act` answering it; a message box it raises is noted and closed.
  void Run(const std::function<void(TmNickChange&)>& act) {
    RunDialog<TmNickChange>(act, [&](const QString& text) { refusal = text; return mrCancel; }, nullptr,
                            EngineNickRequest(recorder.engine, [&](const char* nick) { stored = nick; }));
  }
  static void Enter(TmNickChange& dialog, const QString& nick) {
    TypeText(dialog.eNick, nick);
    QTest::keyClick(dialog.eNick, Qt::Key_Return);
  }

  EngineRecorder recorder;
  std::optional<std::string> stored;  // what the settings were given
  QString refusal;
};

TEST_F(NickChangeTest, WhileDisconnectedNothingLocalChanges) {
  Run([](TmNickChange& dialog) {
    TypeText(dialog.eNick, "other");
    QTest::mouseClick(dialog.sbOk, Qt::LeftButton);
  });
  EXPECT_FALSE(stored);
  EXPECT_EQ(recorder.engine.Nick(), "QUELBO");
}

// Before the welcome the nick changes at once; Escape and an empty nick send nothing.
TEST_F(NickChangeTest, BeforeTheWelcomeTheNickChangesAtOnce) {
  ScriptedServer server;
  ASSERT_TRUE(ConnectTo(recorder.engine, server));
  Run([](TmNickChange& dialog) {
    TypeText(dialog.eNick, "unsent");
    QTest::keyClick(dialog.eNick, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible()) << "Escape left the dialog open";
    dialog.close();
  });
  Run([](TmNickChange& dialog) {
    Enter(dialog, "");
    EXPECT_TRUE(dialog.isVisible()) << "an empty nick closed the dialog";
    Enter(dialog, QString::fromUtf8("벨코"));
  });
  EXPECT_EQ(refusal, QString::fromUtf8("대화명을 올바르게 입력해 주세요"));
  const std::string nick = Cp949Literal("벨코");
  EXPECT_EQ(stored, nick);
  EXPECT_EQ(recorder.engine.Nick(), nick);
  EXPECT_TRUE(server.WaitForText(QByteArray::fromStdString("NICK " + nick + "\r\n")));
  EXPECT_FALSE(server.Received().contains("unsent"));
}

// Once logged on, the nick is only asked for; the server's answer changes it.
TEST_F(NickChangeTest, LoggedOnTheServerDecides) {
  NgircdServer ngircd;
  ASSERT_TRUE(ngircd.Start());
  ASSERT_TRUE(recorder.LogOn(ngircd.Port(), "oldnick"));
  Run([](TmNickChange& dialog) { Enter(dialog, "newnick"); });
  EXPECT_FALSE(stored);
  EXPECT_EQ(recorder.engine.Nick(), "oldnick");
  EXPECT_TRUE(WaitUntil([&] { return recorder.engine.Nick() == "newnick"; }));
}

}  // namespace
