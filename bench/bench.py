#!/usr/bin/env python3
"""Times tarvo against GNU sed and a plain dd copy on one generated page.

Usage: bench/bench.py [--tarvo build/tarvo] [--mib 200] [--runs 7] [--small-runs 500]
                      [--dir /tmp/tarvo-bench]
                      [--windows build-windows]

The page is deterministic HTML-like text: tags, attributes, text, and about
one line in ten indented. The three commands run interleaved, each writing a
file, and the medians are compared. Peak memory is the tool's maximum
resident set size, for pages of several sizes, as GNU time (/usr/bin/time,
Debian package time) reports it.

Where build-windows holds tarvo.exe and byte_loop.exe (cmake --build
build-windows --target tarvo byte_loop), a Windows row times both under Wine
on a 20 MiB page: byte_loop.exe copies a file one byte at a time through the
same stream calls, modes and buffers, and nothing else. The Wine loader is
found as the tests find it: wine for a 32-bit build where it starts, wine64
for a 64-bit one.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import time

WORDS = ("lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor "
         "incididunt ut labore et dolore magna aliqua").split()
TAGS = ("div", "span", "p", "a", "li", "td", "b", "em")


def make_line(rng):
    parts = []
    for _ in range(rng.randint(1, 4)):
        tag = rng.choice(TAGS)
        attr = ' class="c%d"' % rng.randint(0, 99) if rng.random() < 0.5 else ""
        text = " ".join(rng.choice(WORDS) for _ in range(rng.randint(0, 6)))
        parts.append("<%s%s>%s</%s>" % (tag, attr, text, tag))
    line = "".join(parts)
    if rng.random() < 0.1:
        line = rng.choice(("  ", "    ", "\t", "\t  ")) + line
    return line + "\n"


def make_page(path, size):
    """Writes a page of at least size bytes, unless one is there already."""
    if os.path.exists(path) and os.path.getsize(path) >= size:
        return
    rng = random.Random(20190925)
    block = "".join(make_line(rng) for _ in range(20000)).encode()
    with open(path + ".part", "wb") as out:
        written = 0
        while written < size:
            out.write(block)
            written += len(block)
    os.replace(path + ".part", path)


def run(command, stdin_path, stdout_path):
    """Runs one command; returns its wall-clock seconds."""
    with open(stdin_path, "rb") as stdin, open(stdout_path, "wb") as stdout:
        start = time.perf_counter()
        status = subprocess.call(command, stdin=stdin, stdout=stdout)
        seconds = time.perf_counter() - start
    if status != 0:
        sys.exit("failed: %s" % " ".join(command))
    return seconds


GNU_TIME = "/usr/bin/time"


def peak_kib(command):
    """The command's maximum resident set size, as GNU time reports it. (The
    rusage of a child of this script would count the script's own memory,
    which the child has until it execs.)"""
    result = subprocess.run([GNU_TIME, "-f", "%M"] + command, stderr=subprocess.PIPE,
                            stdout=subprocess.DEVNULL, check=True, text=True)
    return int(result.stderr.split()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tarvo", default="build/tarvo")
    parser.add_argument("--mib", type=int, default=200)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--dir", default="/tmp/tarvo-bench")
    parser.add_argument("--small-runs", type=int, default=500)
    parser.add_argument("--windows", default="build-windows")
    args = parser.parse_args()
    tarvo = os.path.abspath(args.tarvo)
    # Checked before the long timing runs rather than at the first memory figure.
    for needed, how in ((tarvo, "cmake --workflow --preset test"),
                        (GNU_TIME, "GNU time, apt-get install time")):
        if not shutil.which(needed):
            sys.exit("bench.py needs %s (%s)" % (needed, how))
    os.makedirs(args.dir, exist_ok=True)
    page = os.path.join(args.dir, "page-%d.html" % args.mib)
    out = os.path.join(args.dir, "out.html")
    make_page(page, args.mib << 20)
    size = os.path.getsize(page)

    commands = {
        "tarvo": [tarvo, page, out, "-l"],
        "sed": ["sed", "s/></>\\n</g"],
        "dd": ["dd", "bs=64k", "status=none"],
    }
    times = {name: [] for name in commands}
    for _ in range(args.runs):
        for name, command in commands.items():
            times[name].append(run(command, page if name != "tarvo" else os.devnull, out))
    print("page: %s, %.1f MiB, %d runs each, %d cores" % (page, size / 2**20, args.runs,
                                                           os.cpu_count()))
    median = {name: statistics.median(t) for name, t in times.items()}
    for name in commands:
        print("%-6s median %7.3f s  %8.1f MiB/s" % (name, median[name],
                                                    size / 2**20 / median[name]))
    print("tarvo/sed %.2f   tarvo/dd %.2f" % (median["tarvo"] / median["sed"],
                                              median["tarvo"] / median["dd"]))
    for mib in sorted({20, args.mib, 2048}):
        other = os.path.join(args.dir, "page-%d.html" % mib)
        make_page(other, mib << 20)
        rss = peak_kib([tarvo, other, out, "-l"])
        print("tarvo peak memory: %.2f MiB on %d MiB" % (rss / 1024, mib))
        if mib > args.mib:
            os.remove(other)

    small = os.path.join(args.dir, "page-4k.html")
    with open(page, "rb") as src, open(small, "wb") as dst:
        dst.write(src.read(4096))
    per_run = {"tarvo": [], "sed": []}
    for _ in range(args.small_runs):
        per_run["tarvo"].append(run([tarvo, small, out, "-l"], os.devnull, out))
        per_run["sed"].append(run(commands["sed"], small, out))
    t, s = statistics.median(per_run["tarvo"]), statistics.median(per_run["sed"])
    print("4 KiB page, %d runs: tarvo %.0f us, sed %.0f us per run, tarvo/sed %.2f"
          % (args.small_runs, t * 1e6, s * 1e6, t / s))
    windows_row(args, out)
    os.remove(out)


def wine_for(exe):
    """The Wine loader that runs the exe, by the machine in its PE header, or
    None where it does not start here (a kernel that runs no 32-bit
    programs, or Wine not installed)."""
    with open(exe, "rb") as f:
        head = f.read(4096)
    pe = int.from_bytes(head[0x3C:0x40], "little")
    machine = int.from_bytes(head[pe + 4:pe + 6], "little")
    name = "wine" if machine == 0x14C else "wine64"
    for loader in ("/usr/lib/wine/" + name, shutil.which(name)):
        try:
            if loader and subprocess.run([loader, "--version"], capture_output=True).returncode == 0:
                return loader
        except OSError:
            pass
    return None


def windows_row(args, out):
    """tarvo.exe -l against the byte loop, both under Wine, interleaved."""
    exes = [os.path.abspath(os.path.join(args.windows, name))
            for name in ("tarvo.exe", "byte_loop.exe")]
    if not all(os.path.exists(exe) for exe in exes):
        print("Windows row skipped: no %s" % " or ".join(exes))
        return
    wine = wine_for(exes[0])
    if not wine:
        print("Windows row skipped: no Wine loader starts %s here "
              "(apt-get install wine wine64; wine32:i386 for a 32-bit build)" % exes[0])
        return
    os.environ.setdefault("WINEPREFIX", os.path.join(os.path.abspath(args.dir), "wine-prefix"))
    os.environ["WINEDEBUG"] = "-all"
    page = os.path.join(args.dir, "page-20.html")
    make_page(page, 20 << 20)
    commands = {"tarvo.exe": [wine, exes[0], page, out, "-l"],
                "byte_loop.exe": [wine, exes[1], page, out]}
    times = {name: [] for name in commands}
    for name, command in commands.items():  # the first run makes the prefix
        run(command, os.devnull, os.devnull)
    for _ in range(args.runs):
        for name, command in commands.items():
            times[name].append(run(command, os.devnull, os.devnull))
    median = {name: statistics.median(t) for name, t in times.items()}
    for name in commands:
        print("Wine %-13s median %7.3f s  (%s)" % (name, median[name], wine))
    print("tarvo.exe/byte_loop.exe %.2f" % (median["tarvo.exe"] / median["byte_loop.exe"]))


if __name__ == "__main__":
    main()
