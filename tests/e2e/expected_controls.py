"""The main dialog as the end-to-end tests expect to find it.

Data only: the same table as the "Dlg" template in src/resources/zeltrand.rc.
Change both together.

DIALOG describes the dialog itself, CONTROLS its 56 controls (sorted by id),
TEMPLATE_ORDER the order of the controls in the template, which is also the
tab order and the order GetWindow(GW_CHILD) / GW_HWNDNEXT walks them.

Keys of DIALOG:
    name         template name, as passed to DialogBoxParamA
    rect         (x, y, width, height) in dialog units; x, y place the
                 top-left corner of the client area, relative to the screen
                 (the dialog has no owner and no DS_CENTER)
    font_face    typeface of the template font
    font_points  its size in points
    caption      caption in the template (the program sets the title itself)
    style        exact style in the template
    must_set     style bits the live dialog must have (GWL_STYLE)
    must_clear   style bits the live dialog must not have

Keys of each control:
    id           control id (GetDlgCtrlID)
    kind         "field", "label", "listbox", "edit", "button", "defbutton"
                 or "checkbox"
    cls          window class as GetClassName returns it
    text         text in the template; fields, lists and edits have none,
                 their contents come at run time
    label        id of the label that names the control, or None
    rect         (x, y, width, height) in dialog units, relative to the
                 dialog's client area; turn it into pixels with MapDialogRect
    style        exact style in the template (WS_CHILD | WS_VISIBLE included)
    must_set     style bits the live control must have (GWL_STYLE)
    must_clear   style bits the live control must not have

Why the live style can differ from the template (measured under Wine 8):
    * An edit or list box with WS_BORDER loses it and gets WS_EX_CLIENTEDGE
      instead; a sunken static gets WS_EX_STATICEDGE. So WS_BORDER appears in
      `style` but not in `must_set`.
    * A list box clears WS_VSCROLL / WS_HSCROLL while that bar is hidden (too
      few lines, or not wide enough), so they are in `style` only. With the
      program's 500-pixel extent at 96 dpi list 15 does show its horizontal
      bar, so WS_HSCROLL is set there once the dialog is up.
    * The list boxes round their height down to whole lines (no
      LBS_NOINTEGRALHEIGHT): their live height is at most the template's.
      Every other control has exactly the template rectangle.
    * Push buttons take BS_DEFPUSHBUTTON while they have the focus and "終了"
      gives it up meanwhile; the styles below hold while the focus is on an
      edit, as it is after start-up (edit 20).
    * The dialog gets DS_3DLOOK added.
"""

# Window styles.
WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_VSCROLL = 0x00200000
WS_HSCROLL = 0x00100000
WS_SYSMENU = 0x00080000
WS_THICKFRAME = 0x00040000
WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_TABSTOP = 0x00010000  # same bit as WS_MAXIMIZEBOX; children only
DS_SETFONT = 0x40
DS_MODALFRAME = 0x80

# Static control styles. The low five bits are the type, not flags.
SS_LEFT = 0x0
SS_TYPEMASK = 0x1F
SS_LEFTNOWORDWRAP = 0xC
SS_NOTIFY = 0x100
SS_SUNKEN = 0x1000

# List box styles.
LBS_NOTIFY = 0x1
LBS_SORT = 0x2
LBS_MULTIPLESEL = 0x8
LBS_NOINTEGRALHEIGHT = 0x100
LBS_EXTENDEDSEL = 0x800
LBS_NOSEL = 0x4000

# Edit styles.
ES_MULTILINE = 0x4
ES_PASSWORD = 0x20
ES_AUTOHSCROLL = 0x80
ES_READONLY = 0x800

# Button styles. The low four bits are the type.
BS_PUSHBUTTON = 0x0
BS_DEFPUSHBUTTON = 0x1
BS_AUTOCHECKBOX = 0x3
BS_TYPEMASK = 0xF


DIALOG = {
    "name": "Dlg",
    "rect": (60, 80, 416, 230),
    "font_face": "ＭＳ Ｐゴシック",
    "font_points": 10,
    "caption": "",
    "style": (WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU
              | DS_MODALFRAME | DS_SETFONT),
    "must_set": WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    "must_clear": WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD,
}


_CHILD = WS_CHILD | WS_VISIBLE

_FIELD = {
    "kind": "field", "cls": "Static", "text": "",
    "style": _CHILD | SS_LEFTNOWORDWRAP | SS_SUNKEN | SS_NOTIFY,
    "must_set": _CHILD | SS_LEFTNOWORDWRAP | SS_SUNKEN | SS_NOTIFY,
    "must_clear": SS_TYPEMASK & ~SS_LEFTNOWORDWRAP,
}
_LABEL = {
    "kind": "label", "cls": "Static", "label": None,
    "style": _CHILD | SS_LEFT,
    "must_set": _CHILD,
    "must_clear": SS_TYPEMASK | SS_NOTIFY | SS_SUNKEN | WS_TABSTOP,
}
_LIST = {
    "kind": "listbox", "cls": "ListBox", "text": "",
    "must_set": _CHILD | LBS_NOSEL | WS_TABSTOP,
    "must_clear": (LBS_SORT | LBS_NOTIFY | LBS_MULTIPLESEL | LBS_EXTENDEDSEL
                   | LBS_NOINTEGRALHEIGHT),
}
_EDIT = {
    "kind": "edit", "cls": "Edit", "text": "",
    "style": _CHILD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
    "must_set": _CHILD | ES_AUTOHSCROLL | WS_TABSTOP,
    "must_clear": ES_MULTILINE | ES_PASSWORD | ES_READONLY,
}
_BUTTON = {
    "kind": "button", "cls": "Button", "label": None,
    "style": _CHILD | BS_PUSHBUTTON | WS_TABSTOP,
    "must_set": _CHILD | WS_TABSTOP,
    "must_clear": BS_TYPEMASK,
}
_DEFBUTTON = {
    "kind": "defbutton", "cls": "Button", "label": None,
    "style": _CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP,
    "must_set": _CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP,
    "must_clear": BS_TYPEMASK & ~BS_DEFPUSHBUTTON,
}
_CHECKBOX = {
    "kind": "checkbox", "cls": "Button", "label": None,
    "style": _CHILD | BS_AUTOCHECKBOX | WS_TABSTOP,
    "must_set": _CHILD | BS_AUTOCHECKBOX | WS_TABSTOP,
    "must_clear": BS_TYPEMASK & ~BS_AUTOCHECKBOX,
}


CONTROLS = (
    # The fourteen fields of the collected items.
    {**_FIELD, "id": 0, "label": 100, "rect": (80, 10, 120, 10)},
    {**_FIELD, "id": 1, "label": 101, "rect": (80, 22, 120, 10)},
    {**_FIELD, "id": 2, "label": 102, "rect": (80, 34, 120, 10)},
    {**_FIELD, "id": 3, "label": 103, "rect": (80, 46, 120, 10)},
    {**_FIELD, "id": 4, "label": 104, "rect": (80, 58, 120, 10)},
    {**_FIELD, "id": 5, "label": 105, "rect": (80, 70, 120, 10)},
    {**_FIELD, "id": 6, "label": 106, "rect": (80, 82, 120, 10)},
    {**_FIELD, "id": 7, "label": 107, "rect": (80, 94, 120, 10)},
    {**_FIELD, "id": 8, "label": 108, "rect": (80, 106, 120, 10)},
    {**_FIELD, "id": 9, "label": 109, "rect": (80, 118, 120, 10)},
    {**_FIELD, "id": 10, "label": 110, "rect": (80, 130, 120, 10)},
    {**_FIELD, "id": 11, "label": 111, "rect": (80, 142, 120, 10)},
    {**_FIELD, "id": 12, "label": 112, "rect": (80, 154, 120, 10)},
    {**_FIELD, "id": 13, "label": 113, "rect": (80, 166, 120, 10)},

    # Logged-on users; installed software (which also scrolls sideways).
    {**_LIST, "id": 14, "label": 114, "rect": (210, 20, 120, 48),
     "style": _CHILD | LBS_NOSEL | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
    {**_LIST, "id": 15, "label": 115, "rect": (210, 82, 196, 90),
     "style": (_CHILD | LBS_NOSEL | WS_VSCROLL | WS_HSCROLL | WS_BORDER
               | WS_TABSTOP)},

    # PC name, sender address, mail server, recipient, record file.
    {**_EDIT, "id": 16, "label": 116, "rect": (230, 166, 103, 10)},
    {**_EDIT, "id": 17, "label": 117, "rect": (46, 190, 80, 10)},
    {**_EDIT, "id": 18, "label": 118, "rect": (176, 190, 50, 10)},
    {**_EDIT, "id": 19, "label": 119, "rect": (282, 190, 104, 10)},
    {**_EDIT, "id": 20, "label": 120, "rect": (72, 210, 184, 10)},

    # Commands.
    {**_BUTTON, "id": 21, "text": "送信", "rect": (388, 190, 20, 10)},
    {**_BUTTON, "id": 22, "text": "参照", "rect": (258, 210, 20, 10)},
    {**_BUTTON, "id": 23, "text": "取得", "rect": (284, 210, 20, 10)},
    {**_BUTTON, "id": 24, "text": "記録", "rect": (310, 210, 20, 10)},
    {**_BUTTON, "id": 25, "text": "取込", "rect": (336, 210, 20, 10)},
    {**_BUTTON, "id": 26, "text": "説明", "rect": (362, 210, 20, 10)},
    {**_DEFBUTTON, "id": 27, "text": "終了", "rect": (388, 210, 20, 10)},
    {**_CHECKBOX, "id": 28, "text": "自動起動", "rect": (340, 5, 40, 20)},
    {**_CHECKBOX, "id": 29, "text": "自動記録", "rect": (340, 20, 40, 20)},
    {**_CHECKBOX, "id": 30, "text": "自動送信", "rect": (340, 35, 40, 20)},
    {**_CHECKBOX, "id": 31, "text": "自動終了", "rect": (340, 50, 40, 20)},
    {**_BUTTON, "id": 32, "text": "改版", "rect": (388, 10, 20, 10)},
    {**_BUTTON, "id": 33, "text": "WPA", "rect": (388, 30, 20, 10)},
    {**_BUTTON, "id": 34, "text": "品番", "rect": (388, 50, 20, 10)},

    # Labels. Their texts are read back at run time as item names and as the
    # header of the record file, so they are exact.
    {**_LABEL, "id": 100, "text": "情報取得時刻", "rect": (10, 11, 70, 10)},
    {**_LABEL, "id": 101, "text": "Windows起動時間", "rect": (10, 23, 70, 10)},
    {**_LABEL, "id": 102, "text": "WindowsVer", "rect": (10, 35, 70, 10)},
    {**_LABEL, "id": 103, "text": "CPU種類､ｽﾋﾟｰﾄﾞ､psn",
     "rect": (10, 47, 70, 10)},
    {**_LABEL, "id": 104, "text": "ﾒﾓﾘの空/全容量", "rect": (10, 59, 70, 10)},
    {**_LABEL, "id": 105, "text": "ｼｽﾃﾑHDの空/全容量",
     "rect": (10, 71, 70, 10)},
    {**_LABEL, "id": 106, "text": "GDI、USERﾘｿｰｽ残量",
     "rect": (10, 83, 70, 10)},
    {**_LABEL, "id": 107, "text": "WinSockVer", "rect": (10, 95, 70, 10)},
    {**_LABEL, "id": 108, "text": "GetUserName", "rect": (10, 107, 70, 10)},
    {**_LABEL, "id": 109, "text": "GetComputerName",
     "rect": (10, 119, 70, 10)},
    {**_LABEL, "id": 110, "text": "gethostname", "rect": (10, 131, 70, 10)},
    {**_LABEL, "id": 111, "text": "IPｱﾄﾞﾚｽ", "rect": (10, 143, 70, 10)},
    {**_LABEL, "id": 112, "text": "MACｱﾄﾞﾚｽ", "rect": (10, 155, 70, 10)},
    {**_LABEL, "id": 113, "text": "ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ",
     "rect": (10, 167, 70, 10)},
    {**_LABEL, "id": 114, "text": "ﾛｸﾞｲﾝ者", "rect": (210, 10, 30, 10)},
    {**_LABEL, "id": 115, "text": "ｲﾝｽﾄｰﾙｿﾌﾄ", "rect": (210, 72, 40, 10)},
    {**_LABEL, "id": 116, "text": "PC名", "rect": (210, 167, 18, 10)},
    {**_LABEL, "id": 117, "text": "自ｱﾄﾞﾚｽ名", "rect": (10, 191, 37, 10)},
    {**_LABEL, "id": 118, "text": "自ﾒｰﾙｻｰﾊﾞ名", "rect": (130, 191, 47, 10)},
    {**_LABEL, "id": 119, "text": "取得情報ﾒｰﾙ先", "rect": (230, 191, 53, 10)},
    {**_LABEL, "id": 120, "text": "取得情報記録ﾌｧｲﾙ",
     "rect": (10, 211, 63, 10)},
)


# Each label comes just before the control it names.
TEMPLATE_ORDER = (
    100, 0, 101, 1, 102, 2, 103, 3, 104, 4, 105, 5, 106, 6, 107, 7,
    108, 8, 109, 9, 110, 10, 111, 11, 112, 12, 113, 13,
    114, 14, 115, 15,
    116, 16,
    117, 17, 118, 18, 119, 19, 21,
    120, 20, 22, 23, 24, 25, 26, 27,
    28, 29, 30, 31, 32, 33, 34,
)
