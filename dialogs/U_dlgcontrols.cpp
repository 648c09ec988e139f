#include "U_dlgcontrols.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace {

QString CssColor(uint32_t rgb) { return QColor::fromRgb(rgb & 0xFFFFFF).name(); }

// A flat button is an outline in its text colour that lights up under the mouse.
QString FlatButtonStyle(const QString& fg) {
  return QString("QToolButton { color: %1; background: transparent; border: 1px solid %1; }"
                 "QToolButton:hover { background: rgba(128, 128, 128, 48); }"
                 "QToolButton:pressed { background: rgba(128, 128, 128, 96); }")
      .arg(fg);
}

}  // namespace

QLabel* MakeLabel(QWidget* parent, const QRect& geometry, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);  // server text must never be read as markup
  label->setGeometry(geometry);
  return label;
}

QLabel* MakePromptLabel(QWidget* parent, const QRect& geometry) {
  QLabel* label = MakeLabel(parent, geometry, "QUELBO 5");
  label->setAlignment(Qt::AlignCenter);
  QFont bold = label->font();
  bold.setBold(true);
  label->setFont(bold);
  return label;
}

QToolButton* MakeFlatButton(QWidget* parent, const QRect& geometry, const QString& text) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setGeometry(geometry);
  button->setCursor(Qt::PointingHandCursor);
  button->setStyleSheet(FlatButtonStyle("#000000"));
  return button;
}

QLineEdit* MakeFlatEdit(QWidget* parent, const QRect& geometry) {
  auto* edit = new QLineEdit(parent);
  edit->setGeometry(geometry);
  SetEditColors(edit, 0x000000, 0xFFFFFF);
  return edit;
}

void SetTextColor(QWidget* control, uint32_t fg) {
  if (auto* button = qobject_cast<QToolButton*>(control)) {
    button->setStyleSheet(FlatButtonStyle(CssColor(fg)));
    return;
  }
  QPalette palette = control->palette();
  palette.setColor(QPalette::WindowText, QColor::fromRgb(fg & 0xFFFFFF));
  control->setPalette(palette);
}

void SetEditColors(QLineEdit* edit, uint32_t fg, uint32_t bg) {
  edit->setStyleSheet(QString("QLineEdit { color: %1; background: %2; border: 1px solid %1; padding: 0px 1px; }")
                          .arg(CssColor(fg), CssColor(bg)));
}
