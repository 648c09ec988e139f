#include "U_subforms.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>

#include "F_mchanlist.h"
#include "U_chanlistgrid.h"
#include "F_mchannel.h"
#include "F_mdccchat.h"
#include "F_mdccfile.h"
#include "F_mquery.h"
#include "F_mstatus.h"
#include "U_clientrules.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_input.h"
#include "U_ircline.h"
#include "U_skinfile.h"
#include "Zoengine.h"

CSubforms::CSubforms(QWidget* parent, QObject* messageTarget, TZoEngine& engine, const TSkinValues& skin,
                     const TFrameColorRecord& colors)
    : parent_(parent), messageTarget_(messageTarget), engine_(engine), skin_(skin), colors_(colors) {}

CSubforms::~CSubforms() {
  OnUnreadChanged = nullptr;  // its owner is going too
  CloseAll();
}

TMDIABS* CSubforms::Form(int index) const {
  return index >= 0 && index < Count() ? forms_[static_cast<size_t>(index)] : nullptr;
}

int CSubforms::IndexOf(const TMDIABS* form) const {
  const auto at = std::find(forms_.begin(), forms_.end(), form);
  return at == forms_.end() ? -1 : static_cast<int>(at - forms_.begin());
}

TMDIABS* CSubforms::FindForm(int kind, const char* name, int* index) const {
  for (size_t i = 0; i < forms_.size(); ++i) {
    TMDIABS* form = forms_[i];
    if (form->Kind != kind || !form->IsNamed(name)) continue;
    if (index) *index = static_cast<int>(i);
    return form;
  }
  return nullptr;
}

TmChannel* CSubforms::FindChannel(const char* name) const { return Find<TmChannel>(name); }

TMDIABS* CSubforms::FrontForm() const { return forms_.empty() ? nullptr : forms_.front(); }

TmABSRich* CSubforms::FrontOutputForm() const {
  TMDIABS* front = FrontForm();
  return front ? front->Output() : nullptr;
}

TSubformEvent::TSubformEvent(int type, TMDIABS* form) : QEvent(static_cast<QEvent::Type>(type)), Form(form) {}

TFront CSubforms::InputFront() const {
  TMDIABS* front = FrontForm();
  return front ? front->InputTarget() : TFront{};
}

TmDCCChat* CSubforms::FindDCCChat(int chatId) const {
  return Find<TmDCCChat>([chatId](const TmDCCChat& chat) { return chat.ChatId == chatId; });
}

TmDCCFile* CSubforms::FindDCCFile(int seqnum, bool receiving) const {
  return Find<TmDCCFile>(
      [&](const TmDCCFile& file) { return file.Seqnum == seqnum && file.Receiving == receiving; });
}

TmDCCFile* CSubforms::FindDCCSend(int seqnum) const { return FindDCCFile(seqnum, false); }

TmDCCFile* CSubforms::FindDCCRecv(int seqnum) const { return FindDCCFile(seqnum, true); }

bool CSubforms::IsFront(const TMDIABS* form) const { return !forms_.empty() && forms_.front() == form; }

template <class T>
T* CSubforms::Create() {
  const QRect previousFront = forms_.empty() ? QRect() : forms_.front()->geometry();
  T* form = new T(parent_, *this, colors_);  // owned by the list, freed by the close operations
  forms_.insert(forms_.begin(), form);
  form->show();  // shown first: tiling counts visible windows only
  Place(form, previousFront);
  form->raise();
  if (forms_.size() > 1) forms_[1]->update();  // its caption turns inactive
  return form;
}

TmChannel* CSubforms::OpenChannel(const char* name) {
  TmChannel* form = FindChannel(name);
  if (form)
    form->Activate();
  else
    form = Create<TmChannel>();
  form->SetChannel(name);
  form->show();
  form->SetUserListColors(skin_.ChanWinUserListBg, skin_.ChanWinUserListFg);
  return form;
}

TmQuery* CSubforms::OpenQuery(const char* nick) {
  if (auto* form = Find<TmQuery>(nick)) return form;
  TmQuery* form = Create<TmQuery>();
  form->SetNick(nick);
  return form;
}

TmStatus* CSubforms::OpenStatus() {
  if (auto* form = Find<TmStatus>(nullptr)) return form;
  return Create<TmStatus>();
}

TmDCCChat* CSubforms::NewDCCChat() { return Create<TmDCCChat>(); }

TmDCCFile* CSubforms::NewDCCSend() { return Create<TmDCCFile>(); }

TmDCCFile* CSubforms::NewDCCRecv() {
  TmDCCFile* form = Create<TmDCCFile>();
  form->Receiving = true;
  return form;
}

TmChanList* CSubforms::OpenChanList() {
  if (auto* form = Find<TmChanList>(nullptr)) return form;
  TmChanList* form = Create<TmChanList>();
  form->SetEngine(&engine_);
  form->sgChanList->SetFixedColor(skin_.ChListWinIndexBg);
  return form;
}

TPaneLook CSubforms::PaneLook() const { return settings_ ? PaneLookOf(*settings_) : TPaneLook{}; }

void CSubforms::NoteUnread(TMDIABS* form, TUnread level) {
  if (level <= form->Unread) return;
  form->Unread = level;
  if (OnUnreadChanged) OnUnreadChanged();
}

TUnread CSubforms::Unread() const {
  TUnread most = urNone;
  for (const TMDIABS* form : forms_) most = std::max(most, form->Unread);
  return most;
}

void CSubforms::BringToFront(TMDIABS* form) {
  const int index = IndexOf(form);
  if (index < 0) return;
  if (form->Unread != urNone) {
    form->Unread = urNone;
    if (OnUnreadChanged) OnUnreadChanged();
  }
  TMDIABS* previous = forms_.front();
  std::rotate(forms_.begin(), forms_.begin() + index, forms_.begin() + index + 1);
  // Only these two swap active and inactive caption colours.
  previous->update();
  form->update();
}

void CSubforms::CloseAction(TMDIABS* form) { form->EndOnClose(engine_); }

void CSubforms::Remove(TMDIABS* form) {
  const bool front = IsFront(form);
  forms_.erase(std::find(forms_.begin(), forms_.end(), form));
  if (front && !forms_.empty()) forms_.front()->update();  // one caption stays lit
  const bool unread = form->Unread != urNone;
  delete form;
  if (unread && OnUnreadChanged) OnUnreadChanged();
}

void CSubforms::CloseForm(TMDIABS* form) {
  if (IndexOf(form) < 0) return;
  CloseAction(form);
  Remove(form);
  if (arrangement_ != TArrangement::Free) ArrangeSoon();
}

void CSubforms::CloseChannel(const char* name) {
  if (TmChannel* form = FindChannel(name)) CloseForm(form);
}

void CSubforms::CloseAll() {
  arrangement_ = TArrangement::Free;  // nothing left to arrange for
  PartAll();
  while (!forms_.empty()) CloseForm(forms_.front());
}

// Hundreds of channels are left in a few lines, not one line each.
void CSubforms::PartAll() {
  std::vector<std::string> names;
  Each<TmChannel>([&](TmChannel& form) {
    if (form.Parted) return;
    names.push_back(form.ChannelName);
    form.Parted = true;
  });
  for (size_t first = 0, taken = 0; first < names.size(); first += taken) {
    const std::string line = Irc::PartMany(names, first, &taken);
    if (!line.empty()) Send(line);
  }
}

void CSubforms::PostActivate(TMDIABS* form) {
  QCoreApplication::postEvent(messageTarget_, new TSubformEvent(TSubformEvent::kActivate, form));
}

void CSubforms::PostClose(TMDIABS* form) {
  QCoreApplication::postEvent(messageTarget_, new TSubformEvent(TSubformEvent::kClose, form));
}

bool CSubforms::HandleMessage(QEvent* event) {
  const int type = event->type();
  if (type != TSubformEvent::kActivate && type != TSubformEvent::kClose) return false;
  TMDIABS* form = static_cast<TSubformEvent*>(event)->Form;
  if (!form || IndexOf(form) < 0) return true;
  if (type == TSubformEvent::kClose) {
    CloseForm(form);
  } else {
    form->show();
    form->Activate();
  }
  return true;
}

void CSubforms::SelectPrev() {
  if (forms_.size() >= 2) forms_.back()->Activate();
}

void CSubforms::SelectNext() {
  if (forms_.size() < 2) return;
  TMDIABS* previous = forms_.front();
  std::rotate(forms_.begin(), forms_.begin() + 1, forms_.end());
  forms_.front()->Activate();
  previous->update();  // moved before Activate, so BringToFront did not see it leave the front
}

std::vector<TMDIABS*> CSubforms::VisibleForms() const {
  std::vector<TMDIABS*> visible;
  for (TMDIABS* form : forms_)
    if (!form->isHidden()) visible.push_back(form);
  return visible;
}

void CSubforms::Place(TMDIABS* form, QRect previousFront) {
  form->setGeometry(NewWindowGeometry(previousFront, parent_->size()));
  if (arrangement_ != TArrangement::Free) ArrangeSoon();
}

void CSubforms::ArrangeSoon() {
  if (arrangeScheduled_) return;
  arrangeScheduled_ = true;
  QTimer::singleShot(0, parent_, [this] {
    arrangeScheduled_ = false;
    if (arrangement_ != TArrangement::Free) Arrange();
  });
}

void CSubforms::AreaResized() {
  if (arrangement_ != TArrangement::Free) return Arrange();
  for (TMDIABS* form : forms_) form->setGeometry(FitInside(form->geometry(), parent_->size()));
}

void CSubforms::Cascade() {
  arrangement_ = TArrangement::Free;
  std::vector<TMDIABS*> visible = VisibleForms();
  std::reverse(visible.begin(), visible.end());
  const std::vector<QRect> places = CascadeGeometry(static_cast<int>(visible.size()), parent_->size());
  for (size_t i = 0; i < visible.size(); ++i) {
    visible[i]->raise();
    visible[i]->setGeometry(places[i]);
  }
}

void CSubforms::Tile() {
  arrangement_ = TArrangement::Tiled;
  Arrange();
}

void CSubforms::OneAtATime() {
  arrangement_ = TArrangement::OneAtATime;
  Arrange();
}

void CSubforms::Arrange() {
  const std::vector<TMDIABS*> visible = VisibleForms();
  if (arrangement_ == TArrangement::OneAtATime) {
    for (TMDIABS* form : visible) form->setGeometry(FullAreaGeometry(parent_->size()));
    if (!visible.empty()) visible.front()->raise();
    return;
  }
  const bool frontVisible = !forms_.empty() && !forms_.front()->isHidden();
  const std::vector<QRect> places = TileGeometry(static_cast<int>(visible.size()), frontVisible, parent_->size());
  for (size_t i = 0; i < places.size(); ++i) visible[i]->setGeometry(places[i]);
}

void CSubforms::SetFrameColors(const TFrameColorRecord& colors) {
  colors_ = colors;
  for (TMDIABS* form : forms_) form->ApplyFrameColors(colors_);
}

void CSubforms::ApplySkin() {
  for (TMDIABS* form : forms_) form->ApplySkin(skin_);
  SetFrameColors(skin_.SubWinFrame);
}

void CSubforms::PopupUserMenu(TmChannel* form, QPoint globalPos) {
  if (OnUserMenu) OnUserMenu(form, globalPos);
}

void CSubforms::QueryFromUserList(TmChannel* form) {
  if (OnUserQuery) OnUserQuery(form);
}

void CSubforms::Send(const std::string& line) {
  engine_.Send(line.c_str());
}
