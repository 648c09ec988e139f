#include "U_lib.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>

#include "U_codepage.h"
#include "U_direction.h"
#include "U_commondata.h"

namespace {

constexpr uint32_t kPalette[16] = {
    0xFFFFFF, 0x000000, 0x000080, 0x008000, 0xFF0000, 0x800000, 0x800080, 0xFF7F00,
    0xFFFF00, 0x00FF00, 0x008080, 0x00FFFF, 0x0000FF, 0xFF00FF, 0x808080, 0xC0C0C0,
};

constexpr int kPaneLineCap = TPendingLines::kMaxLines;
constexpr int kPaneLinesDropped = 10;

int ReadNumber(const char*& position) {
  int number = -1;
  for (int digits = 0; digits < 2 && *position >= '0' && *position <= '9'; ++digits, ++position)
    number = (number < 0 ? 0 : number * 10) + (*position - '0');
  return number;
}

bool IsCode(char byte) {
  return byte == kCodeBold || byte == kCodeColor || byte == kCodeItalic || byte == kCodeUnderline;
}

// Walks a text as runs of shown bytes and the codes between them. `onCode`
// gets the position after the code byte and may move it past the code's digits.
template <typename RunFn, typename CodeFn>
void WalkCodedText(const char* text, size_t length, bool dropBellAndBackspace, RunFn onRun,
                   CodeFn onCode) {
  const char* end = text + length;
  const char* run = text;
  const char* position = text;
  while (position < end) {
    const char byte = *position;
    const bool dropped = dropBellAndBackspace && (byte == 7 || byte == 8);
    if (!IsCode(byte) && !dropped) {
      ++position;
      continue;
    }
    if (position > run) onRun(run, static_cast<size_t>(position - run));
    ++position;
    if (!dropped) onCode(byte, position);
    run = position;
  }
  if (end > run) onRun(run, static_cast<size_t>(end - run));
}

// A canvas colour number: above 15 it wraps; -1 leaves the colour as it is.
int CanvasIndex(int number) { return number > 15 ? number % 15 - 1 : number; }

void TrimPane(QTextEdit* pane) {
  QTextDocument* document = pane->document();
  if (document->blockCount() <= kPaneLineCap) return;
  // The first block survives a removal with its own format: the new first
  // line's format is put back on it.
  const QTextBlock first = document->findBlockByNumber(kPaneLinesDropped);
  const QTextBlockFormat kept = first.blockFormat();
  QTextCursor cursor(document);
  cursor.setPosition(first.position(), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  cursor.setBlockFormat(kept);
}

}  // namespace

TColorCode ReadColorCode(const char*& position) {
  TColorCode code;
  code.fore = ReadNumber(position);
  if (*position == ',') {
    ++position;
    code.back = ReadNumber(position);
  }
  return code;
}

uint32_t PaletteColor(int index) { return index >= 0 && index < 16 ? kPalette[index] : kPalette[1]; }


int RichColorIndex(TColorCode code) {
  const int fore = code.fore < 0 ? 1 : code.fore;
  const int back = code.back < 0 ? 0 : code.back;
  int index = fore;
  if (fore == 0)
    index = back != 0 ? back : 1;
  else if (fore == 11)
    index = 2;
  else if (fore == 9)
    index = 10;
  else if (fore == 8)
    index = 7;
  else if (back == 1 && (fore == 14 || fore == 15))
    index = 2;
  if (index == 15) index = 14;
  return index > 15 ? 1 : index;  // numbers past the palette show as plain black
}

void ApplyRichColorCode(QTextCharFormat& format, const char*& position) {
  format.setForeground(QColor(PaletteColor(RichColorIndex(ReadColorCode(position)))));
}

void ApplyCanvasColorCode(QPainter* canvas, const char*& position) {
  const TColorCode code = ReadColorCode(position);
  if (!canvas) return;
  const int fore = CanvasIndex(code.fore);
  const int back = CanvasIndex(code.back);
  if (fore >= 0) canvas->setPen(QColor(PaletteColor(fore)));
  if (back >= 0) {
    canvas->setBackground(QColor(PaletteColor(back)));
    canvas->setBackgroundMode(Qt::OpaqueMode);
  }
}

void RichAddLine(QTextEdit* pane, const char* text, uint32_t colour, bool time) {
  if (!pane) return;
  QTextDocument* document = pane->document();
  // A log has nothing to undo; the undo stack would keep every line ever removed.
  document->setUndoRedoEnabled(false);
  const std::string line = std::string(text ? text : "") + ' ';
  const TextCoding coding = DisplayCoding(line.data(), line.size());

  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  // A plain block: the last line's band, if it has one, is its own.
  if (!document->isEmpty()) cursor.insertBlock(QTextBlockFormat());
  QTextCharFormat format;
  format.setFont(pane->font());
  format.setFontWeight(QFont::Normal);
  format.setFontItalic(false);
  format.setFontUnderline(false);
  format.setForeground(QColor(colour));
  if (time) cursor.insertText(QString::fromLatin1(TimeStamp()), format);

  WalkCodedText(
      line.data(), line.size(), true,
      [&](const char* run, size_t length) {
        cursor.insertText(WithoutDirectionControls(DecodeText(run, length, coding)), format);
      },
      [&](char code, const char*& position) {
        if (code == kCodeBold)
          format.setFontWeight(format.fontWeight() == QFont::Bold ? QFont::Normal : QFont::Bold);
        else if (code == kCodeItalic)
          format.setFontItalic(!format.fontItalic());
        else if (code == kCodeUnderline)
          format.setFontUnderline(!format.fontUnderline());
        else
          ApplyRichColorCode(format, position);
      });

  // The pane's own cursor is left alone: setting it would scroll the view.
  TrimPane(pane);
}

void TPendingLines::Add(std::string text, uint32_t colour) {
  lines_.emplace_back(std::move(text), colour);
  if (lines_.size() > static_cast<size_t>(kMaxLines)) lines_.pop_front();
}

void TPendingLines::ShowIn(QTextEdit* pane, const std::function<void(uint32_t colour)>& shown) {
  if (lines_.empty()) return;
  // Taken first: showing a line moves the pane's cursor, which may call back here.
  std::deque<std::pair<std::string, uint32_t>> showing;
  showing.swap(lines_);
  QTextCursor batch(pane->document());
  batch.beginEditBlock();
  for (const auto& [text, colour] : showing) {
    RichAddLine(pane, text.c_str(), colour);
    if (shown) shown(colour);
  }
  batch.endEditBlock();
}

void DrawCodedText(QPainter* canvas, int x, int y, bool darkText, const char* text) {
  if (!canvas || !text) return;
  canvas->save();
  canvas->setPen(darkText ? Qt::black : Qt::white);
  const size_t length = strlen(text);
  const TextCoding coding = DisplayCoding(text, length);
  WalkCodedText(
      text, length, false,
      [&](const char* run, size_t runLength) {
        const QString shown = WithoutDirectionControls(DecodeText(run, runLength, coding));
        const QFontMetrics metrics(canvas->font());
        canvas->drawText(x, y + metrics.ascent(), shown);
        x += metrics.horizontalAdvance(shown) - 1;
      },
      [&](char code, const char*& position) {
        QFont font = canvas->font();
        if (code == kCodeBold)
          font.setBold(!font.bold());
        else if (code == kCodeItalic)
          font.setItalic(!font.italic());
        else if (code == kCodeUnderline)
          font.setUnderline(!font.underline());
        else
          ApplyCanvasColorCode(canvas, position);
        canvas->setFont(font);
      });
  canvas->restore();
}

void StripCodes(char* text) {
  if (!text) return;
  char* out = text;
  WalkCodedText(
      text, strlen(text), false,
      [&](const char* run, size_t length) {
        memmove(out, run, length);
        out += length;
      },
      [](char code, const char*& position) {
        if (code == kCodeColor) ReadColorCode(position);
      });
  *out = 0;
}

std::string MCommandProcedure::Expand(const char* line) const {
  std::string_view input(line ? line : "");
  if (!input.empty() && input.front() == '/') input.remove_prefix(1);
  if (input.empty()) return {};
  const size_t blank = input.find(' ');
  const std::string word(input.substr(0, blank));
  const std::string_view arguments = blank == std::string_view::npos ? std::string_view() : input.substr(blank + 1);

  const std::optional<std::string> found = FindCommand(word);
  if (!found) return std::string(input);
  std::string command = *found;
  if (arguments.empty()) return command;
  if (ZoSameName(found->c_str(), "PRIVMSG")) {
    const size_t split = arguments.find(' ');
    if (split == std::string_view::npos) return command + ' ' + std::string(arguments);
    return command + ' ' + std::string(arguments.substr(0, split)) + " :" + std::string(arguments.substr(split + 1));
  }
  command += ' ';
  const bool channelCommand = ZoSameName(found->c_str(), "JOIN") || ZoSameName(found->c_str(), "PART");
  return command + (channelCommand ? ChannelArgument(arguments) : std::string(arguments));
}

std::string ChannelArgument(std::string_view name) {
  if (!name.empty() && (name.front() == '#' || name.front() == '&')) return std::string(name);
  return "#" + std::string(name);
}

std::optional<std::string> MCommandProcedure::FindCommand(const std::string& word) const {
  for (auto entry = aliases_.rbegin(); entry != aliases_.rend(); ++entry) {
    const size_t equals = entry->find('=');
    if (equals != std::string::npos && ZoSameName(entry->substr(0, equals).c_str(), word.c_str()))
      return entry->substr(equals + 1);
  }
  return std::nullopt;
}

std::string JoinStrings(const std::vector<std::string>& list, char separator) {
  std::string joined;
  for (const std::string& entry : list) {
    joined += entry;
    joined += separator;
  }
  return joined;
}

void SplitString(const char* text, std::vector<std::string>& list, char separator) {
  list.clear();
  std::string_view rest(text ? text : "");
  while (!rest.empty()) {
    const size_t end = rest.find(separator);
    const std::string_view piece = rest.substr(0, end);
    if (!piece.empty()) list.emplace_back(piece);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

const char* StripNickPrefix(const char* nick) {
  static std::string stripped;
  stripped = nick ? nick : "";
  if (!stripped.empty() && (stripped.front() == '@' || stripped.front() == '+')) stripped.erase(0, 1);
  return stripped.c_str();
}

const char* TimeStamp() {
  static char stamp[16];
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  snprintf(stamp, sizeof stamp, "[%02d:%02d] ", local.tm_hour, local.tm_min);
  return stamp;
}
