// Reading back what an output pane shows: a whole line and its colour.
#pragma once

#include <functional>
#include <gtest/gtest.h>

class QColor;
class QTextBlock;
class TmABSRich;

// The colour of the character `offset` characters into the line.
QColor ColourAt(const QTextBlock& block, int offset);

// The pane shows a line reading exactly `utf8`, in the colour of line kind `kind`.
testing::AssertionResult Shows(TmABSRich* pane, const char* utf8, int kind);
// The same, waiting for it; the pane is looked up again on every try since
// the window may not exist yet.
testing::AssertionResult EventuallyShows(const std::function<TmABSRich*()>& pane, const char* utf8, int kind,
                                         int timeoutMs = 8000);
