#include "U_hostoptions.h"

#include <array>

#include "U_serveraddress.h"

namespace {

enum class Target { Property, Script, GrabDir, Setting };

struct OptionRule {
  const char* option;
  Target target;
  const char* property;
};

constexpr std::array<OptionRule, 7> kOptions{{
    {"--skin", Target::Property, "SKIN"},
    {"--addr", Target::Property, "ADDR"},
    {"--chan", Target::Property, "CHAN"},
    {"--nick", Target::Property, "NICK"},
    {"--script", Target::Script, nullptr},
    {"--grab-dir", Target::GrabDir, nullptr},
    {"--set", Target::Setting, nullptr},
}};

const OptionRule* FindOption(const QString& name) {
  for (const OptionRule& rule : kOptions)
    if (name == QLatin1String(rule.option)) return &rule;
  return nullptr;
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

// Reads the option at `args[*index]`, moving past its value.
QString ReadOption(const QStringList& args, qsizetype* index, HostOptions* options) {
  const QString& arg = args[*index];
  const qsizetype equals = arg.indexOf(QLatin1Char('='));
  const QString name = equals < 0 ? arg : arg.left(equals);
  const OptionRule* rule = FindOption(name);
  if (!rule) return QStringLiteral("unknown option %1").arg(name);
  if (equals >= 0) return Apply(*rule, arg.mid(equals + 1), options);
  if (*index + 1 >= args.size() || args[*index + 1].startsWith(QStringLiteral("--")))
    return QStringLiteral("%1 needs a value").arg(name);
  return Apply(*rule, args[++*index], options);
}

}  // namespace

ParsedOptions ParseHostOptions(const QStringList& args) {
  ParsedOptions parsed;
  for (qsizetype i = 0; i < args.size() && parsed.ok(); ++i) {
    const QString& arg = args[i];
    if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
      parsed.options.help = true;
    } else if (arg == QLatin1String("--input-line")) {
      parsed.options.inputLine = true;
    } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
      parsed.error = ReadOption(args, &i, &parsed.options);
    } else if (parsed.options.page.isEmpty() && !arg.isEmpty()) {
      parsed.options.page = arg;
    } else {
      parsed.error = QStringLiteral("only one page can be played, \"%1\" is one too many").arg(arg);
    }
  }
  return parsed;
}

QString HostUsage() {
  return QStringLiteral(
      "usage: velko [PAGE.html] [--skin URL] [--addr [ircs://]HOST[:[+]PORT]] [--chan LIST] [--nick NICK]\n"
      "             [--script FILE|-] [--grab-dir DIR] [--set NAME=VALUE]... [--input-line]\n"
      "--set stores a setting (SaslAccount, SaslPassword, TlsFingerprint, Encoding ...); alone, it stores and ends.\n");
}

NamedValues MergeProperties(const NamedValues& page, const NamedValues& options) {
  NamedValues merged = page;
  for (const auto& option : options) {
    bool replaced = false;
    for (auto& value : merged) {
      if (value.first.compare(option.first, Qt::CaseInsensitive) != 0) continue;
      value.second = option.second;
      replaced = true;
    }
    if (!replaced) merged.push_back(option);
  }
  return merged;
}
