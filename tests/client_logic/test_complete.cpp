#include <gtest/gtest.h>

#include "U_complete.h"
#include "U_render.h"

namespace {

const QStringList kMembers = {"peer", "Pat", "bob", "paula"};

// Each Tab's line, then the caret's place marked by "|".
QStringList Tabs(TNickCompleter& completer, QString line, int caret, int times) {
  QStringList shown;
  for (int i = 0; i < times; ++i) {
    const auto done = completer.Complete(line, caret, kMembers);
    if (!done) {
      shown << QStringLiteral("(none)");
      continue;
    }
    line = done->line;
    caret = done->caret;
    shown << QString(line).insert(caret, QLatin1Char('|'));
  }
  return shown;
}

TEST(NickCompletion, CyclesThroughMatchesInOrder) {
  TNickCompleter completer;
  // At the line's start ": " follows; the matches come round again.
  EXPECT_EQ(Tabs(completer, "p", 1, 4), (QStringList{"Pat: |", "paula: |", "peer: |", "Pat: |"}));
  // Elsewhere a blank follows, and the text after the caret stays.
  EXPECT_EQ(Tabs(completer, "hi BO and", 5, 2), (QStringList{"hi bob | and", "hi bob | and"}));
  EXPECT_EQ(Tabs(completer, "hi x", 4, 1), QStringList{"(none)"});
  EXPECT_EQ(Tabs(completer, "hi ", 3, 1), QStringList{"(none)"});
  // A line changed since the last Tab starts afresh from the new word.
  TNickCompleter fresh;
  Tabs(fresh, "pe", 2, 1);
  EXPECT_EQ(Tabs(fresh, "peer: bo", 8, 1), QStringList{"peer: bob |"});
}

TEST(Mentions, OnlyTheNickAsAWordOfItsOwn) {
  const struct {
    const char* text;
    bool named;
  } cases[] = {
      {"hosty: hi", true}, {"hi HOSTY", true},   {"(hosty)", true},     {"hosty_ is away", false},
      {"ghosty", false},   {"hostyhosty", false}, {"x hosty-2", false}, {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(NamesNick(c.text, "hosty"), c.named) << c.text;
  EXPECT_FALSE(NamesNick("anything", ""));
  EXPECT_EQ(RenderChannelMessage("bob", "#c", "hosty: hi", "hosty")->kind, kKindMention);
  EXPECT_EQ(RenderChannelMessage("bob", "hosty", "hosty: hi", "hosty")->kind, kKindMessage);  // private: no band
}

}  // namespace
