#include "U_clientview.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <algorithm>

#include "F_absrich.h"
#include "F_mchannel.h"
#include "U_codepage.h"
#include "U_modalman.h"
#include "U_paneview.h"
#include "U_subforms.h"

namespace {

qsizetype TrailingBlanks(const QString& line) {
  qsizetype count = 0;
  while (count < line.size() && line[line.size() - 1 - count].isSpace()) ++count;
  return count;
}

QString FirstWord(const QString& text) { return text.section(QLatin1Char(' '), 0, 0); }

// The button a typed answer confirms with: the one labelled OK, else the first.
QToolButton* ConfirmButton(TModalForm& dialog) {
  const auto buttons = dialog.findChildren<QToolButton*>();
  for (QToolButton* button : buttons)
    if (button->text() == QString::fromUtf8("확인")) return button;
  return buttons.isEmpty() ? nullptr : buttons.first();
}

}  // namespace

std::vector<VelkoWindowRow> WindowRows(const CSubforms& manager) {
  std::vector<VelkoWindowRow> rows;
  for (int i = 0; i < manager.Count(); ++i) rows.push_back({manager.Form(i)->Kind, manager.Form(i)->windowTitle()});
  return rows;
}

TMDIABS* FindByCaption(const CSubforms& manager, const QString& caption) {
  for (int i = 0; i < manager.Count(); ++i)
    if (manager.Form(i)->windowTitle() == caption) return manager.Form(i);
  for (int i = 0; i < manager.Count(); ++i)
    if (FirstWord(manager.Form(i)->windowTitle()).compare(caption, Qt::CaseInsensitive) == 0) return manager.Form(i);
  return nullptr;
}

bool PaneTail(TMDIABS* form, int count, QStringList* lines) {
  TmABSRich* rich = form ? form->Output() : nullptr;
  if (!rich) return false;
  rich->ShowPendingLines();
  QStringList all;
  // Without their time stamps; the pane ends its lines with a blank.
  const TPaneLines& shown = rich->rView->Lines();
  for (int64_t line = shown.First(); line < shown.End(); ++line) {
    all << shown.LineText(line);
    all.last().chop(TrailingBlanks(all.last()));
  }
  while (!all.isEmpty() && all.last().isEmpty()) all.removeLast();
  *lines = all.mid(std::max<qsizetype>(0, all.size() - std::max(count, 0)));
  return true;
}

bool MemberEntries(const CSubforms& manager, const QString& channel, QStringList* members) {
  TmChannel* form = manager.FindChannel(EncodeText(channel).c_str());
  if (!form) return false;
  members->clear();
  for (const std::string& entry : form->Users()) members->append(DecodeDisplay(entry.c_str()));
  return true;
}

TDialogWatch::TDialogWatch() {
  SetModalAnswer([this](TModalForm& dialog) {
    std::erase_if(shown_, [](const QPointer<TModalForm>& form) { return form.isNull(); });
    shown_.emplace_back(&dialog);
  });
}

TDialogWatch::~TDialogWatch() { SetModalAnswer(nullptr); }

TModalForm* TDialogWatch::Front() {
  for (auto it = shown_.rbegin(); it != shown_.rend(); ++it)
    if (*it && (*it)->isVisible()) return it->data();
  return nullptr;
}

void TDialogWatch::Describe(TModalForm& dialog, QString* caption, QString* text) {
  *caption = dialog.windowTitle();
  QStringList texts;
  for (const QLabel* label : dialog.findChildren<QLabel*>())
    if (label->isVisible() && !label->text().isEmpty()) texts.append(label->text());
  *text = texts.join(QLatin1Char(' '));
}

void TDialogWatch::Answer(TModalForm& dialog, const QString& answer) {
  for (QToolButton* button : dialog.findChildren<QToolButton*>())
    if (button->text() == answer) return button->click();
  if (auto* edit = dialog.findChild<QLineEdit*>()) edit->setText(answer);
  if (QToolButton* button = ConfirmButton(dialog)) button->click();
}
