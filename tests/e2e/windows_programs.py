#!/usr/bin/python3
"""The Windows programs of a build, read back out of the built files as
Windows reads them (Wine checks none of this):

    windows_programs.py MEDIUM CHECKER --machine i386|amd64
                        --version A.B.C.D --engine-version A.B.C.D

MEDIUM is the demo medium (setup.exe, UnzDll.dll, the demo libraries),
CHECKER vg-medium-check.exe. Every program must:
- be built for MACHINE;
- import from system libraries only: setup.exe and the checker from the
  system's own (the common controls through the manifest), the engine and
  the libraries only from those Windows keeps among its known DLLs;
- carry a version resource whose texts name the company, the product, the
  file and its description, with the project's version as the product
  version and as the file version (the engine: ENGINE_VERSION), the fixed
  part saying the same.
setup.exe's manifest must name the architecture of the program's own PE
header (x86 for i386, amd64) and the project's version; UnzDll.dll must export exactly its two entry
points. Uses pefile (Debian's python3-pefile).
"""

import argparse
import os
import sys
import xml.etree.ElementTree as ElementTree

import pefile

# Libraries Windows maps from its known DLLs, never from a program's folder.
KNOWN_DLLS = {"advapi32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ntdll.dll",
              "ole32.dll", "oleaut32.dll", "shell32.dll", "user32.dll", "comdlg32.dll"}
# The common controls come from the system's side-by-side store, as the
# manifest asks.
PROGRAM_DLLS = KNOWN_DLLS | {"comctl32.dll"}
MACHINES = {"i386": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"],
            "amd64": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]}
# The architecture a manifest names for a program of each machine.
MANIFEST_ARCHITECTURES = {MACHINES["i386"]: "x86", MACHINES["amd64"]: "amd64"}
VERSION_TEXTS = ("CompanyName", "FileDescription", "FileVersion", "InternalName",
                 "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion")

problems = []


def problem(text):
    problems.append(text)
    print("PROBLEM: " + text)


def quad(ms, ls):
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def check_version(pe, name, file_version, product_version):
    if not hasattr(pe, "VS_FIXEDFILEINFO"):
        problem("%s has no version resource" % name)
        return
    fixed = pe.VS_FIXEDFILEINFO[0]
    texts = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                texts.update({k.decode(): v.decode() for k, v in table.entries.items()})
    for key in VERSION_TEXTS:
        if not texts.get(key):
            problem("%s: the version resource has no %s" % (name, key))
    expected = {"FileVersion": file_version, "ProductVersion": product_version,
                "OriginalFilename": name, "CompanyName": "Varnek",
                "ProductName": "Varnek Gerrix Morvellin"}
    for key, value in expected.items():
        if texts.get(key) not in (None, value):
            problem("%s: %s is %r, expected %r" % (name, key, texts.get(key), value))
    if quad(fixed.FileVersionMS, fixed.FileVersionLS) != file_version:
        problem("%s: the fixed file version %s differs from %s"
                % (name, quad(fixed.FileVersionMS, fixed.FileVersionLS), file_version))
    if quad(fixed.ProductVersionMS, fixed.ProductVersionLS) != product_version:
        problem("%s: the fixed product version differs from %s" % (name, product_version))
    print("%s: %s %s, file version %s" % (name, texts.get("ProductName"),
                                         texts.get("ProductVersion"), texts.get("FileVersion")))


def manifest_of(pe):
    resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in resources.entries if resources else []:
        if kind.id != pefile.RESOURCE_TYPE["RT_MANIFEST"]:
            continue
        for entry in kind.directory.entries:
            for language in entry.directory.entries:
                data = language.data.struct
                return pe.get_data(data.OffsetToData, data.Size)
    return None


def check_manifest(pe, version):
    architecture = MANIFEST_ARCHITECTURES.get(pe.FILE_HEADER.Machine, "unknown")
    raw = manifest_of(pe)
    if raw is None:
        problem("setup.exe has no manifest")
        return
    root = ElementTree.fromstring(raw)
    identity = root.find("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
    if identity is None:
        problem("setup.exe: the manifest has no assemblyIdentity")
        return
    if identity.get("processorArchitecture") != architecture:
        problem("setup.exe is built for %s, its manifest names %s"
                % (architecture, identity.get("processorArchitecture")))
    if identity.get("version") != version:
        problem("setup.exe: the manifest's version is %s, expected %s"
                % (identity.get("version"), version))
    level = root.find(".//{urn:schemas-microsoft-com:asm.v3}requestedExecutionLevel")
    if level is None or level.get("level") != "requireAdministrator":
        problem("setup.exe: the manifest does not ask for administrator rights")
    print("setup.exe: manifest %s %s" % (identity.get("processorArchitecture"),
                                         identity.get("version")))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("medium")
    parser.add_argument("checker")
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--engine-version", required=True)
    args = parser.parse_args()
    machine = MACHINES[args.machine]

    programs = [os.path.join(args.medium, n) for n in sorted(os.listdir(args.medium))
                if n.lower().endswith((".exe", ".dll"))] + [args.checker]
    if len(programs) < 5:
        problem("too few programs: %s" % programs)
    for path in programs:
        name = os.path.basename(path)
        pe = pefile.PE(path)
        if pe.FILE_HEADER.Machine != machine:
            problem("%s is not built for %s" % (name, args.machine))
        allowed = PROGRAM_DLLS if name.lower().endswith(".exe") else KNOWN_DLLS
        for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
            dll = entry.dll.decode().lower()
            if dll not in allowed:
                problem("%s imports %s, which is no %s" % (
                    name, dll, "system library" if allowed is PROGRAM_DLLS else "known DLL"))
        file_version = args.engine_version if name == "UnzDll.dll" else args.version
        check_version(pe, name, file_version, args.version)
        if name == "setup.exe":
            check_manifest(pe, args.version)
        if name == "UnzDll.dll":
            exports = sorted(e.name.decode() for e in pe.DIRECTORY_ENTRY_EXPORT.symbols if e.name)
            if exports != ["GetUnzDllVersion", "UnzDllExec"]:
                problem("UnzDll.dll exports %s" % exports)
    if problems:
        return 1
    print("%d programs for %s: system libraries only, version resources, the manifest of "
          "their architecture." % (len(programs), args.machine))
    return 0


if __name__ == "__main__":
    sys.exit(main())
