"""送信 against real mail servers on 127.0.0.1 port 25, one after the other
(scripts/mail-server.sh installs, starts and stops them), and the whole
round trip: an automatic run records and mails the PC, the delivered body
goes onto the clipboard, 取込 adds it to the record file. The same through
TLS and AUTH on 587 and 465, with certificates made for the run: the
prefix trusts the test CA (zdriver add-root), never the host.
"""

import contextlib
import email.utils
import hashlib
import mailbox
import os
import pwd
import re
import socket
import ssl
import subprocess
import threading
import time
import unicodedata
from datetime import datetime, timezone
from pathlib import Path

from wine_session import windows_path
from zeltrand_e2e import CaseFailure, ended_silently_by_wine, expect, expect_equal, wait_until

SCRIPT = Path(__file__).resolve().parents[3] / "scripts" / "mail-server.sh"
MAILBOX = Path("/var/mail/admin")
SENDER = "taro@example.com"
RECIPIENT = "admin@example.com"
SEND_BUTTON = 21
IMPORT_BUTTON = 25
EXIT_BUTTON = 27
AUTOMATIC_INI = ("[mail]\r\nSmtp=%s\r\nMyMailServerIP=127.0.0.1\r\nMailTo=%s\r\n\r\n"
                 "[auto]\r\nRec=1\r\nMail=1\r\nEnd=1\r\n" % (SENDER, RECIPIENT)).encode()
HEADERS = {"From": SENDER, "To": RECIPIENT, "Subject": "Zeltrand", "MIME-Version": "1.0",
           "Content-Type": "text/plain; charset=ISO-2022-JP",
           "Content-Transfer-Encoding": "7bit"}
COLUMN = re.compile(rb'"(?:[^"]|"")*",')


def mail_server(action, server, *more):
    result = subprocess.run(["bash", str(SCRIPT), action, server, *more], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=240)
    if result.returncode != 0:
        raise CaseFailure("%s %s failed: %s" % (action, server, result.stderr.strip()[-2000:]))


def widened(text):
    """Half-width katakana as the mail carries them: full width, a sound
    mark joined to its kana where a joined form exists."""
    text = re.sub("[\uff61-\uff9f]+", lambda m: unicodedata.normalize("NFKC", m.group(0)), text)
    return text.replace("\u3099", "\u309b").replace("\u309a", "\u309c")


def mail_form(file_line):
    """The record as the mail breaks it: before programs 0, 3, 6, ..."""
    columns = COLUMN.findall(file_line)
    expect_equal(b"".join(columns), file_line, "the record line as columns")
    main, programs = columns[:20], columns[20:]
    return b"".join(main) + b"".join((b"\n" if k % 3 == 0 else b"") + c
                                     for k, c in enumerate(programs))


def run_automatically(z, timeout=90):
    for attempt in (1, 2):
        z._launch([], attempt)
        code = z.wait_exit(timeout=timeout)
        if not ended_silently_by_wine(z.process, z.folder / ("zeltrand-%d.out" % attempt)):
            return code
    raise CaseFailure("Wine never ran the automatic start")


def delivered(server):
    def message():
        if not MAILBOX.exists():
            return None
        box = mailbox.mbox(str(MAILBOX))
        messages = list(box)
        box.close()
        return messages[-1] if messages else None
    return wait_until(message, 30, "the mail in %s from %s" % (MAILBOX, server))


def round_trip(z, server, ini=AUTOMATIC_INI, *more):
    mail_server("start", server, *more)
    try:
        if MAILBOX.exists():
            MAILBOX.write_bytes(b"")
        z.place("Zeltrand.ini", ini)
        sent_at = datetime.now(timezone.utc)
        expect_equal(run_automatically(z), 0, "exit code of the automatic run")
        message = delivered(server)
    finally:
        mail_server("stop", server)

    for name, value in HEADERS.items():
        expect_equal(message[name], value, "header %s" % name)
    date = email.utils.parsedate_to_datetime(message["Date"])
    expect(abs((date - sent_at).total_seconds()) < 300, "Date: %s" % message["Date"])
    # Mail readers take ESC ( J (JIS X 0201 Roman) for ASCII.
    raw = message.get_payload(decode=True)
    body = raw.replace(b"\x1b(J", b"\x1b(B").decode("iso2022_jp").removesuffix("\n")

    record_file = z.app_dir / "Zeltrand.csv"
    header_and_line = record_file.read_bytes()
    line = header_and_line.split(b"\n")[1]
    expected = "Zeltrand v0.90 2[" + widened(mail_form(line).decode("cp932")) + "]"
    expect_equal(body, expected, "the delivered body")
    print("%s delivered %d bytes of ISO-2022-JP; the body has %d lines"
          % (server, len(raw), body.count("\n") + 1))

    # The administrator's side: the mail's text onto the clipboard, 取込.
    z.place("Zeltrand.ini", b"")
    z.start()
    z.clip_set(("%s\r\n\r\n%s\r\n" % (message["Subject"], body.replace("\n", "\r\n")))
               .encode("cp932"))
    z.click(IMPORT_BUTTON)
    imported = widened(line[:-1].decode("cp932")).encode("cp932") + b"\r\n"
    expect_equal(wait_until(lambda: record_file.read_bytes().count(b"\n") >= 3
                            and record_file.read_bytes(), 10, "the imported line"),
                 header_and_line + imported, "the record file after 取込")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_mail_round_trip_through_opensmtpd(z):
    round_trip(z, "opensmtpd")


def case_mail_round_trip_through_postfix(z):
    round_trip(z, "postfix")


def case_mail_that_fails_in_an_automatic_run_says_so_in_the_exit_code(z):
    # Nothing listens on port 25: the connect is refused at once.
    mail_server("stop", "opensmtpd")
    mail_server("stop", "postfix")
    # It ends by itself: no box holds it, the message goes to the log.
    log = (Path(z.session.env["WINEPREFIX"]) / "drive_c" / "users" /
           pwd.getpwuid(os.getuid()).pw_name / "AppData/Local/Zeltrand/Zeltrand.log")
    log.unlink(missing_ok=True)
    z.place("Zeltrand.ini", AUTOMATIC_INI)
    expect_equal(run_automatically(z), 4, "exit code (mail failed)")
    expect(re.fullmatch(rb"\d{4}\.\d\d\.\d\d \d\d:\d\d:\d\d connect err\. WSAGetLastError=10061\r\n",
                        log.read_bytes()), "the log: %r" % log.read_bytes())
    expect((z.app_dir / "Zeltrand.csv").read_bytes().count(b"\n") == 2, "the record was not kept")


def case_mail_to_a_server_that_never_answers_gives_up_with_the_time_out(z):
    # Takes the connection and never says a word.
    mail_server("stop", "opensmtpd")
    mail_server("stop", "postfix")
    listener = socket.create_server(("127.0.0.1", 25))
    try:
        z.place("Zeltrand.ini", AUTOMATIC_INI.split(b"[auto]")[0])
        z.start()
        began = time.monotonic()
        z.click(SEND_BUTTON)
        # The dialog answers no message while it waits: look only after.
        time.sleep(34)
        box = z.msgbox(timeout=15)
        print("the message came %.1f s after the click" % (time.monotonic() - began))
        expect_equal(box.text, "recv err. WSAGetLastError=10060", "message")
        z.answer("IDOK")
        z.no_msgbox(within=1)
    finally:
        listener.close()
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code of a run that was not automatic")


def make_pki(z):
    """A test CA the prefix trusts and its server certificate for localhost
    and 127.0.0.1 (trusted.*), and the same from a CA nobody trusts
    (other.*). Returns the folder."""
    pki = z.folder / "pki"
    pki.mkdir()
    (pki / "server.ext").write_text("subjectAltName=DNS:localhost,IP:127.0.0.1,DNS:127.0.0.1\n"
                                    "extendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n")

    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=pki, check=True, capture_output=True)
    for name, ca in (("trusted", "ca"), ("other", "other-ca")):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca + ".key", "-out",
                ca + ".crt", "-days", "30", "-subj", "/CN=Zeltrand test CA " + ca)
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out",
                name + ".csr", "-subj", "/CN=localhost")
        openssl("x509", "-req", "-in", name + ".csr", "-CA", ca + ".crt", "-CAkey", ca + ".key",
                "-CAcreateserial", "-days", "30", "-extfile", "server.ext", "-out", name + ".crt")
    # From the trusted CA also one for the address alone, one for the name alone.
    for name, names in (("ip", "IP:127.0.0.1"), ("dns", "DNS:localhost")):
        (pki / "server.ext").write_text("subjectAltName=%s\nextendedKeyUsage=serverAuth\n" % names)
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", name + ".key", "-out",
                name + ".csr", "-subj", "/CN=server")
        openssl("x509", "-req", "-in", name + ".csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                "-CAcreateserial", "-days", "30", "-extfile", "server.ext", "-out", name + ".crt")
    openssl("x509", "-in", "ca.crt", "-outform", "DER", "-out", "ca.der")
    z.driver.run("add-root", windows_path(pki / "ca.der"))
    return pki


def fingerprint(certificate):
    der = ssl.PEM_cert_to_DER_cert(certificate.read_text())
    return ":".join("%02X" % b for b in hashlib.sha256(der).digest()).encode()


def account_ini(server, password=b"secret", more=b"", automatic=True):
    ini = AUTOMATIC_INI.replace(b"MyMailServerIP=127.0.0.1\r\n", b"MyMailServerIP=" + server +
                                b"\r\nUser=taro\r\nPassword=" + password + b"\r\n" + more)
    return ini if automatic else ini.split(b"[auto]")[0]


def sent_by_hand(z, ini, message):
    """送信 pressed by hand gives `message`, and nothing arrives."""
    if MAILBOX.exists():
        MAILBOX.write_bytes(b"")
    z.place("Zeltrand.ini", ini)
    z.start()
    z.click(SEND_BUTTON)
    expect_equal(z.msgbox(timeout=60).text, message, "message")
    z.answer("IDOK")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")
    time.sleep(2)
    expect(not MAILBOX.exists() or MAILBOX.read_bytes() == b"", "nothing was delivered")


def case_mail_by_submission_to_a_server_that_asks_for_a_client_certificate(z):
    pki = make_pki(z)
    round_trip(z, "postfix-tls", account_ini(b"localhost:587"), pki)


def case_mail_with_tls_from_the_first_byte_on_465(z):
    pki = make_pki(z)
    round_trip(z, "postfix-tls", account_ini(b"127.0.0.1:465"), pki)


def case_mail_with_a_wrong_password_is_refused_with_535(z):
    mail_server("start", "postfix-tls", make_pki(z))
    try:
        sent_by_hand(z, account_ini(b"localhost:587", b"wrong", automatic=False), "AUTH err=535")
    finally:
        mail_server("stop", "postfix-tls")


def case_mail_to_a_certificate_nobody_trusts_is_refused_unless_pinned(z):
    pki = make_pki(z)
    mail_server("start", "postfix-tls", pki)
    pin = b"TlsCertSha256=" + fingerprint(pki / "other.crt") + b"\r\n"
    try:
        sent_by_hand(z, account_ini(b"127.0.0.1:2587", automatic=False),
                     "TLS err. ｻｰﾊﾞ証明書を信頼できません(発行元不明)")
        sent_by_hand(z, account_ini(b"localhost:587", more=pin, automatic=False),
                     "TLS err. ｻｰﾊﾞ証明書がTlsCertSha256と一致しません")
    finally:
        mail_server("stop", "postfix-tls")
    pin = b"TlsCertSha256=" + subprocess.run(["openssl", "x509", "-noout", "-fingerprint",
                                              "-sha256", "-in", pki / "other.crt"], check=True,
                                             capture_output=True).stdout.strip() + b"\r\n"
    expect(pin.startswith(b"TlsCertSha256=sha256 Fingerprint="), "the pin: %r" % pin)
    round_trip(z, "postfix-tls", account_ini(b"127.0.0.1:2587", more=pin), pki)


class LoopbackSmtp(threading.Thread):
    """One session: a greeting a byte every 4 s, or STARTTLS with `certificate`."""

    def __init__(self, port, pki=None, certificate=None, inject=b""):
        super().__init__(daemon=True)
        self.listener = socket.create_server(("127.0.0.1", port))
        self.pki, self.certificate, self.inject = pki, certificate, inject
        self.start()

    def run(self):
        with contextlib.suppress(OSError), self.listener.accept()[0] as connection:
            while not self.certificate:
                connection.send(b"2")
                time.sleep(4)
            connection.sendall(b"220 loopback ESMTP\r\n")
            reader = connection.makefile("rb")
            while verb := reader.readline()[:4].upper():
                if verb == b"STAR":
                    connection.sendall(b"220 ready\r\n" + self.inject)
                    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
                    key = self.pki / self.certificate
                    tls.load_cert_chain(key.with_suffix(".crt"), key.with_suffix(".key"))
                    connection = tls.wrap_socket(connection, server_side=True)
                    reader = connection.makefile("rb")
                elif verb == b"DATA":
                    connection.sendall(b"354 go ahead\r\n")
                    any(line in (b".\r\n", b"") for line in iter(reader.readline, None))
                    connection.sendall(b"250 kept\r\n")
                else:
                    connection.sendall({b"EHLO": b"250-x\r\n250-AUTH PLAIN\r\n250 STARTTLS\r\n",
                                        b"AUTH": b"235 ok\r\n", b"QUIT": b"221 bye\r\n"}
                                       .get(verb, b"250 ok\r\n"))


def automatic_run_against(z, server, ini, timeout=90):
    """The exit code and the log of an automatic run against `server`."""
    log = (Path(z.session.env["WINEPREFIX"]) / "drive_c" / "users" /
           pwd.getpwuid(os.getuid()).pw_name / "AppData/Local/Zeltrand/Zeltrand.log")
    log.unlink(missing_ok=True)
    z.place("Zeltrand.ini", ini)
    try:
        code = run_automatically(z, timeout)
    finally:
        server.listener.close()
    return code, log.read_bytes().decode("cp932") if log.exists() else ""


def case_mail_through_starttls_checks_the_name_and_drops_what_came_before_tls(z):
    pki = make_pki(z)
    mail_server("stop", "postfix")
    for certificate, box, inject, failure in (
            ("trusted", b"localhost:587", b"250 injected\r\n", ""),
            ("ip", b"127.0.0.1:587", b"", ""),
            ("dns", b"127.0.0.1:587", b"", "TLS err. ｻｰﾊﾞ証明書を信頼できません(名前の不一致)")):
        server = LoopbackSmtp(587, pki, certificate, inject)
        code, log = automatic_run_against(z, server, account_ini(box))
        # 0: the server answered the end of the data with 250.
        expect_equal((code, log[20:].strip()), (4 if failure else 0, failure), certificate)


def case_mail_whose_greeting_trickles_ends_within_two_minutes(z):
    mail_server("stop", "postfix")
    code, log = automatic_run_against(z, LoopbackSmtp(25), AUTOMATIC_INI, 180)
    expect_equal((code, log[20:]), (4, "recv err. WSAGetLastError=10060\r\n"), "exit code, log")
