#!/usr/bin/env python3
"""Writes the crafted archives of the engine tests, each carrying one defect
named by its file name. Run from anywhere; the files land beside this script.
Every archive also holds "good.txt", which must always be extracted."""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
UNIX_FILE = 0o100644 << 16
UNIX_LINK = 0o120777 << 16
UNIX_FIFO = 0o010644 << 16
MADE_ON_UNIX = (3 << 8) | 30
MADE_ON_DOS = (0 << 8) | 20
DOS_TIME, DOS_DATE = 0x6000, 0x52A6  # 2021-05-06 12:00:00


def deflate(data):
    compressor = zlib.compressobj(6, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


class Entry:
    def __init__(self, name, data=b"", method=8, **fields):
        self.name = name if isinstance(name, bytes) else name.encode()
        self.data = data
        self.method = method
        self.payload = deflate(data) if method == 8 else data
        self.crc = zlib.crc32(data)
        self.size = len(data)
        self.flags = 0
        self.made_by = MADE_ON_UNIX
        self.attributes = UNIX_FILE
        self.local_name = None
        self.local_method = None
        self.offset = None  # the central offset, when it lies
        self.__dict__.update(fields)


def local_header(entry):
    name = entry.local_name if entry.local_name is not None else entry.name
    method = entry.local_method if entry.local_method is not None else entry.method
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, entry.flags, method, DOS_TIME, DOS_DATE,
                       entry.crc, len(entry.payload), entry.size, len(name), 0) + name


def central_header(entry, offset):
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, entry.made_by, 20, entry.flags, entry.method,
                       DOS_TIME, DOS_DATE, entry.crc, len(entry.payload), entry.size, len(entry.name), 0, 0, 0,
                       0, entry.attributes, offset) + entry.name


def end_record(count, size, offset, disk=0, count_override=None):
    stated = count if count_override is None else count_override
    return struct.pack("<IHHHHIIH", 0x06054B50, disk, disk, stated, stated, size, offset, 0)


def archive(entries, **options):
    out = bytearray()
    offsets = []
    for entry in entries:
        offsets.append(len(out))
        out += local_header(entry) + entry.payload
    central = bytearray()
    for entry, offset in zip(entries, offsets):
        central += central_header(entry, offset if entry.offset is None else entry.offset)
    start = len(out)
    out += central
    out += end_record(len(entries), len(central), start, options.get("disk", 0), options.get("count"))
    return bytes(out)


def good():
    return Entry("good.txt", b"good content\n" * 10)


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    secret = b"must never leave the extraction folder\n"
    write("traversal-dotdot.zip", archive([Entry("../outside/sentinel.txt", secret), good()]))
    write("traversal-backslash.zip", archive([Entry("..\\outside\\sentinel.txt", secret), good()]))
    write("traversal-nested.zip", archive([Entry("a/../../outside/sentinel.txt", secret), good()]))
    write("traversal-trailing-dotdot.zip", archive([Entry("a/b/..", secret), good()]))
    write("absolute-path.zip", archive([Entry("/tmp/vg-engine-absolute-evil.txt", secret), good()]))
    write("absolute-backslash.zip", archive([Entry("\\vg-engine-absolute-evil.txt", secret), good()]))
    write("drive-letter.zip", archive([Entry("C:\\vg-evil.txt", secret), Entry("c:vg-evil.txt", secret), good()]))
    write("unc-path.zip", archive([Entry("\\\\server\\share\\evil.txt", secret),
                                   Entry("//server/share/evil.txt", secret), good()]))
    write("nul-in-name.zip", archive([Entry(b"evil.txt\x00../../outside/sentinel.txt", secret), good()]))
    write("control-character.zip", archive([Entry("evil\n.txt", secret), good()]))
    write("empty-component.zip", archive([Entry("a//evil.txt", secret), good()]))
    write("symlink-entry.zip", archive([Entry("link", b"../outside", method=0, attributes=UNIX_LINK),
                                        Entry("link/sentinel.txt", secret), good()]))
    write("device-file-entry.zip", archive([Entry("pipe", b"", method=0, attributes=UNIX_FIFO), good()]))

    # Two central entries pointing at one local header.
    first = Entry("first.txt", b"first\n" * 50)
    twin = Entry("second.txt", b"first\n" * 50, offset=0)
    write("overlapping-entries.zip", archive([first, good(), twin]))

    long_entry = Entry("runs-into-directory.txt", b"x" * 100, method=0)
    long_entry.payload = b"x" * 100
    data = bytearray(archive([good(), long_entry]))
    # State a compressed size reaching into the central directory.
    central = data.index(b"PK\x01\x02", data.index(b"PK\x01\x02") + 1)
    struct.pack_into("<I", data, central + 20, 130)
    write("data-overlaps-central-directory.zip", bytes(data))

    write("offset-beyond-archive.zip", archive([Entry("far.txt", b"far\n", offset=0x7FFFFFF0), good()]))

    bad_crc = Entry("crc-error.txt", b"content with a wrong checksum\n", method=0)
    bad_crc.crc ^= 0x00FF00FF
    write("crc-error.zip", archive([bad_crc, good()]))

    larger = Entry("larger-than-stated.txt", b"0123456789" * 100)
    larger.size = 100
    write("size-larger-than-stated.zip", archive([larger, good()]))

    smaller = Entry("smaller-than-stated.txt", b"0123456789" * 100)
    smaller.size = 5000
    write("size-smaller-than-stated.zip", archive([smaller, good()]))

    damaged = Entry("damaged-deflate.txt", b"some text that compresses\n" * 40)
    damaged.payload = bytes([0xFF]) + damaged.payload[1:]
    write("deflate-data-damaged.zip", archive([damaged, good()]))

    write("local-name-differs.zip", archive([Entry("listed.txt", b"listed\n", local_name=b"hidden.txt"), good()]))
    write("local-method-differs.zip", archive([Entry("method.txt", b"method\n", method=0, local_method=8), good()]))
    write("unsupported-method.zip", archive([Entry("deflate64.txt", b"abc", method=9), good()]))
    write("strong-encryption.zip", archive([Entry("strong.txt", b"abc", method=0, flags=0x41), good()]))

    whole = archive([good(), Entry("second.txt", b"second\n" * 100)])
    write("truncated-archive.zip", whole[: len(whole) // 2])
    write("entry-count-too-large.zip", archive([good()], count=60000))
    write("multi-disk.zip", archive([good()], disk=1))
    write("not-a-zip.zip", b"This is a text file, not an archive.\n" * 10)

    oem = Entry(b"caf\x82 \x8e.txt", b"OEM name\n", made_by=MADE_ON_DOS, attributes=0x20)
    write("oem-name.zip", archive([oem, good()]))

    # A writer that stores UTF-8 names without bit 11 on a DOS host: read as
    # OEM text, as the format says, so written under another name.
    unmarked = Entry("Größe_é.txt".encode(), b"UTF-8 name without its mark\n", made_by=MADE_ON_DOS,
                     attributes=0x20)
    write("utf8-name-unmarked-dos.zip", archive([unmarked, good()]))


if __name__ == "__main__":
    main()
