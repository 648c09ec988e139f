#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_recorder.h"
#include "session_invariants.h"

namespace {

using Lines = std::vector<std::string>;

// An engine whose owner "me" is in #c with members a, b (op) and c (voice).
struct InChannel : EngineRecorder {
  InChannel() {
    engine.SetNick("me");
    engine.SimulateLine(":me!q@h JOIN :#c");
    engine.SimulateLine(":srv 353 me = #c :me @b +c a");
    engine.SimulateLine(":srv 366 me #c :End of NAMES list");
    lines.clear();
  }
  std::string Members() {
    ZoString text;
    const char* list = engine.FindChan("#c")->MemberListText(&text);
    return list ? list : "(none)";
  }
};

}  // namespace

TEST(Commands, MessagesNoticesAndNickChanges) {
  InChannel r;
  r.engine.SimulateLine(":a!u@host.a privmsg #c :hi there");
  r.engine.SimulateLine(":irc.srv NOTICE * :*** Looking up");
  r.engine.SimulateLine(":a!u@host.a NICK :aa");
  r.engine.SimulateLine(":me!q@h NICK newme");
  EXPECT_EQ(r.Events({"OnPrivmsg", "OnNotice", "OnNick"}),
            (Lines{"OnPrivmsg\ta\t#c\thi there", "OnNotice\tirc.srv\t*\t*** Looking up", "OnNick\ta\taa",
                   "OnNick\tme\tnewme"}));
  EXPECT_STREQ(r.engine.FindUser("AA")->Host(), "host.a");
  EXPECT_EQ(r.engine.Nick(), "newme");
  EXPECT_STREQ(r.engine.GetOwnerData()->Nick(), "newme");
  EXPECT_EQ(r.Members(), "newme\r\n@b\r\n+c\r\naa");
}

TEST(Commands, NickIsUpdatedBeforeOnNickRuns) {
  EngineRecorder r;
  r.engine.SetNick("Me");
  std::string seen;
  r.engine.OnNick = [&](const char*, const char*) { seen = r.engine.Nick(); };
  r.engine.SimulateLine(":me!q@h NICK :other");
  EXPECT_EQ(seen, "other");
}

TEST(Commands, JoinPartQuitKeepUsersExactlyWhileTheyShareAChannel) {
  InChannel r;
  r.engine.SimulateLine(":me!q@h JOIN #d");
  r.engine.SimulateLine(":a!u@h JOIN :#d");
  r.engine.SimulateLine(":x!u@h JOIN :#elsewhere");
  EXPECT_EQ(r.engine.FindUser("x"), nullptr);
  EXPECT_EQ(r.engine.FindUser("a")->ChannelCount(), 2);

  r.engine.SimulateLine(":me!q@h PART #c :bye");
  EXPECT_EQ(r.engine.FindChan("#c"), nullptr);
  EXPECT_EQ(r.engine.FindUser("b"), nullptr);
  ASSERT_NE(r.engine.FindUser("a"), nullptr);
  EXPECT_EQ(r.engine.FindUser("a")->ChannelCount(), 1);
  EXPECT_STREQ(r.engine.FindUser("a")->Channels()[0]->Name(), "#d");

  r.engine.SimulateLine(":a!u@h PART #d");
  EXPECT_EQ(r.engine.FindUser("a"), nullptr);
  r.engine.SimulateLine(":b!u@h JOIN :#d");
  r.engine.SimulateLine(":b!u@h QUIT :gone");
  r.engine.SimulateLine(":me!q@h QUIT :me too");
  EXPECT_EQ(r.engine.FindUser("b"), nullptr);
  EXPECT_EQ(r.Events({"OnOwnerJoin", "OnOtherJoin", "OnOwnerPart", "OnOtherPart", "OnOtherQuit", "OnOwnerQuit"}),
            (Lines{"OnOwnerJoin\t#d", "OnOtherJoin\t#d\ta", "OnOtherJoin\t#elsewhere\tx", "OnOwnerPart\t#c\t:bye",
                   "OnOtherPart\t#d\ta\t", "OnOtherJoin\t#d\tb", "OnOtherQuit\tb\t:gone"}));
  EXPECT_EQ(r.Events({"OnIRC"}).size(), 8u);
}

// A line with a typed event is no reply; OnIRC follows every line.
TEST(Commands, TopicInviteAndLowerCaseWords) {
  InChannel r;
  r.engine.SimulateLine(":b!u@h topic #c :new topic");
  r.engine.SimulateLine(":b!u@h INVITE me :#other");
  r.engine.SimulateLine(":b!u@h INVITE carl :#other");
  r.engine.SimulateLine(":b!u@h FOO bar :baz");
  r.engine.SimulateLine(":srv 332 me #c :told");
  r.engine.SimulateLine(":srv 401 me carl :No such nick");
  EXPECT_STREQ(r.engine.FindChan("#c")->Topic(), "told");
  EXPECT_EQ(r.Events({"OnTopic", "OnInvite", "OnReply", "OnIRC"}),
            (Lines{"OnTopic\t#c\tb\tnew topic", "OnIRC\tb\tu\th\ttopic\t#c\t:new topic", "OnInvite\t#other\tb",
                   "OnIRC\tb\tu\th\tINVITE\tme\t:#other", "OnReply\tb\tu\th\tINVITE\tcarl\t:#other",
                   "OnIRC\tb\tu\th\tINVITE\tcarl\t:#other", "OnReply\tb\tu\th\tFOO\tbar\t:baz",
                   "OnIRC\tb\tu\th\tFOO\tbar\t:baz", "OnIRC\t\t\tsrv\t332\tme\t#c :told",
                   "OnReply\t\t\tsrv\t401\tme\tcarl :No such nick", "OnIRC\t\t\tsrv\t401\tme\tcarl :No such nick"}));
}

// Any last parameter may come as a trailing one; some servers send it so
// even when it is one word. Each row: the line, the events it raises and the
// member list after it.
TEST(Commands, ALastParameterWithAColonCountsAsAnyOther) {
  const struct {
    const char* line;
    Lines events;
    const char* members;
  } rows[] = {
      {":b!u@h MODE #c +v :a", {"OnUserMode\t#c\ta\t+v", "OnMode\t#c\tb\t+v a"}, "me\r\n@b\r\n+c\r\n+a"},
      {":b!u@h MODE #c -o+o c :a", {"OnUserMode\t#c\tc\t-o", "OnUserMode\t#c\ta\t+o", "OnMode\t#c\tb\t-o+o c a"},
       "me\r\n@b\r\n+c\r\n@a"},
      {":b!u@h MODE #c :+nt", {"OnChanMode\t#c\t+nt", "OnMode\t#c\tb\t+nt"}, "me\r\n@b\r\n+c\r\na"},
      {":b!u@h KICK #c :a", {"OnKick\t#c\tb\ta\t"}, "me\r\n@b\r\n+c"},
      {":b!u@h KICK #c a :two words", {"OnKick\t#c\tb\ta\ttwo words"}, "me\r\n@b\r\n+c"},
      {":a!u@h NICK :aa", {"OnNick\ta\taa"}, "me\r\n@b\r\n+c\r\naa"},
      {":b!u@h TOPIC #c :", {"OnTopic\t#c\tb\t"}, "me\r\n@b\r\n+c\r\na"},
      {":b!u@h INVITE me #d", {"OnInvite\t#d\tb"}, "me\r\n@b\r\n+c\r\na"},
      {":srv 322 me #d 5 :[+nt] talk here", {"OnList\t322\t#d\t[+nt] talk here\t5"}, "me\r\n@b\r\n+c\r\na"},
      {":srv 332 me #c :a b c", {"OnNTopic\t#c\ta b c"}, "me\r\n@b\r\n+c\r\na"},
      {":srv 324 me #c :+s", {"OnChanMode\t#c\t+s", "OnNMode\t#c\t+s"}, "me\r\n@b\r\n+c\r\na"},
      {":srv 353 me @ #c :@+a", {"OnNames\t#c\t@+a"}, "@a"},  // multi-prefix: the highest one shows
  };
  for (const auto& row : rows) {
    InChannel r;
    r.engine.SimulateLine(row.line);
    EXPECT_EQ(r.Events({"OnUserMode", "OnChanMode", "OnMode", "OnKick", "OnNick", "OnTopic", "OnInvite", "OnList",
                        "OnNTopic", "OnNMode", "OnNames"}),
              row.events)
        << row.line;
    EXPECT_EQ(r.Members(), row.members) << row.line;
    EXPECT_EQ(SessionFault(r.engine.SessionData()), "") << row.line;
  }
}

TEST(Modes, OperatorAndVoiceRaiseUserModesOnly) {
  InChannel r;
  r.engine.SimulateLine(":b!u@h MODE #c +o-v a c");
  EXPECT_EQ(r.Events({"OnUserMode", "OnChanMode", "OnMode"}),
            (Lines{"OnUserMode\t#c\ta\t+o", "OnUserMode\t#c\tc\t-v", "OnMode\t#c\tb\t+o-v a c"}));
  EXPECT_EQ(r.Members(), "me\r\n@b\r\nc\r\n@a");
}

TEST(Modes, ChannelLettersKeyAndLimit) {
  InChannel r;
  r.engine.SimulateLine(":b!u@h MODE #c +tkl secret 10");
  CZoChannel* c = r.engine.FindChan("#c");
  EXPECT_STREQ(c->Modes(), "tkl");
  EXPECT_STREQ(c->Key(), "secret");
  EXPECT_EQ(c->Limit(), 10);
  EXPECT_EQ(r.Events({"OnChanMode", "OnMode"}),
            (Lines{"OnChanMode\t#c\t+tkl secret 10", "OnMode\t#c\tb\t+tkl secret 10"}));

  r.engine.SimulateLine(":b!u@h MODE #c +l many");
  EXPECT_EQ(c->Limit(), 10);
  // Removing the limit takes no argument, so the operator change after it still finds its nick.
  r.engine.SimulateLine(":b!u@h MODE #c -lk+o secret a");
  EXPECT_EQ(c->Key(), nullptr);
  EXPECT_STREQ(c->Modes(), "t");
  EXPECT_EQ(c->Limit(), -1);
  EXPECT_EQ(r.Members(), "me\r\n@b\r\n+c\r\n@a");
}

// A ban's mask is its own argument, not the next letter's nick; bans are no
// channel flags; a server's CHANMODES names modes of its own that take one.
TEST(Modes, ListModesAndTheServersOwnTakeTheirArguments) {
  InChannel r;
  r.engine.SimulateLine(":b!u@h MODE #c +bo *!*@bad a");
  EXPECT_EQ(r.Events({"OnUserMode"}), (Lines{"OnUserMode\t#c\ta\t+o"}));
  EXPECT_STREQ(r.engine.FindChan("#c")->Modes(), "");
  EXPECT_EQ(r.Members(), "me\r\n@b\r\n+c\r\n@a");

  r.engine.SimulateLine(":srv 005 me CHANMODES=beIg,kF,lj,imnt :are supported");
  r.engine.SimulateLine(":b!u@h MODE #c +gjv bad* 3:5 c");
  EXPECT_STREQ(r.engine.FindChan("#c")->Modes(), "j");
  EXPECT_EQ(r.Events({"OnUserMode"}), (Lines{"OnUserMode\t#c\ta\t+o", "OnUserMode\t#c\tc\t+v"}));
}

TEST(Modes, WithoutSignCountsAsAddingAndServerSetterIsHost) {
  InChannel r;
  r.engine.SimulateLine(":irc.srv MODE #c :nt");
  EXPECT_STREQ(r.engine.FindChan("#c")->Modes(), "nt");
  EXPECT_EQ(r.Events({"OnMode"}), (Lines{"OnMode\t#c\tirc.srv\tnt"}));
  r.engine.SimulateLine(":b!u@h MODE #c +o");
  EXPECT_EQ(r.Events({"OnUserMode"}).size(), 0u);
}

TEST(Numerics, WelcomeListTopicsAndModes) {
  InChannel r;
  r.engine.SimulateLine(":srv 001 me :Welcome");
  EXPECT_EQ(r.engine.state, TZoEngine::LoggedOn);
  r.engine.SimulateLine(":srv 321 me Channel :Users  Name");
  r.engine.SimulateLine(":srv 322 me #c 3 :[+nt] the topic");
  r.engine.SimulateLine(":srv 322 me #bare");
  r.engine.SimulateLine(":srv 323 me :End of LIST");
  r.engine.SimulateLine(":srv 332 me #c :the topic");
  r.engine.SimulateLine(":srv 331 me #c :No topic is set");
  r.engine.SimulateLine(":srv 324 me #c +ntl 5");
  r.engine.SimulateLine(":srv 324 me #c");
  r.engine.SimulateLine(":srv 311 me a u h * :Real");
  r.engine.SimulateLine(":srv 433 me a :Nickname already in use");
  EXPECT_EQ(r.Events({"OnLogon", "OnList", "OnNTopic", "OnNMode", "OnChanMode", "OnWhois"}),
            (Lines{"OnLogon\t(null)", "OnList\t321\t(null)\t(null)\t0", "OnList\t322\t#c\t[+nt] the topic\t3",
                   "OnList\t322\t#bare\t\t0", "OnList\t323\t(null)\t(null)\t0",
                   "OnNTopic\t#c\tthe topic", "OnNTopic\t#c\t", "OnChanMode\t#c\t+ntl 5", "OnNMode\t#c\t+ntl 5",
                   "OnNMode\t#c\t", "OnWhois\ta u h * :Real\t311\ta u h * :Real"}));
  EXPECT_EQ(r.engine.FindChan("#c")->Limit(), 5);
  EXPECT_STREQ(r.engine.FindChan("#c")->Topic(), "");
  EXPECT_EQ(r.Events({"OnIRC"}).back(), "OnIRC\t\t\tsrv\t433\tme\ta :Nickname already in use");
}

TEST(Numerics, NamesListingRebuildsMembers) {
  InChannel r;
  r.engine.SimulateLine(":srv 353 me = #c :me  @x +y ");
  EXPECT_FALSE(r.engine.FindChan("#c")->NamesComplete());
  r.engine.SimulateLine(":srv 353 me = #c :w");
  r.engine.SimulateLine(":srv 366 me #c :End");
  EXPECT_EQ(r.Members(), "me\r\n@x\r\n+y\r\nw");
  EXPECT_EQ(r.engine.FindUser("a"), nullptr);
  EXPECT_EQ(r.engine.FindUser(""), nullptr);
  r.engine.SimulateLine(":srv 353 me = #c");
  r.engine.SimulateLine(":srv 353 me * nochannel :a b");
  EXPECT_EQ(r.Events({"OnNames"}).back(), "OnNames\t(null)\t(null)");
  EXPECT_EQ(r.Members(), "(none)");
}

TEST(SessionData, DisplayNamesAndLetterBookkeeping) {
  InChannel r;
  r.engine.SimulateLine(":b!u@h MODE #c +v b");
  ZoString name;
  EXPECT_STREQ(r.engine.FindChan("#c")->MemberDisplayName("B", &name), "@b");
  EXPECT_STREQ(r.engine.FindChan("#c")->MemberDisplayName("nobody", &name), "");
  // Modes reported again, as each reply to a MODE query does, are held once,
  // so one removal ends them.
  r.engine.SimulateLine(":b!u@h MODE #c +tl 5");
  r.engine.SimulateLine(":srv 324 me #c +tl 5");
  r.engine.SimulateLine(":b!u@h MODE #c +vv c c");
  EXPECT_STREQ(r.engine.FindChan("#C")->Modes(), "tl");
  r.engine.SimulateLine(":b!u@h MODE #c -l+t");
  r.engine.SimulateLine(":b!u@h MODE #c -v c");
  EXPECT_STREQ(r.engine.FindChan("#C")->Modes(), "t");
  EXPECT_EQ(r.engine.FindChan("#c")->Limit(), -1);
  EXPECT_STREQ(r.engine.FindChan("#c")->MemberDisplayName("c", &name), "c");
}

TEST(SessionData, ReconnectReusesTheChannelAndReplacesStaleMembers) {
  InChannel r;
  r.engine.SimulateLine(":me!q@h JOIN :#c");
  EXPECT_EQ(r.Events({"OnOwnerJoin"}).size(), 1u);
  r.engine.SimulateLine(":srv 353 me = #c :me fresh");
  r.engine.SimulateLine(":srv 366 me #c :End");
  EXPECT_EQ(r.Members(), "me\r\nfresh");
  EXPECT_EQ(r.engine.FindUser("b"), nullptr);
}

// A server that renames someone onto a nick another user holds has given that
// nick away: the earlier holder is gone, and no link may point at freed data.
TEST(SessionData, RenameOntoATakenNickLeavesOneUserOfThatNick) {
  struct Case {
    const char* rename;
    const char* members;
  };
  const Case cases[] = {
      {":A!u@h NICK :B", "me\r\nB"},
      {":A!u@h NICK :b", "me\r\nb"},
      {":a!u@h NICK :A", "me\r\nA\r\nB"},
      {":me!u@h NICK :B", "B\r\nA"},
      {":nobody!u@h NICK :B", "me\r\nA"},
      {":A!u@h NICK :", "me\r\nA\r\nB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rename);
    EngineRecorder r;
    r.engine.SetNick("me");
    for (const char* line : {":me!u@h JOIN :#a", ":srv 353 me = #a :me", ":srv 366 me #a :End", ":A!u@h JOIN :#a",
                             ":B!u@h JOIN :#a", c.rename})
      r.engine.SimulateLine(line);
    ZoString text;
    EXPECT_STREQ(r.engine.FindChan("#a")->MemberListText(&text), c.members);
    EXPECT_EQ(SessionFault(r.engine.SessionData()), "");
    for (const char* line : {":B!u@h PART #a", ":A!u@h PART #a", ":me!u@h PART #a", ":B!u@h PART #a",
                             ":B!u@h QUIT :bye", ":A!u@h QUIT :bye"})
      r.engine.SimulateLine(line);
    EXPECT_EQ(r.engine.SessionData().Users().size(), 0u);
    EXPECT_EQ(SessionFault(r.engine.SessionData()), "");
  }
}
