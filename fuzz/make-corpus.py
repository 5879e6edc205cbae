#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/.

Each seed is an input laid out the way its target reads it. Run it again after changing a layout and commit
the files; a file's name is a digest of its bytes, so unchanged seeds keep their names.
"""
import hashlib
import os
import shutil
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for seed in seeds:
        name = hashlib.sha1(seed).hexdigest()[:16]
        with open(os.path.join(folder, name), "wb") as f:
            f.write(seed)


# --- Formatting engine: data[0] places the split, data[1:split] feeds the arguments, the rest is the format.

# Argument bytes in the order the harness takes them: long string, Pascal string, C string, substring
# length, rectangle, typed value, then the 32/64-bit words and doubles the conversions read.
FORMAT_ARGS = (
    bytes([5]) + b"hello"
    + bytes([5]) + b"world"
    + b"CSTRING-" * 5 + b"1234567"
    + bytes([3])
    + struct.pack(">4h", 1, 2, 3, 4)
    + struct.pack("<d", 1234.5678) + struct.pack("<d", -0.25) + bytes(16)
    + struct.pack(">I", 42) + struct.pack(">I", 0xFFFFFFD6)
    + struct.pack(">Q", 0x3FF8000000000000) + struct.pack(">Q", 1 << 40)
)

FORMATS = [
    "%d", "%i", "%u", "%x", "%o", "%b", "%a", "%e", "%E", "%g", "%G", "%f", "%F",
    "%c", "%2c", "%4c", "%5c", "%s", "%.3s", "%5.3s", "%-5.3s", "%p", "%lp", "%P", "%H", "%h", "%hd",
    "%z", "%R", "%r", "%Q", "%q", "%%", "%", "%5d", "%05d", "%-5d|", "%lld", "%Id", "%ld", "%.2f", "%10.3e",
    "%{iB}d", "%{iW}x", "%{iL}o", "%{iQ}b", "%{uB}u", "%{uW}d", "%{uL}x", "%{uQ}u",
    "%{fS}f", "%{fD}e", "%{fX}g", "%{cS}f", "%{cD}e", "%{cX}g", "%{*}d", "%{xy}d", "%{iL}",
    "%,;%.2f%;%.2f", "%.;%f", "%\\2C;%f",
    "%2$s %1$s", "%1$d %2$f %3$s", "%1$d %1$x", "%10$d", "%11$d", "%1$d %s", "%1$d %1$f",
    "a\\nb", "\\41\\q\\s\\t\\b\\f\\r\\\\\\%", "\\0A\\A\\FF\\", "%X", "%n", "%I64d", "%-08.3f|%+d",
    "x=%d y=%5.1f name=%s rect=%R pt=%Q",
]


def format_engine():
    seeds = []
    for fmt in FORMATS:
        text = fmt.encode("latin-1")
        seeds.append(bytes([len(FORMAT_ARGS)]) + FORMAT_ARGS + text)
    # A double-byte character whose second byte is '%' or '\' in the format.
    seeds.append(bytes([len(FORMAT_ARGS)]) + FORMAT_ARGS + b"\x81\x25d\x81\x5c")
    return seeds


FORMAT_DICT = sorted({
    *["%" + c for c in "diuxobaeEgGfFcspPHhzRrQq%"],
    "{iB}", "{iW}", "{iL}", "{iQ}", "{uB}", "{uW}", "{uL}", "{uQ}", "{fS}", "{fD}", "{fX}", "{cS}", "{cD}",
    "{cX}", "{*}", "%1$", "%2$", "%10$", "%;", "%,;", "%.;", "ll", "I", "l", ".3", "05", "-", "\\n", "\\A",
    "\\0A", "\\s", "\\t", "\\41", "\\\\",
})


# --- Number text: the whole input is a real-number text; bytes 0-2 also steer the integer reader and the
# first 36 bytes the renderer.

NUMBER_TEXTS = [
    "0", "-0", "+0", "7", "123", "-42", "+42", "00012", "1.5", ".5", "5.", "-.05", "123.45", "1,5",
    "1e10", "1E-10", "-1.25e+300", "2.5E-320", "1e5000", "-1e-5000", "1e", "1e+", ".", "-", "+", "e5",
    "123456789012345678901234567890", "0.000000000000000000001234567890123456789",
    "1 000", "- 5", "+ 0.5", "Inf", "-inf", "INF", "NaN", "nan", "-NaN", "Infinity", "1.7976931348623157e308",
    "4.9406564584124654e-324", "9007199254740993", "0x1F", "1_0", "12abc",
]

# (type byte, base byte) for the integer reader: type 1 + b % 8, base 2 + b % 35.
INTEGER_TEXTS = [
    (2, 8, "255"), (2, 8, "-2147483648"), (2, 8, "2147483648"), (3, 8, "-9223372036854775808"),
    (3, 8, "99999999999999999999"), (6, 14, "FFFFFFFF"), (7, 14, "ffffffffffffffff"), (2, 0, "1011"),
    (2, 6, "777"), (0, 8, "-129"), (4, 8, "65536"), (2, 34, "zz"), (2, 8, "  12"), (2, 8, "+7x"),
]

# Renderer: 32-byte value, 16-bit format code, type (low 4 bits; bit 4 asks for the exponent), buffer size.
RENDER_VALUES = {
    1: struct.pack("<b", -100), 2: struct.pack("<h", -30000), 3: struct.pack("<i", -2000000000),
    4: struct.pack("<q", -(1 << 62)), 5: struct.pack("<B", 200), 6: struct.pack("<H", 60000),
    7: struct.pack("<I", 4000000000), 8: struct.pack("<Q", (1 << 64) - 1), 9: struct.pack("<f", 3.25),
    10: struct.pack("<d", -1234.5678e-3),
    11: (0xC000000000000000).to_bytes(8, "little") + (0x4000).to_bytes(2, "little"),
    12: struct.pack("<ff", 1.5, -2.5), 13: struct.pack("<dd", 1e300, -1e-300),
    14: (0x8000000000000000).to_bytes(8, "little") + (0x3FFF).to_bytes(2, "little") + bytes(6)
    + (0x8000000000000000).to_bytes(8, "little") + (0xBFFF).to_bytes(2, "little"),
}
RENDER_CODES = [64, 65, 66, 67, 68, 0, -6, -63, 1, 7, 17, 63, 100, 103, 131, 134, 200, 512, -97]


def number_text():
    seeds = [t.encode() for t in NUMBER_TEXTS]
    seeds += [bytes([t, b, 0]) + s.encode() for t, b, s in INTEGER_TEXTS]
    seeds += [bytes([t, b, 3]) + s.encode() for t, b, s in INTEGER_TEXTS[:4]]
    for i, (type_code, value) in enumerate(sorted(RENDER_VALUES.items())):
        for j, code in enumerate(RENDER_CODES):
            if (i + j) % 3:
                continue  # every type and every code, not every pair
            value32 = value.ljust(32, b"\0")
            flags = type_code | (16 if code >= 100 else 0)
            seeds.append(value32 + struct.pack("<h", code) + bytes([flags, 40 if j % 2 else 7]))
    seeds.append(bytes(32) + struct.pack("<h", 64) + bytes([12, 30]))  # complex type with value zero
    return seeds


NUMBER_DICT = ["Inf", "NaN", "e+", "E-", "e", ".", ",", "-", "+", "0x", "1e308", "1e-324", "999999999999999999"]


# --- Command lines, GUID texts.

COMMAND_LINES = [
    "", "prog", "a b c", "  leading and trailing  ", "tab\tseparated\targs", '"quoted arg" plain',
    '"unterminated quote', '""', '"" ""', '"a"b c', 'a"b"c', '-pref "/tmp/with space/prefs.ini" -- user args',
    "--", "-pref", "\"\t\"", "a  \t  b", "x" * 300, "caf\xe9 \xe2\x82\xac",
]

GUIDS = [
    "00000000-0000-0000-0000-000000000000", "ffffffff-ffff-ffff-ffff-ffffffffffff",
    "6B29FC40-CA47-1067-B31D-00DD010662DA", "6b29fc40-ca47-1067-b31d-00dd010662da",
    "6b29FC40-ca47-1067-B31d-00dd010662DA", "{6b29fc40-ca47-1067-b31d-00dd010662da}",
    "6b29fc40ca471067b31d00dd010662da", "6b29fc40-ca47-1067-b31d-00dd010662d", "6b29fc40-ca47-1067-b31d-00dd010662daa",
    "6b29fc40-ca47-1067-b31d_00dd010662da", "6b29fc4g-ca47-1067-b31d-00dd010662da", "",
]


# --- UTF-8 stepping: the whole input is the text; an odd first byte walks it in code page 932 too.

UTF8_TEXTS = [
    b"a", b"ascii only text", "é".encode(), "€".encode(), "😀".encode(), "aé€😀".encode(),
    "日本語のテキスト".encode(), b"\xf8\x88\x80\x80\x80", b"\xfc\x84\x80\x80\x80\x80",  # five and six bytes
    b"\xc0\x80", b"\xe0\x80\x80", b"\xf0\x80\x80\x80",  # overlong
    b"\xed\xa0\x80", b"\xed\xbf\xbf", b"\xf4\x90\x80\x80", b"\xef\xbf\xbf", b"\xf4\x8f\xbf\xbf",
    b"\xc3", b"\xe2\x82", b"\xf0\x9f\x98", b"\x80", b"\xbf\x80", b"\xfe\xff", b"a\xc3\xa9\xe2",
]


def sjis_lead_bytes():
    return [b for b in range(0x81, 0xA0)] + [b for b in range(0xE0, 0xFD)]


def utf8_stepping():
    seeds = [(b"\x01" if i % 2 else b"") + t for i, t in enumerate(UTF8_TEXTS)]
    seeds.append(b"\x01" + b"".join(bytes([b, 0x40]) for b in sjis_lead_bytes()))
    seeds.append(b"\x01" + b"".join(bytes([b]) for b in sjis_lead_bytes()))  # each lead before another lead
    seeds.append(b"\x01a\x82")  # a lead byte just before the end
    return seeds


# --- Numeric conversion: from-type, to-type, then 20 bytes of value (an extended value in the first ten).

NUMERIC_VALUES = {
    1: struct.pack("<b", -5), 3: struct.pack("<i", 123456), 4: struct.pack("<q", -(1 << 53) - 1),
    7: struct.pack("<I", 0xFFFFFFFF), 8: struct.pack("<Q", 1 << 63), 9: struct.pack("<f", -1.5e-40),
    10: struct.pack("<d", 1e308), 11: (0x8000000000000000).to_bytes(8, "little") + (0x3FFF).to_bytes(2, "little"),
    12: struct.pack("<ff", 1.0, -1.0), 13: struct.pack("<dd", float("inf"), float("nan")),
    14: (0xC000000000000001).to_bytes(8, "little") + (0x7FFF).to_bytes(2, "little") + bytes(10),
}
EXTENDED_SPECIALS = [
    bytes(10), (1).to_bytes(8, "little") + bytes(2),  # zero, smallest subnormal
    (0x8000000000000000).to_bytes(8, "little") + (0x7FFF).to_bytes(2, "little"),  # infinity
    (0xC000000000000000).to_bytes(8, "little") + (0xFFFF).to_bytes(2, "little"),  # negative NaN
    (0x4000000000000000).to_bytes(8, "little") + (0x4000).to_bytes(2, "little"),  # unnormal
]


def numeric_convert():
    seeds = []
    types = sorted(NUMERIC_VALUES)
    for i, src in enumerate(types):
        for dst in (types[(i + 1) % len(types)], types[(i + 5) % len(types)], 10, 11):
            seeds.append(bytes([src, dst]) + NUMERIC_VALUES[src].ljust(20, b"\0"))
    seeds += [bytes([11, 10]) + v.ljust(20, b"\0") for v in EXTENDED_SPECIALS]
    seeds.append(bytes([0xFF, 0x20]) + bytes(20))  # codes outside the types
    return seeds


# --- String utilities: control byte, then text, pattern and replacement separated by 0xFF.

def fields(control, text, pattern=b"", replacement=b""):
    return bytes([control]) + text + b"\xff" + pattern + b"\xff" + replacement


def string_utils():
    return [
        fields(3, b"a,b,,c,", b",", b";"),
        fields(1, b"  \tpadded text\t  ", b" "),
        fields(2, b"one two  three", b" ", b"_"),
        fields(3, b"code /* block */ more /* open", b"/*", b"*/"),
        fields(0, b"value = 1 // note\r\nnext ; other\n", b"//", b""),
        fields(4, b"aaaa", b"aa", b"b"),
        fields(5, b"find me, find me", b"find", b"lose"),
        fields(7, "Grüße, 日本, 😀".encode(), ", ".encode(), b"|"),
        fields(3, b'"quoted"', b'"', b"'"),
        fields(200, b"x" * 64, b"x", b""),
        fields(3, b"\xc3\x28 \xed\xa0\x80 \xf0\x9f", b"\xc3", b"?"),
        fields(3, b"PStr split at char", b" ", b"PStr"),
    ]


# --- Buffer converters: code-page choice, output-size choice, flags, then the text (also read as UTF-16LE).

CODE_PAGES = [1252, 932, 936, 949, 950, 1251, 1250, 65001]
# Around the size that just fits: exactly, one short, three short; and small absolute sizes.
SIZE_CHOICES = [0x80, 0x81, 0x83, 0x00, 0x01, 0x02, 0x05]
DOUBLE_BYTE_LEADS = {932: sjis_lead_bytes(), 936: range(0x81, 0xFF), 949: range(0x81, 0xFF), 950: range(0x81, 0xFF)}


def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")


def text_converters():
    seeds = []
    texts = [
        b"", b"a", "é".encode(), "€a".encode(), "😀".encode(), "aé€😀".encode(), b"\xc3", b"\xed\xa0\x80",
        b"\xf4\x90\x80\x80", b"a\0b", utf16("é"), utf16("€a"), utf16("😀"), utf16("\ud800x"), utf16("\udc00"),
        utf16("日本語"), b"caf\xe9 \x80\x81\x8d\x8f\x90\x9d", bytes(range(0x80, 0x100)),
    ]
    for i, text in enumerate(texts):
        for j, size in enumerate(SIZE_CHOICES):
            if (i + j) % 2:
                continue
            seeds.append(bytes([(i + j) % len(CODE_PAGES), size, i & 1]) + text)
    # Every double-byte page's lead bytes, each with a trail byte, and one lone lead byte at the end.
    for page, leads in DOUBLE_BYTE_LEADS.items():
        index = CODE_PAGES.index(page)
        pairs = b"".join(bytes([b, 0xA1 if page != 932 else 0x40]) for b in leads)
        seeds.append(bytes([index, 0x80, 0]) + pairs)
        seeds.append(bytes([index, 0x81, 1]) + pairs + bytes([leads[0]]))
    return seeds


# --- Binary reader: byte 0 picks the converter (bits 3+, mod 3) and the source (bit 2: a long string), byte 1
# counts the operation bytes that follow (low 5 bits: the read, high 3 bits: its count or alignment), then the
# stream.

def reader_seed(selector, ops, stream):
    return bytes([selector, len(ops)]) + bytes(ops) + stream


def bindata_reader():
    every_read = list(range(0, 21)) + [0x2E, 0x4F, 0x72, 0x93, 0xF4, 0xE5]
    values = (struct.pack(">bBhHiIqQ", -1, 2, -3, 4, -5, 6, -7, 8) + b"STR#" + struct.pack(">fd", 1.5, -0.25)
              + bytes([0x3F, 0xFF] + [0] * 14) + b"\x01")
    strings = bytes([3]) + b"abc" + struct.pack(">i", 5) + b"hello" + struct.pack(">i", 0)
    seeds = []
    for selector in (0, 8, 16, 4, 12):
        seeds.append(reader_seed(selector, every_read, values + strings + PATH_RECORDS[0]))
        seeds.append(reader_seed(selector, [17, 16, 17], struct.pack(">i", 1000) + b"x" * 100))
        seeds.append(reader_seed(selector, [17], struct.pack(">i", 3000000) + b"x" * 100))
        seeds.append(reader_seed(selector, [17, 5], struct.pack(">i", -1) + b"abcd"))
        seeds.append(reader_seed(selector, [13, 13, 1], PATH_RECORDS[1] + PATH_RECORDS[2] + b"\x07"))
        seeds.append(reader_seed(selector, [14, 0x2E, 0x6E, 20, 0xF4], bytes([3]) + b"abc" + bytes([1]) + b"z" * 20))
    seeds.append(reader_seed(0, [7] * 4, b"\xff" * 9))
    return seeds


# --- Flattened paths: byte 0 picks the converter (mod 3), the rest is the record.

def pth0(type_code, items, order=">"):
    body = struct.pack(order + "HH", type_code, len(items)) + b"".join(bytes([len(i)]) + i for i in items)
    return b"PTH0" + struct.pack(order + "I", len(body)) + body


def pth2(tag, items, magic=b"PTH2", order=">"):
    body = tag + b"".join(struct.pack(order + "H", len(i)) + i for i in items)
    return magic + struct.pack(order + "I", len(body)) + body


PATH_RECORDS = [
    pth0(1, [b"", b"a"]),
    pth0(0, [b"C", b"Program Files", b"app"]),
    pth2(b"rel ", [b"", b"a"]),
    pth2(b"abs ", [b"home", "caf\u00e9".encode("utf-8"), "\u4e2d".encode("utf-8")], b"PTH1"),
    pth2(b"unc ", [b"server", b"share"]),
    pth0(2, []),
    pth0(3, [b"srv", b"share", b"dir"]),
    pth2(b"!pth", []),
    b"PTH0" + bytes(8),
    pth0(1, [b"a", b".", b"..", b"b"]),
    pth0(9, [b"x"]),
    pth2(b"abs ", [b"n" * 300]),
]


def path_flatten():
    seeds = [bytes([0]) + r for r in PATH_RECORDS]
    seeds += [bytes([1]) + pth0(0, [b"vol", b"dir"], "<"), bytes([2]) + pth2(b"rel ", [b"x"], order="<")]
    # Broken on purpose: short header, bad magic, items past L, negative length, bad tag.
    seeds += [bytes([0]) + b"PTH0\0\0", bytes([0]) + b"PTH9" + bytes(8),
              bytes([0]) + b"PTH0" + struct.pack(">IHHB", 6, 0, 1, 3) + b"abc",
              bytes([0]) + b"PTH2" + struct.pack(">I", 6) + b"abs " + b"\x80\x00",
              bytes([0]) + b"PTH2" + struct.pack(">I", 4) + b"xyz "]
    return seeds


# --- Path text: data[0] picks the code page (1252, 932, 936, 949), the rest is the text every reader reads.
PATH_TEXTS = [
    "C:\\a\\b.txt", "C:\\", "\\\\srv\\share\\dir", "..\\..\\x", "a\\.\\b", "/home/ann/a.txt", "/",
    "../x/./y", "//srv/share/x", "rel/path", "vol:dir:file", ":up:dir", "\"quoted name\"", "C:/mixed\\seps",
    "a*b?c", "name.tar.gz", ".profile", "", "\\a\\", "D:..\\b",
]


def path_text():
    seeds = [bytes([page]) + t.encode("latin-1") for page in range(4) for t in PATH_TEXTS]
    # Double-byte names whose trail byte is a backslash or a slash, under each double-byte page.
    for page, lead in ((1, 0x95), (2, 0x81), (3, 0x81)):
        seeds.append(bytes([page]) + b"C:\\" + bytes([lead, 0x5C]) + b"\\x")
        seeds.append(bytes([page]) + b"/a/" + bytes([lead, 0x2F]) + b"/b")
    return seeds


# --- Resource files, laid out by this script's own writer as the library writes them: header, blocks, map.

def resource_image(resources, ftype=b"TEST", creator=b"tqcr", version=3):
    """resources: list of (type, id, bytes, name or b"") in the order given; types keep first-seen order."""
    types = []
    for r in resources:
        if r[0] not in types:
            types.append(r[0])
    data = b""
    names = b""
    offsets = {}
    for i, (rtype, rid, body, name) in enumerate(resources):
        offsets[i] = len(data)
        data += struct.pack(">I", len(body)) + body + bytes(-len(body) % 4)
    entries = b""
    type_list = struct.pack(">i", len(types) - 1)
    first = 4 + 12 * len(types)
    for t in types:
        mine = sorted((r for r in enumerate(resources) if r[1][0] == t), key=lambda r: r[1][1])
        type_list += t + struct.pack(">iI", len(mine) - 1, first + len(entries))
        for i, (rtype, rid, body, name) in mine:
            name_offset = 0xFFFFFFFF
            if name:
                name_offset = len(names)
                names += bytes([len(name)]) + name
            entries += struct.pack(">iIIII", rid, name_offset, 0, offsets[i], 0)
    map_size = 52 + len(type_list) + len(entries) + len(names) if resources else 0
    header = b"RSRC\r\n" + struct.pack(">H", version) + ftype + creator
    header += struct.pack(">IIII", 32 + len(data), map_size, 32, len(data))
    if not resources:
        return header
    name_list = 52 + len(type_list) + len(entries) if names else 0
    body_map = header + bytes(8) + struct.pack(">III", 0, 52, name_list) + type_list + entries + names
    return header + data + body_map


def pascal(text):
    return bytes([len(text)]) + text


def string_list(items):
    return struct.pack(">H", len(items)) + b"".join(pascal(i) for i in items)


def resource_file():
    samples = [
        [],
        [(b"DATA", 1, b"abc", b"")],
        [(b"STR ", 128, pascal(b"Hello"), b"greeting"), (b"STR#", 129, string_list([b"one", b"", b"three"]), b"")],
        [(b"DATA", 5, b"x" * 5, b""), (b"DATA", -3, b"", b"neg"), (b"MORE", 7, bytes(range(40)), b"m")],
        [(b"PTH0", 1, b"PTH0" + struct.pack(">I", 7) + bytes([0, 1, 0, 2, 0, 1, 0x61]), b"")],
    ]
    seeds = [resource_image(s) for s in samples]
    seeds.append(resource_image(samples[2], version=4))
    appended = resource_image(samples[1])
    seeds.append(b"\x90" * 64 + appended + struct.pack(">I", 64))
    return seeds


def resource_edits():
    # op, id byte, then the operation's own bytes: add (length, bytes, name length, name letter), change
    # (length, bytes), remove, save.
    return [
        bytes([0, 1, 3]) + b"abc" + bytes([2, 4]) + bytes([3, 0]),
        bytes([0, 1, 2]) + b"hi" + bytes([0, 0]) + bytes([1, 1, 4]) + b"more" + bytes([2, 1]) + bytes([3, 0]),
        bytes([4, 9, 1]) + b"x" + bytes([1, 2]) + bytes([8, 9, 0, 0, 0]) + bytes([3, 0]) + bytes([6, 9]),
    ]


# --- Packed string lists: byte 0 picks the form (bit 0: 0 a Pascal list from a stream, 1 a long-string list in
# standard byte order) and, for streams, the converter (the other bits, mod 3).

def pascal_list(items, order=">"):
    return struct.pack(order + "i", len(items)) + b"".join(bytes([len(i)]) + i for i in items)


def long_list(items):
    out = struct.pack(">i", len(items))
    for i in items:
        out += struct.pack(">i", len(i)) + i + bytes(-len(i) % 4)
    return out


def string_lists():
    items = [b"one", b"", b"three", b"x" * 255]
    seeds = []
    for selector, order in ((0, ">"), (2, "<"), (4, "=")):
        seeds.append(bytes([selector]) + pascal_list(items, order))
        seeds.append(bytes([selector]) + pascal_list([], order))
        seeds.append(bytes([selector]) + struct.pack(order + "i", 1000) + b"\x02ab")
        seeds.append(bytes([selector]) + struct.pack(order + "i", -3))
    seeds.append(bytes([1]) + long_list(items))
    seeds.append(bytes([1]) + long_list([]))
    seeds.append(bytes([1]) + long_list([b"hello"])[:-1])
    seeds.append(bytes([1]) + struct.pack(">ii", 1, 0x7FFFFFFF))
    return seeds


# --- Shell links: header, optional empty ID list, link info (local or network, 8-bit and Unicode strings),
# counted string data and the terminal extra-data block.

LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")


def link_info(local, net, suffix, unicode):
    header = 0x24 if unicode else 0x1C
    body = bytearray()
    offsets = {}

    def here():
        return header + len(body)
    if local:
        offsets["volume"] = here()
        body += struct.pack("<4I", 0x11, 3, 0x1234ABCD, 0x10) + b"\0"
        offsets["base"] = here()
        body += local.encode("latin-1", "replace") + b"\0"
    if net:
        offsets["net"] = here()
        name_at = 0x1C if unicode else 0x14
        ansi = net.encode("latin-1", "replace") + b"\0"
        wide_at = name_at + len(ansi)
        part = struct.pack("<5I", 0, 2, name_at, 0, 0x20000)
        if unicode:
            part += struct.pack("<2I", wide_at, 0)
        part += ansi + (net.encode("utf-16-le") + b"\0\0" if unicode else b"")
        body += struct.pack("<I", len(part)) + part[4:]
    offsets["suffix"] = here()
    body += suffix.encode("latin-1", "replace") + b"\0"
    if unicode:
        if local:
            offsets["base_w"] = here()
            body += local.encode("utf-16-le") + b"\0\0"
        offsets["suffix_w"] = here()
        body += suffix.encode("utf-16-le") + b"\0\0"
    flags = (1 if local else 0) | (2 if net else 0)
    fields = [header + len(body), header, flags, offsets.get("volume", 0), offsets.get("base", 0),
              offsets.get("net", 0), offsets["suffix"]]
    if unicode:
        fields += [offsets.get("base_w", 0), offsets["suffix_w"]]
    return struct.pack("<%dI" % len(fields), *fields) + bytes(body)


def shell_link(local="", net="", suffix="", name="", relative="", workdir="", unicode=True, id_list=False):
    flags = (0x80 if unicode else 0) | (1 if id_list else 0) | (2 if local or net else 0)
    flags |= (4 if name else 0) | (8 if relative else 0) | (0x10 if workdir else 0)
    out = struct.pack("<I", 0x4C) + LINK_CLSID + struct.pack("<3I", flags, 0x20, 0) + bytes(20)
    out += struct.pack("<3I", 0, 0, 1) + bytes(12)
    if id_list:
        out += struct.pack("<H", 0)
    if local or net:
        out += link_info(local, net, suffix, unicode)
    for text in (name, relative, workdir):
        if text:
            out += struct.pack("<H", len(text)) + (text.encode("utf-16-le") if unicode else text.encode("latin-1"))
    return out + struct.pack("<I", 0)


def shell_links():
    seeds = []
    for unicode in (True, False):
        seeds += [
            shell_link(local="C:\\Program Files\\app.exe", name="the app", workdir="C:\\", unicode=unicode),
            shell_link(local="D:\\data", suffix="x\\y.txt", id_list=True, unicode=unicode),
            shell_link(net="\\\\server\\share", suffix="dir\\f.txt", unicode=unicode),
            shell_link(relative="..\\other\\f.txt", unicode=unicode),
            shell_link(local="C:\\a", relative=".\\b", unicode=unicode),
        ]
    seeds.append(shell_link(local="C:\\\u00e9t\u00e9\\\u65e5\u672c.txt"))
    seeds.append(shell_link(relative="..\\a.txt")[:-6])
    return seeds


# The configuration targets' seeds were written by hand as text: they are kept as committed.
def kept(target):
    folder = os.path.join(HERE, "corpus", target)
    return lambda: [open(os.path.join(folder, n), "rb").read() for n in sorted(os.listdir(folder))]


TARGETS = {
    "fuzz_format_engine": format_engine,
    "fuzz_number_text": number_text,
    "fuzz_command_line": lambda: [line.encode("latin-1") for line in COMMAND_LINES],
    "fuzz_guid_text": lambda: [g.encode() for g in GUIDS],
    "fuzz_utf8_stepping": utf8_stepping,
    "fuzz_numeric_convert": numeric_convert,
    "fuzz_string_utils": string_utils,
    "fuzz_text_converters": text_converters,
    "fuzz_bindata_reader": bindata_reader,
    "fuzz_path_flatten": path_flatten,
    "fuzz_path_text": path_text,
    "fuzz_resource_file": resource_file,
    "fuzz_resource_edits": resource_edits,
    "fuzz_string_lists": string_lists,
    "fuzz_shell_link": shell_links,
    "fuzz_config_types": kept("fuzz_config_types"),
    "fuzz_ini_reader": kept("fuzz_ini_reader"),
}

DICTIONARIES = {"fuzz_format_engine": FORMAT_DICT, "fuzz_number_text": NUMBER_DICT}


def dictionary_line(token):
    escaped = "".join(c if 32 <= ord(c) < 127 and c not in '"\\' else "\\x%02X" % ord(c) for c in token)
    return '"%s"\n' % escaped


def main():
    missing = set(os.path.splitext(f)[0] for f in os.listdir(HERE) if f.endswith(".cpp")) - set(TARGETS)
    if missing:
        sys.exit("no seeds for " + ", ".join(sorted(missing)))
    for target, make in TARGETS.items():
        write(target, make())
    os.makedirs(os.path.join(HERE, "dict"), exist_ok=True)
    for target, tokens in DICTIONARIES.items():
        with open(os.path.join(HERE, "dict", target + ".dict"), "w") as f:
            f.writelines(dictionary_line(t) for t in tokens)


if __name__ == "__main__":
    main()
