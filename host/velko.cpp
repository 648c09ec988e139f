// The host program. Without a page it places the control above an input line
// and the buttons, created by its ProgID through the component layer, its
// properties from the command line, driven by a script if one is given. A
// page goes to the page program, so that this one never loads the browser
// engine.
#include <QString>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "U_firstpaint.h"
#include "U_hostmain.h"
#include "U_programfiles.h"

namespace {

// The page program takes over this process with the same line: the same
// options, standard streams and exit code.
int HandToPageProgram(int&, char** argv, const HostOptions&) {
  const QByteArray program = BesideProgram(VELKO_PAGE_PROGRAM);
  execv(program.constData(), argv);
  return Fail(QStringLiteral("cannot start the page program %1: %2")
                  .arg(QString::fromLocal8Bit(program), QString::fromLocal8Bit(strerror(errno))));
}

}  // namespace

int main(int argc, char** argv) {
  StartFirstPaintClock();
  const HostProgram program{ControlModule(VELKO1_MODULE), HandToPageProgram, true};
  return HostMain(argc, argv, ParseHostOptions(ProgramArguments(argc, argv)), program);
}
