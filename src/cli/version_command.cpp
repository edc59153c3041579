// version: what this program is and which files it reads.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "storage/boot_page.h"

namespace tessaril::cli {

const char* const kVersionUsage =
    "usage: tessaril-cli version   (or tessaril-cli --version)\n"
    "  The program's version and the data file formats it reads.\n";

int VersionCommand(const std::vector<std::string>& words) {
  const CommandLine line = ParseCommandLine(words, kVersionUsage, 0, {}, {});
  if (!line.args) return line.status;
  std::cout << "tessaril-cli " << TESSARIL_VERSION << '\n'
            << "Reads SQL Server data files (.mdf and .ndf) with 8 KB pages, by format version:\n";
  for (const std::uint32_t version : KnownFormatVersions()) {
    if (version < kFirstEightKilobyteFormat) continue;
    std::cout << "  " << version << VersionName(version) << '\n';
  }
  std::cout << "Versions between and after these are read as the release before them.\n"
            << "Not read: 2 KB pages (SQL Server 6.5 and older), encrypted files, the\n"
            << "transaction log (.ldf) and backups (.bak).\n";
  return kExitOk;
}

}  // namespace tessaril::cli
