// The settings dialog in the chat window: its keys and menu entry, what a
// save changes at once, and what waits for the server or the next connect.
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include "F_absrich.h"
#include "F_inputline.h"
#include "F_mdiabstract.h"
#include "M_settings.h"
#include "U_paneview.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "frame_input.h"
#include "wait_until.h"

namespace {

// The window with the dialog drawn where it opens, centred on it.
void GrabWithDialog(TMainForm& form, TmSettings& dialog, const char* name) {
  QImage picture = Grab(form, name);
  const QImage top = Grab(dialog, "settings_dialog_alone");
  ASSERT_LE(top.width(), picture.width()) << "the dialog is wider than the control";
  ASSERT_LE(top.height(), picture.height()) << "the dialog is taller than the control";
  QPainter(&picture).drawImage((picture.width() - top.width()) / 2, (picture.height() - top.height()) / 2, top);
  const QString folder = qEnvironmentVariable("VELKO_GRAB_DIR");
  if (!folder.isEmpty()) picture.save(QDir(folder).filePath(QString::fromUtf8(name) + ".png"));
}

void Retype(QLineEdit* edit, const QString& text) {
  edit->clear();
  QTest::keyClicks(edit, text);
}

// F2 in a pane, Ctrl+comma in the input line and the window menu all open it;
// what OK saves is on disk at once, and the input line follows its box.
TEST(SettingsDialog, OpensFromKeysAndMenuAndSavesAtOnce) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  QTemporaryDir downloads;
  int opened = 0;
  ScopedAnswer answer([&](TModalForm& modal) {
    auto& dialog = dynamic_cast<TmSettings&>(modal);
    ++opened;
    if (opened == 1) {
      Retype(dialog.eNick, "fresh");
      Retype(dialog.ePort, "7000");
      Retype(dialog.eDCCDir, downloads.path());
      dialog.cbInputLine->setChecked(true);
      dialog.sbOk->click();
      return;
    }
    form.resize(opened == 2 ? QSize(560, 460) : QSize(900, 700));
    GrabWithDialog(form, dialog, opened == 2 ? "settings_in_control_small" : "settings_in_control_large");
    dialog.close();
  });
  form.show();
  TmABSRich* status = form.Subforms().FrontForm()->Output();
  ASSERT_NE(status, nullptr);
  QTest::keyClick(status->rView, Qt::Key_F2);
  ASSERT_TRUE(WaitUntil([&] { return opened == 1; }));
  EXPECT_TRUE(wired.Sent("NICK fresh\r\n")) << "before the welcome a nick is taken at once";
  EXPECT_EQ(form.Client().Settings().Nick, "fresh");
  EXPECT_EQ(form.Client().Engine().Port(), 7000);
  ASSERT_TRUE(form.eInput->isVisible());
  {
    const CDatas stored;  // read from disk, not from the window's record
    EXPECT_EQ(stored.Port, 7000);
    EXPECT_EQ(stored.InputLine, 1);
    EXPECT_EQ(stored.DCCDir, QFile::encodeName(downloads.path()).toStdString() + "/");
  }

  QTest::keyClick(form.eInput, Qt::Key_Comma, Qt::ControlModifier);
  ASSERT_TRUE(WaitUntil([&] { return opened == 2; }));
  form.sbWinSelect->click();
  form.pmVMDI->close();
  ASSERT_EQ(form.pmVMDI->actions().last()->text(), QString::fromUtf8("설정..."));
  form.pmVMDI->actions().last()->trigger();
  ASSERT_TRUE(WaitUntil([&] { return opened == 3; }));
  EXPECT_TRUE(form.eInput->text().isEmpty()) << "the key was typed into the line";
  EXPECT_TRUE(form.eInput->isVisible()) << "a cancelled dialog changed the input line";
}

// Logged on, a new nick is only asked for: the server's answer changes it.
// The dialog shows the server the connection was given, as a page gives one,
// not the stored one; it stays, unstored, while the dialog leaves it be, and
// a new port alone keeps its host.
TEST(SettingsDialog, LoggedOnNickWaitsForTheServer) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  // A folder that is there, or OK would first ask to make the default one.
  QTemporaryDir downloads;
  form.Client().Settings().DCCDir = QFile::encodeName(downloads.path()).toStdString() + "/";
  form.Client().Engine().SimulateLine(":srv 001 me :Welcome");
  const std::string stored = form.Client().Settings().Address;
  const QString inUse = QStringLiteral("127.0.0.1:%1").arg(wired.server.Port());
  QString shown;
  int opened = 0;
  ScopedAnswer answer([&](TModalForm& modal) {
    auto& dialog = dynamic_cast<TmSettings&>(modal);
    shown = dialog.eAddress->text() + ":" + dialog.ePort->text();
    if (++opened == 1)
      Retype(dialog.eNick, "fresh");
    else
      Retype(dialog.ePort, "7000");
    dialog.sbOk->click();
  });
  form.View().ShowSettings();
  EXPECT_EQ(shown, inUse);
  EXPECT_TRUE(wired.Sent("NICK fresh\r\n"));
  EXPECT_EQ(form.Client().Settings().Nick, "me");
  EXPECT_EQ(form.Client().Engine().Port(), wired.server.Port());
  EXPECT_EQ(form.Client().Settings().Address, stored);
  form.Client().Engine().SimulateLine(":me!u@h NICK :fresh");
  EXPECT_EQ(form.Client().Settings().Nick, "fresh");

  form.View().ShowSettings();
  EXPECT_EQ(form.Client().Engine().Address() + ":" + std::to_string(form.Client().Engine().Port()), "127.0.0.1:7000");
}

}  // namespace
