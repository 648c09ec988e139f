// A busy channel and replayed history as the user sees them, saved as grabs
// to look at.
#include <gtest/gtest.h>

#include "F_mchannel.h"
#include "U_codepage.h"
#include "U_render.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "pane_lines.h"

// A busy channel as the user sees it: every code, every palette colour, a
// wrapped line, Korean in both encodings. Saved as a grab to look at.
TEST(ConversationPane, BusyChannelShowsCodesColoursAndKorean) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  TZoEngine& engine = form.Client().Engine();
  form.show();
  engine.SimulateLine(":me!u@h JOIN :#busy");
  engine.SimulateLine((std::string(":srv 353 me = #busy :@me bob ") + Cp949Literal("철수")).c_str());
  engine.SimulateLine(":srv 366 me #busy :End");
  engine.SimulateLine((std::string(":") + Cp949Literal("철수") + "!u@h AWAY :lunch").c_str());  // greyed in the list
  engine.SimulateLine(":amy!u@h JOIN :#busy");
  std::string palette = ":bob!u@h PRIVMSG #busy :";
  for (int colour = 0; colour < 16; ++colour) palette += "\x03" + std::to_string(colour) + ",1 " + std::to_string(colour) + " ";
  const std::vector<std::string> lines = {
      ":bob!u@h PRIVMSG #busy :plain \x02" "bold\x02 \x1Funderline\x1F \x16reverse\x16 \x03" "4,8red on yellow\x03 end",
      palette,
      ":amy!u@h PRIVMSG #busy :" + std::string(60, 'w') + " a long line that has to wrap inside the pane " +
          std::string(40, 'z'),
      std::string(":") + Cp949Literal("철수") + "!u@h PRIVMSG #busy :" + Cp949Literal("안녕하세요, 반갑습니다"),
      ":bob!u@h PRIVMSG #busy :UTF-8 그대로: 한글과 English",
      ":bob!u@h NOTICE #busy :notice text",
      ":me!u@h MODE #busy +v bob",
      ":amy!u@h TOPIC #busy :\x02주제\x02 topic",
      ":amy!u@h PART #busy :bye",
      ":me!u@h KICK #busy bob :enough",
  };
  for (const std::string& line : lines) engine.SimulateLine(line.c_str());
  TmChannel* channel = form.Subforms().FindChannel("#busy");
  ASSERT_NE(channel, nullptr);
  form.Subforms().Tile();
  Grab(form, "busy_channel");

  EXPECT_TRUE(Shows(channel, "<철수> 안녕하세요, 반갑습니다", kKindMessage));
  EXPECT_TRUE(Shows(channel, "<bob> UTF-8 그대로: 한글과 English", kKindMessage));
  EXPECT_TRUE(Shows(channel, "◆ amy님께서 채널 주제를 주제 topic로 변경했습니다", kKindTopic));
  EXPECT_TRUE(channel->windowTitle().endsWith(QString::fromUtf8("] 주제 topic")));  // codes removed
  EXPECT_EQ(channel->Users(), (std::vector<std::string>{"@me", Cp949Literal("철수")}));
}

// Replayed history sits muted on its band before the live line and marks no
// window behind as unread, mention or not; a netsplit is one line. Saved as
// a grab to look at.
TEST(ConversationPane, HistoryBandAndNetsplitLine) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  TZoEngine& engine = form.Client().Engine();
  form.show();
  for (const char* line : {":me!u@h JOIN :#v3", ":srv 353 me = #v3 :@me amy bob carl dora", ":srv 366 me #v3 :End",
                           ":me!u@h JOIN :#front", ":srv BATCH +h chathistory #v3",
                           "@batch=h;time=2026-12-07T00:15:00.000Z :amy!a@h PRIVMSG #v3 :좋은 아침",
                           "@batch=h;time=2026-12-07T00:16:00.000Z :bob!b@h PRIVMSG #v3 :me: 어제 얘기 기억나?",
                           "@batch=h;time=2026-12-07T00:17:00.000Z :me!u@h PRIVMSG #v3 :응, 기억나", ":srv BATCH -h"})
    engine.SimulateLine(line);
  TmChannel* channel = form.Subforms().FindChannel("#v3");
  ASSERT_NE(channel, nullptr);
  EXPECT_TRUE(Shows(channel, "<bob> me: 어제 얘기 기억나?", kKindHistory));
  EXPECT_TRUE(Shows(channel, "<me> 응, 기억나", kKindHistory));
  EXPECT_EQ(channel->Unread, urNone);

  for (const char* line : {":carl!c@h PRIVMSG #v3 :지금 막 왔어", ":srv BATCH +s netsplit hub.example.net leaf.example.net",
                           "@batch=s :amy!a@h QUIT :hub.example.net leaf.example.net",
                           "@batch=s :bob!b@h QUIT :hub.example.net leaf.example.net", ":srv BATCH -s"})
    engine.SimulateLine(line);
  EXPECT_TRUE(Shows(channel, "<carl> 지금 막 왔어", kKindMessage));
  EXPECT_TRUE(Shows(channel, "◆ 넷스플릿: 2명 나감 (hub.example.net ↔ leaf.example.net): amy, bob", kKindQuit));
  EXPECT_EQ(channel->Unread, urLines);
  EXPECT_EQ(channel->Users(), (std::vector<std::string>{"@me", "carl", "dora"}));
  form.Subforms().Tile();
  Grab(form, "history_band");
}
