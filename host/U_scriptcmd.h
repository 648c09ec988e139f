// The host's script: one command a line, either a call through the control's
// name dispatch or a host command starting with ".", and the framing of the
// answers on stdout (TAB-separated fields, each answer ended by a lone ".").
#pragma once

#include <QString>
#include <ostream>
#include <string_view>
#include <vector>

enum class ScriptVerb {
  Call,     // a method through the name dispatch, `member` and maybe `text`
  Put,      // put NAME VALUE
  Get,      // get NAME
  Grab,     // .grab NAME
  Windows,  // .windows
  Pane,     // .pane CAPTION N
  Members,  // .members CHANNEL
  Dialog,   // .dialog
  Answer,   // .answer BUTTON|TEXT
  Resize,   // .resize WIDTH HEIGHT
  Sleep,    // .sleep MS
  Quit,     // .quit
};

struct ScriptCommand {
  ScriptVerb verb = ScriptVerb::Quit;
  QString member;        // the method called, or the property of put/get
  bool hasText = false;  // the method takes a text argument
  QString text;          // the text argument, the put value, the caption, channel, file name or answer
  int number = 0;        // the line count of .pane, the milliseconds of .sleep, the width of .resize
  int height = 0;        // the height of .resize
};

struct ScriptLine {
  enum Kind { Command, Nothing, Error } kind = Nothing;
  ScriptCommand command;
  QString error;
};

inline constexpr int kMaxSleepMs = 600000;
inline constexpr int kMaxPaneLines = 100000;
inline constexpr int kMinWindowSide = 200;
inline constexpr int kMaxWindowSide = 4000;

// One line of the script, without its line end. Blank lines and lines
// starting with "#" are Nothing. Verbs are matched without regard to letter
// case; a text argument is everything after the first blank, kept as it is.
ScriptLine ParseScriptLine(const QString& line);

// Writes the answers of the script mode.
class ScriptReply {
 public:
  explicit ScriptReply(std::ostream& out) : out_(out) {}

  // One line of fields. Line breaks and TABs inside a field become blanks; a
  // line that would begin with "." gets a second "." in front, so that only
  // the end of an answer is a lone ".".
  void Line(const std::vector<QString>& fields);
  // Ends the answer.
  void End();
  // A whole failed answer: "error", TAB, the message, then the end.
  void Fail(const QString& message);

 private:
  std::ostream& out_;
};

// Undoes the doubling of a leading "." (what a reader of the answers does).
QString UnstuffReplyLine(const QString& line);
