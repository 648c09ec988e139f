// Engines logged on to a real ngircd that answer offers as a test says, and
// real files in a temporary folder.
#pragma once

#include <QFile>
#include <cctype>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <random>

#include "engine_recorder.h"
#include "ngircd_server.h"

inline QByteArray RandomBytes(int size, unsigned seed) {
  std::mt19937 random(seed);
  QByteArray bytes(size, 0);
  for (char& byte : bytes) byte = static_cast<char>(random());
  return bytes;
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A parameterised case's test name: its file name's letters and digits.
template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) {
  std::string name;
  for (const char c : std::string(info.param.name))
    if (isalnum(static_cast<unsigned char>(c))) name += c;
  return name;
}

struct DccSide : EngineRecorder {
  DccSide() {
    auto record = engine.OnSendRequest;
    engine.OnSendRequest = [this, record](int seq, const char* from, const char* name, uint64_t size,
                                          FileHandle* file) {
      if (target) *file = target(name, size);
      record(seq, from, name, size, file);
    };
    auto recordChat = engine.OnDCCChat;
    engine.OnDCCChat = [this, recordChat](int seq, const char* from, const char* address, int port, int* accept) {
      *accept = acceptChat;
      recordChat(seq, from, address, port, accept);
    };
  }

  std::string nick;
  // Answers a file offer with a target file; none declines.
  std::function<FileHandle(const char* fileName, uint64_t size)> target;
  // Answers a chat offer: 0 declines, kChatAskLater keeps it waiting.
  int acceptChat = 0;
};

class DccNgircdTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<NgircdServer>();
    if (!server_->Start()) server_.reset();
  }
  static void TearDownTestSuite() { server_.reset(); }
  void SetUp() override {
    ASSERT_TRUE(server_) << "ngircd did not start";
    ASSERT_TRUE(dir_.isValid());
  }

  // A new engine logged on under a nick no other test used.
  DccSide& AddSide() {
    static int counter = 0;
    DccSide& side = *sides_.emplace_back(std::make_unique<DccSide>());
    side.nick = "dcc" + std::to_string(++counter);
    EXPECT_TRUE(side.LogOn(server_->Port(), side.nick)) << side.nick;
    return side;
  }
  QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  FileHandle Append(const char* name) const { return FileOpen(Path(name).toUtf8().constData(), false, true); }
  // Offers `bytes` from a file of the folder.
  void Offer(DccSide& from, const std::string& toNick, const char* fileName, const QByteArray& bytes) {
    const QString source = Path((from.nick + ".out").c_str());
    ASSERT_TRUE(WriteBytes(source, bytes));
    from.engine.SendFile(toNick.c_str(), fileName, FileOpen(source.toUtf8().constData(), true, false));
  }

  static inline std::unique_ptr<NgircdServer> server_;
  QTemporaryDir dir_;
  std::vector<std::unique_ptr<DccSide>> sides_;
};
