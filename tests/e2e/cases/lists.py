"""Field 12 (MAC address), field 13 (default printer) and the lists of users
(14) and installed programs (15), with the registry fixtures the unit tests
read. The session's prefix is shared by every case, so each case takes back
what it imported."""

import os
import pwd
import re
from pathlib import Path

from registry_fixtures import FIXTURES, Imported
from zeltrand_e2e import expect, expect_equal, wait_until

MAC_FIELD = 12
PRINTER_FIELD = 13
USER_LIST = 14
SOFTWARE_LIST = 15
COLLECT_BUTTON = 23
EXIT_BUTTON = 27

MAC_FORM = re.compile(r"[nsu][0-9A-F]{2}(:[0-9A-F]{2}){5}")
# What the fixtures hold, in the order Wine enumerates it.
FIXTURE_USERS = ["suzuki", "表示", "Administrator"]
FIXTURE_PROGRAMS = ["Adobe Acrobat 5.0", "Zip Tool", "表計算ソフト 2002", "Zip Tool", "ﾒｰﾙｿﾌﾄ",
                    "ﾕｰｻﾞｰ辞書"]
FIXTURE_PRINTER = "経理部 LBP-1510,  Ne01:"
# Per-program DLL settings of Wine: "" keeps a DLL from loading at all.
DLL_OVERRIDES = r"HKCU\Software\Wine\AppDefaults\Zeltrand.exe\DllOverrides"
class DllsDisabled:
    """Zeltrand.exe started within runs without the given DLLs."""

    def __init__(self, z, *dlls):
        self.z = z
        self.dlls = dlls

    def __enter__(self):
        for dll in self.dlls:
            self.z.wine(["reg", "add", DLL_OVERRIDES, "/v", dll, "/d", "", "/f"],
                        "disabling %s" % dll)
        return self

    def __exit__(self, *exc):
        self.z.wine(["reg", "delete", DLL_OVERRIDES, "/f"], "enabling the DLLs again")


def host_interfaces():
    """(ifindex, ARP hardware type, address) of the Linux interfaces, which
    are what Wine reports."""
    def read(interface, name):
        return (interface / name).read_text().strip()

    return sorted((int(read(i, "ifindex")), int(read(i, "type")), read(i, "address").upper())
                  for i in Path("/sys/class/net").iterdir())


def first_ethernet_card():
    """The address the interface-table walk must end on: the first Ethernet
    interface by index that is neither all zeros nor a dial-up adapter."""
    ARPHRD_ETHER = 1
    for _, kind, address in host_interfaces():
        if kind == ARPHRD_ETHER and address != "00:00:00:00:00:00" and \
                not address.startswith("44:45:53:54"):
            return address
    raise AssertionError("this host has no Ethernet interface to compare with")


def wine_user():
    """The user of the prefix, whose profile Wine lists first."""
    return pwd.getpwuid(os.getuid()).pw_name


def exit_program(z):
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def recollect(z, field):
    """Presses 取得 and waits until `field` has been written again."""
    sentinel = "(before 取得)"
    z.settext(field, sentinel)
    z.click(COLLECT_BUTTON)

    def written_again():
        text = z.text(field)
        return text if text != sentinel else None

    return wait_until(written_again, 10, "field %d to be collected again" % field)


def case_lists_show_the_fixture_users_and_programs_in_order(z):
    with Imported(z, "profiles_nt.reg"), Imported(z, "uninstall_views.reg"):
        z.start()
        z.screenshot("lists")
        # The prefix's own user sorts first (S-1-5-21-0-0-0-1000); the service
        # accounts of the fixture are left out.
        expect_equal(z.items(USER_LIST), [wine_user()] + FIXTURE_USERS, "list 14")
        expect_equal(z.items(SOFTWARE_LIST), FIXTURE_PROGRAMS, "list 15")
        exit_program(z)


def case_programs_named_outside_the_code_page_are_all_listed(z):
    with Imported(z, "uninstall_unicode.reg"):
        z.start()
        shown = z.items(SOFTWARE_LIST)
        print("list 15: %r" % shown)
        # A character code page 932 lacks shows as its nearest letter or "?".
        expect_equal(shown, ["Cafe App", "Tool?", "波?ダッシュ 1.0", "表計算ソフト"], "list 15")
        exit_program(z)


def case_mac_address_has_its_form_and_survives_a_recollect(z):
    z.start()
    first = z.text(MAC_FIELD)
    print("field 12: %s" % first)
    expect(MAC_FORM.fullmatch(first), "field 12 %r is not of the form [nsu]XX:...:XX" % first)
    if first[0] in "ns":
        hosts = [address for _, _, address in host_interfaces()]
        expect(first[1:] in hosts, "%s is none of this host's addresses %r" % (first, hosts))
    expect_equal(recollect(z, MAC_FIELD), first, "field 12 after 取得")
    exit_program(z)


def case_mac_address_by_snmp_when_netbios_is_missing(z):
    with DllsDisabled(z, "netapi32"):
        z.start()
        expect_equal(z.text(MAC_FIELD), "s" + first_ethernet_card(), "field 12")
        exit_program(z)
    out = (z.folder / "zeltrand-1.out").read_bytes()
    expect(b"no inetmib1.dll" not in out, "the agent was reported missing: %r" % out)


def case_mac_address_from_the_interface_table_without_inetmib1(z):
    with DllsDisabled(z, "netapi32", "inetmib1"):
        z.start()
        expect_equal(z.text(MAC_FIELD), "s" + first_ethernet_card(), "field 12")
        expect_equal(recollect(z, MAC_FIELD), "s" + first_ethernet_card(), "field 12 after 取得")
        exit_program(z)
    out = (z.folder / "zeltrand-1.out").read_bytes()
    expect_equal(out.count(b"no inetmib1.dll\n"), 2, "traces on standard output")


def case_printer_field_shows_the_fixture_printer(z):
    z.start()
    expect_equal(z.text(PRINTER_FIELD), "未設定", "field 13 without a printer")
    exit_program(z)
    windows_key = r"HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows"
    with Imported(z, "printer.reg", shared_keys=(windows_key,)):
        z.start()
        expect_equal(z.text(PRINTER_FIELD), FIXTURE_PRINTER, "field 13")
        exit_program(z)
