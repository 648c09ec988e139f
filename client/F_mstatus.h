// The status window: where lines go that belong to no channel or query.
#pragma once

#include "F_absrich.h"

class TmStatus : public TmABSRich {
  Q_OBJECT

 public:
  TmStatus(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);
};
