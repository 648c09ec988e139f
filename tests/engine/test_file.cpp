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

  // Appending resumes after what is there; a plain write starts the file over.
  WriteBytes(PathIn(dir, "w"), 3000);
  for (const auto& [append, size] : {std::pair{true, 3000u}, {false, 0u}}) {
    f = FileOpen(PathIn(dir, "w").c_str(), false, append);
    EXPECT_EQ(FileTell(f), size);
    EXPECT_EQ(FileSize(f), size);
    FileClose(f);
  }
}
