// The tessaril-cli commands. Each takes the words after its name and returns
// the process exit status: 0 done, 1 the file could not be used (or what was
// asked for is not in it), 2 usage, 3 check found damage, 130 stopped by Ctrl-C.
#pragma once

#include <string>
#include <vector>

namespace tessaril::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDamageFound = 3;
inline constexpr int kExitInterrupted = 130;

int InfoCommand(const std::vector<std::string>& words);
int PagesCommand(const std::vector<std::string>& words);
int PageCommand(const std::vector<std::string>& words);
int ScanCommand(const std::vector<std::string>& words);
int TablesCommand(const std::vector<std::string>& words);
int ColumnsCommand(const std::vector<std::string>& words);
int RowsCommand(const std::vector<std::string>& words);
int TreeCommand(const std::vector<std::string>& words);
int ValueCommand(const std::vector<std::string>& words);
int DefinitionCommand(const std::vector<std::string>& words);
int ExportCommand(const std::vector<std::string>& words);
int CheckCommand(const std::vector<std::string>& words);
int VersionCommand(const std::vector<std::string>& words);
// pages FILE --table NAME: the pages chosen for one table.
int TablePagesCommand(const std::vector<std::string>& words);

// Usage texts, printed for --help and after a usage error.
extern const char* const kInfoUsage;
extern const char* const kPagesUsage;
extern const char* const kPageUsage;
extern const char* const kScanUsage;
extern const char* const kTablesUsage;
extern const char* const kColumnsUsage;
extern const char* const kRowsUsage;
extern const char* const kTreeUsage;
extern const char* const kValueUsage;
extern const char* const kDefinitionUsage;
extern const char* const kExportUsage;
extern const char* const kCheckUsage;
extern const char* const kVersionUsage;

}  // namespace tessaril::cli
