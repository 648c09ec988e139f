// The command line of the host program, and how its options combine with the
// parameters of the page (an option overrides the page's value).
#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

using NamedValues = std::vector<std::pair<QString, QString>>;

struct HostOptions {
  QString page;            // empty: no page
  NamedValues properties;  // SKIN, ADDR, CHAN, NICK as given on the line
  QString script;          // empty: no script; "-": standard input
  QString grabDir;         // empty: no grabs unless VELKO_GRAB_DIR is set
  NamedValues settings;    // --set NAME=VALUE, stored before the control starts
  bool help = false;
};

// Only settings to store: the host stores them and ends.
inline bool OnlySettings(const HostOptions& options) {
  return !options.settings.empty() && options.page.isEmpty() && options.properties.empty() && options.script.isEmpty();
}

struct ParsedOptions {
  HostOptions options;
  QString error;  // set when the line cannot be used

  bool ok() const { return error.isEmpty(); }
};

// `args` without the program name. Options take their value as the next
// argument or after "=".
ParsedOptions ParseHostOptions(const QStringList& args);
QString HostUsage();

// The page's values with the options laid over them: a value named like an
// option (in any letter case) is replaced, the rest are kept in page order,
// options the page lacks are added at the end.
NamedValues MergeProperties(const NamedValues& page, const NamedValues& options);
