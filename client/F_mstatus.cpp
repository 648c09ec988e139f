#include "F_mstatus.h"

TmStatus::TmStatus(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TmABSRich(panel, manager, colors) {
  Kind = wkStatus;
  setWindowTitle(QString::fromUtf8("상태창"));
}
