#include "session/object_viewer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/corpus.h"
#include "testing/opened_scan.h"

namespace tessaril {
namespace {

struct ViewerCase {
  const char* label;
  SelectedKind kind;
  const char* name;
  const char* typeCode;
  ViewerDisplay display;
  const char* text;  // the whole text, or its start when it ends in "..."
  std::size_t rows;
};

const ViewerCase kCases[] = {
    {"user table", SelectedKind::kTable, "Customers", "U ", ViewerDisplay::kRecords, "", 91},
    {"table found without type", SelectedKind::kTable, "Shippers", "", ViewerDisplay::kRecords, "",
     3},
    {"column", SelectedKind::kColumn, "CustomerID  nchar(10)[Primary Key]", "",
     ViewerDisplay::kNothing, "", 0},
    {"folder", SelectedKind::kFolder, "Views", "", ViewerDisplay::kNothing, "", 0},
    {"unknown table", SelectedKind::kTable, "NoSuchTable", "U ", ViewerDisplay::kNothing, "", 0},
    {"primary key", SelectedKind::kPrimaryKey, "PK_Order_Details", "PK", ViewerDisplay::kText,
     "ALTER TABLE Order Details ADD PRIMARY KEY ( OrderID , ProductID )", 0},
    {"unique key", SelectedKind::kUniqueKey, "UK_principal_name", "UQ", ViewerDisplay::kText,
     "ALTER TABLE[dbo].[sysdiagrams] WITH NOCHECK ADD CONSTRAINT[UK_principal_name] UNIQUE "
     "NONCLUSTERED \r\n(\r\n[principal_id] ASC,\r\n[name] ASC\r\n)",
     0},
    {"foreign key", SelectedKind::kForeignKey, "FK_Orders_Customers", "F ", ViewerDisplay::kText,
     "ALTER TABLE  [dbo].[Orders] WITH NOCHECK ADD CONSTRAINT[FK_Orders_Customers] FOREIGN "
     "KEY([CustomerID]) REFERENCES [dbo].[Customers] ([CustomerID])",
     0},
    {"check constraint", SelectedKind::kConstraint, "CK_Products_UnitPrice", "C ",
     ViewerDisplay::kText,
     "ALTER TABLE  [dbo].[Products] WITH NOCHECK ADD CONSTRAINT[CK_Products_UnitPrice] CHECK "
     "([UnitPrice] >= 0)",
     0},
    {"default constraint", SelectedKind::kConstraint, "DF_Orders_Freight", "D ",
     ViewerDisplay::kText,
     "ALTER TABLE  [dbo].[Orders] ADD CONSTRAINT[DF_Orders_Freight] DEFAULT (0) FOR [Freight]", 0},
    {"default in its own folder", SelectedKind::kModule, "DF_Orders_Freight", "D ",
     ViewerDisplay::kText, "(0)", 0},
    {"procedure", SelectedKind::kModule, "CustOrderHist", "P ", ViewerDisplay::kText,
     "CREATE PROCEDURE CustOrderHist @CustomerID nchar(5)\r\nAS\r\n...", 0},
};

class ObjectViewerDecisions : public ::testing::TestWithParam<ViewerCase> {};

// What the view shows for each kind of item, with the label, caption and
// log lines every completed run ends with.
TEST_P(ObjectViewerDecisions, ShowsWhatTheItemStandsFor) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008r2_northwind");
  ASSERT_TRUE(file);
  const ScanSnapshot scan = testing::OpenScan(file->path.string());
  ASSERT_TRUE(scan);
  const ViewerCase& c = GetParam();
  ModuleTexts texts;
  ViewerSource source;
  source.scan = scan;
  source.moduleTexts = &texts;
  const CatalogObject* object = nullptr;
  for (const CatalogObject& o : scan->catalog.objects) {
    if (o.name == c.name && o.type == c.typeCode) object = &o;
  }
  // Items of 2005 and later key folders carry no object id.
  const bool keyItem = c.kind == SelectedKind::kPrimaryKey || c.kind == SelectedKind::kUniqueKey;
  const SelectedItem item{object != nullptr && !keyItem ? object->id : 0, c.typeCode, c.name,
                          c.kind};

  const ViewerOutcome shown = ShowObject(source, item);
  ASSERT_TRUE(shown.completed);
  EXPECT_EQ(shown.display, c.display);
  const std::string expected = c.text;
  if (expected.ends_with("...")) {
    EXPECT_TRUE(shown.text.starts_with(expected.substr(0, expected.size() - 3))) << shown.text;
  } else {
    EXPECT_EQ(shown.text, expected);
  }
  EXPECT_EQ(shown.firstPage.rows.size(), c.rows);
  EXPECT_EQ(shown.table != nullptr, c.display == ViewerDisplay::kRecords);
  const std::string n = std::to_string(c.rows);
  EXPECT_EQ(shown.pageLabel,
            "Page1 - [" + n + "](" + (c.rows > 0 ? "1" : "0") + "-" + n + ") Records");
  EXPECT_EQ(shown.caption, std::string(c.name) + "[" + n + "]");
  ASSERT_GE(shown.logLines.size(), 3u);
  EXPECT_EQ(shown.logLines.front(),
            std::string("Please wait while ") + c.name + " folder is scanning.");
  EXPECT_EQ(shown.logLines[shown.logLines.size() - 2], shown.caption);
  EXPECT_EQ(shown.logLines.back(), "Scanning process completed.");
}

INSTANTIATE_TEST_SUITE_P(ItemKinds, ObjectViewerDecisions, ::testing::ValuesIn(kCases),
                         [](const auto& param) {
                           std::string name = param.param.label;
                           for (char& ch : name) {
                             if (ch == ' ') ch = '_';
                           }
                           return name;
                         });

// The root, an item without text and a session without a catalog end the
// run silently.
TEST(ObjectViewer, EndsSilentlyWithoutSomethingToShow) {
  ModuleTexts texts;
  ViewerSource none;
  none.moduleTexts = &texts;
  EXPECT_FALSE(ShowObject(none, {1, "U ", "T", SelectedKind::kTable}).completed);
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008_pubs");
  ASSERT_TRUE(file);
  ViewerSource source = none;
  source.scan = testing::OpenScan(file->path.string());
  ASSERT_TRUE(source.scan);
  EXPECT_FALSE(ShowObject(source, {0, "", "C:\\DBS\\PUBS.MDF", SelectedKind::kRoot}).completed);
  EXPECT_FALSE(ShowObject(source, {0, "", "", SelectedKind::kModule}).completed);
  EXPECT_TRUE(texts.viewerList.empty());
}

// A SQL Server 2000 key item carries its table's id; the key's columns come
// from the table's index row, in key order.
TEST(ObjectViewer, SqlServer2000KeyItemsCarryTheirTablesId) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2000_northwind");
  ASSERT_TRUE(file);
  const ScanSnapshot scan = testing::OpenScan(file->path.string());
  ASSERT_TRUE(scan);
  ModuleTexts texts;
  ViewerSource source;
  source.scan = scan;
  source.moduleTexts = &texts;
  std::int32_t tableId = 0;
  for (const CatalogObject& o : scan->catalog.objects) {
    if (o.name == "Order Details" && o.type == "U ") tableId = o.id;
  }
  const ViewerOutcome shown =
      ShowObject(source, {tableId, "PK", "PK_Order_Details", SelectedKind::kPrimaryKey});
  EXPECT_EQ(shown.text, "ALTER TABLE Order Details ADD PRIMARY KEY ( OrderID , ProductID )");
  // Definitions are looked up by the item's own name.
  const ViewerOutcome check =
      ShowObject(source, {tableId, "C ", "CK_Discount", SelectedKind::kConstraint});
  EXPECT_EQ(check.text,
            "ALTER TABLE  [dbo].[Order Details] WITH NOCHECK ADD CONSTRAINT[CK_Discount] CHECK "
            "([Discount] >= 0 and [Discount] <= 1)");
  EXPECT_EQ(check.logLines.size(), 5u);  // the module text table was read for it
}

}  // namespace
}  // namespace tessaril
