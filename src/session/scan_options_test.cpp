#include "session/scan_options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "testing/corpus.h"

namespace tessaril {
namespace {

namespace fs = std::filesystem;

TEST(ScanOptions, StartValues) {
  const ScanOptions options;
  EXPECT_EQ(options.recoveryMode, 0u);
  EXPECT_EQ(options.collationMode, kAutomaticCollation);
  EXPECT_EQ(options.manualCollationId, 0u);
  EXPECT_EQ(options.showDeletedRecords, 0);
  EXPECT_TRUE(options.dataFilePath.empty());
}

TEST(ScanOptions, ConfirmChecksBothPathsInOrder) {
  testing::TempDir dir;
  const std::string folder = dir.path().string();
  for (const char* name : {"db.mdf", "x.Mdf.bak", "notes.txt"})
    testing::WriteWholeFile(dir.path() / name, {1});
  fs::create_directory(dir.path() / "dir.mdf");
  struct Case {
    std::string dataPath;
    std::string logFolder;
    std::string schemaFrom;
    const char* message;  // nullptr: accepted
  };
  const std::vector<Case> cases = {
      {folder + "/db.mdf", folder, "", nullptr},
      {folder + "/x.Mdf.bak", folder, "", nullptr},  // ".MDF" anywhere, any case
      {folder + "/notes.txt", folder, "", kInvalidDataPathText},
      {folder + "/missing.mdf", folder, "", kInvalidDataPathText},
      {folder + "/dir.mdf", folder, "", kInvalidDataPathText},
      {"", folder, "", kInvalidDataPathText},
      {folder + "/db.mdf", folder + "/nowhere", "", kInvalidLogPathText},
      {folder + "/db.mdf", folder + "/db.mdf", "", kInvalidLogPathText},  // a file is no folder
      {folder + "/missing.mdf", folder + "/nowhere", "", kInvalidDataPathText},  // data path first
      {folder + "/db.mdf", folder, folder + "/db.mdf", nullptr},  // a schema is optional
      {folder + "/db.mdf", folder, folder + "/missing.sql", kInvalidSchemaPathText},
      {folder + "/db.mdf", folder, folder + "/dir.mdf", kInvalidSchemaPathText},
  };
  for (const Case& c : cases) {
    ScanOptions options;
    options.manualCollationId = 77;
    const Status status =
        ConfirmScanOptions({c.dataPath, c.logFolder, 1, true, true, false, c.schemaFrom}, options);
    if (c.message == nullptr) {
      EXPECT_TRUE(status.ok()) << c.dataPath << ": " << status.error();
      EXPECT_EQ(options.dataFilePath, c.dataPath);
      EXPECT_EQ(options.schemaFrom, c.schemaFrom);
    } else {
      EXPECT_EQ(status.error(), c.message) << c.dataPath << " / " << c.logFolder;
      EXPECT_TRUE(options.dataFilePath.empty()) << "nothing is stored on failure";
    }
    EXPECT_EQ(options.manualCollationId,
              77u);  // the collation choice is not the dialog's to change
  }
}

TEST(ScanOptions, ConfirmStoresTheEntry) {
  testing::TempDir dir;
  testing::WriteWholeFile(dir.path() / "db.mdf", {1});
  ScanOptions options;
  ASSERT_TRUE(ConfirmScanOptions(
                  {(dir.path() / "db.mdf").string(), dir.path().string(), 1, true, false, true, ""},
                  options)
                  .ok());
  EXPECT_EQ(options.logFolder, dir.path().string() + "/");  // separator appended once
  EXPECT_EQ(options.recoveryMode, kAdvancedMode);
  EXPECT_EQ(options.isSql2000, 1);
  EXPECT_EQ(options.showDeletedRecords, 0);
  EXPECT_EQ(options.showAdvancedDeletedRecords, 1);

  ASSERT_TRUE(
      ConfirmScanOptions(
          {options.dataFilePath, options.logFolder, std::nullopt, false, false, false, ""}, options)
          .ok());
  EXPECT_EQ(options.logFolder, dir.path().string() + "/");
  EXPECT_EQ(options.recoveryMode, kAdvancedMode);  // no selection: unchanged
}

TEST(ScanOptions, DesktopFolderIsCreatedWhenMissing) {
  testing::TempDir dir;
  const std::string desktop = (dir.path() / "Desk top").string();
  const char* previous = std::getenv("XDG_DESKTOP_DIR");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("XDG_DESKTOP_DIR", desktop.c_str(), 1);
  EXPECT_EQ(DesktopFolder(), desktop + "/");
  EXPECT_TRUE(fs::is_directory(desktop));
  if (previous != nullptr) {
    setenv("XDG_DESKTOP_DIR", saved.c_str(), 1);
  } else {
    unsetenv("XDG_DESKTOP_DIR");
  }
}

}  // namespace
}  // namespace tessaril
