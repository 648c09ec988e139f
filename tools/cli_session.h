// velkocli's session: one engine, its events printed to standard output, and
// lines from standard input sent raw or run as dot-commands.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <string>

#include "Zoengine.h"
#include "cli_options.h"
#include "reconnector.h"

class CliSession : public QObject {
  Q_OBJECT

 public:
  explicit CliSession(CliOptions options);
  void Start();

 private:
  void ReadInput();
  void HandleLine(const std::string& line);
  void RunCommand(const std::string& command, const std::string& argument);
  void BindDCC();
  void BindReconnect();
  FileHandle OpenTarget(const char* offeredName) const;
  void OfferFile(const std::string& argument);
  bool RunDCCCommand(const std::string& command, const std::string& argument);
  void Quit();

  CliOptions options_;
  TZoEngine engine_;
  Reconnector reconnector_;
  std::unique_ptr<QSocketNotifier> input_;
  std::string pending_;
};
