#include <gtest/gtest.h>

#include "U_codepage.h"
#include "U_transferstats.h"

namespace {

struct TickCase {
  const char* what;
  TTransferCounts before;  // the counts the second ends on
  const char* transfer;
  const char* time;
  const char* speed;
};

constexpr uint64_t kGiB = 1ULL << 30;

// One tick of the progress window, then its lines: no division by zero, no
// wrapped counts, and a resume's old bytes never passed off as speed.
TEST(TransferStats, LinesAfterATick) {
  const TickCase cases[] = {
      {"an empty file", {0, 0, 0, 0, 0}, "0 B / 0 B (0%)", "0:0:0 / 0:0:0", "0 B/s"},
      {"after 3700 s", {3700000, 7400000, 0, 3699, 0}, "3.5 MB / 7.1 MB (50%)", "1:1:40 / 2:3:20", "1000 B/s"},
      {"past 4 GiB", {5 * kGiB, 10 * kGiB, 0, 9, 0}, "5.0 GB / 10.0 GB (50%)", "0:0:10 / 0:0:20",
       "512.0 MB/s"},
      {"resumed near the end", {999500, 1000000, 999000, 4, 0}, "976 KB / 977 KB (99%)", "0:0:5 / 0:0:10",
       "100 B/s"},
      {"resumed, nothing moved yet", {999000, 1000000, 999000, 4, 0}, "976 KB / 977 KB (99%)", "0:0:0 / 0:0:0",
       "0 B/s"},
      {"a stall keeps the last estimate", {500, 1000, 500, 9, 20}, "500 B / 1000 B (50%)", "0:0:10 / 0:0:20", "0 B/s"},
      {"a rest smaller than one second's worth", {1001, 1002, 0, 0, 0}, "1001 B / 1002 B (99%)", "0:0:1 / 0:0:2",
       "1001 B/s"},
      {"counts at the top of 64 bits", {UINT64_MAX, UINT64_MAX, 0, 0, 0},
       "16.0 EB / 16.0 EB (100%)", "0:0:1 / 0:0:1", "16.0 EB/s"},
  };
  for (const TickCase& c : cases) {
    TTransferCounts counts = c.before;
    TickTransfer(counts);
    const TTransferLines lines = TransferLines("pal", "a.bin", true, counts);
    EXPECT_EQ(lines.transfer, std::string(Cp949Literal("전송량 : ")) + c.transfer) << c.what;
    EXPECT_EQ(lines.time, std::string(Cp949Literal("시  간 : ")) + c.time) << c.what;
    EXPECT_EQ(lines.speed, std::string(Cp949Literal("속  도 : ")) + c.speed) << c.what;
  }
}

TEST(TransferStats, SizesAsPeopleReadThem) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0 B"},          {1023, "1023 B"},       {200000, "195 KB"},         {1048063, "1023 KB"},
      {1048064, "1.0 MB"}, {1468006, "1.4 MB"},    {1073689395, "1023.9 MB"},  {1073689396, "1.0 GB"},
      {5 * kGiB, "5.0 GB"}, {UINT64_MAX, "16.0 EB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(TransferStats, PeerAndFileTextsAreNeverFormats) {
  const TTransferCounts none;
  EXPECT_EQ(TransferLines(nullptr, "a%sb", false, none).with, Cp949Literal("수신자 : "));
  EXPECT_EQ(TransferLines("pal", "a%sb", false, none).fileName, Cp949Literal("파일명 : a%sb"));
}

}  // namespace
