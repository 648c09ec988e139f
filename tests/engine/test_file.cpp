#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>

#include "U_file.h"

namespace {

std::string PathIn(const QTemporaryDir& dir, const char* name) { return dir.filePath(name).toStdString(); }

void WriteBytes(const std::string& path, uint32_t count) {
  FileHandle f = FileOpen(path.c_str(), false, false);
  std::string data(count, 'd');
  ASSERT_EQ(FileWrite(f, data.data(), count), count);
  FileClose(f);
}

}  // namespace

TEST(FileWrapper, OpeningCreatesMissingFilesInBothModes) {
  QTemporaryDir dir;
  FileHandle f = FileOpen(PathIn(dir, "r").c_str(), true, false);
  ASSERT_NE(f, kNoFile);
  EXPECT_EQ(FileSize(f), 0u);
  EXPECT_TRUE(FileClose(f));
  f = FileOpen(PathIn(dir, "w").c_str(), false, true);
  ASSERT_NE(f, kNoFile);
  FileClose(f);
  EXPECT_EQ(FileOpen(PathIn(dir, "missing/x").c_str(), false, false), kNoFile);
  EXPECT_EQ(FileOpen(dir.path().toUtf8().constData(), true, false), kNoFile);
}

TEST(FileWrapper, AppendKeepsContentPlainWriteEmptiesReadNeverChanges) {
  QTemporaryDir dir;
  const std::string path = PathIn(dir, "f");
  WriteBytes(path, 3000);
  FileHandle f = FileOpen(path.c_str(), true, false);
  EXPECT_EQ(FileSize(f), 3000u);
  EXPECT_EQ(FileTell(f), 0u);
  char buffer[4096];
  EXPECT_EQ(FileRead(f, buffer, sizeof buffer), 3000u);
  EXPECT_EQ(FileWrite(f, "x", 1), 0u);
  FileClose(f);

  f = FileOpen(path.c_str(), false, true);
  EXPECT_EQ(FileTell(f), 3000u);
  EXPECT_EQ(FileSize(f), 3000u);
  EXPECT_EQ(FileSeek(f, 1000, FileOrigin::Begin), 1000u);
  EXPECT_TRUE(FileTruncate(f));
  EXPECT_EQ(FileSize(f), 1000u);
  EXPECT_EQ(FileSeek(f, -10, FileOrigin::End), 990u);
  EXPECT_EQ(FileSeek(f, -5000, FileOrigin::Current), UINT64_MAX);
  FileClose(f);

  f = FileOpen(path.c_str(), false, false);
  EXPECT_EQ(FileSize(f), 0u);
  FileClose(f);
}
