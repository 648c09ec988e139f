#include "U_scriptcmd.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <optional>

#include "Velko1_tlb.h"

namespace {

enum class Shape {
  None,          // nothing may follow
  Text,          // the rest of the line, may be empty
  RequiredText,  // the rest of the line, not empty
  Word,          // one word
  FileName,      // one word naming a file inside a folder, not a path
  NameValue,     // a word, then the rest of the line
  CaptionCount,  // the rest of the line up to a last word that is a count
  Milliseconds,  // a count of milliseconds
  Size,          // a width and a height in pixels
};

struct VerbRule {
  const char* word;
  ScriptVerb verb;
  Shape shape;
};

// The control's methods come from its member list; these are the rest.
constexpr std::array<VerbRule, 11> kVerbs{{
    {"put", ScriptVerb::Put, Shape::NameValue},
    {"get", ScriptVerb::Get, Shape::Word},
    {".grab", ScriptVerb::Grab, Shape::FileName},
    {".windows", ScriptVerb::Windows, Shape::None},
    {".pane", ScriptVerb::Pane, Shape::CaptionCount},
    {".members", ScriptVerb::Members, Shape::Word},
    {".dialog", ScriptVerb::Dialog, Shape::None},
    {".answer", ScriptVerb::Answer, Shape::RequiredText},
    {".resize", ScriptVerb::Resize, Shape::Size},
    {".sleep", ScriptVerb::Sleep, Shape::Milliseconds},
    {".quit", ScriptVerb::Quit, Shape::None},
}};

bool SameWord(const QString& word, const char* name) {
  return word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// A method of the control is called with its text, if it takes one.
std::optional<VerbRule> FindVerb(const QString& word) {
  for (const Velko1Member& member : kVelko1Members)
    if (member.kind == MemberKind::Method && SameWord(word, member.name))
      return VerbRule{member.name, ScriptVerb::Call, member.param ? Shape::Text : Shape::None};
  for (const VerbRule& rule : kVerbs)
    if (SameWord(word, rule.word)) return rule;
  return std::nullopt;
}

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

ScriptLine Failure(const QString& message) {
  ScriptLine line;
  line.kind = ScriptLine::Error;
  line.error = message;
  return line;
}

// A count in 0..limit; -1 for anything else.
int Count(const QString& text, int limit) {
  bool ok = false;
  const int value = text.toInt(&ok);
  return ok && value >= 0 && value <= limit && !text.startsWith(QLatin1Char('+')) ? value : -1;
}

bool IsWord(const QString& text) {
  return !text.isEmpty() && std::none_of(text.begin(), text.end(), IsBlank);
}

// A script names grabs; it never gets to write outside the grab folder.
bool IsPlainFileName(const QString& text) {
  return IsWord(text) && !text.startsWith(QLatin1Char('.')) && !text.contains(QLatin1Char('/')) &&
         !text.contains(QLatin1Char('\\'));
}

// Fills the command's arguments from `rest` (what follows the verb and one blank).
QString ReadArguments(const VerbRule& rule, const QString& given, bool hasRest, ScriptCommand* command) {
  const QString verb = QString::fromLatin1(rule.word);
  // Only free text keeps its blanks; words and counts may be padded.
  const bool freeText = rule.shape == Shape::Text || rule.shape == Shape::RequiredText;
  const QString rest = freeText ? given : given.trimmed();
  switch (rule.shape) {
    case Shape::None:
      return hasRest ? verb + QStringLiteral(" takes no argument") : QString();
    case Shape::Text:
      command->hasText = true;
      command->text = rest;
      return {};
    case Shape::RequiredText:
    case Shape::Word:
      if (rest.isEmpty() || (rule.shape == Shape::Word && !IsWord(rest)))
        return verb + (rule.shape == Shape::Word ? QStringLiteral(" needs one word") : QStringLiteral(" needs a text"));
      command->text = rest;
      return {};
    case Shape::FileName:
      if (!IsPlainFileName(rest)) return verb + QStringLiteral(" needs a file name without a folder");
      command->text = rest;
      return {};
    case Shape::NameValue: {
      const qsizetype blank = rest.indexOf(QLatin1Char(' '));
      command->member = blank < 0 ? rest : rest.left(blank);
      command->text = blank < 0 ? QString() : rest.mid(blank + 1);
      return IsWord(command->member) ? QString() : verb + QStringLiteral(" needs a property name");
    }
    case Shape::CaptionCount: {
      const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '));
      command->text = blank < 0 ? QString() : rest.left(blank);
      command->number = blank < 0 ? -1 : Count(rest.mid(blank + 1), kMaxPaneLines);
      if (command->text.isEmpty() || command->number < 0)
        return verb + QStringLiteral(" needs a caption and a line count up to %1").arg(kMaxPaneLines);
      return {};
    }
    case Shape::Size: {
      const QStringList sides = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
      command->number = sides.size() == 2 ? Count(sides[0], kMaxWindowSide) : -1;
      command->height = sides.size() == 2 ? Count(sides[1], kMaxWindowSide) : -1;
      if (command->number < kMinWindowSide || command->height < kMinWindowSide)
        return verb + QStringLiteral(" needs a width and a height from %1 to %2").arg(kMinWindowSide).arg(kMaxWindowSide);
      return {};
    }
    case Shape::Milliseconds:
      command->number = Count(rest, kMaxSleepMs);
      return command->number < 0 ? verb + QStringLiteral(" needs milliseconds from 0 to %1").arg(kMaxSleepMs)
                                 : QString();
  }
  return {};
}

QString CleanField(QString field) {
  for (QChar& c : field)
    if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) c = QLatin1Char(' ');
  return field;
}

}  // namespace

ScriptLine ParseScriptLine(const QString& line) {
  QString text = line;
  while (text.endsWith(QLatin1Char('\r')) || text.endsWith(QLatin1Char('\n'))) text.chop(1);
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) return {};
  qsizetype start = 0;
  while (IsBlank(text[start])) ++start;
  qsizetype end = start;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  const QString word = text.mid(start, end - start);
  const bool hasRest = end < text.size() && !text.mid(end + 1).trimmed().isEmpty();
  const QString rest = end < text.size() ? text.mid(end + 1) : QString();
  const std::optional<VerbRule> rule = FindVerb(word);
  if (!rule) return Failure(QStringLiteral("unknown command %1").arg(word));
  ScriptLine parsed;
  parsed.kind = ScriptLine::Command;
  parsed.command.verb = rule->verb;
  if (rule->verb == ScriptVerb::Call) parsed.command.member = QString::fromLatin1(rule->word);
  const QString problem = ReadArguments(*rule, rest, hasRest, &parsed.command);
  return problem.isEmpty() ? parsed : Failure(problem);
}

void ScriptReply::Line(const std::vector<QString>& fields) {
  QStringList cleaned;
  for (const QString& field : fields) cleaned << CleanField(field);
  QString line = cleaned.join(QLatin1Char('\t'));
  if (line.startsWith(QLatin1Char('.'))) line.prepend(QLatin1Char('.'));
  out_ << line.toStdString() << '\n';
}

void ScriptReply::End() { out_ << ".\n" << std::flush; }

void ScriptReply::Fail(const QString& message) {
  Line({QStringLiteral("error"), message});
  End();
}

QString UnstuffReplyLine(const QString& line) { return line.startsWith(QStringLiteral("..")) ? line.mid(1) : line; }
