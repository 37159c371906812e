#!/usr/bin/env bash
# Runs the launcher's load logic (tests/valgrind/launcher_driver) under valgrind memcheck on a
# good hand-over file and on bad ones; every run must be clean and end as expected.
# Usage: tools/valgrind-launcher.sh path/to/launcher_driver. Exits 77 without valgrind.
set -euo pipefail
driver=${1:?usage: $0 path/to/launcher_driver}
if ! command -v valgrind >/dev/null; then
  echo "valgrind is not installed: skipped"
  exit 77
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
app="$root/opt/Velmora_KZ"
installed="$root/installed"
mkdir -p "$app" "$installed"
chmod 0755 "$root/opt" "$app" "$installed"
printf '#!/bin/sh\nexit 0\n' >"$installed/Velmora_KZ.exe"
chmod 0755 "$installed/Velmora_KZ.exe"

failures=0
check() { # name, expected exit status, hand-over file contents
  printf '%s' "$3" >"$app/Start_up.txt"
  chmod 0644 "$app/Start_up.txt"
  local status=0
  # A thread still waiting to reap the started program at exit holds its stack: only blocks
  # nothing points to any more count as leaks.
  valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --child-silent-after-fork=yes \
    "$driver" "$root" || status=$?
  if [ "$status" -eq "$2" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: exit status $status, expected $2 (1 means valgrind found errors)"
    failures=$((failures + 1))
  fi
}

check "good hand-over file" 0 "$installed"$'\r\n'
check "hand-over file naming a missing folder" 76 "$root/missing"$'\r\n'
check "empty hand-over file" 62 ""
check "hand-over line longer than a path" 64 "/$(head -c 5000 /dev/zero | tr '\0' a)"
[ "$failures" -eq 0 ]
