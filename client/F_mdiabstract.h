// The base of every window inside the main window's area: a flat frame that
// knows its kind, tells its manager when it is pressed or closed, and keeps
// itself inside the area.
#pragma once

#include <cstdint>
#include <string>

#include "F_flatform.h"
#include "U_input.h"
#include "U_windowkinds.h"

class CSubforms;
struct TSkinValues;
class TZoEngine;
class TmABSRich;

class TMDIABS : public TFlatForm {
  Q_OBJECT

 public:
  // A child of `panel`, placed by the manager, which creates the window and
  // outlives it.
  TMDIABS(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  // Raises the window without moving it and makes it the front window.
  void Activate();
  CSubforms& Manager() const { return manager_; }

  // What each kind of window answers for itself; the defaults fit a window
  // that shows no conversation.
  // The pane its lines go to, or null.
  virtual TmABSRich* Output() { return nullptr; }
  // Whether it is the window of that channel or nick; a window of a kind
  // there is one of answers to any name.
  virtual bool IsNamed(const char* /*name*/) const { return true; }
  // Where typed text goes while it is in front.
  virtual TFront InputTarget() const { return {}; }
  // Whether the nick is a member or the partner here.
  virtual bool Knows(const char* /*nick*/) { return false; }
  // Follows a nick change; true when it knew the nick.
  virtual bool Rename(const char* /*oldNick*/, const char* /*newNick*/) { return false; }
  // The name its chat log goes under; empty for a window that keeps none.
  virtual std::string LogName() const { return {}; }
  // Ends what it stands for (a channel left, a transfer or chat stopped) as it closes.
  virtual void EndOnClose(TZoEngine& /*engine*/) {}
  // Takes the skin's colours beyond the frame's.
  virtual void ApplySkin(const TSkinValues& /*skin*/) {}

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
