// Mouse and keyboard input for frames and dialogs by screen position, a
// scoped answering hook, a dialog run with its answers, and an engine
// connected to a scripted server.
#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <functional>

#include "M_msgbox.h"
#include "U_modalman.h"
#include "Zoengine.h"
#include "scripted_server.h"
#include "wait_until.h"

// Sent directly rather than through QTest, which reads a local (0, 0) as
// "the centre" and turns a move without buttons into a platform cursor move.
inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint global, Qt::MouseButtons held) {
  const QPointF local = widget->mapFromGlobal(QPointF(global));
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, local, local, QPointF(global), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}
inline void Hover(QWidget* w, QPoint global) { SendMouse(w, QEvent::MouseMove, global, Qt::NoButton); }
inline void Press(QWidget* w, QPoint global) { SendMouse(w, QEvent::MouseButtonPress, global, Qt::LeftButton); }
inline void DragTo(QWidget* w, QPoint global) { SendMouse(w, QEvent::MouseMove, global, Qt::LeftButton); }
inline void Release(QWidget* w, QPoint global) { SendMouse(w, QEvent::MouseButtonRelease, global, Qt::NoButton); }

inline QPoint ButtonCentre(const TFlatForm& f, TFlatForm::Region b) { return f.mapToGlobal(f.ButtonRect(b).center()); }

// Enters `text` into `widget` as an input method commits it.
inline void TypeText(QWidget* widget, const QString& text) {
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QApplication::sendEvent(widget, &commit);
}

// Installs an answering hook for the length of a scope.
class ScopedAnswer {
 public:
  explicit ScopedAnswer(TModalAnswer answer) { SetModalAnswer(std::move(answer)); }
  ~ScopedAnswer() { SetModalAnswer(nullptr); }
};

// Runs a D made of `args` with `act` answering it; a message box it raises
// meanwhile is answered with what `box` returns for its text. `after` reads
// the dialog once it has closed. Returns the dialog's result.
template <class D, class... Args>
int RunDialog(const std::function<void(D&)>& act, const std::function<int(const QString&)>& box,
              const std::function<void(D&)>& after, Args&&... args) {
  ScopedAnswer answer([&](TModalForm& form) {
    if (auto* dialog = dynamic_cast<D*>(&form)) return act(*dialog);
    form.SetModalResult(box(dynamic_cast<TKMessageBox&>(form).lText->text()));
  });
  TModalHolder<D> dialog(std::forward<Args>(args)...);
  const int result = dialog->ShowModal();
  if (after) after(*dialog);
  return result;
}

// Connects `engine` to `server` and waits until it is connected, before any welcome.
inline bool ConnectTo(TZoEngine& engine, ScriptedServer& server) {
  engine.SetAddress("127.0.0.1");
  engine.SetPort(server.Port());
  return engine.Connect() && server.WaitForClient() &&
         WaitUntil([&] { return engine.state == TZoEngine::Connected; });
}
