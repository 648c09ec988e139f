// The nick-change dialog: takes a new nick and asks the server for it.
#pragma once

#include <functional>
#include <string>

#include "U_modalman.h"

class QLabel;
class QLineEdit;
class QToolButton;
class TZoEngine;

// Stores a nick (CP949) as the settings' nick.
using TNickStore = std::function<void(const char* nick)>;
// Asks for a nick (CP949, never empty).
using TNickRequest = std::function<void(const std::string& nick)>;

// The request as the engine's state wants it: before the welcome the server
// will not confirm a nick, so it is taken (and stored) at once; the NICK line
// goes out either way.
TNickRequest EngineNickRequest(TZoEngine& engine, TNickStore storeNick);

class TmNickChange : public TModalForm {
  Q_OBJECT

 public:
  static constexpr int kMaxNickBytes = 16;

  TmNickChange(QWidget* owner, TNickRequest request);

  QLabel* lbNick;
  QLineEdit* eNick;
  QToolButton* sbOk;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void sbOkClick();

  TNickRequest request_;
};
