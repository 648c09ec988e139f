// The host's readers: pages as people write them (and break them), script
// lines, the answer framing a script reader relies on, and the command line.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <sstream>

#include "U_codepage.h"
#include "U_hostoptions.h"
#include "U_pageparams.h"
#include "U_scriptcmd.h"

namespace {

QString Join(const NamedValues& values) {
  QStringList parts;
  for (const auto& value : values) parts << value.first + QLatin1Char('=') + value.second;
  return parts.join(QLatin1Char(';'));
}

TEST(PageParams, ReadsTheFirstObjectsOwnParamsFromPagesAsWritten) {
  const struct {
    const char* html;
    const char* expected;
  } pages[] = {
      {R"(<html><body><object id=v classid="clsid:x"><param name="SKIN" value="http://h/s.txt">
          <PARAM NAME=ADDR VALUE=irc.local:7000><param name=CHAN value="a,#b"></object></body></html>)",
       "SKIN=http://h/s.txt;ADDR=irc.local:7000;CHAN=a,#b"},
      {"<object><param name=NICK value='&lt;me&gt;&amp;you'><param value=orphan><param name=EMPTY></object>",
       "NICK=<me>&you;EMPTY="},
      {"<p>text<object><param name=A value=1><object><param name=INNER value=2></object><param name=B value=3>",
       "A=1;B=3"},
      {"<table><tr><object><div><param name=DEEP value=ok></div></td></table></object>", "DEEP=ok"},
      {"<object><param name=NICK value=\"\xEB\xB2\xA8\xEC\xBD\x94\"></object>", "NICK=\xEB\xB2\xA8\xEC\xBD\x94"},
  };
  for (const auto& page : pages) {
    const PageParams result = ParsePageParams(QByteArray(page.html));
    ASSERT_TRUE(result.ok()) << page.html << " " << result.error.toStdString();
    EXPECT_EQ(Join(result.values), QString::fromUtf8(page.expected)) << page.html;
  }
  const std::string cp949 = "<object><param name=NICK value=\"" + EncodeText(QStringLiteral("벨코")) + "\">";
  EXPECT_EQ(Join(ParsePageParams(QByteArray::fromStdString(cp949)).values), QStringLiteral("NICK=벨코"));
}

TEST(PageParams, TheControlsObjectIsFoundByItsClassAmongOthers) {
  const QByteArray html =
      "<object classid='clsid:D27CDB6E-AE6D-11CF-96B8-444553540000'><param name=movie value=ad.swf></object>"
      "<object classid='CLSID:1f8cd809-9d95-4e72-8009-b33e180aea07'><param name=NICK value=me></object>";
  EXPECT_EQ(Join(ParsePageParams(html, QStringLiteral("{1F8CD809-9D95-4E72-8009-B33E180AEA07}")).values),
            QStringLiteral("NICK=me"));
  EXPECT_EQ(Join(ParsePageParams(html, QStringLiteral("{00000000-0000-0000-0000-000000000000}")).values),
            QStringLiteral("movie=ad.swf"));
}

TEST(PageParams, UnusablePagesGiveAClearErrorInsteadOfValues) {
  const struct {
    QByteArray html;
    const char* error;
  } pages[] = {
      {"", "empty"},
      {"<html><body><p>no control here</body>", "no <object>"},
      {QByteArray("\0\0\0<<<>>>\xFF\xFE", 12), "no <object>"},
      {QByteArray(kMaxPageBytes + 1, 'x'), "larger than"},
  };
  for (const auto& page : pages) {
    const PageParams result = ParsePageParams(page.html);
    EXPECT_TRUE(result.error.contains(QString::fromLatin1(page.error))) << result.error.toStdString();
    EXPECT_TRUE(result.values.empty());
  }
  // Pathological markup is read or refused, never a crash.
  for (const QByteArray& html : {"<object" + QByteArray(100000, '<') + "param name=A value=1>",
                                 QByteArray("<div><span>").repeated(100000) + "<object><param name=A value=1>"}) {
    const PageParams result = ParsePageParams(html);
    EXPECT_TRUE(result.ok() || !result.error.isEmpty());
  }
  QTemporaryDir folder;
  const PageParams missing = ReadPageParams(folder.path() + QStringLiteral("/none.html"));
  EXPECT_TRUE(missing.error.contains(QStringLiteral("none.html"))) << missing.error.toStdString();
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
                                                 "a,#b", "--script", "-", "--grab-dir", "/tmp/g", "--nick", "two"});
  ASSERT_TRUE(parsed.ok()) << parsed.error.toStdString();
  EXPECT_EQ(parsed.options.page, QStringLiteral("page.html"));
  EXPECT_EQ(parsed.options.script, QStringLiteral("-"));
  EXPECT_EQ(parsed.options.grabDir, QStringLiteral("/tmp/g"));
  EXPECT_EQ(Join(parsed.options.properties), QStringLiteral("NICK=two;ADDR=irc.local:7000;CHAN=a,#b"));

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
  };
  for (const auto& entry : lines) {
    const ParsedOptions parsed = ParseHostOptions(entry.args);
    EXPECT_TRUE(parsed.error.contains(QString::fromUtf8(entry.error)))
        << entry.args.join(' ').toStdString() << ": " << parsed.error.toStdString();
  }
  for (const char* address : {"irc.local", "ircs://irc.local", "ircs://irc.local:7000", "irc.local:+6697"})
    EXPECT_TRUE(ParseHostOptions({"--addr", address}).ok()) << address;
  EXPECT_TRUE(ParseHostOptions({"--help"}).options.help);
}

}  // namespace
