#include "M_motd.h"

#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <QToolButton>

#include "U_dlgcontrols.h"
#include "U_modalman.h"

namespace {

TmMOTD*& OpenWindow() {
  static TmMOTD* window = nullptr;
  return window;
}

}  // namespace

TmMOTD::TmMOTD(QWidget* owner)
    : TFlatForm(owner, true, QSize(512, 369)),
      rView(new QTextEdit(pClient)),
      sbOk(MakeFlatButton(pClient, QRect(219, 312, 65, 22), QString::fromUtf8("확인"))) {
  setWindowTitle(QString::fromUtf8("공지사항"));
  setFont(pClient->font());
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setAttribute(Qt::WA_DeleteOnClose);
  // It comes unasked while the user may be typing: the keyboard stays put.
  setAttribute(Qt::WA_ShowWithoutActivating);
  // In the dialogs' colours like every window over the client.
  ApplyFrameColors(DialogFrameColors());
  rView->setGeometry(8, 8, 489, 289);
  rView->setReadOnly(true);
  rView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  connect(sbOk, &QToolButton::clicked, this, &QWidget::close);
}

TmMOTD::~TmMOTD() {
  if (OpenWindow() == this) OpenWindow() = nullptr;
}

void TmMOTD::AddLine(const char* text) {
  pending_.Add(text ? text : "", 0x000000);
  if (showScheduled_) return;
  showScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    showScheduled_ = false;
    ShowPendingLines();
  });
}

void TmMOTD::ShowPendingLines() { pending_.ShowIn(rView); }

TmMOTD* CurrentMOTD() { return OpenWindow(); }

// The text and the button follow the window's size.
void TmMOTD::resizeEvent(QResizeEvent* event) {
  TFlatForm::resizeEvent(event);
  const QSize area = pClient->size();
  rView->setGeometry(8, 8, std::max(0, area.width() - 23), std::max(0, area.height() - 80));
  sbOk->move((area.width() - sbOk->width()) / 2, area.height() - 57);
}

TmMOTD* OpenMOTD(QWidget* owner) {
  if (!OpenWindow()) {
    OpenWindow() = new TmMOTD(owner);
    // Within a client smaller than the design, so it hangs over nothing else.
    if (owner && owner->isVisible()) OpenWindow()->resize(OpenWindow()->size().boundedTo(owner->size()));
    OpenWindow()->CentreOnOwner();
    OpenWindow()->show();
    // Coming while a dialog waits, it must not cover the dialog.
    RaiseRunningModal();
  }
  return OpenWindow();
}
