"""What the dialog tells about its items (tooltips, a field's detail display,
the help file), and the start-up shortcut the exit makes or removes."""

import shutil
import time
from pathlib import Path

from wine_session import windows_path
from zeltrand_e2e import expect, expect_equal, wait_until

EXIT_BUTTON, HELP_BUTTON, AUTO_START, RECORD_BUTTON = 27, 26, 28, 24
SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"
# "【項目説明】" and the 35 item lines, as the help file holds them.
ITEM_BLOCK = (Path(__file__).resolve().parents[2] / "fixtures/help/item_block.txt").read_bytes()
DESCRIPTIONS = [line.split(" --- ")[1] for line in ITEM_BLOCK.decode("cp932").split("\r\n")[1:36]]


def end(z):
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_tooltips_describe_the_dialog_and_every_control(z):
    z.start()
    tips = {owner: (hwnd, flags, width, text) for hwnd, owner, flags, width, text in z.tooltips()}
    wanted = dict(enumerate(DESCRIPTIONS), dialog="各項目表示欄上で左ｸﾘｯｸすると\nその項目をﾌﾙ表示")
    # The help file joins these three; their tooltips have two lines.
    for n, head in ((21, "ﾒｰﾙ。"), (31, "自動終了。"), (34, "番号等を")):
        wanted[n] = wanted[n].replace(head, head + "\n")
    # TTF_IDISHWND | TTF_SUBCLASS, wrapping at 255 pixels.
    expect_equal({str(k): (0x11, 255, v) for k, v in wanted.items()},
                 {k: (flags & 0x11, width, text) for k, (_, flags, width, text) in tips.items()},
                 "tooltips by owner")
    # Under Wine a single jump of the pointer may leave a late move behind
    # for the control it left; a hand keeps moving, so the test moves again.
    for attempt in range(3):
        z.pointer(12)
        time.sleep(1.5)  # the tooltip's delay is half a second
        if z.info(tips["12"][0]).visible:
            break
    expect(z.info(tips["12"][0]).visible, "the tooltip does not show over field 12")
    z.screenshot("tooltip")
    end(z)


def case_a_click_on_field_0_shows_its_description_and_value(z):
    z.start()
    value = z.text(0)
    z.pointer(0, click=True)
    box = z.msgbox()
    z.screenshot("detail")
    expect_equal((box.caption, box.text, [b for b, _ in box.buttons]),
                 ("情報取得時刻", DESCRIPTIONS[0] + "\n\n" + value, [1]), "detail display")
    z.answer("IDOK")
    end(z)


def case_help_writes_zeltrand_txt_in_the_current_folder(z):
    z.start()
    z.click(HELP_BUTTON)
    path = z.app_dir / "Zeltrand.txt"
    data = wait_until(lambda: path.is_file() and path.read_bytes(), 10, "Zeltrand.txt")
    expect(data.startswith(b"Zeltrand v0.90 2003.1.17\r\n\r\n\r\n"), "head %r" % data[:40])
    expect(b"\r\n\r\n" + ITEM_BLOCK + b"\r\n" in data, "the item block, byte for byte")
    end(z)


def expect_link(z):
    """The start-up shortcut starts this exe in its own folder."""
    link = z.shortcut("startup", "Zeltrand.lnk")
    expect_equal((link.get("target", "").lower(), link.get("workdir", "").lower(),
                  link.get("description")),
                 (z.wine_path(z.exe).lower(), z.wine_path(z.app_dir).lower(), "Zeltrand"),
                 "shortcut " + link["path"])


def case_exit_makes_the_startup_shortcut_while_auto_start_is_checked(z):
    z.start()
    if not z.check(AUTO_START):
        z.click(AUTO_START)
    end(z)
    expect_link(z)
    z.start()
    z.click(AUTO_START)  # unchecked now
    end(z)
    expect("missing" in z.shortcut("startup", "Zeltrand.lnk"), "the shortcut is still there")


def case_folders_the_code_page_cannot_spell_are_used_as_they_are(z):
    """A profile and a program folder named in other scripts: the settings,
    the default record file and the shortcut land in the very folders."""
    name = "Zeltrand 김𠮷é"
    z.app_dir = z.folder / name
    z.app_dir.mkdir()
    z.exe = Path(shutil.copy2(z.session.zeltrand_exe, z.app_dir / "Zeltrand.exe"))
    startup = z.folder / ("Startup " + name)
    startup.mkdir()
    saved = z.folder / "shell-folders.reg"
    z.wine(["reg", "export", SHELL_FOLDERS, windows_path(saved), "/y"], "saving the folders")
    z.wine(["reg", "add", SHELL_FOLDERS, "/v", "Startup", "/t", "REG_EXPAND_SZ", "/d",
            windows_path(startup), "/f"], "moving the Startup folder")
    try:
        z.start()
        z.click(RECORD_BUTTON)
        wait_until(lambda: (z.app_dir / "Zeltrand.csv").is_file(), 10, "the default record file")
        if not z.check(AUTO_START):
            z.click(AUTO_START)
        end(z)
        expect(b"Start=1" in (z.app_dir / "Zeltrand.ini").read_bytes(), "the settings file")
        expect_link(z)
        expect((startup / "Zeltrand.lnk").is_file(), "no shortcut in %s" % startup)
    finally:
        z.import_reg(saved)
