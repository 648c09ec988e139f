#include "F_mdiabstract.h"

#include "U_clientrules.h"
#include "U_subforms.h"

TMDIABS::TMDIABS(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TFlatForm(panel, false), manager_(manager) {
  setWindowTitle("MDI Form");
  ApplyFrameColors(colors);
  setGeometry(NewWindowGeometry(QRect(), AreaSize()));
}

void TMDIABS::Activate() {
  raise();
  manager_.BringToFront(this);
}

bool TMDIABS::IsActiveFrame() { return manager_.IsFront(this); }

bool TMDIABS::CloseClicked() {
  manager_.PostClose(this);
  return true;
}

void TMDIABS::FrameMoved() {
  manager_.UserArranged();
  setGeometry(KeepMovedInside(geometry(), AreaSize()));
}

void TMDIABS::FrameSized() {
  manager_.UserArranged();
  setGeometry(KeepSizedInside(geometry(), AreaSize()));
}

void TMDIABS::mousePressEvent(QMouseEvent* event) {
  FormMouseDown();
  TFlatForm::mousePressEvent(event);
}

void TMDIABS::FormMouseDown() { Activate(); }

QSize TMDIABS::AreaSize() const { return parentWidget() ? parentWidget()->size() : size(); }
