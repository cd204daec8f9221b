#!/usr/bin/env python3
"""Copies C++ sources with every narrow literal's non-ASCII text spelled as
code page 932 byte escapes.

The sources are UTF-8 and GCC compiles their narrow literals to code page
932 (-fexec-charset=CP932). Compilers without that option (clang) build the
escaped copies instead and get the same bytes: "日本" becomes "\\x93\\xFA\\x96\\x7B".
Comments, prefixed literals (u"", U"", L"", u8"") and everything else are
copied as they are; raw literals holding non-ASCII text become plain ones.

Usage: escape-literals.py OUT_DIR SOURCE_ROOT DIR...
  Mirrors the .h and .cpp files under SOURCE_ROOT/DIR into OUT_DIR/DIR,
  rewriting only the files whose escaped text differs from what is there.
"""
import os
import subprocess
import sys

HEX = set("0123456789abcdefABCDEF")
ENCODING_PREFIXES = ("u8", "u", "U", "L")


def cp932(ch, cache={}):
    """The code page 932 bytes of one character, as GCC's iconv gives them."""
    if ch not in cache:
        try:
            cache[ch] = ch.encode("cp932")
        except UnicodeEncodeError:
            # glibc maps a few characters that Python's table lacks (U+301C).
            out = subprocess.run(["iconv", "-f", "UTF-8", "-t", "CP932"], input=ch.encode(),
                                 capture_output=True, check=True)
            cache[ch] = out.stdout
    return cache[ch]


def escape_text(text, quote):
    """`text` (a literal's inside, escapes kept) with non-ASCII as \\xHH."""
    out = []
    after_hex = False
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\":
            j = i + 2
            if i + 1 < len(text) and text[i + 1] == "x":
                while j < len(text) and text[j] in HEX:
                    j += 1
                after_hex = True
            else:
                after_hex = False
            out.append(text[i:j])
            i = j
            continue
        if ord(c) < 0x80:
            if after_hex and c in HEX and quote == '"':
                out.append('" "')  # ends the escape: "\x93" "A" is not "\x93A"
            out.append(c)
            after_hex = False
        else:
            out.append("".join("\\x%02X" % b for b in cp932(c)))
            after_hex = True
        i += 1
    return "".join(out)


def raw_to_plain(body):
    """A raw literal's text as the inside of a plain one, escaped."""
    plain = []
    for c in body:
        plain.append({"\\": "\\\\", '"': '\\"', "\n": "\\n", "\t": "\\t"}.get(c, c))
    return escape_text("".join(plain), '"')


def prefix_before(src, i):
    """The identifier characters that end just before position i."""
    j = i
    while j > 0 and (src[j - 1].isalnum() or src[j - 1] == "_"):
        j -= 1
    return src[j:i]


def escape_source(src):
    out = []
    i = 0
    n = len(src)
    while i < n:
        c = src[i]
        if src.startswith("//", i):
            j = src.find("\n", i)
            j = n if j < 0 else j
            out.append(src[i:j])
            i = j
        elif src.startswith("/*", i):
            j = src.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(src[i:j])
            i = j
        elif c == '"' or c == "'":
            prefix = prefix_before(src, i)
            if c == '"' and prefix.endswith("R"):
                close_paren = src.index("(", i)
                delim = src[i + 1:close_paren]
                end = src.index(")" + delim + '"', close_paren)
                body = src[close_paren + 1:end]
                j = end + len(delim) + 2
                if prefix == "R" and any(ord(ch) >= 0x80 for ch in body):
                    del out[-1]  # the R
                    out.append('"' + raw_to_plain(body) + '"')
                else:
                    out.append(src[i:j])
                i = j
                continue
            if c == "'" and prefix and prefix not in ENCODING_PREFIXES:
                out.append(c)  # a digit separator
                i += 1
                continue
            j = i + 1
            while j < n and src[j] != c:
                j += 2 if src[j] == "\\" else 1
            inside = src[i + 1:j]
            if prefix in ENCODING_PREFIXES:
                out.append(src[i:j + 1])
            else:
                out.append(c + escape_text(inside, c) + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def main():
    out_dir, root, *dirs = sys.argv[1:]
    for top in dirs:
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                source = os.path.join(folder, name)
                target = os.path.join(out_dir, os.path.relpath(source, root))
                with open(source, encoding="utf-8") as f:
                    text = escape_source(f.read())
                try:
                    with open(target, encoding="utf-8") as f:
                        if f.read() == text:
                            continue
                except FileNotFoundError:
                    os.makedirs(os.path.dirname(target), exist_ok=True)
                with open(target, "w", encoding="utf-8") as f:
                    f.write(text)


if __name__ == "__main__":
    main()
