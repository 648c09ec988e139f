// Reads one HTTP/1.x response as it arrives in raw chunks: header lines split
// across chunks, then the body by Content-Length, chunked, or up to the close.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CZoHttpReader {
 public:
  using BodySink = std::function<void(const char* data, size_t count)>;
  // A header line longer than this is skipped.
  static constexpr size_t kLineMax = 515;

  void Reset();
  // Body bytes go to `body`; bytes after the end of the response are ignored.
  void Feed(const char* data, size_t count, const BodySink& body);

  bool Started() const { return started_; }
  bool StatusRead() const { return phase_ != Phase::StatusLine; }
  // The status code; 0 when the status line was no HTTP status line.
  int Status() const { return status_; }
  bool Complete() const { return phase_ == Phase::Done; }
  bool Broken() const { return phase_ == Phase::Broken; }
  // Headers read, no length given: the body ends when the server closes.
  bool EndsAtClose() const { return phase_ == Phase::Body && remaining_ < 0; }
  bool KeepAlive() const { return keepAlive_ && !EndsAtClose(); }

 private:
  enum class Phase { StatusLine, Headers, Body, ChunkSize, ChunkData, ChunkDataEnd, Trailers, Done, Broken };

  size_t TakeLine(const char* data, size_t count);
  size_t TakeBody(const char* data, size_t count, const BodySink& body);
  void LineComplete(std::string_view line);
  void HeaderLine(std::string_view line);
  void HeadersEnd();
  void ChunkSizeLine(std::string_view line);

  Phase phase_ = Phase::StatusLine;
  std::string line_;
  bool overlong_ = false;
  bool started_ = false;
  bool keepAlive_ = true;
  bool chunked_ = false;
  int status_ = 0;
  int64_t remaining_ = -1;  // body or chunk bytes still to come; -1 unknown
};
