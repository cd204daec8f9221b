"""The settings file: the INI reader against Windows' own, and Zeltrand.ini
as the program reads and writes it."""

import itertools
import re
import subprocess
from pathlib import Path

from ini_corpus import CORPUS
from registry_fixtures import Imported
from wine_session import windows_path
from zeltrand_e2e import CaseFailure, expect, expect_equal, wait_until

SENDER_EDIT, SERVER_EDIT, RECIPIENT_EDIT, RECORD_EDIT = 17, 18, 19, 20
CHECK_BOXES = (28, 29, 30, 31)
EXIT_BUTTON = 27
RECORD_BUTTON = 24
AUTO_EXIT_CHECK = 31
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


def as_cp932(data):
    """A corpus file's text as code page 932, whatever it was saved as."""
    for mark, codec in ((b"\xff\xfe", "utf-16"), (b"\xfe\xff", "utf-16"),
                        (b"\xef\xbb\xbf", "utf-8-sig")):
        if data.startswith(mark):
            return data.decode(codec).encode("cp932")
    return data


def queries_for_corpus():
    lines = []
    for file_name, data in CORPUS:
        sections, keys = names_in(as_cp932(data))
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


def expected_settings(sender="???@???.???", server="???.???.???.???", recipient="???@???.???", record="", flags="    "):
    auto = "".join("%s=%s\r\n" % (key, "1" if flag != " " else "")
                   for key, flag in zip(("Start", "Rec", "Mail", "End"), flags))
    return ("[mail]\r\nSmtp=%s\r\nMailTo=%s\r\nMyMailServerIP=%s\r\n\r\n[file]\r\nRecFile=%s"
            "\r\n\r\n[auto]\r\n%s" % (sender, recipient, server, record, auto)).encode("cp932")


def case_first_run_shows_the_defaults_and_writes_the_settings(z):
    z.start()
    default_record = windows_path(z.app_dir / "Zeltrand.csv")
    expect_equal(z.text(SENDER_EDIT), "???@???.???", "sender")
    expect_equal(z.text(SERVER_EDIT), "???.???.???.???", "mail server")
    expect_equal(z.text(RECIPIENT_EDIT), "???@???.???", "recipient")
    expect_equal(z.text(RECORD_EDIT), default_record, "record file")
    expect_equal([z.check(i) for i in CHECK_BOXES], [0, 0, 0, 0], "check boxes")
    expect_equal(z.focus(), RECORD_EDIT, "focus")
    expect(not (z.app_dir / "Zeltrand.ini").exists(), "a settings file before the exit")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")
    expect_equal((z.app_dir / "Zeltrand.ini").read_bytes(),
                 expected_settings(record=default_record), "Zeltrand.ini")
    expect_equal(sorted(p.name for p in z.app_dir.iterdir()), ["Zeltrand.exe", "Zeltrand.ini"],
                 "files beside the program")


def case_settings_fill_the_dialog_and_survive_the_exit(z):
    z.place("Zeltrand.ini", b"[MAIL]\r\nmailto = \"boss@example.jp\"\r\nSmtp=me@example.jp\r\n"
                            b"MyMailServerIP=127.0.0.1\r\n[file]\r\n"
                            b"RecFile=Z:\\tmp\\inventory.csv\r\n[auto]\r\nStart=0\r\nMail=x\r\n")
    z.start()
    # The automatic mail finds no server listening.
    expect_equal(z.msgbox(timeout=10).text, "connect err. WSAGetLastError=10061", "mail message")
    z.answer("IDOK")
    expect_equal(z.text(RECIPIENT_EDIT), "boss@example.jp", "recipient")
    expect_equal(z.text(SENDER_EDIT), "me@example.jp", "sender")
    expect_equal(z.text(SERVER_EDIT), "127.0.0.1", "mail server")
    expect_equal(z.text(RECORD_EDIT), "Z:\\tmp\\inventory.csv", "record file")
    expect_equal([z.check(i) for i in CHECK_BOXES], [1, 0, 1, 0], "check boxes")
    z.sysclose()
    expect_equal(z.wait_exit(), 4, "exit code (the mail failed)")
    expect_equal((z.app_dir / "Zeltrand.ini").read_bytes(),
                 expected_settings(sender="me@example.jp", server="127.0.0.1",
                                   recipient="boss@example.jp", record="Z:\\tmp\\inventory.csv",
                                   flags="1 1 "), "Zeltrand.ini")


def case_automatic_exit_ends_by_itself_and_rewrites_the_settings(z):
    z.place("Zeltrand.ini", b"[auto]\nEnd=1\n")
    z.start()
    expect_equal(z.wait_exit(timeout=20), 0, "exit code")
    expect_equal((z.app_dir / "Zeltrand.ini").read_bytes(),
                 expected_settings(record=windows_path(z.app_dir / "Zeltrand.csv"), flags="   1"),
                 "Zeltrand.ini")


def case_automatic_exit_read_from_a_utf16_settings_file(z):
    z.place("Zeltrand.ini", b"\xff\xfe" + "[file]\r\nRecFile=棚卸.csv\r\n[auto]\r\nEnd=1\r\n"
            .encode("utf-16-le"))
    z.start()
    expect_equal(z.wait_exit(timeout=20), 0, "exit code")
    expect_equal((z.app_dir / "Zeltrand.ini").read_bytes(),
                 b"\xff\xfe" + expected_settings(record="棚卸.csv", flags="   1")
                 .decode("cp932").encode("utf-16-le"), "Zeltrand.ini (still UTF-16)")


def case_utf8_settings_without_a_mark_name_a_japanese_record_file(z):
    """As Notepad saves by default: the record lands at the path as written,
    and the exit keeps the file UTF-8, comments (☃ too) included."""
    record = z.app_dir / "記録" / "棚卸2.csv"
    record.parent.mkdir()
    comment = "; 共有フォルダの記録 ☃\r\n"
    z.place("Zeltrand.ini", (comment + "[file]\r\nRecFile=%s\r\n[auto]\r\nRec=1\r\nEnd=1\r\n"
                             % windows_path(record)).encode("utf-8"))
    z.start()
    expect_equal(z.wait_exit(timeout=20), 0, "exit code")
    expect_equal(record.read_bytes().count(b"\n"), 2, "header and record lines at %s" % record)
    expected = comment + expected_settings(record=windows_path(record), flags=" 1 1").decode("cp932")
    expect_equal((z.app_dir / "Zeltrand.ini").read_bytes(), expected.encode("utf-8"),
                 "Zeltrand.ini (still UTF-8)")


class ReadOnlyFolder:
    """The case's program folder seen through a read-only bind mount, like a
    write-protected share: the program runs from it and every write fails."""

    def __init__(self, z):
        self.z = z
        self.mount = z.folder / "readonly"
        self.mount.mkdir()
        for command in (["mount", "--bind", str(z.app_dir), str(self.mount)],
                        ["mount", "-o", "remount,bind,ro", str(self.mount)]):
            subprocess.run(command, check=True)
        z.app_dir, z.exe = self.mount, self.mount / "Zeltrand.exe"

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.z.kill()
        # Lazily: a Wine process that outlives the failed case may still sit in it.
        subprocess.run(["umount", "--lazy", str(self.mount)], check=False)


def case_unwritable_settings_ask_before_ending_without_saving(z):
    original = expected_settings(record="keep.csv")
    z.place("Zeltrand.ini", original)
    with ReadOnlyFolder(z):
        z.start()
        z.click(EXIT_BUTTON)
        box = z.msgbox()
        expect_equal(box.caption, "Zeltrand v0.90 2003.1.17", "caption")
        expect_equal(box.text, CANNOT_SAVE, "message")
        expect_equal(sorted(i for i, _ in box.buttons), [6, 7], "Yes and No")
        z.answer("IDNO")
        z.click(AUTO_EXIT_CHECK)
        z.click(EXIT_BUTTON)
        box = z.msgbox()
        z.screenshot("question")
        z.answer("IDNO")
        expect(z.running(), "the program ended after No")
        expect_equal(z.text(RECORD_EDIT), "keep.csv", "dialog still there")
        # 自動終了 ticked before the No: the user's 記録 still does not end it.
        record_file = z.folder / "elsewhere.csv"
        z.settext(RECORD_EDIT, windows_path(record_file))
        z.click(RECORD_BUTTON)
        wait_until(lambda: record_file.exists() and record_file.read_bytes().count(b"\n") == 2,
                   10, "the record")
        z.no_msgbox(within=1.0)
        expect(z.running(), "a 記録 after the No ended the program")
        z.sysclose()
        z.msgbox()
        z.answer("IDYES")
        expect_equal(z.wait_exit(), 0, "exit code after Yes")
        expect_equal((z.app_dir / "Zeltrand.ini").read_bytes(), original, "Zeltrand.ini")


def case_unattended_run_ends_even_when_the_settings_cannot_be_written(z):
    original = expected_settings(record="keep.csv", flags="   1")
    z.place("Zeltrand.ini", original)
    with ReadOnlyFolder(z):
        z.start()
        expect_equal(z.wait_exit(timeout=20), 0, "exit code")
        expect_equal((z.app_dir / "Zeltrand.ini").read_bytes(), original, "Zeltrand.ini")


def case_a_folder_named_like_the_settings_file_blocks_the_save(z):
    (z.app_dir / "Zeltrand.ini").mkdir()
    z.start()
    z.click(EXIT_BUTTON)
    expect_equal(z.msgbox().text, CANNOT_SAVE, "message")
    z.answer("IDYES")
    expect_equal(z.wait_exit(), 0, "exit code")
    expect((z.app_dir / "Zeltrand.ini").is_dir(), "the folder is still there")
    expect_equal(sorted(p.name for p in z.app_dir.iterdir()), ["Zeltrand.exe", "Zeltrand.ini"],
                 "no temporary file left behind")


def case_mail_account_of_a_user_fills_sender_and_server(z):
    with Imported(z, "mail_account.reg"):
        z.start()
        expect_equal(z.text(SERVER_EDIT), "smtp.example.jp", "mail server")
        expect_equal(z.text(SENDER_EDIT), "taro@example.jp", "sender")
        z.click(EXIT_BUTTON)
        expect_equal(z.wait_exit(), 0, "exit code")
    expect_equal((z.app_dir / "Zeltrand.ini").read_bytes(),
                 expected_settings(sender="taro@example.jp", server="smtp.example.jp",
                                   record=windows_path(z.app_dir / "Zeltrand.csv")),
                 "Zeltrand.ini")
