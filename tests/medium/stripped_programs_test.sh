#!/usr/bin/env bash
# Both programs on a medium are stripped: no debug information and no symbol table, only the
# name of the debug file the build keeps.
# Usage: stripped_programs_test.sh OBJDUMP MEDIUM
set -euo pipefail
objdump=$1
medium=$2
status=0
for program in Setup.exe Velmora_KZ.2.0.1.exe; do
  sections=$("$objdump" -h "$medium/$program")
  if grep -q '\.debug_' <<<"$sections"; then
    echo "FAIL: $program carries debug information"
    status=1
  fi
  grep -q '\.gnu_debuglink' <<<"$sections" || { echo "FAIL: $program names no debug file"; status=1; }
  if "$objdump" -t "$medium/$program" | grep -q '^\[\|^[0-9a-f]\{8\}'; then
    echo "FAIL: $program keeps its symbol table"
    status=1
  fi
done
exit $status
