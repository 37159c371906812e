#!/usr/bin/env bash
# What a screen reader sees, read from a real AT-SPI accessibility bus on a virtual X display:
# Setup.exe from the medium names every control, with its role and state; the missing-Java box
# is an alert that names itself and its text; the launcher's window names itself. Run as root,
# the desktop session belongs to another user ("nobody"), as under sudo or pkexec, and
# Setup.exe and Uninstall.exe run as root still reach that user's bus: through the X root
# window's AT_SPI_BUS, and through AT_SPI_BUS_ADDRESS.
# Usage: accessibility_test.sh MEDIUM LAUNCHER
set -euo pipefail
medium=$(realpath "$1")
launcher=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
# The programs show on the X display here, whatever the test command chose for the others.
unset QT_QPA_PLATFORM WAYLAND_DISPLAY AT_SPI_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS
# Debian's AT-SPI binding is for the system's Python, whatever python3 is first on PATH.
python=/usr/bin/python3

for tool in Xvfb dbus-daemon /usr/libexec/at-spi-bus-launcher xprop; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (tools/install-deps.sh)"; exit 77; }
done
"$python" -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

status=0
fail() { echo "FAIL: $*"; status=1; }
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

work=$(mktemp -d)
chmod 0755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do stop "$pid"; done
  rm -rf "$work"
}
trap cleanup EXIT

# Run as root, the desktop is nobody's; otherwise it is the running user's own.
desktop_user=()
if [ "$(id -u)" -eq 0 ]; then
  desktop_user=("$(command -v setpriv)" --reuid=65534 --regid=65534 --clear-groups)
fi
as_desktop_user() { "${desktop_user[@]}" env HOME="$work/session" XDG_RUNTIME_DIR="$work/session" "$@"; }
# The same in the background, as the process whose id $! gives.
start_as_desktop_user() { (exec "${desktop_user[@]}" env HOME="$work/session" XDG_RUNTIME_DIR="$work/session" "$@") & }

mkdir -m 0700 "$work/session"
mkdir -p "$work/bin" "$work/nojava"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/java"
chmod 0755 "$work/bin/java"
cp -r "$medium" "$work/medium"
[ ${#desktop_user[@]} -eq 0 ] || chown -R 65534:65534 "$work/session" "$work/medium"

# The desktop: an X display, the user's session bus, and the accessibility bus started as a
# screen reader would have it (accessibility on), which also writes AT_SPI_BUS on the root window.
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>"$work/display" 2>/dev/null &
pids+=($!)
until [ -s "$work/display" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
start_as_desktop_user dbus-daemon --session --nofork --print-address=3 3>"$work/session/address"
pids+=($!)
until [ -s "$work/session/address" ]; do sleep 0.1; done
session_bus=$(head -n 1 "$work/session/address")
start_as_desktop_user env DBUS_SESSION_BUS_ADDRESS="$session_bus" \
  /usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 2>/dev/null
pids+=($!)
until xprop -root AT_SPI_BUS 2>/dev/null | grep -q '"'; do sleep 0.1; done
a11y_bus=$(xprop -root AT_SPI_BUS | sed 's/^[^"]*"\(.*\)"$/\1/')

# The screen reader's view of the window named $2 of the program with pid $1, in $3.
read_window() {
  as_desktop_user env DBUS_SESSION_BUS_ADDRESS="$session_bus" \
    "$python" "$here/accessibility_tree.py" "$1" "$2" >"$3" 2>&1
}
# Each line must be in the view, as it is, apart from indentation.
expect_lines() {
  local view=$1 line
  while IFS= read -r line; do
    sed 's/^ *//' "$view" | grep -qxF -- "$line" || fail "$(basename "$view"): no line '$line'"
  done
}

# A user's application folder is under the home folder the password database gives, there or not.
desktop_uid=$(id -u)
[ ${#desktop_user[@]} -eq 0 ] || desktop_uid=65534
user_folder="$(getent passwd "$desktop_uid" | cut -d: -f6)/Velmora_KZ"
in_frame="Velmora_KZ 3-Step Install Process"
step2="Step 2 of 3"
# Setup's window, with $1 in the destination box and $2 in the drive list. On Linux a combo box
# is named by its current item and labelled by a relation, as GTK's are.
setup_window_lines() {
  cat <<EOF
label|Velmora_KZ 2.0.1 Installation||||
panel|$in_frame||||
check box|Add Desk Top Icon|Step 1 of 3: Select Your Install Options|checked,focusable||$in_frame
check box|Add Start Menu Short Cut|Step 1 of 3: Select Your Install Options|checked,focusable||$in_frame
check box|Add Program Menu  Icon|Step 1 of 3: Select Your Install Options|checked,focusable||$in_frame
text|Select Destination Folder|$step2: the folder to install into. Type its path, or choose a drive and a folder in the two lists that follow.|focusable|$1|Select Destination Folder;$in_frame
combo box|$2|$step2: choosing a drive moves the folder list to it and puts its folder in the destination folder box.|focusable||Choose Install Destination Drive;$in_frame
list|Choose Install Destination Directory|$step2: opening a folder puts its path in the destination folder box.|focusable|medium|
label|Choose Install Destination Drive||||$in_frame
label|Choose Install Destination Directory||||$in_frame
label|Select Your Install Options||||$in_frame
label|Select Destination Folder||||$in_frame
label|Initiate Install||||$in_frame
image|Step 1||||$in_frame
image|Step 2||||$in_frame
image|Step 3||||$in_frame
push button|Begin Install|Step 3 of 3: installs into the destination folder with the options chosen.|focusable||
push button|Cancel Install|Ends Setup without installing anything.|focusable||
EOF
}
drive=$(df --output=target "$work/medium" | tail -n 1)

# Starts $2... from the medium copy as the desktop user (or as root with $1 = root), and reads
# the window named $3 into $4.
run_and_read() {
  local who=$1 window=$3 view=$4 pid
  shift
  local program=("$1")
  shift 3
  if [ "$who" = root ]; then
    (cd "$work/medium" && exec env -i DISPLAY="$DISPLAY" HOME=/root "$@" "${program[@]}") \
      >"$view.err" 2>&1 &
  else
    (cd "$work/medium" && exec env HOME="$work/session" XDG_RUNTIME_DIR="$work/session" \
      DBUS_SESSION_BUS_ADDRESS="$session_bus" "$@" "${desktop_user[@]}" "${program[@]}") \
      >"$view.err" 2>&1 &
  fi
  pid=$!
  read_window "$pid" "$window" "$view" || { fail "$(tail -n 1 "$view")"; cat "$view.err"; }
  stop "$pid"
}

echo "== Setup.exe's window"
run_and_read user ./Setup.exe "Velmora_KZ 2.0.1 Setup" "$work/setup.view" PATH="$work/bin:$PATH"
cat "$work/setup.view"
setup_window_lines "$user_folder" "$drive" | expect_lines "$work/setup.view"

echo "== the missing-Java box"
run_and_read user ./Setup.exe Finished "$work/nojava.view" PATH="$work/nojava"
cat "$work/nojava.view"
expect_lines "$work/nojava.view" <<'EOF'
alert|Finished||||
label|Velmora_KZ 2.0.1 Needs Java Version 1.4.2 or Higher To Execute\r\nDownload from www.java.com||focusable||
push button|OK||focusable||
EOF

if [ ${#desktop_user[@]} -eq 0 ] || ! unshare -m --propagation private true 2>/dev/null; then
  echo "SKIP: the launcher's window and the programs run as root need root and a private /opt"
  exit $status
fi

# The rest in a private mount namespace with an empty /opt, the shared application folder.
export work launcher session_bus a11y_bus here python status
export -f fail stop read_window expect_lines setup_window_lines as_desktop_user run_and_read
export drive in_frame step2
unshare -m --propagation private bash -s <<'INSIDE'
set -euo pipefail
desktop_user=("$(command -v setpriv)" --reuid=65534 --regid=65534 --clear-groups)
mount -t tmpfs -o mode=0755 tmpfs /opt
mkdir -m 0755 /opt/Velmora_KZ "$work/app" "$work/desktop"
printf '#!/bin/sh\nexit 0\n' >"$work/app/Velmora_KZ.exe"
chmod 0755 "$work/app/Velmora_KZ.exe"
cp "$launcher" "$work/desktop/"
printf '%s\r\n' "$work/app" >/opt/Velmora_KZ/Start_up.txt

echo "== the launcher's window"
(cd "$work/desktop" && exec env HOME="$work/session" XDG_RUNTIME_DIR="$work/session" \
  DBUS_SESSION_BUS_ADDRESS="$session_bus" "${desktop_user[@]}" ./Velmora_KZ.2.0.1.exe) \
  >"$work/launcher.view.err" 2>&1 &
pid=$!
read_window "$pid" Form1 "$work/launcher.view" || { fail "$(tail -n 1 "$work/launcher.view")"; cat "$work/launcher.view.err"; }
stop "$pid"
cat "$work/launcher.view"
expect_lines "$work/launcher.view" <<'EOF'
filler|Form1|Velmora_KZ 2.0.1 launcher. The application has been started; closing this window ends the launcher only.|||
EOF

echo "== Setup.exe run as root, through the root window's AT_SPI_BUS"
run_and_read root ./Setup.exe "Velmora_KZ 2.0.1 Setup" "$work/root-setup.view" PATH="$work/bin"
setup_window_lines /opt/Velmora_KZ "$drive" | expect_lines "$work/root-setup.view"

echo "== Setup.exe run as root, through AT_SPI_BUS_ADDRESS"
as_desktop_user xprop -root -remove AT_SPI_BUS
run_and_read root ./Setup.exe "Velmora_KZ 2.0.1 Setup" "$work/root-address.view" PATH="$work/bin" \
  AT_SPI_BUS_ADDRESS="$a11y_bus"
setup_window_lines /opt/Velmora_KZ "$drive" | expect_lines "$work/root-address.view"

echo "== Uninstall.exe's question, run as root, through AT_SPI_BUS_ADDRESS"
printf 'Velmora_KZ 2.0.1 install record 1\r\nscope everyone\r\ninstall /opt/Velmora_KZ\r\n' \
  >/opt/Velmora_KZ/Install.record
run_and_read root ./Uninstall.exe "Uninstall Velmora_KZ 2.0.1" "$work/uninstall.view" \
  AT_SPI_BUS_ADDRESS="$a11y_bus"
cat "$work/uninstall.view"
expect_lines "$work/uninstall.view" <<'EOF'
alert|Uninstall Velmora_KZ 2.0.1||||
image|Question||||
push button|Yes||focusable||
push button|No||focusable||
EOF
exit $status
INSIDE
