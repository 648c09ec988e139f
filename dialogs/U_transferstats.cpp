#include "U_transferstats.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "U_codepage.h"

namespace {

// printf into a string of any length; `format` is CP949 like its arguments.
std::string Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list measuring;
  va_copy(measuring, arguments);
  const int length = vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) vsnprintf(text.data(), text.size() + 1, format, arguments);
  va_end(arguments);
  return text;
}

const char* Text(const char* text) { return text ? text : ""; }

uint64_t Percent(const TTransferCounts& counts) {
  if (counts.transferred == 0 || counts.total == 0) return 0;
  // 128 bits: transferred * 100 overflows 64 bits long before any file could.
  return static_cast<uint64_t>(static_cast<unsigned __int128>(counts.transferred) * 100 / counts.total);
}

std::string Clock(uint64_t seconds) {
  return Format("%" PRIu64 ":%" PRIu64 ":%" PRIu64, seconds / 3600, seconds / 60 % 60, seconds % 60);
}

std::string TimeLine(const TTransferCounts& counts) {
  const char* label = Cp949Literal("시  간 : ");
  if (counts.estimate == 0) return std::string(label) + "0:0:0 / 0:0:0";
  return std::string(label) + Clock(counts.elapsed) + " / " + Clock(counts.estimate);
}

}  // namespace

uint64_t TransferSpeed(const TTransferCounts& counts) {
  if (counts.elapsed == 0 || counts.transferred <= counts.sessionStart) return 0;
  return (counts.transferred - counts.sessionStart) / counts.elapsed;
}

void TickTransfer(TTransferCounts& counts) {
  ++counts.elapsed;
  const uint64_t speed = TransferSpeed(counts);
  if (counts.total == 0 || speed == 0) return;
  const uint64_t left = counts.transferred < counts.total ? counts.total - counts.transferred : 0;
  counts.estimate = counts.elapsed + (left + speed - 1) / speed;
}

const char* TransferStatusText(TTransferStatus status) {
  switch (status) {
    case TTransferStatus::Connecting:
      return Cp949Literal("접속중....");
    case TTransferStatus::WaitingToSend:
      return Cp949Literal("파일전송 대기중");
    case TTransferStatus::Connected:
      return Cp949Literal("접속 되었습니다.");
    case TTransferStatus::Succeeded:
      return Cp949Literal("파일전송 성공");
    case TTransferStatus::Failed:
      break;
  }
  return Cp949Literal("파일전송 실패");
}

TTransferLines TransferLines(const char* nick, const char* fileName, bool receiving, const TTransferCounts& counts) {
  TTransferLines lines;
  lines.with = Format(receiving ? Cp949Literal("송신자 : %s") : Cp949Literal("수신자 : %s"), Text(nick));
  lines.fileName = Format(Cp949Literal("파일명 : %s"), Text(fileName));
  lines.transfer = Format(Cp949Literal("전송량 : %s / %s (%" PRIu64 "%%)"), SizeText(counts.transferred).c_str(),
                          SizeText(counts.total).c_str(), Percent(counts));
  lines.time = TimeLine(counts);
  lines.speed = Format(Cp949Literal("속  도 : %s/s"), SizeText(TransferSpeed(counts)).c_str());
  return lines;
}

std::string SizeText(uint64_t bytes) {
  if (bytes < 1024) return Format("%" PRIu64 " B", bytes);
  const uint64_t kilobytes = bytes / 1024 + (bytes % 1024 >= 512);
  if (kilobytes < 1024) return Format("%" PRIu64 " KB", kilobytes);
  // Tenths in whole numbers: no locale's decimal comma, no rounding to 1024.0.
  static const char* const kUnits[] = {"MB", "GB", "TB", "PB", "EB"};
  unsigned __int128 unit = 1ULL << 20;
  size_t index = 0;
  auto tenths = [&] { return static_cast<uint64_t>((static_cast<unsigned __int128>(bytes) * 10 + unit / 2) / unit); };
  while (tenths() >= 10240 && index + 1 < std::size(kUnits)) {
    unit *= 1024;
    ++index;
  }
  const uint64_t value = tenths();
  return Format("%" PRIu64 ".%" PRIu64 " %s", value / 10, value % 10, kUnits[index]);
}

std::string TransferCaption(const char* nick, const char* status) { return Format("%s - %s", Text(nick), Text(status)); }
