#include "U_programline.h"

#include <iostream>

namespace {

QString Dashed(const QString& name) {
  return (name.size() > 1 ? QStringLiteral("--") : QStringLiteral("-")) + name;
}

// QCommandLineParser would take the next option as the value.
QString MissingValue(const QList<QCommandLineOption>& options, const QStringList& args) {
  for (const QCommandLineOption& option : options) {
    if (option.valueName().isEmpty()) continue;
    for (const QString& name : option.names()) {
      const qsizetype at = args.indexOf(Dashed(name));
      if (at >= 0 && (at + 1 == args.size() || args[at + 1].startsWith(QStringLiteral("--"))))
        return QStringLiteral("%1 needs a value").arg(Dashed(name));
    }
  }
  return {};
}

// The parser names the running executable; the help names the program.
QString HelpText(const QCommandLineParser& parser, const ProgramSyntax& syntax) {
  const QString generated = parser.helpText();
  QString usage = QStringLiteral("Usage: %1 [options]").arg(syntax.name);
  if (!syntax.argument.isEmpty()) usage += QLatin1Char(' ') + syntax.argumentForm;
  return usage + generated.mid(generated.indexOf(QLatin1Char('\n')));
}

}  // namespace

ProgramLine ReadProgramLine(QCommandLineParser& parser, const ProgramSyntax& syntax,
                            const QList<QCommandLineOption>& options, const QStringList& args) {
  parser.setApplicationDescription(syntax.summary);
  // Not the parser's own: those would offer Qt's options, which no program here takes.
  parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and end.")});
  parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version and end.")});
  parser.addOptions(options);
  if (!syntax.argument.isEmpty())
    parser.addPositionalArgument(syntax.argument, syntax.argumentHelp, syntax.argumentForm);
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h")))
    return {ProgramLine::Help, HelpText(parser, syntax)};
  if (args.contains(QStringLiteral("--version")) || args.contains(QStringLiteral("-v")))
    return {ProgramLine::Version, QStringLiteral("%1 %2\n").arg(syntax.name, QStringLiteral(VELKO_VERSION))};
  if (const QString missing = MissingValue(options, args); !missing.isEmpty()) return {ProgramLine::Error, missing};
  if (parser.parse(QStringList{syntax.name} + args)) return {};
  const QStringList unknown = parser.unknownOptionNames();
  if (!unknown.isEmpty()) return {ProgramLine::Error, QStringLiteral("unknown option %1").arg(Dashed(unknown.first()))};
  return {ProgramLine::Error, parser.errorText()};
}

int ReportProgramLine(const ProgramLine& line, const QString& program) {
  switch (line.outcome) {
    case ProgramLine::Run:
      return -1;
    case ProgramLine::Help:
    case ProgramLine::Version:
      std::cout << line.text.toStdString() << std::flush;
      return 0;
    case ProgramLine::Error:
      std::cerr << program.toStdString() << ": " << line.text.toStdString() << "\nTry '" << program.toStdString()
                << " --help' for more information.\n";
      return 2;
  }
  return -1;
}
