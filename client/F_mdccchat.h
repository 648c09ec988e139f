// A direct chat with one peer over its own connection: the peer's lines and
// ours in one pane, the peer's nick in the caption.
#pragma once

#include <string>

#include "F_absrich.h"

class TmDCCChat : public TmABSRich {
  Q_OBJECT

 public:
  TmDCCChat(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  // Follows the peer's nick change; false when `oldNick` is someone else.
  bool Rename(const char* oldNick, const char* newNick) override;
  bool Knows(const char* nick) override;
  TFront InputTarget() const override { return {TFrontKind::Chat, Nick, ChatId}; }
  void EndOnClose(TZoEngine& engine) override;
  void SetNick(const char* nick);

  std::string Nick;
  // The chat's number in the engine's chat table; -1 until one is known.
  int ChatId = -1;
};
