#!/usr/bin/env bash
# End-to-end checks of tessaril-cli: golden outputs over the corpus, messages
# and exit statuses for files that cannot be used, and usage errors.
# usage: cli_test.sh CLI GOLDEN_DIR   (TESSARIL_UPDATE_GOLDEN=1 rewrites the golden files)
set -u
cli=$1
golden=$2
corpus=${TESSARIL_CORPUS:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The inventory cache goes to the test's own folder.
export XDG_CACHE_HOME="$work/cache"
passed=0
failed=0

ok() { passed=$((passed + 1)); }
bad() { failed=$((failed + 1)); echo "FAIL: $*"; }

# expect STATUS NAME -- COMMAND...: runs the command, keeps its output in $work/out and $work/err.
expect() {
  local want=$1 name=$2
  shift 3
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  if [ "$got" -eq "$want" ]; then ok; else bad "$name: exit status $got, expected $want"; cat "$work/err"; fi
}

# contains FILE TEXT NAME
contains() {
  if grep -qF -- "$2" "$1"; then ok; else bad "$3: '$2' not in output"; cat "$1"; fi
}

# same_as_golden NAME: compares $work/out (corpus path replaced by CORPUS) with the golden file.
same_as_golden() {
  local file="$golden/$1"
  sed "s#$corpus#CORPUS#g" "$work/out" >"$work/normalised"
  if [ "${TESSARIL_UPDATE_GOLDEN:-}" = 1 ]; then
    mkdir -p "$(dirname "$file")"
    cp "$work/normalised" "$file"
  fi
  if diff -u "$file" "$work/normalised" >"$work/diff"; then ok; else bad "$1 differs from golden"; head -40 "$work/diff"; fi
}

# Usage and help.
expect 2 "no command" -- "$cli"
expect 2 "unknown command" -- "$cli" frobnicate
for version in --version version; do
  expect 0 "$version" -- "$cli" $version
  contains "$work/out" "tessaril-cli " "$version"
  contains "$work/out" "957 SQL Server 2022" "$version"
done
for command in info pages page scan tree definition export check version; do
  expect 0 "$command --help" -- "$cli" "$command" --help
  contains "$work/out" "usage: tessaril-cli $command" "$command --help"
done
expect 2 "info without a file" -- "$cli" info
expect 2 "unknown option" -- "$cli" info x.mdf --bogus

# Files that cannot be used: the scan's own messages, a clean exit.
: >"$work/empty.mdf"
head -c 5000 /dev/zero >"$work/short.mdf"
head -c 81920 /dev/zero >"$work/zeros.mdf"
expect 1 "missing file" -- "$cli" info "$work/missing.mdf"
contains "$work/err" "File cannot be open..........." "missing file"
expect 1 "directory" -- "$cli" info "$work"
contains "$work/err" "File cannot be open..........." "directory"
for f in empty short zeros; do
  expect 1 "$f file" -- "$cli" info "$work/$f.mdf"
  contains "$work/err" "Whether File is not valid mdf file or file is highly corrupted..........." "$f file"
done
expect 1 "scan of an empty file" -- "$cli" scan "$work/empty.mdf" --log-dir "$work"
contains "$work/out" "Scanning process aborted." "scan of an empty file"
expect 1 "scan of a file not named .mdf" -- "$cli" scan "$work/missing.txt" --no-log
contains "$work/err" "Please select valid SQL file path to continue the recovery process." "non-mdf"
expect 1 "scan with a missing log folder" -- "$cli" scan "$work/empty.mdf" --log-dir "$work/nowhere"
contains "$work/err" "Please select valid Log file path to continue the recovery process." "log folder"
expect 1 "page of an unusable file" -- "$cli" page "$work/short.mdf" 1:1

# Bytes that are no data file: every command says so and ends with status 1.
cp /bin/ls "$work/ls.mdf"
head -c 163840 /dev/urandom >"$work/random.mdf"
for f in ls random; do
  for command in "info" "pages" "page @ 1:1" "tables" "columns @ T" "rows @ T" "tree" \
                 "value @ T --row 1 --column C" "definition @ D" "check" "scan @ --no-log"; do
    read -r -a words <<<"${command/@/$work/$f.mdf}"
    [ "${#words[@]}" -eq 1 ] && words+=("$work/$f.mdf")
    expect 1 "${words[0]} of $f" -- "$cli" "${words[@]}"
    if grep -qF "not a SQL Server data file" "$work/err" "$work/out"; then ok; else bad "${words[0]} of $f: not named as no data file"; cat "$work/err"; fi
  done
done
expect 1 "scan from a file that is no snapshot" -- "$cli" scan --snapshot "$work/ls.mdf" --no-log
contains "$work/err" "not a snapshot file" "scan from a file that is no snapshot"
if [ "$(wc -l <"$work/err")" -eq 1 ] && [ ! -s "$work/out" ]; then ok; else bad "no snapshot: one line, nothing else"; fi

if [ -z "$corpus" ] || [ ! -d "$corpus" ]; then
  echo "corpus folder not found (set TESSARIL_CORPUS): corpus checks skipped"
else
  while IFS=$'\t' read -r dir file _; do
    [ "$dir" = dir ] && continue
    expect 0 "info $dir" -- "$cli" info "$corpus/$dir/$file"
    same_as_golden "info/$dir.txt"
    expect 0 "pages $dir" -- "$cli" pages "$corpus/$dir/$file"
    same_as_golden "pages/$dir.tsv"
    expect 0 "page 1:9 of $dir" -- "$cli" page "$corpus/$dir/$file" 1:9
    same_as_golden "page/$dir.1-9.txt"
    expect 0 "check $dir" -- "$cli" check "$corpus/$dir/$file"
    contains "$work/out" "no damage found" "check $dir"
  done <"$corpus/MANIFEST.tsv"

  pubs="$corpus/sql2008_pubs/pubs.mdf"
  expect 0 "pages --object" -- "$cli" pages "$pubs" --object 34
  same_as_golden "pages/sql2008_pubs.object34.tsv"
  expect 0 "pages --unit" -- "$cli" pages "$pubs" --unit 0x100000000220000
  same_as_golden "pages/sql2008_pubs.unit-34-256.tsv"
  expect 0 "page of a data page" -- "$cli" page "$pubs" 1:192
  same_as_golden "page/sql2008_pubs.1-192.txt"
  expect 0 "page of an IAM page" -- "$cli" page "$pubs" 1:193
  same_as_golden "page/sql2008_pubs.1-193.txt"
  expect 0 "page with deleted records carved" -- "$cli" page "$corpus/sql2000_northwind/northwnd.mdf" 1:16 --carve
  same_as_golden "page/sql2000_northwind.1-16.carve.txt"
  # Page forensics: the file header page, the boot page's fields, a table's
  # values beside its bytes with the deleted rows marked, and pages that are
  # not there.
  pubs14="$corpus/sql2014_pubs/Pubs.mdf"
  expect 0 "page 0" -- "$cli" page "$pubs14" 1:0
  same_as_golden "page/sql2014_pubs.1-0.txt"
  expect 0 "boot page of a 2022 file created in 2008 R2" -- "$cli" page "$corpus/sql2022_techblog/db.mdf" 1:9
  contains "$work/out" "created in format version: 661 ( SQL Server 2008 R2)" "boot page fields"
  expect 0 "page of deleted authors" -- "$cli" page "$pubs14" 1:304 --carve
  same_as_golden "page/sql2014_pubs.1-304.carve.txt"
  # A database upgraded from 2000: its pages name their unit by object id.
  expect 0 "page of a table upgraded from 2000" -- "$cli" page "$corpus/sql2008r2_northwind/NORTHWND.MDF" 1:205
  contains "$work/out" "table: dbo.Orders" "page of a table upgraded from 2000"
  contains "$work/out" "    ShipName: " "page of a table upgraded from 2000"
  expect 1 "page past the end" -- "$cli" page "$pubs" 1:288
  contains "$work/err" "page 1:288 is past the end (288 pages)" "page past the end"
  expect 2 "bad page address" -- "$cli" page "$pubs" 9
  expect 1 "unknown file id" -- "$cli" page "$pubs" 3:100
  contains "$work/err" "file 3 is not among the files opened" "unknown file id"

  # One flipped byte in a data page that carries a checksum.
  mkdir "$work/flipped"
  cp "$pubs" "$work/flipped/pubs.mdf"
  printf '\x5a' | dd of="$work/flipped/pubs.mdf" bs=1 seek=$((192 * 8192 + 3000)) conv=notrunc status=none
  expect 3 "check of a flipped byte" -- "$cli" check "$work/flipped/pubs.mdf"
  contains "$work/out" "1:192	checksum	data" "check of a flipped byte"
  contains "$work/out" "damage found" "check of a flipped byte"
  expect 3 "check as json" -- "$cli" check "$work/flipped/pubs.mdf" --format json
  contains "$work/out" '"damageFound":true' "check as json"
  contains "$work/out" '{"page":"1:192","kind":"checksum"' "check as json"
  expect 2 "check with a bad format" -- "$cli" check "$pubs" --format xml

  # A copy cut short: the commands warn with the count of missing pages.
  head -c $((200 * 8192)) "$pubs" >"$work/cut.mdf"
  expect 0 "tables of a file cut short" -- "$cli" tables "$work/cut.mdf"
  contains "$work/err" "the file is shorter than its header says: 88 of 288 pages are missing" "file cut short"
  expect 0 "scan of a file cut short" -- "$cli" scan "$work/cut.mdf" --no-log
  contains "$work/err" "88 of 288 pages are missing" "scan of a file cut short"
  expect 3 "check of a file cut short" -- "$cli" check "$work/cut.mdf"
  contains "$work/out" "missing pages: 88" "check of a file cut short"

  expect 0 "tables" -- "$cli" tables "$pubs"
  same_as_golden "catalog/sql2008_pubs.tables.tsv"
  expect 0 "columns" -- "$cli" columns "$corpus/sql2000_northwind/northwnd.mdf" Employees --verbose
  same_as_golden "catalog/sql2000_northwind.Employees.columns.txt"
  expect 0 "pages of a table" -- "$cli" pages "$pubs" --table sales
  same_as_golden "catalog/sql2008_pubs.sales.pages.txt"
  expect 1 "columns of a missing table" -- "$cli" columns "$pubs" nosuchtable
  # Files of the newer releases and of many types: their tables, the columns
  # of one table with the types they were declared with, and its rows.
  for entry in "sql2005_bltoolkit/BLToolkitData.mdf DataTypeTest" \
    "sql2016_dailynutrition/DailyNutrition2012.mdf recipeingredients" \
    "sql2017_student_zh/Student.mdf Teach" "sql2019_students_ru/Students.mdf Студенты" \
    "sql2022_techblog/db.mdf Author"; do
    path=${entry%% *} table=${entry#* } dir=${entry%%/*}
    expect 0 "tables $dir" -- "$cli" tables "$corpus/$path"
    same_as_golden "catalog/$dir.tables.tsv"
    expect 0 "columns $dir $table" -- "$cli" columns "$corpus/$path" "$table" --verbose
    same_as_golden "catalog/$dir.$table.columns.txt"
    expect 0 "rows $dir $table" -- "$cli" rows "$corpus/$path" "$table" --format tsv
    same_as_golden "rows/$dir.$table.tsv"
  done
  expect 0 "rows as tsv" -- "$cli" rows "$pubs" authors --format tsv
  same_as_golden "rows/sql2008_pubs.authors.tsv"
  expect 0 "rows as json" -- "$cli" rows "$corpus/sql2000_northwind/northwnd.mdf" Shippers --format json
  same_as_golden "rows/sql2000_northwind.Shippers.json"
  expect 0 "rows as csv, second page" -- "$cli" rows "$corpus/sql2008r2_northwind/NORTHWND.MDF" "Order Details" --page 3 --format csv
  same_as_golden "rows/sql2008r2_northwind.order_details.page3.csv"
  contains "$work/err" "Page3 - [155](2001-2155) Records" "page label"
  expect 2 "rows with a bad format" -- "$cli" rows "$pubs" authors --format xml
  expect 0 "csv rows without a page are every row" -- "$cli" rows "$corpus/sql2008r2_northwind/NORTHWND.MDF" "Order Details" --format csv
  if [ "$(wc -l <"$work/out")" -eq 2156 ]; then ok; else bad "csv rows: 2155 rows and a header"; fi
  expect 0 "text rows say when more follow" -- "$cli" rows "$corpus/sql2008r2_northwind/NORTHWND.MDF" "Order Details"
  contains "$work/err" "more rows follow: --page 2" "text rows say when more follow"
  expect 2 "rows --page with --all" -- "$cli" rows "$pubs" authors --page 2 --all
  contains "$work/err" "--page and --all exclude each other" "rows --page with --all"
  expect 1 "rows past the last page" -- "$cli" rows "$pubs" authors --page 9 --format csv
  if [ ! -s "$work/out" ]; then ok; else bad "rows past the last page write nothing on stdout"; fi
  contains "$work/err" "page 9 is past the end: the table has 1 page(s) of rows" "rows past the last page"
  # Where each row came from: the deleted Smith and the older White are carved
  # from the free space of page 1:304.
  for format in tsv json; do
    expect 0 "rows --provenance as $format" -- "$cli" rows "$pubs14" authors --carve --provenance --format $format
    same_as_golden "rows/sql2014_pubs.authors.carve.provenance.$format"
  done
  contains "$work/out" '"au_lname":"Smith","au_fname":"Meander","phone":"913 843-0462","address":"10 Mississippi Dr.","city":"Lawrence","state":"KS","zip":"66044","contract":0,"$status":"carved","$page":"1:304","$slot":23' "carved Smith"
  # Wide characters line up in the text format.
  expect 0 "rows of CJK text" -- "$cli" rows "$corpus/sql2017_student_zh/Student.mdf" Teach
  same_as_golden "rows/sql2017_student_zh.Teach.txt"
  # Names as SQL Server takes them: any case, with the schema, in brackets.
  for name in AUTHORS dbo.authors "[dbo].[Authors]"; do
    expect 0 "rows of $name" -- "$cli" rows "$pubs" "$name" --format tsv
    same_as_golden "rows/sql2008_pubs.authors.tsv"
  done
  expect 1 "rows of a view" -- "$cli" rows "$pubs" titleview
  contains "$work/err" "dbo.titleview is a view, not a table: 'tessaril-cli definition $pubs titleview' shows its definition" "rows of a view"
  expect 1 "rows of a procedure" -- "$cli" rows "$pubs" DBO.BYROYALTY
  contains "$work/err" "dbo.byroyalty is a procedure, not a table" "rows of a procedure"
  expect 1 "rows in another schema" -- "$cli" rows "$pubs" sys.authors
  contains "$work/err" "no table named sys.authors" "rows in another schema"

  # Nothing the tool writes may land on a file of the database it reads,
  # whatever name the file is given.
  mkdir "$work/evidence"
  cp "$pubs" "$work/evidence/pubs.mdf"
  ln "$work/evidence/pubs.mdf" "$work/evidence/hard.bin"
  ln -s "$work/evidence/pubs.mdf" "$work/evidence/soft.bin"
  : >"$work/evidence/pubs_log.ldf"
  before=$(sha256sum "$work/evidence/pubs.mdf" | cut -c1-64)
  for target in pubs.mdf hard.bin soft.bin pubs_log.ldf; do
    expect 1 "snapshot onto $target" -- "$cli" scan "$work/evidence/pubs.mdf" --no-log --snapshot-out "$work/evidence/$target"
    contains "$work/err" "refusing to write" "snapshot onto $target"
    expect 1 "raw value onto $target" -- "$cli" value "$work/evidence/pubs.mdf" authors --row 1 --column au_id --raw "$work/evidence/$target"
    contains "$work/err" "refusing to write" "raw value onto $target"
  done
  if [ "$(sha256sum "$work/evidence/pubs.mdf" | cut -c1-64)" = "$before" ] && [ ! -s "$work/evidence/pubs_log.ldf" ] &&
     [ "$(ls "$work/evidence" | wc -l)" -eq 4 ]; then ok; else bad "the data files are unchanged and nothing was left beside them"; fi

  # Large values: shortened in the text format, in full with --full and in
  # the value command, byte for byte with --raw.
  expect 0 "rows with large values, shortened" -- "$cli" rows "$corpus/sql2000_northwind/northwnd.mdf" Categories
  same_as_golden "rows/sql2000_northwind.Categories.txt"
  expect 0 "value --help" -- "$cli" value --help
  contains "$work/out" "usage: tessaril-cli value" "value --help"
  expect 0 "value of a text column" -- "$cli" value "$pubs" pub_info --row 2 --column pr_info
  same_as_golden "value/sql2008_pubs.pub_info.2.pr_info.txt"
  expect 0 "value of an image column" -- "$cli" value "$pubs" pub_info --row 1 --column logo
  cp "$work/out" "$work/logo.txt"
  expect 0 "raw image" -- "$cli" value "$pubs" pub_info --row 1 --column logo --raw "$work/logo.gif"
  if [ "$(head -c 6 "$work/logo.gif")" = GIF89a ] &&
     [ "0x$(od -An -v -tx1 "$work/logo.gif" | tr -d ' \n' | tr a-f A-F)" = "$(cat "$work/logo.txt")" ]; then
    ok
  else
    bad "raw image bytes match the image's text"
  fi
  expect 0 "rows --full" -- "$cli" rows "$pubs" pub_info --full
  contains "$work/out" "$(tail -c 41 "$work/logo.txt")" "rows --full"
  expect 0 "raw varbinary(max) over several pages" -- "$cli" value "$corpus/sql2012_mvcmusicstore/MvcMusicStore.mdf" __MigrationHistory --row 1 --column Model --raw "$work/model.gz"
  if gzip -t "$work/model.gz" 2>/dev/null; then ok; else bad "raw varbinary(max) is an intact gzip stream"; fi
  expect 1 "value of a row out of range" -- "$cli" value "$pubs" pub_info --row 9 --column logo
  contains "$work/err" "row 9 is out of range: the table has 8 row(s)" "row out of range"
  expect 1 "value of an unknown column" -- "$cli" value "$pubs" pub_info --row 1 --column nope
  contains "$work/err" "table pub_info has no column named nope" "unknown column"
  expect 1 "value of an unknown table" -- "$cli" value "$pubs" nope --row 1 --column logo
  contains "$work/err" "no table named nope" "unknown table"
  expect 2 "value without a row" -- "$cli" value "$pubs" pub_info --column logo
  expect 0 "definition of a procedure" -- "$cli" definition "$corpus/sql2000_northwind/northwnd.mdf" "Sales by Year"
  same_as_golden "definition/sql2000_northwind.sales_by_year.sql"
  expect 0 "definition of a trigger" -- "$cli" definition "$pubs" employee_insupd
  same_as_golden "definition/sql2008_pubs.employee_insupd.sql"
  expect 0 "check constraint statement" -- "$cli" definition "$pubs" CK_emp_id
  same_as_golden "definition/sql2008_pubs.CK_emp_id.sql"
  expect 0 "primary key statement" -- "$cli" definition "$pubs" UPKCL_taind
  contains "$work/out" "ALTER TABLE titleauthor ADD PRIMARY KEY ( au_id , title_id )" "primary key statement"
  expect 1 "definition of an unknown name" -- "$cli" definition "$pubs" nosuchproc
  contains "$work/err" "no object named nosuchproc" "definition of an unknown name"
  expect 1 "definition of a table" -- "$cli" definition "$pubs" authors

  mkdir "$work/logs"
  expect 0 "scan" -- "$cli" scan "$pubs" --log-dir "$work/logs"
  same_as_golden "scan/sql2008_pubs.txt"
  contains "$work/err" "Log file path : $work/logs/CorvaneSQLDatabaseRec_log_" "scan log path"
  log=$(ls "$work"/logs/CorvaneSQLDatabaseRec_log_*.txt 2>/dev/null | head -1)
  if [ -n "$log" ] && [ "$(head -c 6 "$log" | od -An -tx1 | tr -d ' \n')" = "fffe0d000a00" ]; then ok; else bad "scan log starts with FF FE 0D 00 0A 00"; fi
  if [ -n "$log" ] && iconv -f UTF-16LE -t UTF-8 "$log" | grep -q "Scanning of file starts..."; then ok; else bad "scan log holds the lines"; fi
  # Without --log-dir a scan writes nothing, not even into the desktop folder.
  mkdir "$work/home"
  expect 0 "scan without log" -- env HOME="$work/home" XDG_DESKTOP_DIR= "$cli" scan "$pubs" --advanced
  contains "$work/out" "Advanced mode is selected for file recovery." "advanced mode"
  if [ -z "$(ls -A "$work/home")" ]; then ok; else bad "a scan without --log-dir leaves no file"; ls -R "$work/home"; fi
  expect 0 "scan counting rows" -- "$cli" scan "$pubs14" --rows --carve --progress
  same_as_golden "scan/sql2014_pubs.rows.txt"
  contains "$work/err" "progress: 100% Mapping of Database Objects has been done" "progress lines"
  expect 0 "scan with a collation name" -- "$cli" scan "$pubs" --no-log --collation Latin1_General_CI_AS
  expect 1 "scan with an unknown collation" -- "$cli" scan "$pubs" --no-log --collation Nope_CI_AS

  expect 0 "scan saving a snapshot" -- "$cli" scan "$pubs" --no-log --snapshot-out "$work/pubs.MDBVTR"
  contains "$work/out" "Snapshot Saved successfully in path $work/pubs.MDBVTR" "snapshot saved"
  expect 0 "scan from a snapshot" -- "$cli" scan --snapshot "$work/pubs.MDBVTR" --no-log
  contains "$work/out" "Scanning completed for selected mdf file." "scan from a snapshot"
  expect 1 "scan from a missing snapshot" -- "$cli" scan --snapshot "$work/none.MDBVTR" --no-log
  contains "$work/err" "File cannot be open..........." "scan from a missing snapshot"
  expect 1 "snapshot into a missing folder" -- "$cli" scan "$pubs" --no-log --snapshot-out "$work/no/s.MDBVTR"
  contains "$work/out" "Snapshot cannot be saved." "snapshot into a missing folder"

  # Export: one command, each format; nothing onto the data files.
  expect 0 "export as a script" -- "$cli" export "$pubs" --sql "$work/pubs.sql"
  contains "$work/err" "exported 11 table(s), 255 row(s)" "export summary"
  if [ "$(head -c 3 "$work/pubs.sql" | od -An -tx1 | tr -d ' \n')" = efbbbf ] && grep -q $'^GO\r$' "$work/pubs.sql"; then ok; else bad "the script is UTF-8 with a BOM and CR LF"; fi
  contains "$work/pubs.sql" "ALTER TABLE [dbo].[titleauthor] ADD CONSTRAINT [UPKCL_taind] PRIMARY KEY CLUSTERED ([au_id] ASC, [title_id] ASC)" "export keys"
  expect 0 "export as csv with deleted rows" -- "$cli" export "$corpus/sql2014_pubs/Pubs.mdf" --csv "$work/csv" --carve --tables authors
  contains "$work/csv/authors\$deleted.csv" "341-22-1782,Smith,Meander" "deleted rows apart"
  expect 0 "export as sqlite" -- "$cli" export "$pubs" --sqlite "$work/pubs.db" --tables dbo.titles
  expect 2 "export without a destination" -- "$cli" export "$pubs"
  expect 1 "export onto the data file" -- "$cli" export "$work/evidence/pubs.mdf" --sql "$work/evidence/soft.bin"
  contains "$work/err" "refusing to write" "export onto the data file"

  expect 0 "tree" -- "$cli" tree "$corpus/sql2000_northwind/northwnd.mdf" --expand Orders,Customers
  same_as_golden "tree/sql2000_northwind.txt"
  expect 0 "tree" -- "$cli" tree "$corpus/sql2014_pubs/Pubs.mdf" --expand titles,sales
  same_as_golden "tree/sql2014_pubs.txt"
  expect 1 "tree with a missing table" -- "$cli" tree "$pubs" --expand nosuchtable
  contains "$work/err" "no table named nosuchtable" "tree with a missing table"

  # A copy whose catalog is lost (every page of the object, allocation unit,
  # rowset and column tables zeroed) gets its tables back from the script.
  nw="$corpus/sql2008r2_northwind/NORTHWND.MDF"
  cp "$nw" "$work/lost.mdf"
  "$cli" pages "$nw" --no-cache | awk -F'\t' '($4==34 || $4==7 || $4==5 || $4==41) && $5<256 {print $2}' |
    while read -r page; do
      dd if=/dev/zero of="$work/lost.mdf" bs=8192 seek="$page" count=1 conv=notrunc status=none
    done
  script="$corpus/_groundtruth/instnwnd.sql"
  expect 0 "tables of a lost catalog" -- "$cli" tables "$work/lost.mdf" --no-cache
  if grep -q $'\tOrders$' "$work/out"; then bad "a lost catalog names no table Orders"; else ok; fi
  expect 0 "tables from a schema script" -- "$cli" tables "$work/lost.mdf" --no-cache --schema-from "$script"
  contains "$work/out" $'\tOrders' "tables from a schema script"
  "$cli" rows "$nw" Orders --all --format tsv --no-cache >"$work/clean.tsv" 2>/dev/null
  expect 0 "rows from a schema script" -- "$cli" rows "$work/lost.mdf" Orders --all --format tsv --no-cache --schema-from "$script"
  if cmp -s "$work/clean.tsv" "$work/out"; then ok; else bad "rows from a schema script differ from the clean file's"; fi
  expect 1 "a missing schema" -- "$cli" tables "$work/lost.mdf" --no-cache --schema-from "$work/none.sql"
  contains "$work/err" "none.sql" "a missing schema"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
