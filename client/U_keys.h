// The input line's keys: which action a key with its modifiers asks for, so
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
};

TInputKey InputKeyAction(int key, Qt::KeyboardModifiers modifiers);

// The formatting byte an insert action puts at the caret; 0 for other actions.
char InsertedCode(TInputKey action);
