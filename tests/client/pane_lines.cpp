#include "pane_lines.h"

#include <QTextBlock>
#include <QTextEdit>
#include <algorithm>

#include "F_absrich.h"
#include "U_lib.h"
#include "U_render.h"
#include "wait_until.h"

QColor ColourAt(const QTextBlock& block, int offset) {
  const int at = block.position() + offset;
  for (auto it = block.begin(); !it.atEnd(); ++it)
    if (it.fragment().contains(at)) return it.fragment().charFormat().foreground().color();
  return {};
}

testing::AssertionResult Shows(TmABSRich* pane, const char* utf8, int kind) {
  if (!pane) return testing::AssertionFailure() << "no window for \"" << utf8 << '"';
  pane->ShowPendingLines();
  // Every pane line ends in the space the output helper adds.
  const QString wanted = QString::fromUtf8(utf8) + ' ';
  for (QTextBlock block = pane->rView->document()->begin(); block.isValid(); block = block.next()) {
    if (LineText(block) != wanted) continue;
    // The line's own colour starts after its stamp.
    const QColor shown = ColourAt(block, std::max(block.userState(), 0));
    if (shown == QColor(KindColor(kind))) return testing::AssertionSuccess();
    return testing::AssertionFailure() << '"' << utf8 << "\" in " << shown.name().toStdString() << ", not kind " << kind;
  }
  return testing::AssertionFailure() << '"' << utf8 << "\" not among:\n" << pane->rView->toPlainText().toStdString();
}

testing::AssertionResult EventuallyShows(const std::function<TmABSRich*()>& pane, const char* utf8, int kind,
                                         int timeoutMs) {
  WaitUntil([&] { return static_cast<bool>(Shows(pane(), utf8, kind)); }, timeoutMs);
  return Shows(pane(), utf8, kind);
}
