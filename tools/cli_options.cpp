#include "cli_options.h"

#include "U_serveraddress.h"

namespace {

bool ParseAddress(const std::string& text, CliOptions* options) {
  const auto address = ParseServerAddress(text);
  if (!address || address->host.empty() || !address->portValid) return false;
  options->host = address->host;
  options->port = address->port;
  options->tls = address->tls;
  return true;
}

void SplitChannels(const std::string& text, std::vector<std::string>* channels) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string channel = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!channel.empty()) channels->push_back(channel);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

QList<QCommandLineOption> OptionsOf(const CliProgram& program) {
  QList<QCommandLineOption> options{
      {QStringLiteral("addr"), QStringLiteral("The server; ircs:// or +PORT for TLS (default localhost:6667)."),
       QStringLiteral("[ircs://]HOST[:[+]PORT]")},
      {QStringLiteral("nick"), QStringLiteral("The nick to log on with."), QStringLiteral("NICK")},
      {QStringLiteral("user"), QStringLiteral("The user name sent at logon."), QStringLiteral("NAME")},
      {QStringLiteral("join"), QStringLiteral("Channels to join after logon, comma-separated (repeatable)."),
       QStringLiteral("#a,#b")},
      {QStringLiteral("no-reconnect"), QStringLiteral("Do not connect again when the server is lost.")},
  };
  if (!program.dcc) return options;
  options.append({QStringLiteral("dcc-dir"), QStringLiteral("Accept offered files into DIR (else they are declined)."),
                  QStringLiteral("DIR")});
  options.append({QStringLiteral("accept-chat"), QStringLiteral("Accept offered DCC chats.")});
  return options;
}

// Option values carry the user's bytes untouched: Latin-1 maps each to one character.
std::string Bytes(const QString& value) { return value.toLatin1().toStdString(); }

QString Apply(const QCommandLineParser& parser, bool dcc, CliOptions* options) {
  if (!parser.positionalArguments().isEmpty())
    return QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
  for (const QString& address : parser.values(QStringLiteral("addr")))
    if (!ParseAddress(Bytes(address), options)) return QStringLiteral("bad address: ") + address;
  if (parser.isSet(QStringLiteral("nick"))) options->nick = Bytes(parser.value(QStringLiteral("nick")));
  if (parser.isSet(QStringLiteral("user"))) options->user = Bytes(parser.value(QStringLiteral("user")));
  if (parser.isSet(QStringLiteral("join"))) options->channels.clear();
  for (const QString& channels : parser.values(QStringLiteral("join"))) SplitChannels(Bytes(channels), &options->channels);
  options->reconnect = !parser.isSet(QStringLiteral("no-reconnect"));
  if (!dcc) return {};
  if (parser.isSet(QStringLiteral("dcc-dir"))) options->dccDir = Bytes(parser.value(QStringLiteral("dcc-dir")));
  options->acceptChat = parser.isSet(QStringLiteral("accept-chat"));
  return {};
}

}  // namespace

CliCommand ParseCliOptions(const CliProgram& program, const std::vector<std::string>& args, CliOptions defaults) {
  QStringList line;
  for (const std::string& arg : args) line.append(QString::fromLatin1(arg));
  QCommandLineParser parser;
  CliCommand command{ReadProgramLine(parser, program.syntax, OptionsOf(program), line), std::move(defaults)};
  if (command.line.outcome != ProgramLine::Run) return command;
  if (QString error = Apply(parser, program.dcc, &command.options); !error.isEmpty()) command.line = {ProgramLine::Error, error};
  return command;
}
