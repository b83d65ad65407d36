#!/usr/bin/env python3
"""Fixtures of the cabinet engine's tests and benchmark, made during the build.

  payload DIR             real files (text, random, zeros, mixed) that gcab packs into mszip.cab
  cabinets DIR            LZX cabinets of our own writer and every image (length N + cabinet) the
                          tests carry as resources, sound and malformed; needs DIR/mszip.cab
  bench-payload DIR MB    about MB megabytes of mixed, partly compressible files
  image CABINET IMAGE     the image of a cabinet: its length as 32 bits, then the cabinet

No packaged tool writes LZX. The LZX cabinets here hold uncompressed LZX blocks (block type 3):
valid LZX (compression type 0x1503, a window of 2^21 bytes) that the platform's decoder must
set up and read like any other, without Huffman-coded data.
"""

import os
import random
import struct
import sys

FRAME = 32768  # uncompressed bytes per data block
LZX_21 = 0x1503
TYPE_NONE = 0x0000
NAME_IS_UTF = 0x80


def checksum(data, seed=0):
    """The cabinet data-block checksum: XOR of little-endian 32-bit words, tail bytes reversed."""
    csum = seed
    whole = len(data) // 4 * 4
    for (word,) in struct.iter_unpack("<I", data[:whole]):
        csum ^= word
    tail = data[whole:]
    ul = 0
    if len(tail) == 3:
        ul = tail[0] << 16 | tail[1] << 8 | tail[2]
    elif len(tail) == 2:
        ul = tail[0] << 8 | tail[1]
    elif len(tail) == 1:
        ul = tail[0]
    return csum ^ ul


class BitWriter:
    """LZX bit stream: bits fill 16-bit little-endian words from the most significant bit."""

    def __init__(self):
        self.words = []
        self.current = 0
        self.used = 0

    def write(self, value, count):
        for i in reversed(range(count)):
            self.current = self.current << 1 | (value >> i) & 1
            self.used += 1
            if self.used == 16:
                self.words.append(self.current)
                self.current, self.used = 0, 0

    def aligned_bytes(self):
        # An uncompressed block starts at the next 16-bit boundary; when the header ends on
        # one, 16 bits of padding follow all the same.
        self.write(0, 16 - self.used if self.used else 16)
        return b"".join(struct.pack("<H", w) for w in self.words)


def lzx_frame(chunk, first, block_type=3):
    """One data block holding one whole uncompressed LZX block of the chunk."""
    bits = BitWriter()
    if first:
        bits.write(0, 1)  # no Intel E8 translation
    bits.write(block_type, 3)
    bits.write(len(chunk), 24)
    body = bits.aligned_bytes() + struct.pack("<III", 1, 1, 1) + chunk
    if len(chunk) & 1:
        body += b"\0"  # an odd-sized uncompressed block is padded to a 16-bit boundary
    return body


def dos_date_time(year, month, day, hour, minute, second):
    return (year - 1980) << 9 | month << 5 | day, hour << 11 | minute << 5 | second // 2


DEFAULT_STAMP = dos_date_time(2024, 5, 17, 10, 30, 44)


def write_cabinet(files, compression=LZX_21, block_type=3, set_id=1):
    """A single-folder cabinet; files are (stored name as bytes, data, attributes, (date, time))."""
    stream = b"".join(f[1] for f in files)
    blocks = []
    for index, offset in enumerate(range(0, len(stream), FRAME)):
        chunk = stream[offset:offset + FRAME]
        data = lzx_frame(chunk, index == 0, block_type) if compression == LZX_21 else chunk
        sizes = struct.pack("<HH", len(data), len(chunk))
        blocks.append(struct.pack("<I", checksum(sizes, checksum(data))) + sizes + data)

    entries = b""
    folder_offset = 0
    for name, data, attributes, (date, time) in files:
        entries += struct.pack("<IIHHHH", len(data), folder_offset, 0, date, time, attributes) + name + b"\0"
        folder_offset += len(data)

    header_size, folder_size = 36, 8
    files_offset = header_size + folder_size
    data_offset = files_offset + len(entries)
    total = data_offset + sum(len(b) for b in blocks)
    header = struct.pack("<4sIIIIIBBHHHHH", b"MSCF", 0, total, 0, files_offset, 0, 3, 1, 1, len(files), 0,
                         set_id, 0)
    folder = struct.pack("<IHH", data_offset, len(blocks), compression)
    return header + folder + entries + b"".join(blocks)


def image(cabinet, length=None):
    return struct.pack("<I", len(cabinet) if length is None else length) + cabinet


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def text_lines(rng, size):
    words = ["cabinet", "folder", "installer", "database", "package", "resource", "progress", "window",
             "transform", "launcher", "service", "product", "language", "feature", "component"]
    lines = [" ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + "\r\n" for _ in range(300)]
    text = "".join(rng.choices(lines, k=size // 40 + 1))
    while len(text) < size:
        text += rng.choice(lines)
    return text.encode("ascii")[:size]


def mixed(rng, size, weights=None):
    """Partly compressible data: runs of text, random bytes, zeros and repeated records (in
    proportion to weights, equal by default)."""
    out = bytearray()
    while len(out) < size:
        kind = rng.choices(range(4), weights)[0] if weights else rng.randrange(4)
        run = rng.randint(4096, 262144)
        if kind == 0:
            out += text_lines(rng, run)
        elif kind == 1:
            out += rng.randbytes(run)
        elif kind == 2:
            out += bytes(run)
        else:
            record = rng.randbytes(rng.randint(16, 200))
            out += (record * (run // len(record) + 1))[:run]
    return bytes(out[:size])


def make_payload(directory):
    rng = random.Random(7)
    write(os.path.join(directory, "readme.txt"), text_lines(rng, 150 * 1024 + 7))
    # Larger than the 1 MB file system of the disk-full test, and incompressible.
    write(os.path.join(directory, "random.bin"), rng.randbytes(1536 * 1024))
    write(os.path.join(directory, "zeros.bin"), bytes(256 * 1024))
    write(os.path.join(directory, "empty.txt"), b"")
    write(os.path.join(directory, "sub", "Product.msi"), mixed(rng, 300 * 1024 + 3))


# Stored names of names.cab and what each must become: the name of the extracted file, or None
# when the file is skipped. The tests hold the same table.
HOSTILE_NAMES = [
    (b"good.txt", "good.txt"),
    (b"sub\\nested.msi", "nested.msi"),
    (b"a/b/slashed.txt", "slashed.txt"),
    (b"..\\..\\escaped.txt", "escaped.txt"),
    (b"../../../unix-escaped.txt", "unix-escaped.txt"),
    (b"C:\\Windows\\absolute.txt", "absolute.txt"),
    (b"\\\\server\\share\\unc.txt", "unc.txt"),
    (b"..\\", None),
    (b"..", None),
    (b".", None),
    (b"dir\\..", None),
    (b"", None),
    (b". .", None),
    (b"C:drive-relative.txt", None),
    (b"stream.txt:hidden", None),
    (b"NUL", None),
    (b"con.txt", None),
    (b"sub\\COM1", None),
    (b"wild*card.txt", None),
    (b"y" * 240, None),  # a valid stored name whose path in the destination is too long
    ("Größe.txt".encode("utf-8"), "Größe.txt"),
]


def make_cabinets(directory):
    rng = random.Random(11)
    package = mixed(rng, 3 * FRAME + 1235)  # several data blocks, the last one of odd size
    notes = text_lines(rng, 5000)
    lzx = write_cabinet([(b"Package.msi", package, 0x20, DEFAULT_STAMP), (b"notes.txt", notes, 0x20, DEFAULT_STAMP)])
    write(os.path.join(directory, "lzx.cab"), lzx)
    write(os.path.join(directory, "lzx-Package.msi"), package)
    write(os.path.join(directory, "lzx-notes.txt"), notes)

    names = []
    for index, (stored, _) in enumerate(HOSTILE_NAMES):
        attributes = 0x20 | (NAME_IS_UTF if any(b > 0x7F for b in stored) else 0)
        names.append((stored, b"file %d\r\n" % index, attributes, DEFAULT_STAMP))
    names_cab = write_cabinet(names)
    # Longer than a stored name may be: the library may refuse the cabinet or announce the name.
    long_name = write_cabinet([(b"x" * 300, b"long\r\n", 0x20, DEFAULT_STAMP),
                               (b"after.txt", b"after\r\n", 0x20, DEFAULT_STAMP)])

    # Read-only, hidden and system in the cabinet; a fixed local time stamp.
    dated = write_cabinet([(b"dated.txt", b"stamped\r\n", 0x27, dos_date_time(2019, 3, 14, 15, 9, 26))])
    stored = write_cabinet([(b"stored.txt", notes, 0x20, DEFAULT_STAMP)], compression=TYPE_NONE)

    with open(os.path.join(directory, "mszip.cab"), "rb") as f:
        mszip = f.read()
    folder_data = struct.unpack_from("<I", mszip, 36)[0]
    corrupt_block = bytearray(mszip)
    corrupt_block[folder_data + 8 + 100] ^= 0x55  # inside the first data block; its checksum stays
    bad_block_type = write_cabinet([(b"Package.msi", package, 0x20, DEFAULT_STAMP)], block_type=7)

    images = {
        "mszip.img": image(mszip),
        "lzx.img": image(lzx),
        "names.img": image(names_cab),
        "dated.img": image(dated),
        "stored.img": image(stored),
        "long-name.img": image(long_name),
        # Malformed.
        "short.img": b"\x10\x00\x00",
        "zero-length.img": image(b""),
        "lying-length.img": image(mszip, len(mszip) + 4096),
        "lying-huge.img": image(lzx, 0xFFFFFFF0),
        "truncated.img": image(mszip[:len(mszip) // 2]),
        "truncated-header.img": image(mszip[:20]),
        "corrupt-block.img": image(bytes(corrupt_block)),
        "bad-lzx-block.img": image(bad_block_type),
        "not-a-cabinet.img": image(random.Random(3).randbytes(5000)),
    }
    for name, data in images.items():
        write(os.path.join(directory, name), data)


def make_bench_payload(directory, megabytes):
    rng = random.Random(2024)
    total = megabytes * 1024 * 1024
    sizes = [total // 10] * 9
    sizes.append(total - sum(sizes))
    for index, size in enumerate(sizes):
        # Mostly random bytes, so that the cabinet stays above half the size of its files.
        write(os.path.join(directory, "part%02d.bin" % index), mixed(rng, size, (3, 5, 1, 1)))


def main(argv):
    command = argv[1] if len(argv) > 1 else ""
    if command == "payload" and len(argv) == 3:
        make_payload(argv[2])
    elif command == "cabinets" and len(argv) == 3:
        make_cabinets(argv[2])
    elif command == "bench-payload" and len(argv) == 4:
        make_bench_payload(argv[2], int(argv[3]))
    elif command == "image" and len(argv) == 4:
        with open(argv[2], "rb") as f:
            write(argv[3], image(f.read()))
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
