#include "cli_session.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

#include "event_lines.h"

CliSession::CliSession(CliOptions options) : options_(std::move(options)) {
  engine_.SetAddress(options_.host);
  engine_.SetPort(options_.port);
  engine_.SetNick(options_.nick);
  engine_.SetUserName(options_.user);
  BindEventLines(engine_, [](const std::string& line) {
    fprintf(stdout, "%s\n", line.c_str());
    fflush(stdout);
  });
  auto printConnect = std::move(engine_.OnConnect);
  engine_.OnConnect = [this, printConnect](void* p) {
    printConnect(p);
    const std::string registration =
        "USER quelbo 0 0 :" + options_.user + "\r\nNICK " + options_.nick + "\r\n";
    engine_.Send(registration.c_str());
  };
  auto printLogon = std::move(engine_.OnLogon);
  engine_.OnLogon = [this, printLogon](void* p) {
    printLogon(p);
    for (const std::string& channel : options_.channels) engine_.Send(("JOIN " + channel + "\r\n").c_str());
  };
}

void CliSession::Start() {
  input_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
  connect(input_.get(), &QSocketNotifier::activated, this, &CliSession::ReadInput);
  engine_.Connect();
}

void CliSession::ReadInput() {
  char buffer[4096];
  const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
  if (count <= 0) {
    if (!pending_.empty()) HandleLine(pending_);
    Quit();
    return;
  }
  pending_.append(buffer, static_cast<size_t>(count));
  size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    std::string line = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    HandleLine(line);
  }
}

void CliSession::HandleLine(const std::string& line) {
  if (line.empty() || line[0] != '.') {
    engine_.Send((line + "\r\n").c_str());
    return;
  }
  const size_t space = line.find(' ');
  RunCommand(line.substr(0, space), space == std::string::npos ? "" : line.substr(space + 1));
}

void CliSession::RunCommand(const std::string& command, const std::string& argument) {
  if (command == ".simulate") {
    engine_.SimulateLine(argument.c_str());
  } else if (command == ".quit") {
    Quit();
  } else {
    fprintf(stderr, "velkocli: unknown command %s\n", command.c_str());
  }
}

void CliSession::Quit() {
  input_->setEnabled(false);
  engine_.Disconnect();
  QCoreApplication::exit(0);
}
