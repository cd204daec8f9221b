"""The registry reports: 品番 writes MyReg.txt and WPA writes MyCert.txt into
the program's current folder. The prefix adds entries of its own; the
fixtures' entries stand in the files byte for byte as the unit tests expect."""

import re

from registry_fixtures import FIXTURES, Imported
from zeltrand_e2e import expect, expect_equal, wait_until

REPORTS = FIXTURES.parent / "reports"
CRLF = b"\r\n"


def report_of(z, button, name):
    """Presses a report button; the file is written whole, then renamed."""
    z.start()
    z.click(button)
    wait_until((z.app_dir / name).exists, 60, name)
    z.no_msgbox()
    published = z.text(2).rsplit(", ", 1)[1], z.text(12)
    z.click(27)
    expect_equal(z.wait_exit(), 0, "exit code")
    return (z.app_dir / name).read_bytes(), published


def case_product_report_lists_the_fixture_entries(z):
    expected = (REPORTS / "MyReg.txt").read_bytes()
    head_end = expected.index(b"Software\\")
    with Imported(z, "product_numbers.reg"):
        report, _ = report_of(z, 34, "MyReg.txt")
    expect(report.startswith(expected[:head_end]), "title and header")
    expect(expected[head_end:-len(CRLF)] in report, "the fixture's entries in order")
    expect(b"=[not entered]" not in report, "no key named Classes or CLASSES entered")
    expect(report.endswith(CRLF + CRLF), "a last empty line")


def case_hardware_report_lists_the_fixture_facts_and_devices(z):
    expected = (REPORTS / "MyCert.txt").read_bytes().split(CRLF)
    shared = (r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion",
              r"HKEY_LOCAL_MACHINE\HARDWARE\DESCRIPTION\System")
    with Imported(z, "hardware.reg", shared_keys=shared):
        report, (product_id, mac) = report_of(z, 33, "MyCert.txt")
    lines = report.split(CRLF)
    expect_equal(lines[:8], expected[:7] + [("ProductId=" + product_id).encode("cp932")],
                 "title, header and line 1")
    expect_equal(lines[8:14], expected[8:14], "lines 2 to 7 from the fixture")
    expect(re.fullmatch(r"ｼｽﾃﾑﾄﾞﾗｲﾌﾞ\(C:\\\)ｼﾘｱﾙNo=[0-9A-F]{4}-[0-9A-F]{4}\r\nﾒﾓﾘ=[1-9][0-9]*",
                        CRLF.join(lines[14:16]).decode("cp932")), "lines 8 and 9")
    expect_equal(lines[17], ("MACｱﾄﾞﾚｽ=" + mac).encode("cp932"), "line 11")
    expect(CRLF.join(expected[18:-1]) in report, "the fixture's devices in order")
    expect(b"NOT LISTED" not in report and b"SAMPLE CD-ROM" not in report,
           "no DISKDRIVE class, no Enum tree on the NT family")
    expect(report.endswith(CRLF + CRLF), "a last empty line")
