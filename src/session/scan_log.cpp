#include "session/scan_log.h"

#include <sys/stat.h>

#include "base/unicode.h"

namespace tessaril {
namespace {

constexpr char kByteOrderMark[] = {'\xFF', '\xFE'};

std::string Separator() { return "\r\n" + std::string(80, '*') + "\r\n"; }

}  // namespace

ScanLog::~ScanLog() { Close(); }

std::string ScanLog::FileName(const std::tm& t) {
  return "CorvaneSQLDatabaseRec_log_" + std::to_string(t.tm_mday) + "-" +
         std::to_string(t.tm_mon + 1) + "-" + std::to_string(t.tm_year + 1900) + "-" +
         std::to_string(t.tm_hour) + "-" + std::to_string(t.tm_min) + "-" +
         std::to_string(t.tm_sec) + ".txt";
}

void ScanLog::Open(const std::string& folder, const std::tm& localTime,
                   const ProtectedFiles& protectedFiles) {
  const std::string name = folder + FileName(localTime);
  Close();
  // The log is appended to in place, so it is only checked, never renamed.
  if (!protectedFiles.Check(name).ok()) return;
  struct stat st {};
  const bool exists = ::stat(name.c_str(), &st) == 0;
  file_ = std::fopen(name.c_str(), exists ? "ab" : "wb");
  if (file_ != nullptr && !exists) std::fwrite(kByteOrderMark, 1, sizeof kByteOrderMark, file_);
  Write(Separator());
  path_ = name;
}

void ScanLog::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void ScanLog::Line(std::string_view text) {
  ++lineCounter_;
  Write(std::string(text) + "\r\n");
}

// Lines are flushed as they are written, so a log survives a crash of the scan.
void ScanLog::Write(std::string_view utf8) {
  if (file_ == nullptr) return;
  const std::string bytes = Utf8ToUtf16LeBytes(utf8);
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
  std::fflush(file_);
}

}  // namespace tessaril
