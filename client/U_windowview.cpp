#include "U_windowview.h"

#include <QApplication>
#include <QLabel>

#include "C_channel.h"
#include "F_mainform.h"
#include "F_mchanlist.h"
#include "F_mchannel.h"
#include "F_mdccchat.h"
#include "F_mdccfile.h"
#include "F_mquery.h"
#include "F_mstatus.h"
#include "M_chaninfo.h"
#include "M_filesave.h"
#include "M_inputbox.h"
#include "M_motd.h"
#include "M_msgbox.h"
#include "M_nickchange.h"
#include "M_settings.h"
#include "M_trustbox.h"
#include "U_chatclient.h"
#include "U_codepage.h"
#include "U_ircline.h"
#include "U_modalman.h"
#include "U_render.h"
#include "U_skinfile.h"
#include "U_userlist.h"

TWindowView::TWindowView(TMainForm& form, QWidget* area, TChatClient& client, const TSkinValues& skin)
    : form_(form), client_(client), subforms_(area, &form, client.Engine(), skin, skin.SubWinFrame) {}

// --- lines ---

void TWindowView::Show(TMDIABS* form, const TOutLine& line) {
  if (TmABSRich* pane = form ? form->Output() : nullptr) pane->AddLine(line);
}

void TWindowView::WriteActive(const TOutLine& line) {
  TMDIABS* front = subforms_.FrontForm();
  Show(front && front->Output() ? front : subforms_.Find<TmStatus>(nullptr), line);
}

void TWindowView::Write(const TOutLine& line) {
  switch (line.where) {
    case TOutTarget::Active: return WriteActive(line);
    case TOutTarget::Status: return Show(subforms_.OpenStatus(), line);
    case TOutTarget::Channel: return Show(Channel(line.name), line);
    // A query line keeps its own kind: an own echo is not a received message.
    case TOutTarget::Query: return Show(subforms_.OpenQuery(line.name.c_str()), line);
    case TOutTarget::Chat: return Show(subforms_.FindDCCChat(line.chat), line);
    case TOutTarget::All:
      return subforms_.Each<TMDIABS>([&](TMDIABS& form) {
        if (form.Kind != wkDccChat) Show(&form, line);
      });
    case TOutTarget::Renamed:
      return subforms_.Each<TMDIABS>([&](TMDIABS& form) {
        if (form.Knows(line.name.c_str())) Show(&form, line);
      });
    case TOutTarget::None: return;
  }
}

int TWindowView::OpenQueries() const {
  int open = 0;
  subforms_.Each<TmQuery>([&](TmQuery&) { ++open; });
  return open;
}

// --- windows ---

TmChannel* TWindowView::Channel(const std::string& name) const { return subforms_.FindChannel(name.c_str()); }

TFront TWindowView::InputFront() const { return subforms_.InputFront(); }

bool TWindowView::HostActive() const { return form_.isActiveWindow(); }

void TWindowView::Alert() { QApplication::alert(form_.window()); }

bool TWindowView::IsOpen(TFrontKind kind, const std::string& name) const {
  if (kind == TFrontKind::Channel) return Channel(name);
  return kind == TFrontKind::Query && subforms_.Find<TmQuery>(name.c_str());
}

std::vector<std::string> TWindowView::OpenChannels() const {
  std::vector<std::string> names;
  subforms_.Each<TmChannel>([&](TmChannel& form) { names.push_back(form.ChannelName); });
  return names;
}

void TWindowView::OpenChannel(const std::string& name) { subforms_.OpenChannel(name.c_str()); }

void TWindowView::CloseChannel(const std::string& name) {
  TmChannel* form = Channel(name);
  if (!form) return;
  form->Parted = true;
  subforms_.CloseForm(form);
}

void TWindowView::ActivateChannel(const std::string& name) {
  if (TmChannel* form = Channel(name)) subforms_.PostActivate(form);
}

void TWindowView::ShowQuery(const std::string& nick) {
  TmQuery* query = subforms_.OpenQuery(nick.c_str());
  query->show();
  query->Activate();
}

void TWindowView::OpenChat(int chatId, const std::string& nick) {
  TmDCCChat* form = subforms_.NewDCCChat();
  form->SetNick(nick.c_str());
  form->ChatId = chatId;
}

std::string TWindowView::ChatPeer(int chatId) const {
  const TmDCCChat* form = subforms_.FindDCCChat(chatId);
  return form ? form->Nick : std::string();
}

void TWindowView::ShowOwnNick(const std::string& nick) {
  ownNick_ = nick;
  ShowOwnState();
}

void TWindowView::ShowOwnAway(bool away) {
  away_ = away;
  ShowOwnState();
}

void TWindowView::ShowOwnState() {
  form_.lbNick->setText(DecodeDisplay(ownNick_.c_str()) + (away_ ? QString::fromUtf8(" (자리 비움)") : QString()));
}

// --- members and channel state ---

IZoMemberNews* TWindowView::MemberList(const std::string& channel) {
  TmChannel* form = Channel(channel);
  return form ? &form->Members() : nullptr;
}

void TWindowView::NickChanged(const std::string& oldNick, const std::string& newNick) {
  subforms_.Each<TMDIABS>([&](TMDIABS& form) { form.Rename(oldNick.c_str(), newNick.c_str()); });
}

void TWindowView::ChannelChanged(const std::string& channel) {
  if (TmChannel* form = Channel(channel)) form->UpdateCaption();
}

// --- the listing, the message of the day, the channel dialog ---

void TWindowView::ListReply(int numeric, const char* channel, int users, const char* topic) {
  if (numeric == 321) listWindow_ = subforms_.OpenChanList();
  // Rows and the end go to the window the last start opened; a window closed
  // meanwhile is not touched.
  if (!listWindow_) return;
  listWindow_->ListReply(numeric, channel, users, topic);
  if (numeric == 322 || numeric == 321) return;
  if (numeric == 323) listWindow_->Activate();
  listWindow_ = nullptr;
}

void TWindowView::OpenMotd() { OpenMOTD(&form_); }

void TWindowView::AddMotdLine(const char* text) { OpenMOTD(&form_)->AddLine(text); }

bool TWindowView::TopicAnswered(const std::string& channel, const std::string& topic) {
  TmChanInfo* dialog = TmChanInfo::Current();
  return dialog && dialog->ShowTopic(channel.c_str(), topic.c_str());
}

void TWindowView::ModesAnswered(const std::string& channel) {
  const CZoChannel* record = client_.Engine().FindChan(channel.c_str());
  if (TmChanInfo* dialog = TmChanInfo::Current(); dialog && record)
    dialog->ShowModes(channel.c_str(), record->Modes(), record->Key(), record->Limit());
}

// --- the dialogs the user opens ---

void TWindowView::ShowNickChange() {
  if (nickDialogOpen_) return;  // a nick refused meanwhile is answered by the open dialog
  nickDialogOpen_ = true;
  QPointer<TMainForm> alive(&form_);
  {
    TModalHolder<TmNickChange> dialog(EngineNickRequest(client_.Engine(), [this](const char* nick) {
      client_.Settings().Nick = nick;
      ShowOwnNick(nick);
    }));
    if (dialog) dialog->ShowModal();
  }
  if (alive) nickDialogOpen_ = false;
}

void TWindowView::ShowChanChange() {
  auto* front = qobject_cast<TmChannel*>(subforms_.FrontForm());
  if (!front || TmChanInfo::Current()) return;
  // Kept by name: the window may close while the dialog is open.
  const std::string channel = front->ChannelName;
  TModalHolder<TmChanInfo> dialog([this](const char* line) { client_.Engine().Send(line); });
  if (!dialog) return;
  dialog->ChanName = channel;
  client_.Send(Irc::Topic(channel) + Irc::Mode(channel));
  dialog->ShowModal();
}

void TWindowView::ShowSettings() {
  if (settingsOpen_) return;
  settingsOpen_ = true;
  QPointer<TMainForm> alive(&form_);
  TSettingValues values;
  {
    TModalHolder<TmSettings> dialog(client_.Settings(), client_.ServerInUse());
    if (dialog && dialog->ShowModal() == mrOk) values = dialog->Values();
  }
  if (!alive) return;
  settingsOpen_ = false;
  if (values.empty()) return;
  // The host may show the input line without the setting; only a change moves it.
  const int32_t inputLine = client_.Settings().InputLine;
  client_.ChangeSettings(values);
  if (client_.Settings().InputLine != inputLine) form_.ShowInputLine(client_.Settings().InputLine != 0);
}

// --- file transfers ---

void TWindowView::OpenTransfer(const TTransferShown& transfer) {
  TmDCCFile* form = transfer.receiving ? subforms_.NewDCCRecv() : subforms_.NewDCCSend();
  form->Setup(transfer.seqnum, transfer.nick.c_str(), transfer.fileName.c_str(), transfer.size);
  if (transfer.receiving) form->SetSessionStart(transfer.sessionStart);
  form->SetStatus(transfer.receiving ? TTransferStatus::Connecting : TTransferStatus::WaitingToSend);
  form->UpdateCaption();
}

void TWindowView::TransferConnected(int seqnum, bool receiving, const std::string& fileName) {
  TmDCCFile* form = receiving ? subforms_.FindDCCRecv(seqnum) : subforms_.FindDCCSend(seqnum);
  if (!form) return;
  if (!fileName.empty()) form->SetFileName(fileName.c_str());
  form->SetStatus(TTransferStatus::Connected);
  form->UpdateCaption();
}

void TWindowView::TransferProgress(int seqnum, bool receiving, uint64_t position) {
  TmDCCFile* form = receiving ? subforms_.FindDCCRecv(seqnum) : subforms_.FindDCCSend(seqnum);
  if (!form) return;
  // A send's first acknowledged position is where a resumed send began.
  if (!receiving) form->SetSessionStart(position);
  form->SetTransferred(position);
}

void TWindowView::TransferEnded(int seqnum, bool receiving, bool success) {
  TmDCCFile* form = receiving ? subforms_.FindDCCRecv(seqnum) : subforms_.FindDCCSend(seqnum);
  if (form) form->Finish(success);
}

void TWindowView::CloseTransfer(int seqnum, bool receiving) {
  subforms_.CloseForm(receiving ? subforms_.FindDCCRecv(seqnum) : subforms_.FindDCCSend(seqnum));
}

// --- questions ---

void TWindowView::NoteAsking() { askedModalDepth_ = RunningModalCount(); }

void TWindowView::Tell(const std::string& text) {
  NoteAsking();
  ShowMessageBox(text.c_str());
}

void TWindowView::AskNick() {
  NoteAsking();
  ShowNickChange();
}

std::string TWindowView::AskKey(const std::string& channel) {
  NoteAsking();
  return ShowInputBox(Cp949Literal("채널 암호 입력"),
                      ComposeLine("%s 채널의 암호를 입력해 주세요", {channel.c_str()}).c_str());
}

bool TWindowView::AskChat(const std::string& nick) {
  NoteAsking();
  return ShowConfirmBox(ChatOfferPrompt(nick.c_str()).c_str());
}

bool TWindowView::AskTrust(const std::string& host, const std::string& fingerprint) {
  NoteAsking();
  return AskTrustCertificate(DecodeDisplay(host.c_str()), QString::fromStdString(fingerprint));
}

FileHandle TWindowView::AskSaveFile(const TQuestion& offer, const std::function<bool()>& stillOpen) {
  NoteAsking();
  return ::AskSaveFile(offer.nick.c_str(), offer.fileName.c_str(), offer.size, client_.Settings().DCCDir, stillOpen);
}

void TWindowView::CancelQuestion() { CancelModalsAbove(askedModalDepth_); }
