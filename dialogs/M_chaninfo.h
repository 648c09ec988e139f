// The channel information dialog: shows a channel's topic, key, user limit
// and six modes as the server reports them, and on OK sends one MODE and one
// TOPIC line with what the user changed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "U_modalman.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QToolButton;

// The mode letters of the dialog's six boxes, in box order.
inline constexpr std::array<char, 6> kChanModeLetters = {'t', 'n', 'i', 'm', 'p', 's'};

// What the dialog holds when OK is pressed; texts are CP949.
struct TChanChange {
  std::string channel;
  std::string curModes;  // the channel's mode letters as last reported
  std::array<bool, 6> ticked{};  // in the order of kChanModeLetters
  std::string key;
  std::string limit;
  std::string topic;
};

// The MODE and TOPIC lines, each with its CR LF and within 512 bytes; empty
// when nothing changed. None when a limit to be set is not a number.
std::optional<std::string> ChanChangeLine(const TChanChange& change);

// Sends one formatted line (CP949, with its CR LF).
using TLineSend = std::function<void(const char* line)>;

class TmChanInfo : public TModalForm {
  Q_OBJECT

 public:
  TmChanInfo(QWidget* owner, TLineSend send);
  ~TmChanInfo() override;

  // The open dialog, or null; the reply handlers fill it through this.
  static TmChanInfo* Current();

  // A mode report: ticks the boxes of the letters (never unticks), fills
  // key and limit. `key` may be null; `limit` is negative when there is none.
  // False, and nothing changes, when it is about another channel.
  bool ShowModes(const char* channel, const char* modes, const char* key, int32_t limit);
  // A topic reply; false when it is about another channel.
  bool ShowTopic(const char* channel, const char* topic);

  std::string ChanName;

  QLabel* lChan;
  QLabel* lTopic;
  QLabel* lMaxUser;
  QLabel* lPass;
  QListWidget* clbMode;
  QLineEdit* eChan;
  QLineEdit* eTopic;
  QLineEdit* tMax;
  QLineEdit* tPass;
  QToolButton* sbOk;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool IsOwnChannel(const char* channel) const;
  TChanChange Change() const;
  void sbOkClick();

  std::string curModes_;
  TLineSend send_;
};
