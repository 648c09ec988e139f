// Reading back what an output pane shows: a whole line and its colour.
#pragma once

#include <functional>
#include <gtest/gtest.h>
#include <string>

class QString;
class TmABSRich;

// Puts a line of kind `kind` straight into the pane, past the client.
void AddPaneLine(TmABSRich* pane, const std::string& text, int kind);

// The place of the line reading `text` (stamp aside) counted from the
// oldest, after the waiting lines were shown; -1 when there is none.
int LineReading(TmABSRich* pane, const QString& text);

// The pane shows a line reading exactly `utf8`, in the colour of line kind `kind`.
testing::AssertionResult Shows(TmABSRich* pane, const char* utf8, int kind);
// The same, waiting for it; the pane is looked up again on every try since
// the window may not exist yet.
testing::AssertionResult EventuallyShows(const std::function<TmABSRich*()>& pane, const char* utf8, int kind,
                                         int timeoutMs = 8000);
