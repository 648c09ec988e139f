// The host's readers: script lines, the answer framing a script reader
// relies on, and the command line.
#include <gtest/gtest.h>

#include <sstream>

#include "U_hostoptions.h"
#include "U_scriptcmd.h"

namespace {

QString Join(const NamedValues& values) {
  QStringList parts;
  for (const auto& value : values) parts << value.first + QLatin1Char('=') + value.second;
  return parts.join(QLatin1Char(';'));
}

TEST(ScriptLines, CommandsAndTheirArguments) {
  const struct {
    const char* line;
    ScriptVerb verb;
    const char* member;
    const char* text;
    int number;
  } lines[] = {
      {"Input hello  world ", ScriptVerb::Call, "Input", "hello  world ", 0},
      {"Input", ScriptVerb::Call, "Input", "", 0},
      {"  tile  ", ScriptVerb::Call, "Tile", "", 0},
      {"put NICK 벨 코", ScriptVerb::Put, "NICK", "벨 코", 0},
      {"get ADDR ", ScriptVerb::Get, "", "ADDR", 0},
      {".pane #velko 5", ScriptVerb::Pane, "", "#velko", 5},
      {".SLEEP 250", ScriptVerb::Sleep, "", "", 250},
      {".resize 1100  700", ScriptVerb::Resize, "", "", 1100},
  };
  for (const auto& entry : lines) {
    const ScriptLine parsed = ParseScriptLine(QString::fromUtf8(entry.line));
    ASSERT_EQ(parsed.kind, ScriptLine::Command) << entry.line << " " << parsed.error.toStdString();
    EXPECT_EQ(parsed.command.verb, entry.verb) << entry.line;
    EXPECT_EQ(parsed.command.member, QString::fromUtf8(entry.member)) << entry.line;
    EXPECT_EQ(parsed.command.text, QString::fromUtf8(entry.text)) << entry.line;
    EXPECT_EQ(parsed.command.number, entry.number) << entry.line;
  }
  for (const char* nothing : {"   ", "# a comment", "\r\n"})
    EXPECT_EQ(ParseScriptLine(QString::fromUtf8(nothing)).kind, ScriptLine::Nothing) << nothing;
}

TEST(ScriptLines, MalformedCommandsAreErrorsNamingTheProblem) {
  const struct {
    const char* line;
    const char* error;
  } lines[] = {
      {"Explode now", "unknown command Explode"},
      {"Tile now", "takes no argument"},
      {"get", "needs one word"},
      {".pane #velko -1", "line count"},
      {".sleep soon", "milliseconds"},
      {".grab ../../etc/x", "without a folder"},
      {".resize 100 700", "a width and a height"},
      {".resize 800", "a width and a height"},
  };
  for (const auto& entry : lines) {
    const ScriptLine parsed = ParseScriptLine(QString::fromUtf8(entry.line));
    EXPECT_EQ(parsed.kind, ScriptLine::Error) << entry.line;
    EXPECT_TRUE(parsed.error.contains(QString::fromUtf8(entry.error)))
        << entry.line << ": " << parsed.error.toStdString();
  }
}

TEST(ScriptReply, EveryAnswerEndsWithALoneDotThatNoDataLineCanImitate) {
  std::ostringstream out;
  ScriptReply reply(out);
  reply.Line({QStringLiteral("2"), QStringLiteral("#velko")});
  reply.Line({QStringLiteral("tab\there"), QStringLiteral("two\r\nlines")});
  reply.Line({QStringLiteral(".")});
  reply.Line({QStringLiteral("..x")});
  reply.End();
  reply.End();
  reply.Fail(QStringLiteral("no such\twindow"));
  EXPECT_EQ(out.str(), "2\t#velko\ntab here\ttwo  lines\n..\n...x\n.\n.\nerror\tno such window\n.\n");
  EXPECT_EQ(UnstuffReplyLine(QStringLiteral("..")), QStringLiteral("."));
  EXPECT_EQ(UnstuffReplyLine(QStringLiteral("...x")), QStringLiteral("..x"));
}

TEST(HostOptions, OptionsAndPage) {
  const ParsedOptions parsed = ParseHostOptions({"page.html", "--nick", "벨코", "--addr=irc.local:7000", "--chan",
                                                 "a,#b", "--script", "-", "--grab-dir", "/tmp/g", "--nick", "two",
                                                 "--set", "SaslAccount=a=b", "--set=Utf8=1"});
  ASSERT_TRUE(parsed.ok()) << parsed.line.text.toStdString();
  EXPECT_EQ(parsed.options.page, QStringLiteral("page.html"));
  EXPECT_EQ(parsed.options.script, QStringLiteral("-"));
  EXPECT_EQ(parsed.options.grabDir, QStringLiteral("/tmp/g"));
  EXPECT_EQ(Join(parsed.options.properties), QStringLiteral("ADDR=irc.local:7000;CHAN=a,#b;NICK=two"));
  EXPECT_EQ(Join(parsed.options.settings), QStringLiteral("SaslAccount=a=b;Utf8=1"));
  EXPECT_FALSE(OnlySettings(parsed.options));
  EXPECT_TRUE(OnlySettings(ParseHostOptions({"--set", "Utf8=1"}).options));

  const NamedValues page{{"skin", "http://a/s"}, {"Nick", "page"}, {"Other", "x"}};
  EXPECT_EQ(Join(MergeProperties(page, parsed.options.properties)),
            QStringLiteral("skin=http://a/s;Nick=two;Other=x;ADDR=irc.local:7000;CHAN=a,#b"));
}

TEST(HostOptions, UnusableLinesAreRefusedWithTheReason) {
  const struct {
    QStringList args;
    const char* error;
  } lines[] = {
      {{"--colour", "red"}, "unknown option --colour"},
      {{"--nick"}, "--nick needs a value"},
      {{"--nick", "--chan", "#a"}, "--nick needs a value"},
      {{"a.html", "b.html"}, "one too many"},
      {{"--addr", "host:0"}, "--addr"},
      {{"--addr", ":7000"}, "--addr"},
      {{"--addr", "ircs://h:+"}, "--addr"},
      {{"--script="}, "--script needs"},
      {{"--set", "=x"}, "--set needs NAME=VALUE"},
      {{"--set", "Utf8"}, "--set needs NAME=VALUE"},
  };
  for (const auto& entry : lines) {
    const ParsedOptions parsed = ParseHostOptions(entry.args);
    EXPECT_EQ(parsed.line.outcome, ProgramLine::Error) << entry.args.join(' ').toStdString();
    EXPECT_TRUE(parsed.line.text.contains(QString::fromUtf8(entry.error)))
        << entry.args.join(' ').toStdString() << ": " << parsed.line.text.toStdString();
  }
  for (const char* address : {"irc.local", "ircs://irc.local", "ircs://irc.local:7000", "irc.local:+6697"})
    EXPECT_TRUE(ParseHostOptions({"--addr", address}).ok()) << address;
}

TEST(HostOptions, HelpDescribesEveryOptionAndSetting) {
  for (const char* help : {"--help", "-h"})
    EXPECT_EQ(ParseHostOptions({"--nick", "n", help}).line.outcome, ProgramLine::Help) << help;
  const QString help = ParseHostOptions({"--help"}).line.text;
  EXPECT_TRUE(help.startsWith(QStringLiteral("Usage: velko [options] [PAGE.html|URL]\n"))) << help.toStdString();
  for (const char* named : {"--skin", "--addr", "--chan", "--nick", "--script", "--grab-dir", "--set", "--input-line",
                            "--version", "SaslPassword", "TlsFingerprint", "Encoding", "DCCDir", "ChatLogs"})
    EXPECT_TRUE(help.contains(QLatin1String(named))) << named;
  EXPECT_TRUE(ParseHostOptions({"--version"}).line.text.startsWith(QStringLiteral("velko 1.")));
}

}  // namespace
