#include "catalog/sql_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>

#include "base/byte_view.h"
#include "catalog/sql_script_tokens.h"

namespace tessaril {

namespace {

using sql::IEquals;
using sql::Tok;

int ToInt(std::string_view text) {
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

std::string BaseTypeName(std::string_view written) {
  std::string name(written);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name == "dec") return "decimal";
  if (name == "integer") return "int";
  if (name == "character") return "char";
  return name;
}

template <class Items>
auto FindByName(Items& items, std::string_view name) -> decltype(&*items.begin()) {
  for (auto& item : items) {
    if (IEquals(item.name, name)) return &item;
  }
  return nullptr;
}

// Reads statements a batch at a time; what a statement reader does not
// understand is stepped over one token at a time.
class ScriptParser : private sql::TokenCursor {
 public:
  explicit ScriptParser(std::string_view text) : TokenCursor(text) {}

  SqlScript Run() {
    for (std::size_t begin = 0, i = 0; i < tokens().size(); ++i) {
      if (tokens()[i].kind != Tok::kGo) continue;
      SetBatchEnd(i);
      for (std::size_t k = begin; k < i;) k = Statement(k);
      begin = i + 1;
    }
    for (ScriptTable& table : script_.tables) {
      for (ScriptForeignKey& fk : table.foreignKeys) {
        const ScriptTable* target = script_.FindTable(fk.referencedTable);
        if (fk.referencedColumns.empty() && target != nullptr && target->primaryKey) {
          fk.referencedColumns = target->primaryKey->columns;
        }
      }
    }
    return std::move(script_);
  }

  // name [(arguments)] of a base type, at k.
  std::size_t BaseType(std::size_t k, ScriptType& type) const {
    std::string written;
    k = Name(k, written);
    if (IEquals(written, "double") && Word(k, "precision")) {
      written = "float";
      ++k;
    }
    type.type = BaseTypeName(written);
    if (!Punct(k, '(')) return k;
    const std::size_t after = SkipGroup(k);
    std::vector<int> args;
    for (std::size_t j = k + 1; j < after; ++j) {
      if (At(j).kind == Tok::kNumber) args.push_back(ToInt(At(j).text));
      if (Word(j, "max")) type.isMax = true;
    }
    if (args.empty()) return after;
    const std::string& t = type.type;
    if (t == "decimal" || t == "numeric" || t == "float") {
      type.precision = args[0];
      if (args.size() > 1) type.scale = args[1];
    } else if (t == "time" || t == "datetime2" || t == "datetimeoffset") {
      type.scale = args[0];
    } else {
      type.length = args[0];
    }
    return after;
  }

 private:
  std::size_t Statement(std::size_t i) {
    if (Word(i, "create")) return Create(i);
    if (Word(i, "alter") && Word(i + 1, "table")) return AlterTable(i + 2);
    if (Word(i, "insert")) return Insert(i + 1);
    if (Word(i, "sp_addtype")) return AddType(i + 1);
    return i + 1;
  }

  std::size_t Create(std::size_t i) {
    std::size_t k = Word(i + 1, "or") && Word(i + 2, "alter") ? i + 3 : i + 1;
    if (Word(k, "table")) return CreateTable(k + 1);
    if (Word(k, "type")) return CreateType(k + 1);
    if (Word(k, "view")) return Module(i, k + 1, "V ");
    if (Word(k, "procedure") || Word(k, "proc")) return Module(i, k + 1, "P ");
    if (Word(k, "trigger")) return Module(i, k + 1, "TR");
    if (Word(k, "function")) {
      std::size_t r = k;
      while (r < batchEnd() && !Word(r, "returns")) ++r;
      const char* kind = Word(r + 1, "table")              ? "IF"
                         : At(r + 1).text.starts_with('@') ? "TF"
                                                           : "FN";
      return Module(i, k + 1, kind);
    }
    ScriptIndex index;
    for (; Word(k, "unique") || Word(k, "clustered") || Word(k, "nonclustered"); ++k) {
      index.unique = index.unique || Word(k, "unique");
      index.clustered = index.clustered || Word(k, "clustered");
    }
    return Word(k, "index") ? CreateIndex(k + 1, std::move(index)) : k;
  }

  std::size_t Module(std::size_t create, std::size_t nameAt, const char* kind) {
    ScriptModule made{{}, kind, {}};
    Name(nameAt, made.name);
    made.text = BatchText(create);
    script_.modules.push_back(std::move(made));
    return batchEnd();
  }

  std::size_t CreateTable(std::size_t i) {
    ScriptTable table;
    i = Name(i, table.name);
    if (table.name.empty() || !Punct(i, '(')) return i;
    const std::size_t after = SkipGroup(i);
    Elements(i + 1, after - 1, table);
    if (ScriptTable* old = FindByName(script_.tables, table.name)) {
      *old = std::move(table);  // dropped and made again
    } else {
      script_.tables.push_back(std::move(table));
    }
    return after;
  }

  std::size_t AlterTable(std::size_t i) {
    std::string name;
    i = Name(i, name);
    const std::size_t end = StatementEnd(i);
    while (i < end && !Word(i, "add")) i = Step(i);  // past WITH CHECK | NOCHECK
    if (ScriptTable* table = FindByName(script_.tables, name); table != nullptr && i < end) {
      Elements(i + 1, end, *table);
    }
    return end;
  }

  // Column definitions and table constraints, separated by commas, in [i, end).
  void Elements(std::size_t i, std::size_t end, ScriptTable& table) {
    for (; i < end; ++i) {
      const std::size_t next = NextComma(i, end);
      Element(i, next, table);
      i = next;
    }
  }

  void Element(std::size_t i, std::size_t end, ScriptTable& table) {
    for (std::string_view w :
         {"constraint", "primary", "unique", "foreign", "check", "default", "index"}) {
      if (Word(i, w)) return ColumnOptions(i, end, {}, table);
    }
    ScriptColumn column;
    i = Name(i, column.name);
    if (column.name.empty()) return;
    if (!Word(i, "as")) i = ColumnType(i, column);
    ColumnOptions(i, end, column.name, table, &column);
    table.columns.push_back(std::move(column));
  }

  std::size_t ColumnType(std::size_t i, ScriptColumn& column) const {
    std::string written;
    Name(i, written);
    if (const ScriptUserType* user = FindByName(script_.userTypes, written)) {
      static_cast<ScriptType&>(column) = *user;
      column.userType = written;
      column.nullable = user->nullable;
      return Name(i, written);
    }
    return BaseType(i, column);
  }

  // NULL, IDENTITY, DEFAULT, CHECK and key constraints in [i, end). For a
  // table constraint column is empty and the constraint lists its own.
  void ColumnOptions(std::size_t i, std::size_t end, const std::string& columnName,
                     ScriptTable& table, ScriptColumn* column = nullptr) {
    std::string constraintName;
    while (i < end) {
      if (Word(i, "constraint")) {
        i = Name(i + 1, constraintName);
        continue;
      }
      if (Word(i, "not") && Word(i + 1, "null")) {
        if (column != nullptr) column->nullable = false;
        i += 2;
      } else if (Word(i, "null")) {
        if (column != nullptr) column->nullable = true;
        ++i;
      } else if (Word(i, "identity") && column != nullptr) {
        i = Identity(i + 1, *column);
      } else if (Word(i, "default")) {
        i = Punct(i + 1, '-') ? i + 2 : i + 1;
        i = SkipGroup(Step(i));  // a value, a (group), or a call such as getdate()
      } else if (Word(i, "check")) {
        ++i;
        while (i < end && !Punct(i, '(')) ++i;  // NOT FOR REPLICATION
        i = SkipGroup(i);
      } else if (Word(i, "primary") || Word(i, "unique")) {
        i = Key(i, constraintName, columnName, table);
      } else if (Word(i, "foreign") || Word(i, "references")) {
        i = Reference(i, constraintName, columnName, table);
      } else {
        i = Step(i);  // COLLATE x, ROWGUIDCOL, ON [PRIMARY], WITH (...), ...
        continue;
      }
      constraintName.clear();
    }
  }

  std::size_t Identity(std::size_t i, ScriptColumn& column) const {
    long long values[2] = {1, 1};
    const std::size_t after = SkipGroup(i);
    int n = 0;
    for (std::size_t j = i + 1; j < after && n < 2; ++j) {
      if (At(j).kind != Tok::kNumber) continue;
      const std::string& text = At(j).text;
      std::from_chars(text.data(), text.data() + text.size(), values[n]);
      if (Punct(j - 1, '-')) values[n] = -values[n];
      ++n;
    }
    column.identity = std::make_pair(values[0], values[1]);
    return after;
  }

  std::size_t Key(std::size_t i, const std::string& name, const std::string& columnName,
                  ScriptTable& table) const {
    const bool primary = Word(i, "primary");
    ScriptKey key{name, {}, primary};
    i += primary ? 2 : 1;
    if (Word(i, "clustered") || Word(i, "nonclustered")) key.clustered = Word(i++, "clustered");
    if (columnName.empty()) {
      i = NameList(i, key.columns);
    } else {
      key.columns.push_back(columnName);
    }
    if (primary) {
      table.primaryKey = std::move(key);
    } else {
      table.uniqueKeys.push_back(std::move(key));
    }
    return i;
  }

  std::size_t Reference(std::size_t i, const std::string& name, const std::string& columnName,
                        ScriptTable& table) const {
    ScriptForeignKey fk{name, {}, {}, {}};
    if (Word(i, "foreign")) i = NameList(i + 2, fk.columns);
    if (fk.columns.empty() && !columnName.empty()) fk.columns.push_back(columnName);
    if (!Word(i, "references")) return i;
    i = Name(i + 1, fk.referencedTable);
    i = NameList(i, fk.referencedColumns);
    table.foreignKeys.push_back(std::move(fk));
    return i;
  }

  std::size_t CreateIndex(std::size_t i, ScriptIndex index) {
    i = Name(i, index.name);
    if (!Word(i, "on")) return i;
    std::string tableName;
    i = NameList(Name(i + 1, tableName), index.columns);
    if (ScriptTable* table = FindByName(script_.tables, tableName)) {
      table->indexes.push_back(std::move(index));
    }
    return i;
  }

  // sp_addtype name, 'base(n)' [, 'NULL' | 'NOT NULL' | 'NONULL'].
  std::size_t AddType(std::size_t i) {
    std::vector<std::string> args;
    while (At(i).kind == Tok::kString || IsName(i)) {
      if (At(i).text.starts_with('@')) return i;  // named arguments: not used by these scripts
      args.push_back(At(i++).text);
      if (!Punct(i, ',')) break;
      ++i;
    }
    if (args.size() < 2) return i;
    ScriptUserType user;
    user.name = args[0];
    ScriptParser(args[1]).BaseType(0, user);
    if (args.size() > 2) {
      std::string nulls;
      for (char c : args[2]) {
        if (c != ' ') nulls += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      user.nullable = nulls == "null";
    }
    AddUserType(std::move(user));
    return i;
  }

  // CREATE TYPE name FROM base [NULL | NOT NULL]; table types are left out.
  std::size_t CreateType(std::size_t i) {
    ScriptUserType user;
    i = Name(i, user.name);
    if (!Word(i, "from")) return i;
    i = BaseType(i + 1, user);
    if (Word(i, "not") && Word(i + 1, "null")) user.nullable = false;
    if (Word(i, "null")) user.nullable = true;
    AddUserType(std::move(user));
    return i;
  }

  void AddUserType(ScriptUserType user) {
    if (ScriptUserType* old = FindByName(script_.userTypes, user.name)) {
      *old = std::move(user);
    } else {
      script_.userTypes.push_back(std::move(user));
    }
  }

  // INSERT [INTO] table [(columns)] VALUES (...) [, (...)]; other sources are left out.
  std::size_t Insert(std::size_t i) {
    ScriptInsert row;
    i = Name(Word(i, "into") ? i + 1 : i, row.table);
    if (row.table.empty()) return i;
    i = NameList(i, row.columns);
    if (!Word(i, "values")) return i;
    for (++i; Punct(i, '('); ++i) {
      const std::size_t after = SkipGroup(i);
      ScriptInsert values{row.table, row.columns, {}};
      for (std::size_t k = i + 1; k + 1 < after; ++k) {
        const std::size_t next = NextComma(k, after - 1);
        values.values.push_back(Literal(k, next));
        k = next;
      }
      script_.inserts.push_back(std::move(values));
      i = after;
      if (!Punct(i, ',')) break;
    }
    return i;
  }

  std::optional<std::string> Literal(std::size_t begin, std::size_t end) const {
    if (end == begin + 1 && At(begin).kind == Tok::kString) return At(begin).text;
    if (end == begin + 1 && Word(begin, "null")) return std::nullopt;
    if (end <= begin) return std::string();
    return std::string(Source(begin, end - 1));
  }

  SqlScript script_;
};

}  // namespace

const ScriptColumn* ScriptTable::FindColumn(std::string_view columnName) const {
  return FindByName(columns, columnName);
}

const ScriptTable* SqlScript::FindTable(std::string_view name) const {
  return FindByName(tables, name);
}

const ScriptModule* SqlScript::FindModule(std::string_view name) const {
  return FindByName(modules, name);
}

std::vector<const ScriptInsert*> SqlScript::InsertsInto(std::string_view table) const {
  std::vector<const ScriptInsert*> rows;
  for (const ScriptInsert& row : inserts) {
    if (IEquals(row.table, table)) rows.push_back(&row);
  }
  return rows;
}

std::vector<std::string> SqlScript::FilledColumns(const ScriptInsert& row) const {
  if (!row.columns.empty()) return row.columns;
  std::vector<std::string> names;
  if (const ScriptTable* table = FindTable(row.table)) {
    for (const ScriptColumn& column : table->columns) {
      if (!column.identity && !column.type.empty()) names.push_back(column.name);
    }
  }
  return names;
}

SqlScript ParseSqlScript(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return ScriptParser(text).Run();
}

std::string ScriptDeclaredType(const ScriptColumn& c) {
  if (!c.userType.empty()) return c.userType;
  if (c.type == "decimal" || c.type == "numeric") {
    return c.type + "(" +
           std::to_string(c.precision >= 0 ? c.precision : kDefaultDecimalPrecision) + "," +
           std::to_string(std::max(c.scale, 0)) + ")";
  }
  if (c.isMax) return c.type + "(max)";
  for (const char* sized : {"char", "varchar", "nchar", "nvarchar", "binary", "varbinary"}) {
    if (c.type == sized) return c.type + "(" + std::to_string(std::max(c.length, 1)) + ")";
  }
  return c.type;
}

Result<SqlScript> LoadSqlScript(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    return Error("Cannot read the script " + file.string() + ".",
                 ec ? ec.message() : "not a regular file");
  }
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  if (in.bad()) return Error("Cannot read the script " + file.string() + ".", "a read failed");
  return ParseSqlScript(sql::DecodeScript(ByteView(bytes)));
}

}  // namespace tessaril
