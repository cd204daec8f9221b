"""The settings file: the INI reader against Windows' own, and Zeltrand.ini
as the program reads and writes it."""

import itertools
import re
import subprocess
from pathlib import Path

from ini_corpus import CORPUS
from wine_session import windows_path
from zeltrand_e2e import CaseFailure, expect, expect_equal, wait_until

RECIPIENT_EDIT, RECORD_EDIT = 19, 20
CHECK_BOXES = (28, 29, 30, 31)
EXIT_BUTTON = 27
CANNOT_SAVE = "Zeltrand.iniﾌｧｲﾙのｵｰﾌﾟﾝに失敗!\n設定を保存せずに終了しますか?"


def names_in(data):
    """Section and key names a file mentions, with case and blank variants."""
    sections = set(re.findall(rb"^[ \t]*\[([^\]\r\n]*)\]", data, re.M))
    keys = {k.strip(b" \t") for k in re.findall(rb"^[ \t\x1a]*([^=\r\n\[]*)=", data, re.M)}
    for group in (sections, keys):
        for name in list(group):
            group.update({name.upper(), name.lower(), b" " + name + b" "})
        group.add(b"missing")
    return sorted(sections), sorted(keys)


def queries_for_corpus():
    lines = []
    for file_name, data in CORPUS:
        sections, keys = names_in(data)
        for section, key in itertools.product(sections, keys):
            if section.strip() and key.strip():
                lines.append((file_name.encode(), section, key))
    return lines


def case_ini_reader_matches_windows(z):
    corpus = z.folder / "corpus"
    corpus.mkdir()
    for name, data in CORPUS:
        (corpus / name).write_bytes(data)
    queries = queries_for_corpus()
    query_file = z.folder / "queries.txt"
    query_file.write_text("".join("%s %s %s\n" % (f.hex(), s.hex(), k.hex())
                                  for f, s, k in queries))

    native_tool = z.session.e2e_dir.parent / "profile_query_native"
    native = subprocess.run([str(native_tool), str(corpus), str(query_file)],
                            capture_output=True, check=True).stdout.decode().split()
    probe = z.session.zeltrand_exe.parent / "profile_query_win32.exe"
    windows_out = z.folder / "windows-answers.txt"
    with open(windows_out, "wb") as out:
        subprocess.run(["wine", str(probe), windows_path(corpus), windows_path(query_file)],
                       env=z.session.env, stdout=out, stderr=subprocess.DEVNULL, check=True,
                       timeout=120)
    windows = windows_out.read_bytes().decode().split()

    expect_equal(len(native), len(queries), "answers of the program's reader")
    expect_equal(len(windows), len(queries), "answers of GetPrivateProfileStringA")
    differences = [(q, n, w) for q, n, w in zip(queries, native, windows) if n != w]
    for (f, s, k), n, w in differences[:20]:
        print("%s [%r] %r: ours %s, Windows %s" % (f.decode(), s, k, n, w))
    print("%d queries over %d files, %d differences" % (len(queries), len(CORPUS),
                                                        len(differences)))
    expect(not differences, "the reader differs from GetPrivateProfileStringA")
