// Mouse input for frames by screen position, and a scoped answering hook.
#pragma once

#include <QPoint>
#include <QString>

#include "U_modalman.h"

class QWidget;

// The global position of `local` in `widget`.
QPoint Global(const QWidget* widget, QPoint local);
// A move without buttons, as the mouse hovering over the frame.
void Hover(QWidget* widget, QPoint global);
// The left button going down, moving while held, and coming up.
void Press(QWidget* widget, QPoint global);
void DragTo(QWidget* widget, QPoint global);
void Release(QWidget* widget, QPoint global);
void DoubleClick(QWidget* widget, QPoint global);

// Types `text` into `widget`: ASCII as keys, anything else as the input
// method commits it (as Hangul arrives from a Korean input method).
void TypeText(QWidget* widget, const QString& text);

// Installs an answering hook for the length of a scope.
class ScopedAnswer {
 public:
  explicit ScopedAnswer(TModalAnswer answer) { SetModalAnswer(std::move(answer)); }
  ~ScopedAnswer() { SetModalAnswer(nullptr); }
};

// Saves a grab of `widget` as <VELKO_GRAB_DIR>/<name>.png (and a copy four
// times as large) when that is set.
void SaveGrab(QWidget* widget, const QString& name);
