// Chat logs of a short conversation: written as the user reads it, one daily
// UTF-8 file per window in a folder per server; nothing when not asked for.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "F_mchannel.h"
#include "F_mquery.h"
#include "U_chatlog.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "registry.h"
#include "wait_until.h"

namespace {

// The file's lines without their "[HH:MM] " time.
QStringList FileLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("(no file)")};
  QStringList lines;
  for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    lines << (line.mid(0, 1) == QLatin1String("[") ? line.mid(8) : QStringLiteral("(no time) ") + line);
  return lines;
}

QStringList Logged(const TChatLog& log, const char* window) {
  return FileLines(log.FilePath(QStringLiteral("127.0.0.1"), QString::fromUtf8(window), QDate::currentDate()));
}

void Converse(WiredForm& wired) {
  TZoEngine& engine = wired.form->Client().Engine();
  engine.SimulateLine(":me!u@h JOIN :#Chat");
  engine.SimulateLine(":bob!u@h PRIVMSG #chat :hello \x03" "4there\x02!");
  wired.form->Input("hi bob");
  ASSERT_TRUE(wired.Sent("PRIVMSG #Chat :hi bob\r\n"));
  engine.SimulateLine(":bob!u@h PRIVMSG me :psst");
  ASSERT_TRUE(WaitUntil([&] {
    TmABSRich* query = wired.form->Subforms().Find<TmQuery>("bob");
    return query && PaneText(query).contains(QStringLiteral("<bob> psst"));
  }));
}

TEST(ChatLogs, AShortConversationOnlyWhenAsked) {
  {
    WiredForm off;
    Converse(off);
    EXPECT_FALSE(QDir(RegistryFolder()).exists(QStringLiteral("logs")));
  }
  WiredForm on;
  on.form->Client().Settings().ChatLogs = 1;
  Converse(on);
  on.form.reset();  // the log's last lines are on the disk when it goes
  const TChatLog written(QDir(RegistryFolder()).filePath(QStringLiteral("logs")));
  EXPECT_EQ(Logged(written, "#chat"), (QStringList{QString::fromUtf8("◆ #Chat채널에서 대화합니다."),
                                                   QStringLiteral("<bob> hello there!"), QStringLiteral("<me> hi bob")}));
  EXPECT_EQ(Logged(written, "bob"), QStringList{QStringLiteral("<bob> psst")});
  // A window name never leaves its server's folder.
  EXPECT_EQ(TChatLog::SafeName(QStringLiteral("../x")), QStringLiteral("_.._x"));
  EXPECT_EQ(TChatLog::SafeName(QStringLiteral("")), QStringLiteral("_"));
}

TEST(ChatLogs, LongNamesManyWindowsAndMidnightKeepEveryLine) {
  QTemporaryDir root;
  const QDateTime evening(QDate(2026, 12, 7), QTime(23, 59));
  const QString server = QStringLiteral("irc.example.org");
  const QString longer = QString(300, QLatin1Char('x'));
  QStringList windows{longer + QStringLiteral("1"), longer + QStringLiteral("2")};
  for (int i = 0; i < 40; ++i) windows << QStringLiteral("#w%1").arg(i);
  {
    TChatLog log(root.path());
    for (int round = 0; round < 2; ++round)
      for (const QString& window : windows) ASSERT_TRUE(log.Append(server, window, evening, window.right(3)));
    // Buffered, yet on the disk within a second while the log stays open.
    const QString path = log.FilePath(server, windows.last(), evening.date());
    EXPECT_TRUE(WaitUntil([&] { return FileLines(path).size() == 2; }, 3000));
    ASSERT_TRUE(log.Append(server, windows.first(), evening.addSecs(60), QStringLiteral("after midnight")));
  }
  const TChatLog written(root.path());
  for (const QString& window : windows) {
    const QString path = written.FilePath(server, window, evening.date());
    EXPECT_LE(QFileInfo(path).fileName().toUtf8().size(), 255);
    EXPECT_EQ(FileLines(path), QStringList(2, window.right(3))) << window.left(10).toStdString();
  }
  EXPECT_NE(written.FilePath(server, windows[0], evening.date()), written.FilePath(server, windows[1], evening.date()));
  EXPECT_EQ(FileLines(written.FilePath(server, windows.first(), evening.date().addDays(1))),
            QStringList{QStringLiteral("after midnight")});
}

}  // namespace
