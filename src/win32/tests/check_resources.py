#!/usr/bin/env python3
"""Reads the resources back out of the built launcher and compares them with what it must carry.

Checked: the string table (ids 96 to 148, every text code unit by code unit, the four blocks
under language 0x0419 and nothing else), dialog 141 (template header, font, every control's
class, id, style, position, size and text), icon group 100 (16 and 32 pixels at 16 and 256
colours), the manifest (administrator rights, common controls 6, Vista and 7) and the version
information (the numbers of VERSION in the fixed part and the texts, one Russian Unicode block).

Usage: check_resources.py --version X.Y.Z EXE
                                       check the executable
       check_resources.py --version X.Y.Z --self-test EXE
                                       check that changed copies of EXE are caught

Standard library only. Exits 0 when everything matches, 1 with one line per difference.
"""
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_ICON, RT_STRING, RT_GROUP_ICON, RT_MANIFEST, RT_DIALOG, RT_VERSION = 3, 6, 14, 24, 5, 16
RUSSIAN = 0x0419

# Every text of the string table, as the end-to-end scenarios expect it in the boxes; an id
# missing there must have no text.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "tests", "e2e"))
from harness.texts import STRINGS as EXPECTED_STRINGS  # noqa: E402

EMPTY_IDS = [96, 97, 98, 99, 100, 132, 140, 141]

INFORMATION_TEXT = (
    "Благодарим за выбор Vestacor CSP.\n"
    "Для продолжения установки нажимте \"Далее\",\n"
    "для установки специфических настроек - \"Опции\".\n"
    "Если вы не знаете, что выбирать, нажмите \"Далее\"."
)

BUTTON, STATIC = 0x80, 0x82

# id, class, style, x, y, cx, cy, text (None: checked separately), in template order.
EXPECTED_CONTROLS = [
    (140, BUTTON, 0x50010001, 90, 122, 50, 14, "Далее"),
    (2, BUTTON, 0x50010000, 147, 122, 50, 14, "Отмена"),
    (1006, BUTTON, 0x40020009, 12, 20, 42, 8, "Русский"),
    (1007, BUTTON, 0x40000009, 12, 32, 42, 8, "English"),
    (1008, BUTTON, 0x40020009, 14, 69, 30, 8, "KC1"),
    (1009, BUTTON, 0x40000009, 14, 82, 30, 8, "KC2"),
    (1010, BUTTON, 0x40000009, 14, 94, 30, 8, "KC3"),
    (1012, BUTTON, 0x40000007, 6, 6, 191, 44, "Язык установки:"),
    (1013, BUTTON, 0x40000007, 6, 55, 191, 54, "Уровень безопасности:"),
    (1011, BUTTON, 0x50000007, 6, 6, 191, 103, None),
    (1015, BUTTON, 0x50010000, 7, 122, 50, 14, "Опции"),
    (1014, STATIC, 0x50020000, 15, 28, 174, 74, None),
]

# The version information's texts, {name: text} with "{version}" standing for X.Y.Z.
VERSION_TEXTS = {
    "CompanyName": "Vestacor",
    "FileDescription": "Программа установки Vestacor Signavel",
    "FileVersion": "{version}",
    "InternalName": "zirelpluginsetup",
    "LegalCopyright": "© Vestacor",
    "OriginalFilename": "zirelpluginsetup.exe",
    "ProductName": "Vestacor Signavel",
    "ProductVersion": "{version}",
}

VISTA = "{e2011457-1546-43c5-a5fe-008deee3d3f0}"
WINDOWS_7 = "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"


class Resources:
    """The resource tree of a 32-bit PE file: {type: {name: {language: bytes}}}."""

    def __init__(self, image):
        self.image = image
        pe = struct.unpack_from("<I", image, 0x3C)[0]
        if image[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
        optional = pe + 24
        if struct.unpack_from("<H", image, optional)[0] != 0x10B:
            raise ValueError("not a 32-bit PE file")
        self.root_rva, _ = struct.unpack_from("<II", image, optional + 96 + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            size, rva, raw_size, raw = struct.unpack_from("<IIII", image, table + 40 * i + 8)
            self.sections.append((rva, max(size, raw_size), raw))
        self.root = self.offset(self.root_rva)
        self.tree = {}
        for type_id, type_entry in self.directory(self.root):
            names = self.tree.setdefault(type_id, {})
            for name, name_entry in self.directory(self.root + type_entry):
                languages = names.setdefault(name, {})
                for language, data_entry in self.directory(self.root + name_entry):
                    rva, size = struct.unpack_from("<II", image, self.root + data_entry)
                    start = self.offset(rva)
                    languages[language] = bytes(image[start:start + size])

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("address %#x outside every section" % rva)

    def directory(self, at):
        named, numbered = struct.unpack_from("<12xHH", self.image, at)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.image, at + 16 + 8 * i)
            if name & 0x80000000:
                length = struct.unpack_from("<H", self.image, self.root + (name & 0x7FFFFFFF))[0]
                start = self.root + (name & 0x7FFFFFFF) + 2
                name = self.image[start:start + 2 * length].decode("utf-16-le")
            yield name, target & 0x7FFFFFFF


def string_entries(block):
    """The 16 texts of a string-table block; raises ValueError on a malformed block."""
    texts, at = [], 0
    for _ in range(16):
        if at + 2 > len(block):
            raise ValueError("block ends inside entry %d" % len(texts))
        count = struct.unpack_from("<H", block, at)[0]
        at += 2
        if at + 2 * count > len(block):
            raise ValueError("entry %d runs past the block" % len(texts))
        texts.append(block[at:at + 2 * count].decode("utf-16-le"))
        at += 2 * count
    if any(block[at:]):
        raise ValueError("%d bytes after the 16th entry" % (len(block) - at))
    return texts


def check_strings(resources, faults):
    blocks = resources.tree.get(RT_STRING, {})
    if sorted(blocks) != [7, 8, 9, 10]:
        faults.append("string blocks are %s, not [7, 8, 9, 10]" % sorted(blocks, key=str))
    table = {}
    for name in (7, 8, 9, 10):
        languages = blocks.get(name, {})
        if list(languages) != [RUSSIAN]:
            faults.append("string block %s has languages %s, not [0x419]" % (name, list(languages)))
        if RUSSIAN not in languages:
            continue
        try:
            texts = string_entries(languages[RUSSIAN])
        except ValueError as fault:
            faults.append("string block %d: %s" % (name, fault))
            continue
        for index, text in enumerate(texts):
            table[(name - 1) * 16 + index] = text
    for string_id in range(96, 149):
        expected = EXPECTED_STRINGS.get(string_id, "")
        actual = table.get(string_id)
        if actual is None:
            continue  # its block is already reported
        if actual != expected:
            faults.append("string %d is %r, expected %r" % (string_id, actual, expected))
    for string_id in EMPTY_IDS:
        if string_id in EXPECTED_STRINGS:
            faults.append("string %d is listed both with a text and as empty" % string_id)


class Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, layout):
        values = struct.unpack_from("<" + layout, self.data, self.at)
        self.at += struct.calcsize("<" + layout)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.at
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        value = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return value

    def name_or_ordinal(self):
        if self.data[self.at:self.at + 2] == b"\xff\xff":
            self.at += 2
            return self.take("H")
        return self.text()

    def align(self):
        self.at = (self.at + 3) & ~3


def check_dialog(resources, faults):
    languages = resources.tree.get(RT_DIALOG, {}).get(141, {})
    if len(languages) != 1:
        faults.append("dialog 141 exists in %d languages, expected 1" % len(languages))
        if not languages:
            return
    reader = Reader(next(iter(languages.values())))
    version, signature = reader.take("HH")
    if (version, signature) != (1, 0xFFFF):
        faults.append("dialog 141 is not an extended template")
        return
    _, ex_style, style, count, x, y, cx, cy = reader.take("IIIHhhhh")
    header = (ex_style, style, x, y, cx, cy)
    if header != (0x100, 0x80C808C8, 0, 0, 204, 143):
        faults.append("dialog 141 header (exstyle, style, x, y, cx, cy) is %s" % (header,))
    menu, window_class, title = reader.name_or_ordinal(), reader.name_or_ordinal(), reader.text()
    if menu != "" or window_class != "":
        faults.append("dialog 141 has menu %r and class %r, expected none" % (menu, window_class))
    if title != "RODOzado":
        faults.append("dialog 141 title is %r" % title)
    font = reader.take("HHBB") + (reader.text(),)
    if font != (8, 400, 0, 1, "MS Shell Dlg"):
        faults.append("dialog 141 font is %s" % (font,))
    if count != len(EXPECTED_CONTROLS):
        faults.append("dialog 141 has %d controls, expected %d" % (count, len(EXPECTED_CONTROLS)))
    for expected in EXPECTED_CONTROLS[:count]:
        reader.align()
        _, item_ex_style, item_style, ix, iy, icx, icy, item_id = reader.take("IIIhhhhI")
        item_class, text = reader.name_or_ordinal(), reader.name_or_ordinal()
        extra = reader.take("H")
        reader.at += extra
        actual = (item_id, item_class, item_style, ix, iy, icx, icy)
        if actual != expected[:7] or item_ex_style != 0:
            faults.append("control %s is %s with exstyle %#x" % (expected[0], actual, item_ex_style))
        if expected[7] is not None and text != expected[7]:
            faults.append("control %d text is %r, expected %r" % (item_id, text, expected[7]))
        if item_id == 1011 and not (text.startswith("Vestacor - ") and len(text) > 11):
            faults.append("control 1011 text %r is not the maker's name and slogan" % text)
        if item_id == 1014:
            lines = text.split("\n")
            if "\r" in text or len(lines) < 3 or "." not in lines[0] or " " in lines[0] \
                    or lines[1] != "" or "\n".join(lines[2:]) != INFORMATION_TEXT:
                faults.append("control 1014 text %r is not a web address, an empty line and "
                              "the information text" % text)


def check_icon(resources, faults):
    group = resources.tree.get(RT_GROUP_ICON, {}).get(100)
    if not group:
        faults.append("icon group 100 is missing")
        return
    data = next(iter(group.values()))
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    found = set()
    for i in range(count):
        width, height, _, _, _, bits, _, icon_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        images = resources.tree.get(RT_ICON, {}).get(icon_id)
        if not images:
            faults.append("icon image %d of group 100 is missing" % icon_id)
            continue
        image = next(iter(images.values()))
        _, dib_width, dib_height, _, dib_bits = struct.unpack_from("<IiiHH", image, 0)
        if (dib_width, dib_height, dib_bits) != (width, 2 * height, bits):
            faults.append("icon image %d does not match its group entry" % icon_id)
        found.add((width, height, bits))
    expected = {(16, 16, 4), (16, 16, 8), (32, 32, 4), (32, 32, 8)}
    if kind != 1 or found != expected:
        faults.append("icon group 100 holds %s, expected %s" % (sorted(found), sorted(expected)))


def check_manifest(resources, faults):
    manifests = resources.tree.get(RT_MANIFEST, {})
    if list(manifests) != [1] or len(manifests[1]) != 1:
        faults.append("manifests are %s, expected exactly id 1" % list(manifests))
        return
    root = ElementTree.fromstring(next(iter(manifests[1].values())))
    elements = list(root.iter())

    def named(local):
        return [e for e in elements if e.tag.rsplit("}", 1)[-1] == local]

    levels = [(e.get("level"), e.get("uiAccess")) for e in named("requestedExecutionLevel")]
    if levels != [("requireAdministrator", "false")]:
        faults.append("manifest execution level is %s" % levels)
    controls = [e.get("version") for e in named("assemblyIdentity")
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
    if controls != ["6.0.0.0"]:
        faults.append("manifest common-controls dependency is %s" % controls)
    systems = sorted(e.get("Id", "").lower() for e in named("supportedOS"))
    if systems != sorted([VISTA, WINDOWS_7]):
        faults.append("manifest supported systems are %s" % systems)


def version_blocks(data):
    """The VS_VERSIONINFO tree as {key: (value bytes, children)}, children alike."""
    blocks, at = {}, 0
    while at + 6 <= len(data):
        length, value_length, kind = struct.unpack_from("<HHH", data, at)
        if length < 6 or at + length > len(data):
            raise ValueError("block at %d of length %d runs past its parent" % (at, length))
        reader = Reader(data[at:at + length])
        reader.at = 6
        key = reader.text()
        reader.align()
        size = 2 * value_length if kind == 1 else value_length
        value = reader.data[reader.at:reader.at + size]
        reader.at += size
        reader.align()
        blocks[key] = (value, version_blocks(reader.data[reader.at:]))
        at = (at + length + 3) & ~3
    return blocks


def check_version(resources, faults, version):
    entries = resources.tree.get(RT_VERSION, {})
    if list(entries) != [1] or list(entries[1]) != [RUSSIAN]:
        faults.append("version information is %s, expected id 1 in 0x419" % entries)
        return
    root = version_blocks(entries[1][RUSSIAN])
    fixed, children = root.get("VS_VERSION_INFO", (b"", {}))
    numbers = tuple(int(part) for part in version.split(".")) + (0,)
    words = lambda high, low: (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)
    if len(fixed) != 52 or struct.unpack_from("<I", fixed)[0] != 0xFEEF04BD:
        faults.append("version information has no fixed part")
    else:
        file_high, file_low, product_high, product_low = struct.unpack_from("<4I", fixed, 8)
        if words(file_high, file_low) != numbers or words(product_high, product_low) != numbers:
            faults.append("fixed file and product versions are %s and %s, expected %s" % (
                words(file_high, file_low), words(product_high, product_low), numbers))
    tables = children.get("StringFileInfo", (b"", {}))[1]
    if list(tables) != ["041904B0"]:
        faults.append("version text blocks are %s, expected ['041904B0']" % list(tables))
        return
    texts = {key: value.decode("utf-16-le").rstrip("\0")
             for key, (value, _) in tables["041904B0"][1].items()}
    expected = {key: text.replace("{version}", version) for key, text in VERSION_TEXTS.items()}
    if texts != expected:
        faults.append("version texts are %s, expected %s" % (texts, expected))
    translation = children.get("VarFileInfo", (b"", {}))[1].get("Translation", (b"",))[0]
    if translation != struct.pack("<HH", RUSSIAN, 1200):
        faults.append("version translation is %r, expected Russian, Unicode" % translation)


def check(image, version):
    faults = []
    try:
        resources = Resources(image)
    except (ValueError, struct.error) as fault:
        return ["cannot read the resources: %s" % fault]
    steps = (check_strings, check_dialog, check_icon, check_manifest,
             lambda resources, faults: check_version(resources, faults, version))
    for step in steps:
        try:
            step(resources, faults)
        except (ValueError, struct.error, IndexError, UnicodeDecodeError,
                ElementTree.ParseError) as fault:
            faults.append("%s failed: %s" % (step.__name__, fault))
    return faults


def replaced(image, old, new):
    """A copy of `image` with the only occurrence of `old` replaced by `new` (same length)."""
    assert len(old) == len(new) and image.count(old) == 1, old
    return image.replace(old, new)


def self_test(image, version):
    """Each changed copy must be caught: the number of cases and the names of those missed."""
    utf16 = lambda text: text.encode("utf-16-le")
    major, minor, _ = (int(part) for part in version.split("."))
    major_minor = major << 16 | minor
    fixed_part = struct.pack("<II", 0xFEEF04BD, 0x10000)  # signature, structure version
    changes = {
        "one letter of string 143": replaced(image, b"\x05\x00" + utf16("Опции"),
                                             b"\x05\x00" + utf16("Опцыи")),
        "one letter of string 147": replaced(image, utf16("Вопрос действует до"),
                                             utf16("Вопрос действуют до")),
        "a carriage return in string 111": replaced(
            image, utf16("перезагрузку.\nПерезагрузите"), utf16("перезагрузку\r\nПерезагрузите")),
        "the dialog style": replaced(image, struct.pack("<I", 0x80C808C8) + b"\x0c\x00",
                                     struct.pack("<I", 0x80C808C0) + b"\x0c\x00"),
        "the title of dialog 141": replaced(image, utf16("RODOzado"), utf16("RODOzadO")),
        "the position of control 1010": replaced(
            image, struct.pack("<hhhhI", 14, 94, 30, 8, 1010),
            struct.pack("<hhhhI", 14, 95, 30, 8, 1010)),
        "the execution level": replaced(image, b'"requireAdministrator"', b'"requireAdministratoR"'),
        "one letter of the file description": replaced(image, utf16("Программа установки"),
                                                       utf16("Программа устанавки")),
        "the fixed file version": replaced(image, fixed_part + struct.pack("<I", major_minor),
                                           fixed_part + struct.pack("<I", major_minor + 1)),
    }
    missed = [name for name, copy in changes.items() if not check(copy, version)]
    if check(image, version):
        missed.append("(the unchanged file itself fails)")
    return len(changes) + 1, missed


def main(arguments):
    version = None
    if arguments[:1] == ["--version"] and len(arguments) > 1:
        version, arguments = arguments[1], arguments[2:]
    testing = arguments[:1] == ["--self-test"]
    if testing:
        arguments = arguments[1:]
    if len(arguments) != 1 or version is None or len(version.split(".")) != 3:
        print(__doc__.strip().split("\n\n")[2], file=sys.stderr)
        return 2
    with open(arguments[0], "rb") as exe:
        image = exe.read()
    if testing:
        total, missed = self_test(image, version)
        for name in missed:
            print("not caught: %s" % name)
        print("%d passed, %d failed" % (total - len(missed), len(missed)))
        return 1 if missed else 0
    faults = check(image, version)
    for fault in faults:
        print(fault)
    if not faults:
        print("resources match: strings 96-148, dialog 141, icon 100, manifest, version " + version)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
