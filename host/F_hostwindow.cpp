#include "F_hostwindow.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <iostream>

#include "Velko1_tlb.h"

THostWindow::THostWindow(IDispatch* control, QWidget* view)
    : eInput(new QLineEdit(this)), control_(control), view_(view) {
  setWindowTitle(QStringLiteral("Velko"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  column->addWidget(view, 1);
  auto* row = new QHBoxLayout;
  row->addWidget(eInput, 1);
  AddButtons(row);
  column->addLayout(row);
  connect(eInput, &QLineEdit::returnPressed, this, &THostWindow::eInputReturnPressed);
  resize(760, 520);
}

// The control's widget belongs to the control, which goes after the window.
THostWindow::~THostWindow() {
  if (view_) view_->setParent(nullptr);
}

void THostWindow::AddButtons(QHBoxLayout* row) {
  for (const Velko1Member& member : kVelko1Members) {
    if (!member.button) continue;
    auto* push = new QPushButton(QString::fromUtf8(member.button), this);
    connect(push, &QPushButton::clicked, this, [this, method = member.name] { Call(method); });
    row->addWidget(push);
  }
}

void THostWindow::Call(const char* method, const QString& text) {
  std::vector<ComVariant> args;
  if (!text.isNull()) args.emplace_back(text);
  const DispatchOutcome outcome =
      DispatchCall(control_.Get(), QString::fromLatin1(method), DISPATCH_METHOD, std::move(args));
  if (!outcome.ok()) std::cerr << "velko: " << method << ": " << DescribeFailure(outcome).toStdString() << '\n';
}

namespace {

// A browser's one-line field turns pasted line breaks into spaces; Input
// would keep only the first line and drop the rest unseen.
QString OneLine(const QString& text) {
  static const QRegularExpression breaks(QStringLiteral("[\r\n]+"));
  return text.split(breaks, Qt::SkipEmptyParts).join(QLatin1Char(' '));
}

}  // namespace

void THostWindow::eInputReturnPressed() {
  const QString text = OneLine(eInput->text());
  eInput->clear();
  if (!text.isEmpty()) Call("Input", text);
}
