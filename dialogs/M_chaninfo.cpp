#include "M_chaninfo.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "M_msgbox.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_dlgcontrols.h"
#include "U_ircline.h"

namespace {

constexpr size_t kChannelMax = 200;
constexpr size_t kModesMax = 35;  // the current-modes buffer holds 36 bytes
constexpr size_t kLimitDigits = 10;

TmChanInfo* current = nullptr;

// The text before its first line break, cut to `limit` bytes at a character boundary.
std::string OneLine(std::string_view text, size_t limit) {
  text = text.substr(0, std::min(text.find_first_of(std::string_view("\r\n\0", 3)), text.size()));
  return std::string(text.substr(0, Cp949CutLength(text.data(), text.size(), limit)));
}

std::string_view Trimmed(std::string_view text) {
  text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

// One IRC parameter: the text up to its first inner blank.
std::string Word(std::string_view text) {
  text = Trimmed(text);
  return std::string(text.substr(0, std::min(text.find(' '), text.size())));
}

// Decimal digits only, within the range of a user count.
bool IsUserCount(const std::string& text) {
  if (text.empty() || text.size() > kLimitDigits) return false;
  if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  return std::stoll(text) <= INT32_MAX;
}

bool HasMode(const std::string& modes, char letter) { return modes.find(letter) != std::string::npos; }

// "+added-removed" for the boxes, key and limit that differ from the current modes.
std::string ModeText(const TChanChange& change, bool wantKey, bool wantLimit) {
  std::string plus = "+";
  std::string minus = "-";
  const auto examine = [&](char letter, bool wanted) {
    const bool has = HasMode(change.curModes, letter);
    if (wanted && !has) plus += letter;
    if (!wanted && has) minus += letter;
  };
  for (size_t i = 0; i < 4; ++i) examine(kChanModeLetters[i], change.ticked[i]);
  examine('k', wantKey);
  examine('l', wantLimit);
  for (size_t i = 4; i < kChanModeLetters.size(); ++i) examine(kChanModeLetters[i], change.ticked[i]);
  if (plus.size() == 1) return minus.size() == 1 ? std::string() : minus;
  return minus.size() == 1 ? plus : plus + minus;
}

}  // namespace

std::optional<std::string> ChanChangeLine(const TChanChange& change) {
  const std::string channel = Word(OneLine(change.channel, kChannelMax));
  if (channel.empty()) return std::string();
  std::string key = Word(OneLine(change.key, kIrcLineMax));
  const std::string limit(Trimmed(OneLine(change.limit, kIrcLineMax)));
  const std::string modes = ModeText(change, !key.empty(), !limit.empty());
  const bool sendLimit = !limit.empty() && !HasMode(change.curModes, 'l');
  if (sendLimit && !IsUserCount(limit)) return std::nullopt;

  std::string line;
  if (!modes.empty())
    line = Irc::ChannelModes(channel, modes, HasMode(change.curModes, 'k') ? std::string() : key,
                             sendLimit ? limit : std::string());
  const std::string topic = OneLine(change.topic, kIrcLineMax);
  if (!topic.empty()) line += Irc::Topic(channel, topic);
  return line;
}

TmChanInfo::TmChanInfo(QWidget* owner, TLineSend send)
    : TModalForm(owner, QSize(366, 204)),
      lChan(MakeLabel(pClient, QRect(7, 12, 48, 12), QString::fromUtf8("대화실명"))),
      lTopic(MakeLabel(pClient, QRect(7, 31, 48, 12), QString::fromUtf8("대화주제"))),
      lMaxUser(MakeLabel(pClient, QRect(8, 75, 48, 12), QString::fromUtf8("최대인원"))),
      lPass(MakeLabel(pClient, QRect(7, 55, 24, 12), QString::fromUtf8("암호"))),
      clbMode(new QListWidget(pClient)),
      eChan(MakeFlatEdit(pClient, QRect(63, 9, 297, 18))),
      eTopic(MakeFlatEdit(pClient, QRect(63, 28, 297, 18))),
      tMax(MakeFlatEdit(pClient, QRect(63, 71, 131, 18))),
      tPass(MakeFlatEdit(pClient, QRect(63, 51, 131, 18))),
      sbOk(MakeFlatButton(pClient, QRect(152, 174, 66, 22), QString::fromUtf8("확인"))),
      send_(std::move(send)) {
  setWindowTitle(QString::fromUtf8("채널 정보 보기"));
  static const char* const kCaptions[] = {"방장만 주제 변경 가능", "외부 대화메세지 차단", "초청된 사람만 입장가능",
                                          "보이스가 있어야 대화가능", "숨겨진 방", "비공개 방"};
  // Rows tall enough for a check box and Hangul with its descenders; the
  // list shows all six without scrolling.
  constexpr int kRow = 18;
  clbMode->setGeometry(199, 50, 161, kRow * 6 + 6);
  for (const char* caption : kCaptions) {
    auto* item = new QListWidgetItem(QString::fromUtf8(caption), clbMode);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setSizeHint(QSize(0, kRow));
  }
  const uint32_t fg = DialogTextColor();
  const uint32_t bg = DialogFrameColors()[FrameColorSlot::BodyColor];
  clbMode->setStyleSheet(QString("QListWidget { color: %1; background: %2; border: 1px solid %1; }")
                             .arg(QColor::fromRgb(fg & 0xFFFFFF).name(), QColor::fromRgb(bg & 0xFFFFFF).name()));
  for (QLabel* label : {lChan, lTopic, lMaxUser, lPass}) SetTextColor(label, fg);
  SetTextColor(sbOk, fg);
  for (QLineEdit* edit : {eChan, eTopic, tMax, tPass}) {
    SetEditColors(edit, fg, bg);
    edit->setCursor(Qt::ArrowCursor);
  }
  eChan->setReadOnly(true);
  LimitCP949(eTopic, kIrcLineMax);
  LimitCP949(tPass, kIrcLineMax);
  LimitCP949(tMax, kLimitDigits);
  connect(sbOk, &QToolButton::clicked, this, &TmChanInfo::sbOkClick);
  current = this;
}

TmChanInfo::~TmChanInfo() {
  if (current == this) current = nullptr;
}

TmChanInfo* TmChanInfo::Current() { return current; }

bool TmChanInfo::IsOwnChannel(const char* channel) const {
  return channel && !ChanName.empty() && ZoSameName(channel, ChanName.c_str());
}

bool TmChanInfo::ShowModes(const char* channel, const char* modes, const char* key, int32_t limit) {
  if (!IsOwnChannel(channel)) return false;
  curModes_ = modes ? std::string(modes, strnlen(modes, kModesMax)) : std::string();
  for (char letter : curModes_) {
    const auto box = std::find(kChanModeLetters.begin(), kChanModeLetters.end(), letter);
    if (box != kChanModeLetters.end())
      clbMode->item(static_cast<int>(box - kChanModeLetters.begin()))->setCheckState(Qt::Checked);
    else if (letter == 'k')
      tPass->setText(DecodeDisplay(key ? key : ""));
    else if (letter == 'l' && limit >= 0)
      tMax->setText(QString::number(limit));
  }
  return true;
}

bool TmChanInfo::ShowTopic(const char* channel, const char* topic) {
  if (!IsOwnChannel(channel)) return false;
  eTopic->setText(DecodeDisplay(topic ? topic : ""));
  return true;
}

void TmChanInfo::showEvent(QShowEvent* event) {
  eChan->setText(DecodeDisplay(ChanName.c_str()));
  TModalForm::showEvent(event);
}

TChanChange TmChanInfo::Change() const {
  TChanChange change{ChanName, curModes_, {}, EncodeText(tPass->text()), EncodeText(tMax->text()),
                     EncodeText(eTopic->text())};
  for (size_t i = 0; i < change.ticked.size(); ++i)
    change.ticked[i] = clbMode->item(static_cast<int>(i))->checkState() == Qt::Checked;
  return change;
}

void TmChanInfo::sbOkClick() {
  const std::optional<std::string> line = ChanChangeLine(Change());
  if (!line) {
    ShowMessageBox(Cp949Literal("최대인원은 숫자로 입력해 주세요"));
    return;
  }
  if (!line->empty() && send_) send_(line->c_str());
  close();
}
