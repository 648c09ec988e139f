// Chat logs of a short conversation: written as the user reads it, one daily
// UTF-8 file per window in a folder per server; nothing when not asked for.
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include "F_mchannel.h"
#include "U_chatlog.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "registry.h"
#include "wait_until.h"

namespace {

// The file's lines without their "[HH:MM] " time.
QStringList Logged(const TChatLog& log, const char* window) {
  QFile file(log.FilePath(QStringLiteral("127.0.0.1"), QString::fromUtf8(window), QDate::currentDate()));
  if (!file.open(QIODevice::ReadOnly)) return {QStringLiteral("(no file)")};
  QStringList lines;
  for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    lines << (line.mid(0, 1) == QLatin1String("[") ? line.mid(8) : QStringLiteral("(no time) ") + line);
  return lines;
}

void Converse(WiredForm& wired) {
  TZoEngine& engine = wired.form->Engine();
  engine.SimulateLine(":me!u@h JOIN :#Chat");
  engine.SimulateLine(":bob!u@h PRIVMSG #chat :hello \x03" "4there\x02!");
  wired.form->Input("hi bob");
  ASSERT_TRUE(wired.Sent("PRIVMSG #Chat :hi bob\r\n"));
  engine.SimulateLine(":bob!u@h PRIVMSG me :psst");
  SpinFor(50);
}

TEST(ChatLogs, AShortConversationOnlyWhenAsked) {
  {
    WiredForm off;
    Converse(off);
    EXPECT_FALSE(QDir(RegistryFolder()).exists(QStringLiteral("logs")));
  }
  WiredForm on;
  on.form->Settings().ChatLogs = 1;
  Converse(on);
  const TChatLog written(QDir(RegistryFolder()).filePath(QStringLiteral("logs")));
  EXPECT_EQ(Logged(written, "#chat"), (QStringList{QString::fromUtf8("◆ #Chat채널에서 대화합니다."),
                                                   QStringLiteral("<bob> hello there!"), QStringLiteral("<me> hi bob")}));
  EXPECT_EQ(Logged(written, "bob"), QStringList{QStringLiteral("<bob> psst")});
  // A window name never leaves its server's folder.
  EXPECT_EQ(TChatLog::SafeName(QStringLiteral("../x")), QStringLiteral("_.._x"));
  EXPECT_EQ(TChatLog::SafeName(QStringLiteral("")), QStringLiteral("_"));
}

}  // namespace
