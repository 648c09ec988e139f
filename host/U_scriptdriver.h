// Plays a script against the control: lines run one by one through the
// control's name dispatch or, for host commands, through the host; answers
// are framed on the given stream. Lines keep running while a call waits in a
// nested event loop (a modal dialog), so a script can look at and answer it.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <deque>
#include <memory>
#include <ostream>

#include "U_scriptcmd.h"
#include "com_dispatch.h"

// The host's side of the host commands (.grab, .windows, .pane, .members,
// .dialog, .answer).
class ScriptHostCommands {
 public:
  virtual ~ScriptHostCommands() = default;
  // Fills the answer's lines of fields; returns an error text on failure.
  virtual QString Run(const ScriptCommand& command, std::vector<std::vector<QString>>* lines) = 0;
};

class ScriptDriver : public QObject {
  Q_OBJECT

 public:
  ScriptDriver(IDispatch* control, ScriptHostCommands& host, std::ostream& out, QObject* parent = nullptr);
  ~ScriptDriver() override;

  // Reads the script from a file, or from standard input for "-", as its
  // lines arrive; an error text when it cannot be opened.
  QString ReadFrom(const QString& source);
  // Queues one more line.
  void Feed(const QString& line);
  // No more lines will come.
  void EndInput();

  // How long a call may still wait once the input has ended.
  static constexpr int kWaitAfterInputMs = 3000;

 signals:
  void quitRequested();
  // The input ended and every line has run, or the last one still waits
  // kWaitAfterInputMs after the end: the host should quit, which also ends
  // the waits.
  void finished();

 private:
  void ScheduleNext();
  void RunNext();
  void Execute(const QString& line);
  void RunCall(const ScriptCommand& command);
  void RunProperty(const ScriptCommand& command);
  void RunHost(const ScriptCommand& command);
  void StartSleep(int milliseconds);
  void ReadStandardInput();

  ComPtr<IDispatch> control_;
  ScriptHostCommands& host_;
  ScriptReply reply_;
  std::deque<QString> queue_;
  QByteArray partial_;
  std::unique_ptr<QSocketNotifier> input_;
  int depth_ = 0;
  bool scheduled_ = false;
  bool sleeping_ = false;
  bool ended_ = false;
  bool quitting_ = false;
};
