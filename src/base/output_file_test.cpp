#include "base/output_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "testing/corpus.h"

namespace tessaril {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = dir_.path() / "db.mdf";
    Write(data_, "the database");
    Write(dir_.path() / "db_log.LDF", "the log");
    Write(dir_.path() / "notes.txt", "old notes");
    fs::create_hard_link(data_, dir_.path() / "hard.bin");
    fs::create_symlink(data_, dir_.path() / "soft.bin");
    protected_.AddDataFile(data_.string());
  }
  testing::TempDir dir_;
  fs::path data_;
  ProtectedFiles protected_;
};

// Every way of naming a data file, or a file of the database beside it, is
// refused and leaves the file as it was.
TEST_F(OutputFileTest, RefusesEveryNameOfADataFile) {
  const fs::path here = fs::current_path();
  fs::current_path(dir_.path());
  for (const std::string& target :
       {data_.string(), std::string("db.mdf"), std::string("./sub/../db.mdf"),
        (dir_.path() / "hard.bin").string(), (dir_.path() / "soft.bin").string(),
        (dir_.path() / "db_log.LDF").string()}) {
    const Status written = WriteOutputFile(target, protected_, "x", 1);
    EXPECT_FALSE(written.ok()) << target;
    EXPECT_NE(written.error().find("refusing to write"), std::string::npos) << target;
  }
  fs::current_path(here);
  EXPECT_EQ(Contents(data_), "the database");
  EXPECT_EQ(Contents(dir_.path() / "db_log.LDF"), "the log");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 5);
}

// Another file is replaced whole, and only when the write is committed.
TEST_F(OutputFileTest, ReplacesATargetOnlyOnCommit) {
  const fs::path notes = dir_.path() / "notes.txt";
  {
    Result<OutputFile> out = OutputFile::Begin(notes.string(), protected_);
    ASSERT_TRUE(out.ok()) << out.error();
    Write(out->temporaryPath(), "half");
    // Dropped without a commit: a stopped or failed write.
  }
  EXPECT_EQ(Contents(notes), "old notes");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 5);
  ASSERT_TRUE(WriteOutputFile(notes.string(), protected_, "new notes", 9).ok());
  EXPECT_EQ(Contents(notes), "new notes");
  const Status missingFolder =
      WriteOutputFile((dir_.path() / "no" / "x.bin").string(), protected_, "x", 1);
  EXPECT_FALSE(missingFolder.ok());
}

}  // namespace
}  // namespace tessaril
