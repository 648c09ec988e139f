// Direct chats and file transfers as the main window answers them: the
// member-menu items that start them and the engine's DCC events, shown in the
// chat and progress windows.
#include <QPointer>
#include <string>

#include "F_mainform.h"
#include "F_mdccchat.h"
#include "F_mdccfile.h"
#include "M_filesave.h"
#include "M_filesend.h"
#include "M_msgbox.h"
#include "U_render.h"
#include "U_codepage.h"
#include "U_subforms.h"

void TMainForm::miSendDCCClick() {
  std::string channel;
  std::string nick;
  if (!OtherMemberTarget(&channel, &nick)) return;
  const std::string path = AskSendFile(nick.c_str(), datas_.DCCDir);
  if (path.empty()) return;
  const FileHandle file = OpenFileToSend(path);
  if (file == kNoFile) return;
  IRC.SendFile(nick.c_str(), OfferedFileName(path).c_str(), file);
}

void TMainForm::miDCCChatClick() {
  std::string channel;
  std::string nick;
  if (!OtherMemberTarget(&channel, &nick)) return;
  TmDCCChat* form = subforms_->NewDCCChat();
  form->SetNick(nick.c_str());
  form->ChatId = IRC.SendChatRequest(nick.c_str());
  subforms_->Write(RenderChatRequested(form->ChatId, nick.c_str()));
}

void TMainForm::IRCDCCChat(int seqnum, const char* nick, const char* address, int port, int* accept) {
  // A number that already has a window is a repeated offer: left declined.
  if (subforms_->FindDCCChat(seqnum)) return;
  if (datas_.DCCChatAutoAccept) {
    OpenOfferedChat(seqnum, nick, address, port);
    *accept = 1;
    return;
  }
  if (QueueOffer(TQuestion::ChatOffer(seqnum, nick, address, port))) *accept = kChatAskLater;
}

void TMainForm::OpenOfferedChat(int seqnum, const char* nick, const char* address, int port) {
  TmDCCChat* form = subforms_->NewDCCChat();
  form->ChatId = seqnum;
  form->SetNick(nick);
  subforms_->Write(RenderChatConnecting(seqnum, nick, address, port));
}

void TMainForm::AskChatOffer(uint64_t id, const TQuestion& offer) {
  QPointer<TMainForm> alive(this);
  const bool accepted = ShowConfirmBox(ChatOfferPrompt(offer.nick.c_str()).c_str());
  // An offer that expired meanwhile is already declined.
  if (!alive || !questions_.Open(id)) return;
  if (!accepted) {
    IRC.DeclineChat(offer.seqnum);
    return;
  }
  OpenOfferedChat(offer.seqnum, offer.nick.c_str(), offer.address.c_str(), offer.port);
  IRC.AcceptChat(offer.seqnum);
}

bool TMainForm::QueueOffer(const TQuestion& offer) {
  if (Ask(offer) == TQuestions::TAdded::Queued) return true;
  subforms_->Write(RenderOfferDropped(offer, TOfferDrop::TooMany));
  return false;
}

void TMainForm::IRCDCCChatConnect(int seqnum) {
  subforms_->Write(RenderChatConnected(seqnum));
}

void TMainForm::IRCDCCChatDisconnect(int seqnum) {
  subforms_->Write(RenderChatDisconnected(seqnum));
}

void TMainForm::IRCDCCChatMessage(int seqnum, const char* text) {
  if (TmDCCChat* form = subforms_->FindDCCChat(seqnum)) form->AddMessage(text);
}

void TMainForm::IRCSendReady(int seqnum, const char* nick, const char* fileName, uint64_t size) {
  TmDCCFile* form = subforms_->NewDCCSend();
  form->Setup(seqnum, nick, fileName, size);
  form->SetStatus(TTransferStatus::WaitingToSend);
  form->UpdateCaption();
}

void TMainForm::IRCConnectForSend(int seqnum) {
  if (TmDCCFile* form = subforms_->FindDCCSend(seqnum)) {
    form->SetStatus(TTransferStatus::Connected);
    form->UpdateCaption();
  }
}

void TMainForm::IRCSentPack(int seqnum, uint32_t, uint64_t, uint64_t acked) {
  TmDCCFile* form = subforms_->FindDCCSend(seqnum);
  if (!form) return;
  // The first acknowledged position is where a resumed send began.
  form->SetSessionStart(acked);
  form->SetTransferred(acked);
}

void TMainForm::IRCDisconnectSend(int seqnum, bool success) {
  if (TmDCCFile* form = subforms_->FindDCCSend(seqnum)) form->Finish(success);
}

void TMainForm::IRCSendRequest(int seqnum, const char* nick, const char* fileName, uint64_t size,
                               FileHandle* file) {
  if (QueueOffer(TQuestion::FileOffer(seqnum, nick, fileName, size))) *file = kFileAskLater;
}

void TMainForm::AskFileOffer(uint64_t id, const TQuestion& offer) {
  QPointer<TMainForm> alive(this);
  // An offer that expires while its dialog is open is already declined: the
  // answer then opens no file.
  const FileHandle file = AskSaveFile(offer.nick.c_str(), offer.fileName.c_str(), offer.size, datas_.DCCDir,
                                      [&] { return alive && questions_.Open(id); });
  if (!alive || !questions_.Open(id)) return;
  if (file == kNoFile) {
    IRC.DeclineRecv(offer.seqnum);
    return;
  }
  // The window comes first: the engine may report the end at once.
  TmDCCFile* form = subforms_->NewDCCRecv();
  form->Setup(offer.seqnum, offer.nick.c_str(), offer.fileName.c_str(), offer.size);
  form->SetSessionStart(FileSize(file));
  form->SetStatus(TTransferStatus::Connecting);
  form->UpdateCaption();
  // The engine keeps a bounded number of offers waiting and may have let this one go.
  if (IRC.AcceptRecv(offer.seqnum, file)) return;
  FileClose(file);
  subforms_->CloseForm(form);
}

void TMainForm::IRCConnectRecv(int seqnum) {
  TmDCCFile* form = subforms_->FindDCCRecv(seqnum);
  if (!form) return;
  // A name another receive is writing gets a file beside it: show that one.
  const std::string path = IRC.RecvFilePath(seqnum);
  if (!path.empty()) form->SetFileName(path.substr(path.rfind('/') + 1).c_str());
  form->SetStatus(TTransferStatus::Connected);
  form->UpdateCaption();
}

void TMainForm::IRCRecvPack(int seqnum, uint32_t, uint64_t position) {
  if (TmDCCFile* form = subforms_->FindDCCRecv(seqnum)) form->SetTransferred(position);
}

void TMainForm::IRCDisconnectRecv(int seqnum, bool success) {
  if (TmDCCFile* form = subforms_->FindDCCRecv(seqnum)) form->Finish(success);
}
