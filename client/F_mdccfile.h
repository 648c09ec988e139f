// The progress window of one file transfer, sending or receiving: peer, file,
// bytes, time and speed, brought up to date every second; the caption carries
// the transfer's status.
#pragma once

#include <string>

#include "F_mdiabstract.h"
#include "U_transferstats.h"

class QLabel;
class QTimer;

class TmDCCFile : public TMDIABS {
  Q_OBJECT

 public:
  TmDCCFile(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  // Texts are CP949. Fills the window for transfer `seqnum` of its table.
  void Setup(int seqnum, const char* nick, const char* fileName, uint64_t size);
  // Shown at the next tick.
  void SetTransferred(uint64_t bytes);
  // Bytes the file held before this session; they do not count toward the
  // speed. Only the first call counts.
  void SetSessionStart(uint64_t bytes);
  void SetStatus(TTransferStatus status);
  // Stops the transfer.
  void EndOnClose(TZoEngine& engine) override;
  // The file the transfer really uses, when it differs from the offered name.
  void SetFileName(const char* fileName);
  void UpdateCaption();
  // The transfer is over: final status, the timer stops after one last update.
  void Finish(bool success);
  void Timer1Timer();

  const TTransferCounts& Counts() const { return counts_; }
  TTransferStatus Status() const { return status_; }

  int Seqnum = -1;
  // A receive; a send otherwise.
  bool Receiving = false;
  QLabel* lWith;
  QLabel* lFilename;
  QLabel* lTransfer;
  QLabel* lTime;
  QLabel* lCPS;
  QTimer* Timer1;

 private:
  void ShowLines();

  TTransferStatus status_ = TTransferStatus::Connecting;
  std::string nick_;
  std::string fileName_;
  TTransferCounts counts_;
  bool sessionStartSet_ = false;
};
