#include "U_modalman.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <vector>

namespace {

struct TDialogSkin {
  TFrameColorRecord record{0x000000, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xFFFFFF,
                           0x000000, 0x000000, 0xC0C0C0, 0x808080, 18,       14};
  uint32_t modalFg = 0x000000;
};

TDialogSkin& DialogSkin() {
  static TDialogSkin skin;
  return skin;
}

QPointer<QWidget>& Owner() {
  static QPointer<QWidget> owner;
  return owner;
}

TModalAnswer& Answer() {
  static TModalAnswer answer;
  return answer;
}

// The dialogs whose ShowModal runs, the innermost last.
std::vector<QPointer<TModalForm>>& Running() {
  static std::vector<QPointer<TModalForm>> running;
  return running;
}

// Keeps a dialog on the running list for the length of its ShowModal.
class TRunningScope {
 public:
  explicit TRunningScope(TModalForm* form) { Running().emplace_back(form); }
  ~TRunningScope() { Running().pop_back(); }
  TRunningScope(const TRunningScope&) = delete;
  TRunningScope& operator=(const TRunningScope&) = delete;
};

}  // namespace

size_t RunningModalCount() { return Running().size(); }

void RaiseRunningModal() {
  if (!Running().empty() && Running().back()) Running().back()->raise();
}

void CancelModalsAbove(size_t keep) {
  // Copied: closing lets the loops unwind, which shortens the list.
  const std::vector<QPointer<TModalForm>> running = Running();
  for (size_t i = running.size(); i-- > keep;)
    if (running[i]) running[i]->SetModalResult(mrCancel);
}

void SetModalOwner(QWidget* owner) { Owner() = owner; }

QWidget* ModalOwner() { return Owner().data(); }

void SetDialogSkin(const TFrameColorRecord& record, uint32_t modalFg) { DialogSkin() = {record, modalFg}; }

const TFrameColorRecord& DialogFrameColors() { return DialogSkin().record; }

uint32_t DialogTextColor() { return DialogSkin().modalFg; }

void SetModalAnswer(TModalAnswer answer) { Answer() = std::move(answer); }

TModalForm::TModalForm(QWidget* owner, QSize design) : TFlatForm(owner, true, design) {
  // Above the client as the message of the day is: under it, the dialog's
  // modality would block the viewer's button with the dialog out of sight.
  setWindowFlag(Qt::WindowStaysOnTopHint);
  Sizeable = false;
  HideEnabled = false;
  pClient->setFont(font());  // dialogs are designed in the form's face
  ApplyFrameColors(DialogFrameColors());
}

int TModalForm::ShowModal() {
  modalResult_ = mrNone;
  TRunningScope running(this);
  setWindowModality(Qt::ApplicationModal);
  CentreOnOwner();
  show();
  activateWindow();
  QPointer<TModalForm> alive(this);
  if (Answer()) Answer()(*this);
  if (alive && isVisible()) {
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);  // the owner went first
    loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    if (alive) loop_ = nullptr;
  }
  if (!alive) return mrCancel;
  hide();
  return modalResult_;
}

void TModalForm::SetModalResult(int result) {
  modalResult_ = result;
  close();
}

void TModalForm::closeEvent(QCloseEvent* event) {
  TFlatForm::closeEvent(event);
  if (modalResult_ == mrNone) modalResult_ = mrCancel;
  if (loop_) loop_->quit();
}
