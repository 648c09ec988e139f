// The nick-change dialog: takes a new nick and asks the server for it.
#pragma once

#include <functional>

#include "U_modalman.h"

class QLabel;
class QLineEdit;
class QToolButton;
class TZoEngine;

// Stores a nick (CP949) as the settings' nick.
using TNickStore = std::function<void(const char* nick)>;

class TmNickChange : public TModalForm {
  Q_OBJECT

 public:
  static constexpr int kMaxNickBytes = 16;

  TmNickChange(QWidget* owner, TZoEngine& engine, TNickStore storeNick);

  QLabel* lbNick;
  QLineEdit* eNick;
  QToolButton* sbOk;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void sbOkClick();

  TZoEngine& engine_;
  TNickStore storeNick_;
};
