#!/usr/bin/env python3
"""An unattended installation beside the unzip engine alone.

Times `setup --quiet` installing a medium (no display, the registry and the
system folder of a target made in the work folder) against the engine
alone extracting the medium's two archives into the same places
(engine_driver, once per archive, as whole programs both). Each run starts
from emptied target folders; the two are run alternately and the median of
each is printed side by side with the ratio and the target: the wizard's
own work around the extraction (start-up, the lookup, the library copy, the
log) may add no more than 10 %.

    unattended_bench.py --medium build-bench/demo-medium
                        --driver build-bench/bench/engine/engine_driver
                        [--runs 15] [--work DIR]
"""

import argparse
import configparser
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TARGET_RATIO = 1.10


def version_archive(medium):
    parser = configparser.ConfigParser(interpolation=None)
    parser.read(os.path.join(medium, "VG_Setup.ini"), encoding="utf-8-sig")
    section = next(s for s in parser.sections() if s.upper() == "ENVIROMENT")
    return os.path.join(medium, parser[section]["VersionZipName"] + ".zip")


def make_target(work):
    target = os.path.join(work, "target")
    app_dir = os.path.join(target, "app")
    env_dir = os.path.join(target, "env")
    os.makedirs(target, exist_ok=True)
    with open(os.path.join(target, "registry.reg"), "w", newline="") as f:
        f.write("Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0SR1\\Setup]\r\n"
                '"AppDir"="%s/"\r\n"EnvDir"="%s/"\r\n"Version"="16.0"\r\n' % (app_dir, env_dir))
    return target, app_dir, os.path.join(env_dir, "16.0", "environments")


def reset(target, app_dir, environments):
    for folder in (app_dir, os.path.dirname(os.path.dirname(environments)),
                   os.path.join(target, "system")):
        shutil.rmtree(folder, ignore_errors=True)
    for folder in (os.path.join(app_dir, "16.0"), environments, os.path.join(target, "system")):
        os.makedirs(folder, exist_ok=True)


def timed(commands, env):
    start = time.perf_counter()
    for command in commands:
        result = subprocess.run(command, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, text=True)
        if result.returncode != 0:
            sys.exit("%s ended with %d: %s" % (command[0], result.returncode, result.stderr))
    return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--medium", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--work")
    args = parser.parse_args()
    medium = os.path.abspath(args.medium)
    work = args.work or tempfile.mkdtemp(prefix="vg-unattended-bench-")
    target, app_dir, environments = make_target(work)

    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env["VG_REGISTRY_FILE"] = os.path.join(target, "registry.reg")
    env["VG_SYSTEM_DIR"] = os.path.join(target, "system")
    setup = [[os.path.join(medium, "setup"), "--quiet"]]
    engine = [[args.driver, version_archive(medium), app_dir],
              [args.driver, os.path.join(medium, "environments.zip"), environments]]

    times = {"setup --quiet": [], "engine alone": []}
    for run in range(args.runs + 1):
        for name, commands in (("setup --quiet", setup), ("engine alone", engine)):
            reset(target, app_dir, environments)
            elapsed = timed(commands, env)
            if run > 0:  # the first round warms the page cache
                times[name].append(elapsed)
    if not args.work:
        shutil.rmtree(work)

    wizard = statistics.median(times["setup --quiet"])
    alone = statistics.median(times["engine alone"])
    ratio = wizard / alone
    print("Unattended installation of %s, median of %d runs:" % (medium, args.runs))
    print("  %-32s %8.1f ms" % ("setup --quiet (whole program)", wizard * 1000))
    print("  %-32s %8.1f ms" % ("engine alone, both archives", alone * 1000))
    print("  ratio %.3f (target at most %.2f): %s"
          % (ratio, TARGET_RATIO, "met" if ratio <= TARGET_RATIO else "NOT met"))
    return 0 if ratio <= TARGET_RATIO else 1


if __name__ == "__main__":
    sys.exit(main())
