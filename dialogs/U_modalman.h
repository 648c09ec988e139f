// How the client's modal dialogs run: their owner, the skin values they are
// drawn in, the nested loop that returns their result, and the hook through
// which tests answer them instead of a person.
#pragma once

#include <QPointer>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>

#include "F_flatform.h"
#include "U_framecolors.h"

class QEventLoop;

enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// The window that owns every dialog (the main window); none until it is set.
void SetModalOwner(QWidget* owner);
QWidget* ModalOwner();

// The skin's dialog frame colour record and its "modal-fg" text colour; the
// skin's defaults until set. Dialogs read them when they are created.
void SetDialogSkin(const TFrameColorRecord& record, uint32_t modalFg);
const TFrameColorRecord& DialogFrameColors();
uint32_t DialogTextColor();

// A flat frame that runs as a modal dialog in the skin's dialog colours.
class TModalForm : public TFlatForm {
  Q_OBJECT

 public:
  TModalForm(QWidget* owner, QSize design);

  // Shows the form centred on its owner and returns once it has closed.
  int ShowModal();
  // Ends the modal loop with `result`.
  void SetModalResult(int result);
  int ModalResult() const { return modalResult_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  int modalResult_ = mrNone;
  QEventLoop* loop_ = nullptr;
};

// How many dialogs are running their modal loops, nested one in another.
size_t RunningModalCount();
// Puts the innermost running dialog back on top of a window shown after it.
void RaiseRunningModal();
// Closes as cancelled the running dialogs beyond the first `keep`, the
// innermost first.
void CancelModalsAbove(size_t keep);

// Called with each dialog once it is shown, before its loop would start; a
// dialog the hook has closed runs no loop. Empty for a person at the screen.
using TModalAnswer = std::function<void(TModalForm&)>;
void SetModalAnswer(TModalAnswer answer);

// Owns a dialog for the length of a call. The dialog is the owner's child, so
// when the owner goes first it takes the dialog along and this holds nothing.
template <class T>
class TModalHolder {
 public:
  template <class... Args>
  explicit TModalHolder(Args&&... args) : form_(new T(ModalOwner(), std::forward<Args>(args)...)) {}
  ~TModalHolder() { delete form_.data(); }
  TModalHolder(const TModalHolder&) = delete;
  TModalHolder& operator=(const TModalHolder&) = delete;

  T* operator->() const { return form_.data(); }
  T& operator*() const { return *form_; }
  explicit operator bool() const { return !form_.isNull(); }

 private:
  QPointer<T> form_;
};
