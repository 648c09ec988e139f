#include "F_mainform.h"

#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include "F_flatform.h"
#include "F_inputline.h"
#include "F_mchannel.h"
#include "F_mstatus.h"
#include "F_shape.h"
#include "U_clientrules.h"
#include "F_usermenu.h"
#include "M_msgbox.h"
#include "U_codepage.h"
#include "U_htmlskin.h"
#include "U_keys.h"
#include "U_modalman.h"
#include "U_render.h"
#include "U_skinimage.h"
#include "U_subforms.h"
#include "U_windowview.h"

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
    : QWidget(parent), ownSkin_(std::move(ownSkin)), skin_(skin ? *skin : *ownSkin_) {
  skin_.FixedFrame = {0xFFFFFF, 0x000000, 0x808080, 0x000000, 0xFFFFFF, 0x000000,
                      0xC0C0C0, 0x000000, 0x808080, 0xFFFFFF, 24,       16};
  skin_.SubWinFrame = {0x000000, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xFFFFFF,
                       0x000000, 0x000000, 0xC0C0C0, 0x808080, 18,       14};
  skin_.ModalFrame = skin_.SubWinFrame;
  pMDIClient = new QWidget(this);
  view_ = std::make_unique<TWindowView>(*this, pMDIClient, client_, skin_);
  Subforms().UseSettings(&client_.Settings());
  CreateControls();
  SetBackColor(pMDIClient, skin_.FixedFrame[BodyColor]);
  shNick->SetColors(shNick->Brush, skin_.FixedFrame[FrameLine]);
  shMenu->SetColors(shMenu->Brush, skin_.FixedFrame[FrameLine]);
  lbNick->setText(DecodeDisplay(client_.Settings().Nick.c_str()));
  Subforms().OnUserMenu = [this](TmChannel*, QPoint at) { pmUser->PopupFor(at); };
  Subforms().OnUserQuery = [this](TmChannel*) { pmUser->QuerySelected(); };
  Subforms().OnUnreadChanged = [this] {
    ShowUnread();
    client_.FrontSeen();
  };
  Subforms().OnWindowLine = [this](const std::string& window, const std::string& line) {
    client_.LogLine(window, line);
  };
  BindSkin();
  client_.SetView(view_.get());
  SetModalOwner(this);
  Subforms().OpenStatus();
  if (client_.Settings().InputLine) ShowInputLine(true);
}

TMainForm::~TMainForm() {
  // The skin may outlive this window; its callbacks must not.
  skin_.OnSkinParsed = nullptr;
  skin_.OnBackImageLoaded = nullptr;
  skin_.OnIconLoaded = nullptr;
  skin_.OnError = nullptr;
  skin_.SetStepTarget(nullptr);
  if (ModalOwner() == this) SetModalOwner(nullptr);
  // Events from here on find no window to show them in.
  client_.SetView(nullptr);
  // Part every channel while the engine can still send.
  view_.reset();
}

void TMainForm::CreateControls() {
  const QFont face = FaceFont("굴림체");
  setFont(face);
  setWindowTitle("VELKO in HTML Form (560X480)");
  setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
  setAutoFillBackground(true);
  SetBackColor(this, 0xFFFFFF);
  pMDIClient->setAutoFillBackground(true);
  iBack = new QLabel(pMDIClient);
  iBack->setAlignment(Qt::AlignCenter);
  eInput = new TInputLine(Subforms(), client_, this);
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
  pmUser = new TUserMenu(Subforms(), client_, this);
  resize(560, 460);
  LayoutControls();
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
  if (view_) Subforms().AreaResized();
}

void TMainForm::closeEvent(QCloseEvent* event) { event->ignore(); }

// Opened from the event loop: the key's widgets may be gone when the dialog closes.
void TMainForm::keyPressEvent(QKeyEvent* event) {
  if (InputKeyAction(event->key(), event->modifiers()) == TInputKey::ShowSettings)
    QTimer::singleShot(0, this, [this] { view_->ShowSettings(); });
  else
    QWidget::keyPressEvent(event);
}

bool TMainForm::event(QEvent* event) {
  const int type = event->type();
  if (type == CZoHTMLSkin::kStepEvent) {
    skin_.NextStep();
    return true;
  }
  if (view_ && Subforms().HandleMessage(event)) return true;
  return QWidget::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lbAd && event->type() == QEvent::MouseButtonRelease)
    ShowMessageBox(Cp949Literal("벨코: 웹 페이지에 들어가는 IRC 대화 프로그램입니다."));
  return QWidget::eventFilter(watched, event);
}

// --- skin ---

void TMainForm::BindSkin() {
  skin_.SetStepTarget(this);
  skin_.OnSkinParsed = [this](CZoHTMLSkin*) { SkinColorsParsed(); };
  skin_.OnIconLoaded = [this](CZoHTMLSkin*) { SkinPictureLoaded(true); };
  skin_.OnBackImageLoaded = [this](CZoHTMLSkin*) { SkinPictureLoaded(false); };
  // Shown once the loader's own handler has returned: a modal box must not
  // run its loop inside the socket callback that failed.
  skin_.OnError = [this](CZoHTMLSkin*, const char* message) {
    if (TellSkinFailure && TellSkinFailure(message)) return;
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
  Subforms().ApplySkin();
  SetDialogSkin(skin_.ModalFrame, skin_.ModalFg);
}

void TMainForm::SkinPictureLoaded(bool icon) {
  QImage picture = LoadSkinPicture((icon ? skin_.IconPath : skin_.BackImagePath).c_str());
  if (picture.isNull()) return;
  QPixmap pixmap = QPixmap::fromImage(std::move(picture));
  if (icon)
    sbWinSelect->setIcon(QIcon(pixmap));
  else
    iBack->setPixmap(pixmap);
}

// --- public operations ---

bool TMainForm::SetSkin(const char* url) {
  if (!url || !*url) return true;
  return skin_.Load(SkinCacheFolder().c_str(), url);
}

bool TMainForm::Input(const QString& text) {
  if (client_.Waiting() >= TChatClient::kMaxWaitingInput) return false;
  client_.RunLine(client_.WireText(text));
  return true;
}

void TMainForm::ShowInputLine(bool show) {
  if (show == eInput->isVisibleTo(this)) return;
  eInput->setVisible(show);
  LayoutControls();
  eInput->KeepFocus(show);
  if (show) eInput->setFocus();
}

// --- menus ---

void TMainForm::sbWinSelectClick() {
  pmVMDI->clear();
  std::vector<std::string> captions;
  for (int i = 0; i < Subforms().Count(); ++i) {
    const TMDIABS* form = Subforms().Form(i);
    captions.push_back(SelectMenuCaption(form->Kind, EncodeText(form->windowTitle()).c_str()));
  }
  captions = DistinctEntries(std::move(captions));
  for (int i = 0; i < Subforms().Count(); ++i) {
    TMDIABS* form = Subforms().Form(i);
    QAction* action = pmVMDI->addAction(UnreadMark(form->Unread) + DecodeDisplay(captions[static_cast<size_t>(i)].c_str()));
    // The window itself, not its index: the list may change before the choice.
    connect(action, &QAction::triggered, this, [this, chosen = QPointer<TMDIABS>(form)] {
      if (chosen) Subforms().PostActivate(chosen);
    });
  }
  pmVMDI->addSeparator();
  // The one way back to the connection's lines once their window was closed.
  if (!Subforms().Find<TmStatus>(nullptr)) {
    QAction* reopen = pmVMDI->addAction(QString::fromUtf8("상태창 열기"));
    connect(reopen, &QAction::triggered, this, [this] { Subforms().OpenStatus(); });
  }
  QAction* settings = pmVMDI->addAction(QString::fromUtf8("설정..."));
  connect(settings, &QAction::triggered, this, [this] { QTimer::singleShot(0, this, [this] { view_->ShowSettings(); }); });
  pmVMDI->popup(QCursor::pos());
}

// New lines show as "*", a line that names the user as "!" in bold; the menu
// marks those windows the same way.
void TMainForm::ShowUnread() {
  const TUnread unread = Subforms().Unread();
  sbWinSelect->setText(QString::fromUtf8("창 선택") + (unread == urNone ? QString() : QLatin1Char(' ') + UnreadMark(unread).trimmed()));
  QFont face = sbWinSelect->font();
  face.setBold(unread == urMention);
  sbWinSelect->setFont(face);
}

