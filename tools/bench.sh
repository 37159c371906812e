#!/usr/bin/env bash
# Measures the installer and the launcher side by side with a baseline, in one run, and writes
# docs/performance.md and docs/install-time.png:
#   - installing the 15 files (jar of 1 MiB to 2 GiB), Uninstall.exe and the window toolkit
#     through the installer's own code, against cp --reflink=never of the same files with a sync
#     of each; on btrfs against cp --reflink=auto;
#   - the launcher from its exec to the application's exec, against sh -c 'cd DIR && exec ./app';
#   - Setup.exe from its exec to its window being shown, against an empty Qt window;
#   - the resident memory of each with its window open.
# Not part of the tests: the numbers belong to the machine. QUICK=1 makes a short trial run.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD

bash tools/install-deps.sh bench
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target \
  Setup launcher medium bench_install bench_probe bench_exec_timer bench_empty_window \
  bench_map_timer >/dev/null

build=$top/build/default
scratch=$top/build/bench
results=$scratch/results
rm -rf "$scratch"
mkdir -p "$results" "$scratch/java-bin"
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"

sizes=(1048576 16777216 268435456 2147483648)
runs_for() { # the number of installs to time at a jar size; a clone costs the same at any size
  if [ "${QUICK:-0}" = 1 ]; then echo 3; elif [ "$2" = auto ]; then echo 20; \
  elif [ "$1" -ge 1073741824 ]; then echo 5; elif [ "$1" -ge 268435456 ]; then echo 10; \
  else echo 20; fi
}
launches=50
windows=20
[ "${QUICK:-0}" = 1 ] && { sizes=(1048576 16777216); launches=10; windows=5; }

# Setup.exe ends at once without a "java" it can start.
printf '#!/bin/sh\nexit 0\n' >"$scratch/java-bin/java"
chmod +x "$scratch/java-bin/java"
export PATH="$scratch/java-bin:$PATH"

# cp-medium.sh MEDIUM DESTINATION REFLINK: the baseline install, one cp of what the installer
# copies (the 15 files, and Uninstall.exe and the window toolkit where the medium has them),
# then a sync of each copy and a hash check of them.
cat >"$scratch/cp-medium.sh" <<'EOF'
set -e
mkdir -p "$2"
mapfile -t names <"$1/.files"
for extra in Uninstall.exe qt-runtime; do [ -e "$1/$extra" ] && names+=("$extra"); done
cp -r --reflink="$3" "${names[@]/#/$1/}" "$2/"
find "$2" -type f -exec sync {} +
# The check the installer makes of every file it copies: their XXH3-128.
find "$2" -type f -exec xxhsum -H2 {} + >/dev/null
EOF

cleanup_mounts() {
  if [ -n "${btrfs_mount:-}" ] && mountpoint -q "$btrfs_mount"; then umount "$btrfs_mount"; fi
  if [ -n "${btrfs_device:-}" ]; then losetup -d "$btrfs_device" 2>/dev/null || true; fi
  rm -f "$scratch/btrfs.img"
}
trap cleanup_mounts EXIT

# time_one FOLDER JSON COMMAND: one timed run of COMMAND into an emptied FOLDER.
time_one() {
  hyperfine -N --runs 1 --style none --prepare "rm -rf $1/root $1/destination" \
    --export-json "$2" "$3" >/dev/null
}

# time_installs FOLDER LABEL REFLINK: for each size, the installer and cp into FOLDER, one run
# of each in turn, so that the machine's drift falls on both alike.
time_installs() {
  local folder=$1 label=$2 reflink=$3 size medium runs
  for size in "${sizes[@]}"; do
    medium=$folder/medium-$size
    mkdir -p "$medium"
    cp -a "$build/medium/." "$medium/"
    head -c "$size" /dev/urandom >"$medium/Velmora_KZ.jar"
    # The medium's list names the new jar, so that the installer checks it as it would any.
    jar_hash=$(xxhsum -H2 "$medium/Velmora_KZ.jar" | cut -d' ' -f1)
    sed -i "s|^file [0-9]* [0-9a-f]* Velmora_KZ.jar\r\$|file $size $jar_hash Velmora_KZ.jar\r|" \
      "$medium/Installation.files"
    # The list as the installer reads it, for the baseline.
    grep -o '^"[^"]*"' "$top/setup/core/installation_files.def" | tr -d '"' >"$medium/.files"
    # Its bytes reach the disk before the timing starts, so that neither side pays for them.
    sync
    runs=$(runs_for "$size" "$reflink")
    echo "== install, $label, jar of $size bytes: $runs runs each, alternating =="
    for run in $(seq 0 "$runs"); do  # run 0 warms up
      time_one "$folder" "$results/install-$label-$size-installer-$run.json" \
        "$build/bench/bench_install $medium $folder/root $folder/destination"
      time_one "$folder" "$results/install-$label-$size-cp-$run.json" \
        "bash $scratch/cp-medium.sh $medium $folder/destination $reflink"
    done
    rm -f "$results/install-$label-$size"-*-0.json
    rm -rf "$medium" "$folder/root" "$folder/destination"
  done
}

mkdir -p "$scratch/disk"
time_installs "$scratch/disk" "$(findmnt -n -o FSTYPE -T "$scratch/disk")" never

if [ "$(id -u)" -eq 0 ] && command -v mkfs.btrfs >/dev/null &&
   truncate -s 8G "$scratch/btrfs.img" && btrfs_device=$(losetup -f --show "$scratch/btrfs.img") &&
   mkfs.btrfs -q "$btrfs_device" && btrfs_mount=$scratch/btrfs && mkdir -p "$btrfs_mount" &&
   mount "$btrfs_device" "$btrfs_mount"; then
  time_installs "$btrfs_mount" btrfs auto
  cleanup_mounts
else
  echo "== install on btrfs: skipped (needs root, btrfs-progs and a loop device) ==" |
    tee "$results/btrfs-skipped.txt"
fi

# The launcher reads the hand-over file at its fixed place under /opt; a private mount
# namespace puts one there that this run alone sees.
installed=$scratch/installed
mkdir -p "$installed"
cp "$build/bench/bench_probe" "$installed/Velmora_KZ.exe"
chmod 0755 "$installed"
cp -a "$build/medium" "$scratch/setup-medium"
# Started as a desktop copy is: from a folder without the application, which the launcher's own
# folder would otherwise supply.
mkdir -p "$scratch/desktop"
cp "$build/medium/Velmora_KZ.2.0.1.exe" "$scratch/desktop/"
cat >"$scratch/inside.sh" <<EOF
set -euo pipefail
mount -t tmpfs -o mode=0755 tmpfs /opt
mkdir -m 0755 /opt/Velmora_KZ
printf '%s\r\n' "$installed" >/opt/Velmora_KZ/Start_up.txt
chmod 0644 /opt/Velmora_KZ/Start_up.txt
launcher=$scratch/desktop/Velmora_KZ.2.0.1.exe
echo "== launcher: exec to the application's exec, $launches runs each =="
for i in \$(seq 3); do  # warm-up
  QT_QPA_PLATFORM=offscreen $build/bench/bench_exec_timer $installed \$launcher >/dev/null
  $build/bench/bench_exec_timer $installed /bin/sh -c "cd '$installed' && exec ./Velmora_KZ.exe" >/dev/null
done
for i in \$(seq $launches); do
  QT_QPA_PLATFORM=offscreen $build/bench/bench_exec_timer $installed \$launcher >>$results/launcher-ours.txt
  $build/bench/bench_exec_timer $installed /bin/sh -c "cd '$installed' && exec ./Velmora_KZ.exe" >>$results/launcher-sh.txt
done
echo "== windows shown and resident memory, $windows runs each =="
cd $scratch/setup-medium
export QT_QPA_PLATFORM=xcb QT_FONT_DPI=96
$build/bench/bench_map_timer $build/bench/bench_empty_window >/dev/null
$build/bench/bench_map_timer ./Setup.exe >/dev/null
for i in \$(seq $windows); do
  $build/bench/bench_map_timer $build/bench/bench_empty_window >>$results/window-empty.txt
  $build/bench/bench_map_timer ./Setup.exe >>$results/window-setup.txt
  $build/bench/bench_map_timer \$launcher >>$results/window-launcher.txt
done
EOF
if [ "$(id -u)" -eq 0 ]; then
  namespace=(unshare -m --propagation private)
else
  namespace=(unshare -r -m --propagation private)
fi
if ! "${namespace[@]}" true 2>/dev/null; then
  echo "== launcher and windows: skipped (no private mount namespace here) ==" |
    tee "$results/namespace-skipped.txt"
else
  xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "${namespace[@]}" bash "$scratch/inside.sh"
fi

python3 tools/bench_report.py "$results" "$top/docs"
