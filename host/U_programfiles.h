// Where the host's other parts lie: beside the running program, at the same
// relative path in a build tree and in an installed one, so that no build
// folder is ever written into a program.
#pragma once

#include <QByteArray>

// `relative` to the running program's folder, as an absolute path.
QByteArray BesideProgram(const char* relative);
