#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <QFileSystemModel>
#include <gtest/gtest.h>
#include <optional>

#include "C_datas.h"
#include "M_filesave.h"
#include "M_filesend.h"
#include "M_msgbox.h"
#include "U_codepage.h"
#include "frame_input.h"
#include "grab.h"

namespace {

std::string Bytes(const QString& text) { return QFile::encodeName(text).toStdString(); }

void WriteFile(const std::string& path, qint64 size) {
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_TRUE(file.resize(size));
}

qint64 SizeOf(const std::string& path) { return QFileInfo(QString::fromStdString(path)).size(); }

// Runs a dialog whose own answer is `act`; message boxes it raises are noted
// and closed, questions answered with `confirm`.
class Answering {
 public:
  template <class Dialog>
  Answering(std::function<void(Dialog&)> act, bool confirm = false)
      : answer_([this, act, confirm](TModalForm& form) {
          if (auto* dialog = dynamic_cast<Dialog*>(&form)) return act(*dialog);
          auto& box = dynamic_cast<TKMessageBox&>(form);
          said.push_back(box.lText->text());
          if (auto* question = dynamic_cast<TKConfirmBox*>(&box); question && !confirm)
            QTest::mouseClick(question->sbCancel, Qt::LeftButton);
          else
            QTest::mouseClick(box.sbOk, Qt::LeftButton);
        }) {}

  std::vector<QString> said;

 private:
  ScopedAnswer answer_;
};

struct SaveFileTest : testing::Test {
  QTemporaryDir temp;
  std::string folder = Bytes(temp.path()) + "/";
  std::string dccDir = folder;
};

void Down(TmSaveFile& d) { QTest::mouseClick(d.sbDown, Qt::LeftButton); }

TEST(SaveRules, DecideTheTarget) {
  struct Case {
    TSaveTarget target;
    uint32_t offered;
    TSaveAction action;
  };
  const Case cases[] = {
      {{true, true, false, false, false, 0}, 5000, TSaveAction::Create},
      {{true, true, true, true, true, 0}, 5000, TSaveAction::Create},
      {{true, true, true, true, true, 3000}, 5000, TSaveAction::Resume},
      {{true, true, true, true, true, 5000}, 5000, TSaveAction::AskOverwrite},
      {{true, true, true, true, true, 6000}, 5000, TSaveAction::AskOverwrite},
      {{true, true, true, true, true, 1}, 0, TSaveAction::AskOverwrite},
      {{true, true, true, true, true, 5ULL << 30}, 5000, TSaveAction::AskOverwrite},
      {{false, true, false, false, false, 0}, 5000, TSaveAction::RefuseFolder},
      {{false, true, true, true, true, 3000}, 5000, TSaveAction::RefuseFolder},
      {{true, false, true, false, true, 0}, 5000, TSaveAction::RefuseTarget},
      {{true, true, true, false, true, 0}, 5000, TSaveAction::RefuseTarget},
      {{true, true, true, true, false, 3000}, 5000, TSaveAction::RefuseTarget},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecideSave(c.target, c.offered), c.action) << "size " << c.target.size << " offered " << c.offered;
}

// Whatever name the peer sends, the target lies in the folder, under a name
// the file system takes.
TEST(SaveRules, PeerNamesStayInTheFolder) {
  const std::pair<std::string, std::string> cases[] = {
      {"../../etc/passwd", "passwd"}, {"..\\..\\boot.ini", "boot.ini"}, {"", "dcc_file"},
      {"..", "dcc_file"},             {".bashrc", "bashrc"},            {"a\nb", "a_b"},
      {Cp949Literal("사진 1.jpg"), "사진 1.jpg"},
  };
  for (const auto& [offered, name] : cases) {
    EXPECT_EQ(SavePathFor("/d", offered.c_str()), "/d/" + name);
    EXPECT_EQ(SavePathFor("/d/", offered.c_str()), "/d/" + name);
  }
  // 200 Hangul syllables are 400 bytes of CP949 and 600 of UTF-8.
  const std::string longName = EncodeText(QString::fromUtf8("가").repeated(200));
  const std::string path = SavePathFor("/d/", longName.c_str());
  EXPECT_LE(path.size() - 3, 255u);
  EXPECT_TRUE(QString::fromStdString(path.substr(3)).startsWith(QString::fromUtf8("가가가")));
  EXPECT_EQ(FolderOf("/d/e/f.txt"), "/d/e/");
  EXPECT_EQ(FolderOf("f.txt"), "");
}

TEST_F(SaveFileTest, OffersDecidedInTheDialog) {
  struct Case {
    const char* what;
    qint64 held;  // -1: no file
    bool confirm;
    std::function<void(TmSaveFile&)> act;
    bool accepted;
    qint64 position;  // of the handle
    int messages;
  };
  const Case cases[] = {
      {"new", -1, false, Down, true, 0, 0},
      {"partial: resumed after its last byte", 3000, false, Down, true, 3000, 0},
      {"complete, overwrite confirmed", 5000, true, Down, true, 0, 1},
      {"complete, kept: the dialog waits", 5000, false,
       [](TmSaveFile& d) {
         Down(d);
         EXPECT_TRUE(d.isVisible());
         QTest::mouseClick(d.sbNo, Qt::LeftButton);
       },
       false, 0, 1},
      {"declined", -1, false, [](TmSaveFile& d) { QTest::mouseClick(d.sbNo, Qt::LeftButton); }, false, 0, 0},
      {"closed", -1, false, [](TmSaveFile& d) { d.close(); }, false, 0, 0},
  };
  for (const Case& c : cases) {
    const std::string target = folder + "a.bin";
    QFile::remove(QString::fromStdString(target));
    if (c.held >= 0) WriteFile(target, c.held);
    Answering answering(c.act, c.confirm);
    const FileHandle file = AskSaveFile("pal", "a.bin", 5000, dccDir);
    EXPECT_EQ(file != kNoFile, c.accepted) << c.what;
    EXPECT_EQ(answering.said.size(), size_t(c.messages)) << c.what;
    if (file != kNoFile) {
      EXPECT_EQ(FileTell(file), c.position) << c.what;
      EXPECT_EQ(FileSize(file), c.position) << c.what;
      FileClose(file);
    } else {
      EXPECT_EQ(SizeOf(target), c.held < 0 ? 0 : c.held) << c.what << ": the target changed";
      EXPECT_EQ(QFileInfo::exists(QString::fromStdString(target)), c.held >= 0) << c.what;
    }
  }
}

TEST_F(SaveFileTest, ProposesTheFolderAndTheSafeName) {
  QString proposed, caption;
  Answering answering(std::function<void(TmSaveFile&)>([&](TmSaveFile& d) {
    proposed = d.eFileName->text();
    caption = d.windowTitle();
    GrabIfAsked(d, "save_file");
    Down(d);
  }));
  const FileHandle file = AskSaveFile(Cp949Literal("벨코"), "../../x %1.txt", 77, dccDir);
  ASSERT_NE(file, kNoFile);
  FileClose(file);
  EXPECT_EQ(Bytes(proposed), folder + "x %1.txt");
  EXPECT_EQ(caption, QString::fromUtf8("벨코님의 파일(../../x %1.txt)을 받습니다. (77)"));
  EXPECT_EQ(dccDir, folder);

  std::string missing = folder + "gone/";
  Answering again(std::function<void(TmSaveFile&)>([&](TmSaveFile& d) {
    proposed = d.eFileName->text();
    d.close();
  }));
  AskSaveFile("pal", "y", 1, missing);
  EXPECT_EQ(Bytes(proposed), DefaultDownloadFolder() + "y");
  EXPECT_EQ(missing, folder + "gone/") << "a declined offer changed the folder";
}

// A folder that cannot take the file is said so, and the person picks another.
TEST_F(SaveFileTest, ChosenLocationsAndRefusals) {
  ASSERT_TRUE(QDir(temp.path()).mkpath("chosen"));
  WriteFile(folder + "plain", 1);
  std::vector<QString> proposals;
  Answering answering(std::function<void(TmSaveFile&)>([&](TmSaveFile& d) {
    d.SD = [&](QWidget*, const QString& proposed) {
      proposals.push_back(proposed);
      return proposals.size() == 1 ? QString() : QString::fromStdString(folder + "chosen/b.bin");
    };
    for (const std::string& refused : {folder + "gone/b.bin", folder + "plain/b.bin", folder + "chosen/"}) {
      d.eFileName->setText(QString::fromStdString(refused));
      Down(d);
      EXPECT_TRUE(d.isVisible()) << refused;
    }
    QTest::mouseClick(d.sbSetDir, Qt::LeftButton);
    EXPECT_EQ(Bytes(d.eFileName->text()), folder + "chosen/") << "a cancelled choice changed the name";
    QTest::mouseClick(d.sbSetDir, Qt::LeftButton);
    Down(d);
  }));
  const FileHandle file = AskSaveFile("pal", "a.bin", 10, dccDir);
  ASSERT_NE(file, kNoFile);
  FileClose(file);
  EXPECT_EQ(dccDir, folder + "chosen/");
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(folder + "chosen/b.bin")));
  ASSERT_EQ(answering.said.size(), 3u);
  EXPECT_EQ(answering.said[0], QString::fromUtf8("그 폴더에는 저장할 수 없습니다. 위치를 다시 지정하세요."));
  EXPECT_EQ(answering.said[1], answering.said[0]);
  EXPECT_EQ(answering.said[2], QString::fromUtf8("그 이름으로는 저장할 수 없습니다. 위치를 다시 지정하세요."));
  ASSERT_EQ(proposals.size(), 2u);
  EXPECT_EQ(Bytes(proposals[0]), folder + "chosen/");
}

struct SendFileTest : SaveFileTest {
  void SetUp() override {
    ASSERT_TRUE(QDir(temp.path()).mkpath("sub"));
    for (const char* name : {"b.txt", "A.txt", "sub/inner.txt"}) WriteFile(folder + name, 10);
  }
  std::string Ask(std::function<void(TmSendFile&)> act) {
    Answering answering(std::move(act));
    return AskSendFile("pal", dccDir);
  }
};

TEST_F(SendFileTest, PicksFromTheFolderOfTheSettings) {
  QString caption;
  const std::string chosen = Ask([&](TmSendFile& d) {
    caption = d.windowTitle();
    EXPECT_EQ(Bytes(d.eFileName->text()), folder + "A.txt") << "the first file is not chosen";
    GrabIfAsked(d, "send_file");
    QTest::keyClick(d.lbFile, Qt::Key_Down);
    QTest::keyClick(d.lbFile, Qt::Key_Return);
  });
  EXPECT_EQ(chosen, folder + "b.txt");
  EXPECT_EQ(caption, QString::fromUtf8("pal님께 파일을 보냅니다."));
}

TEST_F(SendFileTest, AnotherFolderBecomesTheSettingsFolder) {
  const std::string chosen = Ask([&](TmSendFile& d) {
    auto* model = static_cast<QFileSystemModel*>(d.lbDir->model());
    d.lbDir->setCurrentIndex(model->index(QString::fromStdString(folder + "sub")));
    EXPECT_EQ(d.lbFile->count(), 1);
    QTest::mouseClick(d.sbSend, Qt::LeftButton);
  });
  EXPECT_EQ(chosen, folder + "sub/inner.txt");
  EXPECT_EQ(dccDir, folder + "sub/");

  dccDir = folder;
  EXPECT_EQ(Ask([](TmSendFile& d) { QTest::mouseClick(d.sbCancel, Qt::LeftButton); }), "");
  EXPECT_EQ(Ask([](TmSendFile& d) { QTest::keyClick(&d, Qt::Key_Escape); }), "");
  EXPECT_EQ(dccDir, folder) << "a cancelled offer changed the folder";
}

// The engine is only ever given a real file whose size fits the offer.
TEST_F(SendFileTest, OnlyPlainFilesThatFitAreOpened) {
  WriteFile(folder + "big", (5LL << 30) + 7);  // sparse: no disk is used
  const std::pair<std::string, const char*> cases[] = {
      {folder + "b.txt", nullptr},
      {folder + "missing", "파일을 열 수 없습니다."},
      {folder + "sub", "파일을 열 수 없습니다."},
      {folder + "big", "4GB보다 큰 파일은 보낼 수 없습니다."},
  };
  for (const auto& [path, refusal] : cases) {
    Answering answering(std::function<void(TmSendFile&)>([](TmSendFile&) {}));
    const FileHandle file = OpenFileToSend(path);
    EXPECT_EQ(file == kNoFile, refusal != nullptr) << path;
    if (file != kNoFile) {
      EXPECT_EQ(FileSize(file), 10u);
    }
    FileClose(file);
    EXPECT_EQ(answering.said, refusal ? std::vector<QString>{QString::fromUtf8(refusal)} : std::vector<QString>{})
        << path;
  }
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(folder + "missing"))) << "a missing file was created";
  EXPECT_EQ(OfferedFileName(folder + "my file.txt"), "my_file.txt");
  EXPECT_EQ(OfferedFileName(Bytes(QString::fromUtf8("/d/사진 1.jpg"))), Cp949Literal("사진_1.jpg"));
}

}  // namespace
