"""Awkward INI files for the reader's differential test, as the bytes a file
holds (code page 932 where Japanese appears). Each entry: (file name, bytes)."""


def sjis(text):
    return text.encode("cp932")


CRLF_SETTINGS = sjis(
    "[mail]\r\nSmtp=taro@example.jp\r\nMailTo=admin@example.jp\r\nMyMailServerIP=mail\r\n\r\n"
    "[file]\r\nRecFile=\\\\server\\共有\\表.csv\r\n\r\n[auto]\r\nStart=1\r\nRec=\r\nMail=\r\nEnd=1\r\n")

# The settings with Japanese names and values, for the files saved in UTF-16
# or UTF-8 with a byte-order mark, as Notepad saves "Unicode" and "UTF-8".
UNICODE_SETTINGS = (CRLF_SETTINGS.decode("cp932") + "[日本語]\r\n表示=ｿﾌﾄ表 ２\r\n"
                    "long=" + "あ" * 200 + "\r\nlonger=" + "x" * 300 + "\r\n")

CORPUS = [
    ("utf16le.ini", b"\xff\xfe" + UNICODE_SETTINGS.encode("utf-16-le")),
    ("utf16be.ini", b"\xfe\xff" + UNICODE_SETTINGS.encode("utf-16-be")),
    ("utf8-bom-japanese.ini", b"\xef\xbb\xbf" + UNICODE_SETTINGS.encode("utf-8")),
    ("written.ini", CRLF_SETTINGS),
    ("lf.ini", CRLF_SETTINGS.replace(b"\r\n", b"\n").rstrip(b"\n")),
    ("cr.ini", CRLF_SETTINGS.replace(b"\r\n", b"\r")),
    ("mixed-ends.ini", b"[mail]\r\nSmtp=a\rMailTo=b\nMyMailServerIP=c\r\n"),
    ("empty.ini", b""),
    ("duplicates.ini",
     b"[mail]\r\nSmtp=first\r\nSmtp=second\r\n[MAIL]\r\nMailTo=other section\r\n"
     b"[mail]\r\nMyMailServerIP=third section\r\n[auto]\r\nEnd=\r\nend=later\r\n"),
    ("case.ini", b"[MaIl]\r\nSMTP=upper\r\nmailto=lower\r\n[AUTO]\r\nsTaRt=0\r\n"),
    ("blanks.ini",
     b"  [mail]  \r\n\tSmtp\t=\t a b \t\r\n MailTo =  \r\n  MyMailServerIP=x  y\r\n"
     b"[ file ]\r\nRecFile = c:\\x \r\n[file]\r\nRecFile=second\r\n"),
    ("quotes.ini",
     b"[q]\r\na=\"quoted\"\r\nb='single'\r\nc=\"mixed'\r\nd=\"\"\r\ne=\"\r\nf=' '\r\n"
     b"g=\"in\"side\"\r\nh=\"a\" \r\ni= \" padded \" \r\nj=''''\r\n"),
    ("comments.ini",
     b"; leading comment\r\n[mail]\r\n;Smtp=commented\r\n# MailTo=hash\r\nSmtp=real\r\n"
     b"MailTo\r\nno equals here\r\n=no key\r\nMyMailServerIP==double\r\n"),
    ("bom.ini", b"\xef\xbb\xbf[mail]\r\nSmtp=after bom\r\n[auto]\r\nEnd=1\r\n"),
    ("before-section.ini", b"Smtp=orphan\r\n[mail]\r\nMailTo=x\r\n"),
    ("headers.ini",
     b"[mail] trailing text\r\nSmtp=1\r\n[broken\r\nMailTo=2\r\n[]\r\nk=empty name\r\n"
     b"[a]b]\r\nk=last bracket\r\n"),
    ("ctrl-z.ini", b"[mail]\r\nSmtp=z\x1a\r\nMailTo=\x1a\r\n\x1a"),
    ("japanese.ini",
     sjis("[設定]\r\n表示=ソフト表\r\nﾒｰﾙ=ｱﾄﾞﾚｽ\r\n予定表=能力\r\n[mail]\r\nSmtp=山田＠例.jp\r\n"
          "MailTo=\"表\"\r\n")),
    ("long.ini",
     b"[m]\r\nx255=" + b"x" * 255 + b"\r\nx256=" + b"x" * 256 + b"\r\nx300=" + b"x" * 300 +
     b"\r\n" + sjis("kana=" + "ｱ" * 300 + "\r\n") + sjis("wide=" + "表" * 200 + "\r\n") +
     sjis("odd=x" + "表" * 150 + "\r\n") + sjis("mix=" + "a" * 100 + "あ" * 100 + "\r\n") +
     b"quoted=\"" + b"q" * 260 + b"\"\r\n"),
    ("tabs.ini", b"[mail]\tx\r\n\tSmtp\t=\ttab\t\r\nMailTo=in\tside\r\n"),
]
