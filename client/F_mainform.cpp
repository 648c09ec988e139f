#include "F_mainform.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <cstring>

#include "F_flatform.h"
#include "F_mchannel.h"
#include "F_mquery.h"
#include "F_shape.h"
#include "M_inputbox.h"
#include "M_msgbox.h"
#include "M_nickchange.h"
#include "U_codepage.h"
#include "U_htmlskin.h"
#include "U_ircline.h"
#include "U_lib.h"
#include "U_modalman.h"
#include "U_pacedsender.h"
#include "registry.h"
#include "U_render.h"
#include "U_session.h"
#include "U_skinimage.h"
#include "U_subforms.h"

namespace {

constexpr uint32_t kInputColor = 0xECFFFF;

QColor Rgb(uint32_t rgb) { return QColor::fromRgb(rgb & 0xFFFFFF); }

void SetTextColor(QWidget* widget, uint32_t rgb) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, Rgb(rgb));
  palette.setColor(QPalette::ButtonText, Rgb(rgb));
  widget->setPalette(palette);
}

void SetBackColor(QWidget* widget, uint32_t rgb) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, Rgb(rgb));
  widget->setPalette(palette);
}

QString UnreadMark(TUnread unread) {
  return unread == urMention ? QStringLiteral("! ") : unread == urLines ? QStringLiteral("* ") : QString();
}

}  // namespace

TMainForm::TMainForm(QWidget* parent) : TMainForm(std::make_unique<CZoHTMLSkin>(), nullptr, parent) {}

TMainForm::TMainForm(CZoHTMLSkin& skin, QWidget* parent) : TMainForm(nullptr, &skin, parent) {}

TMainForm::TMainForm(std::unique_ptr<CZoHTMLSkin> ownSkin, CZoHTMLSkin* skin, QWidget* parent)
    : QWidget(parent),
      chatLog_(QDir(RegistryFolder()).filePath(QStringLiteral("logs"))),
      ownSkin_(std::move(ownSkin)),
      skin_(skin ? *skin : *ownSkin_) {
  InstallKoreanFaces();
  CreateControls();
  skin_.FixedFrame = {0xFFFFFF, 0x000000, 0x808080, 0x000000, 0xFFFFFF, 0x000000,
                      0xC0C0C0, 0x000000, 0x808080, 0xFFFFFF, 24,       16};
  SetBackColor(pMDIClient, skin_.FixedFrame[BodyColor]);
  shNick->SetColors(shNick->Brush, skin_.FixedFrame[FrameLine]);
  shMenu->SetColors(shMenu->Brush, skin_.FixedFrame[FrameLine]);
  IRC.SetNick(datas_.Nick);
  IRC.SetUserName(datas_.UserName);
  lbNick->setText(DecodeDisplay(datas_.Nick.c_str()));
  skin_.SubWinFrame = {0x000000, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xFFFFFF,
                       0x000000, 0x000000, 0xC0C0C0, 0x808080, 18,       14};
  skin_.ModalFrame = skin_.SubWinFrame;
  subforms_ = std::make_unique<CSubforms>(pMDIClient, this, IRC, skin_, skin_.SubWinFrame);
  subforms_->OnUserMenu = [this](TmChannel*, QPoint at) {
    EnableUserMenu();
    pmUser->popup(at);
  };
  subforms_->OnUserQuery = [this](TmChannel*) { miQueryClick(); };
  subforms_->OnUnreadChanged = [this] { ShowUnread(); };
  subforms_->OnWindowLine = [this](TMDIABS* form, const std::string& line) { LogLine(form, line); };
  alias_ = std::make_unique<MCommandProcedure>(datas_.Alias);
  BindSkin();
  IRC.SetAddress(datas_.Address);
  IRC.SetPort(datas_.Port);
  IRC.SetWireCoding(ChosenWireCoding(datas_));
  IRC.SetLogin(datas_.SaslAccount, datas_.SaslPassword);
  IRC.SetTlsTrust(datas_.TlsFingerprint, datas_.TlsCaFile);
  IRC.SetTlsClientCert(datas_.TlsClientCert, datas_.TlsClientKey);
  BindEngine();
  BindInput();
  TSession::TWindow window;
  window.write = [this](const TOutLine& line) { subforms_->Write(line); };
  window.rejoin = [this] { subforms_->Rejoin(); };
  session_ = std::make_unique<TSession>(IRC, *sender_, std::move(window), this);
  SetModalOwner(this);
  subforms_->OpenStatus();
  if (datas_.InputLine) ShowInputLine(true);
}

TMainForm::~TMainForm() {
  // The skin may outlive this window; its callbacks must not.
  skin_.OnSkinParsed = nullptr;
  skin_.OnBackImageLoaded = nullptr;
  skin_.OnIconLoaded = nullptr;
  skin_.OnError = nullptr;
  skin_.SetStepTarget(nullptr);
  if (ModalOwner() == this) SetModalOwner(nullptr);
  // Part every channel while the engine can still send.
  subforms_.reset();
}

void TMainForm::CreateControls() {
  QFont face(QString::fromUtf8("굴림체"));
  face.setPixelSize(12);
  setFont(face);
  setWindowTitle("VELKO in HTML Form (560X480)");
  setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
  setAutoFillBackground(true);
  SetBackColor(this, 0xFFFFFF);
  pMDIClient = new QWidget(this);
  pMDIClient->setAutoFillBackground(true);
  iBack = new QLabel(pMDIClient);
  iBack->setAlignment(Qt::AlignCenter);
  eInput = new QLineEdit(this);
  eInput->setFrame(false);
  eInput->setVisible(false);
  {
    QPalette palette = eInput->palette();
    palette.setColor(QPalette::Base, Rgb(kInputColor));
    eInput->setPalette(palette);
  }
  shNick = new TShape(this);
  shNick->Brush = 0xFFF4F4;
  lbNick = new QLabel("VELKO", this);
  lbNick->setAlignment(Qt::AlignCenter);
  shMenu = new TShape(this);
  shMenu->Brush = 0xF3F3F3;
  sbWinSelect = new QToolButton(this);
  sbWinSelect->setAutoRaise(true);
  sbWinSelect->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  sbWinSelect->setText(QString::fromUtf8("창 선택"));
  connect(sbWinSelect, &QToolButton::clicked, this, &TMainForm::sbWinSelectClick);
  lbAd = new QLabel(QString::fromUtf8("벨코 - 웹 페이지 속 IRC 대화"), this);
  lbAd->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lbAd->installEventFilter(this);
  pmVMDI = new QMenu(this);
  CreateUserMenu();
  tQUELBO = new QTimer(this);
  tQUELBO->setInterval(7000);
  tQUELBO->setSingleShot(true);
  connect(tQUELBO, &QTimer::timeout, this, &TMainForm::tQUELBOTimer);
  tQuestions = new QTimer(this);
  tQuestions->setSingleShot(true);
  tQuestions->setTimerType(Qt::PreciseTimer);
  connect(tQuestions, &QTimer::timeout, this, &TMainForm::ExpireQuestions);
  resize(560, 460);
  LayoutControls();
}

void TMainForm::CreateUserMenu() {
  pmUser = new QMenu(this);
  auto item = [this](const char* caption, void (TMainForm::*handler)()) {
    QAction* action = pmUser->addAction(QString::fromUtf8(caption));
    if (handler) connect(action, &QAction::triggered, this, handler);
    return action;
  };
  miWhois = item("사용자 정보 보기", &TMainForm::miWhoisClick);
  miQuery = item("귓속말 전송창 열기", &TMainForm::miQueryClick);
  miSendDCC = item("파일 보내기(DCC-SEND)", &TMainForm::miSendDCCClick);
  miDCCChat = item("직접대화창 열기(DCC-CHAT)", &TMainForm::miDCCChatClick);
  pmUser->addSeparator();
  miOp = item("방장 권한 주기", nullptr);
  miDeop = item("방장 권한 뺏기", nullptr);
  pmUser->addSeparator();
  miVoice = item("보이스 주기", nullptr);
  miDevoice = item("보이스 뺏기", nullptr);
  pmUser->addSeparator();
  miKick = item("방에서 쫓아내기", nullptr);
  connect(miOp, &QAction::triggered, this, [this] { SendUserMenuLine("+o"); });
  connect(miDeop, &QAction::triggered, this, [this] { SendUserMenuLine("-o"); });
  connect(miVoice, &QAction::triggered, this, [this] { SendUserMenuLine("+v"); });
  connect(miDevoice, &QAction::triggered, this, [this] { SendUserMenuLine("-v"); });
  connect(miKick, &QAction::triggered, this, &TMainForm::miKickClick);
}

void TMainForm::EnableUserMenu() {
  std::string channel;
  std::string nick;
  const bool other = OtherMemberTarget(&channel, &nick);
  for (QAction* item : {miSendDCC, miDCCChat, miOp, miDeop, miVoice, miDevoice, miKick}) item->setEnabled(other);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutControls();
}

void TMainForm::LayoutControls() {
  const int w = width();
  const int h = height();
  // The input line, when shown, sits between the area and the boxes.
  const int inputHeight = eInput->isVisibleTo(this) ? 19 : 0;
  pMDIClient->setGeometry(0, 0, w, h - 21 - inputHeight);
  iBack->setGeometry(pMDIClient->rect());
  eInput->setGeometry(inputHeight ? 1 : 5, h - 20 - inputHeight, w - (inputHeight ? 2 : 9), 17);
  shNick->setGeometry(0, h - 20, 126, 20);
  lbNick->setGeometry(7, h - 15, 113, 11);
  shMenu->setGeometry(127, h - 20, w - 127, 20);
  sbWinSelect->setGeometry(129, h - 18, 68, 16);
  lbAd->setGeometry(w - 288, h - 15, 282, 12);
  if (subforms_) subforms_->AreaResized();
}

void TMainForm::closeEvent(QCloseEvent* event) { event->ignore(); }

bool TMainForm::event(QEvent* event) {
  const int type = event->type();
  if (type == CZoHTMLSkin::kStepEvent) {
    skin_.NextStep();
    return true;
  }
  if (subforms_ && subforms_->HandleMessage(event)) return true;
  return QWidget::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lbAd && event->type() == QEvent::MouseButtonRelease) lbAdClick();
  return QWidget::eventFilter(watched, event);
}

// --- skin ---

void TMainForm::BindSkin() {
  skin_.SetStepTarget(this);
  skin_.OnSkinParsed = [this](CZoHTMLSkin*) { SkinColorsParsed(); };
  skin_.OnIconLoaded = [this](CZoHTMLSkin*) { SkinIconLoaded(); };
  skin_.OnBackImageLoaded = [this](CZoHTMLSkin*) { SkinBackImageLoaded(); };
  // Shown once the loader's own handler has returned: a modal box must not
  // run its loop inside the socket callback that failed.
  skin_.OnError = [this](CZoHTMLSkin*, const char* message) {
    QTimer::singleShot(0, this, [text = std::string(message)] { ShowMessageBox(text.c_str()); });
  };
}

void TMainForm::SkinColorsParsed() {
  shNick->SetColors(skin_.NickBoxBg, skin_.NickBoxLn);
  SetTextColor(lbNick, skin_.NickBoxFg);
  shMenu->SetColors(skin_.MenuBoxBg, skin_.MenuBoxLn);
  SetTextColor(sbWinSelect, skin_.MenuBoxFg);
  SetTextColor(lbAd, skin_.MenuBoxFg);
  SetBackColor(pMDIClient, skin_.MainWinBg);
  subforms_->ApplySkin();
  SetDialogSkin(skin_.ModalFrame, skin_.ModalFg);
}

void TMainForm::SkinIconLoaded() {
  QImage picture = LoadSkinPicture(skin_.IconPath.c_str());
  if (!picture.isNull()) sbWinSelect->setIcon(QIcon(QPixmap::fromImage(std::move(picture))));
}

void TMainForm::SkinBackImageLoaded() {
  QImage picture = LoadSkinPicture(skin_.BackImagePath.c_str());
  if (!picture.isNull()) iBack->setPixmap(QPixmap::fromImage(std::move(picture)));
}

// --- public operations ---

void TMainForm::ApplyNick(const char* nick) {
  if (!nick || !*nick) return;
  datas_.Nick = nick;
  IRC.SetNick(nick);
  lbNick->setText(DecodeDisplay(nick));
}

void TMainForm::SetSkin(const char* url) {
  if (!url || !*url) return;
  skin_.Load(SkinCacheFolder().c_str(), url);
}

void TMainForm::SetAutoJoinChannels(const char* list) { session_->SetAutoJoinChannels(list); }
const std::vector<std::string>& TMainForm::AutoJoin() const { return session_->AutoJoin(); }
void TMainForm::ConnectTo(const char* server) {
  // A connection the user asks for starts a new session, with its viewer.
  motdShown_ = false;
  motdToStatus_ = false;
  session_->ConnectTo(server);
}

void TMainForm::SendIRCLine(const char* text) { SendRaw(text ? text : ""); }

void TMainForm::SelectPrev() { subforms_->SelectPrev(); }
void TMainForm::SelectNext() { subforms_->SelectNext(); }
void TMainForm::Tile() { subforms_->Tile(); }
void TMainForm::Cascade() { subforms_->Cascade(); }

void TMainForm::ShowNickChange() {
  if (nickDialogOpen_) return;  // a nick refused meanwhile is answered by the open dialog
  nickDialogOpen_ = true;
  QPointer<TMainForm> alive(this);
  {
    TModalHolder<TmNickChange> dialog(EngineNickRequest(IRC, [this](const char* nick) {
      datas_.Nick = nick;
      lbNick->setText(DecodeDisplay(nick));
    }));
    if (dialog) dialog->ShowModal();
  }
  if (alive) nickDialogOpen_ = false;
}

void TMainForm::UserQuit() { session_->UserQuit(); }

// --- sending ---

bool TMainForm::Send(const std::string& line) { return IRC.Send(line.c_str()); }

void TMainForm::SendRaw(const std::string& line) {
  if (IsQuitLine(line.c_str())) UserQuit();
  Send(Irc::Raw(line));
}

// --- connection lifecycle ---

void TMainForm::IRCConnect(void*) { session_->Connected(datas_.UserName, datas_.Nick); }

void TMainForm::IRCLogon(void*) {
  if (Listing) return;
  session_->LoggedOn();
  tQUELBO->start();
}

void TMainForm::tQUELBOTimer() {
  tQUELBO->stop();
  subforms_->Write(RenderWindowHint());
}

void TMainForm::IRCDisconnect(void*) {
  AbandonListing();
  subforms_->ReloadAllNames();
  session_->Disconnected();
}

void TMainForm::IRCIRCError(int* errorCode) { session_->Failed(errorCode); }

// --- menus ---

void TMainForm::sbWinSelectClick() {
  pmVMDI->clear();
  for (int i = 0; i < subforms_->Count(); ++i) {
    TMDIABS* form = subforms_->Form(i);
    const std::string caption = SelectMenuCaption(form->Kind, EncodeText(form->windowTitle()).c_str());
    QAction* action = pmVMDI->addAction(UnreadMark(form->Unread) + DecodeDisplay(caption.c_str()));
    // The window itself, not its index: the list may change before the choice.
    connect(action, &QAction::triggered, this, [this, chosen = QPointer<TMDIABS>(form)] {
      if (chosen) subforms_->PostActivate(chosen);
    });
  }
  // The one way back to the connection's lines once their window was closed.
  if (!subforms_->FindForm(wkStatus, nullptr)) {
    pmVMDI->addSeparator();
    QAction* reopen = pmVMDI->addAction(QString::fromUtf8("상태창 열기"));
    connect(reopen, &QAction::triggered, this, [this] { subforms_->OpenStatus(); });
  }
  pmVMDI->popup(QCursor::pos());
}

// The button tells that a window behind has new lines ("*") or one that
// names the user ("!", in bold); the menu marks those windows the same way.
void TMainForm::ShowUnread() {
  const TUnread unread = subforms_->Unread();
  sbWinSelect->setText(QString::fromUtf8("창 선택") + (unread == urNone ? QString() : QLatin1Char(' ') + UnreadMark(unread).trimmed()));
  QFont face = sbWinSelect->font();
  face.setBold(unread == urMention);
  sbWinSelect->setFont(face);
}

void TMainForm::LogLine(TMDIABS* form, const std::string& line) {
  if (!datas_.ChatLogs) return;
  const std::string& name =
      form->Kind == wkChannel ? static_cast<TmChannel*>(form)->ChannelName : static_cast<TmQuery*>(form)->Nick;
  std::string plain = line;
  StripCodes(plain.data());
  chatLog_.Append(DecodeDisplay(IRC.Address().c_str()), DecodeDisplay(name.c_str()), DecodeDisplay(plain.c_str()));
}

void TMainForm::lbAdClick() { ShowMessageBox(Cp949Literal("벨코: 웹 페이지에 들어가는 IRC 대화 프로그램입니다.")); }

bool TMainForm::UserMenuTarget(std::string* channel, std::string* nick) const {
  TMDIABS* front = subforms_->FrontForm();
  if (!front || front->Kind != wkChannel) return false;
  auto* form = static_cast<TmChannel*>(front);
  *nick = form->SelectedNick();
  *channel = form->ChannelName;
  return !nick->empty();
}

bool TMainForm::OtherMemberTarget(std::string* channel, std::string* nick) const {
  return UserMenuTarget(channel, nick) && !ZoSameName(nick->c_str(), IRC.Nick().c_str());
}

void TMainForm::SendUserMenuLine(const char* mode) {
  std::string channel;
  std::string nick;
  if (OtherMemberTarget(&channel, &nick)) Send(Irc::MemberMode(channel, mode, nick));
}

void TMainForm::miKickClick() {
  std::string channel;
  std::string nick;
  if (!OtherMemberTarget(&channel, &nick)) return;
  QPointer<TMainForm> alive(this);
  const std::optional<std::string> reason =
      AskInputBox(Cp949Literal("방에서 쫓아내기"),
                  ComposeLine("%s님을 %s채널에서 쫓아내는 이유를 적어 주세요", {nick.c_str(), channel.c_str()}).c_str(),
                  IRC.Nick().c_str());
  if (alive && reason) Send(Irc::Kick(channel, nick, *reason));
}

void TMainForm::miWhoisClick() {
  std::string channel;
  std::string nick;
  if (UserMenuTarget(&channel, &nick)) Send(Irc::Whois(nick));
}

void TMainForm::miQueryClick() {
  std::string channel;
  std::string nick;
  if (UserMenuTarget(&channel, &nick)) subforms_->OpenQuery(nick.c_str());
}
