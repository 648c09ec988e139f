// The settings dialog: filled from the settings, checked as the user types,
// refusing OK while a field is wrong, and handing back what it shows.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "C_datas.h"
#include "M_settings.h"
#include "U_codepage.h"
#include "frame_input.h"
#include "grab.h"
#include "scratch_registry.h"

namespace {

struct SettingsDialogTest : testing::Test {
  // Runs the dialog with `act` answering it; a question it asks is noted and
  // answered `agree`.
  void Run(const std::function<void(TmSettings&)>& act) {
    result = RunDialog<TmSettings>(act, [&](const QString& text) { asked = text; return agree ? mrOk : mrCancel; },
                                   [&](TmSettings& dialog) { values = dialog.Values(); }, datas);
  }
  static void Retype(QLineEdit* edit, const QString& text) {
    edit->clear();
    QTest::keyClicks(edit, text);
  }
  std::string Value(const char* name) const {
    for (const auto& [known, value] : values)
      if (known == name) return value;
    return "(none)";
  }
  QString ScratchPath(const char* below) const { return scratch.path() + QString::fromUtf8(below); }

  ScratchRegistry registry;
  QTemporaryDir scratch;
  CDatas datas;
  bool agree = true;
  QString asked;
  int result = mrNone;
  TSettingValues values;
};

// A wrong value is named beside its field, in full, and OK does nothing
// until it is mended; a changed server is said to wait for the next connect.
TEST_F(SettingsDialogTest, RefusesOkWhileAFieldIsWrong) {
  Run([&](TmSettings& dialog) {
    const std::pair<QLineEdit*, const char*> wrongs[] = {
        {dialog.eAddress, "irc.example.org:6667"}, {dialog.eNick, "1abc"},       {dialog.ePaneLines, "10"},
        {dialog.eDCCDir, "relative"},               {dialog.eSaslAccount, ""},    {dialog.ePort, "70000"}};
    for (const auto& [edit, text] : wrongs) Retype(edit, QString::fromUtf8(text));
    for (const char* name : {"Address", "Nick", "PaneLines", "DCCDir", "Port"}) {
      const auto* note = dialog.findChild<QLabel*>(QString::fromLatin1(name));
      EXPECT_FALSE(note->text().isEmpty()) << name;
      EXPECT_LE(note->fontMetrics().horizontalAdvance(note->text()), note->width()) << name << " is clipped";
    }
    EXPECT_EQ(dialog.NoteOf("Port"), QString::fromUtf8("1~65535 사이의 숫자를 넣으세요"));
    const QRect port = dialog.ePort->geometry();
    const QRect note = dialog.findChild<QLabel*>("Port")->geometry();
    EXPECT_GT(note.left(), dialog.cbTls->geometry().right());
    EXPECT_LT(std::abs(note.center().y() - port.center().y()), 4);
    EXPECT_TRUE(dialog.NoteOf("SaslAccount").isEmpty());
    Grab(dialog, "settings_dialog_fault");

    EXPECT_FALSE(dialog.sbOk->isEnabled());
    QTest::keyClick(dialog.ePort, Qt::Key_Return);
    ASSERT_TRUE(dialog.isVisible()) << "OK was taken with faults";
    Retype(dialog.eAddress, "irc.example.org");
    Retype(dialog.eNick, "velko");
    Retype(dialog.ePaneLines, "5000");
    Retype(dialog.eDCCDir, ScratchPath(""));
    EXPECT_FALSE(dialog.sbOk->isEnabled()) << "the port is still wrong";
    Retype(dialog.ePort, "6667");
    EXPECT_TRUE(dialog.NoteOf("Port").isEmpty());
    dialog.cbTls->setChecked(true);  // takes the port along while it holds the usual number
    EXPECT_TRUE(dialog.lReconnect->isVisibleTo(&dialog)) << "the server waits for the next connect";
    QTest::mouseClick(dialog.sbOk, Qt::LeftButton);
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(Value("Port"), "6697");
  EXPECT_EQ(Value("PaneLines"), "5000");
  EXPECT_EQ(Value("Address"), "irc.example.org");
}

// What is stored comes back unchanged through the fields: Hangul texts in
// CP949, a folder in the file system's bytes, a masked password.
TEST_F(SettingsDialogTest, ShowsAndReturnsWhatIsStored) {
  const QString folder = ScratchPath("/받은 파일/");
  ASSERT_TRUE(QDir().mkpath(folder));
  datas.Nick = Cp949Literal("벨코");
  datas.Address = "irc.example.org";
  datas.Port = 7000;
  datas.Tls = 1;
  datas.SaslAccount = Cp949Literal("계정");
  datas.SaslPassword = "secret word";
  datas.Encoding = "utf-8";
  datas.DCCDir = QFile::encodeName(folder).toStdString();
  datas.PaneLines = 300;
  datas.Timestamps = 0;
  datas.ChatLogs = 1;
  Run([&](TmSettings& dialog) {
    EXPECT_EQ(dialog.eNick->text(), QString::fromUtf8("벨코"));
    EXPECT_EQ(dialog.eDCCDir->text(), folder);
    EXPECT_EQ(dialog.eSaslPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.cbEncoding->currentText(), "UTF-8");
    EXPECT_FALSE(dialog.lReconnect->isVisibleTo(&dialog)) << "nothing has changed yet";
    Grab(dialog, "settings_dialog");
    dialog.SetModalResult(mrOk);
  });
  ASSERT_EQ(values.size(), 15u);
  for (const auto& [name, value] : values) EXPECT_EQ(value, SettingValue(datas, name)) << name;
}

// A folder that is not there is made only when the person agrees; one that
// cannot be made refuses OK.
TEST_F(SettingsDialogTest, MissingFolderIsMadeWhenAgreed) {
  const QString missing = ScratchPath("/new/deeper");
  Run([&](TmSettings& dialog) {
    dialog.SD = [&](QWidget*, const QString&) { return missing; };
    dialog.sbDCCDir->click();
    EXPECT_EQ(dialog.eDCCDir->text(), missing + "/");
    EXPECT_EQ(dialog.NoteOf("DCCDir"), QString::fromUtf8("없는 폴더: 확인하면 만듭니다"));
    agree = false;
    dialog.sbOk->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(QDir(missing).exists());
    agree = true;
    dialog.sbOk->click();
  });
  EXPECT_EQ(asked, QString::fromUtf8("받은 파일 폴더가 없습니다. 새로 만들까요?"));
  EXPECT_EQ(result, mrOk);
  EXPECT_TRUE(QDir(missing).exists());
  EXPECT_EQ(Value("DCCDir"), QFile::encodeName(missing).toStdString() + "/");

  QFile plain(ScratchPath("/plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  Run([&](TmSettings& dialog) {
    Retype(dialog.eDCCDir, plain.fileName() + "/below");
    EXPECT_EQ(dialog.NoteOf("DCCDir"), QString::fromUtf8("만들 수 없는 폴더입니다"));
    EXPECT_FALSE(dialog.sbOk->isEnabled());
    dialog.close();
  });
}

}  // namespace
