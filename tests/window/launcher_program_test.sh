#!/usr/bin/env bash
# The real launcher program: it needs no window toolkit to start the application, then loads its
# window from the module it carries and stays. Usage: launcher_program_test.sh LAUNCHER
set -euo pipefail
launcher=$1

if objdump -p "$launcher" | grep -q 'NEEDED.*Qt'; then
  echo "FAIL: the launcher loads Qt before its load work"
  exit 1
fi

if [ "$(id -u)" -eq 0 ]; then namespace=(unshare -m --propagation private); else
  namespace=(unshare -r -m --propagation private); fi
if ! "${namespace[@]}" true 2>/dev/null; then
  echo "SKIP: no private mount namespace for a private /opt"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -m 0755 "$work/app" "$work/desktop"
printf '#!/bin/sh\npwd > started.tmp && mv started.tmp started\n' >"$work/app/Velmora_KZ.exe"
chmod 0755 "$work/app/Velmora_KZ.exe"
cp "$launcher" "$work/desktop/"

"${namespace[@]}" bash -s "$work" "$(basename "$launcher")" <<'INSIDE'
set -euo pipefail
work=$1
mount -t tmpfs -o mode=0755 tmpfs /opt
mkdir -m 0755 /opt/Velmora_KZ
printf '%s\r\n' "$work/app" >/opt/Velmora_KZ/Start_up.txt
XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen "$work/desktop/$2" &
pid=$!
for _ in $(seq 500); do
  [ -e "$work/app/started" ] && grep -q libQt6Widgets "/proc/$pid/maps" && break
  sleep 0.02
done
status=0
[ "$(cat "$work/app/started" 2>/dev/null)" = "$work/app" ] || { echo "FAIL: not started in $work/app"; status=1; }
grep -q libQt6Widgets "/proc/$pid/maps" || { echo "FAIL: no window module loaded"; status=1; }
sleep 0.2
kill -0 "$pid" 2>/dev/null || { echo "FAIL: the launcher did not stay"; status=1; }
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
exit $status
INSIDE
