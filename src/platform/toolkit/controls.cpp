#include "platform/toolkit/controls.h"

#include <commctrl.h>

#include <vector>

#include "platform/handles.h"
#include "platform/toolkit/class_names.h"
#include "platform/toolkit/twips.h"

namespace zarvio {
namespace {

enum Superclass { kButton, kCheck, kOption, kFrame, kLabel, kText, kList, kSlider, kStatus, kCount };

WNDPROC g_baseProc[kCount] = {};  // the platform procedures the superclasses chain to

constexpr UINT_PTR kClockTimer = 0x5A31;
constexpr wchar_t kClockPanelsProp[] = L"ZarvioClockPanels";

// The form shows the control's tip from its mouse messages and hears of every movement.
void RelayMouse(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg < WM_MOUSEFIRST || msg > WM_MOUSELAST) return;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    if (IsFormWindow(root)) {
        const MSG m{hwnd, msg, wParam, lParam, 0, {}};
        SendMessageW(root, kControlMouseMessage, 0, reinterpret_cast<LPARAM>(&m));
    }
    if (msg == WM_MOUSEMOVE)
        SendMessageW(root, kControlMouseMove, static_cast<WPARAM>(GetDlgCtrlID(hwnd)),
                     reinterpret_cast<LPARAM>(hwnd));
}

std::wstring FormatNow(PanelKind kind) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t buf[64] = {};
    if (kind == PanelKind::Date)
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, buf, 64);
    else
        GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &now, nullptr, buf, 64);
    return buf;
}

void RefreshClockPanels(HWND bar) {
    const auto packed = reinterpret_cast<UINT_PTR>(GetPropW(bar, kClockPanelsProp));
    const int datePanel = static_cast<int>(packed & 0xFF) - 1;
    const int timePanel = static_cast<int>((packed >> 8) & 0xFF) - 1;
    if (datePanel >= 0 && PanelText(bar, datePanel) != FormatNow(PanelKind::Date))
        SetPanelText(bar, datePanel, FormatNow(PanelKind::Date));
    if (timePanel >= 0 && PanelText(bar, timePanel) != FormatNow(PanelKind::Time))
        SetPanelText(bar, timePanel, FormatNow(PanelKind::Time));
}

// A frame draws itself: the etched line round it and its caption in the colour the form gives
// through WM_CTLCOLORSTATIC. The platform's group box would do the same without visual styles,
// but with them (common controls 6) it draws the caption in the theme's colour whatever the form
// asks for.
void PaintFrame(HWND hwnd, HDC dc) {
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
    if (!IsWindowEnabled(hwnd)) (void)SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    RECT client{};
    (void)GetClientRect(hwnd, &client);
    (void)FillRect(dc, &client, brush);

    const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    const SelectGuard withFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    (void)GetTextMetricsW(dc, &tm);
    RECT line = client;
    line.top += tm.tmHeight / 2 - 1;
    (void)DrawEdge(dc, &line, EDGE_ETCHED, BF_RECT);

    const std::wstring caption = WindowText(hwnd);
    if (caption.empty()) return;
    constexpr int kCaptionLeft = 7;
    constexpr UINT kFormat = DT_SINGLELINE | DT_LEFT | DT_TOP;
    RECT text{kCaptionLeft, 0, client.right - kCaptionLeft, tm.tmHeight};
    (void)DrawTextW(dc, caption.c_str(), -1, &text, kFormat | DT_CALCRECT);
    if (text.right > client.right - kCaptionLeft) text.right = client.right - kCaptionLeft;
    RECT behind{text.left - 1, text.top, text.right + 1, text.bottom};
    (void)FillRect(dc, &behind, brush);
    (void)SetBkMode(dc, TRANSPARENT);
    (void)DrawTextW(dc, caption.c_str(), -1, &text, kFormat | DT_END_ELLIPSIS);
}

template <Superclass K>
LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    RelayMouse(hwnd, msg, wParam, lParam);
    if constexpr (K == kFrame) {
        switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            // A frame only groups: its controls' notifications belong to the form.
            return SendMessageW(GetParent(hwnd), msg, wParam, lParam);
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_PAINT: {
            const PaintDc paint(hwnd);
            PaintFrame(hwnd, paint.get());
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintFrame(hwnd, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_SETTEXT:
        case WM_ENABLE: {
            const LRESULT result = CallWindowProcW(g_baseProc[K], hwnd, msg, wParam, lParam);
            (void)InvalidateRect(hwnd, nullptr, TRUE);
            return result;
        }
        case WM_ERASEBKGND: {
            // The platform's group box leaves its inside unpainted: fill it like the form.
            auto brush = reinterpret_cast<HBRUSH>(
                SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(hwnd)));
            RECT r{};
            (void)GetClientRect(hwnd, &r);
            (void)FillRect(reinterpret_cast<HDC>(wParam), &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        default:
            break;
        }
    }
    if constexpr (K == kStatus) {
        if (msg == WM_TIMER && wParam == kClockTimer) {
            RefreshClockPanels(hwnd);
            return 0;
        }
        if (msg == WM_SIZE || msg == SB_SETPARTS) {
            // The parts moved: their tips follow.
            const LRESULT result = CallWindowProcW(g_baseProc[K], hwnd, msg, wParam, lParam);
            if (HWND form = FormWindowOf(hwnd)) SendMessageW(form, kStatusPartsMoved, reinterpret_cast<WPARAM>(hwnd), 0);
            return result;
        }
        if (msg == WM_DESTROY) {
            (void)KillTimer(hwnd, kClockTimer);
            (void)RemovePropW(hwnd, kClockPanelsProp);
        }
    }
    return CallWindowProcW(g_baseProc[K], hwnd, msg, wParam, lParam);
}

template <Superclass K>
void Register(const wchar_t* base, const wchar_t* name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(nullptr, base, &wc)) return;
    g_baseProc[K] = wc.lpfnWndProc;
    wc.lpfnWndProc = &ControlProc<K>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    wc.style &= ~CS_GLOBALCLASS;
    (void)RegisterClassExW(&wc);
}

}  // namespace

void RegisterToolkitClasses() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        (void)InitCommonControlsEx(&icc);
        Register<kButton>(L"BUTTON", kButtonClass);
        Register<kCheck>(L"BUTTON", kCheckBoxClass);
        Register<kOption>(L"BUTTON", kOptionClass);
        Register<kFrame>(L"BUTTON", kFrameClass);
        Register<kLabel>(L"STATIC", kLabelClass);
        Register<kText>(L"EDIT", kTextBoxClass);
        Register<kList>(L"LISTBOX", kListBoxClass);
        Register<kSlider>(TRACKBAR_CLASSW, kSliderClass);
        Register<kStatus>(STATUSCLASSNAMEW, kStatusBarClass);
        return true;
    }();
    (void)done;
}

int ListCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }
int ListIndex(HWND list) {
    const LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
    return i == LB_ERR ? -1 : static_cast<int>(i);
}
void SetListIndex(HWND list, int index) { SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }
std::wstring ListText(HWND list, int index) {
    const LRESULT n = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == LB_ERR) return {};
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
    s.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return s;
}
void ListAdd(HWND list, const std::wstring& text) {
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
void ListRemove(HWND list, int index) { SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0); }
void ListClear(HWND list) { SendMessageW(list, LB_RESETCONTENT, 0, 0); }

bool IsChecked(HWND checkBox) { return SendMessageW(checkBox, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND checkBox, bool checked) {
    SendMessageW(checkBox, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void LayOutStatusPanels(HWND bar, const StatusPanel* panels, int count) {
    std::vector<int> edges;
    int right = 0, datePanel = -1, timePanel = -1;
    for (int i = 0; i < count; ++i) {
        right += TwipsToPixels(panels[i].widthTwips);
        edges.push_back(right);
        if (panels[i].kind == PanelKind::Date) datePanel = i;
        if (panels[i].kind == PanelKind::Time) timePanel = i;
    }
    SendMessageW(bar, SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(edges.data()));
    (void)SetPropW(bar, kClockPanelsProp,
             reinterpret_cast<HANDLE>(static_cast<UINT_PTR>((datePanel + 1) | ((timePanel + 1) << 8))));
    RefreshClockPanels(bar);
    // Once a second is enough to keep the minute display current without visible lag.
    (void)SetTimer(bar, kClockTimer, 1000, nullptr);
}

void SetPanelText(HWND bar, int panel, const std::wstring& text) {
    SendMessageW(bar, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring PanelText(HWND bar, int panel) {
    const LRESULT info = SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0);
    const size_t n = LOWORD(info);
    std::wstring s(n + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(s.data()));
    s.resize(n);
    return s;
}

}  // namespace zarvio
