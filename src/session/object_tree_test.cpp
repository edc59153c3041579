#include "session/object_tree.h"

#include <gtest/gtest.h>

#include "testing/corpus.h"
#include "testing/opened_catalog.h"
#include "testing/recording_events.h"

namespace tessaril {
namespace {

std::vector<std::string> ChildTexts(const ObjectTree& tree, TreeItemId item) {
  std::vector<std::string> texts;
  for (TreeItemId c : tree.item(item).children) texts.push_back(tree.item(c).text);
  return texts;
}

CatalogObject Object(std::int32_t id, std::string name, std::string type, bool system = false) {
  CatalogObject o;
  o.id = id;
  o.name = std::move(name);
  o.type = std::move(type);
  o.systemOwned = system;
  return o;
}

TEST(ObjectTreeTest, FixedFoldersShowInReverseOfTheirCreation) {
  ObjectTree tree;
  tree.CreateFixedItems("RepairDataBase");
  EXPECT_EQ(tree.item(tree.root()).text, "RepairDataBase");
  EXPECT_EQ(ChildTexts(tree, tree.root()),
            (std::vector<std::string>{"Views", "Programmability", "Tables"}));
  EXPECT_EQ(ChildTexts(tree, tree.folder(TreeFolder::kProgrammability)),
            (std::vector<std::string>{"Triggers", "Default", "Store Procedure", "Function"}));
  EXPECT_EQ(ChildTexts(tree, tree.folder(TreeFolder::kTables)),
            (std::vector<std::string>{"System Tables", "User Tables"}));
}

// Procedures are sorted; views keep the reverse of catalog order. Objects
// SQL Server owns stay out of the user folders.
TEST(ObjectTreeTest, FillSortsProceduresAndKeepsViewsReversed) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2008_pubs");
  if (!file) GTEST_SKIP() << "sql2008_pubs not in the corpus";
  testing::OpenedCatalog opened = testing::OpenWithCatalog(file->path.string());
  ASSERT_NE(opened.db, nullptr);
  Catalog catalog;
  for (const char* name : {"c", "a", "b"}) {
    catalog.objects.push_back(Object(100 + name[0], std::string("p_") + name, "P "));
    catalog.objects.push_back(Object(200 + name[0], std::string("v_") + name, "V "));
  }
  catalog.objects.push_back(Object(-5, "sys_view", "V ", true));
  catalog.objects.push_back(Object(7, "", "P "));
  catalog.objects.push_back(Object(8, "queue", "SQ"));

  ObjectTree tree;
  tree.CreateFixedItems("db");
  testing::RecordingEvents log;
  StopFlag stop;
  ASSERT_TRUE(tree.Fill(catalog, *opened.db, RecordOptions(), log, stop));
  EXPECT_EQ(ChildTexts(tree, tree.folder(TreeFolder::kStoreProcedure)),
            (std::vector<std::string>{"p_a", "p_b", "p_c"}));
  EXPECT_EQ(ChildTexts(tree, tree.folder(TreeFolder::kViews)),
            (std::vector<std::string>{"v_b", "v_a", "v_c"}));
  EXPECT_TRUE(tree.item(tree.folder(TreeFolder::kUserTables)).children.empty());
  EXPECT_EQ(log.logLines(), (std::vector<std::string>{kCreatingTreeText, kTreeDoneText}));
  EXPECT_EQ(log.captions(), (std::vector<std::string>{kCreatingTreeText, kTreeDoneText}));

  Catalog unnamed;
  unnamed.objects.push_back(Object(7, "", "U "));
  EXPECT_FALSE(tree.Fill(unnamed, *opened.db, RecordOptions(), log, stop));
}

TEST(ObjectTreeTest, CheckBoxesFollowTheirDescendants) {
  ObjectTree tree;
  tree.CreateFixedItems("db");
  const TreeItemId tables = tree.folder(TreeFolder::kUserTables);
  TreeItem table;
  table.text = "Orders";
  table.kind = TreeItemKind::kObject;
  const TreeItemId orders = tree.InsertFirst(tables, table);
  TreeItem column;
  column.kind = TreeItemKind::kColumn;
  column.text = "a";
  const TreeItemId a = tree.InsertFirst(orders, column);
  column.text = "b";
  tree.InsertFirst(orders, column);

  tree.ClickCheckBox(tables);
  EXPECT_EQ(tree.State(tables), CheckState::kChecked);
  EXPECT_EQ(tree.State(tree.folder(TreeFolder::kTables)), CheckState::kPartlyChecked);
  EXPECT_EQ(tree.CheckedCount(), 4u);  // the folder, the table, two columns

  tree.ClickCheckBox(a);
  EXPECT_EQ(tree.State(orders), CheckState::kPartlyChecked);
  EXPECT_EQ(tree.State(tables), CheckState::kPartlyChecked);
  EXPECT_EQ(tree.State(tree.root()), CheckState::kPartlyChecked);
  EXPECT_EQ(tree.CheckedCount(), 1u);  // only column b

  // A new unchecked item makes its checked parent partly checked.
  tree.ClickCheckBox(a);
  EXPECT_EQ(tree.State(orders), CheckState::kChecked);
  column.text = "c";
  tree.InsertFirst(orders, column);
  EXPECT_EQ(tree.State(orders), CheckState::kPartlyChecked);
}

// The SQL Server 2000 Northwind: tables with pages in bold, and a table's
// keys and columns added once, on its first opening.
TEST(ObjectTreeTest, NorthwindTablesAndTheirSubtree) {
  TESSARIL_REQUIRE_CORPUS();
  const auto file = testing::FindCorpusFile("sql2000_northwind");
  if (!file) GTEST_SKIP() << "sql2000_northwind not in the corpus";
  testing::OpenedCatalog opened = testing::OpenWithCatalog(file->path.string());
  ASSERT_NE(opened.db, nullptr);
  ObjectTree tree;
  tree.CreateFixedItems("Northwind");
  testing::RecordingEvents log;
  StopFlag stop;
  ASSERT_TRUE(tree.Fill(opened.catalog, *opened.db, RecordOptions(), log, stop));
  tree.SortChildren(tree.folder(TreeFolder::kUserTables));

  const TreeItemId orders = tree.FindObject(TreeFolder::kUserTables, "Orders");
  ASSERT_NE(orders, kNoTreeItem);
  EXPECT_TRUE(tree.item(orders).bold);
  EXPECT_NE(tree.FindObject(TreeFolder::kSystemTables, "sysobjects"), kNoTreeItem);
  EXPECT_NE(tree.FindObject(TreeFolder::kStoreProcedure, "CustOrderHist"), kNoTreeItem);
  EXPECT_NE(tree.FindObject(TreeFolder::kViews, "Invoices"), kNoTreeItem);

  const TableLayout layout =
      BuildTableLayout(opened.catalog, *opened.db, "Orders", "U ", {}, RecordOptions());
  ASSERT_TRUE(tree.BuildTableSubtree(orders, layout));
  EXPECT_FALSE(tree.BuildTableSubtree(orders, layout));
  EXPECT_EQ(
      ChildTexts(tree, orders),
      (std::vector<std::string>{"ForeignKey", "Unique", "Constraint", "PrimaryKey", "Columns"}));
  const std::vector<TreeItemId>& folders = tree.item(orders).children;
  EXPECT_EQ(ChildTexts(tree, folders[3]), std::vector<std::string>{"PK_Orders"});
  // A 2000 key item carries its table's id.
  EXPECT_EQ(tree.item(tree.item(folders[3]).children[0]).objectId, tree.item(orders).objectId);
  EXPECT_EQ(tree.item(tree.size() + 5).text, "");      // an id the tree does not hold
  EXPECT_EQ(ChildTexts(tree, folders[0]).size(), 3u);  // customers, employees, shippers
  const std::vector<std::string> columns = ChildTexts(tree, folders[4]);
  ASSERT_EQ(columns.size(), 14u);
  EXPECT_EQ(columns[0], "OrderID  int(4)[Primary Key]");
  EXPECT_EQ(columns[1].rfind("CustomerID  nchar(10)  (foreign key) references Customers( ", 0), 0u)
      << columns[1];
}

}  // namespace
}  // namespace tessaril
