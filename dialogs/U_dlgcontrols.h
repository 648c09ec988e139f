// The few control kinds the small windows are designed with (label, flat
// button, flat edit), made at their design geometry and coloured as told.
#pragma once

#include <QKeySequence>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>

class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class QWidget;

QLabel* MakeLabel(QWidget* parent, const QRect& geometry, const QString& text);
// The centred bold line a message or question is shown in.
QLabel* MakePromptLabel(QWidget* parent, const QRect& geometry);
QToolButton* MakeFlatButton(QWidget* parent, const QRect& geometry, const QString& text);
QLineEdit* MakeFlatEdit(QWidget* parent, const QRect& geometry);
// A right-click menu entry in Korean that shows the standard key it stands for.
void AddMenuEntry(QMenu* menu, const char* text, QKeySequence::StandardKey key, bool enabled,
                  const std::function<void()>& run);
// Keeps `edit` within `maxBytes` bytes of CP949, whole characters only, and
// out of line breaks, which would end an IRC line early.
void LimitCP949(QLineEdit* edit, int maxBytes);

// Text of a label or flat button in `fg`.
void SetTextColor(QWidget* control, uint32_t fg);
void SetTextColor(std::initializer_list<QWidget*> controls, uint32_t fg);
// A flat edit's text and outline in `fg` on `bg`.
void SetEditColors(QLineEdit* edit, uint32_t fg, uint32_t bg);
// A list or tree view's entries and outline in `fg` on `bg`.
void SetListColors(QWidget* list, uint32_t fg, uint32_t bg);
