// tessaril-cli: recovers data from SQL Server data files, from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace {

constexpr const char* kUsage =
    "usage: tessaril-cli COMMAND [ARGS]\n"
    "Reads SQL Server data files (.mdf, .ndf) directly; never writes to them.\n"
    "\n"
    "commands:\n"
    "  info FILE                  size, page count, data offset, pages by type\n"
    "  pages FILE [--object ID] [--unit AUID] | pages FILE --table NAME\n"
    "                             the page inventory, one page a line\n"
    "  page FILE FILEID:PAGE      every header field of one page\n"
    "  scan FILE [options]        scan the file as the desktop window does\n"
    "  tables FILE [--all]        the objects of the rebuilt catalog\n"
    "  columns FILE TABLE [--verbose]\n"
    "                             the columns of a table in record order\n"
    "  rows FILE TABLE [options]  the rows of a table, 1000 a page\n"
    "  tree FILE [--expand T,..]  the object tree a scan builds\n"
    "  value FILE TABLE --row N --column NAME [--raw OUT]\n"
    "                             one value in full, or its stored bytes\n"
    "  definition FILE NAME       the definition or statement of a module, key or\n"
    "                             constraint\n"
    "  export FILE --sql OUT | --csv DIR | --sqlite OUT\n"
    "                             the recovered tables, rows, keys and modules\n"
    "  check FILE [--format F]    the damage report: pages failing their checksum or\n"
    "                             torn check, broken headers, slots and links\n"
    "  version                    the version and the file formats read\n"
    "\n"
    "The page inventory of a file is kept in ~/.cache/tessaril/inventory (or\n"
    "$XDG_CACHE_HOME/tessaril/inventory), never beside the file, so that the next\n"
    "command on the same unchanged file opens it at once; --no-cache maps it afresh.\n"
    "\n"
    "Tables whose catalog rows are lost come back as LostAndFound_<id>. With\n"
    "--schema-from OTHER (scan, tree, tables, columns, rows, value, export), OTHER\n"
    "being another copy of the database, healthy or older, or the .sql script that\n"
    "creates its tables, each takes the layout and name of the table its records fit.\n"
    "\n"
    "'tessaril-cli COMMAND --help' tells more about a command.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace tessaril::cli;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    (args.empty() ? std::cerr : std::cout) << kUsage;
    return args.empty() ? kExitUsage : kExitOk;
  }
  const std::string command = args[0] == "--version" ? std::string("version") : args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "info") return InfoCommand(rest);
  if (command == "pages") return PagesCommand(rest);
  if (command == "page") return PageCommand(rest);
  if (command == "scan") return ScanCommand(rest);
  if (command == "tables") return TablesCommand(rest);
  if (command == "columns") return ColumnsCommand(rest);
  if (command == "rows") return RowsCommand(rest);
  if (command == "tree") return TreeCommand(rest);
  if (command == "value") return ValueCommand(rest);
  if (command == "definition") return DefinitionCommand(rest);
  if (command == "export") return ExportCommand(rest);
  if (command == "check") return CheckCommand(rest);
  if (command == "version") return VersionCommand(rest);
  std::cerr << "tessaril-cli: unknown command " << command << "\n" << kUsage;
  return kExitUsage;
}
