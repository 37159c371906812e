#!/usr/bin/env bash
# What the Linux medium asks of the system, as README promises: neither program, nor the window
# module the launcher carries, needs a glibc newer than 2.34; the bundled toolkit (Debian's Qt)
# needs glibc 2.35 and the C++ runtime of GCC 12.
# Usage: system_needs_test.sh MEDIUM WINDOW_MODULE
set -euo pipefail
medium=$1
module=$2
status=0
fail() { echo "FAIL: $*"; status=1; }

# The newest version of prefix (GLIBC, GLIBCXX) that a file's dynamic symbols ask for.
newest() {
  { objdump -T "$2" | grep -oE "\\($1_[0-9.]+\\)" || true; } | tr -d '()' | sed "s/^$1_//" |
    sort -V | tail -1
}
# Whether version a is at most b.
at_most() { [ "$(printf '%s\n' "$1" "$2" | sort -V | tail -1)" = "$2" ]; }

check() {
  local file=$1 prefix=$2 limit=$3 found
  found=$(newest "$prefix" "$file")
  echo "$(basename "$file"): ${prefix}_${found:-none}"
  if [ -n "$found" ] && ! at_most "$found" "$limit"; then
    fail "$(basename "$file") needs ${prefix}_$found, newer than ${prefix}_$limit"
  fi
}

for program in Setup.exe Velmora_KZ.2.0.1.exe; do
  check "$medium/$program" GLIBC 2.34
done
check "$module" GLIBC 2.34

for library in "$medium"/qt-runtime/*.so* "$medium"/qt-runtime/*/*.so; do
  check "$library" GLIBC 2.35
  check "$library" GLIBCXX 3.4.30
done
exit $status
