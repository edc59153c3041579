// The scan log: every line a scan reports, written as UTF-16LE text into a
// file named after the time the log was opened.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "base/output_file.h"

namespace tessaril {

class ScanLog {
 public:
  ScanLog() = default;
  ~ScanLog();
  ScanLog(const ScanLog&) = delete;
  ScanLog& operator=(const ScanLog&) = delete;

  // "CorvaneSQLDatabaseRec_log_" + day-month-year-hour-minute-second + ".txt",
  // no zero padding.
  static std::string FileName(const std::tm& localTime);

  // Closes the previous file and opens folder + FileName(localTime): appended
  // to when it exists, else created with the byte-order mark FF FE. Every
  // opening writes the separator: CR LF, 80 asterisks, CR LF. A file that
  // cannot be opened, or that is one of the protected files, leaves the log
  // without a file; lines are still counted.
  void Open(const std::string& folder, const std::tm& localTime,
            const ProtectedFiles& protectedFiles = {});
  void Close();

  // Writes text and CR LF, and counts the line.
  void Line(std::string_view text);

  bool isOpen() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }
  std::uint32_t lineCounter() const { return lineCounter_; }

 private:
  void Write(std::string_view utf8);

  std::FILE* file_ = nullptr;
  std::string path_;
  std::uint32_t lineCounter_ = 0;
};

}  // namespace tessaril
