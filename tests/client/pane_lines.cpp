#include "pane_lines.h"

#include <QTextBlock>
#include <QTextEdit>

#include "F_absrich.h"
#include "U_lib.h"
#include "U_render.h"
#include "wait_until.h"

testing::AssertionResult Shows(TmABSRich* pane, const char* utf8, int kind) {
  if (!pane) return testing::AssertionFailure() << "no window for \"" << utf8 << '"';
  pane->ShowPendingLines();
  // Every pane line ends in the space the output helper adds.
  const QString wanted = QString::fromUtf8(utf8) + ' ';
  for (QTextBlock block = pane->rView->document()->begin(); block.isValid(); block = block.next()) {
    if (block.text() != wanted) continue;
    const QColor shown = block.begin().fragment().charFormat().foreground().color();
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
