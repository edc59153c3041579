#include "session/scan_options.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace tessaril {
namespace {

namespace fs = std::filesystem;

std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  return folder;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  const passwd* pw = getpwuid(getuid());
  return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "";
}

}  // namespace

Status CheckDataFilePath(const std::string& path) {
  std::string upper = path;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  std::error_code ec;
  if (upper.find(".MDF") == std::string::npos || !fs::exists(path, ec) ||
      fs::is_directory(path, ec)) {
    return Error{kInvalidDataPathText, path};
  }
  return {};
}

// A folder, not merely something that exists: a log written into a plain
// file's path would be lost without a word.
Status CheckLogFolder(const std::string& folder) {
  std::error_code ec;
  if (folder.empty() || !fs::is_directory(folder, ec)) return Error{kInvalidLogPathText, folder};
  return {};
}

Status ConfirmScanOptions(const ScanOptionsEntry& entry, ScanOptions& options) {
  if (Status data = CheckDataFilePath(entry.dataFilePath); !data) return data;
  if (Status log = CheckLogFolder(entry.logFolder); !log) return log;
  std::error_code ec;
  if (!entry.schemaFrom.empty() && !fs::is_regular_file(entry.schemaFrom, ec)) {
    return Error(kInvalidSchemaPathText);
  }
  options.schemaFrom = entry.schemaFrom;
  options.logFolder = WithTrailingSeparator(entry.logFolder);
  options.dataFilePath = entry.dataFilePath;
  if (entry.recoveryModeIndex == 0) options.recoveryMode = kStandardMode;
  if (entry.recoveryModeIndex == 1) options.recoveryMode = kAdvancedMode;
  options.isSql2000 = entry.isSql2000 ? 1 : 0;
  options.showDeletedRecords = entry.showDeletedRecords ? 1 : 0;
  options.showAdvancedDeletedRecords = entry.showAdvancedDeletedRecords ? 1 : 0;
  return {};
}

std::string DesktopFolder() {
  std::string folder;
  const char* xdg = std::getenv("XDG_DESKTOP_DIR");
  if (xdg != nullptr && *xdg != '\0') {
    folder = xdg;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    folder = home + "/Desktop";
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) return {};
  return WithTrailingSeparator(folder);
}

std::string SnapshotLogFolder(const ScanOptions& options) {
  return options.logFolder.empty() ? DesktopFolder() : options.logFolder;
}

}  // namespace tessaril
