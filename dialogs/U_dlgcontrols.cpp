#include "U_dlgcontrols.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QValidator>
#include <algorithm>

#include "U_codepage.h"

namespace {

class TCP949Limit : public QValidator {
 public:
  TCP949Limit(int maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}

  State validate(QString& input, int& pos) const override {
    input.remove(QChar('\r')).remove(QChar('\n')).remove(QChar(0));
    const std::string bytes = EncodeText(input);
    if (static_cast<int>(bytes.size()) > maxBytes_) input.truncate(FittingLength(input));
    pos = std::min(pos, static_cast<int>(input.size()));
    return Acceptable;
  }

 private:
  // The length of the longest prefix of whole characters that fits.
  qsizetype FittingLength(const QString& text) const {
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
      const qsizetype width = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
      bytes += static_cast<int>(EncodeText(text.mid(i, width)).size());
      if (bytes > maxBytes_) break;
      i += width;
    }
    return i;
  }

  int maxBytes_;
};

QString CssColor(uint32_t rgb) { return QColor::fromRgb(rgb & 0xFFFFFF).name(); }

// A flat button is an outline in its text colour that lights up under the
// mouse; a disabled one is greyed.
QString FlatButtonStyle(const QString& fg) {
  return QString("QToolButton { color: %1; background: transparent; border: 1px solid %1; }"
                 "QToolButton:hover { background: rgba(128, 128, 128, 48); }"
                 "QToolButton:pressed { background: rgba(128, 128, 128, 96); }"
                 "QToolButton:disabled { color: #a0a0a0; border-color: #a0a0a0; }")
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

void AddMenuEntry(QMenu* menu, const char* text, QKeySequence::StandardKey key, bool enabled,
                  const std::function<void()>& run) {
  QAction* action = menu->addAction(QString::fromUtf8(text), run);
  action->setShortcut(key);
  action->setEnabled(enabled);
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

void SetTextColor(std::initializer_list<QWidget*> controls, uint32_t fg) {
  for (QWidget* control : controls) SetTextColor(control, fg);
}

void SetEditColors(QLineEdit* edit, uint32_t fg, uint32_t bg) {
  edit->setStyleSheet(QString("QLineEdit { color: %1; background: %2; border: 1px solid %1; padding: 0px 1px; }")
                          .arg(CssColor(fg), CssColor(bg)));
}

void SetListColors(QWidget* list, uint32_t fg, uint32_t bg) {
  list->setStyleSheet(QString("QAbstractItemView { color: %1; background: %2; border: 1px solid %1; }")
                          .arg(CssColor(fg), CssColor(bg)));
}

void LimitCP949(QLineEdit* edit, int maxBytes) { edit->setValidator(new TCP949Limit(maxBytes, edit)); }
