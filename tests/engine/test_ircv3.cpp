// The IRCv3 set as the engine sees it: message tags and times on every
// record, the capabilities asked for and followed, what members' data learns,
// batches, and TLS-only policies. Real servers play what they can.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <string>
#include <vector>

#include "C_analirc.h"
#include "C_batches.h"
#include "C_servercaps.h"
#include "U_ircline.h"
#include "engine_recorder.h"
#include "inspircd_server.h"
#include "ngircd_server.h"
#include "scratch_registry.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

using Strings = std::vector<std::string>;

stIRC Parsed(const std::string& line) {
  stIRC record;
  CZoAnalysis::Parse(line.c_str(), &record);
  return record;
}

// Every tag as "key=value", in order.
Strings Tags(const stIRC& r) {
  Strings tags;
  for (size_t i = 0; i < r.tags.count; ++i)
    tags.push_back(std::string(r.tags.text + r.tags.keyAt[i]) + "=" + (r.tags.text + r.tags.valueAt[i]));
  return tags;
}

// An engine fed lines without a server, as the owner "me" in #c.
struct Session {
  Session() {
    r.engine.SetNick("me");
    Feed({":me!u@h JOIN #c", ":srv 353 me = #c :@me amy!a@old.host +bob!b@b.host", ":srv 366 me #c :End"});
  }
  void Feed(std::initializer_list<const char*> lines) {
    for (const char* line : lines) r.engine.SimulateLine(line);
  }
  CZoUser& User(const char* nick) {
    CZoUser* user = r.engine.FindUser(nick);
    EXPECT_NE(user, nullptr) << nick;
    static CZoUser none("");
    return user ? *user : none;
  }
  EngineRecorder r;
};

}  // namespace

TEST(MessageTags, TakenApartOnceForEveryLine) {
  const struct {
    const char* line;
    Strings tags;
    const char* command;
    const char* nick;
  } cases[] = {
      {"@time=2026-12-07T20:41:05.123Z;msgid=abc :n!u@h PRIVMSG #c :hi",
       {"time=2026-12-07T20:41:05.123Z", "msgid=abc"}, "PRIVMSG", "n"},
      {"@a=semi\\:space\\sback\\\\cr\\rlf\\nx\\y;b=end\\ PING :x", {"a=semi;space back\\cr\rlf\nxy", "b=end"}, "PING", ""},
      {"@+draft/reply=1;bare;=novalue;;vendor.example/k= :n!u@h TAGMSG #c",
       {"+draft/reply=1", "bare=", "vendor.example/k="}, "TAGMSG", "n"},
      {"@k=1;k=2   :n!u@h NOTICE me :spaced", {"k=1", "k=2"}, "NOTICE", "n"},
      {"@ :n!u@h QUIT", {}, "QUIT", "n"},
      {"@only-tags", {"only-tags="}, "", ""},
  };
  for (const auto& c : cases) {
    const stIRC r = Parsed(c.line);
    EXPECT_EQ(Tags(r), c.tags) << c.line;
    EXPECT_STREQ(r.command, c.command) << c.line;
    EXPECT_STREQ(r.nick, c.nick) << c.line;
  }
  EXPECT_STREQ(ZoTag(Parsed("@k=1;k=2 PING").tags, "k"), "2");  // the last one counts
  EXPECT_EQ(ZoTag(Parsed("@k=1 PING").tags, "missing"), nullptr);

  // A section of 8191 bytes is kept; one byte more and the line keeps no tags, but its body.
  const std::string fits = "@k=" + std::string(8191 - 4, 'v') + " ";
  EXPECT_EQ(Parsed(fits + ":n!u@h PRIVMSG #c :x").tags.count, 1);
  const stIRC over = Parsed("@k=" + std::string(8191 - 3, 'v') + " :n!u@h PRIVMSG #c :x");
  EXPECT_EQ(over.tags.count, 0);
  EXPECT_STREQ(ZoParam(over, 1), "x");
  std::string many = "@";
  for (int i = 0; i < 500; ++i) many += "t" + std::to_string(i) + "=v;";
  EXPECT_EQ(Parsed(many + " PING :x").tags.count, ZoTags::kMaxTags);
}

TEST(MessageTags, ServerTimeIsTheLinesTimeElseItsArrival) {
  EXPECT_EQ(ZoServerTime("1970-01-01T00:00:00.000Z"), 0);
  EXPECT_EQ(ZoServerTime("2000-02-29T12:34:56.789Z"), 951827696789);
  EXPECT_EQ(ZoServerTime("2026-12-07T20:41:05Z"), 1796676065000);
  for (const char* bad : {"2026-12-07 20:41:05Z", "2026-13-07T20:41:05Z", "2026-12-07T20:41:05", "yesterday", "",
                          "2026-12-07T20:41:05.1Zjunk"})
    EXPECT_EQ(ZoServerTime(bad), 0) << bad;

  EngineRecorder r;
  int64_t seen = 0;
  r.engine.OnPrivmsg = [&](const char*, const char*, const char*) { seen = r.engine.CurrentLine().time; };
  r.engine.SimulateLine("@time=2000-02-29T12:34:56.789Z :n!u@h PRIVMSG me :old");
  EXPECT_EQ(seen, 951827696789);
  const int64_t before = ZoNowMs();
  r.engine.SimulateLine("@time=garbage :n!u@h PRIVMSG me :now");
  EXPECT_GE(seen, before);
  EXPECT_LE(seen, ZoNowMs());
}

TEST(Ircv3Caps, AsksForWhatItUsesAndFollowsTheSession) {
  Strings sent;
  CZoServerCaps caps([&](const char* text) { sent.emplace_back(text); });
  Strings policies;
  caps.OnPolicy = [&](const char* value) { policies.emplace_back(value); };
  caps.SetEchoWanted(true);
  caps.Start();
  caps.Handle(Parsed(":s CAP * LS * :account-notify account-tag away-notify batch cap-notify chghost echo-message "
                     "extended-join invite-notify labeled-response"));
  caps.Handle(Parsed(":s CAP * LS :message-tags multi-prefix server-time setname sts=port=6697 userhost-in-names "
                     "vendor.example/x draft/chathistory"));
  EXPECT_EQ(sent, (Strings{"CAP LS 302\r\n",
                           "CAP REQ :account-notify account-tag away-notify batch cap-notify chghost draft/chathistory "
                           "echo-message extended-join invite-notify labeled-response message-tags multi-prefix "
                           "server-time setname userhost-in-names\r\n"}));
  EXPECT_EQ(policies, Strings{"port=6697"});
  caps.Handle(Parsed(":s CAP me ACK :echo-message server-time vendor.example/x away-notify batch"));
  EXPECT_EQ(sent.back(), "CAP END\r\n");
  EXPECT_EQ(caps.EnabledCaps(), (Strings{"echo-message", "server-time", "away-notify", "batch"}));

  // During the session: a new capability is asked for, a withdrawn one is off.
  caps.Handle(Parsed(":s 001 me :Welcome"));
  caps.Handle(Parsed(":s CAP me NEW :setname sasl sts=duration=60"));
  EXPECT_EQ(sent.back(), "CAP REQ :setname\r\n");  // no login once registered
  EXPECT_EQ(policies.back(), "duration=60");
  caps.Handle(Parsed(":s CAP me ACK :setname"));
  caps.Handle(Parsed(":s CAP me DEL :echo-message"));
  caps.Handle(Parsed(":s CAP me ACK :-batch"));
  EXPECT_EQ(caps.EnabledCaps(), (Strings{"server-time", "away-notify", "setname"}));

  for (const auto& [token, limit] : {std::pair{"MONITOR=30", 30}, {"MONITOR", -1}, {"MONITOR=", -1}, {"NICKLEN=9", 0}}) {
    caps.Start();
    caps.Handle(Parsed(std::string(":s 005 me ") + token + " :are supported"));
    EXPECT_EQ(caps.MonitorLimit(), limit) << token;
  }
  // History: 0 or nonsense means no limit; a new connection knows none until told.
  for (const auto& [token, limit] : {std::pair{"CHATHISTORY=100", 100}, {"CHATHISTORY=0", -1},
                                     {"CHATHISTORY=99999999999999", 100000}, {"CHATHISTORY=-5", -1}}) {
    caps.Start();
    caps.Handle(Parsed(std::string(":s 005 me MSGREFTYPES=timestamp ") + token + " :are supported"));
    EXPECT_EQ(caps.HistoryLimit(), limit) << token;
    EXPECT_FALSE(caps.HistoryByMsgid()) << token;
  }
  caps.Start();
  EXPECT_EQ(caps.HistoryLimit(), 0);
  EXPECT_TRUE(caps.HistoryByMsgid());
}

TEST(Ircv3Caps, RequestAndMonitorLinesKeepWithinTheLimit) {
  Strings names;
  for (int i = 0; i < 60; ++i) names.push_back("vendor.example/capability-" + std::to_string(i));
  const Strings lines = Irc::CapRequests(names);
  ASSERT_GT(lines.size(), 1u);
  std::string all;
  for (const std::string& line : lines) {
    EXPECT_LE(line.size(), kIrcLineMax);
    EXPECT_EQ(line.rfind("CAP REQ :", 0), 0u);
    all += line.substr(9, line.size() - 11) + " ";
  }
  std::string expected;
  for (const std::string& name : names) expected += name + " ";
  EXPECT_EQ(all, expected);

  size_t taken = 0;
  EXPECT_EQ(Irc::Monitor('+', {"amy", "bob"}, 0, &taken), "MONITOR + amy,bob\r\n");
  EXPECT_EQ(Irc::Monitor('-', {"amy", "bob"}, 1, &taken), "MONITOR - bob\r\n");
  EXPECT_EQ(Irc::ChatHistoryLatest("#c", "", 50), "CHATHISTORY LATEST #c * 50\r\n");
  EXPECT_EQ(Irc::ChatHistoryAfter("#c", "msgid=x", 5), "CHATHISTORY AFTER #c msgid=x 5\r\n");
  EXPECT_EQ(ZoMonitorNicks(Parsed(":s 730 me :amy!a@h,bob!b@h,,carl")), (Strings{"amy", "bob", "carl"}));
  EXPECT_EQ(ZoMonitorNicks(Parsed(":s 731 me :amy")), Strings{"amy"});
}

// What the server says of other users reaches their data: host and user
// name, real name, account, away.
TEST(Ircv3Members, DataFollowsWhatTheServerSays) {
  Session s;
  EXPECT_STREQ(s.User("amy").UserName(), "a");
  EXPECT_STREQ(s.User("amy").Host(), "old.host");
  EXPECT_STREQ(s.User("bob").Host(), "b.host");
  s.Feed({":carl!c@c.host JOIN #c carlacct :Carl Real", ":dora!d@d.host JOIN #c * :Dora",
          ":amy!x@new.host CHGHOST y newer.host", ":bob!b@b.host SETNAME :Bob Renamed",
          ":bob!b@b.host AWAY :lunch", ":carl!c@c.host ACCOUNT *", ":dora!d@d.host ACCOUNT doraacct",
          "@account=amyacct :amy!y@newer.host PRIVMSG #c :hi"});
  EXPECT_STREQ(s.User("carl").RealName(), "Carl Real");
  EXPECT_STREQ(s.User("carl").Account(), "");
  EXPECT_STREQ(s.User("dora").Account(), "doraacct");
  EXPECT_STREQ(s.User("amy").UserName(), "y");
  EXPECT_STREQ(s.User("amy").Host(), "newer.host");
  EXPECT_STREQ(s.User("amy").Account(), "amyacct");
  EXPECT_STREQ(s.User("bob").RealName(), "Bob Renamed");
  EXPECT_TRUE(s.User("bob").Away());
  EXPECT_STREQ(s.User("bob").AwayMessage(), "lunch");
  EXPECT_FALSE(s.User("amy").Away());

  s.Feed({":bob!b@b.host AWAY", ":srv 330 me amy amy2 :is logged in as",
          ":srv 352 me #c dd d.cloak srv dora G :0 Dora Again", ":srv 306 me :You have been marked as away"});
  EXPECT_FALSE(s.User("bob").Away());
  EXPECT_STREQ(s.User("amy").Account(), "amy2");
  EXPECT_TRUE(s.User("dora").Away());
  EXPECT_STREQ(s.User("dora").Host(), "d.cloak");
  EXPECT_STREQ(s.User("dora").RealName(), "Dora Again");
  EXPECT_TRUE(s.r.engine.GetOwnerData()->Away());
  EXPECT_TRUE(s.r.Saw("OnWhois\tamy amy2 :is logged in as\t330\tamy amy2 :is logged in as"));
  s.Feed({":srv 305 me :You are no longer marked as away", ":stranger!s@h AWAY :x"});
  EXPECT_FALSE(s.r.engine.GetOwnerData()->Away());
  EXPECT_EQ(s.r.engine.FindUser("stranger"), nullptr);
}

// A netsplit's quits and a netjoin's joins are grouped with the channels
// they touch; the members still come and go one by one; history is marked.
TEST(Ircv3Batches, SplitsJoinsAndHistory) {
  Session s;
  std::vector<const ZoBatch*> ended;
  Strings history;
  s.r.engine.OnIRC = [&](stIRC* r) {
    if (r->endedBatch) {
      ended.push_back(r->endedBatch);
      const ZoBatch& b = *r->endedBatch;
      std::string text = b.type;
      for (const std::string& p : b.params) text += " " + p;
      for (const ZoBatchEntry& e : b.entries) text += " " + e.nick + "@" + e.channel;
      history.push_back(text);
    }
  };
  s.r.engine.OnPrivmsg = [&](const char*, const char*, const char* text) {
    const stIRC& r = s.r.engine.CurrentLine();
    history.push_back(std::string(text) + (r.history ? " (history)" : "") + (r.batch ? " in " + r.batch->ref : ""));
  };
  s.Feed({":me!u@h JOIN #d", ":srv 353 me = #d :me amy", ":srv 366 me #d :End",
          ":srv BATCH +s1 netsplit hub.example leaf.example", "@batch=s1 :amy!a@h QUIT :hub leaf",
          "@batch=s1 :bob!b@h QUIT :hub leaf", "@batch=nope :ghost!g@h QUIT :x", ":srv BATCH -s1",
          ":srv BATCH +j1 netjoin hub.example leaf.example", "@batch=j1 :amy!a@h JOIN #c", "@batch=j1 :amy!a@h JOIN #d",
          ":srv BATCH -j1", ":srv BATCH +h1 chathistory #c", "@batch=h1 :srv BATCH +in1 vendor.example/inner",
          "@batch=in1;time=2026-01-01T00:00:00Z :bob!b@h PRIVMSG #c :old", "@batch=h1 :phantom!p@h JOIN #c",
          "@batch=h1 :bob!b@h QUIT :long ago", ":srv BATCH -h1",
          "@batch=in1 :bob!b@h PRIVMSG #c :inner outlives", ":srv BATCH -in1", "@batch=in1 :bob!b@h PRIVMSG #c :live"});
  EXPECT_EQ(history, (Strings{"netsplit hub.example leaf.example amy@#c amy@#d bob@#c",
                              "netjoin hub.example leaf.example amy@#c amy@#d", "old (history) in in1",
                              "chathistory #c", "inner outlives (history) in in1", "vendor.example/inner", "live"}));
  EXPECT_EQ(s.r.engine.FindUser("bob"), nullptr);
  EXPECT_EQ(s.r.engine.FindChan("#d")->Members().size(), 2u);
  // Replayed joins and quits are no news of members.
  EXPECT_EQ(s.r.engine.FindUser("phantom"), nullptr);
  for (const std::string& event : s.r.Events({"OnOtherJoin", "OnOtherQuit"}))
    EXPECT_TRUE(event.find("phantom") == std::string::npos && event.find("long ago") == std::string::npos) << event;
  // The owner's own offer, repeated by an echoing server, offers nothing.
  s.Feed({":me!u@h PRIVMSG amy :\x01" "DCC SEND f.bin 2130706433 5000 10\x01", ":amy!a@h PRIVMSG me :marker"});
  EXPECT_TRUE(s.r.Events({"OnSendRequest", "OnDCC"}).empty());

  // What a server can make the engine hold is bounded.
  CZoData data;
  CZoBatches batches(&data);
  for (int i = 0; i < 1000; ++i) {
    stIRC r = Parsed(":srv BATCH +b" + std::to_string(i) + " netjoin");
    batches.Enter(&r, 0);
  }
  EXPECT_EQ(batches.OpenCount(), CZoBatches::kMaxOpen);
  stIRC join = Parsed("@batch=b0 :amy!a@h JOIN #c");
  for (size_t i = 0; i < CZoBatches::kMaxEntries + 5; ++i) batches.Enter(&join, 0);
  ASSERT_NE(join.batch, nullptr);
  EXPECT_EQ(join.batch->entries.size(), CZoBatches::kMaxEntries);
  EXPECT_EQ(join.batch->dropped, 5u);
}

TEST(Sts, PoliciesAreParsedAndKeptByHost) {
  EXPECT_EQ(ZoParseSts("port=6697").port, 6697);
  EXPECT_EQ(ZoParseSts("duration=86400,port=6697,preload").durationS, 86400);
  EXPECT_EQ(ZoParseSts("port=0").port, -1);
  EXPECT_EQ(ZoParseSts("port=99999,duration=x").port, -1);
  EXPECT_EQ(ZoParseSts("").durationS, -1);

  ScratchRegistry registry;
  const int64_t now = ZoNowMs();
  {
    CZoStsPolicies store;
    store.Remember("IRC.Example.org", 6697, now + 60000, now);
    store.Remember("gone.example", 6697, now + 60000, now);
    store.Remember("gone.example", 6697, now, now);  // duration 0 drops it
  }
  CZoStsPolicies later;
  ASSERT_TRUE(later.Find("irc.example.org", now).has_value());
  EXPECT_EQ(later.Find("irc.example.org", now)->port, 6697);
  EXPECT_FALSE(later.Find("irc.example.org", now + 60001).has_value());
  EXPECT_FALSE(later.Find("gone.example", now).has_value());
  later.SetPersistent(false);
  EXPECT_FALSE(later.Find("irc.example.org", now).has_value());
}

// A policy seen in plain moves the connection to TLS at once; one repeated
// over TLS with a duration outlasts the engine, and under it a refused
// certificate is never retried in plain.
TEST(Sts, APlainConnectionMovesToTlsAndNeverBack) {
  ScratchRegistry registry;
  NgircdServer tlsServer;
  ASSERT_TRUE(tlsServer.EnableTls() && tlsServer.Start());
  ScriptedServer plain;
  const auto aim = [&](EngineRecorder& r, bool trusted) {
    r.engine.SetAddress("localhost");
    r.engine.SetPort(plain.Port());
    r.engine.SetTlsTrust("", trusted ? tlsServer.Certificates().CaFile() : "");
    r.engine.OnConnect = [&r](void*) { r.engine.Send("USER quelbo 0 0 :sts\r\nNICK sts\r\n"); };
  };
  EngineRecorder first;
  aim(first, true);
  ASSERT_TRUE(first.engine.Connect());
  ASSERT_TRUE(plain.WaitForClient());
  ASSERT_TRUE(plain.WaitForText("CAP LS 302\r\n"));
  plain.Write((":srv CAP * LS :multi-prefix sts=port=" + std::to_string(tlsServer.TlsPort()) + "\r\n").c_str());
  ASSERT_TRUE(first.WaitFor("OnLogon\t(null)", 10000));
  EXPECT_TRUE(WaitUntil([&] { return plain.ClientClosed(); }));
  EXPECT_FALSE(first.Saw("OnDisconnect\t(null)"));
  first.engine.SimulateLine(":srv CAP sts NEW :sts=duration=3600");
  first.engine.Disconnect();

  EngineRecorder later;
  aim(later, false);
  ASSERT_TRUE(later.engine.Connect());
  ASSERT_TRUE(later.WaitFor("OnIRCError\t12001"));
  EXPECT_TRUE(plain.ClientClosed());  // no new plain client came meanwhile
}

// The set against a real server: what is asked for, what comes back tagged,
// and what members' data learns from it (MONITOR: the chat client's tests).
TEST(Ircv3Inspircd, TagsEchoAwayNamesInvitesAndHistory) {
  InspircdServer server;
  server.EnableIrcv3();
  ASSERT_TRUE(server.Start());
  EngineRecorder amy, bob;
  amy.engine.SetEchoMessage(true);
  ASSERT_TRUE(amy.LogOnAndJoin(server.Port(), "amy", "#v3"));
  ASSERT_TRUE(bob.LogOnAndJoin(server.Port(), "bob", "#v3"));
  for (const char* cap : {"away-notify", "batch", "cap-notify", "chghost", "echo-message", "extended-join",
                          "invite-notify", "message-tags", "multi-prefix", "server-time", "setname",
                          "userhost-in-names", "account-tag"})
    EXPECT_TRUE(amy.engine.CapEnabled(cap)) << cap;
  EXPECT_FALSE(bob.engine.CapEnabled("echo-message"));  // only for a host that shows echoes
  EXPECT_EQ(amy.engine.MonitorLimit(), 30);
  ASSERT_TRUE(amy.WaitFor("OnOtherJoin\t#v3\tbob"));
  EXPECT_STREQ(amy.engine.FindUser("bob")->UserName(), "quelbo");
  EXPECT_STREQ(amy.engine.FindUser("bob")->RealName(), "bob");
  EXPECT_STREQ(bob.engine.FindUser("amy")->Host(), "127.0.0.1");  // from the names list

  // Echo: amy's own line comes back, tagged with its time and id.
  std::string msgid;
  int64_t time = 0;
  amy.engine.OnPrivmsg = [&](const char* from, const char*, const char*) {
    if (std::string(from) != "amy") return;
    msgid = ZoTag(amy.engine.CurrentLine().tags, "msgid") ? ZoTag(amy.engine.CurrentLine().tags, "msgid") : "";
    time = amy.engine.CurrentLine().time;
  };
  const int64_t before = ZoNowMs() - 1000;
  // The server's own H takes an argument when set (its CHANMODES says so), and
  // so does a ban: the o still finds bob.
  amy.engine.Send("MODE #v3 +Hbo 10:1d *!*@spam.example bob\r\nPRIVMSG #v3 :echoed\r\n");
  ASSERT_TRUE(WaitUntil([&] { return !msgid.empty(); }));
  EXPECT_GE(time, before);
  EXPECT_LE(time, ZoNowMs() + 1000);
  EXPECT_TRUE(amy.WaitFor("OnUserMode\t#v3\tbob\t+o"));
  EXPECT_NE(strchr(amy.engine.FindChan("#v3")->Modes(), 'H'), nullptr);
  EXPECT_EQ(strchr(amy.engine.FindChan("#v3")->Modes(), 'b'), nullptr);

  bob.engine.Send("AWAY :lunch\r\nSETNAME :Bob Renamed\r\n");
  EXPECT_TRUE(WaitUntil([&] { return amy.engine.FindUser("bob")->Away(); }));
  EXPECT_STREQ(amy.engine.FindUser("bob")->AwayMessage(), "lunch");

  // A late joiner gets the channel's history replayed, marked as such, with its time.
  EngineRecorder carl;
  std::string replayed;
  carl.engine.OnPrivmsg = [&](const char*, const char*, const char* text) {
    const stIRC& line = carl.engine.CurrentLine();
    replayed = std::string(text) + (line.history ? " history " : " live ") + std::to_string(line.time <= time);
  };
  ASSERT_TRUE(carl.LogOn(server.Port(), "carl"));
  // invite-notify: the operator hears of an invite to another; only the invited is asked.
  amy.engine.Send("MODE #v3 +o bob\r\nINVITE carl #v3\r\n");
  ASSERT_TRUE(carl.WaitFor("OnInvite\t#v3\tamy"));
  EXPECT_TRUE(bob.WaitForPart("OnIRC", "\tINVITE\tcarl\t"));
  EXPECT_TRUE(bob.Events({"OnInvite"}).empty());
  carl.engine.Send("JOIN #v3\r\n");
  EXPECT_TRUE(WaitUntil([&] { return !replayed.empty(); }));
  EXPECT_EQ(replayed, "echoed history 1");
  EXPECT_TRUE(WaitUntil([&] { return std::string(amy.engine.FindUser("bob")->RealName()) == "Bob Renamed"; }));
}
