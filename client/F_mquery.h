// A private conversation with one nick.
#pragma once

#include <string>

#include "F_absrich.h"

class TmQuery : public TmABSRich {
  Q_OBJECT

 public:
  TmQuery(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  // Follows the partner's nick change (not to a name that would address a
  // channel or several targets); false when `oldNick` is someone else.
  bool Rename(const char* oldNick, const char* newNick) override;
  TFront InputTarget() const override { return {TFrontKind::Query, Nick}; }
  bool Knows(const char* nick) override { return IsNamed(nick); }
  std::string LogName() const override { return Nick; }
  bool IsNamed(const char* name) const override;
  void SetNick(const char* nick);

  std::string Nick;
};
