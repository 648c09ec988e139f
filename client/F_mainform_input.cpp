// The input line: the edit's keys, the page's Input, and the one paced queue
// that every line the user types or pastes takes to the server, so lines keep
// their order and a long paste never gets the user thrown off.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "F_mainform.h"
#include "F_mchannel.h"
#include "F_mquery.h"
#include "M_pastebox.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_lib.h"
#include "U_render.h"
#include "U_pacedsender.h"
#include "U_subforms.h"

namespace {

// Gives the edit's key presses to the main window before the edit sees them.
class TKeyFilter : public QObject {
 public:
  TKeyFilter(QObject* parent, std::function<bool(QKeyEvent*)> onKey) : QObject(parent), onKey_(std::move(onKey)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    return event->type() == QEvent::KeyPress && onKey_(static_cast<QKeyEvent*>(event));
  }

 private:
  std::function<bool(QKeyEvent*)> onKey_;
};

}  // namespace

void TMainForm::BindInput() {
  sender_ = new TPacedSender([this](const std::string& line) { return Send(line); }, this);
  eInput->installEventFilter(new TKeyFilter(eInput, [this](QKeyEvent* event) { return eInputKeyDown(event); }));
}

void TMainForm::ShowInputLine(bool show) {
  if (show == eInput->isVisibleTo(this)) return;
  eInput->setVisible(show);
  LayoutControls();
  if (show) {
    connect(qApp, &QApplication::focusChanged, eInput, [this](QWidget*, QWidget* now) { KeepInputFocus(now); });
    eInput->setFocus();
  } else {
    disconnect(qApp, &QApplication::focusChanged, eInput, nullptr);
  }
}

// A click in a pane or a member list would take the focus and lose what is
// typed next; the focus goes back to the input line and the click still selects.
void TMainForm::KeepInputFocus(QWidget* now) {
  for (QWidget* w = now; w && w != pMDIClient; w = w->parentWidget()) {
    auto* form = qobject_cast<TMDIABS*>(w);
    if (!form) continue;
    // After the focus change has run its course, or it would end on the pane.
    if (form->Kind == wkChannel || form->Kind == wkQuery || form->Kind == wkStatus || form->Kind == wkDccChat)
      QTimer::singleShot(0, eInput, [this] { eInput->setFocus(Qt::OtherFocusReason); });
    return;
  }
}

void TMainForm::Input(const char* text) {
  if (text) RunLine(text);
}

bool TMainForm::Input(const QString& text) {
  if (sender_->Pending() >= kMaxWaitingInput) return false;
  RunLine(WireText(text));
  return true;
}

std::string TMainForm::WireText(const QString& text) const {
  return IRC.Utf8Wire() ? text.toStdString() : EncodeText(text);
}

void TMainForm::RunLine(const std::string& line) {
  TInputContext context;
  context.front = subforms_->InputFront();
  context.ownNick = datas_.Nick;
  context.aliases = alias_.get();
  context.isChannelOpen = [this](std::string_view name) {
    return subforms_->FindChannel(std::string(name).c_str()) != nullptr;
  };
  context.isQueryOpen = [this](std::string_view nick) {
    return subforms_->FindForm(wkQuery, std::string(nick).c_str()) != nullptr;
  };
  RunAction(ProcessLine(line, context));
}

void TMainForm::RunAction(TLineAction action) {
  switch (action.kind) {
    case TLineAction::Kind::Server:
      // The user's intent counts, even while the line still waits its turn.
      if (IsQuitLine(action.text.c_str())) UserQuit();
      // The echo names its window: the user may have moved on by the time
      // the line goes out.
      sender_->Enqueue(std::move(action.text), [this, echo = std::move(action.echo)] {
        if (echo) subforms_->Write(*echo);
      });
      return;
    case TLineAction::Kind::Chat:
      if (IRC.SendChatMsg(action.chatId, action.text.c_str()) && action.echo) subforms_->Write(*action.echo);
      return;
    case TLineAction::Kind::Activate:
      if (TmChannel* form = subforms_->FindChannel(action.text.c_str())) subforms_->PostActivate(form);
      return;
    case TLineAction::Kind::Connect:
      if (IRC.state == TZoEngine::Idle)
        ConnectTo(action.text.c_str());
      else
        subforms_->Write(RenderAlreadyConnected());
      return;
    case TLineAction::Kind::OpenQuery: {
      TmQuery* query = subforms_->OpenQuery(action.text.c_str());
      query->show();
      query->Activate();
      if (!action.said.empty()) RunAction(PlainText(action.said, subforms_->InputFront(), datas_.Nick));
      return;
    }
    case TLineAction::Kind::Show:
      for (const TOutLine& line : action.shown) subforms_->Write(line);
      return;
    case TLineAction::Kind::None:
      return;
  }
}

bool TMainForm::eInputKeyDown(QKeyEvent* event) { return RunInputKey(InputKeyAction(event->key(), event->modifiers())); }

bool TMainForm::RunInputKey(TInputKey key) {
  switch (key) {
    case TInputKey::None: return false;
    case TInputKey::Enter: {
      const QString text = eInput->text();
      if (text.isEmpty()) return true;
      History.Add(text.toStdString());
      eInput->clear();
      RunLine(WireText(text));
      return true;
    }
    case TInputKey::HistoryUp: {
      const std::optional<std::string> entry = History.Up();
      if (entry) ShowHistoryEntry(*entry);
      return entry.has_value();
    }
    case TInputKey::HistoryDown: ShowHistoryEntry(History.Down()); return true;
    case TInputKey::ClearHistory: History.Clear(); return true;
    case TInputKey::Paste: return PasteClipboard();
    case TInputKey::InsertBold:
    case TInputKey::InsertReverse:
    case TInputKey::InsertUnderline:
    case TInputKey::InsertColor: eInput->insert(QString(QChar(InsertedCode(key)))); return true;
    case TInputKey::SelectPrev: subforms_->SelectPrev(); return true;
    case TInputKey::SelectNext: subforms_->SelectNext(); return true;
    case TInputKey::Tile: subforms_->Tile(); return true;
    case TInputKey::Cascade: subforms_->Cascade(); return true;
    case TInputKey::CloseFront: subforms_->CloseForm(subforms_->FrontForm()); return true;
    case TInputKey::CompleteNick: CompleteNick(); return true;
    case TInputKey::CancelSending: CancelSending(); return true;
  }
  return false;
}

void TMainForm::CompleteNick() {
  if (auto done = completer_.Complete(eInput->text(), eInput->cursorPosition(), FrontChannelNicks())) {
    eInput->setText(done->line);
    eInput->setCursorPosition(done->caret);
  }
}

QStringList TMainForm::FrontChannelNicks() const {
  QStringList nicks;
  TMDIABS* front = subforms_->FrontForm();
  if (!front || front->Kind != wkChannel) return nicks;
  for (const std::string& entry : static_cast<TmChannel*>(front)->Users())
    if (!ZoSameName(StripNickPrefix(entry.c_str()), datas_.Nick.c_str())) nicks << DecodeDisplay(StripNickPrefix(entry.c_str()));
  return nicks;
}

// Esc stops a paste that is still going out line by line.
void TMainForm::CancelSending() {
  const int waiting = sender_->Pending();
  if (!waiting) return;
  sender_->Clear();
  subforms_->Write(RenderPasteStopped(waiting));
}

// The history keeps the edit's own text, so browsing gives back exactly what
// was typed, characters outside CP949 included.
void TMainForm::ShowHistoryEntry(const std::string& entry) {
  eInput->setText(QString::fromStdString(entry));
  eInput->end(false);
}

// Several lines are sent only when the user says so, to the window they were
// pasted in. The clipboard stays as it was: the user may paste it again.
bool TMainForm::PasteClipboard() {
  const std::string text = WireText(QApplication::clipboard()->text());
  const std::vector<std::string_view> lines = PastedLines(text);
  if (lines.size() < 2) return false;  // the edit's own paste
  const TFront front = subforms_->InputFront();
  if (front.kind == TFrontKind::None) return true;
  QPointer<TMainForm> alive(this);
  const QString first = DecodeDisplay(lines.front().data(), lines.front().size());
  const TPasteAnswer answer = AskPaste(static_cast<int>(lines.size()), first);
  if (!alive || answer == TPasteAnswer::Nothing || !(subforms_->InputFront() == front)) return true;
  if (answer == TPasteAnswer::OneLine)
    RunAction(PasteJoined(lines, front, datas_.Nick));
  else
    for (TLineAction& action : PasteEach(lines, front, datas_.Nick)) RunAction(std::move(action));
  if (const int waiting = sender_->Pending()) subforms_->Write(RenderPasteWaiting(waiting));
  return true;
}
