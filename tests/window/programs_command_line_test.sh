#!/usr/bin/env bash
# Setup.exe and Uninstall.exe of the medium as a deployment tool and a person run them: each exit
# code, silent (with no display at all) and through the windows, driven on a virtual X display;
# and the medium on a read-only folder and on a read-only mount, which installs with its log in
# the user's state folder and keeps every byte. As root, in a private mount namespace where /opt,
# /usr/local and /etc/skel are empty and a user of the test's own installs under a home folder in
# the test's folder.
# Usage: programs_command_line_test.sh MEDIUM
set -euo pipefail
medium=$(realpath "$1")

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: a user of its own and private mounts take root"
  exit 77
fi
if ! unshare -m --propagation private true 2>/dev/null; then
  echo "SKIP: no private mount namespace here"
  exit 77
fi
for tool in Xvfb xdotool setpriv flock; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (tools/install-deps.sh)"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"

unshare -m --propagation private bash -s "$work" "$medium" <<'INSIDE'
set -euo pipefail
work=$1 medium=$2
status=0
fail() { echo "FAIL: $*"; status=1; }

for place in /opt /usr/local /etc/skel; do
  mount -t tmpfs -o mode=0755 tmpfs "$place"
done
uid=54410
home=$work/home
mkdir -p "$home" "$work/bin" "$work/nojava"
mkdir -m 0700 "$work/runtime" "$work/root-runtime"
chown "$uid:$uid" "$home" "$work/runtime"
cp /etc/passwd "$work/passwd"
echo "velmora-deploy:x:$uid:$uid::$home:/bin/sh" >>"$work/passwd"
mount --bind "$work/passwd" /etc/passwd
printf '#!/bin/sh\nexit 0\n' >"$work/bin/java"
chmod 0755 "$work/bin/java"
with_java=$work/bin:/usr/bin:/bin
# The system's own java is on /usr/bin: a search path without it has no program at all.
without_java=$work/nojava

# Media of the user's: as laid out, one without readme.txt, and one read-only.
copy_medium() { cp -r "$medium" "$1" && chown -R "$uid:$uid" "$1"; }
copy_medium "$work/medium"
copy_medium "$work/broken"
rm "$work/broken/readme.txt"
copy_medium "$work/read-only"
printf 'the log of an earlier run\r\n' >"$work/read-only/Install.log"
chmod -R a-w "$work/read-only"
setup=$work/medium/Setup.exe

Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
xvfb=$!
until [ -s "$work/display" ]; do sleep 0.1; done
display=":$(cat "$work/display")"

# A program run as the user, from the folder of the program (Setup's working folder), without a
# display unless it is given one (DISPLAY=...).
as_user() {
  local path=$1 program folder=$work
  shift
  for program in "$@"; do
    if [[ $program == *.exe ]]; then
      folder=$(dirname "$program")
      break
    fi
  done
  setpriv --reuid="$uid" --regid="$uid" --clear-groups \
    env -i -C "$folder" HOME="$home" PATH="$path" LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/runtime" \
    DBUS_SESSION_BUS_ADDRESS=disabled: "$@"
}
# Runs a command to its end; fails the test when its exit code is not the one wanted.
expect_code() {
  local want=$1 what=$2 got=0
  shift 2
  "$@" >"$work/out" 2>"$work/err" </dev/null || got=$?
  [ "$got" -eq "$want" ] || fail "$what: exit code $got, not $want: $(head -c 600 "$work/err")"
}
log_of() { sed -e 's/^[^~]*~//' -e 's/\r$//' "$1"; }
snapshot() { (cd "$1" && find . -printf '%p %m %s\n' | sort && find . -type f -exec sha256sum {} + | sort); }

# Windows on the display: the first visible one of the program titled so that is not the one
# given, once there is one; nothing when the program ended first.
window() {
  local pid=$1 title=$2 besides=${3:-} id
  while kill -0 "$pid" 2>/dev/null; do
    for id in $(DISPLAY=$display xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
      if [ "$id" != "$besides" ]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}
# Qt takes a click only where the pointer came in after the window was there: from outside it.
point_and_click() {
  DISPLAY=$display xdotool mousemove 1000 700 sleep 0.1 mousemove --window "$1" "$2" "$3" \
    sleep 0.1 click 1 2>/dev/null || true
}
# Clicks at a place of the window until a window of the title (another than it) shows.
click_until() {
  local pid=$1 form=$2 x=$3 y=$4 title=$5
  until DISPLAY=$display xdotool search --onlyvisible --name "^$title\$" 2>/dev/null |
    grep -qvx "$form"; do
    kill -0 "$pid" 2>/dev/null || return 1
    point_and_click "$form" "$x" "$y"
    sleep 0.3
  done
}
ended() {
  local code=0
  wait "$1" || code=$?
  echo "$code"
}
# Presses Return in a box until the program has ended; its exit code.
answer_and_end() {
  local pid=$1 box=$2 code=0
  while kill -0 "$pid" 2>/dev/null; do
    DISPLAY=$display xdotool windowfocus "$box" key Return 2>/dev/null || true
    sleep 0.3
  done
  wait "$pid" || code=$?
  echo "$code"
}
# "Begin Install" and "Cancel Install", at the middle of each (in pixels at 96 dpi).
begin=(176 564)
cancel=(288 564)
# Runs Setup (the command, with its display) in its window, then "Begin Install", the box titled
# so, Return; its exit code.
install_through_window() {
  local box_title=$1 form box pid
  shift
  "$@" >"$work/out" 2>"$work/err" </dev/null &
  pid=$!
  form=$(window "$pid" "Velmora_KZ 2.0.1 Setup") &&
    click_until "$pid" "$form" "${begin[@]}" "$box_title" &&
    box=$(window "$pid" "$box_title" "$form") &&
    answer_and_end "$pid" "$box" ||
    ended "$pid"
}
# A program whose first window is a box: Return in it; its exit code.
box_then_end() {
  local title=$1 pid box
  shift
  "$@" >"$work/out" 2>"$work/err" </dev/null &
  pid=$!
  box=$(window "$pid" "$title") && answer_and_end "$pid" "$box" || ended "$pid"
}
expect_window_code() {
  local want=$1 what=$2 got=$3
  [ "$got" = "$want" ] || fail "$what: exit code $got, not $want: $(head -c 600 "$work/err")"
}

apps=$home/apps
application=$home/Velmora_KZ
state=$home/.local/state/Velmora_KZ

echo "== nothing is done for a bad option or an impossible scope"
before=$(find "$home" "$work/medium" | sort)
expect_code 2 "a bad option" as_user "$with_java" "$setup" --silent --bogus
grep -q "unknown option --bogus" "$work/err" || fail "a bad option is not named on the standard error"
expect_code 2 "a bad option, with a display" as_user "$with_java" DISPLAY="$display" "$setup" /bogus
expect_code 6 "for every user, as a user" as_user "$with_java" "$setup" --silent --all-users
expect_code 6 "for every user, as a user, with a display" \
  as_user "$with_java" DISPLAY="$display" "$setup" /AllUsers
expect_code 2 "Uninstall, a bad option" as_user "$with_java" "$work/medium/Uninstall.exe" --dir=x
[ "$(find "$home" "$work/medium" | sort)" = "$before" ] || fail "a refused command line changed something"
expect_code 0 "help" as_user "$with_java" "$setup" --help
grep -q -- "--no-programs-menu (/noprogramsmenu)" "$work/out" || fail "help does not name every option"

echo "== silent, with no display"
expect_code 5 "without Java" as_user "$without_java" "$setup" --silent
[ "$(log_of "$work/medium/Install.log" | tail -n 1)" = "Java Not Installed" ] ||
  fail "the missing Java is not in the log"
expect_code 0 "an install" as_user "$with_java" "$setup" --silent --dir="$apps" \
  --no-desktop-icon --no-start-menu --no-programs-menu
cmp -s "$apps/readme.txt" "$medium/readme.txt" || fail "the install did not copy the application"
[ ! -e "$home/Desktop/Velmora_KZ.2.0.1.exe" ] && [ ! -e "$home/.local/bin/Velmora_KZ.2.0.1.exe" ] ||
  fail "a shortcut was made that the command line left out"
grep -q "^install $apps" "$application/Install.record" || fail "the record does not name $apps"
grep -q "Finished: Velmora_KZ 2.0.1 Installation is Complete" "$work/err" ||
  fail "the end is not on the standard error"
[ "$(log_of "$work/medium/Install.log" | sed -n 2p)" = "Created Install.log Successfully" ] &&
  [ "$(log_of "$work/medium/Install.log" | tail -n 2 | head -n 1)" = "Copied Installation Files Successfully" ] ||
  fail "the log is not the window's: $(log_of "$work/medium/Install.log")"
expect_code 0 "an upgrade" as_user "$with_java" "$setup" --silent --dir="$apps"
[ -e "$home/Desktop/Velmora_KZ.2.0.1.exe" ] || fail "the upgrade did not make the desktop copy"
expect_code 1 "a failure" as_user "$with_java" "$work/broken/Setup.exe" --silent --dir="$apps"
cmp -s "$apps/readme.txt" "$medium/readme.txt" || fail "the failure did not keep the earlier installation"
# Another program holding the application folder's lock, as a Setup that installs does.
setpriv --reuid="$uid" --regid="$uid" --clear-groups flock -o "$application" sleep 600 &
holder=$!
while as_user "$with_java" flock -n "$application" true; do sleep 0.1; done
expect_code 4 "while another holds the lock" as_user "$with_java" "$setup" --silent
expect_code 4 "Uninstall while Setup holds the lock" \
  as_user "$with_java" "$application/Uninstall.exe" --silent

echo "== through the windows"
expect_window_code 4 "while another holds the lock" \
  "$(install_through_window "Velmora_KZ 2.0.1 Setup" as_user "$with_java" DISPLAY="$display" "$setup" --dir="$apps")"
kill $(pgrep -P "$holder") "$holder" 2>/dev/null || true
wait "$holder" 2>/dev/null || true
expect_window_code 5 "without Java" "$(box_then_end Finished as_user "$without_java" DISPLAY="$display" "$setup" --dir="$apps")"
expect_window_code 1 "without Java, without arguments" "$(box_then_end Finished as_user "$without_java" DISPLAY="$display" "$setup")"
expect_window_code 0 "an install" \
  "$(install_through_window Finished as_user "$with_java" DISPLAY="$display" "$setup" --dir="$apps" --no-desktop-icon)"
expect_window_code 1 "a failure" \
  "$(install_through_window "Velmora_KZ 2.0.1 Setup" as_user "$with_java" DISPLAY="$display" "$work/broken/Setup.exe" --dir="$apps")"
cmp -s "$apps/readme.txt" "$medium/readme.txt" || fail "the failure did not keep the earlier installation"
for arguments in "--dir=$apps" ""; do
  as_user "$with_java" DISPLAY="$display" "$setup" $arguments >/dev/null 2>"$work/err" </dev/null &
  pid=$!
  form=$(window "$pid" "Velmora_KZ 2.0.1 Setup") || true
  while kill -0 "$pid" 2>/dev/null; do
    point_and_click "$form" "${cancel[@]}"
    sleep 0.3
  done
  code=$(ended "$pid")
  expect_window_code "$([ -n "$arguments" ] && echo 3 || echo 0)" "cancelled (${arguments:-no arguments})" "$code"
done
expect_window_code 3 "Uninstall, No" \
  "$(box_then_end "Uninstall Velmora_KZ 2.0.1" as_user "$with_java" DISPLAY="$display" "$application/Uninstall.exe" --log="$home/u.log")"
[ "$(log_of "$home/u.log" | tail -n 1)" = "No" ] || fail "the answer is not in Uninstall's log"

echo "== silent removal"
expect_code 0 "a removal" as_user "$with_java" "$application/Uninstall.exe" --silent
[ ! -e "$application" ] && [ ! -e "$apps" ] || fail "the removal left the installation"
grep -q "has been removed" "$state/Uninstall.log" || fail "the report is not in Uninstall's log"
expect_code 7 "nothing to remove" as_user "$with_java" "$work/medium/Uninstall.exe" --silent

echo "== a read-only medium, through the window"
before=$(snapshot "$work/read-only")
expect_window_code 0 "from a read-only folder" \
  "$(install_through_window Finished as_user "$with_java" DISPLAY="$display" "$work/read-only/Setup.exe")"
[ "$(snapshot "$work/read-only")" = "$before" ] || fail "the read-only folder changed"
[ "$(log_of "$state/Install.log" | head -n 1)" = \
  "Install Log Initialized here, as $work/read-only/Install.log cannot be written: Permission denied" ] ||
  fail "the log in $state does not say why it is there: $(head -n 1 "$state/Install.log")"

cp -r "$medium" "$work/mounted"
printf 'the log of an earlier run\r\n' >"$work/mounted/Install.log"
mount --bind "$work/mounted" "$work/mounted"
mount -o remount,bind,ro "$work/mounted"
before=$(snapshot "$work/mounted")
# Root's: a state folder in the test's folder, and the shared places, empty here.
root_run() { env -i -C "$work/mounted" HOME=/root PATH="$with_java" XDG_STATE_HOME="$work/root-state" \
  DBUS_SESSION_BUS_ADDRESS=disabled: XDG_RUNTIME_DIR="$work/root-runtime" \
  DISPLAY="$display" LANG=C.UTF-8 "$@"; }
expect_window_code 0 "from a read-only mount, as root" \
  "$(install_through_window Finished root_run "$work/mounted/Setup.exe")"
[ "$(snapshot "$work/mounted")" = "$before" ] || fail "the read-only mount changed"
grep -q "cannot be written: Permission denied" "$work/root-state/Velmora_KZ/Install.log" ||
  fail "root's log is not in its state folder"
cmp -s /opt/Velmora_KZ/readme.txt "$medium/readme.txt" || fail "root's install did not copy the application"
umount "$work/mounted"

kill "$xvfb" 2>/dev/null || true
wait "$xvfb" 2>/dev/null || true
exit $status
INSIDE
