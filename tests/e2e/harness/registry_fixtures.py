"""Registry fixtures imported into the shared Wine prefix for one case, and
taken back out afterwards: every case starts from the same registry."""

import re
from pathlib import Path

FIXTURES = Path(__file__).resolve().parents[2] / "fixtures" / "registry"
SECTION = re.compile(r"^\[(.+)\]$")
VALUE = re.compile(r'^"((?:[^"\\]|\\.)*)"=')


UTF16_MARK = b"\xff\xfe"


def is_utf16(reg_file):
    return reg_file.read_bytes().startswith(UTF16_MARK)


def reg_sections(reg_file):
    """The keys a fixture writes, each with the value names it sets."""
    data = reg_file.read_bytes()
    text = data[2:].decode("utf-16-le") if is_utf16(reg_file) else data.decode("cp932")
    sections = []
    for line in text.splitlines():
        if SECTION.match(line):
            sections.append((SECTION.match(line).group(1), []))
        elif VALUE.match(line) and sections:
            sections[-1][1].append(VALUE.match(line).group(1))
    return sections


class Imported:
    """A fixture imported for one case. Its own keys are removed afterwards;
    in `shared_keys`, which existed before, only its values are."""

    def __init__(self, z, name, shared_keys=()):
        self.z = z
        self.undo = z.folder / ("undo-" + name)
        # Undone in the fixture's own form, so that every name survives.
        unicode = is_utf16(FIXTURES / name)
        lines = ["Windows Registry Editor Version 5.00" if unicode else "REGEDIT4", ""]
        for key, values in reg_sections(FIXTURES / name):
            if key in shared_keys:
                lines += ["[%s]" % key] + ['"%s"=-' % value for value in values] + [""]
            else:
                lines += ["[-%s]" % key, ""]
        text = "\r\n".join(lines)
        self.undo.write_bytes(UTF16_MARK + text.encode("utf-16-le") if unicode
                              else text.encode("cp932"))
        z.import_reg(FIXTURES / name)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.z.import_reg(self.undo)
