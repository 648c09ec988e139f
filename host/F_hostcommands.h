// The host's own script commands: grabs of the host window, and what the
// control's windows and dialogs show, read through its embedding interface.
#pragma once

#include <QString>

#include "U_scriptdriver.h"
#include "Velko1_embed.h"

class QWidget;

class THostCommands : public ScriptHostCommands {
 public:
  // An empty `grabDir` refuses grabs.
  THostCommands(IVelkoEmbed& control, QWidget& window, QString grabDir);

  QString Run(const ScriptCommand& command, std::vector<std::vector<QString>>* lines) override;

 private:
  QString Grab(const QString& name);
  QString ListWindows(std::vector<std::vector<QString>>* lines);
  QString Pane(const ScriptCommand& command, std::vector<std::vector<QString>>* lines);
  QString Members(const QString& channel, std::vector<std::vector<QString>>* lines);
  QString Dialog(std::vector<std::vector<QString>>* lines);
  QString Answer(const QString& answer);

  IVelkoEmbed& control_;
  QWidget& window_;
  QString grabDir_;
};
