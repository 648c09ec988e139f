#include "U_keys.h"

#include "U_lib.h"

namespace {

constexpr char kCodeReverse = 0x16;

TInputKey CtrlKeyAction(int key, bool shift) {
  switch (key) {
    case Qt::Key_V: return TInputKey::Paste;
    case Qt::Key_B: return TInputKey::InsertBold;
    case Qt::Key_R: return TInputKey::InsertReverse;
    case Qt::Key_U: return TInputKey::InsertUnderline;
    case Qt::Key_K: return TInputKey::InsertColor;
    // Shift+Tab arrives as Backtab.
    case Qt::Key_Backtab: return TInputKey::SelectPrev;
    case Qt::Key_Tab: return shift ? TInputKey::SelectPrev : TInputKey::SelectNext;
    case Qt::Key_1: return TInputKey::Tile;
    case Qt::Key_2: return TInputKey::Cascade;
    case Qt::Key_3: return TInputKey::OneAtATime;
    case Qt::Key_F4: return TInputKey::CloseFront;
    case Qt::Key_Comma: return TInputKey::ShowSettings;
    case Qt::Key_F: return TInputKey::Find;
    // Other Ctrl keys stay the edit's own (copy, cut, undo, word moves).
    default: return TInputKey::None;
  }
}

}  // namespace

TInputKey InputKeyAction(int key, Qt::KeyboardModifiers modifiers) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return TInputKey::Enter;
    case Qt::Key_Up: return TInputKey::HistoryUp;
    case Qt::Key_Down: return TInputKey::HistoryDown;
    case Qt::Key_Space:
      if (modifiers & Qt::AltModifier) return TInputKey::ClearHistory;
      break;
    case Qt::Key_Tab:
      if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier))) return TInputKey::CompleteNick;
      break;
    case Qt::Key_Escape: return TInputKey::CancelSending;
    case Qt::Key_F2: return TInputKey::ShowSettings;
    case Qt::Key_F3: return modifiers & Qt::ShiftModifier ? TInputKey::FindPrevious : TInputKey::FindNext;
    // The edit's other paste key goes the same way as Ctrl+V.
    case Qt::Key_Insert:
      if (modifiers == Qt::ShiftModifier) return TInputKey::Paste;
      break;
    default: break;
  }
  if (!(modifiers & Qt::ControlModifier)) return TInputKey::None;
  return CtrlKeyAction(key, modifiers & Qt::ShiftModifier);
}

TFindKey FindKeyAction(int key, Qt::KeyboardModifiers modifiers) {
  const bool shift = modifiers & Qt::ShiftModifier;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3: return shift ? TFindKey::Previous : TFindKey::Next;
    case Qt::Key_Escape: return TFindKey::Close;
    default: return TFindKey::None;
  }
}

char InsertedCode(TInputKey action) {
  switch (action) {
    case TInputKey::InsertBold: return kCodeBold;
    case TInputKey::InsertReverse: return kCodeReverse;
    case TInputKey::InsertUnderline: return kCodeUnderline;
    case TInputKey::InsertColor: return kCodeColor;
    default: return 0;
  }
}
