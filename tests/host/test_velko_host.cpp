// The host program end to end: `velko --script -` on a real ngircd with a
// second participant, an engine in this process. What the script's host
// commands print must match what that participant did.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "C_datas.h"
#include "U_codepage.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "scratch_registry.h"
#include "scripted_host.h"
#include "wait_until.h"

namespace {

class VelkoHost : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    ASSERT_TRUE(peer_.LogOn(server_.Port(), "peer"));
    peer_.engine.Send("JOIN #e2e\r\n");
    ASSERT_TRUE(peer_.WaitFor("OnOwnerJoin\t#e2e"));
    ASSERT_TRUE(host_.Start(server_.Port(), folder_.filePath("registry"), folder_.filePath("grabs")));
    ASSERT_TRUE(peer_.WaitFor("OnOtherJoin\t#e2e\thosty", 10000));
  }

  QTemporaryDir folder_;
  NgircdServer server_;
  EngineRecorder peer_;
  ScriptedHost host_;
};

TEST_F(VelkoHost, TheScriptSeesWhatTheOtherParticipantDid) {
  ASSERT_TRUE(host_.AskUntil(QStringLiteral(".members #e2e"), QStringLiteral("hosty")));
  EXPECT_EQ(host_.Ask(QStringLiteral(".members #e2e")), (QStringList{"@peer", "hosty"}));
  const QStringList windows = host_.Ask(QStringLiteral(".windows"));
  ASSERT_EQ(windows.size(), 2);
  EXPECT_TRUE(windows[0].startsWith(QStringLiteral("2\t#e2e"))) << windows[0].toStdString();
  EXPECT_EQ(windows[1], QString::fromUtf8("4\t상태창"));

  peer_.engine.Send("PRIVMSG hosty :psst\r\n");
  EXPECT_TRUE(host_.AskUntil(QStringLiteral(".windows"), QStringLiteral("5\tpeer")));
  EXPECT_TRUE(host_.Ask(QStringLiteral(".pane peer 2")).contains(QStringLiteral("<peer> psst")));
  // With the query in front the channel dialog has nothing to show.
  ASSERT_TRUE(host_.Ask(QStringLiteral(".windows")).value(0).startsWith(QStringLiteral("5\t")));
  EXPECT_TRUE(host_.Ask(QStringLiteral("ShowChanChange")).value(0).startsWith(QStringLiteral("error\tno-channel-window: ")));
  EXPECT_EQ(host_.Ask(QStringLiteral(".dialog")), QStringList{"none"});

  peer_.engine.Send("PART #e2e :bye\r\n");
  EXPECT_TRUE(WaitUntil([&] { return host_.Ask(QStringLiteral(".members #e2e")) == QStringList{"hosty"}; }));
  EXPECT_EQ(host_.Ask(QStringLiteral(".pane #nowhere 1")).value(0).section(QLatin1Char('\t'), 0, 0),
            QStringLiteral("error"));
}

TEST_F(VelkoHost, AModalDialogIsSeenAndAnsweredWhileItsCallWaits) {
  ASSERT_TRUE(host_.AskUntil(QStringLiteral(".members #e2e"), QStringLiteral("hosty")));
  EXPECT_EQ(host_.Ask(QStringLiteral(".dialog")), QStringList{"none"});
  host_.Send(QStringLiteral("ShowNickChange"));
  const QStringList dialog = host_.Ask(QStringLiteral(".dialog"));
  ASSERT_EQ(dialog.size(), 1);
  EXPECT_TRUE(dialog[0].startsWith(QString::fromUtf8("대화명 변경하기\t"))) << dialog[0].toStdString();
  EXPECT_TRUE(host_.Ask(QStringLiteral(".answer renamed")).isEmpty());
  EXPECT_TRUE(host_.Next().isEmpty());  // ShowNickChange has returned
  EXPECT_TRUE(peer_.WaitForPart("OnNick", "hosty\trenamed"));
  EXPECT_EQ(host_.Ask(QStringLiteral(".dialog")), QStringList{"none"});

  EXPECT_TRUE(host_.Ask(QStringLiteral(".grab final")).isEmpty());
  EXPECT_FALSE(QImage(folder_.filePath("grabs/final.png")).isNull());
  host_.Send(QStringLiteral(".quit"));
  ASSERT_TRUE(host_.process_.waitForFinished(10000));
  EXPECT_EQ(host_.process_.exitCode(), 0);
  EXPECT_TRUE(peer_.WaitForPart("OnOtherPart", "#e2e\trenamed"));
}

// Only a page loads the browser engine: the plain host maps none of it and
// hands a page, with its whole line, to the page program in its own process,
// which keeps the engine's start-up report to itself unless asked.
TEST(VelkoHostPage, OnlyAPageLoadsTheBrowserEngine) {
  QTemporaryDir folder;
  const QStringList line{"--addr", "127.0.0.1:1", "--nick", "paged", "--script", "-"};
  ScriptedHost plain;
  ASSERT_TRUE(plain.Start(folder.filePath("plain"), line));
  EXPECT_EQ(plain.Ask(".windows"), QStringList{QString::fromUtf8("4\t상태창")});
  EXPECT_FALSE(plain.MapsBrowserEngine());

  ScriptedHost page;
  page.keepErrors = true;
  ASSERT_TRUE(page.Start(folder.filePath("page"), QStringList{VELKO_SAMPLE_PAGE} + line));
  page.Send(".windows");
  EXPECT_EQ(page.Next(60000), QStringList{QString::fromUtf8("4\t상태창")});
  EXPECT_EQ(page.Ask("get NICK"), QStringList{"paged"});
  EXPECT_TRUE(page.MapsBrowserEngine());
  EXPECT_FALSE(page.process_.readAllStandardError().contains("Init Parameters"));
}

// A script whose input ends while its last call waits in a dialog leaves
// nobody to answer it: the host ends instead of waiting for ever.
TEST_F(VelkoHost, InputEndingWhileADialogWaitsEndsTheHost) {
  ASSERT_TRUE(host_.AskUntil(QStringLiteral(".members #e2e"), QStringLiteral("hosty")));
  host_.Send(QStringLiteral("ShowNickChange"));
  ASSERT_EQ(host_.Ask(QStringLiteral(".dialog")).size(), 1);
  host_.process_.closeWriteChannel();
  ASSERT_TRUE(host_.process_.waitForFinished(15000));
  EXPECT_EQ(host_.process_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(host_.process_.exitCode(), 0);
}

// Settings are stored from the command line; alone, the host stores them and
// ends. A value the settings' rules refuse is named with the reason and
// nothing is stored.
TEST(HostSettings, StoredFromTheCommandLine) {
  ScratchRegistry registry;
  const auto run = [](const QStringList& args, QString* error) {
    QProcess host;
    host.start(QStringLiteral(VELKO_HOST), args);
    EXPECT_TRUE(host.waitForFinished(15000));
    *error = QString::fromLocal8Bit(host.readAllStandardError());
    return host.exitCode();
  };
  QString error;
  EXPECT_EQ(run({"--set", QString::fromUtf8("SaslAccount=벨코 계정"), "--set=Utf8=1", "--set", "Encoding=utf-8"}, &error), 0)
      << error.toStdString();
  // Refused with the reason, and the stored file is left as it was.
  QFile stored(registry.Path() + "/HKEY_LOCAL_MACHINE.ini");
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  const QByteArray before = stored.readAll();
  stored.close();
  EXPECT_EQ(run({"--set", "Nick=never", "--set", "Port=70000"}, &error), 2);
  EXPECT_EQ(error, "velko: Port is a number from 1 to 65535, not \"70000\"\n");
  ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
  EXPECT_EQ(stored.readAll(), before);
  stored.close();
  // A folder is kept as the file system spells it, whatever the text's charset.
  const QString folder = registry.Path() + QString::fromUtf8("/받은 파일");
  EXPECT_EQ(run({"--set", "DCCDir=" + folder}, &error), 0) << error.toStdString();
  EXPECT_EQ(run({"--set", "Bogus=1"}, &error), 2);
  EXPECT_TRUE(error.startsWith("velko: no setting is named Bogus")) << error.toStdString();
  EXPECT_EQ(run({"--colour"}, &error), 2);
  EXPECT_TRUE(error.startsWith("velko: unknown option --colour\n")) << error.toStdString();
  EXPECT_EQ(run({"nowhere.html", "--set", "Nick=lost"}, &error), 1);
  EXPECT_EQ(error, "velko: nowhere.html: no such page file\n");
  EXPECT_EQ(run({"--help"}, &error), 0);
  EXPECT_TRUE(error.isEmpty()) << error.toStdString();
  const CDatas datas;
  EXPECT_EQ(DecodeDisplay(datas.SaslAccount.c_str()), QString::fromUtf8("벨코 계정"));
  EXPECT_EQ(datas.Utf8, 1);
  EXPECT_EQ(datas.Encoding, "utf-8");
  EXPECT_EQ(datas.Port, 6667);
  EXPECT_EQ(datas.DCCDir, QFile::encodeName(folder).toStdString() + "/");
  EXPECT_NE(datas.Nick, "never");
  EXPECT_NE(datas.Nick, "lost");
}

}  // namespace
