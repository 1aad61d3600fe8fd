// What the user is told when adding a station to the station files fails. Every window that
// adds stations (the editor, the station search) says the same.
#pragma once

namespace zarvio {

inline constexpr wchar_t kMissingInputText[] =
    L"电台名称或者电台网址没有输入，请完整输入“电台名称”和“电台网址”后，再点“添加”按钮。";
inline constexpr wchar_t kAddWriteFailedText[] =
    L"电台文件无法写入，电台没有添加。请检查电台文件是否为只读、是否被其他程序占用、程序所在的文件夹是否允许写入，或者磁盘是否已满。";
inline constexpr wchar_t kLineBreakText[] = L"电台名称或者电台网址中不能含有换行符，电台没有添加。";
inline constexpr wchar_t kOutOfStepText[] = L"电台文件写入失败，电台名称文件与电台网址文件可能不再对应。";
inline constexpr wchar_t kTooLargeText[] = L"电台文件过大，无法读取。";

}  // namespace zarvio
