#!/usr/bin/env bash
# Every program on the Windows medium starts on 32-bit Windows XP SP3: its header asks for no
# newer Windows than XP (5.1), and each function it imports is one that XP SP3's system libraries
# export. What they export is the kept list EXPORTS, taken from Microsoft's Win32 API reference
# ("Minimum supported client") and, for msvcrt.dll, mingw-w64's msvcrt.def.in (its sources are
# named at its top).
# Usage: xp_imports_test.sh OBJDUMP MEDIUM EXPORTS
set -euo pipefail
objdump=$1
medium=$2
exports=$3
status=0
fail() { echo "FAIL: $*"; status=1; }

# "LIBRARY.DLL Function", the library's name in capitals as the loader ignores its case.
known=$(grep -v '^#' "$exports" | awk 'NF == 2 { print toupper($1), $2 }')

# Whether the version the header field pair names is at most 5.1.
at_most_xp() {
  local major minor
  major=$(awk -v field="Major$2" '$1 == field { print $2 }' <<<"$1")
  minor=$(awk -v field="Minor$2" '$1 == field { print $2 }' <<<"$1")
  [ -n "$major" ] && [ -n "$minor" ] && { [ "$major" -lt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -le 1 ]; }; }
}

shopt -s nullglob
programs=("$medium"/*.exe)
[ ${#programs[@]} -gt 0 ] || fail "no program in $medium"
for program in "${programs[@]}"; do
  name=$(basename "$program")
  header=$("$objdump" -p "$program")
  at_most_xp "$header" SubsystemVersion || fail "$name asks for a newer subsystem than Windows XP"
  at_most_xp "$header" OSystemVersion || fail "$name asks for a newer Windows than XP"
  imports=$(awk '/DLL Name:/ { library = toupper($3); next }
                 library != "" && /^\t[0-9a-f]+\t/ { print library, $NF }' <<<"$header" | sort -u)
  [ -n "$imports" ] || fail "$name: no imports read from objdump -p"
  count=0
  while read -r library function; do
    count=$((count + 1))
    grep -qxF "$library $function" <<<"$known" ||
      fail "$name imports $function from $library, not known to be in Windows XP SP3 ($exports)"
  done <<<"$imports"
  echo "$name: $count imports"
done
exit $status
