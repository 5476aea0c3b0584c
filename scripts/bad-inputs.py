#!/usr/bin/env python3
"""Hostile and malformed inputs beside the peer tools; writes docs/bad-inputs.md.

Every archive is extracted into a fresh folder three times: by the unzip
engine (through bench/engine/engine_driver, which answers as the archive
component does for the installation), by `unzip -o -qq` and by `bsdtar -xf`.
Beside each extraction folder lies a sentinel file; after the run the script
compares everything around the folder with what was there before and lists
what appeared inside. INI files are read by the INI reader and by Python's
configparser, registry export files by the registry file reader (there is no
peer for those on Linux); bench/bad_input_dump prints what the readers make of
a file.

The archives are those of tests/data/engine/make_crafted.py, the few committed
beside them that it does not make, and more made here at run time; nothing is
written into the repository except the report.

Needs a build configured with -DVG_BENCH=ON and the packages unzip and
libarchive-tools. From the root of the repository:

    cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVG_BENCH=ON -DVG_BUILD_TESTS=OFF
    cmake --build build-bench --target engine_driver bad_input_dump
    python3 scripts/bad-inputs.py build-bench [--out docs/bad-inputs.md] [--keep]
"""

import argparse
import ast
import configparser
import datetime
import hashlib
import importlib.util
import os
import re
import resource
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import zlib

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(REPO, "tests", "data")
TIMEOUT = 60
# No tool may write a file larger than this: some archives claim a terabyte.
FILE_SIZE_LIMIT = 256 << 20
SECRET = b"must never leave the extraction folder\n"
SENTINEL = b"sentinel: any change here was made by the extraction\n"
OVERWRITTEN = b"overwritten by the archive\n"
GOOD = b"good content\n" * 10
# Places outside every run folder that the crafted archives of the engine
# tests name; a tool that writes there would leave a trace.
WATCHED = ["/tmp/vg-engine-absolute-evil.txt", "/vg-engine-absolute-evil.txt", "/server", "/outside"]


def load_make_crafted():
    spec = importlib.util.spec_from_file_location(
        "make_crafted", os.path.join(DATA, "engine", "make_crafted.py"))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


mc = load_make_crafted()


# ---------------------------------------------------------------------------
# Archives made here. Entries are make_crafted's Entry objects, with these
# attributes when a header lies or carries more: local_size, local_csize,
# local_crc (local header only), csize (compressed size in both headers),
# extra (both headers), local_extra, descriptor (bytes after the data).

def local_header(entry):
    name = entry.local_name if entry.local_name is not None else entry.name
    method = entry.local_method if entry.local_method is not None else entry.method
    extra = getattr(entry, "local_extra", getattr(entry, "extra", b""))
    csize = getattr(entry, "local_csize", getattr(entry, "csize", len(entry.payload)))
    size = getattr(entry, "local_size", entry.size)
    crc = getattr(entry, "local_crc", entry.crc)
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, entry.flags, method, mc.DOS_TIME, mc.DOS_DATE,
                       crc, csize, size, len(name), len(extra)) + name + extra


def central_header(entry, offset):
    extra = getattr(entry, "extra", b"")
    csize = getattr(entry, "csize", len(entry.payload))
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, entry.made_by, 20, entry.flags, entry.method,
                       mc.DOS_TIME, mc.DOS_DATE, entry.crc, csize, entry.size, len(entry.name), len(extra),
                       0, 0, 0, entry.attributes, offset) + entry.name + extra


def end_record(count, size, offset, disk=0, directory_disk=None, disk_count=None, comment=b"",
               comment_length=None):
    return struct.pack("<IHHHHIIH", 0x06054B50, disk, disk if directory_disk is None else directory_disk,
                       count if disk_count is None else disk_count, count, size, offset,
                       len(comment) if comment_length is None else comment_length) + comment


def members(entries, front=b"", base=0):
    """Local headers and data after `front`; offsets are counted from `base`."""
    out = bytearray(front)
    offsets = []
    for entry in entries:
        offsets.append(len(out) - base)
        out += local_header(entry) + entry.payload + getattr(entry, "descriptor", b"")
    return out, offsets


def directory(entries, offsets):
    return b"".join(central_header(e, o if e.offset is None else e.offset)
                    for e, o in zip(entries, offsets))


def zip_bytes(entries, front=b"", adjusted=True, **end):
    base = 0 if adjusted else len(front)
    out, offsets = members(entries, front, base)
    central = directory(entries, offsets)
    start = len(out) - base
    out += central
    out += end_record(end.pop("count", len(entries)), end.pop("size", len(central)), start, **end)
    return bytes(out)


def zip64_bytes(entries, record_count=None, locator_offset=None, disks=1, classic=False):
    """An archive with a zip64 end record. The ordinary end record holds the
    0xFFFF/0xFFFFFFFF marks, or with `classic` the true count, size and
    offset."""
    out, offsets = members(entries)
    central = directory(entries, offsets)
    start = len(out)
    out += central
    record_at = len(out)
    count = len(entries) if record_count is None else record_count
    out += struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, count, count, len(central), start)
    locator_offset = record_at if locator_offset is None else locator_offset
    out += struct.pack("<IIQI", 0x07064B50, 0, locator_offset, disks)
    if classic:
        count16, size32, offset32 = len(entries), len(central), start
    else:
        count16, size32, offset32 = 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count16, count16, size32, offset32, 0)
    return bytes(out)


def good():
    return mc.good()


def text_entry(name, data, **fields):
    return mc.Entry(name, data, **fields)


def unicode_path_field(shown_name, real_name):
    """Info-ZIP Unicode Path field (0x7075): version 1, CRC of the header's
    name, the name in UTF-8. Readers that know it take this name."""
    body = struct.pack("<BI", 1, zlib.crc32(shown_name)) + real_name
    return struct.pack("<HH", 0x7075, len(body)) + body


def zip64_extra(size, csize):
    return struct.pack("<HHQQ", 0x0001, 16, size, csize)


def two_directories(first, second):
    """One body holding both entries, then a directory listing only `first`
    and a directory listing only `second`; returns (bytes, where the first
    directory starts and its size, same for the second)."""
    out, offsets = members([first, second])
    dir_a = directory([first], offsets[:1])
    dir_b = directory([second], offsets[1:])
    a_at = len(out)
    out += dir_a
    b_at = len(out)
    out += dir_b
    return out, (a_at, len(dir_a)), (b_at, len(dir_b))


def comment_holds_end_record():
    out, (a_at, a_size), (b_at, b_size) = two_directories(
        text_entry("real.txt", b"listed by the outer end record\n"),
        text_entry("decoy.txt", b"listed by the end record inside the comment\n"))
    fake = end_record(1, b_size, b_at)
    out += end_record(1, a_size, a_at, comment=fake)
    return bytes(out)


def zip64_points_apart():
    out, (a_at, a_size), (b_at, b_size) = two_directories(
        text_entry("classic.txt", b"listed by the ordinary end record\n"),
        text_entry("zip64.txt", b"listed by the zip64 end record\n"))
    record_at = len(out)
    out += struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, 1, 1, b_size, b_at)
    out += struct.pack("<IIQI", 0x07064B50, 0, record_at, 1)
    out += end_record(1, a_size, a_at)
    return bytes(out)


def concatenated_archives():
    first = zip_bytes([text_entry("first-archive.txt", b"from the archive in front\n")])
    return zip_bytes([text_entry("second-archive.txt", b"from the archive at the end\n")], front=first)


def three_entries():
    return [good(), text_entry("second.txt", b"second\n" * 100),
            text_entry("third.txt", b"third\n" * 100)]


def truncations():
    entries = three_entries()
    whole = zip_bytes(entries)
    _, offsets = members(entries)
    first_data = offsets[0] + 30 + len(entries[0].name)
    directory_at = whole.index(b"PK\x01\x02")
    end_at = whole.rindex(b"PK\x05\x06")
    return [
        ("truncated-in-first-header.zip", whole[:20], "the first 20 bytes (inside the first local header)"),
        ("truncated-in-first-data.zip", whole[:first_data + len(entries[0].payload) // 2],
         "cut in the middle of the first entry's data"),
        ("truncated-before-directory.zip", whole[:directory_at],
         "all entries' data, no central directory and no end record"),
        ("truncated-in-directory.zip", whole[:(directory_at + end_at) // 2],
         "cut in the middle of the central directory"),
        ("truncated-in-end-record.zip", whole[:-10], "the last 10 bytes of the end record missing"),
    ]


def bytes_cut_from_middle():
    entries = three_entries()
    whole = zip_bytes(entries)
    at = whole.index(b"second.txt") + len("second.txt") + 5
    return whole[:at] + whole[at + 20:]


def lying_sizes():
    local_differs = text_entry("local-size-differs.txt", b"0123456789" * 100, method=0, local_size=10,
                               local_csize=10)
    cut_stream = text_entry("compressed-size-short.txt", bytes(range(256)) * 8)
    cut_stream.csize = len(cut_stream.payload) // 2
    described = text_entry("descriptor-disagrees.txt", b"described\n" * 50, flags=0x08, local_size=0,
                           local_csize=0, local_crc=0)
    described.descriptor = struct.pack("<IIII", 0x08074B50, described.crc, len(described.payload),
                                       described.size + 100)
    return [
        ("local-size-differs.zip", zip_bytes([local_differs, good()]),
         "stored entry: local header says 10 bytes, central directory 1000"),
        ("compressed-size-short.zip", zip_bytes([cut_stream, good()]),
         "deflate entry whose stated compressed size is half its stream"),
        ("descriptor-disagrees.zip", zip_bytes([described, good()]),
         "data descriptor states 100 bytes more than the central directory"),
    ]


def zip64_cases():
    def two():
        return [good(), text_entry("other.txt", b"other\n" * 20)]
    huge = text_entry("huge-claim.txt", b"small\n" * 10)
    huge.size = 0xFFFFFFFF
    huge.extra = zip64_extra(1 << 40, len(huge.payload))
    huge.csize = 0xFFFFFFFF
    no_extra = text_entry("marks-without-field.txt", b"no zip64 field\n" * 4)
    no_extra.size = 0xFFFFFFFF
    no_extra.csize = 0xFFFFFFFF
    marks_only = bytearray(zip_bytes(two()))
    end_at = marks_only.rindex(b"PK\x05\x06")
    struct.pack_into("<HHII", marks_only, end_at + 8, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF)
    return [
        ("zip64-locator-beyond-end.zip", zip64_bytes(two(), locator_offset=1 << 40),
         "end record marked zip64; the locator points 1 TiB past the end"),
        ("zip64-locator-at-local-header.zip", zip64_bytes(two(), locator_offset=0),
         "the zip64 locator points at a local header instead of a zip64 end record"),
        ("zip64-record-missing.zip", bytes(marks_only),
         "end record with all fields 0xFFFF/0xFFFFFFFF and no zip64 record or locator"),
        ("zip64-count-larger.zip", zip64_bytes(two(), record_count=1000),
         "zip64 end record states 1000 entries, the directory holds 2"),
        ("zip64-count-disagrees.zip", zip64_bytes(two(), record_count=3, classic=True),
         "ordinary end record states 2 entries (no zip64 marks), zip64 end record 3"),
        ("zip64-two-disks.zip", zip64_bytes(two(), disks=2), "the zip64 locator states 2 disks"),
        ("zip64-and-end-record-point-apart.zip", zip64_points_apart(),
         "ordinary end record lists `classic.txt`, zip64 end record lists `zip64.txt`"),
        ("zip64-size-without-field.zip", zip_bytes([no_extra, good()]),
         "sizes 0xFFFFFFFF in both headers, no zip64 extra field"),
        ("zip64-field-claims-1-tib.zip", zip_bytes([huge, good()]),
         "zip64 field states 1 TiB uncompressed for 60 bytes of data"),
    ]


def comments():
    base = [good()]
    text = (b"An installation medium comment. " * 2048)[:65535]
    with_signature = bytearray(text)
    with_signature[100:122] = end_record(7, 1234, 99999)
    return [
        ("comment-65535-bytes.zip", zip_bytes(base, comment=text),
         "the largest comment, 65535 bytes of text"),
        ("comment-65535-with-signature.zip", zip_bytes(base, comment=bytes(with_signature)),
         "65535-byte comment holding an end record signature with made-up fields"),
        ("comment-holds-end-record.zip", comment_holds_end_record(),
         "end record (listing `real.txt`) whose 22-byte comment is another end record "
         "(listing `decoy.txt`)"),
        ("comment-length-too-long.zip", zip_bytes(base, comment=b"short", comment_length=1000),
         "comment length 1000, 5 bytes present"),
        ("garbage-after-end-record.zip", zip_bytes(base) + b"\x00garbage" * 16,
         "128 bytes after an end record that states no comment"),
    ]


def links(run):
    outside = os.path.join(run, "outside")
    absolute_link = zip_bytes([
        text_entry("link", outside.encode(), method=0, attributes=mc.UNIX_LINK),
        text_entry("link/evil.txt", SECRET), good()])
    through = zip_bytes([
        text_entry("link", b"../outside/sentinel.txt", method=0, attributes=mc.UNIX_LINK),
        text_entry("link", OVERWRITTEN), good()])
    return {"symlink-absolute.zip": absolute_link, "symlink-then-file.zip": through}


def plant_folder_link(x, run):
    os.symlink("../outside", os.path.join(x, "planted"))


def plant_file_link(x, run):
    os.symlink("../outside/sentinel.txt", os.path.join(x, "good.txt"))


def plant_hard_link(x, run):
    os.link(os.path.join(run, "outside", "sentinel.txt"), os.path.join(x, "good.txt"))


def absolute_into_outside(run):
    return zip_bytes([text_entry(os.path.join(run, "outside", "evil.txt"), SECRET), good()])


class ArchiveCase:
    def __init__(self, name, carries, data=None, path=None, make=None, plant=None, sizes=False):
        self.name = name
        self.carries = carries
        self.data = data      # bytes
        self.path = path      # a committed file
        self.make = make      # run folder -> bytes, for archives naming that folder
        self.plant = plant    # (extraction folder, run folder) -> None, before the run
        self.sizes = sizes    # show file sizes in the result


def committed(name, carries, **options):
    return ArchiveCase(name, carries, path=os.path.join(DATA, "engine", name), **options)


def archive_groups(crafted_folder):
    """The archives in groups; `crafted_folder` holds what make_crafted.py
    made."""
    def crafted(name, carries, **options):
        return ArchiveCase(name, carries, path=os.path.join(crafted_folder, name), **options)

    sized = {"sizes": True}
    dos_backslash = text_entry("..\\outside\\sentinel.txt", SECRET, made_by=mc.MADE_ON_DOS, attributes=0x20)
    unicode_path = text_entry("harmless.txt", SECRET,
                              extra=unicode_path_field(b"harmless.txt", b"../outside/sentinel.txt"))
    deep = text_entry("/".join(["d" * 99] * 40) + ".txt", b"deep\n")
    folder = text_entry("a/", b"", method=0, attributes=(0o040755 << 16) | 0x10)
    stub = b"\x7fELF" + bytes(4092)
    return [
        ("Path traversal", [
            crafted("traversal-dotdot.zip", "`../outside/sentinel.txt`"),
            crafted("traversal-backslash.zip", "`..\\outside\\sentinel.txt`, made on Unix"),
            ArchiveCase("traversal-backslash-dos.zip", "`..\\outside\\sentinel.txt`, made on DOS",
                        data=zip_bytes([dos_backslash, good()])),
            crafted("traversal-nested.zip", "`a/../../outside/sentinel.txt`"),
            crafted("traversal-trailing-dotdot.zip", "`a/b/..`"),
            crafted("absolute-path.zip", "`/tmp/vg-engine-absolute-evil.txt`"),
            ArchiveCase("absolute-into-outside.zip", "`RUN/outside/evil.txt`, next to the sentinel",
                        make=absolute_into_outside),
            crafted("absolute-backslash.zip", "`\\vg-engine-absolute-evil.txt`"),
            crafted("drive-letter.zip", "`C:\\vg-evil.txt` and `c:vg-evil.txt`"),
            crafted("unc-path.zip", "`\\\\server\\share\\evil.txt` and `//server/share/evil.txt`"),
            crafted("nul-in-name.zip", "`evil.txt` NUL `../../outside/sentinel.txt`"),
            crafted("empty-component.zip", "`a//evil.txt`"),
            crafted("control-character.zip", "`evil` LF `.txt`"),
            ArchiveCase("unicode-path-field-traversal.zip",
                        "name `harmless.txt`, Info-ZIP Unicode path field `../outside/sentinel.txt`",
                        data=zip_bytes([unicode_path, good()])),
            ArchiveCase("name-4000-bytes.zip", "a name of 40 folders of 99 letters",
                        data=zip_bytes([deep, good()])),
        ]),
        ("Links", [
            crafted("symlink-entry.zip", "link `link` → `../outside`, then `link/sentinel.txt`"),
            ArchiveCase("symlink-absolute.zip", "link `link` → `RUN/outside`, then `link/evil.txt`",
                        make=lambda run: links(run)["symlink-absolute.zip"]),
            ArchiveCase("symlink-then-file.zip",
                        "link `link` → `../outside/sentinel.txt`, then a file `link`",
                        make=lambda run: links(run)["symlink-then-file.zip"]),
            ArchiveCase("planted-folder-link.zip",
                        "`planted/sentinel.txt`; the folder already holds link `planted` → `../outside`",
                        data=zip_bytes([text_entry("planted/sentinel.txt", OVERWRITTEN), good()]),
                        plant=plant_folder_link),
            ArchiveCase("planted-file-link.zip",
                        "`good.txt`; the folder already holds link `good.txt` → `../outside/sentinel.txt`",
                        data=zip_bytes([good()]), plant=plant_file_link),
            ArchiveCase("planted-hard-link.zip",
                        "`good.txt`; the folder already holds `good.txt` as a hard link to the sentinel",
                        data=zip_bytes([good()]), plant=plant_hard_link),
            crafted("device-file-entry.zip", "a named pipe entry `pipe`"),
        ]),
        ("Overlapping entries", [
            crafted("overlapping-entries.zip", "`first.txt` and `second.txt` share one local header"),
            crafted("data-overlaps-central-directory.zip", "stated data runs into the central directory"),
            ArchiveCase("duplicate-name.zip", "`same.txt` twice (7 bytes, then 12 bytes)", sizes=True,
                        data=zip_bytes([text_entry("same.txt", b"first!\n"),
                                        text_entry("same.txt", b"second one!\n"), good()])),
            ArchiveCase("file-then-folder-same-name.zip", "file `a`, then folder `a/`, then `a/b.txt`",
                        data=zip_bytes([text_entry("a", b"a file\n"), folder, text_entry("a/b.txt", b"b\n"),
                                        good()])),
        ]),
        ("Lying sizes and damaged data", [
            crafted("size-larger-than-stated.zip", "inflates to 1000 bytes, states 100", **sized),
            crafted("size-smaller-than-stated.zip", "inflates to 1000 bytes, states 5000", **sized),
            *[ArchiveCase(n, c, data=d, **sized) for n, d, c in lying_sizes()],
            crafted("crc-error.zip", "stored entry with a wrong CRC", **sized),
            crafted("deflate-data-damaged.zip", "first byte of a deflate stream broken", **sized),
            crafted("local-name-differs.zip", "central name `listed.txt`, local name `hidden.txt`"),
            crafted("local-method-differs.zip", "central: stored, local: deflated"),
        ]),
        ("Truncations", [
            crafted("truncated-archive.zip", "the first half of a two-entry archive"),
            *[ArchiveCase(n, c, data=d) for n, d, c in truncations()],
            ArchiveCase("bytes-cut-from-middle.zip", "20 bytes removed inside the second of three entries",
                        data=bytes_cut_from_middle(), sizes=True),
        ]),
        ("Counts and offsets", [
            crafted("entry-count-too-large.zip", "end record states 60000 entries, the directory holds 1"),
            ArchiveCase("entry-count-too-small.zip", "end record states 1 entry, the directory holds 3",
                        data=zip_bytes(three_entries(), count=1)),
            ArchiveCase("directory-size-too-small.zip", "end record states 60 bytes for a 165-byte directory",
                        data=zip_bytes(three_entries(), size=60)),
            crafted("offset-beyond-archive.zip", "an entry's local header offset is 2 GiB past the end"),
        ]),
        ("Zip64 inconsistencies", [ArchiveCase(n, c, data=d) for n, d, c in zip64_cases()]),
        ("Comments and trailing data", [ArchiveCase(n, c, data=d) for n, d, c in comments()]),
        ("Data in front", [
            ArchiveCase("data-in-front-unadjusted.zip",
                        "4 KiB program stub in front; offsets count from the archive's start",
                        data=zip_bytes([good()], front=stub, adjusted=False)),
            ArchiveCase("data-in-front-adjusted.zip",
                        "4 KiB program stub in front; offsets count from the file's start",
                        data=zip_bytes([good()], front=stub)),
            ArchiveCase("two-archives-concatenated.zip",
                        "archive with `first-archive.txt`, then an archive with `second-archive.txt`",
                        data=concatenated_archives()),
        ]),
        ("Spanned-disk end records", [
            crafted("multi-disk.zip", "end record: this disk 1, directory on disk 1"),
            ArchiveCase("directory-on-other-disk.zip", "end record: this disk 0, directory on disk 1",
                        data=zip_bytes([good()], directory_disk=1)),
            ArchiveCase("entries-on-disk-differ.zip", "end record: 1 entry on this disk, 3 in all",
                        data=zip_bytes(three_entries(), disk_count=1)),
        ]),
        ("Other entries", [
            crafted("unsupported-method.zip", "method 9 (Deflate64)"),
            crafted("strong-encryption.zip", "strong encryption flag"),
            committed("zipcrypto-password-secret.zip", "entries encrypted with a password nobody gives",
                      sizes=True),
            crafted("oem-name.zip", "name in code page 437 (`café Ä.txt`), made on DOS"),
            committed("fuzz-empty-read-into-null-buffer.zip",
                      "found by fuzzing: `evil` LF `.txt`, and `good.txt` whose local header has no name "
                      "and zero sizes"),
            crafted("not-a-zip.zip", "a text file"),
            ArchiveCase("empty-file.zip", "0 bytes", data=b""),
        ]),
    ]


# ---------------------------------------------------------------------------
# Running a tool over one archive.

def snapshot(top, skip=None):
    """Every path below `top` (links not followed) with its kind and
    content; `skip` is a folder left out."""
    found = {}
    for folder, dirs, files in os.walk(top):
        for name in list(dirs):
            path = os.path.join(folder, name)
            if path == skip:
                dirs.remove(name)
                continue
            if os.path.islink(path):
                dirs.remove(name)
                files.append(name)
                continue
            found[os.path.relpath(path, top)] = ("dir",)
        for name in files:
            path = os.path.join(folder, name)
            found[os.path.relpath(path, top)] = describe(path)
    return found


def describe(path):
    info = os.lstat(path)
    if stat.S_ISLNK(info.st_mode):
        return ("link", os.readlink(path))
    if stat.S_ISREG(info.st_mode):
        digest = hashlib.sha256()
        with open(path, "rb") as f:
            for block in iter(lambda: f.read(1 << 20), b""):
                digest.update(block)
        return ("file", info.st_size, digest.hexdigest(), info.st_ino)
    if stat.S_ISDIR(info.st_mode):
        return ("dir",)
    return ("special", stat.S_IFMT(info.st_mode))


def watched_state():
    return {p: describe(p) if os.path.lexists(p) else None for p in WATCHED}


class Outcome:
    def __init__(self):
        self.missing = False
        self.status = None        # exit status, or engine result
        self.signal = None
        self.timed_out = False
        self.outside = []         # what changed outside the extraction folder
        self.inside = []          # (path, description) found inside afterwards
        self.messages = []
        self.untouched_plants = []
        self.replaced_plants = []
        self.run = ""


def limit_file_size():
    resource.setrlimit(resource.RLIMIT_FSIZE, (FILE_SIZE_LIMIT, FILE_SIZE_LIMIT))


def run_tool(command, case, work, index, tool):
    run = os.path.join(work, "runs", f"{index:03d}-{tool}")
    x = os.path.join(run, "x")
    os.makedirs(os.path.join(run, "outside"))
    os.makedirs(x)
    with open(os.path.join(run, "outside", "sentinel.txt"), "wb") as f:
        f.write(SENTINEL)
    archive = os.path.join(work, "archives", f"{index:03d}-{tool}-{case.name}")
    if case.path:
        shutil.copyfile(case.path, archive)
    else:
        with open(archive, "wb") as f:
            f.write(case.make(run) if case.make else case.data)
    if case.plant:
        case.plant(x, run)
    planted = snapshot(x)
    before_run = snapshot(run, skip=x)
    before_work = sorted(os.listdir(os.path.join(work, "runs")))
    before_watched = watched_state()

    outcome = Outcome()
    env = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8")
    try:
        # A session of its own and no input: a password prompt fails at once.
        done = subprocess.run(command(archive, x), cwd=run, env=env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=TIMEOUT, start_new_session=True,
                              preexec_fn=limit_file_size)
        if done.returncode < 0:
            outcome.signal = -done.returncode
        outcome.status = done.returncode
        said = (done.stderr + b"\n" + done.stdout).decode("utf-8", "replace").replace(archive, case.name)
        said = said.replace(x, "x").replace(run.replace("/", "\\"), "RUN").replace(run, "RUN")
        outcome.messages = [line for line in said.splitlines() if line.strip()]
    except subprocess.TimeoutExpired:
        outcome.timed_out = True

    after_run = snapshot(run, skip=x)
    for path in sorted(set(before_run) | set(after_run)):
        old, new = before_run.get(path), after_run.get(path)
        if old != new:
            if old is None:
                outcome.outside.append(f"new {code(path)}")
            elif new is None:
                outcome.outside.append(f"{code(path)} removed")
            else:
                outcome.outside.append(f"{code(path)} changed")
    appeared = set(os.listdir(os.path.join(work, "runs"))) - set(before_work) - {os.path.basename(run)}
    outcome.outside += [f"new {code(name)} two levels up" for name in sorted(appeared)]
    after_watched = watched_state()
    for path in WATCHED:
        if before_watched[path] != after_watched[path]:
            outcome.outside.append(f"{code(path)} {'created' if before_watched[path] is None else 'changed'}")

    after_inside = snapshot(x)
    for path in sorted(after_inside):
        if planted.get(path) == after_inside[path]:
            continue
        outcome.inside.append((path, after_inside[path]))
    outcome.run = run
    outcome.untouched_plants = [p for p in planted if planted[p] == after_inside.get(p)]
    outcome.replaced_plants = [p for p in planted if planted[p] != after_inside.get(p)]
    return outcome


def engine_command(driver):
    return lambda archive, x: [driver, archive, x]


def unzip_command(archive, x):
    return ["unzip", "-o", "-qq", archive, "-d", x]


def bsdtar_command(archive, x):
    return ["bsdtar", "-xf", archive, "-C", x]


# ---------------------------------------------------------------------------
# Table cells.

def code(text):
    text = text.encode("utf-8", "surrogateescape").decode("utf-8", "backslashreplace")
    text = text.replace("\ufeff", "\\ufeff")
    text = re.sub(r"[\x00-\x1f\x7f]", lambda m: f"\\x{ord(m.group()):02x}", text)
    text = text.replace("|", "\\|")
    fence = "``" if "`" in text else "`"
    # Markdown drops one space at each end of a code span that has one at
    # both ends; a padding space on each side keeps the blanks that count.
    if text[:1] in (" ", "`") or text[-1:] in (" ", "`"):
        return f"{fence} {text} {fence}"
    return f"{fence}{text}{fence}"


def plain(text):
    """Text shown as it is, outside code spans."""
    return re.sub(r"([\\`*_<>\[\]|])", r"\\\1", text)


def shorten(text, limit=48):
    return text if len(text) <= limit else text[:limit - 1] + "…"


def shorten_name(text, limit=48):
    return text if len(text) <= limit else text[:16] + "…" + text[-(limit - 17):]


def inside_list(outcome, case):
    shown = []
    for path, what in outcome.inside:
        kind = what[0]
        if kind == "dir" and any(p.startswith(path + os.sep) for p, _ in outcome.inside):
            continue
        path = path.replace(outcome.run.lstrip("/"), "RUN")
        if kind == "dir":
            shown.append(code(shorten_name(path) + "/"))
        elif kind == "link":
            shown.append(f"{code(shorten_name(path))} → {code(what[1].replace(outcome.run, 'RUN'))}")
        elif kind == "file":
            note = ""
            if os.path.basename(path) == "good.txt" and what[2] != hashlib.sha256(GOOD).hexdigest():
                note = f" ({what[1]} B, damaged)"
            elif case.sizes and os.path.basename(path) != "good.txt":
                note = f" ({what[1]} B)"
            shown.append(code(shorten_name(path)) + note)
        else:
            shown.append(code(shorten_name(path)) + " (special file)")
    if len(shown) > 5:
        shown = shown[:5] + [f"{len(shown) - 5} more"]
    return ", ".join(shown)


def engine_messages(outcome):
    result = None
    texts = []
    for line in outcome.messages:
        match = re.fullmatch(r"engine result (-?\d+)", line)
        if match:
            result = int(match.group(1))
        elif line and line not in texts:
            texts.append(line)
    return result, texts


def peer_message(outcome):
    """The first line that says something: unzip starts some reports with
    the archive's name in brackets, bsdtar repeats its password prompt."""
    for line in outcome.messages:
        line = line.replace("Enter passphrase:", "").replace("\\n", " ").strip()
        if line and not re.fullmatch(r"\[.*\]", line):
            return " ".join(line.split())
    return ""


def cell(outcome, case, product):
    if outcome.missing:
        return "not installed"
    if outcome.timed_out:
        return f"**hung** (stopped after {TIMEOUT} s)"
    if outcome.signal == signal.SIGXFSZ:
        return (f"**stopped** by the {FILE_SIZE_LIMIT >> 20} MiB file-size limit: "
                "it sets the file to the stated size first")
    if outcome.signal:
        try:
            name = signal.Signals(outcome.signal).name
        except ValueError:
            name = f"signal {outcome.signal}"
        return f"**crashed** ({name})"
    if product:
        result, texts = engine_messages(outcome)
        status = f"result {result}" if result is not None else f"exit {outcome.status}"
        if outcome.status == 0:
            status = "result 0"
        said = "; ".join(f"“{plain(t)}”" for t in texts[:2])
        if len(texts) > 2:
            said += f" and {len(texts) - 2} more"
    else:
        status = f"exit {outcome.status}"
        said = peer_message(outcome)
        said = f"“{plain(shorten(said, 90))}”" if said else ""
    parts = []
    files = inside_list(outcome, case)
    if outcome.outside:
        parts.append("**wrote outside the folder!** " + ", ".join(outcome.outside))
        if files:
            parts.append("inside: " + files)
    elif not files:
        parts.append("refused, reported" if outcome.status != 0 else "nothing extracted, nothing reported")
    else:
        parts.append("extracted as " + files + ("; reported" if outcome.status != 0 else ""))
    if case.plant and outcome.untouched_plants:
        parts.append("the planted link left as it was")
    if case.plant and outcome.replaced_plants:
        parts.append("the planted link replaced")
    text = "; ".join(parts) + f" ({status})"
    return text + " " + said if said else text


# ---------------------------------------------------------------------------
# INI files.

INI_DESCRIPTIONS = {
    "cp1253-greek.ini": ("Greek section and key in code page 1253, read as a Greek translation file",
                         1253),
    "duplicate-key.ini": ("`Title=First`, then `title=Second` in one section", 1252),
    "duplicate-section.ini": ("`[Texts]`, `[Other]`, `[TEXTS]`, each with `Title`", 1252),
    "key-before-section.ini": ("`Title=Orphan` before the first section", 1252),
    "no-closing-bracket.ini": ("`[Texts   ` without `]`, then `Title=Setup`", 1252),
    "utf16be-bom.ini": ("UTF-16BE with byte-order mark, Greek names, an emoji value", 1252),
    "utf16le-bom.ini": ("UTF-16LE with byte-order mark, Greek names, an emoji value", 1252),
    "utf8-bom.ini": ("UTF-8 with byte-order mark, Greek names, an emoji value", 1252),
    "value-quoted.ini": ("`Title=  \"  Setup Wizard  \"  `", 1252),
}

CRLF = b"\r\n"


def ini(*lines, end=CRLF):
    return end.join(lines) + end


CRAFTED_INI = [
    ("hash-comment.ini", "`#Title=Hashed` (a comment for configparser only)",
     ini(b"[Texts]", b"#Title=Hashed", b"Button=Next")),
    ("semicolon-after-value.ini", "`Title=Setup ; remark`", ini(b"[Texts]", b"Title=Setup ; remark")),
    ("colon-separator.ini", "`Title: Setup`", ini(b"[Texts]", b"Title: Setup", b"Button=Next")),
    ("indented-continuation.ini", "`Title=Setup`, then an indented `Wizard`",
     ini(b"[Texts]", b"Title=Setup", b"  Wizard")),
    ("key-without-equals.ini", "a line `Title` without `=`", ini(b"[Texts]", b"Title", b"Button=Next")),
    ("default-section.ini", "`[DEFAULT]` with `Title`, then `[Texts]`",
     ini(b"[DEFAULT]", b"Title=Everywhere", b"[Texts]", b"Button=Next")),
    ("percent-sign.ini", "`Progress=50% done`", ini(b"[Texts]", b"Progress=50% done")),
    ("value-with-equals.ini", "`Formula=a=b`", ini(b"[Texts]", b"Formula=a=b")),
    ("text-after-bracket.ini", "`[Texts] trailing`", ini(b"[Texts] trailing", b"Title=Setup")),
    ("bracket-in-name.ini", "`[Te]xts]`", ini(b"[Te]xts]", b"Title=Setup")),
    ("empty-section-name.ini", "`[]` with `Title`, then `[Texts]`",
     ini(b"[]", b"Title=Nameless", b"[Texts]", b"Title=Setup")),
    ("empty-key-name.ini", "`=Nameless`", ini(b"[Texts]", b"=Nameless", b"Title=Setup")),
    ("blanks-around-names.ini", "`[ Texts ]`; tabs and spaces around `Title`, `=` and the value",
     ini(b"[ Texts ]", b"\t Title \t=\t Setup \t")),
    ("mismatched-quotes.ini", "`Title=\"Setup'`", ini(b"[Texts]", b"Title=\"Setup'")),
    ("nul-in-value.ini", "`Title=Set` NUL `up`", ini(b"[Texts]", b"Title=Set\x00up", b"Button=Next")),
    ("cr-only-lines.ini", "lines ended by CR alone",
     ini(b"[Texts]", b"Title=Setup", b"Button=Next", end=b"\r")),
    ("lf-only-lines.ini", "lines ended by LF alone",
     ini(b"[Texts]", b"Title=Setup", b"Button=Next", end=b"\n")),
    ("value-3000-chars.ini", "a value of 3000 characters", ini(b"[Texts]", b"Title=" + b"x" * 3000)),
    ("cp1252-not-utf8.ini", "`Title=Größe` in code page 1252",
     ini(b"[Texts]", "Title=Größe".encode("cp1252"))),
    ("key-after-4-mib.ini", "4 MiB of comment lines, then `[Late]` with `Title`",
     (b";" + b"c" * 1022 + CRLF) * 4096 + ini(b"[Late]", b"Title=Unseen")),
]


def escaped_to_text(text):
    return re.sub(r"\\(\\|x[0-9a-f]{2})",
                  lambda m: "\\" if m.group(1) == "\\" else chr(int(m.group(1)[1:], 16)), text)


def decode_loosely(data, code_page):
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le", "replace")
    if data.startswith(b"\xfe\xff"):
        return data[2:].decode("utf-16-be", "replace")
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode(f"cp{code_page}", "replace")


def dump(dumper, kind, path, queries, extra=()):
    done = subprocess.run([dumper, kind, path, *extra], input="".join(q + "\n" for q in queries).encode(),
                          capture_output=True, timeout=TIMEOUT)
    if done.returncode < 0:
        return None, f"**crashed** ({signal.Signals(-done.returncode).name})"
    return done.stdout.decode("utf-8", "replace").splitlines(), None


def value_text(value, limit=40):
    if len(value) > limit:
        return code(value[:limit - 12] + "…") + f" ({len(value)} chars)"
    return code(value)


def product_ini(dumper, path, code_page):
    lines, crash = dump(dumper, "ini", path, ["sections"], [str(code_page)])
    if crash:
        return crash
    if not lines or lines[0] != "exists 1":
        return "no file (reads nothing)"
    sections = [escaped_to_text(line[len("section "):]) for line in lines[1:] if line.startswith("section ")]
    if os.path.isfile(path):
        with open(path, "rb") as f:
            text = decode_loosely(f.read(), code_page)
    else:
        text = ""
    keys = []
    for line in re.split(r"\r\n|\r|\n", text):
        if "=" in line:
            key = line.split("=", 1)[0].strip(" \t\v")
            if key and key.lower() not in [k.lower() for k in keys]:
                keys.append(key)
    unique = []
    for name in sections:
        if name.lower() not in [u.lower() for u in unique]:
            unique.append(name)
    queries = [f"value\t{s}\t{k}" for s in unique for k in keys]
    answers, crash = dump(dumper, "ini", path, queries, [str(code_page)])
    if crash:
        return crash
    found = {}
    for query, answer in zip(queries, answers):
        _, section, key = query.split("\t")
        if answer.startswith("value "):
            found.setdefault(section, []).append(f"{code(key)}={value_text(escaped_to_text(answer[6:]))}")
    if not sections:
        return "no sections"
    parts = ["sections " + ", ".join(code(s) for s in sections)]
    for section in unique:
        parts.append(f"{code(section)}: " + (", ".join(found[section]) if section in found else "no keys"))
    return "; ".join(parts)


def parser_error(error):
    name = type(error).__name__
    if isinstance(error, configparser.DuplicateOptionError):
        return f"{name}: {code(error.option)} twice in {code(error.section)}"
    if isinstance(error, configparser.DuplicateSectionError):
        return f"{name}: {code(error.section)}"
    if isinstance(error, configparser.MissingSectionHeaderError):
        return f"{name}: line {error.lineno} {code(error.line.rstrip())}"
    if isinstance(error, configparser.ParsingError):
        line, text = error.errors[0]
        return f"{name}: line {line} {code(ast.literal_eval(text).rstrip())}"
    if isinstance(error, UnicodeDecodeError):
        return f"{name}: byte 0x{error.object[error.start]:02x} at offset {error.start}"
    return f"{name}: {shorten(str(error), 70)}"


def peer_ini(path):
    parser = configparser.ConfigParser()
    try:
        read = parser.read(path, encoding="utf-8")
    except Exception as error:
        return parser_error(error)
    if not read:
        return "reads nothing (`read()` skips a file it cannot open)"
    parts = []
    if parser.defaults():
        defaults = parser.defaults().items()
        parts.append("defaults: " + ", ".join(f"{code(k)}={value_text(v)}" for k, v in defaults))
    sections = parser.sections()
    parts.append("sections " + ", ".join(code(s) for s in sections) if sections else "no sections")
    for section in sections:
        items = []
        for key in parser[section]:
            try:
                value = parser[section][key]
                items.append(f"{code(key)}=" + ("(no value)" if value is None else value_text(value)))
            except Exception as error:
                items.append(f"{code(key)}: {type(error).__name__}")
        parts.append(f"{code(section)}: " + (", ".join(items) if items else "no keys"))
    return "; ".join(parts)


# ---------------------------------------------------------------------------
# Registry export files.

REG_DESCRIPTIONS = {
    "binary-garbage.reg": "a valid first line and key line, then random bytes",
    "continued-lines.reg": "`hex(2)` values continued with `\\`: one over three lines, one cut by a "
                           "blank line, one followed directly by a value line",
    "dword-value.reg": "`AppDir` as text, `Version` as `dword:`",
    "expand-string-odd-byte-count.reg": "`hex(2)` UTF-16 text of 5 bytes",
    "no-header.reg": "no `Windows Registry Editor Version 5.00` first line",
    "odd-hex-digits.reg": "`hex(2)` lists with a 1-digit and a 3-digit byte",
    "regedit4.reg": "`REGEDIT4` file; `hex(2)` in single-byte text with `ö`, `ß` (code page 1252)",
    "truncated.reg": "UTF-16LE export cut off inside a continued `hex(2)` value",
    "unbalanced-quote.reg": "`\"AppDir\"=\"C:\\\\Gerrix` (no closing quote), a value ending in `\\\"`, "
                            "a name without closing quote",
    "utf16le-export.reg": "UTF-16LE export as the registry editor writes it (control case)",
}

SETUP = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup"
HEADER = b"Windows Registry Editor Version 5.00"


def reg(*lines, header=HEADER):
    return b"\r\n".join([header, b"", *lines]) + b"\r\n"


def key_line(path=SETUP):
    return b"[" + path.encode() + b"]"


CRAFTED_REG = [
    ("short-root-name.reg", "`[HKLM\\SOFTWARE\\…\\Setup]`",
     reg(key_line("HKLM\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup"), b'"Version"="16.0"')),
    ("other-root.reg", "the key under `HKEY_CURRENT_USER`",
     reg(key_line("HKEY_CURRENT_USER\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup"), b'"Version"="16.0"')),
    ("deleted-key.reg", "`[-HKEY_LOCAL_MACHINE\\…\\Setup]` with a value below it",
     reg(b"[-" + SETUP.encode() + b"]", b'"Version"="16.0"')),
    ("deleted-value.reg", "`\"Version\"=\"16.0\"`, then `\"Version\"=-`",
     reg(key_line(), b'"Version"="16.0"', b'"Version"=-')),
    ("value-twice.reg", "`Version` given twice, in two sections of the same key",
     reg(key_line(), b'"Version"="15.0"', b"", key_line(), b'"Version"="16.0"')),
    ("double-backslash-key.reg", "`[HKEY_LOCAL_MACHINE\\SOFTWARE\\\\Varnek\\Gerrix\\16.0\\Setup]`",
     reg(b"[HKEY_LOCAL_MACHINE\\SOFTWARE\\\\Varnek\\Gerrix\\16.0\\Setup]", b'"Version"="16.0"')),
    ("nul-inside-text.reg", "`hex(2)` text `C:` NUL `evil`",
     reg(key_line(), b'"AppDir"=hex(2):43,00,3a,00,00,00,65,00,76,00,69,00,6c,00,00,00')),
    ("lower-case-header.reg", "first line `windows registry editor version 5.00`",
     reg(key_line(), b'"Version"="16.0"', header=HEADER.lower())),
    ("blanks-around-header.reg", "first line `  REGEDIT4  `, blanks around `=`",
     reg(key_line(), b'  "Version"  =  "16.0"  ', header=b"  REGEDIT4  ")),
    ("trailing-junk.reg", "`\"Version\"=\"16.0\" junk`",
     reg(key_line(), b'"Version"="16.0" junk', b'"AppDir"="C:\\\\Gerrix"')),
    ("no-closing-bracket.reg", "`[HKEY_LOCAL_MACHINE\\…\\Setup` without `]`",
     reg(b"[" + SETUP.encode(), b'"Version"="16.0"')),
    ("escaped-quote-in-name.reg", "value name `App\"Dir`",
     reg(key_line(), b'"App\\"Dir"="C:\\\\Gerrix"')),
    ("value-before-any-key.reg", "`\"Version\"=\"16.0\"` before the first key line",
     reg(b'"Version"="16.0"', key_line(), b'"AppDir"="C:\\\\Gerrix"')),
    ("continued-at-end-of-file.reg", "`hex(2)` line ending in `\\` as the last line",
     reg(key_line(), b'"Version"="16.0"', b'"AppDir"=hex(2):43,00,\\')),
    ("utf8-bom.reg", "UTF-8 with byte-order mark, `Värnek` in a value",
     b"\xef\xbb\xbf" + reg(key_line(), '"AppDir"="C:\\\\Värnek"'.encode())),
    ("cp1252-not-utf8.reg", "`\"AppDir\"=\"C:\\\\Värnek\"` in code page 1252",
     reg(key_line(), '"AppDir"="C:\\\\Värnek"'.encode("cp1252"))),
    ("utf16-no-bom.reg", "UTF-16LE without byte-order mark",
     reg(key_line(), b'"Version"="16.0"').decode().encode("utf-16-le")),
    ("over-16-mib.reg", "a valid export padded with comment lines to 17 MiB",
     reg(key_line(), b'"Version"="16.0"') + (b";" + b"p" * 1021 + CRLF) * (17 * 1024)),
]


def reg_candidates(data):
    """The key paths of the file's key lines, each with the value names
    given below it, read loosely."""
    keys = {}
    current = None
    for line in re.split(r"\r\n|\r|\n", decode_loosely(data, 1252)):
        line = line.strip(" \t")
        match = re.match(r"\[-?(?:HKEY_[A-Z_]+|HKLM)((?:\\[^\]]*)?)\]?", line)
        if match:
            current = match.group(1) or None
            if current:
                keys.setdefault(current, [])
            continue
        match = re.match(r'"((?:[^"\\]|\\.)*)"\s*=', line)
        name = None
        if match:
            name = match.group(1).replace('\\"', '"').replace("\\\\", "\\")
        elif line.startswith("@"):
            name = ""
        if current and name is not None and name not in keys[current]:
            keys[current].append(name)
    return keys


def product_reg(dumper, path):
    data = b""
    if os.path.isfile(path):
        with open(path, "rb") as f:
            data = f.read()
    keys = reg_candidates(data) or {"\\SOFTWARE\\Varnek\\Gerrix\\16.0\\Setup": []}
    queries = [f"key\t{k}" for k in keys] + [f"value\t{k}\t{v}" for k in keys for v in keys[k]]
    answers, crash = dump(dumper, "reg", path, queries)
    if crash:
        return crash
    access = dict(zip(keys, answers[:len(keys)]))
    read = dict(zip(queries[len(keys):], answers[len(keys):]))
    parts = []
    for key, names in keys.items():
        shown = code(re.sub(r"^\\SOFTWARE\\Varnek\\Gerrix(?=\\)", "…", key))
        if access[key] == "NotFound":
            parts.append(f"{shown} not found")
            continue
        items, missing = [], []
        for name in names:
            answer = read[f"value\t{key}\t{name}"]
            label = code("@" if name == "" else name)
            if answer.startswith("value "):
                items.append(f"{label}={value_text(escaped_to_text(answer[6:]), 48)}")
            elif answer.startswith("error "):
                items.append(f"{label}: not text")
            else:
                missing.append(label)
        if missing:
            items.append("not read: " + ", ".join(missing))
        parts.append(f"{shown}: " + (", ".join(items) if items else "no values"))
    return "; ".join(parts)


# ---------------------------------------------------------------------------

def version_of(command):
    try:
        done = subprocess.run(command, capture_output=True, timeout=TIMEOUT)
    except OSError:
        return None
    return (done.stdout or done.stderr).decode("utf-8", "replace").splitlines()[0].strip()


def repository_state():
    try:
        head = subprocess.run(["git", "-C", REPO, "rev-parse", "--short", "HEAD"], capture_output=True,
                              check=True).stdout.decode().strip()
    except (OSError, subprocess.CalledProcessError):
        return "a tree outside git"
    return f"commit {head}"


def table(header, rows):
    out = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    out += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", help="a build folder configured with -DVG_BENCH=ON")
    parser.add_argument("--out", default=os.path.join(REPO, "docs", "bad-inputs.md"))
    parser.add_argument("--keep", action="store_true", help="keep the work folder and print its path")
    args = parser.parse_args()

    driver = os.path.join(args.build, "bench", "engine", "engine_driver")
    dumper = os.path.join(args.build, "bench", "bad_input_dump")
    for program in (driver, dumper):
        if not os.access(program, os.X_OK):
            sys.exit(f"bad-inputs: {program} is missing. Build it with\n"
                     f"  cmake -S {REPO} -B {args.build} -G Ninja -DCMAKE_BUILD_TYPE=Release "
                     f"-DVG_BENCH=ON -DVG_BUILD_TESTS=OFF\n"
                     f"  cmake --build {args.build} --target engine_driver bad_input_dump")
    driver, dumper = os.path.abspath(driver), os.path.abspath(dumper)
    peers = {"unzip": shutil.which("unzip"), "bsdtar": shutil.which("bsdtar")}
    for name, found in peers.items():
        if not found:
            package = "unzip" if name == "unzip" else "libarchive-tools"
            print(f"bad-inputs: {name} is not installed (apt-get install {package}); its column says so",
                  file=sys.stderr)

    work = tempfile.mkdtemp(prefix="vg-bad-inputs-")
    try:
        crafted_folder = os.path.join(work, "crafted")
        os.makedirs(crafted_folder)
        os.makedirs(os.path.join(work, "archives"))
        os.makedirs(os.path.join(work, "runs"))
        mc.HERE = crafted_folder
        mc.main()

        tools = [("engine", engine_command(driver), True), ("unzip", unzip_command, peers["unzip"]),
                 ("bsdtar", bsdtar_command, peers["bsdtar"])]
        sections = []
        index = 0
        for title, cases in archive_groups(crafted_folder):
            rows = []
            for case in cases:
                index += 1
                cells = []
                for tool, command, present in tools:
                    if present:
                        outcome = run_tool(command, case, work, index, tool)
                    else:
                        outcome = Outcome()
                        outcome.missing = True
                    cells.append(cell(outcome, case, tool == "engine"))
                rows.append([code(case.name), case.carries, *cells])
                print(f"{case.name}: done", file=sys.stderr)
            sections.append(f"### {title}\n\n" + table(
                ["Input", "What it carries", "This product (engine)", "unzip", "bsdtar"], rows))

        ini_rows = []
        ini_folder = os.path.join(work, "ini")
        os.makedirs(ini_folder)
        ini_cases = [(name, what, os.path.join(DATA, "ini", name), page)
                     for name, (what, page) in sorted(INI_DESCRIPTIONS.items())]
        for name, what, data in CRAFTED_INI:
            path = os.path.join(ini_folder, name)
            with open(path, "wb") as f:
                f.write(data)
            ini_cases.append((name, what, path, 1252))
        folder = os.path.join(ini_folder, "folder.ini")
        os.makedirs(folder)
        ini_cases.append(("folder.ini", "a folder where the file should be", folder, 1252))
        for name, what, path, page in ini_cases:
            ini_rows.append([code(name), what, product_ini(dumper, path, page), peer_ini(path)])

        reg_rows = []
        reg_folder = os.path.join(work, "registry")
        os.makedirs(reg_folder)
        reg_cases = [(name, REG_DESCRIPTIONS[name], os.path.join(DATA, "registry", name))
                     for name in sorted(REG_DESCRIPTIONS)]
        for name, what, data in CRAFTED_REG:
            path = os.path.join(reg_folder, name)
            with open(path, "wb") as f:
                f.write(data)
            reg_cases.append((name, what, path))
        folder = os.path.join(reg_folder, "folder.reg")
        os.makedirs(folder)
        reg_cases.append(("folder.reg", "a folder where the file should be", folder))
        for name, what, path in reg_cases:
            reg_rows.append([code(name), what, product_reg(dumper, path)])
    finally:
        if args.keep:
            print(f"bad-inputs: work folder kept: {work}", file=sys.stderr)
        else:
            shutil.rmtree(work, ignore_errors=True)

    versions = [
        f"this product at {repository_state()}",
        version_of(["unzip", "-v"]) if peers["unzip"] else "unzip: not installed",
        version_of(["bsdtar", "--version"]) if peers["bsdtar"] else "bsdtar: not installed",
        f"Python {sys.version.split()[0]} (configparser)",
    ]
    document = INTRO.format(date=datetime.date.today().isoformat(), limit=FILE_SIZE_LIMIT >> 20,
                            versions="\n".join(f"- {v}" for v in versions), timeout=TIMEOUT)
    document += "\n\n".join(sections)
    document += "\n\n## INI files\n\n" + INI_INTRO + "\n\n"
    document += table(["Input", "What it carries", "This product (INI reader)", "Python configparser"],
                      ini_rows)
    document += "\n\n## Registry export files\n\n" + REG_INTRO + "\n\n"
    document += table(["Input", "What it carries", "This product (registry file reader)"], reg_rows)
    document += "\n\n" + LIBRARY_SECTION
    with open(args.out, "w", encoding="utf-8") as f:
        f.write(document)
    print(f"bad-inputs: wrote {args.out}", file=sys.stderr)


# Written as it stands: the library search is tested under Wine, not here.
LIBRARY_SECTION = """## Planted libraries (Windows)

Not a file the setup reads but one it could be made to run: the Windows
setup runs as administrator from folders nobody controls. The test
`tests/e2e/library_search_under_wine.sh` plants a library that leaves a
marker file when it is loaded, under these names:

| Where it is planted | Names | Wine without the wizard's restriction | The wizard |
|---|---|---|---|
| beside the program (a downloads folder) | `dwmapi.dll`, `cryptbase.dll`, `propsys.dll`, `userenv.dll` | loaded by a program that asks for them by name | never loaded: before anything else the program restricts the search by name to the system folder (`SetDefaultDllDirectories`, or `SetDllDirectory("")`), in `setup.exe` and `vg-medium-check.exe`; a whole installation, quiet and passive, leaves no marker |
| a folder on `PATH`, the extraction folders, on a medium without its engine | `UnzDll.dll` | loaded by a bare-name load from the extraction folder | never loaded: the engine is loaded by full path from the program's folder, then the system folder; the archives fail with "Unable to load "UnzDll.dll"." and an engine in the system folder is used |

Wine takes `version.dll` and `uxtheme.dll`, which Windows also looks for
beside a program, from its own built-in copies whatever lies there, so
under Wine they cannot show the difference and are not among the names.
"""


INTRO = """# Bad inputs beside the peers

What the setup does with hostile and malformed archives, INI files and
registry export files, beside what `unzip` and `bsdtar` (and Python's
configparser for INI files) do with the same input. The tables are written
by `scripts/bad-inputs.py`; rerun it from the root of the repository with

    cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVG_BENCH=ON -DVG_BUILD_TESTS=OFF
    cmake --build build-bench --target engine_driver bad_input_dump
    python3 scripts/bad-inputs.py build-bench

(a few seconds; the peers come from the Debian packages `unzip` and
`libarchive-tools`). The inputs are made at run time in a temporary folder:
the archives of `tests/data/engine/make_crafted.py`, two committed beside
them, and the others by the script itself; the INI and registry files are
those of `tests/data/ini` and `tests/data/registry` and more made by the
script.

Last run {date} with:

{versions}

## Archives

Each archive is extracted into an empty folder `x` by three programs:

- **this product**: the unzip engine through `bench/engine/engine_driver`,
  which answers the engine as the archive component does for the
  installation (existing files are replaced, a damaged entry is discarded,
  no password is known). The cell shows the engine's result (the number of
  entries refused, or a negative code when the whole archive is refused)
  and its messages;
- `unzip -o -qq ARCHIVE -d x`;
- `bsdtar -xf ARCHIVE -C x`.

All run with `LC_ALL=C.UTF-8`, no input, a file-size limit of {limit} MiB
and a time limit of {timeout} s, in the folder that holds `x` and, beside it,
`outside/sentinel.txt`. `RUN` stands for the absolute path of that folder,
which differs from run to run (inside `x`, for that path without its
leading `/`). Anything that changes around `x` (the sentinel, a new file
beside `x` or one level further up, or one of the absolute paths the
archives name) is reported as **wrote outside the folder!**. Otherwise the
cell lists what appeared in `x`: `name/` is an empty folder, `name` →
`target` a symbolic link, sizes are given where the entry's size is the
point. "Reported" means a non-zero exit status or result. Most archives
also hold an ordinary `good.txt`, which a tool may rightly extract;
"damaged" marks a `good.txt` whose content is not the archive's.

"""

INI_INTRO = """The INI reader (`localization/IniFile.cpp`) reads each file as the wizard
reads `VG_Setup.ini` (undecodable text in code page 1252; the Greek file as
a Greek translation file, in code page 1253); the cell lists the section
names it returns and every key that reads a value (keys are looked up in
the first section of each name, letter case ignored, into the default
buffer of 2048 characters). Python's
`configparser.ConfigParser().read(path, encoding="utf-8")` is the peer: it
has no encoding detection, lowers the letters of key names, and in its
default strict mode refuses a key given twice in a section and a section
name given twice in the same letter case."""

REG_INTRO = """The registry file reader (`platform/RegistryFile.cpp`) behind
`VG_REGISTRY_FILE`. For every key line in the file the cell shows whether
the key opens, the text values that read, and the values named below the
key line that do not read at all (`…` stands for `\\SOFTWARE\\Varnek\\Gerrix`);
a value of another type reads as "not text" (the wizard gets an error).
There is no standard reader of these files on Linux to compare with."""


if __name__ == "__main__":
    main()
