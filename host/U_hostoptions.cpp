#include "U_hostoptions.h"

#include <array>

#include "U_serveraddress.h"

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

struct SettingHelp {
  const char* name;
  const char* meaning;
};

constexpr SettingHelp kSettings[] = {
    {"Address", "the server's host name"},
    {"Port", "the server's port (a number)"},
    {"Nick", "the nick to log on with"},
    {"UserName", "the name sent at logon"},
    {"EMail, Location, Age, Sex, Intro", "the user's profile, stored only"},
    {"FontName, FontSize", "the font, stored only"},
    {"DCCDir", "where received files go"},
    {"DCCChatAutoAccept", "1: connect a peer's chat offer without asking"},
    {"Alias", "the alias table, KEY=VALUE entries separated by ;"},
    {"Encoding", "text on the wire: auto, cp949 or utf-8"},
    {"Utf8", "1: UTF-8 on the wire when Encoding is auto"},
    {"InputLine", "1: the control shows its own input line"},
    {"ChatLogs", "1: channel and private windows keep daily log files"},
    {"Timestamps", "1 (default): pane lines start with [HH:MM]"},
    {"NickColors", "1 (default): each nick has a colour of its own"},
    {"PaneLines", "lines a pane keeps (default 2000, at least 200)"},
    {"Notifications", "1 (default): mentions and private lines in the background notify the desktop"},
    {"HistoryLines", "past lines fetched on joining where the server keeps them (default 50, 0: none)"},
    {"Friends", "nicks, separated by commas, whose coming and going is shown"},
    {"SaslAccount, SaslPassword", "the SASL PLAIN login; empty account: none"},
    {"TlsFingerprint", "a server certificate's SHA-256 to trust"},
    {"TlsCaFile", "a CA file (PEM) to trust"},
    {"TlsClientCert, TlsClientKey", "a client certificate and its key (PEM), for SASL EXTERNAL"},
};

QString SettingsHelp() {
  QString text = QStringLiteral("\nSettings (--set NAME=VALUE):\n");
  for (const SettingHelp& setting : kSettings)
    text += QStringLiteral("  %1\n      %2\n").arg(QLatin1String(setting.name), QLatin1String(setting.meaning));
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
