"""The two registry reports: 品番 writes MyReg.txt and WPA writes MyCert.txt
into the program's current folder. The prefix's own registry adds entries of
its own; the fixtures' entries must stand in the files byte for byte, as the
unit tests expect them."""

import re

from registry_fixtures import FIXTURES, Imported
from zeltrand_e2e import expect, expect_equal, wait_until

REPORTS = FIXTURES.parent / "reports"
WINDOWS_FIELD = 2
MAC_FIELD = 12
HARDWARE_BUTTON = 33
PRODUCT_BUTTON = 34
EXIT_BUTTON = 27
CRLF = b"\r\n"


def press_for_report(z, button, name):
    """Presses a report button and returns the file once it is complete
    (it is written whole, then renamed) and the dialog answers again."""
    path = z.app_dir / name
    z.click(button)
    wait_until(path.exists, 60, name)
    z.text(WINDOWS_FIELD)
    z.no_msgbox()
    return path.read_bytes()


def exit_program(z):
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_product_report_lists_the_fixture_entries(z):
    expected = (REPORTS / "MyReg.txt").read_bytes()
    head_end = expected.index(b"Software\\")
    head, entries = expected[:head_end], expected[head_end:-len(CRLF)]
    with Imported(z, "product_numbers.reg"):
        z.start()
        report = press_for_report(z, PRODUCT_BUTTON, "MyReg.txt")
        z.screenshot("after")
        exit_program(z)
    expect(report.startswith(head), "MyReg.txt starts with the title and the header")
    expect(report.endswith(CRLF + CRLF), "MyReg.txt ends in an empty line")
    expect(entries in report, "MyReg.txt holds the fixture's entries in order")
    expect(b"=[not entered]" not in report, "no key named Classes or CLASSES was entered")


def case_hardware_report_lists_the_fixture_facts_and_devices(z):
    expected = (REPORTS / "MyCert.txt").read_bytes().split(CRLF)
    first_fact = next(i for i, line in enumerate(expected) if line.startswith(b"ProductId="))
    registry_facts = expected[first_fact + 1:first_fact + 7]
    devices = CRLF.join(expected[first_fact + 11:-2]) + CRLF
    shared = (r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion",
              r"HKEY_LOCAL_MACHINE\HARDWARE\DESCRIPTION\System")
    with Imported(z, "hardware.reg", shared_keys=shared):
        z.start()
        product_id = z.text(WINDOWS_FIELD).rsplit(", ", 1)[1]
        mac = z.text(MAC_FIELD)
        report = press_for_report(z, HARDWARE_BUTTON, "MyCert.txt")
        exit_program(z)
    lines = report.split(CRLF)
    expect_equal(lines[:first_fact], expected[:first_fact], "title and header")
    facts = lines[first_fact:first_fact + 11]
    expect_equal(facts[0], ("ProductId=" + product_id).encode("cp932"), "line 1")
    expect_equal(facts[1:7], registry_facts, "lines 2 to 7")
    expect(re.fullmatch(r"ｼｽﾃﾑﾄﾞﾗｲﾌﾞ\(C:\\\)ｼﾘｱﾙNo=[0-9A-F]{4}-[0-9A-F]{4}",
                        facts[7].decode("cp932")), "line 8: %r" % facts[7])
    expect(re.fullmatch(r"ﾒﾓﾘ=[1-9][0-9]*", facts[8].decode("cp932")), "line 9: %r" % facts[8])
    expect(facts[9].startswith(b"ProcessorSerialNumber="), "line 10: %r" % facts[9])
    expect_equal(facts[10], ("MACｱﾄﾞﾚｽ=" + mac).encode("cp932"), "line 11")
    expect(devices in report, "MyCert.txt holds the fixture's devices in order")
    expect(b"NOT LISTED" not in report and b"SAMPLE CD-ROM" not in report,
           "no DISKDRIVE line, no device from Enum on the NT family")
    expect(report.endswith(CRLF + CRLF), "MyCert.txt ends in an empty line")
