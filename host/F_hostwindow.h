// The host program's window, standing in for the page: the control's widget
// on top, and below it the page's own parts, an input line and the buttons
// that drive the control through its name dispatch, as the page's script does.
#pragma once

#include <QPointer>
#include <QWidget>

#include "com_dispatch.h"

class QLineEdit;

class THostWindow : public QWidget {
  Q_OBJECT

 public:
  // `control` stays referenced for the window's life; `view` is the
  // control's widget, made a child of this window.
  THostWindow(IDispatch* control, QWidget* view);
  ~THostWindow() override;

  // Calls a method of the control by name; a failure goes to standard error.
  void Call(const char* method, const QString& text = {});

  QLineEdit* eInput;

 private:
  void AddButtons(class QHBoxLayout* row);
  void eInputReturnPressed();

  ComPtr<IDispatch> control_;
  QPointer<QWidget> view_;
};
