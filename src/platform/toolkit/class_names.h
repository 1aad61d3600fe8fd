// Window class names of the toolkit. The skin engine sorts windows by class name, so forms,
// push buttons, check boxes and option buttons carry the names it knows for those kinds;
// frames, labels, text boxes and lists carry names it treats as plain windows.
#pragma once

namespace zarvio {

inline constexpr wchar_t kFormClass[] = L"ThunderRT6FormDC";
inline constexpr wchar_t kButtonClass[] = L"ThunderRT6CommandButton";
inline constexpr wchar_t kCheckBoxClass[] = L"ThunderRT6CheckBox";
inline constexpr wchar_t kOptionClass[] = L"ThunderRT6OptionButton";
inline constexpr wchar_t kFrameClass[] = L"ThunderRT6Frame";
inline constexpr wchar_t kLabelClass[] = L"ZarvioLabel";
inline constexpr wchar_t kTextBoxClass[] = L"ThunderRT6TextBox";
inline constexpr wchar_t kListBoxClass[] = L"ThunderRT6ListBox";
inline constexpr wchar_t kSliderClass[] = L"ZarvioSlider";
inline constexpr wchar_t kStatusBarClass[] = L"ZarvioStatusBar";

}  // namespace zarvio
