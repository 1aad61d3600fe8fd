#include "app/now_playing.h"

#include "platform/handles.h"

namespace zarvio {

std::wstring StationNameOf(const std::wstring& entry) {
    const size_t star = entry.find(L" \u2605 ");
    return star == std::wstring::npos ? entry : entry.substr(star + 3);
}

std::wstring NowPlayingTrayTip(const std::wstring& name, const std::wstring& title, const std::wstring& plainTip) {
    if (title.empty()) return plainTip;
    std::wstring tip = L"Zarvio - " + name + L" - " + title;
    constexpr size_t kMax = 127;  // the tray's tip holds 128 characters with the terminator
    if (tip.size() > kMax) tip = tip.substr(0, kMax - 3) + L"...";
    return tip;
}

void NowPlaying::SetStation(const std::wstring& entry) {
    station_ = entry;
    title_.clear();
    second_.clear();
    Update();
}

void NowPlaying::SetTitle(const std::wstring& title) {
    title_ = title;
    second_ = title;
    Update();
}

void NowPlaying::SetFailure(const std::wstring& text) {
    title_.clear();
    second_ = text;
    Update();
}

void NowPlaying::ClearTitle() {
    title_.clear();
    second_.clear();
    Update();
}

void NowPlaying::Update() {
    if (!label_) return;
    const std::wstring text = second_.empty() ? station_ : station_ + L"\r\n" + second_;
    SetWindowTextW(label_, text.c_str());
    (void)InvalidateRect(label_, nullptr, TRUE);
}

void NowPlaying::Draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    const RECT r = item.rcItem;
    // The form answers with its own background and the label's colours, as for any label.
    HWND parent = GetParent(item.hwndItem);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(item.hwndItem)));
    (void)FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    (void)SetBkMode(dc, TRANSPARENT);
    auto font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    SelectGuard selected(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm{};
    (void)GetTextMetricsW(dc, &tm);
    const int lineHeight = tm.tmHeight + tm.tmExternalLeading;
    const int top = r.top + ((r.bottom - r.top) - 2 * lineHeight) / 2;  // both lines centred as a block
    const UINT format = DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | DT_LEFT | DT_TOP;
    RECT first{r.left + 2, top, r.right - 2, top + lineHeight};
    RECT second{r.left + 2, top + lineHeight, r.right - 2, top + 2 * lineHeight};
    (void)DrawTextW(dc, station_.c_str(), static_cast<int>(station_.size()), &first, format);
    (void)DrawTextW(dc, second_.c_str(), static_cast<int>(second_.size()), &second, format);
}

}  // namespace zarvio
