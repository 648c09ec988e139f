// The command-line manners every program shares: --help and --version, a
// value-taking option followed by no value refused, errors worded alike.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

// What a command line asks for; `text` is the help, the version or the error.
struct ProgramLine {
  enum Outcome { Run, Help, Version, Error };
  Outcome outcome = Run;
  QString text;
};

struct ProgramSyntax {
  QString name;         // as the user types it
  QString summary;      // a sentence on what the program does
  QString argument;     // the positional argument's name, e.g. "page"; empty: none
  QString argumentForm; // how it is written, e.g. "[PAGE.html|URL]"
  QString argumentHelp; // what it is
};

// Adds `options` and the shared ones to `parser`, and parses `args` (without
// the program's name).
ProgramLine ReadProgramLine(QCommandLineParser& parser, const ProgramSyntax& syntax,
                            const QList<QCommandLineOption>& options, const QStringList& args);

// Writes the help or version to standard output, an error prefixed with the
// program's name to standard error. The exit code, or -1 for Run.
int ReportProgramLine(const ProgramLine& line, const QString& program);
