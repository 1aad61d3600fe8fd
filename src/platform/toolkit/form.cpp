#include "platform/toolkit/form.h"

#include <commctrl.h>
#include <uxtheme.h>

#include "platform/contract.h"
#include "platform/toolkit/class_names.h"
#include "platform/toolkit/form_messages.h"

namespace zarvio {

Form::Form() {
    RegisterFormClass();
    RegisterToolkitClasses();
}

void Form::RegisterFormClass() {
    static const bool done = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &Form::WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kFormClass;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    (void)done;
}

Form::~Form() {
    // The derived part is gone already: destroyed now, the window would end without the
    // derived class's Form_Unload and handlers, and nobody would notice.
    if (hwnd_) ContractBroken("a form's window outlived its class's destructor, which must call Destroy()");
}

Form* Form::FromWindow(HWND hwnd) {
    if (!IsFormWindow(hwnd)) return nullptr;
    return reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

bool Form::Create(const FormOptions& o) {
    if (hwnd_) return true;
    backgroundColour_ = o.background;
    background_.reset(CreateSolidBrush(o.background));
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (o.minimizeBox) style |= WS_MINIMIZEBOX;
    RECT r{0, 0, TwipsToPixels(o.clientWidthTwips), TwipsToPixels(o.clientHeightTwips)};
    (void)AdjustWindowRectEx(&r, style, FALSE, 0);
    HWND w = CreateWindowExW(0, kFormClass, o.caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                             r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                             GetModuleHandleW(nullptr), this);
    if (!w) return false;
    if (o.icon) {
        SendMessageW(w, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(o.icon));
        SendMessageW(w, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(o.icon));
    }
    // The tooltip has no owner: Wine slots a window made topmost below its topmost owned popups
    // and then drops the topmost flag, which would break keep-on-top. Our owner destroys it.
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr),
                                   nullptr));
    if (tooltip_) SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, 400);
    BuildControls();
    Form_Load();
    return hwnd_ != nullptr;
}

bool Form::CreateShown(const FormOptions& options) {
    if (!Create(options)) return false;
    ShowAndActivate(SW_SHOW);
    return true;
}

void Form::Destroy() {
    if (hwnd_) (void)DestroyWindow(hwnd_);
}

void Form::ShowAndActivate(int showCommand) {
    (void)ShowWindow(hwnd_, showCommand);
    (void)SetForegroundWindow(hwnd_);
}

namespace {
// Depth by depth: a control directly on the parent before one inside a frame.
HWND FindControl(HWND parent, int id) {
    if (HWND direct = GetDlgItem(parent, id)) return direct;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (HWND inner = FindControl(child, id)) return inner;
    return nullptr;
}
}  // namespace

HWND Form::Control(int id) const { return hwnd_ ? FindControl(hwnd_, id) : nullptr; }

void Form::CenterOnScreen() {
    RECT r{};
    (void)GetWindowRect(hwnd_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    (void)SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Form::AddChild(const wchar_t* cls, DWORD style, DWORD exStyle, HWND parent, int id, TwipsRect r,
                    const std::wstring& text) {
    HWND c = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                             TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
                             TwipsToPixels(r.height), parent ? parent : hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                             nullptr);
    if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return c;
}

HWND Form::AddButton(HWND parent, int id, TwipsRect r, const std::wstring& text) {
    return AddChild(kButtonClass, WS_TABSTOP | BS_PUSHBUTTON, 0, parent, id, r, text);
}
HWND Form::AddCheckBox(HWND parent, int id, TwipsRect r, const std::wstring& text) {
    return AddChild(kCheckBoxClass, WS_TABSTOP | BS_AUTOCHECKBOX, 0, parent, id, r, text);
}
HWND Form::AddListBox(HWND parent, int id, TwipsRect r) {
    return AddChild(kListBoxClass, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                    WS_EX_CLIENTEDGE, parent, id, r, L"");
}
HWND Form::AddTextBox(HWND parent, int id, TwipsRect r) {
    return AddChild(kTextBoxClass, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent, id, r, L"");
}
HWND Form::AddLabel(HWND parent, int id, TwipsRect r, const std::wstring& text) {
    return AddChild(kLabelClass, SS_LEFT | SS_NOTIFY | WS_CLIPSIBLINGS, 0, parent, id, r, text);
}
HWND Form::AddFrame(HWND parent, int id, TwipsRect r, const std::wstring& text) {
    return AddChild(kFrameClass, BS_GROUPBOX | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, parent, id, r, text);
}
HWND Form::AddSlider(HWND parent, int id, TwipsRect r, int minimum, int maximum) {
    HWND s = AddChild(kSliderClass, WS_TABSTOP | TBS_HORZ | TBS_NOTICKS, 0, parent, id, r, L"");
    if (s) SendMessageW(s, TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum));
    return s;
}
HWND Form::AddStatusBar(int id, TwipsRect r) {
    return AddChild(kStatusBarClass, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0,
                    hwnd_, id, r, L"");
}

// Like a dialog: an activated form hands the focus to the control that last had it, the first
// time to its first control in tab order; without this the form itself would hold the focus
// and the keyboard would reach no control until a click.
bool Form::RestoreFocus() {
    HWND target = lastFocus_;
    if (!target || !IsChild(hwnd_, target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
        target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (!target || !(GetWindowLongPtrW(target, GWL_STYLE) & WS_TABSTOP)) return false;
    SetFocus(target);
    return true;
}

void Form::AddLine(const FormLine& line) {
    lines_.push_back(line);
    if (hwnd_) (void)InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::ConfigureStatusBar(HWND bar, const StatusPanel* panels, int count) {
    LayOutStatusPanels(bar, panels, count);
    std::vector<std::wstring> tips;
    for (int i = 0; i < count; ++i) tips.push_back(panels[i].tooltip);
    SetPanelToolTips(bar, tips);
}

void Form::SetColors(HWND control, std::optional<COLORREF> text, std::optional<COLORREF> back) {
    Colors& c = colors_[control];
    c.text = text;
    c.back.reset(back ? CreateSolidBrush(*back) : nullptr);
    // With visual styles a check box draws its caption in the theme's colour, whatever
    // WM_CTLCOLORSTATIC asks for: a box with a caption colour of its own goes without the theme.
    // A blank names no theme class on Windows and Wine alike (Wine ignores an empty name).
    wchar_t cls[64] = {};
    if (text && GetClassNameW(control, cls, 64) &&
        (lstrcmpiW(cls, kCheckBoxClass) == 0 || lstrcmpiW(cls, kOptionClass) == 0))
        SetWindowTheme(control, L" ", L" ");
    (void)InvalidateRect(control, nullptr, TRUE);
}

HFONT Form::FontFor(const FontDescription& font) { return fonts_.Get(font); }

void Form::SetFont(HWND control, const FontDescription& font) {
    HFONT made = FontFor(font);
    if (!made) return;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
}

void Form::SetToolTip(HWND control, const std::wstring& text) {
    if (!tooltip_) return;
    const bool known = tips_.count(control) != 0;
    tips_[control] = text;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = const_cast<wchar_t*>(tips_[control].c_str());
    SendMessageW(tooltip_.get(), known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

std::wstring Form::ToolTip(HWND control) const {
    auto it = tips_.find(control);
    return it == tips_.end() ? std::wstring() : it->second;
}

void Form::ShowSelectionAsToolTip(HWND list) {
    const int index = ListIndex(list);
    const std::wstring text = index >= 0 ? ListText(list, index) : std::wstring();
    if (text != ToolTip(list)) SetToolTip(list, text);
}

void Form::SetPanelToolTips(HWND bar, const std::vector<std::wstring>& tips) {
    if (!tooltip_) return;
    // The status bar's own part tips show only for a part whose text is cut or that holds only
    // an icon; tools of the form's tooltip show for every part.
    std::vector<std::wstring>& kept = panelTips_[bar];
    for (size_t i = 0; i < kept.size(); ++i) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = bar;
        ti.uId = i;
        SendMessageW(tooltip_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    kept = tips;
    for (size_t i = 0; i < kept.size(); ++i) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = bar;
        ti.uId = i;
        SendMessageW(bar, SB_GETRECT, i, reinterpret_cast<LPARAM>(&ti.rect));
        ti.lpszText = const_cast<wchar_t*>(kept[i].c_str());
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void Form::PlacePanelToolTips(HWND bar) {
    auto it = panelTips_.find(bar);
    if (!tooltip_ || it == panelTips_.end()) return;
    for (size_t i = 0; i < it->second.size(); ++i) {
        TTTOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = bar;
        ti.uId = i;
        SendMessageW(bar, SB_GETRECT, i, reinterpret_cast<LPARAM>(&ti.rect));
        SendMessageW(tooltip_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void Form::RelayToolTip(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!tooltip_ || (!tips_.count(control) && !panelTips_.count(control))) return;
    MSG m{control, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    DWORD pos = GetMessagePos();
    m.pt = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
}

LRESULT Form::ControlColor(HDC dc, HWND control) {
    (void)SetBkMode(dc, TRANSPARENT);
    auto it = colors_.find(control);
    if (it != colors_.end()) {
        if (it->second.text) (void)SetTextColor(dc, *it->second.text);
        if (it->second.back) {
            LOGBRUSH lb{};
            (void)GetObjectW(it->second.back.get(), sizeof(lb), &lb);
            (void)SetBkColor(dc, lb.lbColor);
            return reinterpret_cast<LRESULT>(it->second.back.get());
        }
    }
    (void)SetBkColor(dc, backgroundColour_);
    return reinterpret_cast<LRESULT>(background_.get());
}

void Form::PaintLines(HDC dc) {
    for (const auto& l : lines_) {
        Pen pen(CreatePen(PS_SOLID, l.widthPixels, l.colour));
        SelectGuard keep(dc, pen.get());
        (void)MoveToEx(dc, TwipsToPixels(l.x1), TwipsToPixels(l.y1), nullptr);
        (void)LineTo(dc, TwipsToPixels(l.x2), TwipsToPixels(l.y2));
    }
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* form = static_cast<Form*>(cs->lpCreateParams);
        form->hwnd_ = hwnd;
        (void)SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        (void)SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
        form->lastFocus_ = nullptr;
        form->colors_.clear();
        form->tips_.clear();
        form->panelTips_.clear();
        form->fonts_.Clear();  // the controls are gone, so are their fonts' users
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return form->HandleMessage(msg, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_HSCROLL:
        if (lParam) OnHScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case kControlMouseMove:
        OnControlMouseMove(static_cast<int>(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case kControlMouseMessage: {
        const auto& m = *reinterpret_cast<const MSG*>(lParam);
        RelayToolTip(m.hwnd, m.message, m.wParam, m.lParam);
        return 0;
    }
    case kStatusPartsMoved:
        PlacePanelToolTips(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ERASEBKGND: {
        RECT r{};
        (void)GetClientRect(hwnd_, &r);
        (void)FillRect(reinterpret_cast<HDC>(wParam), &r, background_.get());
        return 1;
    }
    case WM_PAINT: {
        PaintDc paint(hwnd_);
        PaintLines(paint.get());
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        } else if (!HIWORD(wParam) && RestoreFocus()) {
            return 0;  // not to the default procedure, which would give the form itself the focus
        }
        break;
    case WM_CLOSE:
        if (Form_QueryUnload()) (void)DestroyWindow(hwnd_);
        return 0;
    case WM_DPICHANGED:
        for (const auto& bar : panelTips_) PlacePanelToolTips(bar.first);
        break;
    case WM_DESTROY:
        Form_Unload();
        tooltip_.reset();  // unowned, so it does not go with the form by itself
        break;
    default:
        break;
    }
    bool handled = false;
    LRESULT r = OnMessage(msg, wParam, lParam, handled);
    if (handled) return r;
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace zarvio
