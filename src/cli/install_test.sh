#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and runs the installed
# program: it must start, and find the collation table installed with it.
# usage: install_test.sh BUILD_DIR   (a corpus file is used when $TESSARIL_CORPUS has one)
set -u
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
# The inventory cache goes to the test's own folder.
export XDG_CACHE_HOME="$prefix/cache"
failed=0
bad() { failed=1; echo "FAIL: $*"; }

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; exit 1; }
rm -f "$prefix.log"
for file in bin/tessaril-cli share/tessaril/collation.txt share/man/man1/tessaril-cli.1; do
  [ -f "$prefix/$file" ] || bad "$file is not installed"
done
version=$("$prefix/bin/tessaril-cli" --version) || bad "the installed tessaril-cli --version fails"
case "$version" in "tessaril-cli "*) ;; *) bad "--version prints: $version" ;; esac
sample="${TESSARIL_CORPUS:-}/sql2008_pubs/pubs.mdf"
if [ -f "$sample" ]; then
  # The collation is named only when collation.txt was found.
  "$prefix/bin/tessaril-cli" info "$sample" | grep -qF "Collation Type: Latin1_General_CI_AS" ||
    bad "the installed program does not find its collation table"
fi
[ "$failed" -eq 0 ] && echo "install tree works"
exit "$failed"
