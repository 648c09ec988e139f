// The server replies that lead out of the output windows: error replies with
// their dialogs (full room, channel key, nick in use), the message of the day,
// the channel listing, and the topic and mode replies the channel dialog takes.
#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <cstring>

#include "C_channel.h"
#include "F_mainform.h"
#include "F_mchanlist.h"
#include "F_mchannel.h"
#include "F_mstatus.h"
#include "M_chaninfo.h"
#include "M_inputbox.h"
#include "M_motd.h"
#include "M_msgbox.h"
#include "U_analysis.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_ircline.h"
#include "U_lib.h"
#include "U_render.h"
#include "U_subforms.h"

namespace {

// The word up to the first blank or line end.
std::string FirstWord(const char* text) {
  const size_t length = text ? strcspn(text, " \r\n") : 0;
  return std::string(text ? text : "", length);
}

}  // namespace

void TMainForm::IRCIRC(__IRCData* record) {
  if (!record) return;
  if (const auto line = RenderStandardReply(*record)) subforms_->WriteActive(line->text.c_str(), line->kind);
  if (!isdigit(static_cast<unsigned char>(record->command[0]))) return;
  if (const auto line = RenderNumeric(record->command, record->rest))
    subforms_->WriteActive(line->text.c_str(), line->kind);
  const int code = atoi(record->command);
  if (code == 471 || code == 475 || code == 433) AskReply(code, record->rest);
  if (code == 375) StartMotd();
  if (code == 372) AddMotdLine(record->rest);
}

void TMainForm::StartMotd() {
  motdToStatus_ = motdShown_;
  if (motdToStatus_) return;
  OpenMOTD(this);
  motdShown_ = true;
}

void TMainForm::AddMotdLine(const char* rest) {
  // The text follows the reply's leading ":-".
  const char* text = strlen(rest) >= 2 ? rest + 2 : "";
  if (motdToStatus_) return subforms_->OpenStatus()->AddLine(text, kKindState);
  OpenMOTD(this)->AddLine(text);
  motdShown_ = true;
}

void TMainForm::AskReply(int code, const char* rest) {
  TQuestion question;
  question.kind = code == 471 ? TQuestionKind::FullRoom
                  : code == 475 ? TQuestionKind::ChannelKey
                                : TQuestionKind::NickInUse;
  question.channel = code == 475 ? FirstWord(rest) : std::string();
  // Refusals that find the queue full show their error line only.
  if (code != 475 || !question.channel.empty()) Ask(question);
}

TQuestions::TAdded TMainForm::Ask(const TQuestion& question) {
  const TQuestions::TAdded added = questions_.Add(question, TQuestions::Clock::now());
  if (added != TQuestions::TAdded::Queued) return added;
  ArmQuestionExpiry();
  // Asked from the event loop: a dialog's nested loop must not run inside the
  // engine's handling of the line.
  QMetaObject::invokeMethod(this, &TMainForm::AskWaiting, Qt::QueuedConnection);
  return added;
}

void TMainForm::AskWaiting() {
  QPointer<TMainForm> alive(this);
  // None while a question is being asked: that one asks for the rest in turn.
  while (const auto next = questions_.Next()) {
    AskOne(next->id, next->question);
    if (!alive) return;
    questions_.Answered(next->id);
  }
}

void TMainForm::AskOne(uint64_t id, const TQuestion& question) {
  askedModalDepth_ = RunningModalCount();
  switch (question.kind) {
    case TQuestionKind::FullRoom:
      ShowMessageBox(Cp949Literal("대화실 인원이 모두차서 입장할수 없습니다."));
      return;
    case TQuestionKind::NickInUse:
      ShowNickChange();
      return;
    case TQuestionKind::FileOffer:
      AskFileOffer(id, question);
      return;
    case TQuestionKind::ChatOffer:
      AskChatOffer(id, question);
      return;
    case TQuestionKind::ChannelKey:
      break;
  }
  QPointer<TMainForm> alive(this);
  const std::string answer = ShowInputBox(Cp949Literal("채널 암호 입력"),
                                          ComposeLine("%s 채널의 암호를 입력해 주세요", {question.channel.c_str()}).c_str());
  if (!alive) return;
  // A key is one word: whatever follows a blank would become a further parameter.
  const std::string key = FirstWord(answer.c_str());
  if (!key.empty()) Send(Irc::Join(question.channel, key));
}

void TMainForm::ExpireQuestions() {
  const auto asked = questions_.AskingId();
  for (const TQuestion& offer : questions_.Expire(TQuestions::Clock::now())) {
    if (offer.kind == TQuestionKind::FileOffer) IRC.DeclineRecv(offer.seqnum);
    if (offer.kind == TQuestionKind::ChatOffer) IRC.DeclineChat(offer.seqnum);
    subforms_->Write(RenderOfferDropped(offer, TOfferDrop::Expired));
  }
  ArmQuestionExpiry();
  // The dialogs of an offer that expired while asked close unanswered.
  if (asked && !questions_.Open(*asked)) CancelModalsAbove(askedModalDepth_);
}

void TMainForm::ArmQuestionExpiry() {
  const auto deadline = questions_.NextDeadline();
  if (!deadline) {
    tQuestions->stop();
    return;
  }
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - TQuestions::Clock::now());
  tQuestions->start(std::chrono::milliseconds(std::max<int64_t>(wait.count(), 0)));
}

void TMainForm::IRCList(int numeric, const char* channel, const char* topic, int users) {
  // Servers that send no start reply open the listing with its first row.
  if (numeric == 322 && !Listing) IRCList(321, nullptr, nullptr, 0);
  if (const auto line = RenderList(numeric)) subforms_->WriteActive(line->text.c_str(), line->kind);
  if (numeric == 321) {
    listWindow_ = subforms_->OpenChanList();
    listWindow_->ListReply(numeric, nullptr, 0, nullptr);
    Listing = true;
    return;
  }
  // Rows and the end go to the window the last start opened; a window closed
  // meanwhile is not touched.
  if (numeric == 322) {
    if (listWindow_) listWindow_->ListReply(numeric, channel, users, topic);
    return;
  }
  if (listWindow_) {
    listWindow_->ListReply(numeric, nullptr, 0, nullptr);
    listWindow_->Activate();
  }
  listWindow_ = nullptr;
  Listing = false;
}

void TMainForm::AbandonListing() {
  if (!Listing) return;
  if (listWindow_) listWindow_->ListReply(0, nullptr, 0, nullptr);
  listWindow_ = nullptr;
  Listing = false;
}

void TMainForm::IRCNTopic(const char* channel, const char* topic) {
  if (TmChanInfo* dialog = TmChanInfo::Current(); dialog && dialog->ShowTopic(channel, topic)) return;
  if (const auto line = RenderNTopic(channel, topic)) subforms_->WriteChannel(line->name.c_str(), line->text.c_str(), line->kind);
  subforms_->TopicChanged(channel, topic);
}

void TMainForm::IRCChanMode(const char* channel, const char*) {
  if (!IsChannelName(channel)) return;
  subforms_->ChannelModesChanged(channel);
  const CZoChannel* record = IRC.FindChan(channel);
  if (TmChanInfo* dialog = TmChanInfo::Current(); dialog && record)
    dialog->ShowModes(channel, record->Modes(), record->Key(), record->Limit());
}

void TMainForm::ShowChanChange() {
  TMDIABS* front = subforms_->FrontForm();
  if (!front || front->Kind != wkChannel || TmChanInfo::Current()) return;
  // Kept by name: the window may close while the dialog is open.
  const std::string channel = static_cast<TmChannel*>(front)->ChannelName;
  TModalHolder<TmChanInfo> dialog([this](const char* line) { IRC.Send(line); });
  if (!dialog) return;
  dialog->ChanName = channel;
  Send(Irc::Topic(channel) + Irc::Mode(channel));
  dialog->ShowModal();
}
