#include "skin/window_kind.h"

#include "platform/text.h"

namespace zarvio::skin {
namespace {

struct NamedKind {
    std::wstring_view name;
    WindowKind kind;
};

// Disjoint sets, so the order of this table never decides anything.
constexpr NamedKind kClassKinds[] = {
    {L"#32770", WindowKind::Form},
    {L"thunderformdc", WindowKind::Form},
    {L"thunderrt6formdc", WindowKind::Form},
    {L"form", WindowKind::Form},
    {L"thundercommandbutton", WindowKind::Button},
    {L"thunderrt6commandbutton", WindowKind::Button},
    {L"button", WindowKind::Button},
    {L"thundercombobox", WindowKind::Combo},
    {L"thunderrt6combobox", WindowKind::Combo},
    {L"combo", WindowKind::Combo},
    {L"combobox", WindowKind::Combo},
    {L"thunderdrivelistbox", WindowKind::DriveList},
    {L"thunderrt6drivelistbox", WindowKind::DriveList},
    {L"thundercheckbox", WindowKind::CheckBox},
    {L"thunderrt6checkbox", WindowKind::CheckBox},
    {L"thunderoptionbutton", WindowKind::Option},
    {L"thunderrt6optionbutton", WindowKind::Option},
    {L"progressbar20wndclass", WindowKind::Progress},
    {L"progressbarwndclass", WindowKind::Progress},
    {L"msvb_lib_header", WindowKind::Header},
    {L"sysheader32", WindowKind::Header},
    {L"datalistwndclass", WindowKind::DataList},
    {L"dblistwndclass", WindowKind::DataList},
    {L"combolbox", WindowKind::ComboList},
};

constexpr std::wstring_view kGridPrefix = L"apexgrid";

}  // namespace

std::wstring GetClassText(HWND hwnd) {
    constexpr int kCapacity = 255;
    wchar_t buffer[kCapacity + 1] = {};
    const int n = GetClassNameW(hwnd, buffer, kCapacity);
    if (n <= 0) return {};
    return std::wstring(buffer, static_cast<size_t>(n) < kCapacity ? n : kCapacity);
}

WindowKind KindOfClassName(std::wstring_view lowerName, bool recogniseGrids) {
    if (lowerName.empty()) return WindowKind::Other;
    for (const NamedKind& entry : kClassKinds) {
        if (entry.name == lowerName) return entry.kind;
    }
    if (recogniseGrids && lowerName.substr(0, kGridPrefix.size()) == kGridPrefix) return WindowKind::Grid;
    return WindowKind::Other;
}

WindowKind KindOf(HWND hwnd, bool recogniseGrids) {
    return KindOfClassName(ToLower(GetClassText(hwnd)), recogniseGrids);
}

}  // namespace zarvio::skin
