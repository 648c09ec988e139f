#include "F_mdccfile.h"

#include <QLabel>
#include <QTimer>

#include "U_codepage.h"
#include "U_subforms.h"
#include "Zoengine.h"

namespace {

constexpr int kClientWidth = 300;
constexpr int kClientHeight = 110;
constexpr int kLineHeight = 20;

}  // namespace

TmDCCFile::TmDCCFile(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TMDIABS(panel, manager, colors) {
  Kind = wkDccFile;
  Sizeable = false;
  setWindowTitle("mDCCFile");
  // The frame keeps one pixel each side and the caption above the content.
  resize(kClientWidth + 2, kClientHeight + CaptionHeight + 1);
  pClient->setGeometry(1, CaptionHeight, kClientWidth, kClientHeight);
  QLabel** labels[] = {&lWith, &lFilename, &lTransfer, &lTime, &lCPS};
  int top = 6;
  for (QLabel** label : labels) {
    *label = new QLabel(pClient);
    (*label)->setGeometry(8, top, kClientWidth - 16, kLineHeight - 2);
    top += kLineHeight;
  }
  Timer1 = new QTimer(this);
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TmDCCFile::Timer1Timer);
  Timer1->start();
  ShowLines();
}

void TmDCCFile::Setup(int seqnum, const char* nick, const char* fileName, uint64_t size) {
  Seqnum = seqnum;
  nick_ = nick ? nick : "";
  fileName_ = fileName ? fileName : "";
  counts_.total = size;
  ShowLines();
}

void TmDCCFile::SetFileName(const char* fileName) {
  fileName_ = fileName;
  ShowLines();
}

void TmDCCFile::SetTransferred(uint64_t bytes) { counts_.transferred = bytes; }

void TmDCCFile::SetSessionStart(uint64_t bytes) {
  if (sessionStartSet_) return;
  sessionStartSet_ = true;
  counts_.sessionStart = bytes;
  if (counts_.transferred < bytes) counts_.transferred = bytes;
}

void TmDCCFile::SetStatus(TTransferStatus status) { status_ = status; }

void TmDCCFile::UpdateCaption() {
  setWindowTitle(DecodeDisplay(TransferCaption(nick_.c_str(), TransferStatusText(status_)).c_str()));
  update();
}

void TmDCCFile::Finish(bool success) {
  if (!Timer1->isActive()) return;  // already over
  SetStatus(success ? TTransferStatus::Succeeded : TTransferStatus::Failed);
  UpdateCaption();
  Timer1->stop();
  TickTransfer(counts_);
  ShowLines();
}

void TmDCCFile::Timer1Timer() {
  TickTransfer(counts_);
  ShowLines();
}

void TmDCCFile::ShowLines() {
  const TTransferLines lines = TransferLines(nick_.c_str(), fileName_.c_str(), Receiving, counts_);
  lWith->setText(DecodeDisplay(lines.with.c_str()));
  lFilename->setText(DecodeDisplay(lines.fileName.c_str()));
  lTransfer->setText(DecodeDisplay(lines.transfer.c_str()));
  lTime->setText(DecodeDisplay(lines.time.c_str()));
  lCPS->setText(DecodeDisplay(lines.speed.c_str()));
}

void TmDCCFile::EndOnClose(TZoEngine& engine) {
  if (Receiving)
    engine.CancelRecv(Seqnum);
  else
    engine.CancelSend(Seqnum);
}
