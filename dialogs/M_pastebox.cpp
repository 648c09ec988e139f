#include "M_pastebox.h"

#include <QLabel>

#include "U_dlgcontrols.h"

TKPasteBox::TKPasteBox(QWidget* owner, int lines, const QString& firstLine)
    : TKQuestionBox(owner, QSize(398, 86), QString::fromUtf8("%1줄을 보낼까요?").arg(lines), true,
                    {QString::fromUtf8("한 줄로")}),
      lFirstLine(MakeLabel(pClient, QRect(8, 32, 382, 16), QString())),
      sbOneLine(Answer(2)) {
  lFirstLine->setAlignment(Qt::AlignCenter);
  QString shown = firstLine;
  shown.removeIf([](QChar c) { return c.unicode() < 0x20; });  // formatting codes
  lFirstLine->setText(lFirstLine->fontMetrics().elidedText(shown, Qt::ElideRight, lFirstLine->width()));
  SetTextColor(lFirstLine, DialogTextColor());
}

TPasteAnswer AskPaste(int lines, const QString& firstLine) {
  TModalHolder<TKPasteBox> box(lines, firstLine);
  switch (box->ShowModal()) {
    case mrOk: return TPasteAnswer::EachLine;
    case TKPasteBox::mrOneLine: return TPasteAnswer::OneLine;
    default: return TPasteAnswer::Nothing;
  }
}
