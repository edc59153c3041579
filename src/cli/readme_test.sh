#!/usr/bin/env bash
# Runs every tessaril-cli example of the README as written, in a folder that
# holds the Northwind sample database as northwind.mdf and nothing of the
# test's own; each must end with exit status 0.
# usage: readme_test.sh CLI README   (the corpus folder comes from $TESSARIL_CORPUS)
set -u
cli=$(realpath "$1")
readme=$(realpath "$2")
corpus=${TESSARIL_CORPUS:-}
sample="$corpus/sql2008r2_northwind/NORTHWND.MDF"
if [ -z "$corpus" ] || [ ! -f "$sample" ]; then
  echo "corpus file not found (set TESSARIL_CORPUS): README examples skipped"
  exit 0
fi
work=$(mktemp -d)
logs=$(mktemp -d)
cache=$(mktemp -d)
trap 'rm -rf "$work" "$logs" "$cache"' EXIT
# The inventory cache goes to a folder of the test's own.
export XDG_CACHE_HOME="$cache"
cp "$sample" "$work/northwind.mdf"
cd "$work" || exit 1
mkdir bin && ln -s "$cli" bin/tessaril-cli
passed=0
failed=0
while IFS= read -r line; do
  command=${line#    }
  PATH="$work/bin:$PATH" bash -c "$command" >"$logs/out" 2>"$logs/err" </dev/null
  status=$?
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL (exit status $status): $command"
    head -5 "$logs/err"
  fi
done < <(grep -E '^    tessaril-cli ' "$readme")
[ "$passed" -gt 0 ] || { echo "FAIL: no example found in $readme"; exit 1; }
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
