// The input line's and the find bar's keys: which action a key with its modifiers asks for, so
// the edit's key handler only carries it out.
#pragma once

#include <Qt>

enum class TInputKey {
  None,  // left to the edit
  Enter,
  HistoryUp,
  HistoryDown,
  ClearHistory,
  Paste,
  InsertBold,
  InsertReverse,
  InsertUnderline,
  InsertColor,
  SelectPrev,
  SelectNext,
  Tile,
  Cascade,
  OneAtATime,
  CloseFront,
  CompleteNick,
  CancelSending,
  ShowSettings,  // the window's key: the input line leaves it to the main window
  Find,
  FindNext,
  FindPrevious,
};

TInputKey InputKeyAction(int key, Qt::KeyboardModifiers modifiers);

// The find bar's own keys: Enter and F3 go to the next (older) match,
// Shift with either to the previous one, Esc closes the bar.
enum class TFindKey { None, Next, Previous, Close };
TFindKey FindKeyAction(int key, Qt::KeyboardModifiers modifiers);

// The formatting byte an insert action puts at the caret; 0 for other actions.
char InsertedCode(TInputKey action);
