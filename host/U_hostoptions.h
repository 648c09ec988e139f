// The command line of the host program: the page, the control's properties,
// a script and settings to store.
#pragma once

#include <QString>
#include <QStringList>

#include "U_namedvalues.h"
#include "U_programline.h"

struct HostOptions {
  QString page;            // empty: no page
  NamedValues properties;  // SKIN, ADDR, CHAN, NICK as given on the line
  QString script;          // empty: no script; "-": standard input
  QString grabDir;         // empty: no grabs unless VELKO_GRAB_DIR is set
  NamedValues settings;    // --set NAME=VALUE, stored before the control starts
  bool inputLine = false;  // the control shows its own input line
  bool verbose = false;    // the browser engine tells how it started
};

// Only settings to store: the host stores them and ends.
inline bool OnlySettings(const HostOptions& options) {
  return !options.settings.empty() && options.page.isEmpty() && options.properties.empty() && options.script.isEmpty();
}

struct ParsedOptions {
  HostOptions options;
  ProgramLine line;  // the help, the version or why the line cannot be used

  bool ok() const { return line.outcome == ProgramLine::Run; }
};

// `args` without the program name. Options take their value as the next
// argument or after "="; the help lists the settings --set takes.
ParsedOptions ParseHostOptions(const QStringList& args);
