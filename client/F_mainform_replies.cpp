// The server replies that lead out of the output windows: error replies with
// their dialogs (full room, channel key, nick in use), the message of the day,
// the channel listing, and the topic and mode replies the channel dialog takes.
#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <cctype>
#include <cstring>

#include "C_channel.h"
#include "F_mainform.h"
#include "F_mchanlist.h"
#include "F_mchannel.h"
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

// Questions that may wait at one time; further refusals meanwhile show their
// error line only. The same question is never queued twice.
constexpr size_t kMaxQuestions = 8;

// The word up to the first blank or line end.
std::string FirstWord(const char* text) {
  const size_t length = text ? strcspn(text, " \r\n") : 0;
  return std::string(text ? text : "", length);
}

}  // namespace

void TMainForm::IRCIRC(__IRCData* IRCData) {
  if (!IRCData) return;
  if (const auto line = RenderStandardReply(*IRCData)) subforms_->WriteActive(line->text.c_str(), line->kind);
  if (!isdigit(static_cast<unsigned char>(IRCData->command[0]))) return;
  if (const auto line = RenderNumeric(IRCData->command, IRCData->rest))
    subforms_->WriteActive(line->text.c_str(), line->kind);
  const int code = atoi(IRCData->command);
  if (code == 471 || code == 475 || code == 433) Ask(code, IRCData->rest);
  if (code == 375) OpenMOTD(this);
  if (code == 372) AddMotdLine(IRCData->rest);
}

void TMainForm::AddMotdLine(const char* rest) {
  // The text follows the reply's leading ":-".
  const char* text = strlen(rest) >= 2 ? rest + 2 : "";
  OpenMOTD(this)->AddLine(text);
}

void TMainForm::Ask(int code, const char* rest) {
  const std::string channel = code == 475 ? FirstWord(rest) : std::string();
  if ((code == 475 && channel.empty()) || questions_.size() >= kMaxQuestions) return;
  const auto same = [&](const std::pair<int, std::string>& waiting) {
    return waiting.first == code && ZoSameName(waiting.second.c_str(), channel.c_str());
  };
  if (std::any_of(questions_.begin(), questions_.end(), same)) return;
  questions_.emplace_back(code, channel);
  // Asked from the event loop: a dialog's nested loop must not run inside the
  // engine's handling of the reply.
  QMetaObject::invokeMethod(this, &TMainForm::AskWaiting, Qt::QueuedConnection);
}

void TMainForm::AskWaiting() {
  if (asking_) return;  // the running question asks for the waiting ones in turn
  asking_ = true;
  QPointer<TMainForm> alive(this);
  while (!questions_.empty()) {
    const auto [code, channel] = questions_.front();
    AskOne(code, channel);
    if (!alive) return;
    questions_.pop_front();
  }
  asking_ = false;
}

void TMainForm::AskOne(int code, const std::string& channel) {
  if (code == 471) {
    ShowMessageBox(Cp949Literal("대화실 인원이 모두차서 입장할수 없습니다."));
  } else if (code == 433) {
    ShowNickChange();
  } else {
    QPointer<TMainForm> alive(this);
    const std::string answer = ShowInputBox(Cp949Literal("채널 암호 입력"),
                                            ComposeLine("%s 채널의 암호를 입력해 주세요", {channel.c_str()}).c_str());
    if (!alive) return;
    // A key is one word: whatever follows a blank would become a further parameter.
    const std::string key = FirstWord(answer.c_str());
    if (!key.empty()) Send(Irc::Join(channel, key));
  }
}

void TMainForm::IRCList(int iParam1, const char* Param1, const char* Param2, int iParam2) {
  // Servers that send no start reply open the listing with its first row.
  if (iParam1 == 322 && !Listing) IRCList(321, nullptr, nullptr, 0);
  if (const auto line = RenderList(iParam1)) subforms_->WriteActive(line->text.c_str(), line->kind);
  if (iParam1 == 321) {
    listWindow_ = subforms_->OpenChanList();
    listWindow_->ListReply(iParam1, nullptr, 0, nullptr);
    Listing = true;
    return;
  }
  // Rows and the end go to the window the last start opened; a window closed
  // meanwhile is not touched.
  if (iParam1 == 322) {
    if (listWindow_) listWindow_->ListReply(iParam1, Param1, iParam2, Param2);
    return;
  }
  if (listWindow_) {
    listWindow_->ListReply(iParam1, nullptr, 0, nullptr);
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

void TMainForm::IRCNTopic(const char* Param1, const char* Param2) {
  if (TmChanInfo* dialog = TmChanInfo::Current(); dialog && dialog->ShowTopic(Param1, Param2)) return;
  if (const auto line = RenderNTopic(Param1, Param2)) subforms_->WriteChannel(line->name.c_str(), line->text.c_str(), line->kind);
  subforms_->TopicChanged(Param1, Param2);
}

void TMainForm::IRCChanMode(const char* Param1, const char*) {
  if (!IsChannelName(Param1)) return;
  subforms_->ChannelModesChanged(Param1);
  const CZoChannel* channel = IRC.FindChan(Param1);
  if (TmChanInfo* dialog = TmChanInfo::Current(); dialog && channel)
    dialog->ShowModes(Param1, channel->Modes(), channel->Key(), channel->Limit());
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
