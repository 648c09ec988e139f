#include <tuple>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

#include "M_filesave.h"
#include "M_filesend.h"
#include "M_msgbox.h"
#include "U_codepage.h"
#include "frame_input.h"
#include "grab.h"

namespace {

std::string Bytes(const QString& text) { return QFile::encodeName(text).toStdString(); }
QString Path(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

void WriteFile(const std::string& path, qint64 size) {
  QFile file(Path(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
}

// Answers the dialog of type D with `act`; message boxes it raises are noted
// and closed, questions answered yes when `confirm`.
template <class D>
struct Answering {
  explicit Answering(std::function<void(D&)> act, bool confirm = false)
      : answer([this, act, confirm](TModalForm& form) {
          if (auto* dialog = dynamic_cast<D*>(&form)) return act(*dialog);
          auto& box = dynamic_cast<TKMessageBox&>(form);
          said.push_back(box.lText->text());
          auto* question = dynamic_cast<TKConfirmBox*>(&box);
          if (question) Grab(box, "confirm_overwrite");
          QTest::mouseClick(question && !confirm ? question->sbCancel : box.sbOk, Qt::LeftButton);
        }) {}
  std::vector<QString> said;
  ScopedAnswer answer;
};

struct FileDialogTest : testing::Test {
  QTemporaryDir temp;
  std::string folder = Bytes(temp.path()) + "/";
  std::string dccDir = folder;
};

void Down(TmSaveFile& d) { QTest::mouseClick(d.sbDown, Qt::LeftButton); }

TEST(SaveRules, DecideTheTarget) {
  using A = TSaveAction;
  // folder writable, has a name, exists, regular file, writable, size, folder missing; offered; action
  const std::tuple<TSaveTarget, uint32_t, A> cases[] = {
      {{true, true, false, false, false, 0}, 5000, A::Create},
      {{true, true, true, true, true, 3000}, 5000, A::Resume},
      {{true, true, true, true, true, 5000}, 5000, A::AskOverwrite},
      {{true, true, true, true, true, 5ULL << 30}, 5000, A::AskOverwrite},
      {{true, true, true, true, true, 1}, 0, A::AskOverwrite},
      {{false, true, true, true, true, 3000}, 5000, A::RefuseFolder},
      {{false, true, false, false, false, 0, true}, 5000, A::AskFolder},
      {{true, false, true, false, true, 0}, 5000, A::RefuseTarget},
      {{true, true, true, true, false, 3000}, 5000, A::RefuseTarget},
  };
  for (const auto& [target, offered, action] : cases)
    EXPECT_EQ(DecideSave(target, offered), action) << "size " << target.size << " offered " << offered;
}

// Whatever name the peer sends, the target lies in the folder under a name
// the file system takes.
TEST(SaveRules, PeerNamesStayInTheFolder) {
  const std::pair<std::string, std::string> cases[] = {
      {"../../etc/passwd", "passwd"}, {"", "dcc_file"}, {Cp949Literal("사진 1.jpg"), "사진 1.jpg"}};
  for (const auto& [offered, name] : cases) EXPECT_EQ(SavePathFor("/d", offered.c_str()), "/d/" + name);
  // 200 Hangul syllables: 400 bytes of CP949, 600 of UTF-8.
  const std::string name = SavePathFor("/d/", EncodeText(QString::fromUtf8("가").repeated(200)).c_str()).substr(3);
  EXPECT_LE(name.size(), 255u);
  EXPECT_TRUE(Path(name).startsWith(QString::fromUtf8("가가가")));
}

TEST_F(FileDialogTest, OffersDecidedInTheDialog) {
  struct Case {
    const char* what;
    qint64 held;  // -1: no file
    bool confirm;
    std::function<void(TmSaveFile&)> act;
    qint64 position;  // of the handle; -1: declined
  };
  const auto keep = [](TmSaveFile& d) {
    Down(d);
    EXPECT_TRUE(d.isVisible());
    QTest::mouseClick(d.sbNo, Qt::LeftButton);
  };
  const Case cases[] = {
      {"new", -1, false, Down, 0},
      {"partial: resumed after its last byte", 3000, false, Down, 3000},
      {"complete, overwrite confirmed", 5000, true, Down, 0},
      {"complete, kept", 5000, false, keep, -1},
      {"closed", -1, false, [](TmSaveFile& d) { d.close(); }, -1},
  };
  const std::string target = folder + "a.bin";
  for (const Case& c : cases) {
    QFile::remove(Path(target));
    if (c.held >= 0) WriteFile(target, c.held);
    Answering<TmSaveFile> answering(c.act, c.confirm);
    const FileHandle file = AskSaveFile("pal", "a.bin", 5000, dccDir);
    EXPECT_EQ(answering.said.size(), c.held == 5000 ? 1u : 0u) << c.what;
    if (c.position < 0) {
      EXPECT_EQ(file, kNoFile) << c.what;
      EXPECT_EQ(QFileInfo(Path(target)).size(), std::max<qint64>(c.held, 0)) << c.what << ": the target changed";
      continue;
    }
    ASSERT_NE(file, kNoFile) << c.what;
    EXPECT_EQ(FileTell(file), c.position) << c.what;
    EXPECT_EQ(FileSize(file), c.position) << c.what;
    FileClose(file);
  }
}

// A link planted under the proposed name must not carry the peer's bytes out
// of the folder: the receive gets a fresh file beside it.
TEST_F(FileDialogTest, ALinkInTheFolderIsNeverFollowed) {
  QTemporaryDir outside;
  const std::string victim = Bytes(outside.path()) + "/victim";
  WriteFile(victim, 3000);
  ASSERT_TRUE(QFile::link(Path(victim), Path(folder + "a.bin")));
  Answering<TmSaveFile> answering(Down);
  const FileHandle file = AskSaveFile("pal", "a.bin", 5000, dccDir);
  ASSERT_NE(file, kNoFile);
  EXPECT_EQ(FileTell(file), 0u);
  EXPECT_EQ(FileWrite(file, "peer", 4), 4u);
  EXPECT_EQ(FilePath(file), folder + "a (1).bin");
  FileClose(file);
  EXPECT_EQ(QFileInfo(Path(victim)).size(), 3000);
}

// The proposal, a location chosen instead, and folders or names that cannot
// take the file: said so while the dialog stays open.
TEST_F(FileDialogTest, SaveLocations) {
  ASSERT_TRUE(QDir(temp.path()).mkpath("chosen"));
  QString proposed, caption;
  int choices = 0;
  Answering<TmSaveFile> answering([&](TmSaveFile& d) {
    proposed = d.eFileName->text();
    caption = d.windowTitle();
    Grab(d, "save_file");
    d.SD = [&](QWidget*, const QString&) { return ++choices == 1 ? QString() : Path(folder + "chosen/b.bin"); };
    for (const std::string& refused : {folder + "gone/b.bin", folder + "chosen/"}) {
      d.eFileName->setText(Path(refused));
      Down(d);
    }
    QTest::mouseClick(d.sbSetDir, Qt::LeftButton);
    EXPECT_EQ(Bytes(d.eFileName->text()), folder + "chosen/") << "a cancelled choice changed the name";
    QTest::mouseClick(d.sbSetDir, Qt::LeftButton);
    Down(d);
  });
  const FileHandle file = AskSaveFile(Cp949Literal("벨코"), "../../x %1.txt", 77, dccDir);
  ASSERT_NE(file, kNoFile);
  FileClose(file);
  EXPECT_EQ(Bytes(proposed), folder + "x %1.txt");
  EXPECT_EQ(caption, QString::fromUtf8("벨코님의 파일(../../x %1.txt)을 받습니다. (77 B)"));
  EXPECT_EQ(dccDir, folder + "chosen/");
  EXPECT_TRUE(QFileInfo::exists(Path(folder + "chosen/b.bin")));
  EXPECT_EQ(answering.said, (std::vector<QString>{QString::fromUtf8("저장할 폴더가 없습니다. 새로 만들까요?"),
                                                  QString::fromUtf8("그 이름으로는 저장할 수 없습니다. 위치를 다시 지정하세요.")}));
  EXPECT_FALSE(QFileInfo::exists(Path(folder + "gone"))) << "a declined folder was made";

  // Without the settings' folder the download folder is proposed, made if missing.
  const QByteArray home = qgetenv("HOME");
  qputenv("HOME", QFile::encodeName(temp.path() + "/home"));
  std::string missing = folder + "gone/";
  Answering<TmSaveFile> declining([&](TmSaveFile& d) {
    proposed = d.eFileName->text();
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  EXPECT_EQ(AskSaveFile("pal", "y", 1, missing), kNoFile);
  qputenv("HOME", home);
  EXPECT_EQ(Bytes(proposed), folder + "home/Downloads/y");
  EXPECT_TRUE(QFileInfo(Path(folder + "home/Downloads")).isDir());
  EXPECT_EQ(missing, folder + "gone/") << "a declined offer changed the folder";
}

// A missing folder the person agrees to make is made, and the file lands in it.
TEST_F(FileDialogTest, AMissingFolderIsMadeOnYes) {
  const std::string target = folder + "new/deeper/c.bin";
  Answering<TmSaveFile> answering(
      [&](TmSaveFile& d) {
        d.eFileName->setText(Path(target));
        Down(d);
      },
      true);
  const FileHandle file = AskSaveFile("pal", "c.bin", 1468006, dccDir);
  ASSERT_NE(file, kNoFile);
  FileClose(file);
  EXPECT_TRUE(QFileInfo(Path(target)).isFile());
  EXPECT_EQ(answering.said, std::vector<QString>{QString::fromUtf8("저장할 폴더가 없습니다. 새로 만들까요?")});
}

TEST_F(FileDialogTest, SendPicksAFileAndKeepsItsFolder) {
  ASSERT_TRUE(QDir(temp.path()).mkpath("sub"));
  for (const char* name : {"b.txt", "A.txt", "sub/inner.txt"}) WriteFile(folder + name, 10);
  const auto ask = [&](std::function<void(TmSendFile&)> act) {
    Answering<TmSendFile> answering(std::move(act));
    return AskSendFile("pal", dccDir);
  };
  EXPECT_EQ(ask([&](TmSendFile& d) {
              EXPECT_EQ(d.windowTitle(), QString::fromUtf8("pal님께 파일을 보냅니다."));
              EXPECT_EQ(Bytes(d.eFileName->text()), folder + "A.txt") << "the first file is not chosen";
              Grab(d, "send_file");
              QTest::keyClick(d.lbFile, Qt::Key_Down);
              QTest::keyClick(d.lbFile, Qt::Key_Return);
            }),
            folder + "b.txt");
  EXPECT_EQ(ask([](TmSendFile& d) { QTest::keyClick(&d, Qt::Key_Escape); }), "");
  EXPECT_EQ(dccDir, folder);
  EXPECT_EQ(ask([&](TmSendFile& d) {
              auto* model = static_cast<QFileSystemModel*>(d.lbDir->model());
              d.lbDir->setCurrentIndex(model->index(Path(folder + "sub")));
              QTest::mouseClick(d.sbSend, Qt::LeftButton);
            }),
            folder + "sub/inner.txt");
  EXPECT_EQ(dccDir, folder + "sub/");
}

// The engine is only ever given a real file, of any size.
TEST_F(FileDialogTest, OnlyPlainFilesAreOffered) {
  WriteFile(folder + "a.txt", 10);
  WriteFile(folder + "big", (5LL << 30) + 7);  // sparse: no disk is used
  const std::tuple<std::string, const char*, uint64_t> cases[] = {
      {folder + "a.txt", nullptr, 10},
      {folder + "big", nullptr, (5ULL << 30) + 7},
      {folder + "missing", "파일을 열 수 없습니다.", 0},
      {temp.path().toStdString(), "파일을 열 수 없습니다.", 0},
  };
  for (const auto& [path, refusal, size] : cases) {
    Answering<TmSendFile> answering([](TmSendFile&) {});
    const FileHandle file = OpenFileToSend(path);
    EXPECT_EQ(FileSize(file), size) << path;
    FileClose(file);
    EXPECT_EQ(answering.said, refusal ? std::vector<QString>{QString::fromUtf8(refusal)} : std::vector<QString>{});
  }
  EXPECT_FALSE(QFileInfo::exists(Path(folder + "missing"))) << "a missing file was created";
  EXPECT_EQ(OfferedFileName(Bytes(QString::fromUtf8("/d/내 사진.jpg"))), Cp949Literal("내_사진.jpg"));
}

}  // namespace
