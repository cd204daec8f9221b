"""Zeltrand.exe /summary: the administrator's page of the record file, with
no dialog, and a 記録 that a summary reading the file does not hold up."""

import re
import subprocess

from cases.record import Holder
from wine_session import windows_path
from zeltrand_e2e import expect, expect_equal, wait_until

UNATTENDED = b"[auto]\r\nRec=1\r\nEnd=1\r\n"


def unattended_run(z):
    z.start()
    expect_equal(z.wait_exit(timeout=20), 0, "exit code of the automatic run")


def case_summary_of_two_automatic_runs_writes_and_opens_the_page(z):
    z.place("Zeltrand.ini", UNATTENDED)
    unattended_run(z)
    unattended_run(z)
    # The page goes to whatever opens .html pages (the prefix has nothing
    # for them): here, a note of its path.
    opened = z.folder / "opened.txt"
    for key, value in ((r"HKCR\.html", "ZeltrandCasePage"),
                       (r"HKCR\ZeltrandCasePage\shell\open\command",
                        'cmd.exe /c echo %%1>"%s"' % windows_path(opened))):
        z.wine(["reg", "add", key, "/ve", "/d", value, "/f"], "reg add " + key)
    result = subprocess.run(["wine", "Zeltrand.exe", "/summary"], cwd=z.app_dir,
                            env=z.session.env, stdin=subprocess.DEVNULL, capture_output=True,
                            timeout=60)
    # A failure would show a message box and wait for it: no dialog, no box.
    expect_equal(result.returncode, 0, "exit code of /summary")
    page = (z.app_dir / "Zeltrand.html").read_text("utf-8")
    expect(re.search(r"<dt>記録数</dt><dd>2 件</dd>", page), "two records in the head")
    rows = re.findall(r"<tr[^>]*><td>[^<]*</td><td><a [^>]*>([^<]*)</a></td>",
                      page.split('id="pcs"')[1])
    expect_equal(len(rows), 1, "PCs in the table")
    expect(re.search(r'<td class="n">2</td><td>[^<]*</td></tr>', page), "the PC's two records")
    wait_until(lambda: opened.exists() and b"Zeltrand.html" in opened.read_bytes(), 20,
               "the page opened")
    for key in (r"HKCR\ZeltrandCasePage", r"HKCR\.html"):
        z.wine(["reg", "delete", key, "/f"], "reg delete " + key)


def case_record_while_a_summary_reads_the_file_is_not_delayed(z):
    z.place("Zeltrand.ini", UNATTENDED)
    unattended_run(z)
    path = z.app_dir / "Zeltrand.csv"
    holder = Holder(z, path, how=("--read",))
    try:
        unattended_run(z)
        expect(not holder.released(), "the reader let go before the record was written")
        expect_equal(path.read_bytes().count(b"\n"), 3, "lines in the record file")
    finally:
        holder.stop()


def case_summary_writes_through_no_link_planted_in_the_page_folder(z):
    """Links planted where the page and a temporary file of old went: the
    page replaces its link, and neither link's target changes."""
    z.place("Zeltrand.ini", UNATTENDED)
    unattended_run(z)
    victim = z.folder / "victim.txt"
    victim.write_bytes(b"kept")
    for name in ("Zeltrand.html", "Zeltrand.html.tmp"):
        (z.app_dir / name).symlink_to(victim)
    result = subprocess.run(["wine", "Zeltrand.exe", "/summary"], cwd=z.app_dir,
                            env=z.session.env, stdin=subprocess.DEVNULL, capture_output=True,
                            timeout=60)
    expect_equal(result.returncode, 0, "exit code of /summary")
    expect_equal(victim.read_bytes(), b"kept", "the links' target")
    expect(not (z.app_dir / "Zeltrand.html").is_symlink(), "the page in place of its link")
