"""Faults injected from outside, one table, one way of running a row.

Each row sets up a place that fails (a record file that cannot be written, a
settings file that cannot be replaced, strange clipboard text, registry
values of every type and of sizes around the 256-byte reading buffer), then
does what a user does: presses a button, answers every message box that
comes with Yes or OK, and ends the program with 終了. Whatever the fault,
the row ends with:
  - the program alive until 終了, then ended by itself with an exit code of
    its own (no crash, no hang);
  - the settings file whole: the old bytes or the new ones, never a torn
    mix, and no temporary file left beside it;
  - every record that was in the record file still there, byte for byte,
    with whole lines after it.
Each row is the test e2e.fault_<name>.
"""

import os
import pwd
import random
import re
import time
from collections import namedtuple
from contextlib import contextmanager
from pathlib import Path

from cases.record import Holder, fixture, mailed_text, notices, shown_line, started
from cases.settings import expected_settings
from fault_places import fill, read_line, read_only_view, smtp_server, tiny_disk
from registry_fixtures import FIXTURES as REG_FIXTURES
from wine_session import windows_path
from zeltrand_e2e import expect, expect_equal, wait_until

RECIPIENT_EDIT, SEND_BUTTON, RECORD_BUTTON, IMPORT_BUTTON, EXIT_BUTTON = 19, 21, 24, 25, 27
HARDWARE_REPORT, PRODUCT_REPORT = 33, 34
OLD_RECORDS = fixture("header.csv") + fixture("worked_example.csv")
NEW_RECIPIENT = "fault@example.jp"
# Every wait of the mail lasts at most 30 s.
MAIL_TIMEOUT_S = 30
# The program's exit codes: a record kept for later (2) and a mail not sent
# (4) add up; anything else is a crash.
EXIT_CODES = (0, 2, 4, 6)
SETTLE_TIMEOUT_S = 30
PAGE = 4096
# Whole columns, each quoted, its quotes doubled, with its comma.
RECORD_LINE = re.compile(rb'^(?:"(?:[^"\n]|"")*",)+$')

# What a row sets up: the record file as Linux and the program see it and
# the bytes it holds before; the settings file's old bytes (None: a folder
# stands in its place).
Scene = namedtuple("Scene", "records records_win old_records old_settings mail")


# --- the places ---------------------------------------------------------------

def scene(z, records, records_win=None, old_records=b"", settings=True, mail=None):
    records_win = records_win or windows_path(records)
    mail = mail or {}
    old = expected_settings(record=records_win, **mail) if settings else None
    if settings:
        z.place("Zeltrand.ini", old)
    else:
        (z.app_dir / "Zeltrand.ini").mkdir()
    return Scene(records, records_win, old_records, old, mail)


@contextmanager
def records_in_a_missing_folder(z):
    yield scene(z, z.folder / "nowhere" / "Zeltrand.csv")


@contextmanager
def records_read_only(z):
    share = z.folder / "share"
    share.mkdir()
    (share / "Zeltrand.csv").write_bytes(OLD_RECORDS)
    with read_only_view(z, share, "share-ro") as mount:
        yield scene(z, mount / "Zeltrand.csv", old_records=OLD_RECORDS)


@contextmanager
def records_on_a_full_disk(z):
    # The old records end 10 bytes short of a page, so the line that does
    # not fit is written in part before the disk says it is full.
    last = b'"' + b"x" * (PAGE - (len(OLD_RECORDS) + 4) % PAGE - 10) + b'",\n'
    old = OLD_RECORDS + last
    with tiny_disk(z, "t") as disk:
        (disk / "Zeltrand.csv").write_bytes(old)
        fill(disk)
        yield scene(z, disk / "Zeltrand.csv", "T:\\Zeltrand.csv", old)


@contextmanager
def records_held_busy(z):
    path = z.app_dir / "Zeltrand.csv"
    path.write_bytes(OLD_RECORDS)
    holder = Holder(z, path)
    try:
        yield scene(z, path, old_records=OLD_RECORDS)
    finally:
        holder.stop()


def default_records(z, old_records=b"", mail=None):
    path = z.app_dir / "Zeltrand.csv"
    if old_records:
        path.write_bytes(old_records)
    return scene(z, path, old_records=old_records, mail=mail)


@contextmanager
def settings_read_only(z):
    made = default_records(z)
    with read_only_view(z, z.app_dir, "app-ro") as mount:
        z.app_dir, z.exe = mount, mount / "Zeltrand.exe"
        yield made


@contextmanager
def settings_replaced_by_a_folder(z):
    yield scene(z, z.app_dir / "Zeltrand.csv", settings=False)


def settings_on_a_full_disk(file_entries):
    @contextmanager
    def place(z):
        # The program runs from the disk, like from a full USB stick.
        with tiny_disk(z, "u", file_entries=8 if file_entries else None) as disk:
            (disk / "Zeltrand.exe").write_bytes(z.exe.read_bytes())
            z.app_dir, z.exe = disk, disk / "Zeltrand.exe"
            made = scene(z, disk / "Zeltrand.csv", "U:\\Zeltrand.csv")
            fill(disk, file_entries)
            yield made
    return place


@contextmanager
def old_records_beside(z):
    yield default_records(z, OLD_RECORDS)


# --- the actions ----------------------------------------------------------------

def settle(z):
    """Answers each message box of the dialog with Yes or OK until none comes
    for a second and no wait notice shows; returns the boxes' texts."""
    texts, quiet = [], False
    deadline = time.monotonic() + SETTLE_TIMEOUT_S
    while z.running():
        expect(time.monotonic() < deadline,
               "still busy %d s after the press (boxes: %r)" % (SETTLE_TIMEOUT_S, texts))
        records = z.driver.records("msgbox", "--owner", z.dialog, "--timeout", 1000, check=False)
        box = {r[0]: r for r in records}
        if "text" in box:
            texts.append(box["text"][1])
            yes = any(r[0] == "button" and r[1] == "6" for r in records)
            z.answer("IDYES" if yes else "IDOK")
        elif quiet:
            break
        # A notice that just closed may be followed by a box: one more look.
        quiet = "text" not in box and not notices(z)
    return texts


def pending_file(z):
    """Where the program keeps the records it could not write."""
    user = pwd.getpwuid(os.getuid()).pw_name
    return (Path(z.session.env["WINEPREFIX"]) / "drive_c" / "users" / user / "AppData" / "Local"
            / "Zeltrand" / "pending.csv")


def kept_lines(z, made):
    prefix = made.records_win.encode("cp932") + b"\t"
    path = pending_file(z)
    lines = path.read_bytes().splitlines(keepends=True) if path.is_file() else []
    return [line[len(prefix):] for line in lines if line.startswith(prefix)]


def record(z, made):
    """記録: the new line lands in the file or is kept for later, once."""
    z.start()
    z.click(RECORD_BUTTON)
    texts = settle(z)
    data = made.records.read_bytes() if made.records.is_file() else b""
    added = data[len(made.old_records):]
    if not made.old_records:
        added = added.removeprefix(fixture("header.csv"))
    lines = added.splitlines(keepends=True) + kept_lines(z, made)
    expect(len(lines) == 1 and RECORD_LINE.match(lines[0].rstrip(b"\n")),
           "not one new line, written or kept: %r" % lines)
    return texts


def record_lines(z, made):
    """記録 after the collectors read the registry: the file holds exactly
    the line the dialog shows, one line however odd the values were."""
    started(z)
    line = shown_line(z)
    z.click(RECORD_BUTTON)
    texts = settle(z)
    expect_equal(made.records.read_bytes(), fixture("header.csv") + line, "the record file")
    expect(RECORD_LINE.match(line[:-1]), "a broken record: %r" % line[:300])
    return texts


def record_and_report(z, made):
    """記録, then both registry reports: each report file is written whole."""
    texts = record_lines(z, made)
    for button, name in ((PRODUCT_REPORT, "MyReg.txt"), (HARDWARE_REPORT, "MyCert.txt")):
        report = z.app_dir / name
        z.click(button)
        # The walk keeps the dialog busy; the file appears whole, by a rename.
        wait_until(report.is_file, 60, name)
        texts += settle(z)
        expect(report.read_bytes().endswith(b"\r\n\r\n"), "%s is not whole" % name)
    return texts


def import_clipboard(data, imported=None):
    """取込 of data(); `imported`: what the record file gains, when known."""
    def action(z, made):
        z.start()
        z.clip_set(data())
        z.click(IMPORT_BUTTON)
        texts = settle(z)
        if imported is not None:
            expect_equal(made.records.read_bytes(), made.old_records + imported,
                         "the record file after 取込")
        return texts
    return action


def exit_only(z, made):
    z.start()
    return []


# --- the clipboard texts ----------------------------------------------------------

def fifty_megabytes_then_a_record():
    filler = "長いメールの本文です。Zeltrand の話ではありません。\r\n".encode("cp932")
    return filler * (50 * 2**20 // len(filler)) + mailed_text()


def binary_bytes():
    """Random bytes (no zero, which ends clipboard text) around a record tag
    with a bracket, so that the parser walks through them."""
    generator = random.Random(14)
    noise = bytes(generator.randrange(1, 256) for _ in range(1 << 16))
    return noise + b"Zeltrand v0.90 2[" + noise.replace(b",]", b"") + b",]" + noise


def record_without_bracket():
    return mailed_text().replace(b"[", b" ")


# --- the registry ---------------------------------------------------------------------

REG_TYPES = {"none": 0, "sz": 1, "expand_sz": 2, "binary": 3, "dword": 4, "multi_sz": 7,
             "qword": 11}
REG_SIZES = (255, 256, 257, 1 << 20)
HKLM = "HKEY_LOCAL_MACHINE\\"
UNINSTALL = HKLM + r"Software\Microsoft\Windows\CurrentVersion\Uninstall\ZFault %d"
PROFILE = HKLM + r"Software\Microsoft\Windows NT\CurrentVersion\ProfileList\S-1-5-21-7-7-7-%d"
NT_VERSION = HKLM + r"Software\Microsoft\Windows NT\CurrentVersion"
VERSION_NAMES = ("CurrentVersion", "CurrentBuildNumber", "ProductId", "Plus! VersionNumber")
PRODUCT_OPTIONS = HKLM + r"SYSTEM\CurrentControlSet\Control\ProductOptions"
PROCESSOR = HKLM + r"Hardware\Description\System\CentralProcessor\0"
# What the hardware report reads besides: values of two keys that exist
# (taken away again afterwards) and a device tree of its own.
WINDOWS = HKLM + r"Software\Microsoft\Windows\CurrentVersion"
WINDOWS_NAMES = ("ProductKey", "FirstInstallDateTime")
BIOS = HKLM + r"HARDWARE\DESCRIPTION\System"
BIOS_NAMES = ("SystemBiosDate", "SystemBiosVersion", "VideoBiosDate", "VideoBiosVersion")
DEVICE = HKLM + r"SYSTEM\ZFault\%d"


def reg_data(kind, size):
    """A value of type `kind` whose text is `size` bytes in code page 932,
    ending in 表 (its second byte is a backslash); other types get `size`
    bytes of data with line breaks, quotes and commas, and a zero at 127."""
    if kind in (1, 2, 7):
        raw = ("x" * (size - 2) + "表").encode("utf-16-le") + b"\0\0" * (2 if kind == 7 else 1)
    else:
        raw = bytes((n + 1) * 7 % 128 for n in range(size))
    return "hex(%x):%s" % (kind, ",".join("%02x" % b for b in raw))


def registry_fixture(kind, turn):
    """Every place the collectors and lists read, filled with values of one
    type; the sizes turn with the row so that each name sees each size."""
    def size(n):
        return REG_SIZES[(n + turn) % len(REG_SIZES)]
    lines = ["Windows Registry Editor Version 5.00", ""]
    for n in REG_SIZES:
        # One value of a megabyte per place keeps the fixture quick to import.
        most = reg_data(kind, min(n, 257))
        lines += ["[%s]" % (UNINSTALL % n), '"DisplayName"=' + reg_data(kind, n),
                  '"DisplayVersion"=' + most, "",
                  "[%s]" % (PROFILE % n), '"ProfileImagePath"=' + reg_data(kind, n), "",
                  "[%s]" % (DEVICE % n), '"Class"=' + most, '"DeviceDesc"=' + most, "",
                  "[%s\\CdRom]" % (DEVICE % n), '"Class"="CDROM"',
                  '"DeviceDesc"=' + reg_data(kind, n), ""]
    for key, names in ((WINDOWS, WINDOWS_NAMES), (BIOS, BIOS_NAMES)):
        lines += ["[%s]" % key] + ['"%s"=%s' % (name, reg_data(kind, REG_SIZES[(n + turn) % 3]))
                                   for n, name in enumerate(names)] + [""]
    lines += ["[%s]" % NT_VERSION]
    lines += ['"%s"=%s' % (name, reg_data(kind, size(n))) for n, name in enumerate(VERSION_NAMES)]
    small = REG_SIZES[turn % 3]
    lines += ["", "[%s]" % PRODUCT_OPTIONS, '"ProductType"=' + reg_data(kind, small),
              "", "[%s]" % PROCESSOR, '"~MHz"=' + reg_data(kind, small), ""]
    return "\r\n".join(lines).encode("utf-16")


def processor_speed(z):
    """The ~MHz Wine recorded, put back after the row."""
    z.wine(["reg", "query", PROCESSOR.replace(HKLM, "HKLM\\"), "/v", "~MHz"], "reading ~MHz")
    found = re.findall(rb"~MHz\s+REG_DWORD\s+0x([0-9a-fA-F]+)",
                       (z.folder / "wine-tools.log").read_bytes())
    expect(found, "no ~MHz in the prefix")
    return int(found[-1], 16)


def registry_values(kind_name):
    kind = REG_TYPES[kind_name]
    turn = list(REG_TYPES).index(kind_name)

    @contextmanager
    def place(z):
        mhz = processor_speed(z)
        reg = z.folder / ("values-%s.reg" % kind_name)
        reg.write_bytes(registry_fixture(kind, turn))
        undo = z.folder / "undo.reg"
        undo.write_bytes("\r\n".join(
            ["REGEDIT4", ""] + ["[-%s]" % (key % n) for n in REG_SIZES
                                for key in (UNINSTALL, PROFILE, DEVICE)]
            + ["[-%s]" % DEVICE.rsplit("\\", 1)[0], ""]
            + ["[%s]" % WINDOWS] + ['"%s"=-' % name for name in WINDOWS_NAMES]
            + ["[%s]" % BIOS] + ['"%s"=-' % name for name in BIOS_NAMES]
            + ["", "[%s]" % PROCESSOR, '"~MHz"=dword:%08x' % mhz, ""]).encode())
        try:
            z.import_reg(reg)
            yield default_records(z)
        finally:
            z.kill()
            z.import_reg(undo)
            z.import_reg(REG_FIXTURES / "wine_version_base.reg")
    return place


# --- the mail servers ------------------------------------------------------------------

def replies(connection, *lines):
    """Answers one command with each of `lines`."""
    for line in lines:
        if not read_line(connection):
            return
        connection.sendall(line + b"\r\n")


def closes_during_data(connection):
    connection.sendall(b"220 faults ESMTP\r\n")
    replies(connection, b"250 faults", b"250 ok", b"250 ok", b"354 go ahead")
    connection.recv(64)


def answers_nothing(connection):
    while connection.recv(4096):
        pass


def huge_reply(connection):
    connection.sendall(b"220 " + b"x" * (16 << 20) + b"\r\n")
    replies(connection, b"250 faults", b"250 ok", b"250 ok", b"354 go ahead")
    read_line(connection)


def endless_250_lines(connection):
    connection.sendall(b"220 faults ESMTP\r\n")
    read_line(connection)
    lines = b"250-faults has more to say\r\n" * 1000
    while True:
        connection.sendall(lines)


def mail_server(script):
    @contextmanager
    def place(z):
        with smtp_server(script):
            yield default_records(z, mail={"sender": "taro@example.com", "server": "127.0.0.1"})
    return place


def send_mail(z, made):
    """送信: the program tells how the mail failed within the mail's time-out."""
    z.start()
    began = time.monotonic()
    z.click(SEND_BUTTON)
    box = z.msgbox(timeout=MAIL_TIMEOUT_S + 15)
    waited = time.monotonic() - began
    print("the first box came %.1f s after 送信" % waited)
    expect(waited < MAIL_TIMEOUT_S + 10, "送信 held the program for %.0f s" % waited)
    z.answer("IDYES" if any(b == 6 for b, _ in box.buttons) else "IDOK")
    return [box.text] + settle(z)


# --- the table --------------------------------------------------------------------------

Fault = namedtuple("Fault", "name place action")
FAULTS = [
    Fault("record_into_a_missing_folder", records_in_a_missing_folder, record),
    Fault("record_into_a_read_only_file", records_read_only, record),
    Fault("record_onto_a_full_disk", records_on_a_full_disk, record),
    Fault("record_into_a_file_held_busy", records_held_busy, record),
    Fault("settings_read_only", settings_read_only, exit_only),
    Fault("settings_replaced_by_a_folder", settings_replaced_by_a_folder, exit_only),
    Fault("settings_on_a_full_disk", settings_on_a_full_disk(False), exit_only),
    Fault("settings_on_a_disk_without_free_entries", settings_on_a_full_disk(True), exit_only),
    Fault("clipboard_of_50_mb", old_records_beside,
          import_clipboard(fifty_megabytes_then_a_record,
                           fixture("worked_example_imported.csv"))),
    Fault("clipboard_of_binary_bytes", old_records_beside, import_clipboard(binary_bytes)),
    Fault("clipboard_record_without_bracket", old_records_beside,
          import_clipboard(record_without_bracket, b"")),
    Fault("mail_server_closes_during_data", mail_server(closes_during_data), send_mail),
    Fault("mail_server_answers_nothing", mail_server(answers_nothing), send_mail),
    Fault("mail_server_answers_16_mb", mail_server(huge_reply), send_mail),
    Fault("mail_server_sends_endless_250_lines", mail_server(endless_250_lines), send_mail),
] + [Fault("registry_values_" + kind, registry_values(kind), record_and_report)
     for kind in REG_TYPES]


def expect_records_kept(made):
    path = made.records
    data = path.read_bytes() if path.is_file() else b""
    expect(data.startswith(made.old_records),
           "records lost: the file no longer starts with the %d bytes it held (now %d bytes)"
           % (len(made.old_records), len(data)))
    added = data[len(made.old_records):]
    expect(not added or added.endswith(b"\n"), "a torn line after the old records: %r"
           % added[-200:])


def expect_settings_whole(z, made):
    path = z.app_dir / "Zeltrand.ini"
    if made.old_settings is None:
        expect(path.is_dir(), "the folder standing in for the settings file is gone")
    else:
        new = expected_settings(recipient=NEW_RECIPIENT, record=made.records_win, **made.mail)
        data = path.read_bytes()
        expect(data in (made.old_settings, new), "the settings file is torn: %r" % data[:400])
        print("the settings file holds its %s bytes" % ("new" if data == new else "old"))
    left = [p.name for p in z.app_dir.iterdir()
            if p.name not in ("Zeltrand.exe", "Zeltrand.ini", "Zeltrand.csv", "filler",
                              "MyReg.txt", "MyCert.txt")
            and not p.name.startswith("entry")]
    expect_equal(left, [], "files left beside the settings")


def run_fault(z, fault):
    # Records kept by a row are not left for the cases after it.
    pending = pending_file(z)
    before = pending.read_bytes() if pending.is_file() else None
    try:
        run_row(z, fault)
    finally:
        if before is None:
            pending.unlink(missing_ok=True)
        else:
            pending.write_bytes(before)


def run_row(z, fault):
    with fault.place(z) as made:
        texts = fault.action(z, made)
        print("boxes after the press: %r" % texts)
        expect(z.running(), "the program ended after the press (code %r)" % z.process.poll())
        z.settext(RECIPIENT_EDIT, NEW_RECIPIENT)
        z.click(EXIT_BUTTON)
        print("boxes at the exit: %r" % settle(z))
        code = z.wait_exit(timeout=20)
        expect(code in EXIT_CODES, "the program ended with %r" % code)
        out = (z.folder / "zeltrand-1.out").read_bytes()
        expect(b"Unhandled" not in out, "the program crashed: %r" % out[:400])
        expect_settings_whole(z, made)
        expect_records_kept(made)


def case_for(fault):
    def case(z):
        run_fault(z, fault)
    case.__name__ = "case_fault_" + fault.name
    return case


# One test a row: e2e.fault_<name>.
for _fault in FAULTS:
    globals()["case_fault_" + _fault.name] = case_for(_fault)
