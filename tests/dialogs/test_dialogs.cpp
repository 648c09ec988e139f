#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "M_inputbox.h"
#include "M_motd.h"
#include "M_msgbox.h"
#include "U_codepage.h"
#include "engine_recorder.h"
#include "frame_input.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

void ClickClose(TFlatForm& form) {
  const QPoint close = Global(&form, form.ButtonRect(TFlatForm::CloseButton).center());
  Press(&form, close);
  Release(&form, close);
}

TEST(MessageBox, ShowsCP949TextCentredAndClosesOnEnter) {
  QString shown;
  bool modal = false, dialogFlags = false, centred = false;
  ScopedAnswer answer([&](TModalForm& form) {
    auto& box = dynamic_cast<TKMessageBox&>(form);
    shown = box.lText->text();
    modal = box.windowModality() == Qt::ApplicationModal;
    dialogFlags = !box.Sizeable && !box.HideEnabled && box.CloseEnabled;
    centred = box.geometry().center() == box.screen()->availableGeometry().center();
    SaveGrab(&box, "messagebox");
    QTest::keyClick(&box, Qt::Key_Return);
  });
  ShowMessageBox(Cp949Literal("◆ 서버와 연결이 끊어졌습니다."));
  EXPECT_EQ(shown, QString::fromUtf8("◆ 서버와 연결이 끊어졌습니다."));
  EXPECT_TRUE(modal);
  EXPECT_TRUE(dialogFlags);
  EXPECT_TRUE(centred);
}

TEST(MessageBox, ServerTextIsNeverMarkup) {
  QString shownAs;
  ScopedAnswer answer([&](TModalForm& form) {
    auto& box = dynamic_cast<TKMessageBox&>(form);
    shownAs = box.lText->textFormat() == Qt::PlainText ? box.lText->text() : QString();
    QTest::mouseClick(box.sbOk, Qt::LeftButton);
  });
  ShowMessageBox("<b>bold</b> <img src=x>");
  EXPECT_EQ(shownAs, "<b>bold</b> <img src=x>");
}

TEST(MessageBox, DrawsTheSkinsDialogRecordAndTextColour) {
  const TFrameColorRecord saved = DialogFrameColors();
  const uint32_t savedFg = DialogTextColor();
  TFrameColorRecord record = saved;
  record[ActiveCaptionBack] = 0xFFCEB6;
  record[BodyColor] = 0xEEF4FF;
  SetDialogSkin(record, 0x000080);
  QImage image;
  QColor text;
  int labelWidth = 0;
  ScopedAnswer answer([&](TModalForm& form) {
    auto& box = dynamic_cast<TKMessageBox&>(form);
    image = box.grab().toImage();
    text = box.lText->palette().color(QPalette::WindowText);
    SaveGrab(&box, "messagebox_skinned");
    const QPoint edge = Global(&box, QPoint(box.width() - 1, 40));
    Press(&box, edge);
    DragTo(&box, edge + QPoint(30, 0));
    Release(&box, edge + QPoint(30, 0));
    labelWidth = box.lText->width();
    box.close();
  });
  ShowMessageBox("QUELBO");
  SetDialogSkin(saved, savedFg);
  EXPECT_EQ(image.pixel(100, 8) & 0xFFFFFF, 0xFFCEB6u);
  EXPECT_EQ(image.pixel(100, 40) & 0xFFFFFF, 0xEEF4FFu);
  EXPECT_EQ(text, QColor(0, 0, 0x80));
  EXPECT_EQ(labelWidth, 392 + 30);  // the label follows the right edge
}

struct InputBoxTest : testing::Test {
  // Runs ShowInputBox with `answer` acting on the box.
  std::string Ask(const std::function<void(TKInputBox&)>& act) {
    ScopedAnswer answer([&](TModalForm& form) { act(dynamic_cast<TKInputBox&>(form)); });
    return ShowInputBox(Cp949Literal("채널 입장"), Cp949Literal("들어갈 채널 이름을 입력하세요"));
  }
};

TEST_F(InputBoxTest, EnterReturnsTheTypedTextAsCP949) {
  QString title, prompt;
  bool editHasFocus = false;
  const std::string result = Ask([&](TKInputBox& box) {
    editHasFocus = box.focusWidget() == box.eInput;
    title = box.windowTitle();
    prompt = box.lText->text();
    TypeText(box.eInput, QString::fromUtf8("#벨코"));
    SaveGrab(&box, "inputbox");
    QTest::keyClick(box.eInput, Qt::Key_Return);
  });
  EXPECT_EQ(result, Cp949Literal("#벨코"));
  EXPECT_TRUE(editHasFocus);
  EXPECT_EQ(title, QString::fromUtf8("채널 입장"));
  EXPECT_EQ(prompt, QString::fromUtf8("들어갈 채널 이름을 입력하세요"));
}

TEST_F(InputBoxTest, EmptyEnterAndEveryKindOfClosingReturnEmpty) {
  EXPECT_EQ(Ask([](TKInputBox& box) { QTest::keyClick(box.eInput, Qt::Key_Return); }), "");
  EXPECT_EQ(Ask([](TKInputBox& box) {
              TypeText(box.eInput, "typed");
              ClickClose(box);
            }),
            "");
  EXPECT_EQ(Ask([](TKInputBox& box) {
              TypeText(box.eInput, "typed");
              box.close();
            }),
            "");
}

TEST_F(InputBoxTest, EscapeDoesNothingAndOkEndsIt) {
  bool openAfterEscape = false;
  const std::string result = Ask([&](TKInputBox& box) {
    TypeText(box.eInput, "kept");
    QTest::keyClick(box.eInput, Qt::Key_Escape);
    QTest::keyClick(&box, Qt::Key_Escape);
    openAfterEscape = box.isVisible();
    QTest::mouseClick(box.sbOk, Qt::LeftButton);
  });
  EXPECT_TRUE(openAfterEscape);
  EXPECT_EQ(result, "kept");
}

TEST_F(InputBoxTest, TextStaysWithinOneHundredBytesOfWholeCharacters) {
  const QString hangul = QString::fromUtf8("가");
  EXPECT_EQ(Ask([&](TKInputBox& box) {
              TypeText(box.eInput, hangul.repeated(60));
              QTest::keyClick(box.eInput, Qt::Key_Return);
            }),
            EncodeText(hangul.repeated(50)));
  EXPECT_EQ(Ask([&](TKInputBox& box) {
              TypeText(box.eInput, QString(99, 'a'));
              TypeText(box.eInput, hangul);
              QTest::keyClick(box.eInput, Qt::Key_Return);
            }),
            std::string(99, 'a'));
  EXPECT_EQ(Ask([&](TKInputBox& box) {
              box.eInput->insert("#a\r\nPRIVMSG #b :x");  // a paste with a line break
              QTest::keyClick(box.eInput, Qt::Key_Return);
            }),
            "#aPRIVMSG #b :x");
}

// A person answers late; the server keeps talking meanwhile.
TEST(ModalLoop, EngineEventsFlowWhileTheDialogWaits) {
  ScriptedServer server;
  EngineRecorder recorder;
  recorder.engine.SetAddress("127.0.0.1");
  recorder.engine.SetPort(server.Port());
  ASSERT_TRUE(recorder.engine.Connect());
  ASSERT_TRUE(server.WaitForClient());
  ASSERT_TRUE(WaitUntil([&] { return recorder.engine.state == TZoEngine::Connected; }));

  bool sawWhileOpen = false;
  QTimer person;
  person.setInterval(10);
  QObject::connect(&person, &QTimer::timeout, [&] {
    auto* box = qobject_cast<TKInputBox*>(QApplication::activeModalWidget());
    if (!box) return;
    if (recorder.Events({"OnPrivmsg"}).empty()) {
      server.Write(":pal!p@host PRIVMSG #velko :hello\r\n");
      return;
    }
    sawWhileOpen = true;
    TypeText(box->eInput, "answer");
    QTest::keyClick(box->eInput, Qt::Key_Return);
  });
  person.start();
  EXPECT_EQ(ShowInputBox("VELKO", "?"), "answer");
  EXPECT_TRUE(sawWhileOpen);
  recorder.engine.Disconnect();
}

TEST(ModalLoop, DialogWhoseOwnerGoesMidLoopReturnsCancel) {
  auto owner = std::make_unique<QWidget>();
  SetModalOwner(owner.get());
  QTimer::singleShot(20, [&] { owner.reset(); });
  EXPECT_EQ(ShowInputBox("VELKO", "?"), "");
  SetModalOwner(nullptr);
}

TEST(MOTD, OneWindowAtATimeFreedOnClose) {
  TmMOTD* motd = OpenMOTD(nullptr);
  ASSERT_TRUE(motd);
  EXPECT_TRUE(motd->isVisible());
  EXPECT_EQ(CurrentMOTD(), motd);
  EXPECT_TRUE(motd->Sizeable && motd->HideEnabled && motd->CloseEnabled);
  motd->rView->append(QString::fromUtf8("- 벨코 서버에 오신 것을 환영합니다 -"));
  EXPECT_EQ(OpenMOTD(nullptr), motd);
  EXPECT_TRUE(motd->rView->isReadOnly());
  SaveGrab(motd, "motd");

  const QPoint hide = Global(motd, motd->ButtonRect(TFlatForm::HideButton).center());
  Press(motd, hide);
  Release(motd, hide);
  EXPECT_FALSE(motd->isVisible());
  EXPECT_EQ(CurrentMOTD(), motd);
  motd->show();

  QPointer<TmMOTD> alive(motd);
  QTest::mouseClick(motd->sbOk, Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return alive.isNull(); }, 2000));
  EXPECT_EQ(CurrentMOTD(), nullptr);
  TmMOTD* second = OpenMOTD(nullptr);
  EXPECT_TRUE(second && second->isVisible());
  second->close();
  ASSERT_TRUE(WaitUntil([&] { return CurrentMOTD() == nullptr; }, 2000));
}

}  // namespace
