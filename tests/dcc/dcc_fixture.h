// Engines registered on a real ngircd, their DCC events recorded as lines,
// and real files in a temporary folder.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Zoengine.h"
#include "ngircd_server.h"

// One engine with everything it raised, one line per event.
struct DccSide {
  explicit DccSide(std::string nick);

  // Lines of one event, without the event's name.
  std::vector<std::string> Args(const std::string& event) const;
  bool Has(const std::string& line) const;
  bool WaitFor(const std::string& line, int timeoutMs = 10000) const;

  TZoEngine engine;
  std::string nick;
  std::vector<std::string> lines;
  // Answers a file offer with a target file; none declines.
  std::function<FileHandle(const char* fileName, uint32_t size)> target;
  bool acceptChat = false;
};

QByteArray RandomBytes(int size, unsigned seed);
bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);

class DccNgircdTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  // A new engine logged on to the server under a nick no other test used.
  DccSide& AddSide();
  QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  // Offers a file of the folder; the send's number.
  int Offer(DccSide& from, const std::string& toNick, const char* fileName, const QByteArray& bytes);

  static NgircdServer* server_;
  QTemporaryDir dir_;
  std::vector<std::unique_ptr<DccSide>> sides_;
};
