#!/usr/bin/env python3
"""Writes docs/performance.md and docs/install-time.png from what tools/bench.sh measured.

Usage: bench_report.py RESULTS_FOLDER DOCS_FOLDER"""

import datetime
import json
import os
import platform
import re
import shutil
import subprocess
import sys
from pathlib import Path

TARGETS = {"install": 1.05, "launcher": 1.5, "setup": 1.3}


def median(values):
    ordered = sorted(values)
    middle = len(ordered) // 2
    if len(ordered) % 2:
        return ordered[middle]
    return (ordered[middle - 1] + ordered[middle]) / 2


def p90(values):
    """The nearest-rank 90th percentile."""
    ordered = sorted(values)
    rank = max(1, -(-9 * len(ordered) // 10))
    return ordered[rank - 1]


def size_text(size):
    for unit, factor in (("GiB", 1 << 30), ("MiB", 1 << 20), ("KiB", 1 << 10)):
        if size >= factor:
            return f"{size // factor} {unit}"
    return f"{size} B"


def verdict(ratio, target):
    return "meets" if ratio <= target else "misses"


def machine():
    model = "unknown processor"
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            model = line.split(":", 1)[1].strip()
            break
    memory = 0
    for line in Path("/proc/meminfo").read_text().splitlines():
        if line.startswith("MemTotal:"):
            memory = int(line.split()[1]) // (1024 * 1024)
    return (
        f"{model}, {os.cpu_count()} cores, {memory} GiB of memory, "
        f"Linux {platform.release()}"
    )


def install_rows(results):
    """(file system, size, installer times, cp times) per measured install, in size order."""
    times = {}
    for path in results.glob("install-*.json"):
        match = re.fullmatch(r"install-(.+)-(\d+)-(installer|cp)-\d+\.json", path.name)
        if not match:
            continue
        key = (match.group(1), int(match.group(2)))
        measured = json.loads(path.read_text())["results"][0]["times"]
        times.setdefault(key, {"installer": [], "cp": []})[match.group(3)] += measured
    rows = [(fs, size, t["installer"], t["cp"]) for (fs, size), t in times.items()]
    return sorted(rows, key=lambda row: (row[0] != "btrfs", row[0], row[1]))


def read_numbers(path, column=0):
    if not path.is_file():
        return []
    return [float(line.split()[column]) for line in path.read_text().split("\n") if line.strip()]


def install_section(rows, out):
    out.append("## Install: the 15 files through the installer's own code\n")
    out.append(
        "`build/bench/bench_install` runs the installer's start-up and \"Begin Install\" "
        "(the three shortcut options cleared) with the real platform layer, from a copy of the "
        "medium whose `Velmora_KZ.jar` has the size given, into a scratch folder on the same "
        "file system. Beside the 15 files it copies `Uninstall.exe` and the window toolkit "
        "`qt-runtime/` (about 62 MB, for launchers on desktops without Qt) into the application "
        "folder. The baseline copies the same files with one `cp` (`--reflink=never`, "
        "on btrfs `--reflink=auto`), then `sync` of each copy, which makes each durable, then "
        "`xxhsum -H2` of each copy: the check the installer makes of every file it copies. Whole "
        "processes, timed by hyperfine one run at a time, the installer and `cp` in turn, after "
        "the medium's own bytes were synced. On btrfs both share blocks instead of copying "
        "them and read each copy once for its hash; 20 runs are taken of each.\n"
    )
    out.append(
        "| file system | jar | installer median | installer p90 | cp median | cp p90 "
        "| ratio of medians | target |"
    )
    out.append("|---|---|---|---|---|---|---|---|")
    for fs, size, ours, cp in rows:
        ratio = median(ours) / median(cp)
        target = TARGETS["install"] if fs != "btrfs" else 1.0
        out.append(
            f"| {fs} | {size_text(size)} | {median(ours) * 1000:.1f} ms | {p90(ours) * 1000:.1f} ms "
            f"| {median(cp) * 1000:.1f} ms | {p90(cp) * 1000:.1f} ms | {ratio:.3f} "
            f"| ≤ {target:.2f}: {verdict(ratio, target)} |"
        )
    out.append("\n![Install time against the jar's size](install-time.png)\n")


def comparison_section(title, text, ours, base, names, unit, target, out):
    out.append(f"## {title}\n")
    out.append(text + "\n")
    if not ours or not base:
        out.append("Not measured in this run (see the script's output for why).\n")
        return
    out.append(f"| program | median | p90 | runs |")
    out.append("|---|---|---|---|")
    for name, values in zip(names, (ours, base)):
        out.append(f"| {name} | {median(values):.2f} {unit} | {p90(values):.2f} {unit} | {len(values)} |")
    ratio = median(ours) / median(base)
    out.append(f"\nRatio of medians: {ratio:.2f} (target ≤ {target}: {verdict(ratio, target)}).\n")


def memory_section(results, out):
    out.append("## Resident memory with the window open\n")
    out.append(
        "VmRSS half a second after the window was shown, median of the same runs as above.\n"
    )
    out.append("| program | resident memory |")
    out.append("|---|---|")
    for name, file in (
        ("Setup.exe", "window-setup.txt"),
        ("Velmora_KZ.2.0.1.exe", "window-launcher.txt"),
        ("empty Qt window (`bench/empty_window.cpp`)", "window-empty.txt"),
    ):
        values = read_numbers(results / file, 1)
        shown = f"{median(values) / 1024:.1f} MiB" if values else "not measured"
        out.append(f"| {name} | {shown} |")
    out.append("")


GROWTH = """## How the cost grows

The install's cost is linear in the bytes it copies. Each file goes into a temporary file beside
its destination and is made durable with one `fsync`. Where the medium and the destination lie
on one file system that shares blocks between files (btrfs, XFS), the copy is a clone, which
writes no data, and its bytes are then read once from the copy for their content hash. Anywhere
else they pass through the installer's memory in pieces of 256 KiB and are hashed as they pass,
so that nothing is read twice. Only when all 15 are complete are they renamed into place (each
earlier file set aside until the last one is in place) and the folder synced once. The toolkit's
files follow the same way after the application files, and go into place in one move. So there
is one sync per file and one pass over each file's bytes.

What the check against the medium's `Installation.files` costs: that pass, and XXH3-128 over the
bytes, which runs at several GB/s, far above what the disk writes. The same hash goes into the
install record, which reads nothing again. The baseline is therefore `cp` of the same files
followed by `xxhsum -H2` of them. What is left is a fixed cost of a few milliseconds, which the
smallest sizes show: start-up, the log lines (each opened, written and closed), the install
journal (a few lines, made durable before anything is changed), the hand-over file, the renames
and the folders, and the record.

The launcher's cost does not grow with anything the user controls: it reads at most the longest
path the system accepts plus its line end from the hand-over file, checks the recorded folder
and the program in it, and starts that program by its path, all before its window toolkit is
loaded; the window comes from a module it carries and loads afterwards.
"""


def plot(rows, docs, scratch):
    if not rows or shutil.which("gnuplot") is None:
        return False
    series = []
    for fs in sorted({row[0] for row in rows}):
        for label, index in (("installer", 2), ("cp", 3)):
            data = scratch / f"plot-{fs}-{label}.dat"
            data.write_text(
                "".join(
                    f"{row[1] / (1 << 20)} {median(row[index]) * 1000}\n"
                    for row in rows
                    if row[0] == fs
                )
            )
            series.append(f"'{data}' using 1:2 with linespoints title '{label} ({fs})'")
    script = (
        "set terminal pngcairo noenhanced size 800,500 font 'DejaVu Sans,10'\n"
        f"set output '{docs / 'install-time.png'}'\n"
        "set logscale xy\n"
        "set xlabel 'size of Velmora_KZ.jar (MiB)'\n"
        "set ylabel 'install, median (ms)'\n"
        "set key top left\nset grid\n"
        "plot " + ", ".join(series) + "\n"
    )
    subprocess.run(["gnuplot"], input=script, text=True, check=True)
    return True


def main():
    results, docs = Path(sys.argv[1]), Path(sys.argv[2])
    rows = install_rows(results)
    out = ["# Performance\n"]
    out.append(
        f"Measured by `bash tools/bench.sh` on {datetime.date.today().isoformat()}, on "
        f"{machine()}. Every comparison below ran side by side in this one run, each program "
        "alternating with its baseline. Medians and 90th percentiles (nearest rank); lower is "
        "better. The numbers belong to this machine: run the script to measure another.\n"
    )
    install_section(rows, out)
    for note in ("btrfs-skipped.txt", "namespace-skipped.txt"):
        if (results / note).is_file():
            out.append((results / note).read_text().strip().strip("= ") + ".\n")
    comparison_section(
        "Launcher: from its exec to the application's exec",
        "A probe application (`bench/probe_application.cpp`), installed as `Velmora_KZ.exe`, "
        "notes the moment it starts; `bench/exec_timer.cpp` starts the program and reads it. The "
        "launcher reads a hand-over file at its fixed place, made for this run in a private mount "
        "namespace. The baseline is `sh -c 'cd DIR && exec ./Velmora_KZ.exe'`.",
        [v / 1000 for v in read_numbers(results / "launcher-ours.txt")],
        [v / 1000 for v in read_numbers(results / "launcher-sh.txt")],
        ("Velmora_KZ.2.0.1.exe", "sh -c 'cd DIR && exec ./app'"),
        "ms",
        TARGETS["launcher"],
        out,
    )
    comparison_section(
        "Setup: from its exec to its window being shown",
        "`bench/map_timer.cpp` watches the X display (Xvfb, 96 dpi) and notes when the program's "
        "first window is mapped. Setup.exe runs from a copy of the medium, so its start-up, log "
        "and Java probe are included. The baseline is `bench/empty_window.cpp`, a Qt program that "
        "shows an empty window of the same size.",
        read_numbers(results / "window-setup.txt"),
        read_numbers(results / "window-empty.txt"),
        ("Setup.exe", "empty Qt window"),
        "ms",
        TARGETS["setup"],
        out,
    )
    memory_section(results, out)
    out.append(GROWTH)
    plot(rows, docs, results)
    (docs / "performance.md").write_text("\n".join(out))
    print(f"Wrote {docs / 'performance.md'} and {docs / 'install-time.png'}")


if __name__ == "__main__":
    main()
