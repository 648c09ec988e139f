#include "frame_input.h"

#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <QWidget>

namespace {

void Send(QWidget* widget, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
  const QPointF local = widget->mapFromGlobal(QPointF(global));
  QMouseEvent event(type, local, local, QPointF(global), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

}  // namespace

QPoint Global(const QWidget* widget, QPoint local) { return widget->mapToGlobal(local); }

// Sent directly rather than through QTest, which reads a local (0, 0) as
// "the centre" and turns a move without buttons into a platform cursor move.
void Hover(QWidget* widget, QPoint global) { Send(widget, QEvent::MouseMove, global, Qt::NoButton, Qt::NoButton); }

void Press(QWidget* widget, QPoint global) {
  Send(widget, QEvent::MouseButtonPress, global, Qt::LeftButton, Qt::LeftButton);
}

void DragTo(QWidget* widget, QPoint global) { Send(widget, QEvent::MouseMove, global, Qt::NoButton, Qt::LeftButton); }

void Release(QWidget* widget, QPoint global) {
  Send(widget, QEvent::MouseButtonRelease, global, Qt::LeftButton, Qt::NoButton);
}

void DoubleClick(QWidget* widget, QPoint global) {
  Press(widget, global);
  Release(widget, global);
  Send(widget, QEvent::MouseButtonDblClick, global, Qt::LeftButton, Qt::LeftButton);
  Release(widget, global);
}

void TypeText(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClick(widget, c.toLatin1());
      continue;
    }
    QInputMethodEvent commit;
    commit.setCommitString(QString(c));
    QApplication::sendEvent(widget, &commit);
  }
}

void SaveGrab(QWidget* widget, const QString& name) {
  const QString dir = qEnvironmentVariable("VELKO_GRAB_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  const QPixmap grab = widget->grab();
  grab.save(dir + "/" + name + ".png");
  // Four times as large, pixel for pixel, to judge the one-pixel lines.
  grab.scaled(grab.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(dir + "/" + name + "_x4.png");
}
