"""What an end-to-end case works with: one Zeltrand.exe in a folder of its own,
started under the session's Wine and driven through zdriver.exe.

A case is a function `case_<name>(z)` in tests/e2e/cases/*.py; it becomes the
CTest test e2e.<name>. `z` is a `Case`:

    def case_exit_button_ends_the_program(z):
        z.start()
        z.click(27)
        expect_equal(z.wait_exit(), 0, "exit code")

What a case leaves behind stays in the build tree for a look after a failure
(build/native/tests/e2e/):
    cases/<name>/app/              Zeltrand.exe and whatever it wrote beside itself
    cases/<name>/case.log          every driver call, with its exit code
    cases/<name>/zeltrand-1.out    the program's stdout and stderr (-2 on a retry)
    cases/<name>/windows-at-failure.txt
    screenshots/<name>-<step>.png  z.screenshot(step), and <name>-failure.png
"""

import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time
from collections import namedtuple
from pathlib import Path

from wine_session import read_state, windows_path

# A start takes well under a second here; now and then a start under Wine never
# shows its dialog, hence the generous timeout and the one retry.
START_TIMEOUT_S = 20
DRIVER_TIMEOUT_S = 60
POLL_S = 0.05

Control = namedtuple("Control", "id cls style exstyle x y w h text")
# x y w h: the window's rectangle; cx cy cw ch: its client area (screen pixels).
Window = namedtuple("Window",
                    "hwnd cls owner visible iconic style exstyle x y w h cx cy cw ch exe title")
MessageBox = namedtuple("MessageBox", "hwnd caption text buttons")

VK_RETURN = 0x0D
VK_ESCAPE = 0x1B
VK_TAB = 0x09
VK_SPACE = 0x20


class CaseFailure(AssertionError):
    pass


def expect(condition, message):
    if not condition:
        raise CaseFailure(message)


def expect_equal(actual, expected, what):
    if actual != expected:
        raise CaseFailure("%s: expected %r, got %r" % (what, expected, actual))


def unescape(field):
    """Undoes the driver's escaping of backslash, tab, CR and LF."""
    out, chars = [], iter(field)
    for c in chars:
        if c == "\\":
            c = {"\\": "\\", "t": "\t", "r": "\r", "n": "\n"}[next(chars)]
        out.append(c)
    return "".join(out)


def ended_silently_by_wine(process, output):
    """True when `process`, a Wine program that says why whenever it fails
    itself, ended with 1 and wrote nothing to `output`. Under load, about one
    Wine start in a few thousand ends like that before the program has run."""
    return process.poll() == 1 and not Path(output).read_bytes()


def wait_until(condition, timeout, what):
    """Polls `condition` until it returns something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise CaseFailure("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(POLL_S)


class Session:
    """The running Wine session, as wine_session.py start recorded it."""

    def __init__(self, state_path):
        self.state = read_state(Path(state_path))
        if self.state is None:
            raise CaseFailure("no e2e session (%s missing): the e2e.session_start "
                              "test sets it up" % state_path)
        self.env = self.state["env"]
        self.display = self.state["display"]
        self.zeltrand_exe = Path(self.state["zeltrand_exe"])
        self.driver_exe = Path(self.state["driver_exe"])
        self.e2e_dir = Path(self.state["root"]).parent


class Driver:
    """zdriver.exe, one Wine process per command (about 0.05 s warm)."""

    def __init__(self, session, log):
        self.session = session
        self.log = log

    def run(self, *args, check=True, timeout=DRIVER_TIMEOUT_S):
        """Returns (exit code, stdout bytes). The driver says why whenever it
        fails, so a silent 1 means Wine ended it before it ran (see
        ended_silently_by_wine): that command is run once more."""
        code, stdout, stderr = self._run_once(args, timeout)
        if code == 1 and not stderr and not stdout:
            self.log.write("  (ended by Wine before it ran: once more)\n")
            code, stdout, stderr = self._run_once(args, timeout)
        if code != 0 and not stderr:
            stderr = "(no message from the driver)"
        if stderr:
            self.log.write("  " + stderr.replace("\n", "\n  ").rstrip() + "\n")
        self.log.flush()
        if check and code != 0:
            raise CaseFailure("zdriver %s failed (%d): %s"
                              % (" ".join(str(a) for a in args), code, stderr.strip()))
        return code, stdout

    def _run_once(self, args, timeout):
        """Output goes through files: a Wine program may leave a helper
        process holding an inherited pipe."""
        args = [str(a) for a in args]
        began = time.monotonic()
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run(["wine", str(self.session.driver_exe)] + args,
                                    env=self.session.env, stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            stdout, stderr = out.read(), err.read().decode("utf-8", "replace")
        self.log.write("zdriver %s -> %d (%.2f s)\n"
                       % (" ".join(args), result.returncode, time.monotonic() - began))
        return result.returncode, stdout, stderr

    def records(self, *args, **kwargs):
        code, stdout = self.run(*args, **kwargs)
        lines = stdout.decode("utf-8").split("\n")
        return [[unescape(f) for f in line.split("\t")] for line in lines if line]


class Case:
    """One case: its folder, its copy of Zeltrand.exe and the running program."""

    def __init__(self, session, name):
        self.session = session
        self.name = name
        self.folder = session.e2e_dir / "cases" / name
        self.screenshots = session.e2e_dir / "screenshots"
        shutil.rmtree(self.folder, ignore_errors=True)
        self.folder.mkdir(parents=True)
        self.screenshots.mkdir(exist_ok=True)
        for old in self.screenshots.glob(name + "-*.png"):
            old.unlink()
        # The program's own folder holds only what it finds or writes there.
        self.app_dir = self.folder / "app"
        self.app_dir.mkdir()
        self.exe = self.app_dir / "Zeltrand.exe"
        shutil.copy2(session.zeltrand_exe, self.exe)
        self.log = open(self.folder / "case.log", "w")
        self.driver = Driver(session, self.log)
        self.process = None
        self.dialog = None
        self.start_seconds = None
        self.sweep()
        # The next 記録 adds every record kept before, whatever its file:
        # each case starts with none kept by another.
        (Path(session.env["WINEPREFIX"]) / "drive_c" / "users" / pwd.getpwuid(os.getuid()).pw_name
         / "AppData" / "Local" / "Zeltrand" / "pending.csv").unlink(missing_ok=True)

    # --- setting up ------------------------------------------------------

    def place(self, name, content):
        """Puts a file beside the exe: bytes, or the path of a file to copy."""
        target = self.app_dir / name
        target.parent.mkdir(parents=True, exist_ok=True)
        if isinstance(content, (bytes, bytearray)):
            target.write_bytes(content)
        else:
            shutil.copy2(content, target)
        return target

    def import_reg(self, reg_file):
        """Imports a .reg fixture (UTF-16LE "Version 5.00" or CP932 REGEDIT4)."""
        self.wine(["reg", "import", windows_path(reg_file)], "reg import %s" % reg_file)

    def wine(self, args, what, timeout=60):
        """Runs a Wine tool (reg: running it twice does no harm) in the case
        folder to its end; fails loudly. A silent 1 is Wine's (see
        ended_silently_by_wine): the tool is run once more."""
        log = self.folder / "wine-tools.log"
        for attempt in (1, 2):
            before = log.stat().st_size if log.exists() else 0
            with open(log, "ab") as out:
                result = subprocess.run(["wine"] + [str(a) for a in args], env=self.session.env,
                                        cwd=self.folder, stdin=subprocess.DEVNULL, stdout=out,
                                        stderr=subprocess.STDOUT, timeout=timeout)
            silent = log.stat().st_size == before
            if result.returncode == 0 or not silent:
                break
            with open(log, "a") as out:
                out.write("(%s failed with %d without a word)\n" % (what, result.returncode))
        if result.returncode != 0:
            raise CaseFailure("%s failed with %d" % (what, result.returncode))

    # --- the program -----------------------------------------------------

    def start(self, *args, timeout=START_TIMEOUT_S):
        """Starts Zeltrand.exe and waits for its dialog; returns its HWND."""
        for attempt in (1, 2):
            began = time.monotonic()
            self._launch(args, attempt)
            hwnd = self._find_dialog(timeout)
            if hwnd:
                self.start_seconds = time.monotonic() - began
                print("start-to-dialog: %.2f s%s" % (
                    self.start_seconds, " (second attempt)" if attempt == 2 else ""), flush=True)
                self.dialog = hwnd
                return hwnd
            exited = self.process.poll()
            self.screenshot("start-failed-%d" % attempt)
            self.kill()
            # The program itself always ends with 0.
            wine_failed = ended_silently_by_wine(self.process,
                                                 self.folder / ("zeltrand-%d.out" % attempt))
            if exited is not None and not wine_failed:
                raise CaseFailure("Zeltrand.exe exited with %d before its dialog showed"
                                  % exited)
            print("no dialog after %d s, starting once more" % timeout if exited is None
                  else "Wine ended the start with 1 without a word, starting once more",
                  flush=True)
        raise CaseFailure("Zeltrand.exe never showed its dialog")

    def _launch(self, args, attempt):
        out = open(self.folder / ("zeltrand-%d.out" % attempt), "w")
        self.process = subprocess.Popen(
            ["wine", "Zeltrand.exe"] + [str(a) for a in args], cwd=self.app_dir,
            env=self.session.env, stdin=subprocess.DEVNULL, stdout=out,
            stderr=subprocess.STDOUT)
        out.close()

    def _find_dialog(self, timeout):
        """The driver polls for the window; this loop also notices the program
        ending early instead of waiting out the whole timeout."""
        with tempfile.TemporaryFile() as out:
            finder = subprocess.Popen(
                ["wine", str(self.session.driver_exe), "find", "--exe", self.wine_path(self.exe),
                 "--timeout", str(int(timeout * 1000))],
                env=self.session.env, stdin=subprocess.DEVNULL, stdout=out,
                stderr=subprocess.DEVNULL)
            while finder.poll() is None:
                if self.process.poll() is not None:
                    finder.kill()
                    finder.wait()
                    return None
                time.sleep(POLL_S)
            out.seek(0)
            found = out.read().decode().split()
        self.log.write("find -> %s\n" % found)
        return found[0] if finder.returncode == 0 and found else None

    def wine_path(self, path):
        """`path` as Wine programs see it: through the drive letter whose
        folder holds it most closely (a case may map one), else through Z:."""
        path = Path(path).resolve()
        best = None
        for link in (Path(self.session.env["WINEPREFIX"]) / "dosdevices").glob("?:"):
            root = link.resolve()
            if root != Path("/") and path.is_relative_to(root) and \
                    (best is None or len(root.parts) > len(best[1].parts)):
                best = (link.name.upper(), root)
        if best is None:
            return windows_path(path)
        return best[0] + "\\" + "\\".join(path.relative_to(best[1]).parts)

    def running(self):
        return self.process is not None and self.process.poll() is None

    def wait_exit(self, timeout=10):
        """Waits for the program to end; returns its exit code."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise CaseFailure("Zeltrand.exe still running after %d s" % timeout) from None

    def kill(self):
        if self.running():
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()

    # --- the dialog ------------------------------------------------------

    def _hwnd(self, hwnd):
        hwnd = hwnd or self.dialog
        expect(hwnd, "no dialog: call start() first")
        return hwnd

    def controls(self, hwnd=None):
        return [Control(int(r[0]), r[1], int(r[2], 16), int(r[3], 16),
                        *(int(v) for v in r[4:8]), r[8])
                for r in self.driver.records("controls", self._hwnd(hwnd))]

    def units(self, template="Dlg"):
        """Dialog base units (x, y) of the template, from the program's exe."""
        record = self.driver.records("units", self._hwnd(None), template)[0]
        return int(record[1]), int(record[2])

    def info(self, hwnd=None):
        return self._window(self.driver.records("info", self._hwnd(hwnd))[0])

    def windows(self):
        return [self._window(r) for r in self.driver.records("windows")]

    @staticmethod
    def _window(r):
        return Window(r[0], r[1], r[2], r[3] == "1", r[4] == "1", int(r[5], 16), int(r[6], 16),
                      *(int(v) for v in r[7:15]), r[15], r[16])

    def own_windows(self):
        """Top-level windows of this case's program that are visible."""
        mine = self.wine_path(self.exe).lower()
        return [w for w in self.windows() if w.exe.lower() == mine and w.visible]

    def text(self, control_id=None):
        args = ["text", self._hwnd(None)] + ([control_id] if control_id is not None else [])
        # One record, which is an empty line for an empty text.
        return unescape(self.driver.run(*args)[1].decode("utf-8").removesuffix("\n"))

    def settext(self, control_id, text):
        self.driver.run("settext", self._hwnd(None), control_id, text)

    def items(self, control_id):
        return [r[1] for r in self.driver.records("items", self._hwnd(None), control_id)]

    def check(self, control_id):
        return int(self.driver.records("check", self._hwnd(None), control_id)[0][0])

    def focus(self):
        """The id of the control that has the keyboard focus."""
        return int(self.driver.records("focus", self._hwnd(None))[0][1])

    def click(self, control_id):
        self.driver.run("click", self._hwnd(None), control_id)

    def command(self, control_id, code=0):
        self.driver.run("command", self._hwnd(None), control_id, code)

    def close(self):
        self.driver.run("close", self._hwnd(None))

    def sysclose(self):
        self.driver.run("sysclose", self._hwnd(None))

    def key(self, vk, control_id=None):
        args = ["key", self._hwnd(None), vk] + ([control_id] if control_id is not None else [])
        self.driver.run(*args)

    def pointer(self, control_id, click=False):
        """Moves the mouse onto the control, and clicks it, by real input."""
        self.driver.run("pointer", self._hwnd(None), control_id, *(["click"] if click else []))

    def keys(self, *vks):
        """Presses the keys together by real input (17, 3: Ctrl+Break)."""
        self.driver.run("keys", self._hwnd(None), *vks)

    def tooltips(self):
        """Each tool of the dialog's tooltips: (tooltip hwnd, control id or
        "dialog", flags, maximum width, text)."""
        return [(r[0], r[1], int(r[2], 16), int(r[3]), r[4])
                for r in self.driver.records("tooltips", self._hwnd(None))]

    def shortcut(self, folder, name):
        """The shortcut `name` in the user's "startup" or "programs" folder:
        {"path", "target", "description"}, or {"path", "missing"}."""
        return {r[0]: r[1] if len(r) > 1 else True
                for r in self.driver.records("shortcut", folder, name)}

    def msgbox(self, timeout=5):
        """The message box the dialog owns, waited for up to `timeout` s."""
        records = self.driver.records("msgbox", "--owner", self._hwnd(None),
                                      "--timeout", int(timeout * 1000))
        fields = {r[0]: r[1] for r in records if r[0] != "button"}
        buttons = [(int(r[1]), r[2]) for r in records if r[0] == "button"]
        return MessageBox(fields["hwnd"], fields["caption"], fields["text"], buttons)

    def no_msgbox(self, within=1.0):
        """Passes when no message box shows up within `within` s."""
        code, _ = self.driver.run("msgbox", "--owner", self._hwnd(None),
                                  "--timeout", int(within * 1000), check=False)
        expect(code == 1, "a message box appeared: %r" % (self.msgbox(),) if code == 0 else
               "zdriver msgbox failed with %d" % code)

    def answer(self, button="IDOK", timeout=5):
        """Clicks a button of the dialog's message box; waits until it is gone."""
        self.driver.run("answer", "--owner", self._hwnd(None), "--button", button,
                        "--timeout", int(timeout * 1000))

    # --- clipboard and screen --------------------------------------------

    def clip_set(self, data):
        path = self.folder / "clipboard-in.bin"
        path.write_bytes(data)
        self.driver.run("clip-set", windows_path(path))

    def clip_get(self):
        return self.driver.run("clip-get")[1]

    def clip_empty(self):
        self.driver.run("clip-empty")

    def screenshot(self, step):
        """The whole screen, once the dialog (if it is up) has painted itself."""
        if self.running() and self.dialog:
            self.driver.run("settle", self.dialog, check=False)
        path = self.screenshots / ("%s-%s.png" % (self.name, step))
        result = subprocess.run(["import", "-window", "root", "-display", self.session.display,
                                 str(path)], env=self.session.env, stdin=subprocess.DEVNULL,
                                capture_output=True, timeout=60)
        if result.returncode != 0:
            raise CaseFailure("screenshot failed: %s" % result.stderr.decode().strip())
        return path

    # --- the end -----------------------------------------------------------

    def finish(self, failed):
        """Always runs: records the scene of a failure, then makes sure no
        process of this case survives into the next one."""
        if failed:
            for what, record in (("screenshot", lambda: self.screenshot("failure")),
                                 ("window list", self._write_windows)):
                try:
                    record()
                except Exception as error:  # the case's own failure matters more
                    self.log.write("no %s of the failure: %s\n" % (what, error))
        was_running = self.running()
        self.kill()
        if was_running and self.dialog:
            self.driver.run("wait-gone", self.dialog, "--timeout", 10000, check=False)
        self.sweep()
        self.log.close()

    def sweep(self):
        """Ends every process that shows a top-level window. In a quiet
        session only the desktop's hidden windows exist, so whatever is
        visible is left over: a box of a killed program, an opened editor."""
        for window in self.windows():
            if window.visible:
                print("ending the leftover %r (%s, %s)" % (window.title, window.cls, window.exe))
                self.driver.run("kill", window.hwnd)

    def _write_windows(self):
        (self.folder / "windows-at-failure.txt").write_bytes(self.driver.run("windows")[1])
