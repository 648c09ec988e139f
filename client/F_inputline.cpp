#include "F_inputline.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include "F_findbar.h"
#include "F_mchannel.h"
#include "M_pastebox.h"
#include "U_chatclient.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_dlgcontrols.h"
#include "U_lib.h"
#include "U_subforms.h"

TInputLine::TInputLine(CSubforms& subforms, TChatClient& client, QWidget* parent)
    : QLineEdit(parent), subforms_(subforms), client_(client) {}

// Keys are taken before the edit (and the focus chain, for Tab) sees them.
bool TInputLine::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (RunKey(InputKeyAction(key->key(), key->modifiers()))) return true;
  }
  return QLineEdit::event(event);
}

// The edit's usual menu, in Korean, with a paste that asks as Ctrl+V does.
QMenu* TInputLine::ContextMenu() {
  auto* menu = new QMenu(this);
  const bool chosen = hasSelectedText();
  AddMenuEntry(menu, "실행 취소", QKeySequence::Undo, isUndoAvailable(), [this] { undo(); });
  AddMenuEntry(menu, "다시 실행", QKeySequence::Redo, isRedoAvailable(), [this] { redo(); });
  menu->addSeparator();
  AddMenuEntry(menu, "잘라내기", QKeySequence::Cut, chosen, [this] { cut(); });
  AddMenuEntry(menu, "복사", QKeySequence::Copy, chosen, [this] { copy(); });
  AddMenuEntry(menu, "붙여넣기", QKeySequence::Paste, !QApplication::clipboard()->text().isEmpty(), [this] {
    if (!PasteSeveral(QClipboard::Clipboard)) paste();
  });
  AddMenuEntry(menu, "삭제", QKeySequence::Delete, chosen, [this] { del(); });
  menu->addSeparator();
  AddMenuEntry(menu, "모두 선택", QKeySequence::SelectAll, !text().isEmpty(), [this] { selectAll(); });
  return menu;
}

void TInputLine::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = ContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void TInputLine::mouseReleaseEvent(QMouseEvent* event) {
  const bool selection = QApplication::clipboard()->supportsSelection();
  if (event->button() == Qt::MiddleButton && selection && PasteSeveral(QClipboard::Selection)) return;
  QLineEdit::mouseReleaseEvent(event);
}

void TInputLine::KeepFocus(bool keep) {
  if (keep)
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusChanged(now); });
  else
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

// A click in a pane or a member list would take the focus and lose what is
// typed next; the focus comes back and the click still selects.
void TInputLine::FocusChanged(QWidget* now) {
  for (QWidget* w = now; w; w = w->parentWidget()) {
    if (qobject_cast<TFindBar*>(w)) return;  // typing goes to the find bar
    auto* form = qobject_cast<TMDIABS*>(w);
    if (!form) continue;
    // After the focus change has run its course, or it would end on the pane.
    if (form->Output()) QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
    return;
  }
}

bool TInputLine::RunKey(TInputKey key) {
  switch (key) {
    case TInputKey::None:
    case TInputKey::ShowSettings: return false;
    case TInputKey::Enter: Enter(); return true;
    case TInputKey::HistoryUp: {
      const std::optional<std::string> entry = History.Up();
      if (entry) ShowHistoryEntry(*entry);
      return entry.has_value();
    }
    case TInputKey::HistoryDown: ShowHistoryEntry(History.Down()); return true;
    case TInputKey::ClearHistory: History.Clear(); return true;
    case TInputKey::Paste: return PasteSeveral(QClipboard::Clipboard);
    case TInputKey::InsertBold:
    case TInputKey::InsertReverse:
    case TInputKey::InsertUnderline:
    case TInputKey::InsertColor: insert(QString(QChar(InsertedCode(key)))); return true;
    case TInputKey::SelectPrev: subforms_.SelectPrev(); return true;
    case TInputKey::SelectNext: subforms_.SelectNext(); return true;
    case TInputKey::Tile: subforms_.Tile(); return true;
    case TInputKey::Cascade: subforms_.Cascade(); return true;
    case TInputKey::OneAtATime: subforms_.OneAtATime(); return true;
    case TInputKey::CloseFront: subforms_.CloseForm(subforms_.FrontForm()); return true;
    case TInputKey::CompleteNick: CompleteNick(); return true;
    case TInputKey::CancelSending: client_.CancelSending(); return true;
    case TInputKey::Find:
    case TInputKey::FindNext:
    case TInputKey::FindPrevious: {
      TmABSRich* pane = subforms_.FrontOutputForm();
      return pane && pane->RunFindKey(key);
    }
  }
  return false;
}

void TInputLine::Enter() {
  const QString typed = text();
  if (typed.isEmpty()) return;
  History.Add(typed.toStdString());
  clear();
  client_.RunLine(client_.WireText(typed));
}

void TInputLine::CompleteNick() {
  if (auto done = completer_.Complete(text(), cursorPosition(), FrontChannelNicks())) {
    setText(done->line);
    setCursorPosition(done->caret);
  }
}

QStringList TInputLine::FrontChannelNicks() const {
  QStringList nicks;
  auto* front = qobject_cast<TmChannel*>(subforms_.FrontForm());
  if (!front) return nicks;
  const std::string& own = client_.Settings().Nick;
  for (const std::string& nick : front->Nicks())
    if (!ZoSameName(nick.c_str(), own.c_str())) nicks << DecodeDisplay(nick.c_str());
  return nicks;
}

// The history keeps the edit's own text, so browsing gives back exactly what
// was typed, characters outside CP949 included.
void TInputLine::ShowHistoryEntry(const std::string& entry) {
  setText(QString::fromStdString(entry));
  end(false);
}

// Several lines are sent only when the user says so, to the window they were
// pasted in. The clipboard stays as it was: the user may paste it again.
bool TInputLine::PasteSeveral(QClipboard::Mode mode) {
  const std::string text = client_.WireText(QApplication::clipboard()->text(mode));
  const std::vector<std::string_view> lines = PastedLines(text);
  if (lines.size() < 2) return false;  // the edit's own paste
  const TFront front = subforms_.InputFront();
  if (front.kind == TFrontKind::None) return true;
  QPointer<TInputLine> alive(this);
  const QString first = DecodeDisplay(lines.front().data(), lines.front().size());
  const TPasteAnswer answer = AskPaste(static_cast<int>(lines.size()), first);
  if (!alive || answer == TPasteAnswer::Nothing || !(subforms_.InputFront() == front)) return true;
  client_.Paste(lines, front, answer == TPasteAnswer::OneLine);
  return true;
}
