#include "U_scriptdriver.h"

#include <unistd.h>

#include <QFile>
#include <QTimer>

ScriptDriver::ScriptDriver(IDispatch* control, ScriptHostCommands& host, std::ostream& out, QObject* parent)
    : QObject(parent), control_(control), host_(host), reply_(out) {}

ScriptDriver::~ScriptDriver() = default;

QString ScriptDriver::ReadFrom(const QString& source) {
  if (source == QLatin1String("-")) {
    input_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    connect(input_.get(), &QSocketNotifier::activated, this, &ScriptDriver::ReadStandardInput);
    return {};
  }
  QFile file(source);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    return QStringLiteral("cannot read the script %1: %2").arg(source, file.errorString());
  while (!file.atEnd()) Feed(QString::fromUtf8(file.readLine()));
  EndInput();
  return {};
}

void ScriptDriver::Feed(const QString& line) {
  queue_.push_back(line);
  ScheduleNext();
}

void ScriptDriver::EndInput() {
  ended_ = true;
  ScheduleNext();
}

void ScriptDriver::ReadStandardInput() {
  char buffer[4096];
  const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (got <= 0) {
    input_->setEnabled(false);
    if (!partial_.isEmpty()) Feed(QString::fromUtf8(std::exchange(partial_, {})));
    EndInput();
    return;
  }
  partial_.append(buffer, got);
  qsizetype end;
  while ((end = partial_.indexOf('\n')) >= 0) {
    Feed(QString::fromUtf8(partial_.left(end)));
    partial_.remove(0, end + 1);
  }
}

// One line per turn of the event loop, so that a nested loop a call waits in
// gets the next line and can also end between two lines.
void ScriptDriver::ScheduleNext() {
  if (scheduled_) return;
  scheduled_ = true;
  QMetaObject::invokeMethod(this, &ScriptDriver::RunNext, Qt::QueuedConnection);
}

void ScriptDriver::RunNext() {
  scheduled_ = false;
  if (sleeping_ || quitting_) return;
  if (queue_.empty()) {
    if (ended_ && depth_ == 0) emit finished();
    // No line can come to answer the dialog the last call waits in: after a
    // grace for waits that end by themselves, the script is over all the same.
    if (ended_ && depth_ > 0)
      QTimer::singleShot(kWaitAfterInputMs, this, [this] {
        if (depth_ > 0) emit finished();
      });
    return;
  }
  const QString line = queue_.front();
  queue_.pop_front();
  ScheduleNext();
  ++depth_;
  Execute(line);
  --depth_;
  if (depth_ == 0) ScheduleNext();
}

void ScriptDriver::Execute(const QString& line) {
  const ScriptLine parsed = ParseScriptLine(line);
  if (parsed.kind == ScriptLine::Nothing) return;
  if (parsed.kind == ScriptLine::Error) return reply_.Fail(parsed.error);
  const ScriptCommand& command = parsed.command;
  switch (command.verb) {
    case ScriptVerb::Call:
      return RunCall(command);
    case ScriptVerb::Put:
    case ScriptVerb::Get:
      return RunProperty(command);
    case ScriptVerb::Sleep:
      return StartSleep(command.number);
    case ScriptVerb::Quit:
      reply_.End();
      quitting_ = true;
      emit quitRequested();
      return;
    default:
      return RunHost(command);
  }
}

void ScriptDriver::RunCall(const ScriptCommand& command) {
  std::vector<ComVariant> args;
  if (command.hasText) args.emplace_back(command.text);
  const DispatchOutcome outcome = DispatchCall(control_.Get(), command.member, DISPATCH_METHOD, std::move(args));
  if (!outcome.ok()) return reply_.Fail(DescribeFailure(outcome));
  reply_.End();
}

void ScriptDriver::RunProperty(const ScriptCommand& command) {
  const bool put = command.verb == ScriptVerb::Put;
  const DispatchOutcome outcome =
      put ? DispatchCall(control_.Get(), command.member, DISPATCH_PROPERTYPUT, {ComVariant(command.text)})
          : DispatchCall(control_.Get(), command.text, DISPATCH_PROPERTYGET);
  if (!outcome.ok()) return reply_.Fail(DescribeFailure(outcome));
  if (!put) reply_.Line({outcome.value.ToQString()});
  if (put && outcome.hr == S_FALSE) reply_.Line({QStringLiteral("refused")});
  reply_.End();
}

void ScriptDriver::RunHost(const ScriptCommand& command) {
  std::vector<std::vector<QString>> lines;
  const QString error = host_.Run(command, &lines);
  if (!error.isEmpty()) return reply_.Fail(error);
  for (const auto& fields : lines) reply_.Line(fields);
  reply_.End();
}

// The answer comes when the time is up; the lines after it wait until then.
void ScriptDriver::StartSleep(int milliseconds) {
  sleeping_ = true;
  QTimer::singleShot(milliseconds, this, [this] {
    sleeping_ = false;
    reply_.End();
    ScheduleNext();
  });
}
