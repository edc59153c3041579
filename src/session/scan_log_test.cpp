#include "session/scan_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/corpus.h"

namespace tessaril {
namespace {

std::tm Time(int day, int month, int year, int hour, int minute, int second) {
  std::tm t{};
  t.tm_mday = day;
  t.tm_mon = month - 1;
  t.tm_year = year - 1900;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

std::string Utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

std::string ReadText(const std::string& path) {
  const std::vector<std::uint8_t> bytes = testing::ReadWholeFile(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(ScanLog, NameCarriesTheTimeWithoutPadding) {
  EXPECT_EQ(ScanLog::FileName(Time(7, 3, 2024, 9, 5, 3)),
            "CorvaneSQLDatabaseRec_log_7-3-2024-9-5-3.txt");
  EXPECT_EQ(ScanLog::FileName(Time(31, 12, 2026, 23, 59, 58)),
            "CorvaneSQLDatabaseRec_log_31-12-2026-23-59-58.txt");
}

TEST(ScanLog, NewFileStartsWithMarkAndSeparatorAndAppendsLater) {
  testing::TempDir dir;
  const std::string folder = dir.path().string() + "/";
  const std::tm when = Time(7, 3, 2024, 9, 5, 3);
  const std::string separator = Utf16("\r\n" + std::string(80, '*') + "\r\n");
  {
    ScanLog log;
    log.Open(folder, when);
    ASSERT_TRUE(log.isOpen());
    EXPECT_EQ(log.path(), folder + "CorvaneSQLDatabaseRec_log_7-3-2024-9-5-3.txt");
    log.Line("first \u00E6");
    log.Line("");
    EXPECT_EQ(log.lineCounter(), 2u);
  }
  const std::string path = folder + ScanLog::FileName(when);
  const std::string firstScan = "\xFF\xFE" + separator + Utf16("first ") +
                                std::string("\xE6\0", 2) + Utf16("\r\n") + Utf16("\r\n");
  EXPECT_EQ(ReadText(path), firstScan);

  ScanLog second;  // a second scan in the same second appends after a new separator
  second.Open(folder, when);
  second.Line("again");
  second.Close();
  EXPECT_EQ(ReadText(path), firstScan + separator + Utf16("again\r\n"));
}

TEST(ScanLog, UnwritableFolderStillCountsLines) {
  ScanLog log;
  log.Open("/nonexistent-folder/", Time(1, 1, 2025, 0, 0, 0));
  EXPECT_FALSE(log.isOpen());
  log.Line("kept in the pane");
  EXPECT_EQ(log.lineCounter(), 1u);
}

}  // namespace
}  // namespace tessaril
