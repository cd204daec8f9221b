"""The main dialog: how it opens, and the ways it closes."""

import expected_controls as expected
from zeltrand_e2e import VK_ESCAPE, expect, expect_equal, wait_until

VK_CANCEL, VK_CONTROL = 0x03, 0x11

TITLE = "Zeltrand v0.90 2003.1.17"
EXIT_BUTTON = 27
CPU_FIELD = 3
MEASURING = "計測中..."
# Kinds whose text is fixed by the template; the others are filled at run time.
FIXED_TEXT_KINDS = ("label", "button", "defbutton", "checkbox")
WS_BORDER = 0x00800000
WS_EX_CLIENTEDGE = 0x00000200
# Rounding of dialog units to pixels may differ by one between the dialog
# manager and this conversion.
PIXEL_SLACK = 1


def mul_div(value, numerator, denominator):
    """MulDiv as the dialog manager uses it: rounds halves away from zero."""
    return (2 * value * numerator + denominator) // (2 * denominator)


def to_pixels(rect, units):
    x, y, w, h = rect
    bx, by = units
    return (mul_div(x, bx, 4), mul_div(y, by, 8), mul_div(w, bx, 4), mul_div(h, by, 8))


def expect_near(actual, wanted, what):
    expect(all(abs(a - w) <= PIXEL_SLACK for a, w in zip(actual, wanted)),
           "%s: expected about %r, got %r" % (what, wanted, actual))


def expect_style(style, must_set, must_clear, what):
    expect(style & must_set == must_set,
           "%s: style 0x%08X lacks 0x%08X" % (what, style, must_set & ~style))
    expect(style & must_clear == 0,
           "%s: style 0x%08X has 0x%08X" % (what, style, style & must_clear))


def check_dialog_frame(z, units):
    window = z.info()
    expect_equal(window.title, TITLE, "title")
    expect_equal(z.text(), TITLE, "title (WM_GETTEXT)")
    expect_equal(window.cls, "#32770", "dialog class")
    expect_style(window.style, expected.DIALOG["must_set"], expected.DIALOG["must_clear"],
                 "dialog")
    expect_near((window.cx, window.cy, window.cw, window.ch),
                to_pixels(expected.DIALOG["rect"], units), "dialog client area on screen")


def check_control(live, want, units):
    what = "control %d" % want["id"]
    expect_equal(live.cls, want["cls"], what + " class")
    if want["kind"] in FIXED_TEXT_KINDS:
        expect_equal(live.text, want["text"], what + " text")
    expect_style(live.style, want["must_set"], want["must_clear"], what)
    if want["style"] & WS_BORDER:
        # Wine, like Windows, turns a border of an edit or list into a 3D edge.
        expect(live.style & WS_BORDER or live.exstyle & WS_EX_CLIENTEDGE,
               what + ": no border")
    x, y, w, h = to_pixels(want["rect"], units)
    if want["kind"] == "listbox":
        # Rounded down to whole lines.
        expect_near((live.x, live.y, live.w), (x, y, w), what + " position and width")
        expect(h // 2 <= live.h <= h + PIXEL_SLACK,
               "%s: height %d, expected at most %d" % (what, live.h, h))
    else:
        expect_near((live.x, live.y, live.w, live.h), (x, y, w, h), what + " rectangle")


def case_dialog_opens_with_title_and_56_controls(z):
    z.start()
    z.screenshot("shown")
    units = z.units(expected.DIALOG["name"])
    print("dialog base units: %d x %d" % units)
    check_dialog_frame(z, units)

    controls = z.controls()
    expect_equal(len(controls), 56, "number of controls")
    expect_equal(tuple(c.id for c in controls), expected.TEMPLATE_ORDER,
                 "control ids in tab order")
    wanted = {c["id"]: c for c in expected.CONTROLS}
    for live in controls:
        check_control(live, wanted[live.id], units)

    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_cpu_field_reads_measuring_until_the_first_tick(z):
    # The dialog shows with "計測中..." and the start-up timer's first tick
    # (1 ms later) measures the CPU, so the driver mostly sees the result.
    z.start()
    first = z.text(CPU_FIELD)

    def measured():
        text = z.text(CPU_FIELD)
        return text if text.strip() and text != MEASURING else None

    result = wait_until(measured, 10, "a measured CPU in field 3")
    expect(first in (MEASURING, result), "CPU field first read %r" % first)
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_exit_button_ends_with_code_0(z):
    z.start()
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")


def case_close_box_ends_with_code_0(z):
    z.start()
    z.sysclose()
    expect_equal(z.wait_exit(), 0, "exit code")


def case_escape_and_ctrl_break_keep_the_dialog_open(z):
    # Both arrive as IDCANCEL, the id of static field 2, whose click opens
    # a message box: the dialog must tell them apart.
    z.start()
    z.keys(VK_ESCAPE)
    z.keys(VK_CONTROL, VK_CANCEL)
    z.no_msgbox(within=1.0)
    expect(z.running(), "the program ended on Esc or Ctrl+Break")
    # A tooltip may show where the pointer happens to rest.
    windows = [w for w in z.own_windows() if w.cls != "tooltips_class32"]
    expect_equal([w.hwnd for w in windows], [z.dialog],
                 "visible windows of the program after Esc and Ctrl+Break")
    z.click(EXIT_BUTTON)
    expect_equal(z.wait_exit(), 0, "exit code")
