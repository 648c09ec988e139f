#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <gtest/gtest.h>

#include "grab.h"

#include "M_chaninfo.h"
#include "M_msgbox.h"
#include "U_codepage.h"
#include "frame_input.h"

namespace {

TChanChange Change(const char* curModes, const char* ticked, const char* key, const char* limit, const char* topic) {
  TChanChange change{"#c", curModes, {}, key, limit, topic};
  for (size_t i = 0; i < kChanModeLetters.size(); ++i) change.ticked[i] = strchr(ticked, kChanModeLetters[i]);
  return change;
}

// Only what differs from the channel's modes is sent; a key or limit the
// channel has is never sent again; line breaks end a typed value; a limit to
// be set that is no user count is refused.
TEST(ChanChangeLine, SendsWhatChanged) {
  const std::pair<TChanChange, std::optional<std::string>> cases[] = {
      {Change("tnkl", "tn", "key", "9", ""), ""},
      {Change("", "", "pw", "", ""), "MODE #c +k pw\r\n"},
      {Change("", "", "", " 50 ", ""), "MODE #c +l 50\r\n"},
      {Change("tn", "tn", "", "", "hi there"), "TOPIC #c :hi there\r\n"},
      {Change("kl", "", "", "", ""), "MODE #c -kl\r\n"},
      {Change("k", "", "new", "", ""), ""},
      {Change("tn", "tm", "", "", ""), "MODE #c +m-n\r\n"},
      {Change("", "tnimps", "pw", "50", "hi"), "MODE #c +tnimklps pw 50\r\nTOPIC #c :hi\r\n"},
      {Change("", "", "pw\r\nQUIT", "", "a\nQUIT :x"), "MODE #c +k pw\r\nTOPIC #c :a\r\n"},
      {Change("", "", "two words", "2147483647", ""), "MODE #c +kl two 2147483647\r\n"},
      {Change("l", "", "", "abc", ""), ""},
      {{"", "", {true}, "pw", "5", "t"}, ""},
      {Change("", "", "", "5x", ""), std::nullopt},
      {Change("", "", "", "2147483648", ""), std::nullopt},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(ChanChangeLine(cases[i].first), cases[i].second) << i;
  for (char letter : kChanModeLetters) {
    const std::string one(1, letter);
    EXPECT_EQ(ChanChangeLine(Change("", one.c_str(), "", "", "")), "MODE #c +" + one + "\r\n");
    EXPECT_EQ(ChanChangeLine(Change(one.c_str(), "", "", "", "")), "MODE #c -" + one + "\r\n");
  }
}

// Each line stays within 512 bytes and no double-byte character is split.
TEST(ChanChangeLine, LongValuesFitTheLine) {
  std::string korean;
  for (int i = 0; i < 400; ++i) korean += Cp949Literal("가");
  const std::string line = *ChanChangeLine(Change("", "", korean.c_str(), "50", korean.c_str()));
  const size_t split = line.find("\r\n") + 2;
  EXPECT_EQ(line.substr(split - 5, 5), " 50\r\n");
  EXPECT_EQ(split, 511u) << "MODE #c +kl, 494 bytes of key, 50";
  EXPECT_EQ(line.size() - split, 512u) << "TOPIC #c :, 500 bytes of topic";
}

// Reports for another channel change nothing; a report only ever ticks; a
// limit that is no number is refused and the dialog stays open.
TEST(ChanInfo, RepliesFillTheDialogAndOkSendsTheChanges) {
  std::vector<std::string> sent;
  QString refusal;
  ScopedAnswer answer([&](TModalForm& form) {
    auto* dialog = dynamic_cast<TmChanInfo*>(&form);
    if (!dialog) {
      refusal = dynamic_cast<TKMessageBox&>(form).lText->text();
      form.close();
      return;
    }
    EXPECT_EQ(TmChanInfo::Current(), dialog);
    EXPECT_EQ(dialog->eChan->text(), "#Velko");
    EXPECT_FALSE(dialog->ShowModes("#other", "s", nullptr, -1));
    EXPECT_FALSE(dialog->ShowTopic("#other", "wrong"));
    EXPECT_TRUE(dialog->ShowModes("#VELKO", "tnkl", "pw", 20));
    EXPECT_TRUE(dialog->ShowTopic("#velko", "hello"));
    EXPECT_TRUE(dialog->ShowModes("#velko", "i", nullptr, -1));
    std::string ticked;
    for (int item = 0; item < 6; ++item)
      if (dialog->clbMode->item(item)->checkState() == Qt::Checked) ticked += kChanModeLetters[item];
    EXPECT_EQ(ticked, "tni");
    Grab(*dialog, "chaninfo");
    // Every mode row is whole in the list, tall enough for its text and box.
    for (int item = 0; item < 6; ++item) {
      const QRect row = dialog->clbMode->visualItemRect(dialog->clbMode->item(item));
      EXPECT_TRUE(dialog->clbMode->viewport()->rect().contains(row)) << item;
      EXPECT_GE(row.height(), dialog->clbMode->fontMetrics().height()) << item;
    }
    EXPECT_EQ(dialog->tPass->text() + dialog->tMax->text() + dialog->eTopic->text(), "pw20hello");
    dialog->clbMode->item(1)->setCheckState(Qt::Unchecked);
    dialog->tMax->setText("ten");
    QTest::mouseClick(dialog->sbOk, Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible()) << "the dialog closed on a refused limit";
    dialog->tMax->setText("20");
    QTest::mouseClick(dialog->sbOk, Qt::LeftButton);
  });
  {
    TModalHolder<TmChanInfo> dialog([&](const char* line) { sent.push_back(line); });
    dialog->ChanName = "#Velko";
    dialog->ShowModal();
  }
  EXPECT_EQ(refusal, QString::fromUtf8("최대인원은 숫자로 입력해 주세요"));
  // The last report (only "i") is what the channel has now.
  EXPECT_EQ(sent, (std::vector<std::string>{"MODE #Velko +tkl pw 20\r\nTOPIC #Velko :hello\r\n"}));
  EXPECT_EQ(TmChanInfo::Current(), nullptr);
}

}  // namespace
