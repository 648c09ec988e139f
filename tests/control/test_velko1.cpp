// The control as a page meets it: created by ProgID and driven only through
// the component layer, against a scripted server.
#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <QTcpServer>

#include "U_codepage.h"
#include "Velko1_embed.h"
#include "Velko1_tlb.h"
#include "com_connection.h"
#include "com_sinks.h"
#include "com_persist.h"
#include "com_server.h"
#include "scratch_registry.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

class Velko1 : public testing::Test {
 protected:
  void SetUp() override { Create(); }
  void Create() {
    control_ = {};
    ASSERT_EQ(CreateByProgID(kVelko1ProgId, VELKO1_MODULE, IID_IDispatch, control_.PutVoid()), S_OK);
  }

  DispatchOutcome Call(const char* name, std::vector<ComVariant> args = {}) {
    return DispatchCall(control_.Get(), QString::fromLatin1(name), DISPATCH_METHOD, std::move(args));
  }
  HRESULT Put(const char* name, const QString& value) {
    return DispatchCall(control_.Get(), QString::fromLatin1(name), DISPATCH_PROPERTYPUT, {ComVariant(value)}).hr;
  }
  QString Get(DISPID id) { return DispatchCall(control_.Get(), id, DISPATCH_PROPERTYGET).value.ToQString(); }
  ComPtr<IConnectionPoint> Point(const IID& iid) {
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(control_.As<IConnectionPointContainer>()->FindConnectionPoint(iid, point.Put()), S_OK);
    return point;
  }
  // Connects the control to the scripted server as `nick` and logs it on.
  void LogOn(ScriptedServer& server, const char* nick) {
    ASSERT_EQ(Put("ADDR", QStringLiteral("127.0.0.1:%1").arg(server.Port())), S_OK);
    ASSERT_EQ(Put("NICK", QString::fromLatin1(nick)), S_OK);
    ASSERT_TRUE(Call("Connect").ok());
    ASSERT_TRUE(server.WaitForText(QByteArray("NICK ") + nick + "\r\n"));
    server.Write(QByteArray(":irc.test 001 ") + nick + " :Welcome\r\n");
  }

  ScratchRegistry registry_;
  ComPtr<IDispatch> control_;
};

TEST_F(Velko1, EveryMemberIsFoundByNameUnderItsDispid) {
  const std::pair<const char*, DISPID> members[] = {
      {"SKIN", 1},  {"ADDR", 2},    {"CHAN", 3},     {"NICK", 4},         {"SetSkin", 5},
      {"Input", 6}, {"SelectPrev", 7}, {"SelectNext", 8}, {"SendIRCLine", 9}, {"Connect", 10},
      {"Tile", 11}, {"Cascade", 12}, {"ShowNickChange", 13}, {"ShowChanChange", 14}, {"Join", 15},
      {"Part", 16}, {"Query", 17}, {"Say", 18}, {"Windows", 19}, {"Members", 20}, {"Connected", 21},
      {"CurrentNick", 22}, {"ShowSettings", 23}};
  for (const auto& [name, id] : members) {
    DISPID found = 0;
    EXPECT_EQ(DispatchIdOf(control_.Get(), QString::fromLatin1(name).toLower(), &found), S_OK) << name;
    EXPECT_EQ(found, id) << name;
  }
  for (const char* method : {"SelectPrev", "SelectNext", "Tile", "Cascade"}) EXPECT_TRUE(Call(method).ok()) << method;
  EXPECT_TRUE(DispatchCall(control_.Get(), DISPID_Tile, DISPATCH_METHOD).ok());
  EXPECT_EQ(Call("Input").hr, DISP_E_BADPARAMCOUNT);
  // A second text may be left off where it is optional, never the first.
  EXPECT_EQ(Call("Join").hr, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call("Join", {ComVariant(QStringLiteral("#a"))}).error.toStdString(), "not-connected: 서버에 접속되어 있지 않습니다.");
  EXPECT_EQ(DispatchCall(control_.Get(), QStringLiteral("Connected"), DISPATCH_PROPERTYPUT,
                         {ComVariant(QStringLiteral("1"))}).hr,
            DISP_E_MEMBERNOTFOUND);
  // The status window is in front: there is no channel to show.
  EXPECT_EQ(Call("ShowChanChange").error.toStdString(), "no-channel-window: 앞에 채널 창이 없습니다.");
}

TEST_F(Velko1, ConnectAppliesNickThenChannelsThenAddress) {
  ScriptedServer server;
  ASSERT_EQ(Put("CHAN", QStringLiteral("a,#b")), S_OK);
  LogOn(server, "pagenick");
  EXPECT_TRUE(server.Received().contains("USER "));
  EXPECT_TRUE(server.WaitForText("JOIN #a,#b\r\n"));
}

// The port after the colon; 6667 without one, and for a port that is no
// port rather than a connection to nowhere.
TEST_F(Velko1, AnAddressWithoutAUsablePortConnectsTo6667) {
  QTcpServer standard;
  if (!standard.listen(QHostAddress::LocalHost, 6667)) GTEST_SKIP() << "port 6667 is taken";
  for (const char* address : {"127.0.0.1", "127.0.0.1:", "127.0.0.1:99999", "127.0.0.1:66x"}) {
    Create();
    ASSERT_EQ(Put("ADDR", QString::fromLatin1(address)), S_OK);
    ASSERT_TRUE(Call("Connect").ok());
    ASSERT_TRUE(standard.waitForNewConnection(5000)) << address;
    delete standard.nextPendingConnection();
  }
}

TEST_F(Velko1, ARefusingSinkKeepsTheOldValue) {
  const auto accepting = MakeCom<NotifySink>(false);
  const auto refusing = MakeCom<NotifySink>(true);
  uint32_t cookie = 0;
  ASSERT_EQ(Point(IID_IPropertyNotifySink)->Advise(accepting.Get(), &cookie), S_OK);
  ASSERT_EQ(Put("NICK", QStringLiteral("first")), S_OK);
  EXPECT_EQ(accepting->asked, std::vector<DISPID>{DISPID_NICK});
  EXPECT_EQ(accepting->changed, std::vector<DISPID>{DISPID_NICK});

  ASSERT_EQ(Point(IID_IPropertyNotifySink)->Advise(refusing.Get(), &cookie), S_OK);
  EXPECT_EQ(Put("NICK", QStringLiteral("second")), S_FALSE);
  EXPECT_EQ(Get(DISPID_NICK), QStringLiteral("first"));
  EXPECT_EQ(accepting->changed.size(), 1u);
}

TEST_F(Velko1, CreateAndDestroyReachEverySink) {
  std::vector<ComPtr<EventSink>> sinks;
  {
    const ComPtr<IConnectionPoint> point = Point(DIID_InVELKO_1Events);
    for (size_t i = 0; i < kVelko1EventSinks; ++i) {
      sinks.push_back(MakeCom<EventSink>());
      uint32_t cookie = 0;
      ASSERT_EQ(point->Advise(sinks.back().Get(), &cookie), S_OK);
    }
  }

  {
    const ComPtr<IPersistPropertyBag> persist = control_.As<IPersistPropertyBag>();
    ASSERT_EQ(persist->InitNew(), S_OK);
    ASSERT_EQ(persist->InitNew(), S_OK);
  }
  for (const auto& sink : sinks) EXPECT_EQ(sink->fired, std::vector<DISPID>{DISPID_OnCreate});

  QPointer<QWidget> widget = control_.As<IVelkoEmbed>()->Widget();
  control_ = {};
  for (const auto& sink : sinks) EXPECT_EQ(sink->fired, (std::vector<DISPID>{DISPID_OnCreate, DISPID_OnDestroy}));
  EXPECT_TRUE(widget.isNull());
}

// Double-byte text longer than a line buffer arrives cut between characters,
// and a line end inside a typed line never starts a second command.
TEST_F(Velko1, LongOrSplitTextNeverLeavesItsLine) {
  ScriptedServer server;
  LogOn(server, "cutter");
  server.Write(":cutter!u@h JOIN :#cut\r\n");
  ASSERT_TRUE(WaitUntil([&] {
    std::vector<VelkoWindowRow> rows;
    control_.As<IVelkoEmbed>()->Windows(&rows);
    return std::any_of(rows.begin(), rows.end(), [](const auto& row) { return row.kind == 2; });
  }));
  const QString hangul = QString::fromUtf8("가").repeated(400);
  ASSERT_TRUE(Call("Input", {ComVariant(hangul)}).ok());
  ASSERT_TRUE(Call("SendIRCLine", {ComVariant(QStringLiteral("PRIVMSG #cut :") + hangul)}).ok());
  ASSERT_TRUE(Call("Input", {ComVariant(QStringLiteral("hello\r\nQUIT :injected"))}).ok());
  ASSERT_TRUE(server.WaitForText("PRIVMSG #cut :hello\r\n"));

  const QList<QByteArray> lines = server.Received().split('\n');
  int long_lines = 0;
  for (const QByteArray& line : lines) {
    EXPECT_FALSE(line.startsWith("QUIT"));
    if (!line.startsWith("PRIVMSG #cut :\xB0\xA1")) continue;
    ++long_lines;
    EXPECT_LE(line.size() + 1, 512);
    const QByteArray text = line.mid(14).chopped(1);
    EXPECT_EQ(text.size() % 2, 0);
    EXPECT_EQ(DecodeDisplay(text.constData(), text.size()), QString::fromUtf8("가").repeated(text.size() / 2));
  }
  EXPECT_EQ(long_lines, 2);
}

// The control is safe for untrusted pages: no property, whether from the
// page's params or a script's put, gets a second line onto the wire.
TEST_F(Velko1, APropertyIsCutAtItsFirstLineBreakOrNul) {
  ScriptedServer server;
  const auto bag = MakeCom<PropertyBag>(std::vector<std::pair<QString, QString>>{
      {QStringLiteral("NICK"), QStringLiteral("evil\r\nPRIVMSG #c :INJECTED")},
      {QStringLiteral("CHAN"), QStringLiteral("c\rPRIVMSG #c :INJECTED")},
      {QStringLiteral("ADDR"), QStringLiteral("127.0.0.1:%1\nPRIVMSG #c :INJECTED").arg(server.Port())}});
  ASSERT_EQ(control_.As<IPersistPropertyBag>()->Load(bag.Get()), S_OK);
  EXPECT_EQ(Get(DISPID_NICK), QStringLiteral("evil"));
  EXPECT_EQ(Get(DISPID_CHAN), QStringLiteral("c"));
  ASSERT_TRUE(Call("Connect").ok());
  ASSERT_TRUE(server.WaitForText("NICK evil\r\n"));
  server.Write(":irc.test 001 evil :Welcome\r\n");
  ASSERT_TRUE(server.WaitForText("JOIN #c\r\n"));
  EXPECT_FALSE(server.Received().contains("INJECTED")) << server.Received().toStdString();
  EXPECT_EQ(server.Received().count('\r'), server.Received().count("\r\n"));
  // The skin's address would end up in an HTTP request.
  ASSERT_EQ(Put("SKIN", QStringLiteral("http://127.0.0.1:1/s") + QChar(0) + QStringLiteral("\r\nX-Injected: 1")), S_OK);
  EXPECT_EQ(Get(DISPID_SKIN), QStringLiteral("http://127.0.0.1:1/s"));
}

TEST_F(Velko1, AFailureInsideAMemberIsAnErrorResultWithItsMessage) {
  delete control_.As<IVelkoEmbed>()->Widget();
  const DispatchOutcome outcome = Call("Tile");
  EXPECT_EQ(outcome.hr, DISP_E_EXCEPTION);
  EXPECT_TRUE(outcome.error.contains(QStringLiteral("destroyed"))) << outcome.error.toStdString();
  EXPECT_EQ(control_.As<InVELKO_1>()->Cascade(), E_FAIL);
  EXPECT_TRUE(TakeErrorMessage().value_or(QString()).contains(QStringLiteral("destroyed")));
  EXPECT_EQ(Put("NICK", QStringLiteral("still")), S_OK);
}

}  // namespace
