// What the two host programs share: the command line read and its settings
// stored, the control created through the component layer and loaded with
// the options, a script played against it, and the page-less window. The
// plain program hands a page to the page program, which alone loads the
// browser engine.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "F_hostcommands.h"
#include "U_hostoptions.h"
#include "U_scriptdriver.h"
#include "Velko1_embed.h"
#include "Velko1_tlb.h"

class QApplication;

// Says what went wrong on standard error; the program's exit code for it.
int Fail(const QString& message);

// The control's module: $VELKO1_MODULE, else `besideProgram` from the
// program's folder.
QByteArray ControlModule(const char* besideProgram);
ComPtr<InVELKO_1> CreateControl(const QByteArray& module, QString* error);

// A script against a control, with the host commands of the window it is in;
// its end ends the application.
struct ScriptSession {
  ScriptSession(IDispatch* control, IVelkoEmbed* embed, QWidget& window, const HostOptions& options);
  ComPtr<IVelkoEmbed> embed_;
  THostCommands commands;
  ScriptDriver driver;
};

struct HostProgram {
  QByteArray module;
  // Shows the line's page: the page program in this process (making the
  // application itself), the plain one by handing the whole line on.
  std::function<int(int& argc, char** argv, const HostOptions& options)> showPage;
  // The page goes on before any setting is stored: the receiver stores them.
  bool handsPagesOn = false;
};

// The arguments after the program's name.
QStringList ProgramArguments(int argc, char** argv);
// The whole program once its line is read: usage, settings, then the page or
// the control in the host's own window.
int HostMain(int& argc, char** argv, const ParsedOptions& parsed, const HostProgram& program);
