"""Places where writing fails, for the fault cases: a folder seen through a
read-only bind mount (a write-protected share) and a tiny disk (tmpfs) that
Wine sees as a drive letter. Mounting needs root. Every mount is undone when
the block ends, whatever happened in it; a program still running from the
place is ended first, since it would keep the mount busy."""

import os
import socket
import subprocess
import threading
from contextlib import contextmanager
from pathlib import Path


def _umount(mount):
    if subprocess.run(["umount", str(mount)], capture_output=True).returncode != 0:
        subprocess.run(["umount", "-l", str(mount)], check=False)


@contextmanager
def read_only_view(z, folder, name):
    """`folder` as a read-only mount at z.folder/name; yields the mount."""
    mount = z.folder / name
    mount.mkdir()
    subprocess.run(["mount", "--bind", str(folder), str(mount)], check=True)
    try:
        subprocess.run(["mount", "-o", "remount,bind,ro", str(mount)], check=True)
        yield mount
    finally:
        z.kill()
        _umount(mount)


@contextmanager
def tiny_disk(z, letter, size_kib=1024, file_entries=None):
    """A tmpfs of `size_kib` KiB (and at most `file_entries` files and
    folders, its root included) mounted at z.folder/disk and mapped as
    drive `letter`; yields the mount."""
    mount = z.folder / "disk"
    mount.mkdir()
    options = "size=%dk,mode=0777" % size_kib
    if file_entries:
        options += ",nr_inodes=%d" % file_entries
    subprocess.run(["mount", "-t", "tmpfs", "-o", options, "zeltrand-fault", str(mount)],
                   check=True)
    link = Path(z.session.env["WINEPREFIX"]) / "dosdevices" / (letter.lower() + ":")
    try:
        link.unlink(missing_ok=True)
        link.symlink_to(mount)
        yield mount
    finally:
        z.kill()
        link.unlink(missing_ok=True)
        _umount(mount)


def fill(mount, file_entries=False):
    """Takes the last free byte of the disk at `mount`, and with
    `file_entries` its last free file entry too."""
    fd = os.open(mount / "filler", os.O_WRONLY | os.O_CREAT)
    try:
        for size in (1 << 16, 1):
            while True:
                try:
                    os.write(fd, b"\0" * size)
                except OSError:
                    break
    finally:
        os.close(fd)
    if file_entries:
        for n in range(100000):
            try:
                (mount / ("entry%d" % n)).touch()
            except OSError:
                return


@contextmanager
def smtp_server(script):
    """A scripted mail server on 127.0.0.1 port 25: each connection is handed
    to script(connection) in a thread of its own; stopped when the block ends."""
    try:
        listener = socket.create_server(("127.0.0.1", 25))
    except OSError as error:
        raise OSError("port 25 is held by another server: %s" % error) from None
    listener.settimeout(0.2)
    stop = threading.Event()

    def talk(connection):
        with connection:
            connection.settimeout(60)
            try:
                script(connection)
            except OSError:
                pass  # the program hung up: what the script was waiting for

    def serve():
        while not stop.is_set():
            try:
                connection, _ = listener.accept()
            except socket.timeout:
                continue
            except OSError:
                return
            threading.Thread(target=talk, args=(connection,), daemon=True).start()

    thread = threading.Thread(target=serve, daemon=True)
    thread.start()
    try:
        yield
    finally:
        stop.set()
        thread.join(5)
        listener.close()


def read_line(connection):
    """One command line from the program; b"" once it hung up."""
    line = b""
    while not line.endswith(b"\n"):
        byte = connection.recv(1)
        if not byte:
            break
        line += byte
    return line
