#include "pane_lines.h"

#include <QColor>

#include "F_absrich.h"
#include "U_paneview.h"
#include "U_render.h"
#include "client_fixture.h"
#include "wait_until.h"

void AddPaneLine(TmABSRich* pane, const std::string& text, int kind) {
  pane->AddLine(TOutLine{TOutTarget::None, {}, kind, text});
}

int LineReading(TmABSRich* pane, const QString& text) {
  pane->ShowPendingLines();
  const TPaneLines& lines = pane->rView->Lines();
  for (int64_t line = lines.First(); line < lines.End(); ++line)
    if (lines.LineText(line) == text) return static_cast<int>(line - lines.First());
  return -1;
}

testing::AssertionResult Shows(TmABSRich* pane, const char* utf8, int kind) {
  if (!pane) return testing::AssertionFailure() << "no window for \"" << utf8 << '"';
  // Every pane line ends in the space the output helper adds.
  const int line = LineReading(pane, QString::fromUtf8(utf8) + ' ');
  if (line < 0) return testing::AssertionFailure() << '"' << utf8 << "\" not among:\n" << PaneText(pane).toStdString();
  const QColor shown = pane->rView->ColourAt(line, 0);
  if (shown == QColor(KindColor(kind))) return testing::AssertionSuccess();
  return testing::AssertionFailure() << '"' << utf8 << "\" in " << shown.name().toStdString() << ", not kind " << kind;
}

testing::AssertionResult EventuallyShows(const std::function<TmABSRich*()>& pane, const char* utf8, int kind,
                                         int timeoutMs) {
  WaitUntil([&] { return static_cast<bool>(Shows(pane(), utf8, kind)); }, timeoutMs);
  return Shows(pane(), utf8, kind);
}
