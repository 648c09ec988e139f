// The base of every window inside the main window's area: a flat frame that
// knows its kind, tells its manager when it is pressed or closed, and keeps
// itself inside the area.
#pragma once

#include <cstdint>

#include "F_flatform.h"
#include "U_windowkinds.h"

class CSubforms;

class TMDIABS : public TFlatForm {
  Q_OBJECT

 public:
  // A child of `panel`, placed by the manager, which creates the window and
  // outlives it.
  TMDIABS(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  // Raises the window without moving it and makes it the front window.
  void Activate();
  CSubforms& Manager() const { return manager_; }

  uint8_t Kind = wkAbstract;
  // Lines that came while the window was behind; cleared when it comes to the front.
  TUnread Unread = urNone;

 protected:
  bool IsActiveFrame() override;
  bool CloseClicked() override;
  void FrameMoved() override;
  void FrameSized() override;
  void mousePressEvent(QMouseEvent* event) override;
  // Children that should activate the window when pressed report here.
  void FormMouseDown();

 private:
  QSize AreaSize() const;

  CSubforms& manager_;
};
