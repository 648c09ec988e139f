// The input line: the edit's keys, the page's Input, and the one paced queue
// that every line the user types or pastes takes to the server, so lines keep
// their order and a long paste never gets the user thrown off.
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>

#include "F_mainform.h"
#include "F_mchannel.h"
#include "F_mquery.h"
#include "U_codepage.h"
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
  sender_ = new TPacedSender([this](const std::string& line) { Send(line); }, this);
  eInput->installEventFilter(new TKeyFilter(eInput, [this](QKeyEvent* event) { return eInputKeyDown(event); }));
}

void TMainForm::Input(const char* text) {
  if (text) RunLine(text);
}

void TMainForm::Input(const QString& text) { RunLine(WireText(text)); }

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
  }
  return false;
}

// The history keeps the edit's own text, so browsing gives back exactly what
// was typed, characters outside CP949 included.
void TMainForm::ShowHistoryEntry(const std::string& entry) {
  eInput->setText(QString::fromStdString(entry));
  eInput->end(false);
}

bool TMainForm::PasteClipboard() {
  QClipboard* clipboard = QApplication::clipboard();
  std::optional<std::vector<TLineAction>> actions = PasteLines(WireText(clipboard->text()), subforms_->InputFront(), datas_.Nick);
  if (!actions) return false;
  for (TLineAction& action : *actions) RunAction(std::move(action));
  // Emptied as the edit would after its own paste: the block went out as lines.
  clipboard->clear();
  return true;
}
