#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>
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

// What a peer's bytes are written into: plain files only, resumed or started
// over; a link or a FIFO under the name yields a fresh file beside it.
TEST(FileWrapper, ReceivedFilesAreAlwaysPlainFilesInTheFolder) {
  QTemporaryDir dir, outside;
  WriteBytes(PathIn(dir, "part.bin"), 300);
  for (const auto& [append, size] : {std::pair{true, 300u}, {false, 0u}}) {
    const FileHandle f = FileOpenReceived(PathIn(dir, "part.bin"), append);
    EXPECT_EQ(FileTell(f), size);
    EXPECT_EQ(FilePath(f), PathIn(dir, "part.bin"));
    FileClose(f);
  }
  ASSERT_TRUE(QFile::link(QString::fromStdString(PathIn(outside, "target")), QString::fromStdString(PathIn(dir, "link.txt"))));
  ASSERT_EQ(mkfifo(PathIn(dir, "fifo").c_str(), 0600), 0);
  for (const char* name : {"link.txt", "fifo"}) {
    const FileHandle f = FileOpenReceived(PathIn(dir, name), true);
    ASSERT_NE(f, kNoFile) << name;
    EXPECT_TRUE(FileIsRegular(f)) << name;
    EXPECT_EQ(FilePath(f), PathIn(dir, name == std::string("fifo") ? "fifo (1)" : "link (1).txt"));
    FileClose(f);
  }
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(PathIn(outside, "target"))));
  EXPECT_EQ(FileOpenReceived(PathIn(dir, "missing/x"), true), kNoFile);
}
