#!/usr/bin/env python3
"""Extraction speed of the unzip engine beside other unzip tools.

Builds two corpora of real file content (a few large files; about 15,000
small files in folders) from files installed on this machine, zips each with
`zip -6 -q -r`, and extracts each archive into a fresh folder in tmpfs with
the engine (through engine_driver) and with unzip, bsdtar, 7z and Python's
zipfile. Prints wall times and the engine's ratio to the fastest peer.

    engine_bench.py --driver build/bench/engine/engine_driver [--work DIR]
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


def python_extract(archive, folder):
    with zipfile.ZipFile(archive) as z:
        z.extractall(folder)


def extractors(driver):
    tools = []
    if driver:
        tools.append(("engine", lambda a, f: [driver, a, f]))
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


def measure(name, archive, source, work, tools, runs):
    print("\n%s: %s (%.1f MB)" % (name, os.path.basename(archive), os.path.getsize(archive) / 1e6))
    best = {}
    for tool, command in tools:
        times = []
        for _ in range(runs):
            folder = os.path.join(work, "out")
            shutil.rmtree(folder, ignore_errors=True)
            os.makedirs(folder)
            if command is None:
                start = time.perf_counter()
                python_extract(archive, folder)
                times.append(time.perf_counter() - start)
            else:
                times.append(timed(command(archive, folder)))
        if not same_tree(source, folder):
            print("  %-16s extracted tree differs from the source" % tool)
        shutil.rmtree(folder, ignore_errors=True)
        best[tool] = min(times)
        print("  %-16s %7.3f s" % (tool, best[tool]))
    peers = {t: s for t, s in best.items() if t != "engine"}
    if "engine" in best and peers:
        fastest = min(peers, key=peers.get)
        ratio = best["engine"] / peers[fastest]
        print("  engine / fastest peer (%s): %.2f" % (fastest, ratio))
        return ratio
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--driver", help="the engine_driver program")
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

        tools = extractors(args.driver)
        ratios = {}
        for name, archive, source in corpora:
            ratios[name] = measure(name, archive, source, work, tools, args.runs)
        if ratios.get("large files") is not None:
            print("\ntargets: large files <= %.1f, small files <= %.1f" % (TARGET_LARGE, TARGET_SMALL))
            print("large files %.2f %s, small files %.2f %s" % (
                ratios["large files"], "met" if ratios["large files"] <= TARGET_LARGE else "MISSED",
                ratios["small files"], "met" if ratios["small files"] <= TARGET_SMALL else "MISSED"))
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
