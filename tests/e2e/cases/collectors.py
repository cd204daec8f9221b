"""Fields 0 to 11 under each system Wine can pretend to be.

Wine reports the version of HKCU\\Software\\Wine\\AppDefaults\\Zeltrand.exe
"Version" to Zeltrand.exe alone, but leaves HKLM as it is: each personality's
fixture also writes the registry values that system holds, and the case puts
the prefix back afterwards (wine_version_base.reg, and the processor speed it
read before), since later cases share the prefix.

The other fields are checked against what Linux says about the same machine.
"""

import datetime
import os
import pwd
import re
import socket
import subprocess
import time
from pathlib import Path

from zeltrand_e2e import CaseFailure, expect, expect_equal, wait_until

FIXTURES = Path(__file__).resolve().parents[2] / "fixtures" / "registry"
EXIT_BUTTON = 27
COLLECT_BUTTON = 23
MEASURING = "計測中..."
NO_SERIAL = "PSNは非ｻﾎﾟｰﾄまたは非許可"
PRODUCT_ID = "12345-oem-0000001-54321"
IE = "IE 9.11.9600.18376"
PROCESSOR_KEY = r"HKLM\Hardware\Description\System\CentralProcessor\0"
VENDORS = {"GenuineIntel": "Intel", "AuthenticAMD": "AMD", "CentaurHauls": "IDT",
           "CyrixInstead": "Cyrix", "RiseRiseRise": "RISE", "GenuineTMx86": "Transmeta"}
CPU_FIELD = re.compile(r"(?P<vendor>[^,]+), (?P<model>.+), (?P<how>[rc])(?P<mhz>\d+)MHz, "
                       r"(?P<serial>%s|[0-9A-F]{4}(-[0-9A-F]{4}){5})$" % NO_SERIAL)
# A measured speed is compared with the counter's rate measured natively.
MEASURE_TOLERANCE = 0.10


# --- the machine as Linux sees it ---------------------------------------------

def processor(z):
    """What CPUID and the time-stamp counter say (tests/tools/cpuid_native)."""
    tool = z.session.e2e_dir.parent / "cpuid_native"
    result = subprocess.run([str(tool)], capture_output=True, text=True, timeout=30, check=True)
    entries = dict(line.split("=", 1) for line in result.stdout.splitlines())
    eax = int(entries["leaf1_eax"], 16)
    entries["extended"] = (eax >> 16) & 0xFFF  # extended model and family
    return entries


def memory_total_mb():
    kib = int(re.search(r"MemTotal:\s+(\d+) kB", Path("/proc/meminfo").read_text()).group(1))
    return kib >> 10


def uptime_minutes():
    """What GetTickCount makes of the time since boot, in whole minutes. Wine
    counts it on the raw monotonic clock, which leaves out time suspended (a
    paused virtual machine); /proc/uptime counts that time too."""
    seconds = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
    return (int(seconds * 1000) % 2**32) // 60000


def is_local_ipv4(address):
    """An address of one of this machine's interfaces (a LOCAL /32 route), or
    of the loopback net, where a name with no other address resolves."""
    return address.startswith("127.") or address in local_ipv4_addresses()


def local_ipv4_addresses():
    addresses, last = set(), None
    for line in Path("/proc/net/fib_trie").read_text().splitlines():
        found = re.search(r"\|-- (\d+\.\d+\.\d+\.\d+)$", line)
        if found:
            last = found.group(1)
        elif "/32 host LOCAL" in line and last:
            addresses.add(last)
    return addresses


# --- the prefix's registry ------------------------------------------------------

def recorded_mhz(z):
    """The processor speed Wine recorded in the registry."""
    result = subprocess.run(["wine", "reg", "query", PROCESSOR_KEY, "/v", "~MHz"],
                            env=z.session.env, stdin=subprocess.DEVNULL,
                            capture_output=True, timeout=60)
    found = re.search(rb"~MHz\s+REG_DWORD\s+0x([0-9a-fA-F]+)", result.stdout)
    if not found:
        raise CaseFailure("no ~MHz in the prefix: %r" % result.stdout)
    return int(found.group(1), 16)


def put_back(z, mhz):
    z.import_reg(FIXTURES / "wine_version_base.reg")
    reg = z.folder / "processor-speed.reg"
    reg.write_bytes(("REGEDIT4\r\n\r\n[%s]\r\n\"~MHz\"=dword:%08x\r\n"
                     % (PROCESSOR_KEY.replace("HKLM", "HKEY_LOCAL_MACHINE"), mhz)).encode())
    z.import_reg(reg)
    expect_equal(recorded_mhz(z), mhz, "processor speed put back")


# --- the fields ---------------------------------------------------------------

def collected_fields(z):
    """Fields 0 to 11 once the first tick has measured the CPU."""
    began = time.monotonic()
    wait_until(lambda: z.text(3) != MEASURING, 15, "the CPU in field 3")
    print("field 3 filled %.2f s after the dialog was found" % (time.monotonic() - began))
    return [z.text(n) for n in range(12)]


def expect_match(pattern, text, what):
    found = re.fullmatch(pattern, text)
    expect(found, "%s: %r does not match %r" % (what, text, pattern))
    return found


def check_clock_and_uptime(fields):
    shown = datetime.datetime.strptime(
        expect_match(r"\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d", fields[0], "field 0").group(0),
        "%Y.%m.%d %H:%M:%S")
    drift = abs((datetime.datetime.now() - shown).total_seconds())
    expect(drift < 120, "field 0 %r is %d s away from now" % (fields[0], drift))
    days, hours, minutes = map(int, expect_match(r"(\d+)日(\d\d):(\d\d)", fields[1],
                                                 "field 1").groups())
    expect(hours < 24 and minutes < 60, "field 1 %r" % fields[1])
    shown_minutes = days * 1440 + hours * 60 + minutes
    expect(abs(uptime_minutes() - shown_minutes) <= 2,
           "field 1 %r, but Linux is up %d minutes" % (fields[1], uptime_minutes()))


def check_cpu(z, text, mhz, measured):
    found = expect_match(CPU_FIELD, text, "field 3")
    info = processor(z)
    expect_equal(found["vendor"], VENDORS.get(info["vendor"], "?????"), "CPU vendor")
    if info["extended"]:
        expect_equal(found["model"], info["brand"].strip(" "), "CPU model (the brand string)")
    else:
        print("CPU model %r not compared: this processor is one of the table's era"
              % found["model"])
    expect_equal(found["how"], "c" if measured else "r", "how the speed was found")
    if measured:
        # The same counter measured natively: its rate, not the clock speed
        # Linux reports, which on some machines is the turbo or a guess.
        ratio = int(found["mhz"]) / int(info["tsc_mhz"])
        expect(abs(ratio - 1) <= MEASURE_TOLERANCE,
               "measured %s MHz, the counter runs at %s MHz" % (found["mhz"], info["tsc_mhz"]))
    else:
        expect_equal(int(found["mhz"]), mhz, "recorded speed")


def check_sizes(z, fields):
    free, total = map(int, expect_match(r"(\d+)/(\d+)MBytes", fields[4], "field 4").groups())
    expect(free <= total and abs(total - memory_total_mb()) <= 1,
           "field 4 %r, Linux has %d MB" % (fields[4], memory_total_mb()))
    disk = os.statvfs(Path(z.session.env["WINEPREFIX"]) / "drive_c")
    free, total = map(int, expect_match(r"(\d+)/(\d+)MByte", fields[5], "field 5").groups())
    expect_equal(total, disk.f_blocks * disk.f_frsize >> 20, "system drive size (field 5)")
    expect(free <= total, "field 5 %r" % fields[5])


def check_network(fields, tail=""):
    expect_equal(fields[6], "--%、--%", "field 6 without rsrc32.dll")
    expect_equal(fields[7], "2.2", "field 7")
    expect_equal(fields[8], pwd.getpwuid(os.getuid()).pw_name, "field 8")
    host = socket.gethostname()
    expect_equal(fields[9], host.split(".")[0].upper()[:15], "field 9")
    expect_equal(fields[10], host, "field 10")
    found = expect_match(r"(\d+\.\d+\.\d+\.\d+)" + re.escape(tail), fields[11], "field 11")
    expect(is_local_ipv4(found.group(1)),
           "field 11 %r is no address of this machine (%s)"
           % (fields[11], ", ".join(sorted(local_ipv4_addresses()))))


def run_as(z, version, field2, nine_x=False):
    mhz = recorded_mhz(z)
    try:
        z.import_reg(FIXTURES / "wine_version_base.reg")
        z.import_reg(FIXTURES / ("personality_%s.reg" % version))
        z.start()
        fields = collected_fields(z)
        z.screenshot(version)
        expect_equal(fields[2], field2, "field 2")
        check_clock_and_uptime(fields)
        check_cpu(z, fields[3], mhz, measured=nine_x)
        check_sizes(z, fields)
        check_network(fields)
        z.click(EXIT_BUTTON)
        expect_equal(z.wait_exit(), 0, "exit code")
    finally:
        put_back(z, mhz)


# --- the cases ----------------------------------------------------------------

def case_collectors_as_windows_95(z):
    run_as(z, "win95", "Win95 4.00.950 , , " + PRODUCT_ID, nine_x=True)


def case_collectors_as_windows_98(z):
    run_as(z, "win98", "Win98SE 4.10.2222 A, , " + PRODUCT_ID, nine_x=True)


def case_collectors_as_windows_me(z):
    run_as(z, "winme", "WinMe 4.90.3000 , , " + PRODUCT_ID, nine_x=True)


def case_collectors_as_windows_nt4(z):
    run_as(z, "nt40", "WinNT 4.0 1381, , " + PRODUCT_ID)


def case_collectors_as_windows_2000(z):
    run_as(z, "win2k", "Win2000 5.0 2195, %s, %s" % (IE, PRODUCT_ID))


def case_collectors_as_windows_xp(z):
    run_as(z, "winxp", "WinXP 5.1 2600, %s, %s" % (IE, PRODUCT_ID))


def case_collectors_as_windows_vista(z):
    run_as(z, "vista", "WinVista 6.0 6002, , " + PRODUCT_ID)


def case_collectors_as_windows_7(z):
    run_as(z, "win7", "Win7 6.1 7601, , " + PRODUCT_ID)


def case_collectors_as_windows_8(z):
    run_as(z, "win8", "Win8 6.2 9200, , " + PRODUCT_ID)


def case_collectors_as_windows_8_1(z):
    run_as(z, "win81", "Win8.1 6.3 9600, , " + PRODUCT_ID)


def case_collectors_as_windows_10(z):
    run_as(z, "win10", "Win10 10.0 18362, 1903, " + PRODUCT_ID)


def case_collectors_as_windows_server_2008_r2(z):
    run_as(z, "win2008r2", "WinSrv2008R2 6.1 7601, , " + PRODUCT_ID)


def case_ip_field_carries_the_mail_settings_once_per_pass(z):
    z.place("Zeltrand.ini", b"[mail]\r\nSmtp=taro@example.jp\r\n"
                            b"MyMailServerIP=mail.example.jp\r\n")
    z.start()
    tail = ", taro@example.jp, mail.example.jp"
    first = collected_fields(z)
    check_network(first, tail)
    time.sleep(1.1)  # so that the clock of the next pass differs
    z.click(COLLECT_BUTTON)
    wait_until(lambda: z.text(0) != first[0], 10, "the clock of the second pass")
    again = collected_fields(z)
    check_network(again, tail)
    expect_equal(again[11], first[11], "field 11 after 取得")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")
