#include "about/about_window.h"

#include "platform/contract.h"
#include "platform/product.h"
#include "platform/toolkit/controls.h"

namespace zarvio {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kMediumGreen = RGB(0, 192, 0);
constexpr COLORREF kDarkTeal = RGB(0, 64, 64);
constexpr FontDescription kLinkFont{L"宋体", 143};  // 14.25 pt
constexpr FontDescription kLinkUnderlinedFont{L"宋体", 143, false, true};
constexpr FontDescription kHeadingFont{L"宋体", 120, true};

void SetStaticStyle(HWND label, DWORD type) {
    const LONG_PTR style = GetWindowLongPtrW(label, GWL_STYLE);
    (void)SetWindowLongPtrW(label, GWL_STYLE, (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | type);
}

// Gives a label exactly the size of its one line of text in its font.
void FitToText(HWND label) {
    SetStaticStyle(label, SS_LEFTNOWORDWRAP);
    WindowDc dc = WindowDc::Client(label);
    if (!dc) return;
    auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    SelectGuard keep(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring text = WindowText(label);
    SIZE size{};
    if (!GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size)) return;
    (void)SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring WithoutFinalSlash(std::wstring url) {
    if (!url.empty() && url.back() == L'/') url.pop_back();
    return url;
}

}  // namespace

std::wstring AboutCaption() { return L"关于  " + std::wstring(kProductName) + L" Ver" + VersionText() + L"版"; }

AboutWindow::AboutWindow(const Services& services)
    : browser_(Required(services.browser, "the About window needs a browser")) {}

AboutWindow::~AboutWindow() { Destroy(); }

bool AboutWindow::Open() {
    return CreateShown(FormOptions::Secondary(L"", 5355, 2235));  // the caption is set while loading
}

void AboutWindow::BuildControls() {
    HWND label1 = AddLabel(hwnd(), kAbLabel1, {120, 120, 4350, 240}, kDedicationText);
    SetColors(label1, kRed);
    SetFont(label1, kHeadingFont);

    HWND label2 = AddLabel(hwnd(), kAbLabel2, {480, 1440, 855, 285}, L"网址：");
    SetColors(label2, kBlue);
    SetFont(label2, kLinkFont);

    label3_ = AddLabel(hwnd(), kAbLabel3, {1440, 1440, 3450, 285}, WithoutFinalSlash(kProductPageUrl));
    SetColors(label3_, kBlue);
    linkFont_ = FontFor(kLinkFont);
    linkUnderlinedFont_ = FontFor(kLinkUnderlinedFont);
    if (linkFont_) SendMessageW(label3_, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), TRUE);

    HWND label4 = AddLabel(hwnd(), kAbLabel4, {2880, 1920, 2295, 240}, kAuthorText);
    SetColors(label4, kMediumGreen);
    SetFont(label4, kHeadingFont);

    HWND label5 = AddLabel(hwnd(), kAbLabel5, {0, 600, 5340, 525}, kProductName);
    SetColors(label5, kDarkTeal);
    SetFont(label5, {L"宋体", 263, true});
    SetStaticStyle(label5, SS_CENTER);

    for (HWND label : {label1, label2, label3_, label4}) FitToText(label);
}

void AboutWindow::Form_Load() {
    SetWindowTextString(hwnd(), AboutCaption());
    CenterOnScreen();
    OpenWebPage();
}

void AboutWindow::OpenWebPage() { browser_.Open(kProductPageUrl); }

void AboutWindow::Label3_Click() { OpenWebPage(); }

void AboutWindow::Label3_MouseMove() {
    if (underlined_ || !linkUnderlinedFont_) return;
    underlined_ = true;
    SendMessageW(label3_, WM_SETFONT, reinterpret_cast<WPARAM>(linkUnderlinedFont_), TRUE);
}

void AboutWindow::Form_MouseMove() {
    // Only the window's bare surface takes the underline away: a pointer that leaves the link
    // for another label or for outside the window leaves it on.
    if (!underlined_ || !linkFont_) return;
    underlined_ = false;
    SendMessageW(label3_, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), TRUE);
}

void AboutWindow::OnCommand(int id, int code, HWND) {
    if (id == kAbLabel3 && code == STN_CLICKED) Label3_Click();
    if (id == IDCANCEL) SendMessageW(hwnd(), WM_CLOSE, 0, 0);  // Esc: as the close box
}

void AboutWindow::OnControlMouseMove(int id, HWND) {
    if (id == kAbLabel3) Label3_MouseMove();
}

LRESULT AboutWindow::OnMessage(UINT msg, WPARAM, LPARAM, bool& handled) {
    handled = false;
    if (msg == WM_MOUSEMOVE) Form_MouseMove();
    return 0;
}

}  // namespace zarvio
