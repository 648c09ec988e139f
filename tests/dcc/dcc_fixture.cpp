#include "dcc_fixture.h"

#include <QFile>
#include <random>
#include <set>

#include "event_lines.h"
#include "wait_until.h"

NgircdServer* DccNgircdTest::server_ = nullptr;

DccSide::DccSide(std::string nickName) : nick(std::move(nickName)) {
  engine.SetNick(nick);
  static const std::set<std::string> kDccEvents = {
      "OnDCC",         "OnConnectForSend", "OnSentPack",       "OnDisconnectSend", "OnSendReady",
      "OnSendRequest", "OnConnectRecv",    "OnDisconnectRecv", "OnRecvPack",       "OnDCCChat",
      "OnDCCChatConnect", "OnDCCChatDisconnect", "OnDCCChatMessage"};
  BindEventLines(engine, [this](const std::string& line) {
    if (kDccEvents.count(line.substr(0, line.find('\t')))) lines.push_back(line);
  });
  auto record = engine.OnSendRequest;
  engine.OnSendRequest = [this, record](int seq, const char* from, const char* name, uint32_t size, FileHandle* file) {
    if (target) *file = target(name, size);
    record(seq, from, name, size, file);
  };
  auto recordChat = engine.OnDCCChat;
  engine.OnDCCChat = [this, recordChat](int seq, const char* from, const char* address, int port, int* accept) {
    *accept = acceptChat;
    recordChat(seq, from, address, port, accept);
  };
  engine.OnConnect = [this](void*) {
    engine.Send(("USER quelbo 0 0 :x\r\nNICK " + nick + "\r\n").c_str());
  };
}

std::vector<std::string> DccSide::Args(const std::string& event) const {
  std::vector<std::string> found;
  for (const std::string& line : lines)
    if (line.rfind(event + "\t", 0) == 0) found.push_back(line.substr(event.size() + 1));
  return found;
}

bool DccSide::Has(const std::string& line) const {
  for (const std::string& seen : lines)
    if (seen == line) return true;
  return false;
}

bool DccSide::WaitFor(const std::string& line, int timeoutMs) const {
  return WaitUntil([&] { return Has(line); }, timeoutMs);
}

QByteArray RandomBytes(int size, unsigned seed) {
  std::mt19937 random(seed);
  QByteArray bytes(size, 0);
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void DccNgircdTest::SetUpTestSuite() {
  server_ = new NgircdServer;
  if (!server_->Start()) {
    delete server_;
    server_ = nullptr;
  }
}

void DccNgircdTest::TearDownTestSuite() {
  delete server_;
  server_ = nullptr;
}

void DccNgircdTest::SetUp() {
  ASSERT_NE(server_, nullptr) << "ngircd did not start";
  ASSERT_TRUE(dir_.isValid());
}

DccSide& DccNgircdTest::AddSide() {
  static int counter = 0;
  auto side = std::make_unique<DccSide>("dcc" + std::to_string(++counter));
  side->engine.SetAddress("127.0.0.1");
  side->engine.SetPort(server_->Port());
  side->engine.Connect();
  EXPECT_TRUE(WaitUntil([&] { return side->engine.state == TZoEngine::LoggedOn; }, 10000)) << side->nick;
  sides_.push_back(std::move(side));
  return *sides_.back();
}

int DccNgircdTest::Offer(DccSide& from, const std::string& toNick, const char* fileName, const QByteArray& bytes) {
  const QString source = Path(SafeFileName(fileName).c_str()) + "." + QString::fromStdString(from.nick);
  EXPECT_TRUE(WriteBytes(source, bytes));
  const FileHandle file = FileOpen(source.toUtf8().constData(), true, false);
  EXPECT_NE(file, kNoFile);
  return from.engine.SendFile(toNick.c_str(), fileName, file);
}
