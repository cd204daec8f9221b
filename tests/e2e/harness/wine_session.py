"""The private Wine session the end-to-end cases run in.

One session serves a whole test run: a private X server (Xvfb, its own
display number, cookie and no TCP), a private WINEPREFIX copied from a template
prefix, and a persistent wineserver. `start` writes everything a case needs
into a state file (JSON) in the build tree; `stop` ends the session.

    python3 wine_session.py start --state FILE --win-build DIR --fixtures DIR
    python3 wine_session.py stop --state FILE

A session started by ctest belongs to that ctest run. Two test runs in one
build tree take turns: a second `start` waits until the first run's `stop`,
and a `stop` leaves another live run's session alone. A session started by
hand belongs to no run; the next `start` replaces it.

Layout under the state file's folder (build/native/tests/e2e/session):
    prefix/  home/  xauthority  logs/  state.json
The template prefix sits beside it (../wine-template) and is made once: a
fresh `wineboot -i` takes about 13 s, a copy about a second.
"""

import argparse
import fcntl
import json
import os
import secrets
import select
import shutil
import signal
import struct
import subprocess
import sys
import time
from pathlib import Path

SCREEN = "1024x768x24"
TEMPLATE_MARK = ".zeltrand-template"
# Both registry fixtures are imported into every session, in this order.
SESSION_REG_FILES = ("desktop.reg", "fonts.reg")
REQUIRED_TOOLS = ("Xvfb", "wine", "wineserver", "import")
# How long a start waits for another test run's session to end.
OTHER_RUN_WAIT_S = 600
# The symbol font of the caption buttons (close box, minimise). Debian's
# fonts-wine ships it, but this Wine does not look in that folder; a copy in
# the prefix's own Fonts folder is found.
CAPTION_FONT = Path("/usr/share/wine/fonts/marlett.ttf")


class SessionError(Exception):
    pass


def windows_path(path):
    """The path as a Wine program sees it through drive Z:."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def require_tools():
    missing = [tool for tool in REQUIRED_TOOLS if not shutil.which(tool)]
    if missing:
        raise SessionError(
            "missing tools: %s (install the packages in scripts/e2e-deps.txt)"
            % ", ".join(missing))


def base_env(prefix, home, display, xauthority):
    """The environment of every Wine process of the session.

    LC_* would override LANG; Wine must see ja_JP.UTF-8 to use code page 932.
    """
    env = {key: value for key, value in os.environ.items()
           if not key.startswith(("LC_", "WINE")) and key not in (
               "DISPLAY", "XAUTHORITY", "LANGUAGE", "HOME")}
    env.update({
        "HOME": str(home),
        "WINEPREFIX": str(prefix),
        "WINEARCH": "win64",
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "winemenubuilder.exe=d;mscoree=d;mshtml=d",
        "LANG": "ja_JP.UTF-8",
        "DISPLAY": display,
        "XAUTHORITY": str(xauthority),
    })
    return env


def write_xauthority(path):
    """An X authority file whose one cookie is good for any display number.

    Xvfb picks its display number itself (-displayfd), so the entry uses the
    wildcard family and an empty display number; Xvfb reads the cookie at
    start, clients (Wine, import) find it through XAUTHORITY.
    """
    def field(data):
        return struct.pack(">H", len(data)) + data
    cookie = secrets.token_bytes(16)
    entry = (struct.pack(">H", 0xFFFF) + field(b"") + field(b"")
             + field(b"MIT-MAGIC-COOKIE-1") + field(cookie))
    path.write_bytes(entry)
    path.chmod(0o600)


def start_xvfb(xauthority, log):
    read_end, write_end = os.pipe()
    process = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN,
         "-nolisten", "tcp", "-auth", str(xauthority), "-noreset"],
        pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log,
        stderr=subprocess.STDOUT, start_new_session=True)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n"):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([read_end], [], [], left)[0]:
            process.kill()
            raise SessionError("Xvfb did not report a display within 20 s")
        chunk = os.read(read_end, 16)
        if not chunk:
            raise SessionError("Xvfb exited at start (see %s)" % log.name)
        number += chunk
    os.close(read_end)
    return process.pid, ":" + number.decode().strip()


def run(command, env, log, timeout, cwd=None):
    """Runs a command to its end with its output in the log; fails loudly. A
    Wine command that ends with 1 without a word never ran (see
    ended_silently_by_wine in zeltrand_e2e.py) and is run again."""
    for attempt in (1, 2):
        log.write("$ %s\n" % " ".join(command))
        log.flush()
        before = os.fstat(log.fileno()).st_size
        result = subprocess.run(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                stdout=log, stderr=subprocess.STDOUT, timeout=timeout)
        silent = os.fstat(log.fileno()).st_size == before
        if not (command[0] == "wine" and result.returncode == 1 and silent):
            break
    if result.returncode != 0:
        raise SessionError("%s failed with %d (see %s)"
                           % (" ".join(command), result.returncode, log.name))


def wine_version():
    return subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          env={**os.environ, "WINEDEBUG": "-all"},
                          check=True).stdout.strip()


def prefix_fonts(prefix):
    return prefix / "drive_c" / "windows" / "Fonts"


def ensure_template(template, display, xauthority, log):
    """Makes the template prefix unless one for this Wine version, with the
    caption font, exists."""
    if not CAPTION_FONT.is_file():
        raise SessionError("%s missing (install the packages in scripts/e2e-deps.txt)"
                           % CAPTION_FONT)
    version = wine_version()
    mark = template / TEMPLATE_MARK
    if (mark.is_file() and mark.read_text() == version
            and (prefix_fonts(template) / CAPTION_FONT.name).is_file()):
        return False
    shutil.rmtree(template, ignore_errors=True)
    home = template.parent / "wine-template-home"
    shutil.rmtree(home, ignore_errors=True)
    home.mkdir(parents=True)
    env = base_env(template, home, display, xauthority)
    run(["wineboot", "-i"], env, log, timeout=300)
    # wineserver writes the registry files when it exits; copy them after.
    run(["wineserver", "-w"], env, log, timeout=120)
    # The shell folders (Desktop, Documents, ...) are symlinks into the
    # template's HOME. Real folders keep each copy self-contained.
    for folder, subfolders, files in os.walk(template / "drive_c" / "users"):
        for name in subfolders + files:
            entry = Path(folder) / name
            if entry.is_symlink():
                entry.unlink()
                entry.mkdir()
    shutil.rmtree(home, ignore_errors=True)
    shutil.copy2(CAPTION_FONT, prefix_fonts(template))
    mark.write_text(version)
    return True


def process_identity(pid):
    """pid and kernel start time: a pid alone may have been reused."""
    try:
        stat = Path("/proc/%d/stat" % pid).read_text()
    except OSError:
        return None
    return {"pid": pid, "start": int(stat.rsplit(")", 1)[1].split()[19])}


def test_run_identity():
    """The ctest run this process belongs to, or None when run by hand."""
    parent = os.getppid()
    try:
        name = Path("/proc/%d/comm" % parent).read_text().strip()
    except OSError:
        return None
    return process_identity(parent) if name == "ctest" else None


def alive(identity):
    return identity is not None and process_identity(identity["pid"]) == identity


def read_state(state_path):
    try:
        return json.loads(state_path.read_text())
    except FileNotFoundError:
        return None


def owned_by_other_run(state):
    """True when the session belongs to a test run other than ours that is
    still going."""
    return (state is not None and alive(state["owner"])
            and state["owner"]["pid"] != os.getppid())


def wait_for_other_run(state_path):
    deadline = time.monotonic() + OTHER_RUN_WAIT_S
    state = read_state(state_path)
    if owned_by_other_run(state):
        print("waiting for the e2e session of another test run (pid %d) to end"
              % state["owner"]["pid"], flush=True)
    while owned_by_other_run(read_state(state_path)):
        if time.monotonic() > deadline:
            raise SessionError("another test run kept the e2e session for %d s"
                               % OTHER_RUN_WAIT_S)
        time.sleep(0.5)


def stop_xvfb(identity):
    if not alive(identity):
        return
    os.kill(identity["pid"], signal.SIGTERM)
    deadline = time.monotonic() + 10
    while alive(identity):
        if time.monotonic() > deadline:
            os.kill(identity["pid"], signal.SIGKILL)
            break
        time.sleep(0.05)


def stop_session(state_path):
    """Ends the session of the state file, if any; harmless when none runs."""
    state = read_state(state_path)
    if state is None:
        return
    env = state["env"]
    if Path(env["WINEPREFIX"]).is_dir():
        subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, timeout=60,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    stop_xvfb(state["xvfb"])
    state_path.unlink()
    shutil.rmtree(env["WINEPREFIX"], ignore_errors=True)


def start_session(state_path, win_build, fixtures):
    require_tools()
    exes = {name: win_build / name for name in ("Zeltrand.exe", "zdriver.exe")}
    for name, path in exes.items():
        if not path.is_file():
            raise SessionError(
                "%s not found in %s: build it first (cmake --preset mingw && "
                "cmake --build --preset mingw) or set ZELTRAND_WIN_BUILD_DIR"
                % (name, win_build))
    regs = [fixtures / name for name in SESSION_REG_FILES]
    for reg in regs:
        if not reg.is_file():
            raise SessionError("registry fixture missing: %s" % reg)

    stop_session(state_path)
    root = state_path.parent
    shutil.rmtree(root, ignore_errors=True)
    (root / "logs").mkdir(parents=True)
    (root / "home").mkdir()
    log = open(root / "logs" / "session.log", "w")
    timings = {}

    begin = time.monotonic()
    xauthority = root / "xauthority"
    write_xauthority(xauthority)
    xvfb_pid, display = start_xvfb(xauthority, open(root / "logs" / "xvfb.log", "w"))
    timings["xvfb"] = time.monotonic() - begin

    # Written at once, so that main() can stop Xvfb when a later step fails.
    prefix = root / "prefix"
    env = base_env(prefix, root / "home", display, xauthority)
    state = {"env": env, "owner": test_run_identity(),
             "xvfb": process_identity(xvfb_pid), "display": display,
             "zeltrand_exe": str(exes["Zeltrand.exe"]),
             "driver_exe": str(exes["zdriver.exe"]),
             "root": str(root), "timings": timings}
    state_path.write_text(json.dumps(state, indent=2))

    mark = time.monotonic()
    made = ensure_template(root.parent / "wine-template", display, xauthority, log)
    timings["template_made" if made else "template_checked"] = time.monotonic() - mark

    mark = time.monotonic()
    run(["cp", "-a", str(root.parent / "wine-template"), str(prefix)], env, log, 300)
    timings["prefix_copy"] = time.monotonic() - mark

    mark = time.monotonic()
    # Persistent: keeps Wine's start cheap, and the registry alive between
    # the steps of a case.
    run(["wineserver", "-p"], env, log, timeout=60)
    for reg in regs:
        run(["wine", "reg", "import", windows_path(reg)], env, log, timeout=120)
    timings["registry"] = time.monotonic() - mark

    # The first GUI program starts the virtual desktop; let it be the driver,
    # so a case's first start is not the one paying for it.
    mark = time.monotonic()
    run(["wine", str(exes["zdriver.exe"]), "windows"], env, log, timeout=120)
    timings["desktop"] = time.monotonic() - mark
    timings["total"] = time.monotonic() - begin
    state_path.write_text(json.dumps(state, indent=2))
    print("e2e session on display %s, prefix %s" % (display, prefix))
    for name, seconds in timings.items():
        print("  %-17s %6.2f s" % (name, seconds))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("action", choices=("start", "stop"))
    parser.add_argument("--state", required=True, type=Path)
    parser.add_argument("--win-build", type=Path)
    parser.add_argument("--fixtures", type=Path)
    args = parser.parse_args()
    state_path = args.state.resolve()
    try:
        if args.action == "start":
            if not args.win_build or not args.fixtures:
                parser.error("start needs --win-build and --fixtures")
            state_path.parent.parent.mkdir(parents=True, exist_ok=True)
            with open(state_path.parent.parent / "session.lock", "w") as lock:
                fcntl.flock(lock, fcntl.LOCK_EX)  # one start at a time
                wait_for_other_run(state_path)
                try:
                    start_session(state_path, args.win_build.resolve(),
                                  args.fixtures.resolve())
                except BaseException:
                    stop_session(state_path)
                    raise
        elif owned_by_other_run(read_state(state_path)):
            print("the e2e session belongs to another test run; left alone")
        else:
            stop_session(state_path)
    except (SessionError, subprocess.TimeoutExpired) as error:
        print("e2e session: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
