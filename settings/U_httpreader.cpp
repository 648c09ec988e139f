#include "U_httpreader.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

#include "U_commondata.h"

namespace {

constexpr int64_t kBodyMax = std::numeric_limits<int32_t>::max();

bool SameLetter(char x, char y) {
  return tolower(static_cast<unsigned char>(x)) == tolower(static_cast<unsigned char>(y));
}

bool ContainsText(std::string_view text, std::string_view word) {
  return std::search(text.begin(), text.end(), word.begin(), word.end(), SameLetter) != text.end();
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A whole decimal number no larger than the body limit, else -1.
int64_t ParseLength(std::string_view text) {
  if (text.empty()) return -1;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
    if (value > kBodyMax) return -1;
  }
  return value;
}

// "HTTP/1.x NNN ...": the three digits, else 0.
int ParseStatus(std::string_view line) {
  if (!line.starts_with("HTTP/") || line.size() < 12 || line[8] != ' ') return 0;
  int status = 0;
  for (const char c : line.substr(9, 3)) {
    if (c < '0' || c > '9') return 0;
    status = status * 10 + (c - '0');
  }
  return line.size() == 12 || line[12] == ' ' ? status : 0;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void CZoHttpReader::Reset() { *this = CZoHttpReader(); }

void CZoHttpReader::Feed(const char* data, size_t count, const BodySink& body) {
  if (count > 0) started_ = true;
  while (count > 0 && phase_ != Phase::Done && phase_ != Phase::Broken) {
    const bool inBody = phase_ == Phase::Body || phase_ == Phase::ChunkData;
    const size_t used = inBody ? TakeBody(data, count, body) : TakeLine(data, count);
    data += used;
    count -= used;
  }
}

size_t CZoHttpReader::TakeLine(const char* data, size_t count) {
  const auto* feed = static_cast<const char*>(memchr(data, '\n', count));
  const size_t length = feed ? static_cast<size_t>(feed - data) : count;
  if (line_.size() + length > kLineMax)
    overlong_ = true;
  else
    line_.append(data, length);
  if (!feed) return count;

  std::string_view line(line_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (overlong_) {
    if (phase_ == Phase::ChunkSize || phase_ == Phase::ChunkDataEnd) phase_ = Phase::Broken;
    if (phase_ == Phase::StatusLine) phase_ = Phase::Headers;
  } else {
    LineComplete(line);
  }
  line_.clear();
  overlong_ = false;
  return length + 1;
}

size_t CZoHttpReader::TakeBody(const char* data, size_t count, const BodySink& body) {
  size_t taken = count;
  if (remaining_ >= 0) taken = static_cast<size_t>(std::min<int64_t>(remaining_, static_cast<int64_t>(count)));
  if (taken > 0 && body) body(data, taken);
  if (remaining_ < 0) return taken;
  remaining_ -= static_cast<int64_t>(taken);
  if (remaining_ == 0) phase_ = phase_ == Phase::ChunkData ? Phase::ChunkDataEnd : Phase::Done;
  return taken;
}

void CZoHttpReader::LineComplete(std::string_view line) {
  switch (phase_) {
    case Phase::StatusLine:
      keepAlive_ = !line.starts_with("HTTP/1.0");
      status_ = ParseStatus(line);
      phase_ = Phase::Headers;
      break;
    case Phase::Headers:
      if (line.empty())
        HeadersEnd();
      else
        HeaderLine(line);
      break;
    case Phase::ChunkSize:
      ChunkSizeLine(line);
      break;
    case Phase::ChunkDataEnd:
      phase_ = line.empty() ? Phase::ChunkSize : Phase::Broken;
      break;
    case Phase::Trailers:
      if (line.empty()) phase_ = Phase::Done;
      break;
    default:
      break;
  }
}

void CZoHttpReader::HeaderLine(std::string_view line) {
  const size_t colon = line.find(':');
  if (colon == std::string_view::npos) return;
  const std::string name(Trim(line.substr(0, colon)));
  const std::string_view value = Trim(line.substr(colon + 1));
  if (ZoSameName(name.c_str(), "Content-Length")) {
    const int64_t length = ParseLength(value);
    if (length >= 0) remaining_ = length;
  } else if (ZoSameName(name.c_str(), "Transfer-Encoding")) {
    chunked_ = ContainsText(value, "chunked");
  } else if (ZoSameName(name.c_str(), "Connection")) {
    if (ContainsText(value, "close")) keepAlive_ = false;
    if (ContainsText(value, "keep-alive")) keepAlive_ = true;
  }
}

void CZoHttpReader::HeadersEnd() {
  if (chunked_) {
    remaining_ = -1;
    phase_ = Phase::ChunkSize;
  } else {
    phase_ = remaining_ == 0 ? Phase::Done : Phase::Body;
  }
}

void CZoHttpReader::ChunkSizeLine(std::string_view line) {
  line = Trim(line.substr(0, line.find(';')));
  int64_t size = 0;
  for (char c : line) {
    const int digit = HexDigit(c);
    if (digit < 0 || size > kBodyMax / 16) {
      phase_ = Phase::Broken;
      return;
    }
    size = size * 16 + digit;
  }
  if (line.empty()) {
    phase_ = Phase::Broken;
  } else if (size == 0) {
    phase_ = Phase::Trailers;
  } else {
    remaining_ = size;
    phase_ = Phase::ChunkData;
  }
}
