#include <gtest/gtest.h>

#include "U_codepage.h"
#include "U_commondata.h"
#include "U_input.h"
#include "U_keys.h"
#include "U_lib.h"

namespace {

using K = TLineAction::Kind;

const std::vector<std::string> kAliases = {"J=JOIN", "MSG=PRIVMSG"};
const MCommandProcedure kExpander(kAliases);

TInputContext Context(TFrontKind kind, std::string name, int chat = -1) {
  TInputContext context;
  context.front = TFront{kind, std::move(name), chat};
  context.ownNick = "me";
  context.aliases = &kExpander;
  context.isChannelOpen = [](std::string_view name) { return ZoSameName(std::string(name).c_str(), "#open"); };
  return context;
}

struct Case {
  const char* label;
  TInputContext context;
  std::string line;
  K kind;
  std::string text;
  TOutTarget echoWhere = TOutTarget::None;
  std::string echoName = {};
  int echoKind = 0;
  std::string echoText = {};
};

}  // namespace

TEST(Input, LinesBecomeActions) {
  using T = TOutTarget;
  const auto channel = Context(TFrontKind::Channel, "#c");
  const auto query = Context(TFrontKind::Query, "bob");
  const auto chat = Context(TFrontKind::Chat, "", 3);
  const auto none = Context(TFrontKind::None, "");
  const Case cases[] = {
      {"channel text", channel, "hello", K::Server, "PRIVMSG #c :hello\r\n", T::Channel, "#c", 6, "<me> hello"},
      {"query text", query, "hi", K::Server, "PRIVMSG bob :hi\r\n", T::Query, "bob", 6, "<me> hi"},
      {"dcc chat text", chat, "hi", K::Chat, "hi\r\n", T::Chat, "", 6, "<me> hi"},
      {"no target drops text", none, "hi", K::None, ""},
      {"action", channel, "/me waves", K::Server, "PRIVMSG #c :\1ACTION waves\1\r\n", T::Channel, "#c", 1,
       "* me waves"},
      {"action in any case, in a query", query, "/AcTiOn waves hi", K::Server,
       "PRIVMSG bob :\1ACTION waves hi\1\r\n", T::Channel, "bob", 1, "* me waves hi"},
      {"no space after ME is a command", channel, "/MEwaves", K::Server, "MEwaves\r\n"},
      {"action in a dcc chat is a command", chat, "/me waves", K::Server, "me waves\r\n"},
      {"alias", none, "/j chat", K::Server, "JOIN #chat\r\n"},
      {"join of an open channel activates it", none, "/join #OPEN", K::Activate, "#OPEN"},
      {"aliased join of an open channel", none, "/j open", K::Activate, "#open"},
      {"join with a key is sent", channel, "/join #open key", K::Server, "join #open key\r\n"},
      {"bare slash sends nothing", channel, "/", K::None, ""},
      {"empty line", channel, "", K::None, ""},
      {"LF never starts a second line", channel, "hi\nQUIT :x", K::Server, "PRIVMSG #c :hi\r\n", T::Channel,
       "#c", 6, "<me> hi"},
      {"CR in a command", none, "/join #a\rQUIT", K::Server, "join #a\r\n"},
      {"NUL in a line", channel, std::string("hi\0QUIT", 7), K::Server, "PRIVMSG #c :hi\r\n", T::Channel, "#c",
       6, "<me> hi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const TLineAction action = ProcessLine(c.line, c.context);
    EXPECT_EQ(action.kind, c.kind);
    EXPECT_EQ(action.text, c.text);
    ASSERT_EQ(action.echo.has_value(), c.echoWhere != T::None);
    if (!action.echo) continue;
    EXPECT_EQ(action.echo->where, c.echoWhere);
    EXPECT_EQ(action.echo->name, c.echoName);
    EXPECT_EQ(action.echo->kind, c.echoKind);
    EXPECT_EQ(action.echo->text, c.echoText);
  }
  EXPECT_EQ(ProcessLine("hi", chat).chatId, 3);
}

TEST(Input, LongLinesFitOneIrcLineAndTheEchoShowsWhatWasSent) {
  std::string korean;
  for (int i = 0; i < 400; ++i) korean += EncodeText(QString::fromUtf8("가"));
  const std::string lines[] = {korean, "a" + korean, "/me " + korean, "/msg bob " + korean, "/quit " + korean};
  for (const auto kind : {TFrontKind::Channel, TFrontKind::Chat}) {
    for (const std::string& line : lines) {
      const TLineAction action = ProcessLine(line, Context(kind, kind == TFrontKind::Chat ? "" : "#c", 1));
      SCOPED_TRACE(action.text.substr(0, 20));
      EXPECT_LE(action.text.size(), 512u);
      EXPECT_GE(action.text.size(), 510u);
      ASSERT_EQ(action.text.substr(action.text.size() - 2), "\r\n");
      EXPECT_FALSE(DecodeDisplay(action.text.c_str()).contains(QChar::ReplacementCharacter));
      if (!action.echo) continue;
      const std::string sent = action.text.substr(action.text.find(korean.substr(0, 4)));
      const std::string shown = action.echo->text.substr(action.echo->text.find(korean.substr(0, 4)));
      EXPECT_EQ(sent.substr(0, shown.size()), shown);
      EXPECT_GE(shown.size(), 480u);
    }
  }
}

TEST(Input, PasteSendsEachLineAsText) {
  const TFront channel{TFrontKind::Channel, "#c", -1};
  EXPECT_FALSE(PasteLines("one line", channel, "me").has_value());
  EXPECT_FALSE(PasteLines("one line\n", channel, "me").has_value());

  const std::string longLine(512, 'x');
  const auto actions = PasteLines("a\r\n/quit\n\n" + longLine + "\n" + longLine.substr(1) + "\rb", channel, "me");
  ASSERT_TRUE(actions.has_value());
  std::vector<std::string> sent;
  for (const TLineAction& action : *actions) sent.push_back(action.text);
  EXPECT_EQ(sent, (std::vector<std::string>{"PRIVMSG #c :a\r\n", "PRIVMSG #c :/quit\r\n",
                                            "PRIVMSG #c :" + longLine.substr(1, 498) + "\r\n", "PRIVMSG #c :b\r\n"}));

  const auto nowhere = PasteLines("a\nb", TFront{}, "me");
  ASSERT_TRUE(nowhere.has_value());
  EXPECT_TRUE(nowhere->empty());
  const auto chat = PasteLines("a\nb", TFront{TFrontKind::Chat, "", 4}, "me");
  ASSERT_EQ(chat->size(), 2u);
  EXPECT_EQ((*chat)[1].kind, K::Chat);
  EXPECT_EQ((*chat)[1].chatId, 4);
}

TEST(Input, HistoryKeepsTheNewestFiftyAndBrowses) {
  THistory history;
  EXPECT_FALSE(history.Up().has_value());
  EXPECT_EQ(history.Down(), "");
  for (int i = 1; i <= 51; ++i) history.Add("line " + std::to_string(i));
  EXPECT_EQ(history.Count(), 50);
  EXPECT_EQ(history.Index(), 50);
  for (int i = 51; i >= 2; --i) EXPECT_EQ(history.Up(), "line " + std::to_string(i));
  EXPECT_FALSE(history.Up().has_value());
  EXPECT_EQ(history.Index(), 0);
  EXPECT_EQ(history.Down(), "line 3");
  history.Up();
  for (int i = 0; i < 49; ++i) history.Down();
  EXPECT_EQ(history.Down(), "");
  EXPECT_EQ(history.Index(), 50);
  EXPECT_EQ(history.Up(), "line 51");
  history.Clear();
  EXPECT_EQ(history.Count(), 0);
  EXPECT_FALSE(history.Up().has_value());
}

TEST(Input, KeyTable) {
  const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    TInputKey action;
  } cases[] = {
      {Qt::Key_Return, {}, TInputKey::Enter},
      {Qt::Key_Enter, Qt::KeypadModifier, TInputKey::Enter},
      {Qt::Key_Up, ctrl, TInputKey::HistoryUp},
      {Qt::Key_Down, {}, TInputKey::HistoryDown},
      {Qt::Key_Space, Qt::AltModifier, TInputKey::ClearHistory},
      {Qt::Key_Space, {}, TInputKey::None},
      {Qt::Key_V, ctrl, TInputKey::Paste},
      {Qt::Key_B, ctrl, TInputKey::InsertBold},
      {Qt::Key_R, ctrl, TInputKey::InsertReverse},
      {Qt::Key_U, ctrl, TInputKey::InsertUnderline},
      {Qt::Key_K, ctrl, TInputKey::InsertColor},
      {Qt::Key_B, {}, TInputKey::None},
      {Qt::Key_Tab, ctrl, TInputKey::SelectNext},
      {Qt::Key_Backtab, ctrl | Qt::ShiftModifier, TInputKey::SelectPrev},
      {Qt::Key_Tab, ctrl | Qt::ShiftModifier, TInputKey::SelectPrev},
      {Qt::Key_1, ctrl, TInputKey::Tile},
      {Qt::Key_2, ctrl, TInputKey::Cascade},
      {Qt::Key_F4, ctrl, TInputKey::CloseFront},
      {Qt::Key_F4, {}, TInputKey::None},
      {Qt::Key_C, ctrl, TInputKey::None},
  };
  for (const auto& c : cases) EXPECT_EQ(InputKeyAction(c.key, c.modifiers), c.action) << c.key;
  EXPECT_EQ(InsertedCode(TInputKey::InsertBold), 0x02);
  EXPECT_EQ(InsertedCode(TInputKey::InsertReverse), 0x16);
  EXPECT_EQ(InsertedCode(TInputKey::InsertUnderline), 0x1F);
  EXPECT_EQ(InsertedCode(TInputKey::InsertColor), 0x03);
  EXPECT_EQ(InsertedCode(TInputKey::Tile), 0);
}
