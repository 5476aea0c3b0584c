#!/usr/bin/env python3
"""Extraction speed of the unzip engine beside other unzip tools.

Builds two corpora of real file content (a few large files; about 15,000
small files in folders) from files installed on this machine, zips each with
`zip -6 -q -r`, and extracts each archive into a fresh folder in tmpfs with
the engine (through engine_driver) and with unzip, bsdtar, 7z and Python's
zipfile. Prints wall times and the engine's ratio to the fastest peer.

With --tzip, the same archives are also extracted through the archive
component (bench/zip_extract_bench: the progress dialog drawn offscreen by the
Qt backend, events handled on every callback), once with its dialog and once
without, and the ratio of the component to the engine alone is printed beside
the peers. The component's time is that of its Extract() call, as the program
reports it; the other tools are timed as whole programs.

    engine_bench.py --driver build/bench/engine/engine_driver
                    [--tzip build/bench/zip_extract_bench] [--work DIR]
                    [--megabytes 300] [--runs 3] [--keep]
"""

import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import time
import zipfile

SOURCE_ROOTS = ["/usr/share", "/usr/include", "/usr/lib"]
SMALL_FILE_COUNT = 15000
SMALL_MIN, SMALL_MAX = 2048, 262144
LARGE_FILE_COUNT = 5
TARGET_LARGE = 0.6
TARGET_SMALL = 0.9
TARGET_TZIP = 1.10
COMPONENT_TOOLS = ("TZip", "TZip no dialog")


def installed_files():
    """Regular files below the source roots, in an order fixed by their path
    hash, so that every run on one machine builds the same corpus."""
    found = []
    for root in SOURCE_ROOTS:
        for folder, _, names in os.walk(root):
            for name in names:
                path = os.path.join(folder, name)
                try:
                    if os.path.islink(path) or not os.path.isfile(path):
                        continue
                    size = os.path.getsize(path)
                except OSError:
                    continue
                if size > 0 and os.access(path, os.R_OK):
                    found.append((hashlib.md5(path.encode()).hexdigest(), path, size))
    found.sort()
    return [(path, size) for _, path, size in found]


def build_small(files, target, budget):
    """About 15,000 files of 2 KiB to 256 KiB, in their installed folders."""
    total = count = 0
    for path, size in files:
        if not SMALL_MIN <= size <= SMALL_MAX:
            continue
        if count >= SMALL_FILE_COUNT or total + size > budget:
            break
        copy = os.path.join(target, path.lstrip("/"))
        os.makedirs(os.path.dirname(copy), exist_ok=True)
        try:
            shutil.copyfile(path, copy)
        except OSError:
            continue
        total += size
        count += 1
    return count, total


def build_large(files, target, budget):
    """A few large files, each the concatenation of installed files (libraries,
    documentation, headers), so their compressibility is that of real data."""
    os.makedirs(target, exist_ok=True)
    share = budget // LARGE_FILE_COUNT
    pieces = iter(files)
    total = 0
    for index in range(LARGE_FILE_COUNT):
        written = 0
        with open(os.path.join(target, "large-%d.bin" % index), "wb") as out:
            while written < share:
                path, size = next(pieces)
                try:
                    with open(path, "rb") as piece:
                        data = piece.read(share - written)
                except OSError:
                    continue
                out.write(data)
                written += len(data)
        total += written
    return LARGE_FILE_COUNT, total


def timed(command, cwd=None):
    start = time.perf_counter()
    subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def reported(command):
    """The time a program prints as "seconds: <s>" for the work it timed
    itself, leaving out its own start-up."""
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    # Qt's notes about the offscreen platform go to stderr; shown on failure.
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                         env=environment)
    if run.returncode != 0:
        sys.stderr.write(run.stderr)
        raise subprocess.CalledProcessError(run.returncode, command)
    for line in run.stdout.splitlines():
        if line.startswith("seconds:"):
            return float(line.split(":", 1)[1])
    raise RuntimeError("%s printed no time" % command[0])


def python_extract(archive, folder):
    with zipfile.ZipFile(archive) as z:
        z.extractall(folder)


def extractors(driver, tzip=None):
    tools = []
    if driver:
        tools.append(("engine", lambda a, f: [driver, a, f]))
    if tzip:
        tools.append(("TZip", lambda a, f: [tzip, a, f]))
        tools.append(("TZip no dialog", lambda a, f: [tzip, "--no-dialog", a, f]))
    if shutil.which("unzip"):
        tools.append(("unzip -qq -o", lambda a, f: ["unzip", "-qq", "-o", a, "-d", f]))
    if shutil.which("bsdtar"):
        tools.append(("bsdtar -xf", lambda a, f: ["bsdtar", "-xf", a, "-C", f]))
    if shutil.which("7z"):
        tools.append(("7z x -y", lambda a, f: ["7z", "x", "-y", "-bd", "-o" + f, a]))
    tools.append(("python zipfile", None))
    return tools


def same_tree(left, right):
    result = subprocess.run(["diff", "-rq", left, right], stdout=subprocess.DEVNULL)
    return result.returncode == 0


def extract_once(tool, command, archive, folder):
    """Seconds one tool takes to extract `archive` into the empty `folder`."""
    if command is None:
        start = time.perf_counter()
        python_extract(archive, folder)
        return time.perf_counter() - start
    if tool in COMPONENT_TOOLS:
        return reported(command(archive, folder))
    return timed(command(archive, folder))


def measure(name, archive, source, work, tools, runs):
    """Best of `runs` per tool. The runs go round the tools in turn, so that
    a spell of load on the machine falls on all of them alike; the tree of
    each tool's last run is compared with the source."""
    print("\n%s: %s (%.1f MB)" % (name, os.path.basename(archive), os.path.getsize(archive) / 1e6))
    times = {tool: [] for tool, _ in tools}
    folder = os.path.join(work, "out")
    for run in range(runs):
        for tool, command in tools:
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            times[tool].append(extract_once(tool, command, archive, folder))
            if run == runs - 1 and not same_tree(source, folder):
                print("  %-16s extracted tree differs from the source" % tool)
    shutil.rmtree(folder, ignore_errors=True)
    best = {}
    for tool, _ in tools:
        best[tool] = min(times[tool])
        print("  %-16s %7.3f s" % (tool, best[tool]))
    peers = {t: s for t, s in best.items() if t != "engine" and t not in COMPONENT_TOOLS}
    ratio = None
    if "engine" in best and peers:
        fastest = min(peers, key=peers.get)
        ratio = best["engine"] / peers[fastest]
        print("  engine / fastest peer (%s): %.2f" % (fastest, ratio))
    for tool in COMPONENT_TOOLS:
        if "engine" in best and tool in best:
            print("  %s / engine: %.3f" % (tool, best[tool] / best["engine"]))
    return ratio, best


def print_component_table(results):
    """Engine, component and peers per corpus, in seconds, side by side."""
    names = list(results)
    tools = []
    for name in names:
        tools += [t for t in results[name] if t not in tools]
    print("\n%-24s" % "seconds" + "".join("%14s" % name for name in names))
    for tool in tools:
        print("%-24s" % tool + "".join(
            "%14.3f" % results[name][tool] if tool in results[name] else "%14s" % "-"
            for name in names))
    for tool in COMPONENT_TOOLS:
        row = []
        for name in names:
            best = results[name]
            row.append(best[tool] / best["engine"] if tool in best and "engine" in best else None)
        print("%-24s" % (tool + " / engine") + "".join(
            "%14.3f" % value if value is not None else "%14s" % "-" for value in row))
    verdicts = []
    for name in names:
        best = results[name]
        if "TZip" in best and "engine" in best:
            ratio = best["TZip"] / best["engine"]
            verdicts.append("%s %.3f %s" % (name, ratio, "met" if ratio <= TARGET_TZIP else "MISSED"))
    if verdicts:
        print("target: TZip / engine <= %.2f; %s" % (TARGET_TZIP, ", ".join(verdicts)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--driver", help="the engine_driver program")
    parser.add_argument("--tzip", help="the zip_extract_bench program")
    parser.add_argument("--work", default="/dev/shm/vg-engine-bench")
    parser.add_argument("--megabytes", type=int, default=300)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--keep", action="store_true", help="keep the corpora and archives")
    args = parser.parse_args()

    work = args.work
    budget = args.megabytes * 1000 * 1000
    os.makedirs(work, exist_ok=True)
    try:
        files = installed_files()
        corpora = []
        for name, builder in (("large files", build_large), ("small files", build_small)):
            source = os.path.join(work, name.replace(" ", "-"))
            archive = source + ".zip"
            if not os.path.exists(archive):
                shutil.rmtree(source, ignore_errors=True)
                os.makedirs(source)
                count, total = builder(files, source, budget)
                print("%s: %d files, %.1f MB" % (name, count, total / 1e6))
                subprocess.run(["zip", "-6", "-q", "-r", archive, "."], cwd=source, check=True)
            corpora.append((name, archive, source))

        tools = extractors(args.driver, args.tzip)
        ratios = {}
        results = {}
        for name, archive, source in corpora:
            ratios[name], results[name] = measure(name, archive, source, work, tools, args.runs)
        if ratios.get("large files") is not None:
            print("\ntargets: large files <= %.1f, small files <= %.1f" % (TARGET_LARGE, TARGET_SMALL))
            print("large files %.2f %s, small files %.2f %s" % (
                ratios["large files"], "met" if ratios["large files"] <= TARGET_LARGE else "MISSED",
                ratios["small files"], "met" if ratios["small files"] <= TARGET_SMALL else "MISSED"))
        if args.tzip:
            print_component_table(results)
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
