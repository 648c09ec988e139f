#include "U_hostoptions.h"

#include <array>
#include <span>

#include "U_serveraddress.h"
#include "U_settingrules.h"

namespace {

enum class Target { Property, Script, GrabDir, Setting };

struct OptionRule {
  const char* option;
  Target target;
  const char* property;
  const char* value;
  const char* help;
};

constexpr std::array<OptionRule, 7> kOptions{{
    {"skin", Target::Property, "SKIN", "URL", "The skin to dress the control in (SKIN)."},
    {"addr", Target::Property, "ADDR", "[ircs://]HOST[:[+]PORT]",
     "The server to connect to (ADDR); ircs:// or +PORT for TLS."},
    {"chan", Target::Property, "CHAN", "LIST", "Channels to join once logged on, comma-separated (CHAN)."},
    {"nick", Target::Property, "NICK", "NICK", "The nick to log on with (NICK)."},
    {"script", Target::Script, nullptr, "FILE|-", "Play the commands in FILE, or standard input with -."},
    {"grab-dir", Target::GrabDir, nullptr, "DIR", "Where .grab writes its pictures (else $VELKO_GRAB_DIR)."},
    {"set", Target::Setting, nullptr, "NAME=VALUE",
     "Store a setting (repeatable, all or nothing); alone on the line, store and end."},
}};

// Settings that share a meaning (a profile, a login) are listed together.
QString SettingsHelp() {
  QString text = QStringLiteral("\nSettings (--set NAME=VALUE):\n");
  const std::span<const TSettingInfo> settings = SettingInfos();
  for (auto row = settings.begin(); row != settings.end();) {
    QStringList names;
    auto next = row;
    for (; next != settings.end() && QLatin1String(next->meaning) == QLatin1String(row->meaning); ++next)
      names.append(QLatin1String(next->name));
    const QString shown = QString::fromUtf8(row->shownDefault);
    text += QStringLiteral("  %1\n      %2%3\n")
                .arg(names.join(QStringLiteral(", ")), QLatin1String(row->meaning),
                     shown.isEmpty() || names.size() > 1 ? QString() : QStringLiteral(" (default %1)").arg(shown));
    row = next;
  }
  return text;
}

QList<QCommandLineOption> HostCommandLineOptions() {
  QList<QCommandLineOption> options;
  for (const OptionRule& rule : kOptions)
    options.append(QCommandLineOption(QString::fromLatin1(rule.option), QString::fromLatin1(rule.help),
                                      QString::fromLatin1(rule.value)));
  options.append(QCommandLineOption(QStringLiteral("input-line"), QStringLiteral("The control shows its own input line.")));
  options.append(QCommandLineOption(QStringLiteral("verbose"),
                                    QStringLiteral("With a page: the browser engine prints how it started.")));
  return options;
}

const ProgramSyntax& HostSyntax() {
  static const ProgramSyntax syntax{
      QStringLiteral("velko"), QStringLiteral("Shows a page with its chat controls, or one control on its own."),
      QStringLiteral("page"), QStringLiteral("[PAGE.html|URL]"),
      QStringLiteral("The page to show; without one, a control of its own.")};
  return syntax;
}

bool ValidAddress(const QString& text) {
  const auto address = ParseServerAddress(text.toStdString());
  return address && !address->host.empty() && address->portValid;
}

QString Apply(const OptionRule& rule, const QString& value, HostOptions* options) {
  switch (rule.target) {
    case Target::Property:
      if (QLatin1String(rule.property) == QLatin1String("ADDR") && !ValidAddress(value))
        return QStringLiteral("--addr needs HOST, HOST:PORT, HOST:+PORT or ircs://HOST[:PORT] with a port from 1 to "
                              "65535, not \"%1\"")
            .arg(value);
      options->properties = MergeProperties(options->properties, {{QString::fromLatin1(rule.property), value}});
      return {};
    case Target::Script:
      if (value.isEmpty()) return QStringLiteral("--script needs a file or -");
      options->script = value;
      return {};
    case Target::GrabDir:
      if (value.isEmpty()) return QStringLiteral("--grab-dir needs a folder");
      options->grabDir = value;
      return {};
    case Target::Setting: {
      const qsizetype equals = value.indexOf(QLatin1Char('='));
      if (equals <= 0) return QStringLiteral("--set needs NAME=VALUE, not \"%1\"").arg(value);
      options->settings.emplace_back(value.left(equals), value.mid(equals + 1));
      return {};
    }
  }
  return {};
}

QString ApplyAll(const QCommandLineParser& parser, HostOptions* options) {
  for (const OptionRule& rule : kOptions)
    for (const QString& value : parser.values(QString::fromLatin1(rule.option)))
      if (QString error = Apply(rule, value, options); !error.isEmpty()) return error;
  options->inputLine = parser.isSet(QStringLiteral("input-line"));
  options->verbose = parser.isSet(QStringLiteral("verbose"));
  const QStringList pages = parser.positionalArguments();
  if (pages.size() > 1) return QStringLiteral("only one page can be played, \"%1\" is one too many").arg(pages[1]);
  if (!pages.isEmpty()) options->page = pages.first();
  return {};
}

}  // namespace

ParsedOptions ParseHostOptions(const QStringList& args) {
  QCommandLineParser parser;
  ParsedOptions parsed;
  parsed.line = ReadProgramLine(parser, HostSyntax(), HostCommandLineOptions(), args);
  if (parsed.line.outcome == ProgramLine::Help) parsed.line.text += SettingsHelp();
  if (parsed.line.outcome != ProgramLine::Run) return parsed;
  if (QString error = ApplyAll(parser, &parsed.options); !error.isEmpty())
    parsed.line = {ProgramLine::Error, error};
  return parsed;
}
