#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (fuzz/corpus/<target>/) and dictionaries
(fuzz/<target>.dict) from the help window's command list and sample programs, the
sample programs in samples/, a few example lines, and small bitmaps of every
kind the reader takes. Run it again after the help texts change."""

import pathlib
import re
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
FUZZ = ROOT / "fuzz"


def help_table(name):
    """The UTF-8 entries of one std::array in ui/help_texts.cpp."""
    source = (ROOT / "ui" / "help_texts.cpp").read_text(encoding="utf-8")
    body = re.search(name + r"\s*=\s*\{(.*?)\n\};", source, re.S).group(1)
    entries = re.findall(r'^\s*"((?:[^"\\]|\\.)*)"', body, re.M)
    return [re.sub(r"\\u([0-9A-Fa-f]{4})", lambda m: chr(int(m.group(1), 16)), e) for e in entries]


def sjis(text):
    return text.encode("cp932")


EXAMPLE_LINES = [
    "fd 100 rt 90", "FD 50 RT 120 FD 50", "bk 30 lt 45", "pd 3", "pd 99", "pu", "pd",
    "cls", "rp", "rdi", "sho", "pos 200 100", "pos var1 var2", "var1 200", "var10 -5",
    "inc var1 10", "dec var2 5", "mlt var1 1.5", "div var1 0", "div var1 1.5e308",
    "fd var1", "rt 0", "fd 2147483647", "fd -2147483648", "repeat 3", "next",
    "まえに　１００", "くりかえし　３６", "ふやす　変数１　１０", "位置　２００ １００",
]

PROGRAMS = [
    ["repeat 2", "repeat 3", "fd 10", "next", "rt 90", "next"],
    ["var1 200", "repeat 70", "fd var1", "rt 90", "dec var1 3", "next"],
    ["repeat var1", "inc var1 1", "next"],
    ["repeat 2147483647", "next"],
    ["repeat 2147483647", "inc var1 1", "next"],
    ["repeat 1000000", "div var1 3", "next"],
    ["repeat x", "fd 10", "next"],
    ["next", "repeat 2"],
    ["repeat 4", "repeat 4", "repeat 4", "repeat 4", "fd 1", "next", "next", "next", "next"],
]


def bmp(width, height, bits, rows, palette=b"", compression=0, info=40, image=None, top_down=False):
    """A bitmap file; rows are the pixel bytes already packed (or the RLE stream)."""
    data = image if image is not None else b"".join(r + b"\0" * (-len(r) % 4) for r in rows)
    offset = 14 + info + len(palette)
    if info == 12:
        header = struct.pack("<IHHHH", 12, width, height, 1, bits)
    else:
        header = struct.pack("<IiiHHIIiiII", info, width, -height if top_down else height, 1, bits,
                             compression, len(data), 3780, 3780, 0, 0)
        header += b"\0" * (info - 40)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + header + palette + data


def bitmaps():
    grey = b"".join(bytes((i, i, i, 0)) for i in range(0, 256, 1))
    four = b"".join(bytes((i * 16, 255 - i * 16, i * 8, 0)) for i in range(16))
    two = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    yield "rgb24", bmp(5, 3, 24, [bytes(range(y, y + 15)) for y in range(3)])
    yield "rgb24-topdown", bmp(3, 2, 24, [b"\xff\0\0\0\xff\0\0\0\xff"] * 2, top_down=True)
    yield "rgb32", bmp(2, 2, 32, [b"\x10\x20\x30\0\x40\x50\x60\0"] * 2)
    yield "rgb16", bmp(3, 2, 16, [b"\x1f\x00\xe0\x03\x00\x7c"] * 2)
    yield "bitfields16", bmp(2, 2, 16, [b"\x1f\x00\xe0\x07"] * 2, palette=masks, compression=3)
    yield "pal8", bmp(4, 2, 8, [b"\x00\x40\x80\xff"] * 2, palette=grey)
    yield "pal4", bmp(5, 2, 4, [b"\x01\x23\x40"] * 2, palette=four)
    yield "pal1", bmp(9, 2, 1, [b"\xa5\x80"] * 2, palette=two)
    yield "rle8", bmp(4, 3, 8, [], palette=grey, compression=1,
                      image=b"\x04\x10\x00\x00\x02\x20\x00\x03\x30\x40\x50\x00\x00\x00\x01")
    yield "rle8-gaps", bmp(4, 3, 8, [], palette=grey, compression=1,
                           image=b"\x01\x10\x00\x02\x02\x01\x01\x20\x00\x00\x00\x01")
    yield "rle4", bmp(6, 2, 4, [], palette=four, compression=2,
                      image=b"\x06\x12\x00\x00\x00\x04\x34\x56\x00\x01")
    yield "core24", bmp(2, 2, 24, [b"\0\0\xff\0\xff\0"] * 2, info=12)
    yield "v5-24", bmp(2, 1, 24, [b"\x01\x02\x03\x04\x05\x06"], info=124)


def write_corpus(target, seeds):
    folder = FUZZ / "corpus" / target
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    unique = {}
    for name, data in seeds:
        unique.setdefault(data, name)
    for data, name in unique.items():
        (folder / name).write_bytes(data)


def write_dict(target, words):
    lines = ["# Words for the fuzzer to splice in; made by make_corpus.py."]
    for word in sorted(set(words)):
        lines.append('"' + "".join(chr(b) if 32 <= b < 127 and b not in (34, 92) else "\\x%02X" % b
                                   for b in word) + '"')
    (FUZZ / (target + ".dict")).write_text("\n".join(lines) + "\n", encoding="ascii")


def main():
    commands = help_table("kCommandList")
    samples = help_table("kSamplePrograms")
    files = sorted((ROOT / "samples").glob("*.kv"))

    line_seeds = [("command-%02d" % i, sjis(t)) for i, t in enumerate(commands, 1) if t]
    line_seeds += [("sample-%02d" % i, sjis(t)) for i, t in enumerate(samples, 1) if t]
    line_seeds += [("example-%02d" % i, sjis(t)) for i, t in enumerate(EXAMPLE_LINES, 1)]
    write_corpus("fuzz_line", line_seeds)

    crlf = lambda lines: b"\r\n".join(sjis(t) for t in lines)
    program_seeds = [("help-samples", crlf(samples)), ("help-repeat", crlf(samples[2:6])),
                     ("help-variables", crlf(samples[10:16]))]
    program_seeds += [("program-%02d" % i, crlf(p)) for i, p in enumerate(PROGRAMS, 1)]
    program_seeds += [(f.stem, f.read_bytes()) for f in files]
    write_corpus("fuzz_program", program_seeds)

    file_seeds = [(f.stem, f.read_bytes()) for f in files]
    file_seeds += [
        ("help-commands", crlf(commands)),
        ("trailing-break", crlf(samples[2:6]) + b"\r\n"),
        ("mixed-breaks", b"fd 10\rrt 90\nfd 10\r\n\r\n"),
        ("nul", b"fd 10\r\n\0rt 90"),
        ("nec-ibm-twins", b"\x87\x90\x81\xe0\r\n\xed\x40\xfa\x5c\r\n\x87\x54"),
        ("halfwidth-kana", b"\xb1\xb2\xb3 100"),
        ("lead-byte-at-end", b"fd 10\r\n\x82"),
        ("lead-before-break", b"\x82\r\n\x82\n"),
        # Typed as UTF-8: characters whose Shift-JIS form reads back as a look-alike.
        ("look-alikes", "§§£\n¥100 〜 − ‖".encode("utf-8")),
    ]
    write_corpus("fuzz_program_file", file_seeds)
    write_corpus("fuzz_picture", list(bitmaps()))

    words = [b"fd", b"bk", b"rt", b"lt", b"pd", b"pu", b"cls", b"rp", b"rdi", b"sho", b"pos", b"inc",
             b"dec", b"mlt", b"div", b"repeat", b"REPEAT", b"next", b"NEXT", b"var1", b"var10", b" ",
             b"2147483647", b"-2147483648", b"1.5e308", b"\x81\x40", b"\x82\x4f"]
    for entry in commands:
        for alias in re.split("[、\u3000 ]", entry):
            if alias and not alias.startswith("例") and len(alias) <= 8:
                words.append(sjis(alias))
    write_dict("fuzz_line", words)
    write_dict("fuzz_program", words + [b"\r\n", b"\n", b"\r"])
    write_dict("fuzz_program_file", [b"\r\n", b"\r", b"\n", b"\0", b"\x87\x90", b"\x81\xe0",
                                     b"\xed\x40", b"\xfa\x5c", b"\x82\xa0", b"\xb1", "£".encode("utf-8"),
                                     "〜".encode("utf-8")])
    write_dict("fuzz_picture", [b"BM", struct.pack("<I", 40), struct.pack("<I", 12),
                                struct.pack("<I", 124), struct.pack("<H", 1), struct.pack("<H", 4),
                                struct.pack("<H", 8), struct.pack("<H", 16), struct.pack("<H", 24),
                                struct.pack("<H", 32), struct.pack("<I", 3), b"\x00\x00", b"\x00\x01",
                                b"\x00\x02", struct.pack("<i", -1)])


if __name__ == "__main__":
    main()
