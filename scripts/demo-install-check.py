#!/usr/bin/env python3
"""Prepares and checks a demo installation.

    demo-install-check.py reset MEDIUM TARGET
    demo-install-check.py check MEDIUM TARGET

MEDIUM is a demo medium (the program beside VG_Setup.ini, trans/, the two
archives and the library files), TARGET the demo target machine of the same
build (registry.reg, system/, the installed program's folders).

"reset" empties what an installation writes into the target (the library
copies, the unpacked trees, setup.log) and lays the installed program's
folders out again, so a later check sees only what the next run did.

"check" reads the target's registry file for AppDir, EnvDir and Version,
then requires: setup.log saved in AppDir + Version; no failure line in it
(a line that starts with "- " and the msgNotCopied text of any translation
file on the medium); every entry of the version archive unpacked into
AppDir and every entry of "environments.zip" into
EnvDir + Version + "/environments/", with the archive's size and CRC-32;
every library file of the medium copied into the system folder. On success
it says so in one line; otherwise it prints the log's failure lines (with
the reason line under each) and every missing or differing file, and exits 1.
"""
import configparser
import os
import re
import shutil
import sys
import zlib
import zipfile


def registry_values(target):
    """AppDir, EnvDir and Version as the demo registry file gives them, as
    paths of this machine (Wine's drive Z: is the Linux root)."""
    with open(os.path.join(target, "registry.reg"), encoding="utf-8-sig") as f:
        text = f.read()
    values = {}
    for name in ("AppDir", "EnvDir", "Version"):
        match = re.search(r'^"%s"="((?:[^"\\]|\\.)*)"' % name, text, re.M)
        if not match:
            sys.exit("demo-install-check: no %s in %s/registry.reg" % (name, target))
        value = re.sub(r"\\(.)", r"\1", match.group(1))
        if re.match(r"^[Zz]:\\", value):
            value = value[2:].replace("\\", "/")
        values[name] = value
    return values["AppDir"], values["EnvDir"], values["Version"]


def medium_settings(medium):
    parser = configparser.ConfigParser(interpolation=None)
    parser.read(os.path.join(medium, "VG_Setup.ini"), encoding="utf-8-sig")
    section = next((s for s in parser.sections() if s.upper() == "ENVIROMENT"), None)
    if section is None:
        return ""
    return parser[section].get("VersionZipName", "")


def library_files(medium):
    suffix = ".dll" if os.path.exists(os.path.join(medium, "setup.exe")) else ".so"
    return sorted(n for n in os.listdir(medium) if n.endswith(suffix))


def failure_texts(medium):
    """The msgNotCopied text of every translation file on the medium."""
    texts = set()
    folder = os.path.join(medium, "trans")
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".mdl"):
            continue
        raw = open(os.path.join(folder, name), "rb").read()
        try:
            text = raw.decode("utf-8-sig")
        except UnicodeDecodeError:
            continue
        match = re.search(r"^\[msgNotCopied\]\s*$(.*?)^(?:\[|\Z)", text, re.M | re.S | re.I)
        if match:
            value = re.search(r"^\s*value\s*=(.*)$", match.group(1), re.M | re.I)
            if value and value.group(1).strip():
                texts.add(value.group(1).strip())
    return texts


def targets(medium, target):
    app_dir, env_dir, version = registry_values(target)
    archives = [
        (os.path.join(medium, medium_settings(medium) + ".zip"), app_dir),
        (os.path.join(medium, "environments.zip"),
         os.path.join(env_dir + version, "environments")),
    ]
    return app_dir, env_dir, version, archives


def reset(medium, target):
    app_dir, env_dir, version, _ = targets(medium, target)
    for folder in (app_dir, os.path.join(env_dir + version, "environments"),
                   os.path.join(target, "system")):
        shutil.rmtree(folder, ignore_errors=True)
    for folder in (app_dir + version, os.path.join(env_dir + version, "environments"),
                   os.path.join(target, "system")):
        os.makedirs(folder, exist_ok=True)


def file_crc(path):
    crc = 0
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            crc = zlib.crc32(block, crc)
    return crc


def check(medium, target):
    app_dir, _, version, archives = targets(medium, target)
    problems = []
    log = os.path.join(app_dir + version, "setup.log")
    failures = []
    if not os.path.isfile(log):
        problems.append("no setup.log at %s (the log was not saved)" % log)
    else:
        lines = open(log, encoding="utf-8", errors="replace").read().splitlines()
        prefixes = tuple("- " + t for t in failure_texts(medium))
        for i, line in enumerate(lines):
            if prefixes and line.startswith(prefixes):
                failures.append(line)
                if i + 1 < len(lines) and lines[i + 1].startswith("- "):
                    failures.append("  " + lines[i + 1])
    counts = []
    for archive, folder in archives:
        name = os.path.basename(archive)
        if not os.path.isfile(archive):
            problems.append("%s is not on the medium" % archive)
            continue
        count = 0
        try:
            z = zipfile.ZipFile(archive)
        except zipfile.BadZipFile as error:
            problems.append("%s on the medium cannot be read: %s" % (archive, error))
            continue
        with z:
            for info in z.infolist():
                if info.is_dir():
                    continue
                count += 1
                path = os.path.join(folder, *info.filename.split("/"))
                if not os.path.isfile(path):
                    problems.append("%s: %s was not unpacked" % (name, path))
                elif (os.path.getsize(path) != info.file_size
                      or file_crc(path) != info.CRC):
                    problems.append("%s: %s differs from the archive" % (name, path))
        counts.append("%d files of %s" % (count, name))
    for library in library_files(medium):
        copy = os.path.join(target, "system", library)
        if not os.path.isfile(copy) or open(copy, "rb").read() != open(
                os.path.join(medium, library), "rb").read():
            problems.append("%s was not copied into %s" % (library, os.path.dirname(copy)))
    if failures or problems:
        print("The demo installation did NOT complete.", file=sys.stderr)
        if failures:
            print("Failure lines in %s:" % log, file=sys.stderr)
            for line in failures:
                print("  " + line, file=sys.stderr)
        for problem in problems[:20]:
            print("  " + problem, file=sys.stderr)
        if len(problems) > 20:
            print("  ... and %d more" % (len(problems) - 20), file=sys.stderr)
        return 1
    print("The demo installation is complete: %s, %d libraries copied, setup.log saved at %s "
          "with no failure line." % (" and ".join(counts), len(library_files(medium)), log))
    return 0


def main(argv):
    if len(argv) != 4 or argv[1] not in ("reset", "check"):
        print("usage: demo-install-check.py reset|check MEDIUM TARGET", file=sys.stderr)
        return 2
    if argv[1] == "reset":
        reset(argv[2], argv[3])
        return 0
    return check(argv[2], argv[3])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
