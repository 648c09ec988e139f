#include "F_hostcommands.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace {

void AddEach(const QStringList& texts, std::vector<std::vector<QString>>* lines) {
  for (const QString& text : texts) lines->push_back({text});
}

QString Failure(HRESULT hr, const QString& what) {
  if (hr == E_INVALIDARG) return what;
  return TakeErrorMessage().value_or(QStringLiteral("failed (0x%1)").arg(uint32_t(hr), 8, 16, QLatin1Char('0')));
}

}  // namespace

THostCommands::THostCommands(IVelkoEmbed& control, QWidget& window, QString grabDir)
    : control_(control), window_(window), grabDir_(std::move(grabDir)) {}

QString THostCommands::Run(const ScriptCommand& command, std::vector<std::vector<QString>>* lines) {
  switch (command.verb) {
    case ScriptVerb::Grab: return Grab(command.text);
    case ScriptVerb::Windows: return ListWindows(lines);
    case ScriptVerb::Pane: return Pane(command, lines);
    case ScriptVerb::Members: return Members(command.text, lines);
    case ScriptVerb::Dialog: return Dialog(lines);
    case ScriptVerb::Answer: return Answer(command.text);
    case ScriptVerb::Resize: window_.resize(command.number, command.height); return {};
    default: return QStringLiteral("not a host command");
  }
}

QString THostCommands::Grab(const QString& name) {
  if (grabDir_.isEmpty()) return QStringLiteral("no grab folder (--grab-dir or VELKO_GRAB_DIR)");
  if (!QDir().mkpath(grabDir_)) return QStringLiteral("cannot make the grab folder ") + grabDir_;
  QString file = name;
  if (!file.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) file += QLatin1String(".png");
  const QString path = QDir(grabDir_).filePath(file);
  if (!window_.grab().save(path, "PNG")) return QStringLiteral("cannot write ") + path;
  return {};
}

QString THostCommands::ListWindows(std::vector<std::vector<QString>>* lines) {
  std::vector<VelkoWindowRow> rows;
  const HRESULT hr = control_.Windows(&rows);
  if (FAILED(hr)) return Failure(hr, {});
  for (const VelkoWindowRow& row : rows) lines->push_back({QString::number(row.kind), row.caption});
  return {};
}

QString THostCommands::Pane(const ScriptCommand& command, std::vector<std::vector<QString>>* lines) {
  QStringList texts;
  const HRESULT hr = control_.PaneLines(command.text, command.number, &texts);
  if (FAILED(hr)) return Failure(hr, QStringLiteral("no window with an output pane is called ") + command.text);
  AddEach(texts, lines);
  return {};
}

QString THostCommands::Members(const QString& channel, std::vector<std::vector<QString>>* lines) {
  QStringList members;
  const HRESULT hr = control_.Members(channel, &members);
  if (FAILED(hr)) return Failure(hr, QStringLiteral("no channel window ") + channel);
  AddEach(members, lines);
  return {};
}

QString THostCommands::Dialog(std::vector<std::vector<QString>>* lines) {
  QString caption, text;
  if (control_.Dialog(&caption, &text) != S_OK) {
    lines->push_back({QStringLiteral("none")});
    return {};
  }
  lines->push_back({caption, text});
  return {};
}

QString THostCommands::Answer(const QString& answer) {
  if (control_.Answer(answer) != S_OK) return QStringLiteral("no dialog is open");
  return {};
}
