// Every view, procedure, function and trigger the sample-database scripts
// create comes back from the data files as the script wrote it, and the
// check and default constraints give their expressions.
#include <gtest/gtest.h>

#include <string>

#include "catalog/sql_script.h"
#include "catalog/sql_script_tokens.h"
#include "testing/corpus.h"
#include "testing/opened_catalog.h"
#include "testing/recording_events.h"
#include "values/module_text.h"

namespace tessaril {
namespace {

using testing::ScriptedFile;

class ModuleTextGroundTruth : public ::testing::TestWithParam<ScriptedFile> {};

std::string WithoutTrailingBlanks(std::string s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  return s;
}

// The stored text from its CREATE on: the server keeps the whole batch, so a
// comment or line break before CREATE is stored too.
std::string FromCreate(const std::string& text) {
  std::size_t at = 0;
  for (; at + 6 <= text.size(); ++at) {
    if (sql::IEquals(std::string_view(text).substr(at, 6), "create")) break;
  }
  return WithoutTrailingBlanks(text.substr(std::min(at, text.size())));
}

TEST_P(ModuleTextGroundTruth, EveryScriptedModuleComesBackAsWritten) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile(GetParam().dir);
  ASSERT_TRUE(file);
  const auto script = LoadSqlScript(*testing::CorpusDir() / GetParam().script);
  ASSERT_TRUE(script.ok()) << script.error();
  ASSERT_FALSE(script->modules.empty());
  const testing::OpenedCatalog opened = testing::OpenWithCatalog(file->path.string());
  ASSERT_TRUE(opened.db);

  StopFlag stop;
  testing::RecordingEvents events;
  ModuleTextSource source{*opened.db, opened.catalog, stop, &events};
  ModuleTexts texts = RetrieveModuleTexts(source);
  EXPECT_FALSE(texts.scanList.empty());
  EXPECT_EQ(events.logLines(),
            (std::vector<std::string>{kRetrievingModulesText, kRetrievingModulesDoneText}));

  for (const ScriptModule& module : script->modules) {
    SCOPED_TRACE(module.name);
    const CatalogObject* object = nullptr;
    for (const CatalogObject& o : opened.catalog.objects) {
      if (sql::IEquals(o.name, module.name) && o.type == module.kind) object = &o;
    }
    ASSERT_NE(object, nullptr);
    const std::string text = BuildModuleText(texts, source, std::to_string(object->id));
    EXPECT_EQ(FromCreate(text), WithoutTrailingBlanks(module.text));
  }
  // The table is read once more, for the first definition only.
  EXPECT_EQ(events.logLines().size(), 4u);
  EXPECT_TRUE(texts.collected);
}

// Check and default constraints keep their expressions, in parentheses.
TEST_P(ModuleTextGroundTruth, ConstraintsGiveTheirExpressions) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile(GetParam().dir);
  ASSERT_TRUE(file);
  const testing::OpenedCatalog opened = testing::OpenWithCatalog(file->path.string());
  ASSERT_TRUE(opened.db);
  StopFlag stop;
  const ModuleTextSource source{*opened.db, opened.catalog, stop, nullptr};
  ModuleTexts texts;
  int constraints = 0;
  for (const CatalogObject& o : opened.catalog.objects) {
    if (o.systemOwned || (o.type != "C " && o.type != "D ")) continue;
    SCOPED_TRACE(o.name);
    const std::string text = BuildModuleText(texts, source, std::to_string(o.id));
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.front(), '(');
    EXPECT_EQ(text.back(), ')');
    ++constraints;
  }
  EXPECT_GT(constraints, 0);
}

INSTANTIATE_TEST_SUITE_P(ScriptedFiles, ModuleTextGroundTruth,
                         ::testing::ValuesIn(testing::kScriptedFiles),
                         [](const auto& param) { return std::string(param.param.dir); });

}  // namespace
}  // namespace tessaril
