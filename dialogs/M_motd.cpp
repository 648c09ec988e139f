#include "M_motd.h"

#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include "U_dlgcontrols.h"

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

TmMOTD* OpenMOTD(QWidget* owner) {
  if (!OpenWindow()) {
    OpenWindow() = new TmMOTD(owner);
    OpenWindow()->CentreOnScreen();
    OpenWindow()->show();
  }
  return OpenWindow();
}
