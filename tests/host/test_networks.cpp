// The end-to-end scenario, one table, against each real server the fixture
// can start: the host program plays its script beside a peer engine that
// joins first (and so holds the operator's @), talks, sets the topic and
// modes, renames itself and kicks.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <string>

#include "U_codepage.h"
#include "engine_recorder.h"
#include "inspircd_server.h"
#include "ngircd_server.h"
#include "scripted_host.h"

namespace {

std::string Cp949(const char* utf8) { return EncodeText(QString::fromUtf8(utf8)); }

struct ScenarioStep {
  const char* peerSends;  // UTF-8, sent by the peer in CP949; null: nothing
  const char* hostAsks;   // a script line, asked until its answer holds `wanted`
  const char* wanted;
  const char* peerEvent;  // then the peer must see this event holding `peerPart` (UTF-8)
  const char* peerPart;
};

const ScenarioStep kScenario[] = {
    {nullptr, ".members #e2e", "@peer", nullptr, nullptr},
    {"PRIVMSG #e2e :안녕하세요 여러분", ".pane #e2e 5", "<peer> 안녕하세요 여러분", nullptr, nullptr},
    {nullptr, "Input 반갑습니다", "", "OnPrivmsg", "hosty\t#e2e\t반갑습니다"},
    {nullptr, ".pane #e2e 5", "<hosty> 반갑습니다", nullptr, nullptr},
    {"TOPIC #e2e :새 주제", ".pane #e2e 5", "◆ peer님께서 채널 주제를 새 주제로 변경했습니다", nullptr, nullptr},
    {"MODE #e2e +v hosty", ".members #e2e", "+hosty", nullptr, nullptr},
    {"MODE #e2e +o hosty", ".members #e2e", "@hosty", nullptr, nullptr},
    {"NICK peer2", ".members #e2e", "@peer2", nullptr, nullptr},
    // The channel window closes with the kick, so the line goes to the status window.
    {"KICK #e2e hosty :잘 가요", ".pane 상태창 5", "◆ #e2e채널에서 peer2님께 쫓겨났습니다. (잘 가요)", nullptr, nullptr},
    {"PRIVMSG hosty :귓속말", ".pane peer2 3", "<peer2> 귓속말", nullptr, nullptr},
    {nullptr, "SendIRCLine LIST", "", nullptr, nullptr},
    {nullptr, ".windows", "채널 리스트", nullptr, nullptr},
};

std::unique_ptr<TestIrcd> MakeServer(const std::string& name) {
  if (name == "InspIRCd") return std::make_unique<InspircdServer>();
  return std::make_unique<NgircdServer>();
}

class Networks : public testing::TestWithParam<std::string> {};

TEST_P(Networks, TheHostScenarioPasses) {
  std::unique_ptr<TestIrcd> server = MakeServer(GetParam());
  ASSERT_TRUE(server->Start());
  QTemporaryDir folder;
  EngineRecorder peer;
  ASSERT_TRUE(peer.LogOn(server->Port(), "peer"));
  peer.engine.Send("JOIN #e2e\r\n");
  ASSERT_TRUE(peer.WaitFor("OnOwnerJoin\t#e2e"));
  ScriptedHost host;
  ASSERT_TRUE(host.Start(server->Port(), folder.filePath("registry"), folder.filePath("grabs")));
  ASSERT_TRUE(peer.WaitFor("OnOtherJoin\t#e2e\thosty", 10000));
  for (const ScenarioStep& step : kScenario) {
    SCOPED_TRACE(step.hostAsks);
    if (step.peerSends) peer.engine.Send((Cp949(step.peerSends) + "\r\n").c_str());
    const QString wanted = QString::fromUtf8(step.wanted);
    if (wanted.isEmpty()) {
      EXPECT_TRUE(host.Ask(QString::fromUtf8(step.hostAsks)).isEmpty());
    } else {
      QStringList last;
      const bool seen = WaitUntil(
          [&] {
            last = host.Ask(QString::fromUtf8(step.hostAsks));
            return last.join(QLatin1Char('\n')).contains(wanted);
          },
          10000);
      EXPECT_TRUE(seen) << last.join(QLatin1Char('|')).toStdString();
    }
    if (step.peerEvent) {
      // In the charset the server announced, which both sides follow.
      const std::string part = peer.engine.Utf8Wire() ? std::string(step.peerPart) : Cp949(step.peerPart);
      EXPECT_TRUE(peer.WaitForPart(step.peerEvent, part));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, Networks, testing::Values("ngircd", "InspIRCd"),
                         [](const auto& info) { return info.param; });

}  // namespace
