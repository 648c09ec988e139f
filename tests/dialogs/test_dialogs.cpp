#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "M_inputbox.h"
#include "M_motd.h"
#include "M_msgbox.h"
#include "M_trustbox.h"
#include "U_codepage.h"
#include "engine_recorder.h"
#include "frame_input.h"
#include "grab.h"

namespace {

using TAct = std::function<void(TKInputBox&)>;

std::string Ask(const TAct& act) {
  ScopedAnswer answer([&](TModalForm& form) { act(dynamic_cast<TKInputBox&>(form)); });
  return ShowInputBox("VELKO", "?");
}

TAct TypeAndEnter(const QString& text) {
  return [text](TKInputBox& box) {
    TypeText(box.eInput, text);
    QTest::keyClick(box.eInput, Qt::Key_Return);
  };
}

// The answer is the CP949 text on OK or Enter, empty however else the box
// ends, and never longer than 100 bytes of whole characters.
TEST(InputBox, AnswersOnlyOnOk) {
  const QString ga = QString::fromUtf8("가");
  const std::vector<std::pair<TAct, std::string>> cases = {
      {TypeAndEnter(QString::fromUtf8("#벨코")), Cp949Literal("#벨코")},
      {TypeAndEnter(""), ""},
      {[](TKInputBox& box) {
         TypeText(box.eInput, "typed");
         Press(&box, ButtonCentre(box, TFlatForm::CloseButton));
         Release(&box, ButtonCentre(box, TFlatForm::CloseButton));
       },
       ""},
      {[](TKInputBox& box) {
         TypeText(box.eInput, "kept");
         QTest::keyClick(box.eInput, Qt::Key_Escape);
         QTest::keyClick(&box, Qt::Key_Escape);
         EXPECT_TRUE(box.isVisible()) << "Escape closed the box";
         QTest::mouseClick(box.sbOk, Qt::LeftButton);
       },
       "kept"},
      {TypeAndEnter(ga.repeated(60)), EncodeText(ga.repeated(50))},
      {TypeAndEnter(QString(99, 'a') + ga), std::string(99, 'a')},
      // A pasted line break would end the IRC line the answer goes into.
      {[](TKInputBox& box) {
         box.eInput->insert("#a\r\nPRIVMSG #b :x");
         QTest::keyClick(box.eInput, Qt::Key_Return);
       },
       "#aPRIVMSG #b :x"},
  };
  for (const auto& [act, expected] : cases) EXPECT_EQ(Ask(act), expected);
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

// A person answers late; the server keeps talking meanwhile.
TEST(ModalLoop, EngineEventsFlowWhileTheDialogWaits) {
  ScriptedServer server;
  EngineRecorder recorder;
  ASSERT_TRUE(ConnectTo(recorder.engine, server));
  bool sawWhileOpen = false;
  int waits = 0;  // gives up after three seconds rather than hang
  QTimer person;
  QObject::connect(&person, &QTimer::timeout, [&] {
    auto* box = qobject_cast<TKInputBox*>(QApplication::activeModalWidget());
    if (!box) return;
    sawWhileOpen = !recorder.Events({"OnPrivmsg"}).empty();
    if (!sawWhileOpen && ++waits < 300) return server.Write(":pal!p@host PRIVMSG #velko :hello\r\n");
    TypeAndEnter("answer")(*box);
  });
  person.start(10);
  EXPECT_EQ(ShowInputBox("VELKO", "?"), "answer");
  EXPECT_TRUE(sawWhileOpen);
}

TEST(ModalLoop, DialogWhoseOwnerGoesMidLoopReturnsCancel) {
  auto owner = std::make_unique<QWidget>();
  SetModalOwner(owner.get());
  QTimer::singleShot(20, [&] { owner.reset(); });
  EXPECT_EQ(ShowInputBox("VELKO", "?"), "");
  SetModalOwner(nullptr);
}

// The message of the day stays over the client; a dialog must be over it,
// whether it opens over the viewer or the viewer comes while it waits: under
// it, the dialog's modality would leave the viewer's button doing nothing.
TEST(ModalLoop, ADialogStaysOverTheMessageOfTheDay) {
  QWidget owner;
  owner.show();
  SetModalOwner(&owner);
  QStringList stacking;  // shows and raises, in the order the desktop is asked for them
  struct TStackLog : QObject {
    explicit TStackLog(QStringList& log) : log(log) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
      auto* window = qobject_cast<TFlatForm*>(watched);
      if (window && window->isWindow() && (event->type() == QEvent::Show || event->type() == QEvent::ZOrderChange))
        log << window->windowTitle();
      return false;
    }
    QStringList& log;
  } watch(stacking);
  qApp->installEventFilter(&watch);
  TmMOTD* motd = OpenMOTD(&owner);
  ScopedAnswer answer([&](TModalForm& box) {
    EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);  // the viewer's layer, and shown after it
    delete motd;
    stacking.clear();
    motd = OpenMOTD(&owner);
    EXPECT_EQ(stacking.value(stacking.size() - 1), "VELKO") << stacking.join(", ").toStdString();
    box.SetModalResult(mrCancel);
  });
  ShowInputBox("VELKO", "?");
  qApp->removeEventFilter(&watch);
  delete motd;
  SetModalOwner(nullptr);
}

// Trust is given only by the yes button: Enter does nothing, Esc and the
// close button answer no. The box shows the host and the whole fingerprint.
TEST(TrustBox, TrustsOnlyOnYes) {
  const QString fingerprint = QString("AB:").repeated(31) + "CD";
  const std::vector<std::pair<std::function<void(TKTrustBox&)>, bool>> cases = {
      {[](TKTrustBox& box) {
         QTest::keyClick(&box, Qt::Key_Return);
         EXPECT_TRUE(box.isVisible()) << "Enter answered";
         QTest::mouseClick(box.sbYes, Qt::LeftButton);
       },
       true},
      {[](TKTrustBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, false},
      {[](TKTrustBox& box) { QTest::mouseClick(box.sbNo, Qt::LeftButton); }, false},
  };
  for (const auto& [act, trusted] : cases) {
    ScopedAnswer answer([&](TModalForm& form) {
      auto& box = dynamic_cast<TKTrustBox&>(form);
      EXPECT_TRUE(box.lText->text().startsWith(QString::fromUtf8("irc.예제.kr 서버의")));
      EXPECT_EQ(box.lFingerprint->text().remove('\n'), fingerprint.left(47) + fingerprint.mid(48));
      Grab(box, "trust_question");
      act(box);
    });
    EXPECT_EQ(AskTrustCertificate(QString::fromUtf8("irc.예제.kr"), fingerprint), trusted);
  }
}

}  // namespace
